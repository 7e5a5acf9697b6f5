// What the store writes, as the independent readers of Debian read it:
// readpst (pst-utils) and pffexport (pff-tools). Mail with all three body
// kinds, recipients, dates and attachments; contacts; timed and all-day
// appointments; folder names and container classes.
#include "../ReaderTools.h"
#include "../TempDir.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Store.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <tuple>

using namespace mapi;
using namespace mapitest;

namespace {

constexpr std::int64_t kSent = 1'700'000'000; // Tue, 14 Nov 2023 22:13:20 UTC
const std::string kRtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}Quarterly {\\b figures}\\par}";

std::string Text(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(size, ' ');
    for (auto& c : s)
        c = static_cast<char>('a' + rng() % 26);
    return s;
}

Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Must(const Result<void>& r) { ASSERT_TRUE(r.Ok()) << r.Message(); }

// The store every test reads, and what the readers made of it.
struct Written {
    CTempDir dir;
    std::filesystem::path pst = dir / "export.pst";
    ToolRun readpst, pffexport;
    std::filesystem::path readpstDir = dir / "readpst";
    std::filesystem::path pffDir = dir / "pff.export";
};
Written* g_written = nullptr;

// A mail from Anna to Bob, sent `minutes` after kSent.
CMessage NewMail(CFolder& folder, const std::u16string& subject, int minutes)
{
    CMessage m = folder.CreateMessage();
    m.SetSubject(subject);
    m.SetSender(u"Anna Sender", u"anna@example.com");
    m.AddRecipient({MAPI_TO, u"Bob To", u"bob@example.com", u"SMTP", {}});
    m.SetTime(PR_CLIENT_SUBMIT_TIME, FileTimeFromUnixSeconds(kSent + 60 * minutes));
    m.SetTime(PR_MESSAGE_DELIVERY_TIME, FileTimeFromUnixSeconds(kSent + 60 * minutes));
    return m;
}

