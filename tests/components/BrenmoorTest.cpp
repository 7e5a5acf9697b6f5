// Brenmoor driven as the session set-up and the mail conversion drive it:
// the target opened, folders made level by level, and each message handed
// over in its ten parts; read back from the PST.
#include "ComponentMachine.h"
#include "PstBack.h"
#include "ReaderTools.h"

#include "components/ProfileStores.h"
#include "win32/FileApi.h"
#include "win32/WideString.h"

namespace componenttest {
namespace {

constexpr const char16_t* kMailPst = u"C:\\Mail\\mail.pst";
constexpr const char16_t* kAttachmentDir = u"C:\\Program Files\\Pellinor\\Attachment\\";

// A BSTR that the test owns, passed by reference as the conversion passes it.
class COwnedBstr {
public:
    explicit COwnedBstr(const char16_t* text = nullptr) : m_text(text ? SysAllocString(text) : nullptr) {}
    ~COwnedBstr() { SysFreeString(m_text); }
    COwnedBstr(const COwnedBstr&) = delete;
    COwnedBstr& operator=(const COwnedBstr&) = delete;
    BSTR* operator&() { return &m_text; }

private:
    BSTR m_text;
};

// The ten parts, null unless set.
struct Parts {
    const char16_t* folder = nullptr;
    const char16_t* subject = nullptr;
    const char16_t* to = nullptr;
    const char16_t* eml = nullptr;
    const char16_t* date = nullptr;
    const char16_t* attachments = nullptr;
    const char16_t* body = nullptr;
    SHORT kind = 0;
    const char16_t* cc = nullptr;
};

class BrenmoorTest : public ComponentMachine {
protected:
    void SetUp() override
    {
        ComponentMachine::SetUp();
        RegisterComponents();
        std::filesystem::create_directories(Host(u"C:\\Mail"));
        std::filesystem::create_directories(Host(kAttachmentDir));
        ASSERT_TRUE(Create(m_brenmoor, components::kBrenmoorClass));
    }

    void CheckOutlook()
    {
        VARIANT result;
        VariantInit(&result);
        m_brenmoor.InvokeHelper(0x6003002A, DISPATCH_METHOD, VT_VARIANT, &result, nullptr);
        VariantClear(&result);
    }

    std::u16string OpenTarget(const char16_t* pst, const char16_t* name)
    {
        COwnedBstr path(pst), folder(name);
        std::u16string result;
        m_brenmoor.InvokeHelper(0x6003002B, DISPATCH_METHOD, VT_BSTR, &result, Params(VTS_PBSTR VTS_PBSTR), &path,
                                &folder);
        return result;
    }

    void MakeFolder(const char16_t* path)
    {
        COwnedBstr folder(path);
        std::u16string discarded;
        m_brenmoor.InvokeHelper(0x6003002C, DISPATCH_METHOD, VT_BSTR, &discarded, Params(VTS_PBSTR), &folder);
    }

    // 0x6003002E, 0x6003002D and 0x6003002F, as the hand-off makes them.
    void HandOff(const Parts& parts)
    {
        std::u16string discarded;
        COwnedBstr folder(parts.folder);
        m_brenmoor.InvokeHelper(0x6003002E, DISPATCH_METHOD, VT_BSTR, &discarded, Params(VTS_PBSTR), &folder);
        COwnedBstr subject(parts.subject), to(parts.to), eml(parts.eml), date(parts.date),
            attachments(parts.attachments), body(parts.body), cc(parts.cc), spare;
        SHORT kind = parts.kind;
        m_brenmoor.InvokeHelper(
            0x6003002D, DISPATCH_METHOD, VT_BSTR, &discarded,
            Params(VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PI2 VTS_PBSTR VTS_PBSTR),
            &folder, &subject, &to, &eml, &date, &attachments, &body, &kind, &cc, &spare);
        m_brenmoor.InvokeHelper(0x6003002F, DISPATCH_METHOD, VT_BSTR, &discarded, nullptr);
    }

    void OpenMailTarget()
    {
        CheckOutlook();
        OpenTarget(kMailPst, u"Mail Archive");
        MakeFolder(u"\\\\Mail Archive\\Inbox");
        MakeFolder(u"\\\\Mail Archive\\Inbox\\2024");
    }

