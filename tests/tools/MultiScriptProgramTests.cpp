// The real program over databases whose texts use Greek, Cyrillic, Chinese,
// Arabic, accented Latin and emoji, on a machine whose code page is UTF-8 (as
// the installer lays it): mail into a new PST in both body formats, then the
// address book into that PST as an existing one, and the calendar; every text
// read back through the store layer, pffexport and readpst as it was written.
#include "ReaderTools.h"
#include "ToolsFixture.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Store.h"
#include "nsfbuild/Description.h"
#include "win32/CodePage.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kMeetings = "Συναντήσεις";
const std::string kProjects = "Проекты";
const std::string kMinutes = "会议记录 🎉";
const std::string kSender = "CN=Δήμητρα Παπαδοπούλου/O=Ακμή";
const std::string kTo = "CN=Светлана Иванова/O=Acme";
const std::string kToInternet = "zoe.muller@example.com";
const std::string kCc = "CN=王美玲/O=Acme";
const std::string kPlainSubject = "Συνάντηση — встреча, 会议, اجتماع, café 🎉";
const std::string kPlainBody = "Ελληνικά Кириллица 中文 العربية façade 📅";
const std::string kAttachment = "отчёт 报告 🎉.txt";
const std::string kHtmlSubject = "Новости 新闻 أخبار";
const std::string kHtmlBody = "<HTML> <p>Γειά σου κόσμε — Привет 你好 مرحبا 👋</p>";
const std::string kRichSubject = "Ζωή и 生活 — حياة";
const std::string kRichBold = "Ζωή";
const std::string kRichRest = " и 生活 حياة ñ 🌍";
// 999 bytes, then a euro sign across bytes 1000 to 1002: the subject's cut
// falls inside it.
const std::string kLongSubject = std::string(999, 'x') + "€" + std::string(40, 'y');

std::string MailDatabase()
{
    return "folder ($Inbox)\nentries plain long\nfolder \"" + kMeetings + "\"\nentries html rich\nfolder \"" + kProjects
           + "\\\\" + kMinutes + "\"\nentries rich\n"
           + "note plain\ntext From \"" + kSender + "\"\ntext SendTo \"" + kTo + "\" \"" + kToInternet
           + "\"\ntext CopyTo \"" + kCc + "\"\ntext Subject \"" + kPlainSubject
           + "\"\ntimes PostedDate \"2026-12-01 10:15:00\"\nrichtext Body\nrun \"" + kPlainBody + "\"\nattach \""
           + kAttachment + "\" \"contents\"\n"
           + "note html\ntext From \"" + kTo + "\"\ntext SendTo \"" + kSender + "\"\ntext Subject \"" + kHtmlSubject
           + "\"\nrichtext Body\nrun \"" + kHtmlBody + "\"\n"
           + "note rich\ntext From \"" + kCc + "\"\ntext SendTo \"" + kTo + "\"\ntext Subject \"" + kRichSubject
           + "\"\nrichtext Body\nrun bold \"" + kRichBold + "\"\nrun \"" + kRichRest + "\"\n"
           + "note long\ntext From \"" + kSender + "\"\ntext SendTo \"" + kTo + "\"\ntext Subject \"" + kLongSubject
           + "\"\nrichtext Body\nrun short\n";
}

const std::string kGiven = "Δήμητρα";
const std::string kSurname = "Παπαδοπούλου";
const std::string kFullName = "Δήμητρα Παπαδοπούλου 🎉";
const std::string kCompany = "ООО «Ромашка»";
const std::string kDepartment = "研究部 — قسم";
const std::string kJob = "Ingénieure";

std::string AddressBook()
{
    return "view People\nentries p\nnote p\ntext Form Person\ntext FirstName \"" + kGiven + "\"\ntext LastName \""
           + kSurname + "\"\ntext FullName \"" + kFullName + "\"\ntext CompanyName \"" + kCompany
           + "\"\ntext Department \"" + kDepartment + "\"\ntext JobTitle \"" + kJob
           + "\"\ntext InternetAddress \"dimitra@example.com\"\n";
}

