// The date lists of calendar entries: a Notes date-time item as one text of
// values joined by ";", its conversion to automation dates and its cutting
// into the pieces of a StringNode list.
#pragma once

#include "DateTextToDate.h"
#include "StringList.h"
#include "notes/LNNote.h"
#include "ole/OleAuto.h"
#include "win32/Types.h"

#include <string>
#include <string_view>

// The pieces of the dates of the entry being converted: starts, and the
// ends of a meeting. Emptied after every occurrence and when an entry is
// abandoned.
extern StringNode* g_lstStartDates;
extern StringNode* g_lstEndDates;

struct DateListText {
    // The copy in the 1024-byte buffer, and its byte length.
    std::string narrow;
    // The wide form, as shown and converted.
    std::u16string wide;
};

// The text of a date-time item with the separator ";". A text that does not
// fit the buffer keeps the values that fit whole, so that the count of its
// separators and its pieces stay the same list. Throws the Notes status of
// a missing item or one of another type.
DateListText ReadDateListText(const LNNote& note, const char* name, std::size_t wideCapacity);

// The number of ";" in a date list's narrow copy.
int CountSeparators(std::string_view narrow);
// Appends the values of a text holding ";" to the list and returns the
// number of separators; a text without one leaves the list alone.
int SplitDateList(const DateListText& text, StringNode** list);
// Appends exactly pieces pieces of text: each the text before the next
// ";", or what remains when none is left.
void CutDateList(std::u16string_view text, int pieces, StringNode** list);
// The text of node position of a list, or null past its end.
const WCHAR* DatePieceAt(const StringNode* list, int position);
