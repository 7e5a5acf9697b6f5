#include "notes/LNNotesSession.h"

#include "DatabaseFile.h"
#include "Session.h"
#include "Status.h"
#include "notes/LNDatabase.h"

#include "win32/CodePage.h"
#include "win32/MachineRoot.h"

namespace {

constexpr LNINT kLibraryVersion = 700;

} // namespace

LNNotesSession::~LNNotesSession()
{
    if (m_initialized)
        notes::detail::SessionEnded();
}

LNSTATUS LNNotesSession::Initialize(LNINT apiVersion, int argc, char** argv, LNBOOL lookForIni, const char* iniPath)
{
    if (LNSTATUS fault = notes::detail::Enter("LNNotesSession::Initialize"))
        return fault;
    if (apiVersion > kLibraryVersion || apiVersion <= 0)
        return notes::detail::Report(LNERR_BAD_VERSION);
    if (!m_initialized) {
        m_initialized = true;
        notes::detail::SessionStarted();
    }
    return LNNOERROR;
}

LNSTATUS LNNotesSession::Term(LNINT flags)
{
    if (LNSTATUS fault = notes::detail::Enter("LNNotesSession::Term"))
        return fault;
    if (m_initialized) {
        m_initialized = false;
        notes::detail::SessionEnded();
    }
    return LNNOERROR;
}

LNSTATUS LNNotesSession::GetDatabase(const LNString& path, LNDatabase* database, const char* server)
{
    if (LNSTATUS fault = notes::detail::Enter("LNNotesSession::GetDatabase"))
        return fault;
    if (!database)
        return notes::detail::Report(LNERR_BAD_PARAMETER);
    if (!m_initialized)
        return notes::detail::Report(LNERR_NO_SESSION);
    if (server && *server)
        return notes::detail::Report(LNERR_SERVER_NOT_AVAILABLE);
    auto resolved = win32::ResolvePath(AnsiToWide(path.Text()), win32::Resolve::Existing);
    if (!resolved || !resolved->exists || std::filesystem::is_directory(resolved->hostPath))
        return notes::detail::Report(LNERR_FILE_NOT_FOUND);
    auto state = std::make_shared<notes::detail::DatabaseState>();
    state->ansiPath = path.Text();
    state->hostPath = resolved->hostPath;
    database->m_state = std::move(state);
    return LNNOERROR;
}

LNSTATUS LNNotesSession::AbbreviateName(const LNString& name, LNString* abbreviated) const
{
    if (LNSTATUS fault = notes::detail::Enter("LNNotesSession::AbbreviateName"))
        return fault;
    if (!abbreviated)
        return notes::detail::Report(LNERR_BAD_PARAMETER);
    *abbreviated = LNString(notes::AbbreviateCanonicalName(name.Text()));
    return LNNOERROR;
}
