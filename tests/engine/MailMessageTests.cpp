// The parts of one message as the documents give them: the sender through
// the EML file, the recipients, the date and the subject, read back from
// the PST; and the parts exactly as Brenmoor is handed them.
#include "MailRunFixture.h"
#include "testsupport/AnsiCodePage.h"

#include "CProDlg.h"
#include "MailMessage.h"
#include "notes/Notes.h"
#include "ole/DispatchObject.h"
#include "ole/Variant.h"
#include "user/Automation.h"
#include "win32/CodePage.h"

#include <functional>
#include <set>

namespace enginetest {
namespace {

constexpr std::uint32_t kSenderName = 0x0C1A001F;
constexpr std::uint32_t kSenderAddress = 0x0C1F001F;
constexpr std::uint32_t kDeliveryTime = 0x0E060040;

// The FILETIME of a time of the machine's zone, which is UTC.
std::uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second)
{
    // Days since 1970-01-01 of the proleptic Gregorian calendar.
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const long long days = era * 146097LL + dayOfEra - 719468;
    const long long seconds = days * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<std::uint64_t>(seconds + 11644473600LL) * 10000000ULL;
}

std::vector<std::u16string> Subjects(const std::vector<mapi::CMessage>& messages)
{
    std::vector<std::u16string> subjects;
    for (const auto& message : messages)
        subjects.push_back(message.GetSubject());
    return subjects;
}

class MailMessage : public MailRunFixture {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        TickFolders({u"Inbox"});
    }

    // A database whose inbox holds the notes of the description, in order.
    void UseInbox(const std::string& notes, const std::string& keys)
    {
        UseNsf("folder ($Inbox)\nentries " + keys + "\n" + notes);
    }
};

TEST_F(MailMessage, TheSenderReachesTheMessageThroughTheEmlFileAndIsShown)
{
    UseInbox(R"nsf(
note memo
text From "CN=Ann Lee/OU=Sales/O=Acme"
)nsf",
             "memo");
    HWND completion = RunToCompletionDialog();
    EXPECT_EQ(TextOf(m_progress, 1035), u"Ann Lee/Sales/Acme <CN=Ann Lee/OU=Sales/O=Acme");
    CloseCompletionDialog(completion);

    // The line has no closing bracket; the file keeps the last document's.
    EXPECT_EQ(ReadHostFile(Host(u"C:\\tol.eml")), "From: Ann Lee/Sales/Acme <CN=Ann Lee/OU=Sales/O=Acme\r\n");
    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].GetString(kSenderName), u"Ann Lee/Sales/Acme");
    EXPECT_EQ(messages[0].GetString(kSenderAddress), u"CN=Ann Lee/OU=Sales/O=Acme");
}

TEST_F(MailMessage, RecipientsAreAbbreviatedAndJoinedAndAnEmptyListFallsBackToTheEnteredNames)
{
    UseInbox(R"nsf(
note listed
text SendTo "CN=Bob Stone/O=Acme" "carol@example.com" "CN=Dee Vance/OU=R\x26D/O=Acme"
text CopyTo "CN=Eve Hart/O=Acme"
text EnterSendTo "never read"
note empty
text SendTo "" ""
text EnterSendTo "frank@example.com"
text EnterCopyTo "CN=Gus Wu/O=Acme"
note unreadable
numbers SendTo 1 2
text EnterSendTo "hal@example.com"
note none
text Subject "nobody"
)nsf",
             "listed empty unreadable none");
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");

    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 4u);
    using Names = std::vector<std::u16string>;
    EXPECT_EQ(RecipientsOf(messages[0], mapi::MAPI_TO), (Names{u"Bob Stone/Acme", u"carol@example.com", u"Dee Vance/R&D/Acme"}));
    EXPECT_EQ(RecipientsOf(messages[0], mapi::MAPI_CC), (Names{u"Eve Hart/Acme"}));
    EXPECT_EQ(RecipientsOf(messages[1], mapi::MAPI_TO), (Names{u"frank@example.com"}));
    EXPECT_EQ(RecipientsOf(messages[1], mapi::MAPI_CC), (Names{u"Gus Wu/Acme"}));
    // A "SendTo" that cannot be read as text still lets "EnterSendTo" run.
    EXPECT_EQ(RecipientsOf(messages[2], mapi::MAPI_TO), (Names{u"hal@example.com"}));
    EXPECT_TRUE(messages[3].GetRecipients().empty());
}