    std::vector<mapi::CMessage> MessagesIn(const std::vector<std::u16string>& levels)
    {
        m_reopened = ReopenStore(Host(kMailPst));
        auto folder = FolderBelowTop(m_reopened, levels);
        EXPECT_TRUE(folder);
        return folder ? MessagesOf(*folder) : std::vector<mapi::CMessage>{};
    }

    COleDispatchDriver m_brenmoor;
    std::shared_ptr<mapi::CStore> m_reopened;
};

TEST_F(BrenmoorTest, AMailRunWritesEachMessageFromItsParts)
{
    OpenMailTarget();
    WriteHostFile(Host(u"C:\\tol.eml"), "From: Ann Lee/Acme <CN=Ann Lee/O=Acme\r\n");
    WriteHostFile(Host(std::u16string(kAttachmentDir) + u"report.doc"), "report bytes");
    WriteHostFile(Host(std::u16string(kAttachmentDir) + u"Decode.bmp"), "decoded part");
    std::u16string attachments = std::u16string(kAttachmentDir) + u"report.doc;" + kAttachmentDir + u"\\Decode.bmp;";
    HandOff({u"\\\\Mail Archive\\Inbox\\2024", u"Quarterly figures", u"Bob Ray/Acme, Cy Fox/Acme", u"C:\\tol.eml",
             u"2026-12-08 09:05:00", attachments.c_str(), u"The figures are attached.", 0, u"Dan Orr/Acme"});

    auto messages = MessagesIn({u"Inbox", u"2024"});
    ASSERT_EQ(messages.size(), 1u);
    const mapi::CMessage& mail = messages[0];
    EXPECT_EQ(mail.GetMessageClass(), u"IPM.Note");
    EXPECT_EQ(mail.GetSubject(), u"Quarterly figures");
    std::vector<std::pair<std::int32_t, std::u16string>> recipients;
    for (const auto& recipient : mail.GetRecipients())
        recipients.emplace_back(recipient.type, recipient.displayName);
    std::vector<std::pair<std::int32_t, std::u16string>> expected = {
        {mapi::MAPI_TO, u"Bob Ray/Acme"}, {mapi::MAPI_TO, u"Cy Fox/Acme"}, {mapi::MAPI_CC, u"Dan Orr/Acme"}};
    EXPECT_EQ(recipients, expected);
    EXPECT_EQ(mail.GetString(0x0C1A001F), u"Ann Lee/Acme");         // sender name
    EXPECT_EQ(mail.GetString(0x0C1F001F), u"CN=Ann Lee/O=Acme");    // sender address
    EXPECT_EQ(mail.GetString(0x0042001F), u"Ann Lee/Acme");         // sent representing
    EXPECT_EQ(mail.GetTime(0x0E060040), 134411943000000000ull);     // delivery: 8 December 2026 09:05 UTC
    EXPECT_EQ(mail.GetTime(0x00390040), 134411943000000000ull);     // submit
    EXPECT_EQ(mail.GetBody(), u"The figures are attached.");
    EXPECT_TRUE(mail.IsRead());
    EXPECT_FALSE(mail.IsUnsent());
    const auto& files = mail.GetAttachments();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].GetFileName(), u"report.doc");
    EXPECT_EQ(files[1].GetFileName(), u"Decode.bmp");
    mapi::Bytes decoded = files[1].GetData();
    EXPECT_EQ(std::string(decoded.begin(), decoded.end()), "decoded part");

    std::string exported = PffExported(Host(kMailPst), m_root / "pff",
                                       "Top of Personal Folders/Inbox/2024/Message00001/OutlookHeaders.txt");
    EXPECT_EQ(ExportedValue(exported, "Subject:"), "Quarterly figures");
    EXPECT_EQ(ExportedValue(exported, "Sender name:"), "Ann Lee/Acme");
    EXPECT_EQ(ExportedValue(exported, "Delivery time:"), "Dec 08, 2026 09:05:00.000000000 UTC");
    std::string mbox = ReadpstExported(Host(kMailPst), m_root / "readpst", "mbox", "-r");
    EXPECT_NE(mbox.find("Subject: Quarterly figures"), std::string::npos) << mbox;
    EXPECT_NE(mbox.find("To: Bob Ray/Acme; Cy Fox/Acme"), std::string::npos) << mbox;
    EXPECT_NE(mbox.find("Cc: Dan Orr/Acme"), std::string::npos) << mbox;
    EXPECT_NE(mbox.find("Date: Tue, 08 Dec 2026 09:05:00 +0000"), std::string::npos) << mbox;
    EXPECT_NE(mbox.find("X-libpst-forensic-sender: CN=Ann Lee/O=Acme"), std::string::npos) << mbox;
    EXPECT_NE(mbox.find("The figures are attached."), std::string::npos) << mbox;
    EXPECT_NE(mbox.find("report.doc"), std::string::npos) << mbox;
}

