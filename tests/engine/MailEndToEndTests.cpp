// A whole mail run as the program makes it: a database with the system
// folders, nested folders, rich and HTML bodies, attachments (one a "$MIM"
// part) and long texts, converted in both body formats into a new PST, and
// read back through the store layer, pffexport and readpst.
#include "MailRunFixture.h"

#include "Base64Codec.h"
#include "ReaderTools.h"
#include "testsupport/AnsiCodePage.h"
#include "WizardSelections.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <fstream>

namespace enginetest {
namespace {

namespace fs = std::filesystem;

const std::string kPdfBytes = std::string("%PDF-1.4\n\x00\x01\x02\xfe\xff binary tail", 25);

std::string Base64Of(const std::string& bytes)
{
    Base64Codec codec;
    std::vector<char> text(Base64Codec::EncodedSize(bytes.size()));
    codec.EncodeBufferLines(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), text.data());
    std::string escaped;
    for (char c : std::string(text.data()))
        escaped += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return escaped;
}

std::string HexOf(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes)
        hex += std::string{kDigits[c >> 4], kDigits[c & 15]};
    return hex;
}

// The bytes of the "$MIM" part.
std::string ScanBytes()
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>(i * 13 % 256);
    return bytes;
}

const std::string kLongSubject = std::string(600, 'L') + std::string(900, 'l');

std::string Database()
{
    std::string longBody;
    for (int paragraph = 0; paragraph < 40; ++paragraph)
        longBody += "run \"Paragraph " + std::to_string(paragraph) + " " + std::string(500, 'w') + "\"\npara\n";
    const std::string scan = ScanBytes();
    return R"nsf(
view ($All)
entries memo html rich attach long
folder ($Inbox)
entries memo html attach
folder ($Sent)
entries rich
folder ($Drafts)
folder ($Trash)
entries long
folder Projects
entries rich
folder "Projects\\2026"
entries attach long
folder Private
entries memo
view ($Calendar)
entries meeting

note memo
text From "CN=Ann Lee/OU=Sales/O=Acme"
text SendTo "CN=Bob Stone/O=Acme" "carol@example.com"
text CopyTo "CN=Dee Vance/O=Acme"
text Subject "Quarterly r\xe9sum\xe9"
times PostedDate "2026-12-01 10:15:00"
richtext Body
run "Plain "
run bold "strong"
run " words"
para
run "Second paragraph"

note html
text From "CN=Bob Stone/O=Acme"
text SendTo "CN=Ann Lee/OU=Sales/O=Acme"
text Subject "Newsletter"
times PostedDate "2026-12-02 08:00:00"
richtext Body
run "<HTML> <body><p>Hello <b>all</b></p></body></HTML>"

note rich
modified "2026-11-20 16:30:00"
text From "CN=Cy Fox/O=Acme"
text EnterSendTo "CN=Ann Lee/OU=Sales/O=Acme"
text Subject "Plans"
richtext Body
run italic "Slanted"
tab
run underline face=Arial size=14 color=C00000 "red"
break
run "after the break"
attachref plan.txt
attach plan.txt "the plan"

note attach
text From "CN=Dee Vance/O=Acme"
text SendTo "carol@example.com"
text Subject "Scans"
times PostedDate "2026-12-03 12:00:00"
richtext Body
run "Two files attached."
attachhex report.pdf )nsf" + HexOf(kPdfBytes) + R"nsf(
attach $MIMEPart1 ")nsf" + Base64Of(scan) + R"nsf("

note long
text From "CN=Eve Hart/O=Acme"
text SendTo "CN=)nsf" + std::string(1200, 'n') + R"nsf(/O=Acme"
text Subject ")nsf" + kLongSubject + R"nsf("
times PostedDate "2026-12-04 09:30:00"
richtext Body
)nsf" + longBody + R"nsf(
note meeting
calendar 8
text Subject Planning
times StartDateTime 2026-12-08T09:00:00
)nsf";
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t Occurrences(const std::string& text, const std::string& needle)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

std::vector<std::u16string> SubjectsOf(const std::vector<mapi::CMessage>& messages)
{
    std::vector<std::u16string> subjects;
    for (const auto& message : messages)
        subjects.push_back(message.GetSubject().size() > 40 ? u"(long)" : message.GetSubject());
    return subjects;
}

