#include "CalendarNotes.h"

namespace nsfbuild {

namespace {

const LNCALENTRYTYPE kTypes[] = {
    LNCALENTRYTYPE_NONE,    LNCALENTRYTYPE_APPOINTMENT, LNCALENTRYTYPE_ANNIVERSARY,         LNCALENTRYTYPE_REMINDER,
    LNCALENTRYTYPE_MEETING, LNCALENTRYTYPE_EVENT,       static_cast<LNCALENTRYTYPE>(32),
};
const char* const kCategories[] = {"Holiday", "Miscellaneous", "Travel", "Projects", "Personal"};
const char* const kRooms[] = {"Room 1/Site A", "Room 2/Site A", "Boardroom/Site B"};

std::vector<std::string> People(CSyntheticText& random, std::size_t count)
{
    std::vector<std::string> people;
    for (std::size_t i = 0; i < count; ++i)
        people.push_back(random.CanonicalPerson());
    return people;
}

} // namespace

NoteContent CalendarNote(CSyntheticText& random, std::size_t index)
{
    NoteContent note;
    note.calendarType = kTypes[index % std::size(kTypes)];
    note.alarm = index % 3 == 0;
    DateTimeValue start = MakeTime(2026, 1 + static_cast<int>(index % 12), 1 + static_cast<int>(index % 28),
                                   8 + static_cast<int>(index % 9));
    note.created = note.modified = note.added = MakeTime(2025, 12, 1, 8);
    DateTimeValue end = start;
    end.seconds += 3600;

    note.items.push_back(TextItem("Form", {"Appointment"}));
    note.items.push_back(TextItem("Subject", {random.Sentence(random.Between(2, 6))}));
    note.items.push_back(TextItem("Location", {random.Company() + " office"}));
    note.items.push_back(TextItem("Categories", {kCategories[index % std::size(kCategories)]}));
    note.items.push_back(RichTextItem("Body", random.Body(random.Between(1, 3))));
    if (note.alarm)
        note.items.push_back(NumberItem("Alarms", {1}));

    std::vector<DateTimeEntry> starts{{start, std::nullopt}};
    std::vector<DateTimeEntry> ends{{end, std::nullopt}};
    switch (note.calendarType) {
    case LNCALENTRYTYPE_ANNIVERSARY:
    case LNCALENTRYTYPE_EVENT:
        // A series: the same time on later dates.
        for (int k = 1; k < 3; ++k) {
            DateTimeValue next = start;
            next.seconds += static_cast<std::int64_t>(k) * (note.calendarType == LNCALENTRYTYPE_EVENT ? 86400 : 7 * 86400);
            starts.push_back({next, std::nullopt});
            DateTimeValue nextEnd = next;
            nextEnd.seconds += 3600;
            ends.push_back({nextEnd, std::nullopt});
        }
        break;
    case LNCALENTRYTYPE_MEETING: {
        note.items.push_back(TextItem("RequiredAttendees", People(random, 3), LNITEMFLAGS_NAMES));
        note.items.push_back(TextItem("OptionalAttendees", People(random, 1), LNITEMFLAGS_NAMES));
        note.items.push_back(TextItem("FYIAttendees", People(random, 1), LNITEMFLAGS_NAMES));
        note.items.push_back(TextItem("RequiredResources", {kRooms[index % std::size(kRooms)]}, LNITEMFLAGS_NAMES));
        if (index % 2) {
            DateTimeValue next = start;
            next.seconds += 7 * 86400;
            starts.push_back({next, std::nullopt});
            DateTimeValue nextEnd = next;
            nextEnd.seconds += 3600;
            ends.push_back({nextEnd, std::nullopt});
        }
        break;
    }
    case LNCALENTRYTYPE_REMINDER: {
        DateTimeValue day = start;
        day.precision = notes::format::DatePrecision::DateAndTime;
        note.items.push_back(DateItem("StartDate", {{day, std::nullopt}}));
        ends.clear();
        break;
    }
    default:
        break;
    }
    note.items.push_back(DateItem("StartDateTime", starts));
    if (!ends.empty())
        note.items.push_back(DateItem("EndDateTime", ends));
    if (index % 7 == 5)
        note.attachments.push_back({"agenda-" + std::to_string(index) + ".txt", random.Sentence(40)});
    return note;
}

} // namespace nsfbuild