TEST_F(BrenmoorTest, NotesNamesWithTheirDomainAreTypedNotesAndInternetAddressesSmtp)
{
    OpenMailTarget();
    WriteHostFile(Host(u"C:\\tol.eml"), "From: First Last/Unit/Org <CN=First Last/OU=Unit/O=Org@NotesDomain\r\n");
    HandOff({u"\\\\Mail Archive\\Inbox", u"Domains", u"CN=Bob Ray/O=Acme@AcmeMail, carl@acme.example", u"C:\\tol.eml",
             u"2026-12-08 09:05:00", nullptr, u"text", 0, u"Dan Orr/Acme@AcmeMail"});

    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 1u);
    const mapi::CMessage& mail = messages[0];
    EXPECT_EQ(mail.GetString(0x0C1E001F), u"NOTES");                                   // sender address type
    EXPECT_EQ(mail.GetString(0x0C1F001F), u"CN=First Last/OU=Unit/O=Org@NotesDomain"); // sender address
    EXPECT_EQ(mail.GetString(0x0064001F), u"NOTES");                                   // sent-representing type
    std::vector<std::pair<std::u16string, std::u16string>> types;
    for (const auto& recipient : mail.GetRecipients())
        types.emplace_back(recipient.address, recipient.addressType);
    std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"CN=Bob Ray/O=Acme@AcmeMail", u"NOTES"}, {u"carl@acme.example", u"SMTP"}, {u"Dan Orr/Acme@AcmeMail", u"NOTES"}};
    EXPECT_EQ(types, expected);

    std::string recipients =
        PffExported(Host(kMailPst), m_root / "pff", "Top of Personal Folders/Inbox/Message00001/Recipients.txt");
    for (const char* block : {"Email address:\t\tCN=Bob Ray/O=Acme@AcmeMail\nAddress type:\t\tNOTES",
                              "Email address:\t\tcarl@acme.example\nAddress type:\t\tSMTP",
                              "Email address:\t\tDan Orr/Acme@AcmeMail\nAddress type:\t\tNOTES"})
        EXPECT_NE(recipients.find(block), std::string::npos) << block << "\n" << recipients;
    // readpst keeps the types in the .msg files it writes: the sender's, and
    // that of the Notes recipient (it writes none for internet addresses).
    auto run = mapitest::RunReadpst(Host(kMailPst), m_root / "readpst", "-m");
    ASSERT_EQ(run.status, 0) << run.output;
    std::filesystem::path msg;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_root / "readpst"))
        if (entry.path().extension() == ".msg")
            msg = entry.path();
    ASSERT_FALSE(msg.empty());
    auto stream = [&](const std::string& name) {
        auto run = mapitest::RunTool("gsf cat " + mapitest::Quoted(msg) + " " + mapitest::Quoted(name));
        EXPECT_EQ(run.status, 0) << run.output;
        return run.output;
    };
    EXPECT_EQ(stream("__substg1.0_0C1E001E").rfind("NOTES", 0), 0u);
    EXPECT_EQ(stream("__recip_version1.0_#00000000/__substg1.0_3003001E").rfind("CN=Bob Ray/O=Acme@AcmeMail", 0), 0u);
    EXPECT_EQ(stream("__recip_version1.0_#00000000/__substg1.0_3002001E").rfind("NOTES", 0), 0u);
}

