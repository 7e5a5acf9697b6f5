// The attachments of a message: detached into the attachment folder under
// names that stay inside it, "$MIM" parts decoded from base64 each into a
// file of its own, one failing attachment costing only itself.
#include "MailRunFixture.h"

#include "Base64Codec.h"
#include "NsfRows.h"
#include "ReaderTools.h"
#include "win32/WideString.h"
#include "notes/FaultTable.h"

namespace enginetest {
namespace {

std::vector<std::u16string> NamesOf(const mapi::CMessage& message)
{
    std::vector<std::u16string> names;
    for (const auto& attachment : message.GetAttachments())
        names.push_back(attachment.GetFileName());
    return names;
}

// Base64 of the bytes in lines of the given lengths, the last one taking
// the rest, joined by CR LF: lines need not hold whole groups.
std::string Base64Lines(const std::string& bytes, const std::vector<std::size_t>& lengths)
{
    Base64Codec codec;
    std::vector<char> text(Base64Codec::EncodedSize(bytes.size()));
    codec.EncodeBuffer(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), text.data());
    std::string all(text.data());
    std::string lines;
    std::size_t at = 0;
    for (std::size_t length : lengths) {
        lines += all.substr(at, length) + "\\r\\n";
        at += length;
    }
    return lines + all.substr(at);
}

class MailAttachment : public MailRunFixture {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        TickFolders({u"Inbox"});
    }

    // The attachments of the single message of a one-note inbox.
    std::vector<mapi::CMessage> ConvertNote(const std::string& note,
                                            const std::u16string& result = u"Conversion Completed Successfully")
    {
        UseNsf("folder ($Inbox)\nentries one\nnote one\ntext Subject Files\n" + note);
        EXPECT_EQ(RunToEnd(), result);
        return MessagesIn({u"Inbox"});
    }

    // The log line of an attachment of that note that was lost.
    std::string LostLine(const std::string& name, const std::string& why)
    {
        return "Not converted : Note ID " + NoteIdWithText(Host(kNsfPath), "Subject", "Files")
               + " \"Files\" : attachment \"" + name + "\" cannot be detached (" + why + ")";
    }
};

TEST_F(MailAttachment, FilesAreDetachedAndEveryMimePartIsDecodedIntoAFileOfItsOwn)
{
    std::string bytes;
    for (int i = 0; i < 700; ++i)
        bytes += static_cast<char>(i * 7 % 256);
    // Lines of 75 and 77 characters and one of 600, beyond a line buffer.
    const std::string longPart = Base64Lines(bytes, {75, 77, 600, 75});
    auto messages = ConvertNote("attachhex report.doc 00ff10\nattach $MIMEPart1 SGVsbG8=\nattach $MIMEPart2 \"" +
                                longPart + "\"\n");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(NamesOf(messages[0]), (std::vector<std::u16string>{u"report.doc", u"Decode.bmp", u"Decode(2).bmp"}));
    auto files = AttachmentsOf(messages[0]);
    EXPECT_EQ(files[u"report.doc"], std::string("\x00\xff\x10", 3));
    EXPECT_EQ(files[u"Decode.bmp"], "Hello");
    EXPECT_TRUE(files[u"Decode(2).bmp"] == bytes) << files[u"Decode(2).bmp"].size();
    // Emptied after the message, the folder went with the completion dialog.
    EXPECT_FALSE(std::filesystem::exists(Host(m_installDir + u"\\Attachment")));
}

TEST_F(MailAttachment, ANameFromTheDatabaseNeverLeadsOutOfTheAttachmentFolder)
{
    WriteHostFile(Host(u"C:\\Windows\\win.ini"), "[windows]");
    auto messages = ConvertNote(R"nsf(attach "..\\..\\escape.txt" up
attach "C:\\Windows\\win.ini" drive
attach "sub/dir/name.txt" slashes
attach ".." dots
attach "a;b.txt" separator
attach report.doc first
attach REPORT.doc second
)nsf");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(NamesOf(messages[0]), (std::vector<std::u16string>{u"escape.txt", u"win.ini", u"name.txt", u"Attachment",
                                                                 u"a_b.txt", u"report.doc", u"REPORT(2).doc"}));
    auto files = AttachmentsOf(messages[0]);
    EXPECT_EQ(files[u"escape.txt"], "up");
    EXPECT_EQ(files[u"win.ini"], "drive");
    EXPECT_EQ(files[u"report.doc"], "first");
    EXPECT_EQ(files[u"REPORT(2).doc"], "second");
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\escape.txt")));
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Program Files\\escape.txt")));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Windows\\win.ini")), "[windows]");
}