const std::string kCalendarSubject = "Συνάντηση ομάδας — 会议 🎉";
const std::string kLocation = "Αθήνα, Москва, 北京, القاهرة";

std::string CalendarDatabase()
{
    return "view ($Calendar)\nentries a\nnote a\ncalendar 1\ntext Form Appointment\ntext Subject \""
           + kCalendarSubject + "\"\ntext Location \"" + kLocation
           + "\"\ntimes StartDateTime 2026-12-08T09:00:00\ntimes EndDateTime 2026-12-08T10:00:00\n";
}

std::u16string W(const std::string& utf8)
{
    return Utf8ToUtf16(utf8);
}

// A string of RTF as our writer makes it: ASCII as it is, every other
// character as \uN? (a supplementary one as its two surrogates).
std::string RtfEscaped(const std::string& utf8)
{
    std::string out;
    for (char16_t unit : W(utf8)) {
        if (unit < 0x80)
            out += static_cast<char>(unit);
        else
            out += "\\u" + std::to_string(static_cast<std::int16_t>(unit)) + "?";
    }
    return out;
}

bool HasBrokenUtf8(const std::string& bytes)
{
    return !bytes.empty()
        && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                               0)
               == 0;
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The text without its characters of the supplementary planes.
std::string Bmp(const std::string& utf8)
{
    std::u16string wide = Utf8ToUtf16(utf8);
    std::u16string kept;
    for (char16_t unit : wide)
        if (unit < 0xD800 || unit > 0xDFFF)
            kept += unit;
    return Utf16ToUtf8(kept);
}

// The entry of a folder whose name equals name but for characters of the
// supplementary planes; empty when there is none.
fs::path ChildNamed(const fs::path& folder, const std::string& name)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (Bmp(entry.path().filename().string()) == Bmp(name))
            return entry.path();
    return {};
}

// Every file of a folder and its subfolders, one after another.
std::string AllText(const fs::path& folder)
{
    std::string text;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec))
        if (entry.is_regular_file())
            text += Slurp(entry.path());
    return text;
}

// The value after a label of pffexport's item text, blanks and tabs dropped.
std::string ExportedValue(const std::string& text, const std::string& label)
{
    std::size_t at = text.find(label);
    if (at == std::string::npos)
        return "(no " + label + ")";
    at += label.size();
    std::size_t end = text.find('\n', at);
    std::string value = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    value.erase(0, value.find_first_not_of(" \t"));
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    return value;
}

// Encoded words of a mail header (=?utf-8?B?...?= and =?utf-8?Q?...?=)
// decoded; readpst writes non-ASCII headers so.
std::string DecodeHeader(const std::string& header)
{
    static const std::string kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    while (i < header.size()) {
        const std::size_t start = header.find("=?", i);
        if (start == std::string::npos) {
            out += header.substr(i);
            break;
        }
        const std::size_t q1 = header.find('?', start + 2);
        const std::size_t q2 = q1 == std::string::npos ? q1 : header.find('?', q1 + 1);
        const std::size_t end = q2 == std::string::npos ? q2 : header.find("?=", q2 + 1);
        if (end == std::string::npos) {
            out += header.substr(i);
            break;
        }
        std::string between = header.substr(i, start - i);
        if (between.find_first_not_of(" \t\r\n") != std::string::npos)
            out += between;
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(header[q1 + 1])));
        const std::string text = header.substr(q2 + 1, end - q2 - 1);
        if (kind == 'B') {
            unsigned bits = 0;
            int count = 0;
            for (char c : text) {
                const std::size_t v = kBase64.find(c);
                if (v == std::string::npos)
                    continue;
                bits = (bits << 6) | static_cast<unsigned>(v);
                count += 6;
                if (count >= 8) {
                    count -= 8;
                    out += static_cast<char>((bits >> count) & 0xFF);
                }
            }
        } else {
            for (std::size_t k = 0; k < text.size(); ++k) {
                if (text[k] == '_')
                    out += ' ';
                else if (text[k] == '=' && k + 2 < text.size()) {
                    out += static_cast<char>(std::stoi(text.substr(k + 1, 2), nullptr, 16));
                    k += 2;
                } else
                    out += text[k];
            }
        }
        i = end + 2;
    }
    return out;
}