void WriteMail(CFolder& folder)
{
    CMessage plain = NewMail(folder, u"Plain with attachments", 0);
    plain.AddRecipient({MAPI_CC, u"Carl Cc", u"carl@example.com", u"SMTP", {}});
    plain.AddRecipient({MAPI_BCC, u"Dora Bcc", u"dora@example.com", u"SMTP", {}});
    plain.SetBody(u"First line of the plain body\r\nSecond line");
    plain.AddAttachment(CAttachment::ByValue(u"minutes.txt", BytesOf(Text(300, 1)), u"text/plain"));
    plain.AddAttachment(CAttachment::ByValue(u"scan of the contract.pdf", BytesOf(Text(150'000, 2)), u"application/pdf"));
    plain.SetRead(true);
    Must(plain.Save());

    CMessage html = NewMail(folder, u"Html body", 1);
    html.SetBody(u"Html body as text");
    html.SetHtmlBody(u"<html><body><p>Html <b>body</b></p></body></html>");
    Must(html.Save());

    CMessage rtf = NewMail(folder, u"Rtf body", 2);
    rtf.SetRtfBody(kRtf);
    Must(rtf.Save());
}

void WriteContact(CFolder& folder)
{
    CMessage c = folder.CreateMessage(u"IPM.Contact");
    c.SetSubject(u"Doe, John");
    c.SetString(PR_DISPLAY_NAME, u"John Doe");
    c.SetString(PR_GIVEN_NAME, u"John");
    c.SetString(PR_SURNAME, u"Doe");
    c.SetString(PR_COMPANY_NAME, u"Acme Widgets");
    c.SetString(PR_TITLE, u"Engineer");
    c.SetString(PR_BUSINESS_TELEPHONE_NUMBER, u"+1 555 0100");
    c.SetString(PR_HOME_TELEPHONE_NUMBER, u"+1 555 0101");
    c.SetString(PR_MOBILE_TELEPHONE_NUMBER, u"+1 555 0199");
    c.SetString(PR_BUSINESS_FAX_NUMBER, u"+1 555 0102");
    Must(c.SetNamedProperty(PidLidEmail1EmailAddress, PropertyValue::Unicode(u"john@acme.example")));
    Must(c.SetNamedProperty(PidLidEmail1AddressType, PropertyValue::Unicode(u"SMTP")));
    Must(c.SetNamedProperty(PidLidEmail1DisplayName, PropertyValue::Unicode(u"John Doe (john@acme.example)")));
    Must(c.SetNamedProperty(PidLidFileUnder, PropertyValue::Unicode(u"Doe, John")));
    Must(c.Save());
}

void WriteAppointment(CFolder& folder, const std::u16string& subject, std::int64_t start, std::int64_t end, bool allDay,
                      int reminder)
{
    CMessage a = folder.CreateMessage(u"IPM.Appointment");
    a.SetSubject(subject);
    const FileTime s = FileTimeFromUnixSeconds(start), e = FileTimeFromUnixSeconds(end);
    Must(a.SetNamedProperty(PidLidAppointmentStartWhole, PropertyValue::SysTime(s)));
    Must(a.SetNamedProperty(PidLidAppointmentEndWhole, PropertyValue::SysTime(e)));
    Must(a.SetNamedProperty(PidLidAppointmentSubType, PropertyValue::Boolean(allDay)));
    Must(a.SetNamedProperty(PidLidLocation, PropertyValue::Unicode(u"Room 4")));
    Must(a.SetNamedProperty(PidLidBusyStatus, PropertyValue::Long(olBusy)));
    Must(a.SetNamedProperty(PidLidReminderSet, PropertyValue::Boolean(reminder > 0)));
    if (reminder > 0)
        Must(a.SetNamedProperty(PidLidReminderDelta, PropertyValue::Long(reminder)));
    a.SetTime(PR_START_DATE, s);
    a.SetTime(PR_END_DATE, e);
    Must(a.Save());
}

class ReaderRoundTripTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_written = new Written;
        auto store = CStore::Create(g_written->pst, u"Marlwick Export");
        ASSERT_TRUE(store.Ok()) << store.Message();
        CFolder ipm = *(*store)->GetIpmSubtree();
        CFolder mail = *ipm.CreateSubfolder(u"Notes Mail", kClassNoteFolder);
        WriteMail(mail);
        CFolder archive = *mail.CreateSubfolder(u"Archive", kClassNoteFolder);
        CMessage old = archive.CreateMessage();
        old.SetSubject(u"From the archive");
        old.SetBody(u"Archived text");
        Must(old.Save());
        CFolder contacts = *ipm.CreateSubfolder(u"Contacts", kClassContactFolder);
        WriteContact(contacts);
        CFolder calendar = *ipm.CreateSubfolder(u"Calendar", kClassAppointmentFolder);
        WriteAppointment(calendar, u"Team meeting", kSent, kSent + 3600, false, 15);
        WriteAppointment(calendar, u"Holiday", 1'700'006'400, 1'700'092'800, true, 0);
        Must((*store)->Close());
        if (Installed("readpst"))
            g_written->readpst = RunReadpst(g_written->pst, g_written->readpstDir, "-S -8 -d " +
                                                                                      Quoted(g_written->dir / "readpst.log"));
        if (Installed("pffexport"))
            g_written->pffexport = RunTool("pffexport -q -d -f all -t " + Quoted(g_written->dir / "pff") + " " +
                                           Quoted(g_written->pst));
    }
    static void TearDownTestSuite()
    {
        delete g_written;
        g_written = nullptr;
    }
    void SetUp() override
    {
        if (!g_written || !std::filesystem::exists(g_written->pst))
            GTEST_SKIP() << "the store was not written";
    }
    // readpst's files of one folder.
    static std::filesystem::path ReadpstFolder(const std::string& path)
    {
        return g_written->readpstDir / "Marlwick Export" / path;
    }
    // The one readpst file of a folder that holds `needle`.
    static std::string ReadpstItem(const std::string& folder, const std::string& needle)
    {
        auto files = FilesContaining(ReadpstFolder(folder), needle);
        EXPECT_EQ(files.size(), 1u) << needle;
        return files.empty() ? std::string() : ReadFile(files.front());
    }
    static std::filesystem::path PffItem(const std::string& path) { return g_written->pffDir / "Top of Personal Folders" / path; }
    // pffexport's folder of the message with that subject (it numbers
    // subfolders and messages together, so the numbers say little).
    static std::filesystem::path PffMessage(const std::string& folder, const std::string& subject)
    {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(PffItem(folder)))
            if (std::filesystem::exists(entry.path() / "OutlookHeaders.txt") &&
                ReadFile(entry.path() / "OutlookHeaders.txt").find("\t" + subject + "\n") != std::string::npos)
                found.push_back(entry.path());
        EXPECT_EQ(found.size(), 1u) << subject;
        return found.empty() ? PffItem(folder) : found.front();
    }
};

bool Has(const std::string& text, const std::string& needle) { return text.find(needle) != std::string::npos; }

} // namespace