TEST_F(MailMessage, TheDateIsThePostedDateElseTheLastChangeOfTheDocument)
{
    UseInbox(R"nsf(
note posted
modified "2026-11-02 08:00:00"
times PostedDate "2026-12-01 10:15:00"
note unposted
modified "2026-11-03 17:45:30"
)nsf",
             "posted unposted");
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");

    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].GetTime(kDeliveryTime), FileTimeOf(2026, 12, 1, 10, 15, 0));
    EXPECT_EQ(messages[1].GetTime(kDeliveryTime), FileTimeOf(2026, 11, 3, 17, 45, 30));
}

TEST_F(MailMessage, ASubjectThatWouldNotFitItsKilobyteWithTheTerminatorIsCutToAThousandBytes)
{
    const std::string fits(1023, 'a');
    const std::string tooLong = std::string(1000, 'b') + std::string(24, 'c');
    const std::string muchTooLong = std::string(1000, 'd') + std::string(500, 'e');
    UseInbox("note fits\ntext Subject " + fits + "\nnote long\ntext Subject " + tooLong +
                 "\nnote longer\ntext Subject " + muchTooLong + "\n",
             "fits long longer");
    HWND completion = RunToCompletionDialog();
    EXPECT_TRUE(TextOf(m_progress, 1036) == std::u16string(1000, u'd'));
    CloseCompletionDialog(completion);

    auto subjects = Subjects(MessagesIn({u"Inbox"}));
    ASSERT_EQ(subjects.size(), 3u);
    EXPECT_TRUE(subjects[0] == std::u16string(1023, u'a')) << subjects[0].size();
    EXPECT_TRUE(subjects[1] == std::u16string(1000, u'b')) << subjects[1].size();
    EXPECT_TRUE(subjects[2] == std::u16string(1000, u'd')) << subjects[2].size();
}

TEST_F(MailMessage, UnderUtf8TheThousandByteCutKeepsWholeCharacters)
{
    testsupport::UseAnsiCodePage(65001);
    // 999 bytes, then a euro sign across bytes 1000 to 1002; then 998 bytes
    // and an emoji across 999 to 1002. Both are 1,024 bytes or more.
    const std::string euro = std::string(999, 'a') + "€" + std::string(30, 'z');
    const std::string emoji = std::string(998, 'b') + "🎉" + std::string(30, 'z');
    const std::string greek = [] {
        std::string text;
        for (int i = 0; i < 600; ++i)
            text += "Σ";
        return text;
    }();
    UseInbox("note euro\ntext Subject \"" + euro + "\"\nnote emoji\ntext Subject \"" + emoji
                 + "\"\nnote greek\ntext Subject \"" + greek + "\"\n",
             "euro emoji greek");
    HWND completion = RunToCompletionDialog();
    CloseCompletionDialog(completion);

    auto subjects = Subjects(MessagesIn({u"Inbox"}));
    ASSERT_EQ(subjects.size(), 3u);
    EXPECT_TRUE(subjects[0] == std::u16string(999, u'a')) << subjects[0].size();
    EXPECT_TRUE(subjects[1] == std::u16string(998, u'b')) << subjects[1].size();
    EXPECT_TRUE(subjects[2] == std::u16string(500, u'\u03A3')) << subjects[2].size();
    for (const auto& subject : subjects)
        EXPECT_EQ(subject.find(u'\uFFFD'), std::u16string::npos) << "no replacement character";
}

