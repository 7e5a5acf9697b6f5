// ANSI (32-bit) stores: read through the store like Unicode ones, strings
// from PT_STRING8 in Windows-1252; every write fails and says why.
#include "../AnsiStoreWriter.h"
#include "../ReaderTools.h"
#include "../TempDir.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Store.h"

#include <gtest/gtest.h>

using namespace mapi;
using namespace mapitest;

namespace {

class AnsiStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto store = CStore::Create(m_unicode, u"Archiv Müller");
        ASSERT_TRUE(store.Ok()) << store.Message();
        CFolder mail = *(*store)->GetIpmSubtree()->CreateSubfolder(u"Grüße", kClassNoteFolder);
        for (int i = 0; i < 3; ++i) {
            CMessage m = mail.CreateMessage();
            m.SetSubject(u"Über Gebühren " + std::u16string(1, static_cast<char16_t>(u'1' + i)));
            m.SetBody(u"Schöne Grüße\r\n" + std::u16string(5000, u'x'));
            m.SetSender(u"Jürgen", u"j@example.com");
            m.AddRecipient({MAPI_TO, u"Zoë", u"zoe@example.com", u"SMTP", {}});
            m.AddAttachment(CAttachment::ByValue(u"daten.bin", Bytes(20'000, static_cast<std::uint8_t>(i))));
            ASSERT_TRUE(m.SetNamedProperty(PidLidLocation, PropertyValue::Unicode(u"Café")).Ok());
            ASSERT_TRUE(m.SetNamedProperty(PidNameKeywords, PropertyValue::MvUnicode({u"Büro"})).Ok());
            m.SetRead(i == 0);
            ASSERT_TRUE(m.Save().Ok());
        }
        ASSERT_TRUE((*store)->Close().Ok());
        auto written = WriteAnsiCopy(m_unicode, m_ansi);
        ASSERT_TRUE(written.Ok()) << written.Message();
    }

    CTempDir m_dir;
    std::filesystem::path m_unicode = m_dir / "unicode.pst", m_ansi = m_dir / "ansi.pst";
};

} // namespace

TEST_F(AnsiStoreTest, FoldersAndMessagesReadWithTheirStrings)
{
    auto store = CStore::Open(m_ansi);
    ASSERT_TRUE(store.Ok()) << store.Message();
    EXPECT_FALSE((*store)->IsUnicode());
    EXPECT_TRUE((*store)->IsReadOnly());
    EXPECT_EQ(*(*store)->GetDisplayName(), u"Archiv Müller");
    auto ipm = (*store)->GetIpmSubtree();
    ASSERT_TRUE(ipm.Ok()) << ipm.Message();
    auto mail = ipm->FindSubfolder(u"GRÜSSE");
    ASSERT_TRUE(mail.Ok());
    EXPECT_FALSE(mail->has_value()) << "ß has no one-letter upper case: no match";
    mail = ipm->FindSubfolder(u"grüße");
    ASSERT_TRUE(mail.Ok() && mail->has_value());
    EXPECT_EQ(*(*mail)->GetContainerClass(), u"IPF.Note");
    EXPECT_EQ((*mail)->GetCounts()->contentCount, 3);
    EXPECT_EQ((*mail)->GetCounts()->unreadCount, 2);

    auto list = (*mail)->ListMessages();
    ASSERT_TRUE(list.Ok()) << list.Message();
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[2].subject, u"Über Gebühren 3");
    auto m = (*store)->OpenMessage((*list)[2].nid);
    ASSERT_TRUE(m.Ok()) << m.Message();
    EXPECT_EQ(m->GetProperty(PR_SUBJECT_A)->Type(), PT_STRING8);
    EXPECT_EQ(m->GetSubject(), u"Über Gebühren 3");
    EXPECT_EQ(m->GetBody(), u"Schöne Grüße\r\n" + std::u16string(5000, u'x'));
    EXPECT_EQ(m->GetString(PR_SENDER_NAME), u"Jürgen");
    ASSERT_EQ(m->GetRecipients().size(), 1u);
    EXPECT_EQ(m->GetRecipients()[0].displayName, u"Zoë");
    ASSERT_EQ(m->GetAttachments().size(), 1u);
    EXPECT_EQ(m->GetAttachments()[0].GetFileName(), u"daten.bin");
    EXPECT_EQ(m->GetAttachments()[0].GetData(), Bytes(20'000, 2));
    EXPECT_EQ(*m->GetNamedProperty(PidLidLocation), PropertyValue::Unicode(u"Café"));
    EXPECT_EQ(*m->GetNamedProperty(PidNameKeywords), PropertyValue::MvUnicode({u"Büro"}));
}

TEST_F(AnsiStoreTest, EveryWriteFailsWithAReasonTheCallerCanReportAndTheFileStaysAsItWas)
{
    const std::string before = ReadFile(m_ansi);
    auto store = CStore::Open(m_ansi);
    ASSERT_TRUE(store.Ok()) << store.Message();
    CFolder mail = **(*store)->GetIpmSubtree()->FindSubfolder(u"Grüße");
    const auto saysAnsi = [](const std::string& message) {
        return message.find("ANSI (32-bit) PST files can be read but not written") != std::string::npos;
    };
    auto created = mail.CreateSubfolder(u"New");
    ASSERT_FALSE(created.Ok());
    EXPECT_TRUE(saysAnsi(created.Message())) << created.Message();
    auto renamed = (*store)->SetDisplayName(u"Other");
    EXPECT_TRUE(!renamed.Ok() && saysAnsi(renamed.Message()));
    renamed = mail.SetName(u"Other");
    EXPECT_TRUE(!renamed.Ok() && saysAnsi(renamed.Message()));
    CMessage fresh = mail.CreateMessage();
    auto saved = fresh.Save();
    EXPECT_TRUE(!saved.Ok() && saysAnsi(saved.Message())) << (saved.Ok() ? "" : saved.Message());
    auto old = (*store)->OpenMessage(mail.ListMessages()->front().nid);
    ASSERT_TRUE(old.Ok());
    old->SetSubject(u"changed");
    saved = old->Save();
    EXPECT_TRUE(!saved.Ok() && saysAnsi(saved.Message()));
    // A name the store does not know would need a new map entry.
    EXPECT_FALSE(fresh.SetNamedProperty(LidTag(PSETID_Common, 0x85FF, PT_LONG), PropertyValue::Long(1)).Ok());
    ASSERT_TRUE((*store)->Close().Ok());
    EXPECT_TRUE(ReadFile(m_ansi) == before);
}

TEST_F(AnsiStoreTest, ReadpstReadsTheCopyAsWritten)
{
    // The copy is made by a test helper; readpst confirms it is a PST.
    if (!Installed("readpst"))
        GTEST_SKIP() << "readpst not installed";
    const auto run = RunReadpst(m_ansi, m_dir / "out", "-S");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("- 3 items done, 0 items skipped."), std::string::npos) << run.output;
    std::vector<std::string> attachments;
    for (const auto& e : std::filesystem::recursive_directory_iterator(m_dir / "out"))
        if (e.path().filename().string().find("daten.bin") != std::string::npos)
            attachments.push_back(ReadFile(e.path()));
    std::sort(attachments.begin(), attachments.end());
    EXPECT_TRUE(attachments == (std::vector<std::string>{std::string(20'000, '\0'), std::string(20'000, '\1'),
                                                         std::string(20'000, '\2')}));
    // "Über Gebühren 1" from Windows-1252, in readpst's encoded header.
    EXPECT_EQ(FilesContaining(m_dir / "out", "Subject: =?utf-8?B?w5xiZXIgR2Viw7xocmVuIDE=?=").size(), 1u);
}
