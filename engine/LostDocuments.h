// A Notes document whose item never reached the PST (the store refused the
// save, the disk is full, the document cannot be read) is not lost in
// silence: the activity log gets one line naming the document and why, and
// the run ends "not completed". A field that fails alone costs only that
// field and is not reported here.
#pragma once

#include "StepGuard.h"
#include "notes/LNGlobal.h"

#include <cstdint>
#include <string>
#include <string_view>

class LNNote;

// The words for the failure being handled; call it inside a catch block.
std::u16string CurrentFailureText();

// The words of a Notes status.
std::u16string NotesErrorText(LNSTATUS status);

// Runs the step as RunGuarded does; when it fails, why holds its words.
template <class Step>
bool RunGuardedTelling(Step&& step, std::u16string& why)
{
    try {
        step();
        return true;
    } catch (const win32::ThreadTermination&) {
        throw;
    } catch (const LeaveConverter&) {
        throw;
    } catch (...) {
        why = CurrentFailureText();
        return false;
    }
}

// The first text of the note's item, or "" when it has none or cannot be
// read: a failing read here must not hide the loss being reported. A note
// that is not open is opened for the read and closed again.
std::u16string FirstTextOf(LNNote& note, const char* itemName);

// The log line of a lost document.
std::u16string LostDocumentLine(std::int64_t noteId, std::u16string_view subject, std::u16string_view why);

// Logs the line and marks the run not completed, without stopping it.
void ReportLostDocument(std::int64_t noteId, std::u16string_view subject, std::u16string_view why);