TEST_F(MailMessage, LongNamesAreNeverCut)
{
    // Far beyond the kilobyte buffers of names.
    const std::string longName = "CN=" + std::string(1500, 'n') + "/O=Acme";
    std::string dates;
    for (int day = 1; day <= 20; ++day)
        dates += " \"2026-12-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + " 09:00:00\"";
    UseInbox("note long\ntext From \"" + longName + "\"\ntext SendTo \"" + longName + "\"\ntimes PostedDate" + dates +
                 "\n",
             "long");
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");

    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 1u);
    const std::u16string abbreviated = std::u16string(1500, u'n') + u"/Acme";
    EXPECT_EQ(messages[0].GetString(kSenderName), abbreviated);
    EXPECT_EQ(messages[0].GetString(kSenderAddress), AnsiToWide(longName));
    EXPECT_EQ(RecipientsOf(messages[0], mapi::MAPI_TO), std::vector<std::u16string>{abbreviated});
    // Twenty dates make no date the message could carry.
    EXPECT_FALSE(messages[0].GetTime(kDeliveryTime));
}

TEST_F(MailMessage, ADocumentWithoutItemsIsStillOneMessageDatedByItsLastChange)
{
    WriteHostFile(Host(u"C:\\tol.eml"), "From: left over <x\r\n");
    UseInbox("note bare\nmodified \"2026-10-10 10:10:10\"\n", "bare");
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");

    EXPECT_EQ(ReadHostFile(Host(u"C:\\tol.eml")), "");
    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].GetSubject(), u"");
    EXPECT_EQ(messages[0].GetString(kSenderName), u"");
    EXPECT_TRUE(messages[0].GetRecipients().empty());
    EXPECT_TRUE(messages[0].GetAttachments().empty());
    EXPECT_EQ(messages[0].GetBody(), u"");
    EXPECT_EQ(messages[0].GetTime(kDeliveryTime), FileTimeOf(2026, 10, 10, 10, 10, 10));
}

// One call that Brenmoor received: its member and its string arguments, a
// null string as nullopt (the kind of 0x6003002D, its eighth, as nullopt
// beside the kind itself).
struct BrenmoorCall {
    DISPID member = 0;
    std::vector<std::optional<std::u16string>> parts;
    LONG kind = -1;
    // The files in the attachment folder as the call came.
    std::size_t attachmentFiles = 0;
};

// Takes Brenmoor's place on the dialog and records what it is handed; it
// refuses the messages whose 0x6003002D calls are counted in refused (from 1).
class CBrenmoorRecorder final : public ole::CDispatchObject {
public:
    CBrenmoorRecorder(std::vector<BrenmoorCall>& calls, const std::set<int>& refused,
                      std::function<std::size_t()> attachmentFiles)
        : m_calls(calls)
        , m_refused(refused)
        , m_attachmentFiles(std::move(attachmentFiles))
    {
    }

private:
    void OnInvoke(DISPID member, WORD, const ole::CDispArgs& args, VARIANT& result) override
    {
        BrenmoorCall call;
        call.member = member;
        call.attachmentFiles = m_attachmentFiles();
        if (member == 0x6003002D && m_refused.count(++m_messages)) {
            m_calls.push_back(std::move(call));
            throw ole::CDispatchError(E_FAIL, u"the message cannot be written");
        }
        for (UINT i = 0; i < args.Count(); ++i) {
            if (member == 0x6003002D && i == 7) {
                call.kind = args.Long(i);
                call.parts.emplace_back();
                continue;
            }
            const VARIANT& value = args.At(i);
            const BSTR text = (value.vt & VT_BYREF) ? *value.pbstrVal : value.bstrVal;
            call.parts.push_back(text ? std::optional<std::u16string>(text) : std::nullopt);
        }
        m_calls.push_back(std::move(call));
        result = ole::MakeString(u"");
    }

    std::vector<BrenmoorCall>& m_calls;
    std::set<int> m_refused;
    std::function<std::size_t()> m_attachmentFiles;
    int m_messages = 0;
};

