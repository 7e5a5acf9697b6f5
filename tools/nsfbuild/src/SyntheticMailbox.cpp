#include "nsfbuild/NsfWriter.h"
#include "nsfbuild/Synthetic.h"

#include "CalendarNotes.h"
#include "SyntheticText.h"

#include <iterator>

namespace nsfbuild {

namespace {

const char* const kScriptFolders[] = {"Συναντήσεις", "Проекты", "会议记录", "اجتماعات"};

struct FolderList {
    std::string name;
    bool isFolder;
    std::vector<std::int64_t> noteIds;
};

std::vector<std::string> Recipients(CSyntheticText& random, std::size_t low, std::size_t high)
{
    std::vector<std::string> names;
    std::size_t count = random.Between(low, high);
    for (std::size_t i = 0; i < count; ++i)
        names.push_back(random.CanonicalPerson());
    return names;
}

RichTextContent HtmlBody(CSyntheticText& random)
{
    std::string html = "<HTML> <body><h1>" + random.Sentence(4) + "</h1><p>" + random.Sentence(30) + "</p><p><b>" +
                       random.Sentence(8) + "</b></p></body></HTML>";
    RichTextContent content;
    content.paragraphs.push_back({{notes::format::MakeRun(html)}});
    return content;
}

NoteContent Message(CSyntheticText& random, std::size_t index, const MailboxOptions& options, bool sent)
{
    NoteContent note;
    // Two messages a day, going back from the end of 2026.
    DateTimeValue posted = MakeTime(2026, 12, 1, 9);
    posted.seconds -= static_cast<std::int64_t>(index) * 43200 - static_cast<std::int64_t>(random.Between(0, 36000));
    note.created = posted;
    note.modified = posted;
    note.modified.seconds += 60;
    note.added = note.modified;

    std::string owner = "CN=" + options.owner + "/OU=Sales/O=Acme";
    note.items.push_back(TextItem("Form", {"Memo"}));
    note.items.push_back(TextItem("From", {sent ? owner : random.CanonicalPerson()}, LNITEMFLAGS_NAMES));
    note.items.push_back(TextItem("SendTo", sent ? Recipients(random, 1, 4) : std::vector<std::string>{owner},
                                  LNITEMFLAGS_NAMES));
    if (random.OneIn(3))
        note.items.push_back(TextItem("CopyTo", Recipients(random, 1, 2), LNITEMFLAGS_NAMES));
    note.items.push_back(TextItem("Subject", {random.Sentence(random.Between(2, 9))}));
    note.items.push_back(DateItem("PostedDate", {DateTimeEntry{posted, std::nullopt}}));

    RichTextContent body = index % 10 == 3 ? HtmlBody(random) : random.Body(random.Between(1, 8));
    if (index % 25 == 7) {
        notes::format::RichElement picture;
        picture.kind = notes::format::RichElementKind::Graphic;
        picture.format = notes::format::GraphicFormat::Png;
        picture.width = picture.height = kSamplePngSize;
        picture.bytes = SamplePng();
        body.paragraphs.push_back({{picture}});
    }
    const std::size_t every = options.attachmentEvery ? options.attachmentEvery : 20;
    if (index % every == 11 % every) {
        std::string name = random.Word() + "-" + std::to_string(index) + ".doc";
        const std::size_t bytes =
            options.attachmentBytes ? options.attachmentBytes : random.Between(1024, 48 * 1024);
        note.attachments.push_back({name, random.Bytes(bytes)});
        notes::format::RichElement place;
        place.kind = notes::format::RichElementKind::AttachmentRef;
        place.text = name;
        body.paragraphs.push_back({{place}});
    }
    if (index % 50 == 13)
        note.attachments.push_back({"$MIMEPart" + std::to_string(index), random.Base64(random.Bytes(600))});
    note.items.push_back(RichTextItem("Body", std::move(body)));
    return note;
}

} // namespace

Result BuildSyntheticMailbox(const std::filesystem::path& hostPath, const MailboxOptions& options)
{
    CSyntheticText random(options.seed);
    std::unique_ptr<CNsfWriter> writer;
    if (Result result = CNsfWriter::Create(hostPath, &writer); !result)
        return result;

    std::vector<FolderList> lists = {
        {"($All)", false, {}}, {"($Inbox)", true, {}}, {"($Sent)", true, {}}, {"($Drafts)", true, {}},
        {"($Trash)", true, {}},
    };
    const std::size_t firstUser = lists.size();
    for (std::size_t f = 0; f < options.folders; ++f) {
        // The parent of the nested folders, a folder ending in ")" and one
        // with an accented letter come first; folders named in other scripts
        // follow.
        std::string name = f % 4 == 1 ? "Projects\\" + std::to_string(2020 + f) : "Folder " + std::to_string(f + 1);
        if (f == 0)
            name = "Projects";
        else if (f == 2)
            name = "Taxes (2025)";
        else if (f == 3)
            name = "Réunions";
        else if (f >= 6 && f - 6 < std::size(kScriptFolders))
            name = kScriptFolders[f - 6];
        lists.push_back({name, true, {}});
    }

    for (std::size_t i = 0; i < options.messages; ++i) {
        std::size_t where = random.Between(0, 99);
        std::size_t list;
        if (options.folders == 0)
            list = where < 70 ? 1 : where < 90 ? 2 : where < 95 ? 3 : 4;
        else if (where < 70)
            list = where < 45 ? 1 : where < 65 ? 2 : where < 67 ? 3 : 4;
        else
            list = firstUser + random.Between(0, options.folders - 1);
        std::int64_t id = writer->AddNote(Message(random, i, options, list == 2));
        lists[0].noteIds.push_back(id);
        lists[list].noteIds.push_back(id);
    }
    if (options.calendarEntries) {
        std::vector<std::int64_t> calendar;
        for (std::size_t i = 0; i < options.calendarEntries; ++i)
            calendar.push_back(writer->AddNote(CalendarNote(random, i)));
        lists.push_back({"($Calendar)", false, std::move(calendar)});
    }
    for (const auto& list : lists)
        writer->AddViewFolder(list.name, list.isFolder, list.noteIds);
    return writer->Finish();
}

} // namespace nsfbuild
