#include "nsfbuild/DatabaseContent.h"

namespace nsfbuild {

ItemContent TextItem(std::string name, std::vector<std::string> values, LNITEMFLAGS flags)
{
    ItemContent item;
    item.name = std::move(name);
    item.type = LNITEMTYPE_TEXT;
    item.flags = flags;
    item.texts = std::move(values);
    return item;
}

ItemContent NumberItem(std::string name, std::vector<double> values)
{
    ItemContent item;
    item.name = std::move(name);
    item.type = LNITEMTYPE_NUMBERS;
    item.flags = LNITEMFLAGS_SUMMARY;
    item.numbers = std::move(values);
    return item;
}

ItemContent DateItem(std::string name, std::vector<DateTimeEntry> values)
{
    ItemContent item;
    item.name = std::move(name);
    item.type = LNITEMTYPE_DATETIMES;
    item.flags = LNITEMFLAGS_SUMMARY;
    item.times = std::move(values);
    return item;
}

ItemContent RichTextItem(std::string name, RichTextContent content)
{
    ItemContent item;
    item.name = std::move(name);
    item.type = LNITEMTYPE_RICHTEXT;
    item.richText = std::move(content);
    return item;
}

DateTimeValue MakeTime(int year, int month, int day, int hour, int minute, int second)
{
    return DateTimeValue{notes::format::SecondsFromCivil({year, month, day, hour, minute, second}),
                         notes::format::DatePrecision::DateAndTime};
}

} // namespace nsfbuild