constexpr const char16_t* kFolderPath = u"\\\\Pellinor Conversion FolderMail\\Mail\\Inbox";

class MailHandOff : public MailRunFixture {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        RefuseMessages({});
    }

    void RefuseMessages(const std::set<int>& refused)
    {
        const std::filesystem::path folder = Host(m_installDir + u"\\Attachment");
        m_dialog.m_dispBrenmoor.AttachDispatch(new CBrenmoorRecorder(m_calls, refused, [folder] {
            auto files = std::filesystem::directory_iterator(folder);
            return static_cast<std::size_t>(std::distance(begin(files), end(files)));
        }));
    }

    void TearDown() override
    {
        m_dialog.m_dispBrenmoor.ReleaseDispatch();
        if (m_opened) {
            m_database.Close();
            m_session.Term(0);
        }
        MailRunFixture::TearDown();
    }

    // Hands every document of the database's first folder over as the
    // document loop does, into the recorded calls.
    void HandOverFolder(const std::string& description)
    {
        UseNsf(description);
        ASSERT_EQ(m_session.Initialize(700, 0, nullptr, TRUE, nullptr), LNNOERROR);
        m_opened = true;
        LNSetThrowAllErrorsGlobal(TRUE);
        m_session.GetDatabase(LNString(WideToAnsi(kNsfPath)), &m_database, nullptr);
        m_database.Open();
        LNViewFolderArray folders;
        m_database.GetViewFolders(&folders, FALSE);
        LNViewFolder folder = folders[0];
        folder.Open(0);
        CMailMessageBuilder builder(m_dialog, m_session, [] {});
        MailMessageParts parts;
        parts.folderPath = kFolderPath;
        for (LNINT i = 0; i < folder.GetEntryCount(); ++i) {
            LNDocument document;
            folder[i].GetDocument(&document);
            document.Open(0);
            builder.ConvertMailDocument(document, parts);
            document.Close();
        }
    }

    using Parts = std::vector<std::optional<std::u16string>>;

    std::vector<BrenmoorCall> m_calls;
    CProDlg m_dialog;
    LNNotesSession m_session;
    LNDatabase m_database;
    bool m_opened = false;
};

TEST_F(MailHandOff, EveryMessageIsHandedOverInTenPartsWithEmptyOnesAsNullStrings)
{
    // Twenty posted dates: more than the 199 characters the date keeps.
    std::string dates, datesText;
    for (int day = 1; day <= 20; ++day) {
        const std::string value = "2026-12-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + " 09:00:00";
        dates += " \"" + value + "\"";
        datesText += (day > 1 ? ";" : "") + value;
    }
    HandOverFolder(R"nsf(
folder ($Inbox)
entries full bare
note full
text From "CN=Ann Lee/O=Acme"
text SendTo "CN=Bob Stone/O=Acme" "carol@example.com" "CN=Dee Vance/OU=R\x26D/O=Acme"
text CopyTo "CN=Eve Hart/O=Acme"
text Subject Minutes
richtext Body
run "The minutes."
attach report.doc "report"
attach $MIMEPart1 "SGVsbG8="
times PostedDate)nsf" + dates + R"nsf(
note bare
modified "2026-10-10 10:10:10"
)nsf");

    ASSERT_EQ(m_calls.size(), 6u);
    for (std::size_t message = 0; message < 2; ++message) {
        EXPECT_EQ(m_calls[3 * message].member, 0x6003002E);
        EXPECT_EQ(m_calls[3 * message].parts, Parts{kFolderPath});
        EXPECT_EQ(m_calls[3 * message + 1].member, 0x6003002D);
        EXPECT_EQ(m_calls[3 * message + 1].parts.size(), 10u);
        EXPECT_EQ(m_calls[3 * message + 1].kind, 0);
        EXPECT_EQ(m_calls[3 * message + 2].member, 0x6003002F);
        EXPECT_TRUE(m_calls[3 * message + 2].parts.empty());
    }

    const std::u16string attachments = m_installDir + u"\\Attachment\\";
    const Parts full = {kFolderPath,
                        u"Minutes",
                        u"Bob Stone/Acme, carol@example.com, Dee Vance/R&D/Acme",
                        u"C:\\tol.eml",
                        AnsiToWide(datesText.substr(0, 199)),
                        attachments + u"report.doc;" + attachments + u"\\Decode.bmp;",
                        u"The minutes.",
                        std::nullopt,
                        u"Eve Hart/Acme",
                        std::nullopt};
    EXPECT_EQ(m_calls[1].parts, full);
    // Only the folder, the EML file and the date of the last change.
    const Parts bare = {kFolderPath,  std::nullopt, std::nullopt, u"C:\\tol.eml", u"2026-10-10 10:10:10",
                        std::nullopt, std::nullopt, std::nullopt, std::nullopt,    std::nullopt};
    EXPECT_EQ(m_calls[4].parts, bare);
}

