// A calendar run over a database built from a description: the mail run's
// machine and NSF with the conversion mode 3, the calendar conversion
// installed, and the calendar folder of the PST read back after the run.
#pragma once

#include "MailRunFixture.h"

#include <string>
#include <vector>

namespace calendartest {

using namespace enginetest;

// The step-5 folder name, which names the calendar folder.
inline constexpr const char16_t* kCalendarFolder = u"Mail";

// 1 July 2026 09:00 as PST times (100 ns since 1601, UTC) and their steps.
inline constexpr std::uint64_t kMinute = 600000000ull;
inline constexpr std::uint64_t kHour = 60 * kMinute;
inline constexpr std::uint64_t kDay = 24 * kHour;
inline constexpr std::uint64_t kJulyFirstNine = 134273700000000000ull;
// 30 December 1899, midnight: the date of a text that does not convert.
inline constexpr std::uint64_t kDayZero = 94353120000000000ull;

class CalendarRunFixture : public MailRunFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // A database whose "($Calendar)" view lists the notes of the body, in
    // their order; body holds "note" statements.
    static std::string CalendarNsf(const std::vector<std::string>& entries, const std::string& notes);

    // The items of the calendar folder, in the order they were saved.
    std::vector<mapi::CMessage> Items();

    static std::u16string SubjectOf(const mapi::CMessage& item);
    static std::optional<std::uint64_t> StartOf(const mapi::CMessage& item);
    static std::optional<std::uint64_t> EndOf(const mapi::CMessage& item);
    static std::optional<bool> AllDayOf(const mapi::CMessage& item);
    static std::optional<bool> ReminderOf(const mapi::CMessage& item);
    static std::optional<std::int32_t> ReminderMinutesOf(const mapi::CMessage& item);
    static std::optional<std::u16string> LocationOf(const mapi::CMessage& item);
    static std::vector<std::u16string> CategoriesOf(const mapi::CMessage& item);
};

} // namespace calendartest