// RFC 2231 parameter values ("filename*=utf-8''%D0%BE...") decoded.
std::string PercentDecoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The values of one header in an mbox, decoded, in file order.
std::vector<std::string> HeaderValues(const std::string& mbox, const std::string& name)
{
    std::vector<std::string> values;
    const std::string key = "\n" + name + ": ";
    for (std::size_t at = mbox.find(key); at != std::string::npos; at = mbox.find(key, at + 1)) {
        std::size_t end = at + key.size();
        // Folded lines continue with a blank.
        while (true) {
            end = mbox.find('\n', end);
            if (end == std::string::npos || end + 1 >= mbox.size() || (mbox[end + 1] != ' ' && mbox[end + 1] != '\t'))
                break;
            ++end;
        }
        std::string value = mbox.substr(at + key.size(), end == std::string::npos ? std::string::npos : end - at - key.size());
        values.push_back(DecodeHeader(value));
    }
    return values;
}

class MultiScriptProgramTest : public ToolsFixture, public ::testing::WithParamInterface<int> {
protected:
    bool Rtf() const { return GetParam() == 0; }

    int RunMarlwick(const std::string& script)
    {
        fs::path file = m_root / "run.txt";
        WriteHostFile(file, script);
        pid_t child = fork();
        if (child == 0) {
            setenv("MARLWICK_SCRIPT", file.c_str(), 1);
            execl(MARLWICK_PROGRAMS_DIR "/Marlwick", "Marlwick", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void Build(const char16_t* windowsPath, const std::string& description)
    {
        auto built = nsfbuild::BuildFromDescription(description, Host(windowsPath));
        ASSERT_TRUE(built.ok) << built.message;
    }

    std::string Log() { return ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt")); }

    // Step 2 with a typed database and the body format of the parameter.
    std::string StepTwo(const std::string& database, const std::string& tree) const
    {
        return "click 1\nwait-control 1012\nclick 1012\nkey HOME\nkey shift+END\ntype \"" + database + "\"\n"
               + (tree == "mail" ? std::string(Rtf() ? "click 1050\n" : "click 1049\n") : std::string())
               + "click 3\nwait-control 1023\n";
    }

    static std::string StepsFourAndFive(const std::string& targetChoice, const std::string& folder)
    {
        return "wait-control 1028\n" + targetChoice + "click 1\nwait-control 1043\nclick 1013\nkey HOME\nkey shift+END\n"
               + "type \"" + folder + "\"\nclick 1\nwait-control 1040\n"
               + "expect-text 1040 \"Conversion Completed Successfully\"\nclick 1\n";
    }

    static std::string NewPst() { return "click 1010\nclick 1029\nchoose-folder \"C:\\\\Out\"\n"; }
    static std::string ExistingPst(const std::string& path)
    {
        std::string quoted;
        for (char c : path)
            quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return "click 1011\nclick 1015\nchoose-file \"" + quoted + "\"\n";
    }

    fs::path ThePst()
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(Host(u"C:\\Out")))
            if (entry.path().extension() == ".pst")
                found.push_back(entry.path());
        EXPECT_EQ(found.size(), 1u);
        return found.empty() ? fs::path() : found[0];
    }

    static std::vector<mapi::CMessage> MessagesAt(mapi::CStore& store, const std::vector<std::u16string>& levels)
    {
        std::vector<mapi::CMessage> messages;
        auto top = store.GetIpmSubtree();
        EXPECT_TRUE(top.Ok()) << top.Message();
        if (!top.Ok())
            return messages;
        mapi::CFolder folder = *top;
        for (const auto& level : levels) {
            auto next = folder.FindSubfolder(level);
            EXPECT_TRUE(next.Ok() && *next) << Utf16ToUtf8(level);
            if (!next.Ok() || !*next)
                return messages;
            folder = **next;
        }
        auto listed = folder.ListMessages();
        EXPECT_TRUE(listed.Ok());
        if (!listed.Ok())
            return messages;
        for (const auto& info : *listed) {
            auto message = folder.OpenMessage(info.nid);
            EXPECT_TRUE(message.Ok());
            if (message.Ok())
                messages.push_back(std::move(*message));
        }
        return messages;
    }
};

const std::u16string kTarget = u"Από Notes — из 笔记";

TEST_P(MultiScriptProgramTest, MailAndContactsReachTheStoreAndBothReadersCharacterForCharacter)
{
    Install();
    ASSERT_EQ(GetACP(), CP_UTF8) << "the installer lays a UTF-8 machine";
    fs::create_directories(Host(u"C:\\Out"));
    // A database name of 100 Greek letters: its log line "NSF Source Path :
    // C:\..." runs past 200 bytes, and byte 200 falls inside a letter.
    std::string greek;
    for (int i = 0; i < 100; ++i)
        greek += "Γ";
    const std::string mailPath = "C:\\" + greek + ".nsf";
    Build(W(mailPath).c_str(), MailDatabase());
    Build(u"C:\\Επαφές.nsf", AddressBook());

    // Mail: the Inbox and two folders named in other scripts, one nested.
    const int mail = RunMarlwick("timeout 60000\nwait-control 1031\n" + StepTwo("C:\\\\" + greek + ".nsf", "mail")
                                 + "tick-tree-item 1023 \"Lotus Notes\" \"Inbox\"\n"
                                 + "tick-tree-item 1023 \"Lotus Notes\" \"" + kMeetings + "\"\n"
                                 + "tick-tree-item 1023 \"Lotus Notes\" \"" + kProjects + "\" \"" + kMinutes + "\"\n"
                                 + "expect-enabled 1 1\nclick 1\n" + StepsFourAndFive(NewPst(), Utf16ToUtf8(kTarget)));
    ASSERT_EQ(mail, 0);
    const fs::path pst = ThePst();
    ASSERT_FALSE(pst.empty());
    const std::optional<std::u16string> pstWindows = win32::WindowsPathOf(pst);
    ASSERT_TRUE(pstWindows.has_value());

    // Contacts into the same file, now an existing PST.
    const int contacts = RunMarlwick("timeout 60000\nwait-control 1031\nclick 1011\n"
                                     + StepTwo("C:\\\\Επαφές.nsf", "contacts")
                                     + "tick-tree-item 1023 \"Lotus Notes\" \"C:\\\\Επαφές.nsf\"\nexpect-enabled 1 1\nclick 1\n"
                                     + StepsFourAndFive(ExistingPst(Utf16ToUtf8(*pstWindows)), "Επαφές 📇"));
    EXPECT_EQ(contacts, 0);

    const std::string log = Log();
    EXPECT_FALSE(HasBrokenUtf8(log)) << "the log is whole UTF-8";
    EXPECT_EQ(log.find("\xEF\xBF\xBD"), std::string::npos) << "no replacement character in the log";
    // 18 bytes of label, 3 of "C:\", then 89 whole letters: 199 bytes.
    EXPECT_NE(log.find("\r\nNSF Source Path : " + mailPath.substr(0, 3 + 2 * 89) + "\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("New Folder in PST : " + Utf16ToUtf8(kTarget)), std::string::npos) << log;

    // The store layer.
    {
        auto store = mapi::CStore::Open(pst, true);
        ASSERT_TRUE(store.Ok()) << store.Message();
        auto inbox = MessagesAt(**store, {kTarget, u"Inbox"});
        ASSERT_EQ(inbox.size(), 2u);
        const mapi::CMessage& plain = inbox[0];
        EXPECT_EQ(plain.GetSubject(), W(kPlainSubject));
        EXPECT_EQ(plain.GetString(0x0C1F001F), W(kSender)) << "the sender's address";
        ASSERT_EQ(plain.GetRecipients().size(), 3u);
        EXPECT_EQ(plain.GetRecipients()[0].displayName, u"Светлана Иванова/Acme");
        EXPECT_EQ(plain.GetRecipients()[1].displayName, W(kToInternet));
        EXPECT_EQ(plain.GetRecipients()[2].displayName, u"王美玲/Acme");
        EXPECT_EQ(plain.GetRecipients()[2].type, mapi::MAPI_CC);
        EXPECT_EQ(plain.GetString(0x0C1A001F), u"Δήμητρα Παπαδοπούλου/Ακμή");
        ASSERT_EQ(plain.GetAttachments().size(), 1u);
        EXPECT_EQ(plain.GetAttachments()[0].GetFileName(), W(kAttachment));
        if (Rtf())
            EXPECT_NE(plain.GetRtfBody().Value().find(RtfEscaped(kPlainBody)), std::string::npos);
        else
            EXPECT_NE(plain.GetBody().find(W(kPlainBody)), std::u16string::npos) << Utf16ToUtf8(plain.GetBody());
        // The long subject is cut before the euro sign, never through it.
        EXPECT_EQ(inbox[1].GetSubject(), std::u16string(999, u'x'));

        auto meetings = MessagesAt(**store, {kTarget, W(kMeetings)});
        ASSERT_EQ(meetings.size(), 2u);
        EXPECT_EQ(meetings[0].GetSubject(), W(kHtmlSubject));
        EXPECT_EQ(meetings[1].GetSubject(), W(kRichSubject));
        if (Rtf()) {
            EXPECT_NE(meetings[0].GetRtfBody().Value().find(RtfEscaped("Γειά σου κόσμε — Привет 你好 مرحبا 👋")),
                      std::string::npos)
                << meetings[0].GetRtfBody().Value();
            EXPECT_NE(meetings[1].GetRtfBody().Value().find(RtfEscaped(kRichBold)), std::string::npos);
            EXPECT_NE(meetings[1].GetRtfBody().Value().find(RtfEscaped(kRichRest)), std::string::npos);
        } else {
            EXPECT_EQ(meetings[0].GetHtmlBody(), W(kHtmlBody));
            EXPECT_NE(meetings[1].GetBody().find(W(kRichBold + kRichRest)), std::u16string::npos);
        }
        auto minutes = MessagesAt(**store, {kTarget, W(kProjects), W(kMinutes)});
        ASSERT_EQ(minutes.size(), 1u) << "the nested folder selected in step 3 under its own name";
        EXPECT_EQ(minutes[0].GetSubject(), W(kRichSubject));

        auto people = MessagesAt(**store, {u"Επαφές 📇"});
        ASSERT_EQ(people.size(), 1u);
        const mapi::CMessage& person = people[0];
        EXPECT_EQ(person.GetMessageClass(), u"IPM.Contact");
        EXPECT_EQ(person.GetString(0x3A06001F), W(kGiven));
        EXPECT_EQ(person.GetString(0x3A11001F), W(kSurname));
        EXPECT_EQ(person.GetString(0x3001001F), W(kFullName));
        EXPECT_EQ(person.GetString(0x3A16001F), W(kCompany));
        EXPECT_EQ(person.GetString(0x3A18001F), W(kDepartment));
        EXPECT_EQ(person.GetString(0x3A17001F), W(kJob));
    }

    // pffexport: folder names, headers, bodies and attachment names. It
    // writes characters of the supplementary planes wrongly and drops the
    // first character of some subjects on its own (readpst and the store
    // layer read the same values whole): those characters are compared
    // through the item's other fields, everything else character for character.
    const fs::path out = m_root / "pff";
    auto run = mapitest::RunTool("pffexport -q -f all -t " + mapitest::Quoted(out) + " " + mapitest::Quoted(pst));
    ASSERT_EQ(run.status, 0) << run.output;
    const fs::path exported = fs::path(out.string() + ".export") / "Top of Personal Folders";
    const fs::path target = exported / Utf16ToUtf8(kTarget);
    ASSERT_TRUE(fs::is_directory(target)) << "the target folder under its own name";
    const fs::path plainDir = target / "Inbox" / "Message00001";
    const std::string headers = Slurp(plainDir / "OutlookHeaders.txt");
    EXPECT_EQ(Bmp(ExportedValue(AllText(plainDir), "Conversation topic:")), Bmp(kPlainSubject));
    EXPECT_EQ(ExportedValue(headers, "Sender name:"), "Δήμητρα Παπαδοπούλου/Ακμή");
    const fs::path attachment = ChildNamed(plainDir / "Attachments", "1_" + kAttachment);
    EXPECT_FALSE(attachment.empty()) << "the attachment under its name";
    EXPECT_EQ(Slurp(attachment), "contents");
    const std::string recipients = Slurp(plainDir / "Recipients.txt");
    for (const std::string& name : {std::string("Светлана Иванова/Acme"), kToInternet, std::string("王美玲/Acme")})
        EXPECT_NE(recipients.find(name), std::string::npos) << name << "\n" << recipients;
    if (Rtf())
        EXPECT_NE(Slurp(plainDir / "Message.rtf").find(RtfEscaped(kPlainBody)), std::string::npos);
    else
        EXPECT_NE(Bmp(Slurp(plainDir / "Message.txt")).find(Bmp(kPlainBody)), std::string::npos);
    EXPECT_EQ(ExportedValue(Slurp(target / "Inbox" / "Message00002" / "OutlookHeaders.txt"), "Subject:"),
              std::string(999, 'x'));
    const fs::path meetingsDir = target / kMeetings;
    ASSERT_TRUE(fs::is_directory(meetingsDir));
    EXPECT_EQ(ExportedValue(AllText(meetingsDir / "Message00001"), "Conversation topic:"), kHtmlSubject);
    if (!Rtf()) {
        EXPECT_EQ(Slurp(meetingsDir / "Message00001" / "Message.html"), kHtmlBody);
    }
    EXPECT_FALSE(ChildNamed(target / kProjects, kMinutes).empty()) << "the nested folder";
    const std::string contact = Slurp(ChildNamed(exported, "Επαφές 📇") / "Contact00001" / "Contact.txt");
    EXPECT_EQ(ExportedValue(contact, "Given name:"), kGiven);
    EXPECT_EQ(ExportedValue(contact, "Surname:"), kSurname);
    EXPECT_EQ(ExportedValue(contact, "Company name:"), kCompany);
    EXPECT_EQ(ExportedValue(contact, "Department name:"), kDepartment);

    // readpst, its bodies in UTF-8.
    const fs::path readpst = m_root / "readpst";
    fs::create_directories(readpst);
    run = mapitest::RunReadpst(pst, readpst, "-8 -r");
    ASSERT_EQ(run.status, 0) << run.output;
    // readpst names its top folder after the store; the target lies below.
    fs::path mailRoot;
    for (const auto& entry : fs::recursive_directory_iterator(readpst))
        if (entry.is_directory() && entry.path().filename() == Utf16ToUtf8(kTarget))
            mailRoot = entry.path();
    ASSERT_FALSE(mailRoot.empty()) << "readpst's folder of the target under its own name";
    const std::string inboxMbox = Slurp(mailRoot / "Inbox" / "mbox");
    ASSERT_FALSE(inboxMbox.empty()) << "readpst's Inbox under the target's own name";
    const auto subjects = HeaderValues(inboxMbox, "Subject");
    ASSERT_EQ(subjects.size(), 2u);
    EXPECT_EQ(subjects[0], kPlainSubject);
    EXPECT_EQ(subjects[1], std::string(999, 'x'));
    if (!Rtf()) {
        EXPECT_NE(inboxMbox.find(kPlainBody), std::string::npos) << inboxMbox;
    }
    const std::string decoded = DecodeHeader(inboxMbox);
    EXPECT_TRUE(decoded.find(kAttachment) != std::string::npos || PercentDecoded(inboxMbox).find(kAttachment) != std::string::npos)
        << "the attachment's name";
    const std::string meetingsMbox = Slurp(mailRoot / kMeetings / "mbox");
    EXPECT_EQ(HeaderValues(meetingsMbox, "Subject"), (std::vector<std::string>{kHtmlSubject, kRichSubject}));
    if (!Rtf()) {
        EXPECT_NE(meetingsMbox.find(kHtmlBody), std::string::npos) << meetingsMbox;
    }
    EXPECT_TRUE(fs::exists(mailRoot / kProjects / kMinutes / "mbox"));
    std::string vcards;
    for (const auto& entry : fs::recursive_directory_iterator(readpst)) {
        if (!entry.is_regular_file())
            continue;
        const std::string text = Slurp(entry.path());
        EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << entry.path();
        if (text.find("BEGIN:VCARD") != std::string::npos)
            vcards += text;
    }
    EXPECT_NE(vcards.find("N:" + kSurname + ";" + kGiven + ";"), std::string::npos) << vcards;
    EXPECT_NE(vcards.find("ORG:" + kCompany), std::string::npos) << vcards;
}

INSTANTIATE_TEST_SUITE_P(BodyFormats, MultiScriptProgramTest, ::testing::Values(1, 0),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 1 ? "NormalRecoveryTxt" : "AdvanceRecoveryRtf";
                         });

// A calendar entry whose subject and location are in other scripts.
class MultiScriptCalendarTest : public MultiScriptProgramTest {};

TEST_F(MultiScriptCalendarTest, SubjectAndLocationReachTheStoreAndPffexport)
{
    Install();
    fs::create_directories(Host(u"C:\\Out"));
    Build(u"C:\\Ημερολόγιο.nsf", CalendarDatabase());
    const int code = RunMarlwick("timeout 90000\nwait-control 1031\nclick 1048\n"
                                 + std::string("click 1\nwait-control 1012\nclick 1012\nkey HOME\nkey shift+END\n")
                                 + "type \"C:\\\\Ημερολόγιο.nsf\"\nclick 3\nwait-control 1023\n"
                                 + "tick-tree-item 1023 \"Lotus Notes\" \"C:\\\\Ημερολόγιο.nsf\"\nexpect-enabled 1 1\nclick 1\n"
                                 + StepsFourAndFive(NewPst(), "Ημερολόγιο 📅"));
    ASSERT_EQ(code, 0);
    const fs::path pst = ThePst();
    ASSERT_FALSE(pst.empty());
    {
        auto store = mapi::CStore::Open(pst, true);
        ASSERT_TRUE(store.Ok()) << store.Message();
        auto items = MessagesAt(**store, {u"Ημερολόγιο 📅"});
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(items[0].GetMessageClass(), u"IPM.Appointment");
        EXPECT_EQ(items[0].GetSubject(), W(kCalendarSubject));
    }
    const fs::path out = m_root / "pff";
    auto run = mapitest::RunTool("pffexport -q -f all -t " + mapitest::Quoted(out) + " " + mapitest::Quoted(pst));
    ASSERT_EQ(run.status, 0) << run.output;
    // The appointment's text, wherever below the store pffexport puts it.
    std::string text;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(out.string() + ".export")))
        if (entry.is_regular_file() && entry.path().string().find("Appointment") != std::string::npos)
            text += Slurp(entry.path());
    EXPECT_NE(Bmp(text).find(Bmp(kCalendarSubject)), std::string::npos) << text;
    EXPECT_NE(text.find(kLocation), std::string::npos) << text;
}

} // namespace
