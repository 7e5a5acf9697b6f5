// The table contexts a store is writing, held in memory between changes so
// that adding a row costs the blocks it touches: a held table is written
// back through its changes (a partial node rewrite), a new one whole. Of a
// held table only what the next row needs stays in memory; the rest is read
// back from the file when a row of it is read or changed.
#pragma once

#include "mapi/NodeDatabase.h"
#include "mapi/ltp/TableContext.h"

#include <map>

namespace mapi::message {

class CTableCache {
public:
    explicit CTableCache(std::size_t capacity = 8) : m_capacity(capacity) {}

    // The table of node `nid`, read from the file when it is not held. The
    // pointer stays valid until the next Trim or Clear.
    Result<ltp::CTableContext*> Get(CNodeDatabase& db, Nid nid);
    // A table not in the file yet; Write writes it whole.
    ltp::CTableContext& AddNew(Nid nid, ltp::CTableContext table);
    // Writes what changed in a held table since it was read or last written;
    // what is as stored then leaves memory until it is needed again.
    Result<void> Write(CNodeDatabase& db, Nid nid, Nid parent);
    // Lets every held table drop what is as stored (after reading rows).
    void Settle();
    // Drops the least recently used tables past the capacity; every held
    // table must have been written.
    void Trim();
    // Forgets every table, as after a change that failed half-way.
    void Clear() { m_tables.clear(); }

private:
    struct Entry {
        ltp::CTableContext table;
        bool stored = false;
        std::uint64_t lastUse = 0;
    };
    // A stored table reads back what it dropped from its node in `db`.
    static void Attach(CNodeDatabase& db, Nid nid, ltp::CTableContext& table);
    std::map<Nid, Entry> m_tables;
    std::size_t m_capacity;
    std::uint64_t m_clock = 0;
};

// The node update that writes a table's changes since its ClearChanged; it
// refers to the table, which must outlive it.
NodeUpdate TableChanges(const ltp::CTableContext& table);

} // namespace mapi::message
