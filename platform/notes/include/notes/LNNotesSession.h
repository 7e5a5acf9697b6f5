// The Notes session: the library must be initialised before a database can
// be reached. One session state serves the whole process.
#pragma once

#include "notes/LNString.h"

class LNDatabase;

class LNNotesSession {
public:
    LNNotesSession() = default;
    ~LNNotesSession();
    LNNotesSession(const LNNotesSession&) = delete;
    LNNotesSession& operator=(const LNNotesSession&) = delete;

    // apiVersion is the class-library version the caller is written for;
    // this library is version 700 and refuses a newer one with
    // LNERR_BAD_VERSION. The other arguments are accepted and unused.
    LNSTATUS Initialize(LNINT apiVersion = 700, int argc = 0, char** argv = nullptr, LNBOOL lookForIni = TRUE,
                        const char* iniPath = nullptr);
    // Ends the session; harmless when it is not initialised. Objects already
    // open stay readable; new databases can no longer be reached.
    LNSTATUS Term(LNINT flags = 0);
    bool IsInitialized() const { return m_initialized; }

    // Fills database for the file at an ANSI Windows path; "" and null as
    // the server mean this machine, any other server is not available.
    LNSTATUS GetDatabase(const LNString& path, LNDatabase* database, const char* server = nullptr);

    // "CN=Ann Lee/OU=Sales/O=Acme" gives "Ann Lee/Sales/Acme"; a name that is
    // not in canonical form comes back unchanged. in and out may be one
    // object.
    LNSTATUS AbbreviateName(const LNString& name, LNString* abbreviated) const;

private:
    bool m_initialized = false;
};

namespace notes {
// The abbreviation rule alone, without session or faults.
std::string AbbreviateCanonicalName(std::string_view name);
} // namespace notes