TEST_F(BrenmoorTest, TheBodyIsTextHtmlOrTheRtfOfTheBodyFile)
{
    OpenMailTarget();
    const char16_t* folder = u"\\\\Mail Archive\\Inbox";
    HandOff({folder, u"text", nullptr, nullptr, nullptr, nullptr, u"plain words", 0});
    HandOff({folder, u"html", nullptr, nullptr, nullptr, nullptr, u"<HTML> <b>bold</b></HTML>", 1});
    const std::string rtf = "{\\rtf1\\ansi\\deff0 {\\fonttbl{\\f0 Arial;}}\\f0 Rich {\\b words}\\par}";
    WriteHostFile(Host(u"C:\\tol1.rtf"), rtf);
    HandOff({folder, u"rtf", nullptr, nullptr, nullptr, nullptr, u"Rich words", 2});
    // The body file was this message's: a later one without a body of its own takes none.
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\tol1.rtf")));
    HandOff({folder, u"rtf without a body", nullptr, nullptr, nullptr, nullptr, nullptr, 2});

    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].GetBody(), u"plain words");
    EXPECT_EQ(messages[1].GetHtmlBody(), u"<HTML> <b>bold</b></HTML>");
    EXPECT_EQ(messages[2].GetRtfBody().Value(), rtf);
    EXPECT_EQ(messages[2].GetBody(), u"Rich words");
    EXPECT_EQ(messages[3].GetRtfBody().Value(), "");
    EXPECT_EQ(messages[3].GetBody(), u"");

    // pffexport writes each body in its own kind.
    const std::string inbox = "Top of Personal Folders/Inbox/";
    EXPECT_EQ(PffExported(Host(kMailPst), m_root / "pff", inbox + "Message00001/Message.txt"), "plain words");
    EXPECT_NE(PffExported(Host(kMailPst), m_root / "pff", inbox + "Message00002/Message.html").find("<b>bold</b>"),
              std::string::npos);
    // (pffexport ends the RTF it writes with a NUL.)
    EXPECT_EQ(PffExported(Host(kMailPst), m_root / "pff", inbox + "Message00003/Message.rtf").rfind(rtf, 0), 0u);
}

TEST_F(BrenmoorTest, NullPartsAreEmptyParts)
{
    OpenMailTarget();
    HandOff({u"\\\\Mail Archive\\Inbox", nullptr, nullptr, nullptr, u"2026-12-08;2026-12-09"});
    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].GetSubject(), u"");
    EXPECT_TRUE(messages[0].GetRecipients().empty());
    EXPECT_TRUE(messages[0].GetAttachments().empty());
    EXPECT_EQ(messages[0].GetString(0x0C1A001F), u"");
    // A list of dates is no date: the message has no delivery or submit time.
    EXPECT_FALSE(messages[0].GetTime(0x0E060040));
    EXPECT_FALSE(messages[0].GetTime(0x00390040));
}

// Outlook keeps drafts unsent: what goes into the run's "Drafts" folder, and
// a message without a date; the rest stay sent, a deeper "Drafts" included.
TEST_F(BrenmoorTest, DraftsAndUndatedMessagesAreSavedUnsent)
{
    CheckOutlook();
    OpenTarget(kMailPst, u"Mail Archive");
    MakeFolder(u"\\\\Mail Archive\\Mail");
    HandOff({u"\\\\Mail Archive\\Mail\\Drafts", u"draft", nullptr, nullptr, u"2026-12-08 09:05:00"});
    HandOff({u"\\\\Mail Archive\\Mail\\Inbox", u"undated"});
    HandOff({u"\\\\Mail Archive\\Mail\\Inbox", u"dated", nullptr, nullptr, u"2026-12-08 09:05:00"});
    HandOff({u"\\\\Mail Archive\\Mail\\Projects\\Drafts", u"nested", nullptr, nullptr, u"2026-12-08 09:05:00"});

    const std::pair<std::vector<std::u16string>, std::vector<std::pair<std::u16string, bool>>> expected[] = {
        {{u"Mail", u"Drafts"}, {{u"draft", true}}},
        {{u"Mail", u"Inbox"}, {{u"undated", true}, {u"dated", false}}},
        {{u"Mail", u"Projects", u"Drafts"}, {{u"nested", false}}},
    };
    for (const auto& [folder, messages] : expected) {
        std::vector<std::pair<std::u16string, bool>> read;
        for (const auto& message : MessagesIn(folder))
            read.emplace_back(message.GetSubject(), message.IsUnsent());
        EXPECT_EQ(read, messages) << Utf16ToUtf8(folder.back());
    }

    const std::pair<const char*, const char*> exportedFlags[] = {
        {"Mail/Drafts/Message00001", "0x00000009 (Read, Unsent)"},
        {"Mail/Inbox/Message00001", "0x00000009 (Read, Unsent)"},
        {"Mail/Inbox/Message00002", "0x00000001 (Read)"},
        {"Mail/Projects/Drafts/Message00001", "0x00000001 (Read)"},
    };
    for (const auto& [message, flags] : exportedFlags) {
        std::string headers =
            PffExported(Host(kMailPst), m_root / "pff", std::string("Top of Personal Folders/") + message + "/OutlookHeaders.txt");
        EXPECT_EQ(ExportedValue(headers, "Flags:"), flags) << message;
    }
    // readpst shows no sent state; it reads the draft where it was written,
    // read like every other message.
    std::string drafts = ReadpstExported(Host(kMailPst), m_root / "readpst", "Drafts.mbox");
    EXPECT_NE(drafts.find("Subject: draft\n"), std::string::npos) << drafts;
    EXPECT_NE(drafts.find("Status: RO\n"), std::string::npos) << drafts;
}

