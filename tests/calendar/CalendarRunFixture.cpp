#include "CalendarRunFixture.h"

#include "CalendarConverter.h"
#include "CalendarDates.h"
#include "Converters.h"
#include "MarlwickDlg.h"

namespace calendartest {

namespace {

mapi::NamedTag Appointment(std::uint32_t lid, std::uint16_t type)
{
    return mapi::LidTag(mapi::PSETID_Appointment, lid, type);
}

mapi::NamedTag Common(std::uint32_t lid, std::uint16_t type)
{
    return mapi::LidTag(mapi::PSETID_Common, lid, type);
}

} // namespace

void CalendarRunFixture::SetUp()
{
    MailRunFixture::SetUp();
    g_nConvMode = 3;
    InstallConverter(3, &RunCalendarConversion);
    g_bSeriesType2Done = g_bSeriesType16Done = g_bSeriesType8Done = 0;
}

void CalendarRunFixture::TearDown()
{
    MailRunFixture::TearDown();
    FreeStringList(&g_lstStartDates);
    FreeStringList(&g_lstEndDates);
}

std::string CalendarRunFixture::CalendarNsf(const std::vector<std::string>& entries, const std::string& notes)
{
    std::string description = "view ($All)\nview ($Calendar)\nentries";
    for (const auto& entry : entries)
        description += " " + entry;
    return description + "\n" + notes;
}

std::vector<mapi::CMessage> CalendarRunFixture::Items()
{
    return MessagesIn({});
}

std::u16string CalendarRunFixture::SubjectOf(const mapi::CMessage& item)
{
    return item.GetString(0x0037001F);
}

std::optional<std::uint64_t> CalendarRunFixture::StartOf(const mapi::CMessage& item)
{
    return componenttest::NamedValue<std::uint64_t>(item, Appointment(0x820D, mapi::PT_SYSTIME));
}

std::optional<std::uint64_t> CalendarRunFixture::EndOf(const mapi::CMessage& item)
{
    return componenttest::NamedValue<std::uint64_t>(item, Appointment(0x820E, mapi::PT_SYSTIME));
}

std::optional<bool> CalendarRunFixture::AllDayOf(const mapi::CMessage& item)
{
    return componenttest::NamedValue<bool>(item, Appointment(0x8215, mapi::PT_BOOLEAN));
}

std::optional<bool> CalendarRunFixture::ReminderOf(const mapi::CMessage& item)
{
    return componenttest::NamedValue<bool>(item, Common(0x8503, mapi::PT_BOOLEAN));
}

std::optional<std::int32_t> CalendarRunFixture::ReminderMinutesOf(const mapi::CMessage& item)
{
    return componenttest::NamedValue<std::int32_t>(item, Common(0x8501, mapi::PT_LONG));
}

std::optional<std::u16string> CalendarRunFixture::LocationOf(const mapi::CMessage& item)
{
    return componenttest::NamedValue<std::u16string>(item, Appointment(0x8208, mapi::PT_UNICODE));
}

std::vector<std::u16string> CalendarRunFixture::CategoriesOf(const mapi::CMessage& item)
{
    auto words = componenttest::NamedValue<std::vector<std::u16string>>(
        item, {mapi::NamedProperty::Name(mapi::PS_PUBLIC_STRINGS, u"Keywords"), mapi::PT_MV_UNICODE});
    return words.value_or(std::vector<std::u16string>{});
}

} // namespace calendartest