TEST_F(MailAttachment, ALongNameIsKeptWholeAsFarAsAPathCanHoldIt)
{
    // The folder's path takes 37 characters; a path holds at most 259.
    const std::string whole = std::string(218, 'w') + ".txt";
    const std::string tooLong = std::string(300, 'x') + ".txt";
    auto messages = ConvertNote("attach " + whole + " whole\nattach " + tooLong + " cut\n");
    ASSERT_EQ(messages.size(), 1u);
    const std::u16string cut = std::u16string(259 - 37 - 4, u'x') + u".txt";
    EXPECT_EQ(NamesOf(messages[0]), (std::vector<std::u16string>{AnsiToWide(whole), cut}));
    auto files = AttachmentsOf(messages[0]);
    EXPECT_EQ(files[AnsiToWide(whole)], "whole");
    EXPECT_EQ(files[cut], "cut");
}

TEST_F(MailAttachment, OneAttachmentThatCannotBeDetachedCostsOnlyItselfAndIsLogged)
{
    notes::SetFault("LNAttachment::Detach", LNERR_CANNOT_CREATE_FILE, 1, 1);
    auto messages = ConvertNote("attach first.txt 1\nattach second.txt 2\nattach third.txt 3\n",
                                u"Conversion not completed successfully");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(NamesOf(messages[0]), (std::vector<std::u16string>{u"first.txt", u"third.txt"}));
    EXPECT_EQ(LossLines(LogLines()), std::vector<std::string>{LostLine("second.txt", "Cannot create file")});
}

TEST_F(MailAttachment, AMimePartThatCannotBeDecodedIsLeftOutNotTheMessageAndIsLogged)
{
    // The decode file's name is taken by a folder, so it cannot be created.
    std::filesystem::create_directories(Host(m_installDir + u"\\Attachment\\Decode.bmp"));
    auto messages = ConvertNote("attach $MIMEPart1 SGVsbG8=\nattach kept.txt kept\n",
                                u"Conversion not completed successfully");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(NamesOf(messages[0]), std::vector<std::u16string>{u"kept.txt"});
    EXPECT_EQ(LossLines(LogLines()),
              std::vector<std::string>{LostLine("$MIMEPart1", "its base64 text cannot be decoded")});
}

TEST_F(MailAttachment, NamesThatNoWindowsFileCanHoldReachThePstWithThoseCharactersReplaced)
{
    auto messages = ConvertNote("attach \"a*b?.txt\" star\n"
                                "attach \"\\\"q\\\".txt\" quotes\n"
                                "attach \"<x>|y.txt\" brackets\n"
                                "attach \"tab\\tname\\x01.txt\" controls\n");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(AttachmentsOf(messages[0]), (std::map<std::u16string, std::string>{{u"a_b_.txt", "star"},
                                                                                {u"_q_.txt", "quotes"},
                                                                                {u"_x__y.txt", "brackets"},
                                                                                {u"tab_name_.txt", "controls"}}));
    EXPECT_TRUE(LossLines(LogLines()).empty());

    // The independent readers find them under those names.
    if (mapitest::Installed("pffexport")) {
        const std::filesystem::path out = m_root / "pff";
        auto run = mapitest::RunTool("pffexport -q -f all -t " + mapitest::Quoted(out) + " "
                                     + mapitest::Quoted(Host(kPstPath)));
        ASSERT_EQ(run.status, 0) << run.output;
        const auto attachments = std::filesystem::path(out.string() + ".export") / "Top of Personal Folders" / "Mail"
                                 / "Inbox" / "Message00001" / "Attachments";
        EXPECT_EQ(mapitest::ReadFile(attachments / "1_a_b_.txt"), "star");
        EXPECT_EQ(mapitest::ReadFile(attachments / "4_tab_name_.txt"), "controls");
    }
    if (mapitest::Installed("readpst")) {
        const std::filesystem::path out = m_root / "readpst";
        std::filesystem::create_directories(out);
        auto run = mapitest::RunReadpst(Host(kPstPath), out, "-r");
        ASSERT_EQ(run.status, 0) << run.output;
        const std::string mbox = mapitest::ReadFile(out / Utf16ToUtf8(kTargetFolder) / "Mail" / "Inbox" / "mbox");
        for (const char* name : {"a_b_.txt", "_q_.txt", "_x__y.txt", "tab_name_.txt"})
            EXPECT_NE(mbox.find("filename=\"" + std::string(name) + "\""), std::string::npos) << name;
    }
}

} // namespace
} // namespace enginetest