// The parameter: the body format (1 text, 0 RTF), plus 2 for a machine whose
// code page is Windows-1252 rather than UTF-8.
class MailEndToEnd : public MailRunFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        if (GetParam() & 2)
            testsupport::UseAnsiCodePage(1252);
        g_nMailBodyFormat = GetParam() & 1;
        UseNsf(Database());
        TickFolders({u"Inbox", u"Sent", u"Drafts", u"Trash", u"Projects", u"Projects\\2026"});
        ASSERT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    }

    bool Rtf() const { return (GetParam() & 1) == 0; }
};

using Subjects = std::vector<std::u16string>;

TEST_P(MailEndToEnd, TheStoreHoldsEveryTickedFolderWithEveryDocumentAsAMessage)
{
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Inbox"})), (Subjects{u"Quarterly r\u00e9sum\u00e9", u"Newsletter", u"Scans"}));
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Sent"})), Subjects{u"Plans"});
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Drafts"})), Subjects{});
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Trash"})), Subjects{u"(long)"});
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Projects"})), Subjects{u"Plans"});
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Projects", u"2026"})), (Subjects{u"Scans", u"(long)"}));
    EXPECT_FALSE(HasFolder({u"All"}));
    EXPECT_FALSE(HasFolder({u"Private"}));
    EXPECT_FALSE(HasFolder({u"($Calendar)"}));

    auto inbox = MessagesIn({u"Inbox"});
    ASSERT_EQ(inbox.size(), 3u);
    const mapi::CMessage& memo = inbox[0];
    EXPECT_EQ(memo.GetString(0x0C1A001F), u"Ann Lee/Sales/Acme");
    EXPECT_EQ(memo.GetString(0x0C1F001F), u"CN=Ann Lee/OU=Sales/O=Acme");
    EXPECT_EQ(RecipientsOf(memo, mapi::MAPI_TO), (Subjects{u"Bob Stone/Acme", u"carol@example.com"}));
    EXPECT_EQ(RecipientsOf(memo, mapi::MAPI_CC), Subjects{u"Dee Vance/Acme"});
    EXPECT_EQ(memo.GetTime(0x0E060040), 134405937000000000ull); // 1 December 2026 10:15
    EXPECT_EQ(memo.GetBody(), u"Plain strong words\r\nSecond paragraph");
    const mapi::CMessage& newsletter = inbox[1];
    if (Rtf()) {
        EXPECT_NE(memo.GetRtfBody().Value().find("\\b strong}"), std::string::npos);
        EXPECT_NE(newsletter.GetRtfBody().Value().find("<p>Hello <b>all</b></p>"), std::string::npos);
        EXPECT_EQ(newsletter.GetHtmlBody(), u"");
    } else {
        EXPECT_EQ(memo.GetRtfBody().Value(), "");
        EXPECT_EQ(newsletter.GetHtmlBody(), u"<HTML> <body><p>Hello <b>all</b></p></body></HTML>");
    }
    auto scans = AttachmentsOf(inbox[2]);
    EXPECT_EQ(scans.size(), 2u);
    EXPECT_EQ(scans[u"report.pdf"], kPdfBytes);
    EXPECT_TRUE(scans[u"Decode.bmp"] == ScanBytes());

    auto sent = MessagesIn({u"Sent"});
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(RecipientsOf(sent[0], mapi::MAPI_TO), Subjects{u"Ann Lee/Sales/Acme"});
    EXPECT_EQ(sent[0].GetTime(0x0E060040), 134396658000000000ull); // its last change, 20 November 2026 16:30
    EXPECT_EQ(sent[0].GetBody(), u"Slanted\tred\r\nafter the break");
    EXPECT_EQ(AttachmentsOf(sent[0]), (std::map<std::u16string, std::string>{{u"plan.txt", "the plan"}}));

    auto trash = MessagesIn({u"Trash"});
    ASSERT_EQ(trash.size(), 1u);
    EXPECT_TRUE(trash[0].GetSubject() == AnsiToWide(kLongSubject.substr(0, 1000)));
    EXPECT_EQ(RecipientsOf(trash[0], mapi::MAPI_TO), Subjects{std::u16string(1200, u'n') + u"/Acme"});
    EXPECT_NE(trash[0].GetBody().find(u"Paragraph 39 " + std::u16string(500, u'w')), std::u16string::npos);
}

