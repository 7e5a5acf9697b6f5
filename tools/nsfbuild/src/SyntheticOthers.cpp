#include "nsfbuild/NsfWriter.h"
#include "nsfbuild/Synthetic.h"

#include "CalendarNotes.h"
#include "SyntheticText.h"

namespace nsfbuild {

namespace {

NoteContent Person(CSyntheticText& random, std::size_t index)
{
    std::string first = random.FirstName();
    std::string last = random.LastName() + (index >= 400 ? std::to_string(index) : "");
    std::string company = random.Company();
    std::string mail = first + "." + last + "@example.com";
    for (auto& c : mail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    auto phone = [&] { return "+1 555 01" + std::to_string(random.Between(10, 99)); };

    NoteContent note;
    note.created = note.modified = note.added = MakeTime(2025, 6, 1 + static_cast<int>(index % 28), 10);
    note.items.push_back(TextItem("Form", {"Person"}));
    note.items.push_back(TextItem("Type", {"Person"}));
    note.items.push_back(TextItem("FirstName", {first}));
    note.items.push_back(TextItem("MiddleInitial", {std::string(1, static_cast<char>('A' + index % 26)) + "."}));
    note.items.push_back(TextItem("LastName", {last}));
    note.items.push_back(
        TextItem("FullName", {random.CanonicalName(first, last), first + " " + last}, LNITEMFLAGS_NAMES));
    note.items.push_back(TextItem("ShortName", {first.substr(0, 1) + last}));
    note.items.push_back(TextItem("JobTitle", {random.Word() + " manager"}));
    note.items.push_back(TextItem("CompanyName", {company}));
    note.items.push_back(TextItem("Department", {random.Word()}));
    note.items.push_back(TextItem("InternetAddress", {mail}));
    if (index % 4 == 0)
        note.items.push_back(TextItem("MailAddress", {first + "@mail.example.com"}));
    note.items.push_back(TextItem("OfficePhoneNumber", {phone()}));
    note.items.push_back(TextItem("CellPhoneNumber", {phone()}));
    if (index % 3 == 0) {
        note.items.push_back(TextItem("OfficeFAXPhoneNumber", {phone()}));
        note.items.push_back(TextItem("HomeFAXPhoneNumber", {phone()}));
        note.items.push_back(TextItem("MiscPhone1", {phone()}));
    }
    note.items.push_back(TextItem("Country", {"Exampleland"}));
    DateTimeValue birthday = MakeTime(1960 + static_cast<int>(index % 40), 1 + static_cast<int>(index % 12),
                                      1 + static_cast<int>(index % 28));
    birthday.precision = notes::format::DatePrecision::DateOnly;
    note.items.push_back(DateItem("Birthday", {{birthday, std::nullopt}}));
    if (index % 5 == 0) {
        DateTimeValue anniversary = birthday;
        anniversary.seconds += 25LL * 365 * 86400;
        note.items.push_back(DateItem("Anniversary", {{anniversary, std::nullopt}}));
    }
    return note;
}

NoteContent Group(CSyntheticText& random, std::size_t index)
{
    NoteContent note;
    note.created = note.modified = note.added = MakeTime(2025, 7, 1, 10);
    note.items.push_back(TextItem("Form", {"Group"}));
    note.items.push_back(TextItem("ListName", {"Group " + std::to_string(index + 1)}));
    std::vector<std::string> members;
    for (int i = 0; i < 4; ++i)
        members.push_back(random.CanonicalPerson());
    note.items.push_back(TextItem("Members", members, LNITEMFLAGS_NAMES));
    return note;
}

NoteContent ShareDocument(CSyntheticText& random, std::size_t index)
{
    NoteContent note;
    note.created = MakeTime(2026, 3, 1 + static_cast<int>(index % 28), 9);
    note.modified = note.added = note.created;
    note.items.push_back(TextItem("Form", {"Document"}));
    note.items.push_back(TextItem("Subject", {random.Sentence(random.Between(3, 7))}));
    note.items.push_back(TextItem("Categories", {random.Word()}));
    note.items.push_back(TextItem("Authors", {random.CanonicalPerson()}, LNITEMFLAGS_AUTHORS | LNITEMFLAGS_NAMES));
    RichTextContent body = random.Body(random.Between(2, 6));
    notes::format::RichParagraph table;
    for (int column = 0; column < 3; ++column) {
        if (column)
            table.elements.push_back(notes::format::MakeElement(notes::format::RichElementKind::Tab));
        table.elements.push_back(notes::format::MakeRun(random.Word(), notes::format::RUN_BOLD));
    }
    body.paragraphs.push_back(std::move(table));
    notes::format::RichElement picture;
    picture.kind = notes::format::RichElementKind::Graphic;
    picture.width = picture.height = kSamplePngSize;
    picture.bytes = SamplePng();
    body.paragraphs.push_back({{picture}});
    std::size_t attachments = random.Between(1, 3);
    for (std::size_t a = 0; a < attachments; ++a) {
        std::string name = random.Word() + "-" + std::to_string(index) + "-" + std::to_string(a) + ".pdf";
        note.attachments.push_back({name, random.Bytes(random.Between(2048, 128 * 1024))});
        notes::format::RichElement place;
        place.kind = notes::format::RichElementKind::AttachmentRef;
        place.text = name;
        body.paragraphs.push_back({{place}});
    }
    note.items.push_back(RichTextItem("Body", std::move(body)));
    return note;
}

} // namespace

Result BuildSyntheticAddressBook(const std::filesystem::path& hostPath, const AddressBookOptions& options)
{
    CSyntheticText random(options.seed);
    std::unique_ptr<CNsfWriter> writer;
    if (Result result = CNsfWriter::Create(hostPath, &writer); !result)
        return result;
    std::vector<std::int64_t> people, groups;
    for (std::size_t i = 0; i < options.persons; ++i)
        people.push_back(writer->AddNote(Person(random, i)));
    for (std::size_t i = 0; i < options.groups; ++i)
        groups.push_back(writer->AddNote(Group(random, i)));
    writer->AddViewFolder("People", false, people);
    writer->AddViewFolder("($People)", false, people);
    writer->AddViewFolder("Groups", false, groups);
    return writer->Finish();
}

Result BuildSyntheticCalendar(const std::filesystem::path& hostPath, const CalendarOptions& options)
{
    CSyntheticText random(options.seed);
    std::unique_ptr<CNsfWriter> writer;
    if (Result result = CNsfWriter::Create(hostPath, &writer); !result)
        return result;
    std::vector<std::int64_t> entries;
    for (std::size_t i = 0; i < options.entries; ++i)
        entries.push_back(writer->AddNote(CalendarNote(random, i)));
    writer->AddViewFolder("($Inbox)", true, {});
    writer->AddViewFolder("($Calendar)", false, entries);
    writer->AddViewFolder("Meetings", false, {});
    return writer->Finish();
}

Result BuildSyntheticShare(const std::filesystem::path& hostPath, const ShareOptions& options)
{
    CSyntheticText random(options.seed);
    std::unique_ptr<CNsfWriter> writer;
    if (Result result = CNsfWriter::Create(hostPath, &writer); !result)
        return result;
    std::vector<std::int64_t> all;
    std::vector<std::vector<std::int64_t>> folders(options.folders);
    for (std::size_t i = 0; i < options.documents; ++i) {
        std::int64_t id = writer->AddNote(ShareDocument(random, i));
        all.push_back(id);
        if (!folders.empty())
            folders[i % folders.size()].push_back(id);
    }
    writer->AddViewFolder("All Documents", false, all);
    for (std::size_t f = 0; f < folders.size(); ++f)
        writer->AddViewFolder("Library\\Shelf " + std::to_string(f + 1), true, folders[f]);
    return writer->Finish();
}

} // namespace nsfbuild
