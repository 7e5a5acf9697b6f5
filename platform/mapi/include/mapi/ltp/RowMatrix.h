#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "mapi/NodeContent.h"
#include "mapi/ltp/LtpResult.h"

namespace mapi::ltp {

// The row matrix of a table in memory, in blocks of whole rows as the
// matrix subnode stores them. Blocks that are as stored can be dropped and
// come back from a block source when a row of theirs is needed, so a large
// table keeps only the blocks in use.
class CRowMatrix {
public:
    using BlockSource = std::function<Result<Bytes>(std::size_t block)>;

    void Reset(std::size_t rowSize, std::size_t rowsPerBlock);
    // All rows back to back, as stored.
    void Assign(const Bytes& rows);
    // `rows` rows as stored, packed as Block() packs them, none in memory:
    // they come from the block source.
    void AssignStored(std::size_t rows);
    void SetSource(BlockSource source) { m_source = std::move(source); }

    std::size_t RowCount() const { return m_rowCount; }
    std::size_t ByteSize() const { return m_rowCount * m_rowSize; }
    // The bytes of row `index`, valid until the matrix changes shape.
    Result<std::uint8_t*> Row(std::size_t index) const;
    Result<void> PushRow(); // a zeroed row at the end
    Result<void> PopRow();

    std::size_t BlockCount() const { return m_blocks.size(); }
    std::size_t BlockSize(std::size_t block) const;
    Result<Bytes> Block(std::size_t block) const;
    // Every row back to back; for a matrix small enough for one heap item.
    Result<Bytes> All() const;

    // Drops the blocks not marked in `changed` (a block past its end counts
    // as changed) but for the last, where rows are added.
    void Evict(const std::vector<bool>& changed);
    std::size_t ResidentBlocks() const;

private:
    Result<void> MakeResident(std::size_t block) const;

    std::size_t m_rowSize = 0;
    std::size_t m_perBlock = 1;
    std::size_t m_rowCount = 0;
    mutable std::vector<Bytes> m_blocks;
    mutable std::vector<bool> m_resident;
    BlockSource m_source;
};

} // namespace mapi::ltp