TEST_P(MailEndToEnd, PffexportReadsTheFoldersHeadersRecipientsBodiesAndAttachments)
{
    fs::path out = m_root / "pff";
    auto run = mapitest::RunTool("pffexport -q -f all -t " + mapitest::Quoted(out) + " " +
                                 mapitest::Quoted(Host(kPstPath)));
    ASSERT_EQ(run.status, 0) << run.output;
    const fs::path mail = fs::path(out.string() + ".export") / "Top of Personal Folders" / "Mail";
    EXPECT_FALSE(fs::exists(mail / "All"));
    EXPECT_FALSE(fs::exists(mail / "Private"));
    EXPECT_TRUE(fs::exists(mail / "Drafts"));

    std::string headers = Slurp(mail / "Inbox" / "Message00001" / "OutlookHeaders.txt");
    EXPECT_EQ(componenttest::ExportedValue(headers, "Subject:"), "Quarterly r\xc3\xa9sum\xc3\xa9");
    EXPECT_EQ(componenttest::ExportedValue(headers, "Sender name:"), "Ann Lee/Sales/Acme");
    EXPECT_EQ(componenttest::ExportedValue(headers, "Delivery time:"), "Dec 01, 2026 10:15:00.000000000 UTC");
    std::string recipients = Slurp(mail / "Inbox" / "Message00001" / "Recipients.txt");
    EXPECT_EQ(Occurrences(recipients, "Recipient type:\t\tTo"), 2u);
    EXPECT_EQ(Occurrences(recipients, "Recipient type:\t\tCC"), 1u);
    if (Rtf()) {
        std::string rtf = Slurp(mail / "Inbox" / "Message00001" / "Message.rtf");
        EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
        EXPECT_NE(rtf.find("\\b strong}"), std::string::npos);
    } else {
        EXPECT_EQ(Slurp(mail / "Inbox" / "Message00001" / "Message.txt"), "Plain strong words\r\nSecond paragraph");
        EXPECT_NE(Slurp(mail / "Inbox" / "Message00002" / "Message.html").find("<p>Hello <b>all</b></p>"),
                  std::string::npos);
    }
    EXPECT_EQ(Slurp(mail / "Inbox" / "Message00003" / "Attachments" / "1_report.pdf"), kPdfBytes);
    EXPECT_TRUE(Slurp(mail / "Inbox" / "Message00003" / "Attachments" / "2_Decode.bmp") == ScanBytes());
    EXPECT_TRUE(fs::exists(mail / "Projects" / "2026" / "Message00002"));
}

TEST_P(MailEndToEnd, ReadpstReadsEveryFolderAsAMailboxOfItsMessages)
{
    fs::path out = m_root / "readpst";
    fs::create_directories(out);
    auto run = mapitest::RunReadpst(Host(kPstPath), out, "-r");
    ASSERT_EQ(run.status, 0) << run.output;
    const fs::path mail = out / Utf16ToUtf8(kTargetFolder) / "Mail";
    EXPECT_FALSE(fs::exists(mail / "All"));
    EXPECT_FALSE(fs::exists(mail / "Private"));
    const std::pair<const char*, std::size_t> counts[] = {
        {"Inbox", 3}, {"Sent", 1}, {"Trash", 1}, {"Projects", 1}, {"Projects/2026", 2}};
    for (const auto& [folder, count] : counts)
        EXPECT_EQ(Occurrences(Slurp(mail / folder / "mbox"), "\nFrom \"") + 1, count) << folder;

    std::string inbox = Slurp(mail / "Inbox" / "mbox");
    EXPECT_NE(inbox.find("To: Bob Stone/Acme; carol@example.com\n"), std::string::npos) << inbox;
    EXPECT_NE(inbox.find("Cc: Dee Vance/Acme\n"), std::string::npos);
    EXPECT_NE(inbox.find("Date: Tue, 01 Dec 2026 10:15:00 +0000\n"), std::string::npos);
    EXPECT_NE(inbox.find("X-libpst-forensic-sender: CN=Ann Lee/OU=Sales/O=Acme\n"), std::string::npos);
    EXPECT_NE(inbox.find("Subject: Newsletter\n"), std::string::npos);
    EXPECT_NE(inbox.find("filename=\"report.pdf\""), std::string::npos);
    EXPECT_NE(inbox.find("filename=\"Decode.bmp\""), std::string::npos);
    EXPECT_NE(inbox.find(Rtf() ? "Content-Type: application/rtf" : "Content-Type: text/html"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BodyFormats, MailEndToEnd, ::testing::Values(1, 0, 3, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param & 1 ? "NormalRecoveryTxt" : "AdvanceRecoveryRtf")
                                  + (info.param & 2 ? "Windows1252" : "");
                         });

} // namespace
} // namespace enginetest
