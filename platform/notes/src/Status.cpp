#include "Status.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

const char* StatusText(LNSTATUS status)
{
    switch (status) {
    case LNNOERROR: return "No error";
    case LNERR_NO_SESSION: return "The Notes session is not initialized";
    case LNERR_BAD_VERSION: return "This version of the class library is not supported";
    case LNERR_SERVER_NOT_AVAILABLE: return "The server is not available";
    case LNERR_FILE_NOT_FOUND: return "File does not exist";
    case LNERR_NOT_A_DATABASE: return "File is not a database";
    case LNERR_DATABASE_CORRUPT: return "Database is damaged";
    case LNERR_NOT_OPEN: return "The object is not open";
    case LNERR_NULL_OBJECT: return "The object does not refer to anything";
    case LNERR_INDEX_OUT_OF_RANGE: return "Index out of range";
    case LNERR_ITEM_NOT_FOUND: return "Item not found";
    case LNERR_TYPE_MISMATCH: return "The item is not of the requested type";
    case LNERR_NOTE_NOT_FOUND: return "Document not found";
    case LNERR_FORMULA_SYNTAX: return "Formula error";
    case LNERR_CANNOT_CREATE_FILE: return "Cannot create file";
    case LNERR_WRITE_FAILED: return "Cannot write to file";
    case LNERR_CURSOR_MISMATCH: return "The cursors are not in this rich text";
    case LNERR_BAD_PARAMETER: return "Invalid argument";
    case LNERR_NOT_CANONICAL: return "The name is not in canonical form";
    case LNERR_OUT_OF_MEMORY: return "Insufficient memory";
    case LNWARN_NOT_FOUND: return "Entry not found";
    default: return nullptr;
    }
}

} // namespace

void LNSetThrowAllErrorsGlobal(LNBOOL throwAll)
{
    notes::detail::g_throwAllErrors = throwAll != FALSE;
}

LNBOOL LNGetThrowAllErrorsGlobal()
{
    return notes::detail::g_throwAllErrors ? TRUE : FALSE;
}

LNINT LNGetErrorMessageText(LNSTATUS status, char* buffer, LNINT bufferBytes)
{
    if (!buffer || bufferBytes <= 0)
        return 0;
    char unknown[40];
    const char* text = StatusText(status);
    if (!text) {
        std::snprintf(unknown, sizeof unknown, "Unknown error 0x%04X", static_cast<unsigned>(status));
        text = unknown;
    }
    std::size_t length = std::min(std::strlen(text), static_cast<std::size_t>(bufferBytes - 1));
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return static_cast<LNINT>(length);
}

namespace notes::detail {

std::atomic<bool> g_throwAllErrors{false};

void Raise(LNSTATUS status)
{
    throw status;
}

} // namespace notes::detail