TEST_F(ReaderRoundTripTest, BothReadersAcceptTheFileWithoutWarnings)
{
    if (!Installed("readpst") || !Installed("pffexport"))
        GTEST_SKIP() << "readers not installed";
    EXPECT_EQ(g_written->readpst.status, 0) << g_written->readpst.output;
    // readpst says which folder it reads and how many items it took; any
    // other line is a complaint.
    std::istringstream lines(g_written->readpst.output);
    std::vector<std::string> summaries;
    for (std::string line; std::getline(lines, line);) {
        if (Has(line, "items done"))
            summaries.push_back(line);
        else
            EXPECT_TRUE(line == "Opening PST file and indexes..." || line.rfind("Processing Folder \"", 0) == 0) << line;
    }
    std::sort(summaries.begin(), summaries.end());
    EXPECT_EQ(summaries, (std::vector<std::string>{"\t\"Archive\" - 1 items done, 0 items skipped.",
                                                   "\t\"Calendar\" - 2 items done, 0 items skipped.",
                                                   "\t\"Contacts\" - 1 items done, 0 items skipped.",
                                                   "\t\"Marlwick Export\" - 4 items done, 0 items skipped.",
                                                   "\t\"Notes Mail\" - 4 items done, 0 items skipped."}));

    EXPECT_EQ(g_written->pffexport.status, 0) << g_written->pffexport.output;
    EXPECT_EQ(g_written->pffexport.output, "pffexport 20180714\n\nOpening file.\nExporting items.\n\nExport completed.\n");
}