TEST_F(MailHandOff, AFailingStepCostsOnlyItsOwnPart)
{
    // The sent-to names cannot be abbreviated (the sender's can), the posted
    // date cannot be read and neither can the body's text.
    notes::SetFault("LNNotesSession::AbbreviateName", LNERR_DATABASE_CORRUPT, 1, 1);
    notes::SetFault("LNDatetimes::GetText", LNERR_DATABASE_CORRUPT);
    notes::SetFault("LNRichText::GetText", LNERR_DATABASE_CORRUPT);
    HandOverFolder(R"nsf(
folder ($Inbox)
entries faulty
note faulty
modified "2026-10-10 10:10:10"
text From "CN=Ann Lee/O=Acme"
text SendTo "CN=Bob Stone/O=Acme"
text EnterSendTo "entered@example.com"
times PostedDate "2026-12-01 10:15:00"
text Subject Kept
richtext Body
run "lost"
)nsf");
    ASSERT_EQ(m_calls.size(), 3u);
    // The entered names stand in for the sent-to ones, the last change for
    // the posted date; the body is empty and so plain text.
    const Parts faulty = {kFolderPath,  u"Kept",       u"entered@example.com", u"C:\\tol.eml", u"2026-10-10 10:10:10",
                          std::nullopt, std::nullopt, std::nullopt,           std::nullopt,     std::nullopt};
    EXPECT_EQ(m_calls[1].parts, faulty);
    EXPECT_EQ(m_calls[1].kind, 0);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\tol.eml")), "From: Ann Lee/Acme <CN=Ann Lee/O=Acme\r\n");
}

TEST_F(MailHandOff, AMessageBrenmoorRefusesIsStillClearedAwaySoTheNextOneIsItsOwn)
{
    RefuseMessages({1});
    HandOverFolder(R"nsf(
folder ($Inbox)
entries refused next
note refused
text Subject Refused
text SendTo "carol@example.com"
attach report.doc "report"
note next
modified "2026-10-10 10:10:10"
times PostedDate
)nsf");
    ASSERT_EQ(m_calls.size(), 5u);
    // The refused message gets no third call.
    EXPECT_EQ(m_calls[1].member, 0x6003002D);
    EXPECT_EQ(m_calls[1].attachmentFiles, 1u);
    EXPECT_EQ(m_calls[2].member, 0x6003002E);
    // Its parts and its detached file are gone before the next message; a
    // posted date without a value gives the date of the last change.
    EXPECT_EQ(m_calls[2].attachmentFiles, 0u);
    const Parts next = {kFolderPath,  std::nullopt, std::nullopt, u"C:\\tol.eml", u"2026-10-10 10:10:10",
                        std::nullopt, std::nullopt, std::nullopt, std::nullopt,    std::nullopt};
    EXPECT_EQ(m_calls[3].parts, next);
    EXPECT_EQ(m_calls[4].member, 0x6003002F);
}

} // namespace
} // namespace enginetest
