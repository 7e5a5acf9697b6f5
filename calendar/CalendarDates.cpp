#include "CalendarDates.h"

#include "CalendarText.h"
#include "notes/LNDatetime.h"
#include "ole/OleAuto.h"
#include "ole/Variant.h"

#include <algorithm>

StringNode* g_lstStartDates = nullptr;
StringNode* g_lstEndDates = nullptr;

namespace {

// The longest list text that the buffer holds, cut after its last whole value.
std::string BoundDateList(const std::string& text)
{
    if (text.size() < kItemTextBytes)
        return text;
    std::string cut = CopyBoundedText(text);
    const std::size_t lastSeparator = cut.rfind(';');
    if (lastSeparator != std::string::npos)
        cut.resize(lastSeparator);
    return cut;
}

} // namespace

DateListText ReadDateListText(const LNNote& note, const char* name, std::size_t wideCapacity)
{
    LNDatetimes dates;
    note.GetItem(name, &dates);
    LNString text;
    dates.GetText(&text, ";");
    DateListText list;
    list.narrow = BoundDateList(text.Text());
    list.wide = WidenCapped(list.narrow, wideCapacity);
    return list;
}

int CountSeparators(std::string_view narrow)
{
    return static_cast<int>(std::count(narrow.begin(), narrow.end(), ';'));
}

int SplitDateList(const DateListText& text, StringNode** list)
{
    if (text.wide.find(u';') == std::u16string::npos)
        return 0;
    const int separators = CountSeparators(text.narrow);
    CutDateList(text.wide, separators + 1, list);
    return separators;
}

void CutDateList(std::u16string_view text, int pieces, StringNode** list)
{
    for (int piece = 0; piece < pieces; ++piece) {
        const std::size_t separator = text.find(u';');
        const std::u16string value(text.substr(0, separator));
        AppendStringNode(list, value.c_str());
        if (separator != std::u16string_view::npos)
            text.remove_prefix(separator + 1);
    }
}

const WCHAR* DatePieceAt(const StringNode* list, int position)
{
    for (int i = 0; list && i < position; ++i)
        list = list->next;
    return list ? list->text : nullptr;
}