TEST_F(BrenmoorTest, AMessageForAFolderThatWasNeverMadeMakesItRatherThanBeingLost)
{
    OpenMailTarget();
    HandOff({u"\\\\Mail Archive\\Sent\\2024", u"kept"});
    auto messages = MessagesIn({u"Sent", u"2024"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].GetSubject(), u"kept");
}

TEST_F(BrenmoorTest, AStoreNameWithABackslashTakesTheLongestRunOfThePathThatNamesAStore)
{
    CheckOutlook();
    OpenTarget(kMailPst, u"Mail\\2026");
    OpenTarget(u"C:\\Mail\\other.pst", u"Mail");
    MakeFolder(u"\\\\Mail\\2026\\Inbox");
    HandOff({u"\\\\Mail\\2026\\Inbox", u"into the named store"});
    HandOff({u"\\\\Mail\\2025\\Inbox", u"into the other store"});
    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].GetSubject(), u"into the named store");
    auto other = ReopenStore(Host(u"C:\\Mail\\other.pst"));
    ASSERT_TRUE(other);
    auto inbox = FolderBelowTop(other, {u"2025", u"Inbox"});
    ASSERT_TRUE(inbox);
    EXPECT_EQ(MessagesOf(*inbox).size(), 1u);
}

TEST_F(BrenmoorTest, BadInputIsAClearErrorAndWritesNothing)
{
    OpenMailTarget();
    const char16_t* folder = u"\\\\Mail Archive\\Inbox";
    try {
        HandOff({folder, u"lost", nullptr, u"C:\\missing.eml"});
        ADD_FAILURE() << "a message without its EML file was written";
    } catch (const COleDispatchException& error) {
        EXPECT_EQ(error.m_scError, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        EXPECT_NE(error.m_strDescription.find(u"C:\\missing.eml"), std::u16string::npos);
        EXPECT_EQ(error.m_strSource, components::kBrenmoorClass.progId);
    }
    std::u16string missing = std::u16string(kAttachmentDir) + u"gone.doc;";
    EXPECT_EQ(RaisedBy([&] { HandOff({folder, u"lost", nullptr, nullptr, nullptr, missing.c_str()}); }),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RaisedBy([&] { HandOff({folder, u"lost", nullptr, nullptr, nullptr, nullptr, u"body", 7}); }),
              E_INVALIDARG);
    EXPECT_EQ(RaisedBy([&] { HandOff({u"Inbox", u"lost"}); }), E_INVALIDARG);
    EXPECT_EQ(RaisedBy([&] { MakeFolder(u"\\\\Mail Archive\\\\Empty level"); }), E_INVALIDARG);
    EXPECT_TRUE(MessagesIn({u"Inbox"}).empty());
}

TEST_F(BrenmoorTest, TheTargetIsOpenedOrMadeAndNamedAsTheRunAddressesIt)
{
    components::AddProfileStore(kMailPst, u"Old name");
    mapi::CMailProfile::Default().CloseAll();

    EXPECT_EQ(OpenTarget(kMailPst, nullptr), u"Old name");
    EXPECT_EQ(OpenTarget(kMailPst, u"Renamed"), u"Renamed");
    EXPECT_NE(mapi::CMailProfile::Default().FindStoreByRootName(u"renamed"), nullptr);
    EXPECT_EQ(OpenTarget(u"C:\\Mail\\new.pst", u"Fresh"), u"Fresh");
    EXPECT_TRUE(std::filesystem::exists(Host(u"C:\\Mail\\new.pst")));
    EXPECT_EQ(mapi::CMailProfile::Default().GetStores().size(), 2u);
    EXPECT_EQ(ReopenStore(Host(kMailPst))->GetDisplayName().Value(), u"Renamed");

    EXPECT_EQ(RaisedBy([&] { OpenTarget(u"C:\\No such folder\\x.pst", u"X"); }),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
}

TEST_F(BrenmoorTest, OutlookIsUnusableWithoutItsServerOrAMailProfile)
{
    EXPECT_EQ(RaisedBy([&] { CheckOutlook(); }), S_OK);
    RemoveDefaultProfile();
    EXPECT_EQ(RaisedBy([&] { CheckOutlook(); }), components::kLogonFailed);
    UnregisterOutlook();
    EXPECT_EQ(RaisedBy([&] { CheckOutlook(); }), CO_E_CLASSSTRING);
    EXPECT_EQ(RaisedBy([&] { m_brenmoor.InvokeHelper(0x6003002D, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(RaisedBy([&] { m_brenmoor.InvokeHelper(0x60030030, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }),
              DISP_E_MEMBERNOTFOUND);
}

std::vector<std::u16string> SubjectsOf(const std::vector<mapi::CMessage>& messages)
{
    std::vector<std::u16string> subjects;
    for (const auto& message : messages)
        subjects.push_back(message.GetSubject());
    return subjects;
}

// Messages of one folder path come one after another; between two of them
// the store's folders or the profile's stores may change, and each message
// goes where its path names a folder now.
TEST_F(BrenmoorTest, EachMessageGoesWhereItsPathNamesAFolderNowWhateverChangedBetween)
{
    OpenMailTarget();
    HandOff({u"\\\\Mail Archive\\Inbox", u"first"});
    auto store = mapi::CMailProfile::Default().FindStoreByRootName(u"Mail Archive");
    ASSERT_NE(store, nullptr);
    auto inbox = FolderBelowTop(store, {u"Inbox"});
    ASSERT_TRUE(inbox);
    ASSERT_TRUE(inbox->SetName(u"Old Inbox").Ok());
    HandOff({u"\\\\Mail Archive\\Inbox", u"after the rename"});
    ASSERT_TRUE(inbox->SetName(u"Inbox 2").Ok());
    // "Old Inbox" is free again; a folder of that name made behind the
    // server's back is the one the next message finds.
    auto top = store->GetIpmSubtree();
    ASSERT_TRUE(top.Ok());
    ASSERT_TRUE(top->CreateSubfolder(u"Old Inbox").Ok());
    HandOff({u"\\\\Mail Archive\\Old Inbox", u"into the made one"});
    HandOff({u"\\\\Mail Archive\\Inbox", u"into the new Inbox"});

    EXPECT_EQ(SubjectsOf(MessagesIn({u"Inbox 2"})), (std::vector<std::u16string>{u"first"}));
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Inbox"})), (std::vector<std::u16string>{u"after the rename", u"into the new Inbox"}));
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Old Inbox"})), (std::vector<std::u16string>{u"into the made one"}));
}

// A store opened later whose name is a leading part of the path takes the
// path's messages from then on, as the longest store name matches first.
TEST_F(BrenmoorTest, AStoreOpenedBetweenTwoMessagesTakesThePathItNames)
{
    CheckOutlook();
    OpenTarget(kMailPst, u"Mail Archive");
    HandOff({u"\\\\Mail Archive\\Team\\Inbox", u"in the archive"});
    HandOff({u"\\\\Mail Archive\\Team\\Inbox", u"in the archive too"});
    OpenTarget(u"C:\\Mail\\team.pst", u"Mail Archive\\Team");
    HandOff({u"\\\\Mail Archive\\Team\\Inbox", u"in the team store"});

    EXPECT_EQ(SubjectsOf(MessagesIn({u"Team", u"Inbox"})), (std::vector<std::u16string>{u"in the archive", u"in the archive too"}));
    auto team = ReopenStore(Host(u"C:\\Mail\\team.pst"));
    auto inbox = FolderBelowTop(team, {u"Inbox"});
    ASSERT_TRUE(inbox);
    EXPECT_EQ(SubjectsOf(MessagesOf(*inbox)), (std::vector<std::u16string>{u"in the team store"}));
}

} // namespace
} // namespace componenttest
