// Types, statuses and global switches of the Notes class library.
//
// Every call that can fail returns an LNSTATUS (0 on success). After
// LNSetThrowAllErrorsGlobal(TRUE) an error status is thrown instead, as a
// plain LNSTATUS (unsigned 32-bit) exception. Calls whose result is not a
// status (GetName, GetEntryCount, operator[] ...) throw their error status in
// either mode. Warnings (LNWARN_*) report an outcome, not a failure, and are
// returned, never thrown.
#pragma once

#include "win32/Types.h"

#include <cstdint>

using LNSTATUS = std::uint32_t;
using LNINT = std::int32_t;
using LNBOOL = BOOL;
using LNNUMBER = double;

constexpr LNSTATUS LNNOERROR = 0;

// Errors: 0x0100 and up. Each has its text in LNGetErrorMessageText.
constexpr LNSTATUS LNERR_NO_SESSION = 0x0101;         // the session is not initialised
constexpr LNSTATUS LNERR_BAD_VERSION = 0x0102;        // class-library version not supported
constexpr LNSTATUS LNERR_SERVER_NOT_AVAILABLE = 0x0103;
constexpr LNSTATUS LNERR_FILE_NOT_FOUND = 0x0104;     // no file at the database path
constexpr LNSTATUS LNERR_NOT_A_DATABASE = 0x0105;     // the file is not a database of ours
constexpr LNSTATUS LNERR_DATABASE_CORRUPT = 0x0106;   // damaged contents
constexpr LNSTATUS LNERR_NOT_OPEN = 0x0107;           // the object is not open
constexpr LNSTATUS LNERR_NULL_OBJECT = 0x0108;        // the object refers to nothing
constexpr LNSTATUS LNERR_INDEX_OUT_OF_RANGE = 0x0109;
constexpr LNSTATUS LNERR_ITEM_NOT_FOUND = 0x010A;
constexpr LNSTATUS LNERR_TYPE_MISMATCH = 0x010B;      // the item is of another type
constexpr LNSTATUS LNERR_NOTE_NOT_FOUND = 0x010C;
constexpr LNSTATUS LNERR_FORMULA_SYNTAX = 0x010D;
constexpr LNSTATUS LNERR_CANNOT_CREATE_FILE = 0x010E; // Detach, Export: the target file
constexpr LNSTATUS LNERR_WRITE_FAILED = 0x010F;
constexpr LNSTATUS LNERR_CURSOR_MISMATCH = 0x0110;    // cursors of another rich text
constexpr LNSTATUS LNERR_BAD_PARAMETER = 0x0111;
constexpr LNSTATUS LNERR_NOT_CANONICAL = 0x0112;
constexpr LNSTATUS LNERR_OUT_OF_MEMORY = 0x0113;

// Warnings: 0x8000 and up.
constexpr LNSTATUS LNWARN_NOT_FOUND = 0x8001; // a search or cursor move found nothing

inline bool LNIsError(LNSTATUS status)
{
    return status != LNNOERROR && status < 0x8000;
}

// Process-wide, as the class library's global switch is.
void LNSetThrowAllErrorsGlobal(LNBOOL throwAll);
LNBOOL LNGetThrowAllErrorsGlobal();

// Copies the text of a status into buffer (bufferBytes with its terminator,
// cut to fit) and returns the bytes stored, terminator excluded. An unknown
// status has a text too ("Unknown error 0x...").
LNINT LNGetErrorMessageText(LNSTATUS status, char* buffer, LNINT bufferBytes);

enum LNITEMTYPE : LNINT {
    LNITEMTYPE_ANY = 0,
    LNITEMTYPE_TEXT = 1,
    LNITEMTYPE_NUMBERS = 2,
    LNITEMTYPE_DATETIMES = 3,
    LNITEMTYPE_RICHTEXT = 4,
};

using LNITEMFLAGS = std::uint32_t;
constexpr LNITEMFLAGS LNITEMFLAGS_SUMMARY = 0x01;
constexpr LNITEMFLAGS LNITEMFLAGS_NAMES = 0x02;
constexpr LNITEMFLAGS LNITEMFLAGS_READERS = 0x04;
constexpr LNITEMFLAGS LNITEMFLAGS_AUTHORS = 0x08;
constexpr LNITEMFLAGS LNITEMFLAGS_PROTECTED = 0x10;
constexpr LNITEMFLAGS LNITEMFLAGS_ENCRYPTED = 0x20;

enum LNRTTYPE : LNINT {
    LNRTTYPE_TEXT = 1,
    LNRTTYPE_TAB = 2,
    LNRTTYPE_LINE_BREAK = 3,
    LNRTTYPE_PARAGRAPH_END = 4,
    LNRTTYPE_ATTACHMENT = 5,
    LNRTTYPE_GRAPHIC = 8,
    LNRTTYPE_ANY = 0xFFFF,
};

enum LNCALENTRYTYPE : LNINT {
    LNCALENTRYTYPE_NONE = 0,        // the document is not a calendar entry
    LNCALENTRYTYPE_APPOINTMENT = 1,
    LNCALENTRYTYPE_ANNIVERSARY = 2, // repeats on the dates of StartDateTime
    LNCALENTRYTYPE_REMINDER = 4,    // one date, in StartDate
    LNCALENTRYTYPE_MEETING = 8,     // StartDateTime and EndDateTime pairs, attendees
    LNCALENTRYTYPE_EVENT = 16,      // all-day event over the dates of StartDateTime
};
