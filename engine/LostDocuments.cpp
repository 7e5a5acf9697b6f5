#include "LostDocuments.h"

#include "ActivityLog.h"
#include "RunFlags.h"
#include "afx/OleDispatchDriver.h"
#include "notes/Notes.h"
#include "win32/CodePage.h"

#include <cstdio>

namespace {

// A long subject is cut, so that the reason still fits the log's line.
constexpr std::size_t kSubjectChars = 60;

std::u16string HexCode(unsigned long code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", code);
    return AnsiToWide(text);
}

} // namespace

std::u16string NotesErrorText(LNSTATUS status)
{
    char text[256] = {};
    LNGetErrorMessageText(status, text, sizeof text);
    std::u16string words = AnsiToWide(text);
    return words.empty() ? u"Notes error " + HexCode(status) : words;
}

std::u16string CurrentFailureText()
{
    try {
        throw;
    } catch (LNSTATUS status) {
        return NotesErrorText(status);
    } catch (const COleDispatchException& error) {
        if (!error.m_strDescription.empty())
            return error.m_strDescription;
        return u"error " + HexCode(static_cast<unsigned long>(error.m_scError ? error.m_scError : error.m_wCode));
    } catch (const COleException& error) {
        return u"error " + HexCode(static_cast<unsigned long>(error.m_sc));
    } catch (const std::exception& error) {
        return AnsiToWide(error.what());
    } catch (...) {
        return u"unknown error";
    }
}

std::u16string FirstTextOf(LNNote& note, const char* itemName)
{
    std::u16string first;
    const bool wasOpen = note.IsOpen();
    if (!wasOpen && !RunGuarded([&] {
            if (note.Open(0) != LNNOERROR)
                throw LNERR_NOT_OPEN;
        }))
        return first;
    RunGuarded([&] {
        if (!note.HasItem(itemName))
            return;
        LNText text;
        note.GetItem(itemName, &text);
        if (text.GetCount() > 0)
            first = AnsiToWide(text[0].GetText().Text());
    });
    if (!wasOpen)
        RunGuarded([&] { note.Close(); });
    return first;
}

std::u16string LostDocumentLine(std::int64_t noteId, std::u16string_view subject, std::u16string_view why)
{
    char id[32];
    std::snprintf(id, sizeof id, "%llX", static_cast<unsigned long long>(noteId));
    std::u16string shown(subject.substr(0, kSubjectChars));
    if (subject.size() > kSubjectChars)
        shown += u"...";
    return u"Not converted : Note ID " + AnsiToWide(id) + u" \"" + shown + u"\" : " + std::u16string(why);
}

void ReportLostDocument(std::int64_t noteId, std::u16string_view subject, std::u16string_view why)
{
    WriteActivityLog(LostDocumentLine(noteId, subject, why).c_str());
    // The completion dialog reports the run as not completed; the stop flag
    // stays down, so the run goes on with the next document.
    g_bNotCompleted = 1;
    g_bAbortRequested = 1;
}