TEST_F(ReaderRoundTripTest, ReadpstReadsEveryMailField)
{
    if (!Installed("readpst"))
        GTEST_SKIP() << "readpst not installed";
    const std::string plain = ReadpstItem("Notes Mail", "Subject: Plain with attachments");
    EXPECT_TRUE(Has(plain, "From: \"Anna Sender\" <anna@example.com>")) << plain;
    EXPECT_TRUE(Has(plain, "To: Bob To\n")) << plain;
    EXPECT_TRUE(Has(plain, "Cc: Carl Cc\n")) << plain;
    EXPECT_TRUE(Has(plain, "Date: Tue, 14 Nov 2023 22:13:20 +0000")) << plain;
    EXPECT_TRUE(Has(plain, "Status: RO")) << "read";
    EXPECT_TRUE(Has(plain, "First line of the plain body\nSecond line")) << plain;
    for (auto [name, seed, size] : {std::tuple{"minutes.txt", 1u, 300u}, std::tuple{"scan of the contract.pdf", 2u, 150'000u}}) {
        auto files = FilesContaining(ReadpstFolder("Notes Mail"), Text(size, seed));
        ASSERT_EQ(files.size(), 1u) << name;
        EXPECT_TRUE(ReadFile(files.front()) == Text(size, seed));
        EXPECT_TRUE(Has(files.front().filename().string(), name)) << files.front();
    }

    const std::string html = ReadpstItem("Notes Mail", "Subject: Html body");
    EXPECT_TRUE(Has(html, "Content-Type: text/html")) << html;
    EXPECT_TRUE(Has(html, "<html><body><p>Html <b>body</b></p></body></html>")) << html;
    EXPECT_TRUE(Has(html, "Date: Tue, 14 Nov 2023 22:14:20 +0000")) << html;
    EXPECT_FALSE(Has(html, "Status: RO")) << "unread";

    // readpst hands the RTF body over as a file of its own, decompressed.
    auto rtf = FilesContaining(ReadpstFolder("Notes Mail"), kRtf);
    ASSERT_EQ(rtf.size(), 1u);
    EXPECT_EQ(ReadFile(rtf.front()), kRtf);

    EXPECT_TRUE(Has(ReadpstItem("Notes Mail/Archive", "Subject: From the archive"), "Archived text"));
}

TEST_F(ReaderRoundTripTest, ReadpstReadsContactsAndAppointments)
{
    if (!Installed("readpst"))
        GTEST_SKIP() << "readpst not installed";
    const std::string card = ReadpstItem("Contacts", "BEGIN:VCARD");
    for (const char* line : {"N:Doe;John;;;", "EMAIL:john@acme.example", "TEL;TYPE=work,voice:+1 555 0100",
                             "TEL;TYPE=home,voice:+1 555 0101", "TEL;TYPE=cell,voice:+1 555 0199",
                             "TEL;TYPE=work,fax:+1 555 0102", "ORG:Acme Widgets", "TITLE:Engineer"})
        EXPECT_TRUE(Has(card, std::string(line) + "\n")) << line << "\n" << card;

    const std::string meeting = ReadpstItem("Calendar", "SUMMARY:Team meeting");
    for (const char* line : {"DTSTART;VALUE=DATE-TIME:20231114T221320Z", "DTEND;VALUE=DATE-TIME:20231114T231320Z",
                             "LOCATION:Room 4", "TRIGGER:-PT15M"})
        EXPECT_TRUE(Has(meeting, line)) << line << "\n" << meeting;
    const std::string holiday = ReadpstItem("Calendar", "SUMMARY:Holiday");
    EXPECT_TRUE(Has(holiday, "DTSTART;VALUE=DATE-TIME:20231115T000000Z")) << holiday;
    EXPECT_TRUE(Has(holiday, "DTEND;VALUE=DATE-TIME:20231116T000000Z")) << holiday;
    EXPECT_FALSE(Has(holiday, "VALARM")) << "no reminder";
    // readpst reads the all-day flag but writes no trace of it in its files;
    // its log shows what it read.
    const std::string log = ReadFile(g_written->dir / "readpst.log");
    EXPECT_TRUE(Has(log, "All day flag - True"));
    EXPECT_TRUE(Has(log, "All day flag - False"));
}

TEST_F(ReaderRoundTripTest, PffexportReadsFoldersClassesAndEveryMailField)
{
    if (!Installed("pffexport"))
        GTEST_SKIP() << "pffexport not installed";
    for (auto [folder, cls] : {std::pair{"Notes Mail", "IPF.Note"}, std::pair{"Notes Mail/Archive", "IPF.Note"},
                               std::pair{"Contacts", "IPF.Contact"}, std::pair{"Calendar", "IPF.Appointment"}}) {
        auto values = ParseItemValues(ReadFile(PffItem(folder) / "ItemValues.txt"));
        ASSERT_FALSE(values.empty()) << folder;
        EXPECT_EQ(Utf16Value(values[0][0x3613]), cls) << folder;
        EXPECT_EQ(Utf16Value(values[0][0x3001]), std::filesystem::path(folder).filename().string());
    }

    const auto plain = PffMessage("Notes Mail", "Plain with attachments");
    const std::string headers = ReadFile(plain / "OutlookHeaders.txt");
    for (const char* line : {"Client submit time:\t\t\tNov 14, 2023 22:13:20.000000000 UTC",
                             "Delivery time:\t\t\t\tNov 14, 2023 22:13:20.000000000 UTC",
                             "Subject:\t\t\t\tPlain with attachments", "Sender name:\t\t\t\tAnna Sender",
                             "Sender email address:\t\t\tanna@example.com", "(Read, Has attachments)"})
        EXPECT_TRUE(Has(headers, line)) << line << "\n" << headers;
    EXPECT_EQ(ReadFile(plain / "Message.txt"), "First line of the plain body\r\nSecond line");
    const std::string recipients = ReadFile(plain / "Recipients.txt");
    for (const char* block : {"Display name:\t\tBob To\nEmail address:\t\tbob@example.com\nAddress type:\t\tSMTP\nRecipient type:\t\tTo",
                              "Display name:\t\tCarl Cc\nEmail address:\t\tcarl@example.com\nAddress type:\t\tSMTP\nRecipient type:\t\tCC",
                              "Display name:\t\tDora Bcc\nEmail address:\t\tdora@example.com\nAddress type:\t\tSMTP\nRecipient type:\t\tBCC"})
        EXPECT_TRUE(Has(recipients, block)) << block << "\n" << recipients;
    EXPECT_TRUE(ReadFile(plain / "Attachments" / "1_minutes.txt") == Text(300, 1));
    EXPECT_TRUE(ReadFile(plain / "Attachments" / "2_scan of the contract.pdf") == Text(150'000, 2));

    const auto html = PffMessage("Notes Mail", "Html body");
    EXPECT_EQ(ReadFile(html / "Message.html"), "<html><body><p>Html <b>body</b></p></body></html>");
    EXPECT_TRUE(Has(ReadFile(html / "OutlookHeaders.txt"), "(Unread)"));
    // pffexport ends the RTF it writes with a NUL of its own, whether or not
    // the compressed RTF holds one (Outlook's does; ours does not).
    EXPECT_EQ(ReadFile(PffMessage("Notes Mail", "Rtf body") / "Message.rtf"), kRtf + '\0');
    EXPECT_EQ(ReadFile(PffMessage("Notes Mail/Archive", "From the archive") / "Message.txt"), "Archived text");
}

TEST_F(ReaderRoundTripTest, PffexportReadsContactsAndAppointments)
{
    if (!Installed("pffexport"))
        GTEST_SKIP() << "pffexport not installed";
    const std::string contact = ReadFile(PffItem("Contacts/Contact00001") / "Contact.txt");
    for (const char* line : {"Given name:\t\t\t\tJohn", "Surname:\t\t\t\tDoe", "Company name:\t\t\t\tAcme Widgets",
                             "Job title:\t\t\t\tEngineer", "Home phone number:\t\t\t+1 555 0101",
                             "Mobile phone number:\t\t\t+1 555 0199", "Business phone number 1:\t\t+1 555 0100",
                             "Business fax number:\t\t\t+1 555 0102", "Email address 1:\t\t\tjohn@acme.example",
                             "File under:\t\t\t\tDoe, John"})
        EXPECT_TRUE(Has(contact, line)) << line << "\n" << contact;

    const auto meeting = PffItem("Calendar/Appointment00001");
    const std::string text = ReadFile(meeting / "Appointment.txt");
    for (const char* line : {"Start time:\t\t\t\tNov 14, 2023 22:13:20.000000000 UTC",
                             "End time:\t\t\t\tNov 14, 2023 23:13:20.000000000 UTC", "Location:\t\t\t\tRoom 4",
                             "Is a reminder:\t\t\t\tyes", "Busy status:\t\t\t\t0x00000002"})
        EXPECT_TRUE(Has(text, line)) << line << "\n" << text;
    // pffexport lists the named properties by the ids they map to.
    auto values = ParseItemValues(ReadFile(meeting / "ItemValues.txt"));
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values[0][0x8215], std::string(1, '\0')) << "not all-day";
    EXPECT_EQ(values[0][0x8501], std::string("\x0f\0\0\0", 4)) << "15 minutes";

    const auto holiday = PffItem("Calendar/Appointment00002");
    EXPECT_TRUE(Has(ReadFile(holiday / "Appointment.txt"), "Is a reminder:\t\t\t\tno"));
    EXPECT_TRUE(Has(ReadFile(holiday / "Appointment.txt"), "Start time:\t\t\t\tNov 15, 2023 00:00:00.000000000 UTC"));
    values = ParseItemValues(ReadFile(holiday / "ItemValues.txt"));
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values[0][0x8215], std::string(1, '\1')) << "all-day";
}

TEST(ReaderRoundTrip, AnEmptyNewStoreOpensInBothReaders)
{
    if (!Installed("readpst") || !Installed("pffexport"))
        GTEST_SKIP() << "readers not installed";
    CTempDir dir;
    auto store = CStore::Create(dir / "empty.pst", u"Empty");
    ASSERT_TRUE(store.Ok()) << store.Message();
    ASSERT_TRUE((*store)->Close().Ok());
    // pffexport refuses a name-to-id map without entries.
    const auto pff = RunTool("pffexport -q -t " + Quoted(dir / "pff") + " " + Quoted(dir / "empty.pst"));
    EXPECT_EQ(pff.status, 0) << pff.output;
    EXPECT_TRUE(std::filesystem::is_directory(dir / "pff.export" / "Top of Personal Folders" / "Deleted Items"));
    const auto readpst = RunReadpst(dir / "empty.pst", dir / "readpst");
    EXPECT_EQ(readpst.status, 0) << readpst.output;
    EXPECT_TRUE(Has(readpst.output, "Processing Folder \"Deleted Items\"")) << readpst.output;
}
