// Messages written and read back through the store: every property type,
// named properties, bodies, recipients and attachments of every size.
#include "../TempDir.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"
#include "mapi/ltp/CompressedRtf.h"
#include "mapi/Store.h"
#include "mapi/ndb/Header.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <thread>

using namespace mapi;

namespace {

Bytes RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(size);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rng());
    return b;
}

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto store = CStore::Create(m_path, u"Messages");
        ASSERT_TRUE(store.Ok()) << store.Message();
        m_store = *store;
        auto folder = m_store->GetIpmSubtree()->CreateSubfolder(u"Inbox");
        ASSERT_TRUE(folder.Ok()) << folder.Message();
        m_folder = folder->GetNid();
    }
    CFolder Folder() { return *m_store->OpenFolder(m_folder); }
    void Reopen(bool readOnly = false)
    {
        ASSERT_TRUE(m_store->Close().Ok());
        auto store = CStore::Open(m_path, readOnly);
        ASSERT_TRUE(store.Ok()) << store.Message();
        m_store = *store;
    }
    CMessage ReadBack(Nid nid)
    {
        auto message = m_store->OpenMessage(nid);
        EXPECT_TRUE(message.Ok()) << message.Message();
        return message.Ok() ? *message : Folder().CreateMessage();
    }
    std::uint64_t CommittedBlockCounter()
    {
        std::ifstream f(m_path, std::ios::binary);
        std::vector<std::uint8_t> bytes(ndb::kHeaderSize);
        f.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return ndb::ParseHeader(bytes)->bidNextB;
    }

    mapitest::CTempDir m_dir;
    std::filesystem::path m_path = m_dir / "messages.pst";
    std::shared_ptr<CStore> m_store;
    Nid m_folder = 0;
};

} // namespace

TEST_F(MessageTest, EveryPropertyTypeAndNamedPropertyReadsBackAfterReopen)
{
    CMessage m = Folder().CreateMessage(u"IPM.Note");
    m.SetSubject(u"Grüße – ünïcödé ☃");
    m.SetLong(PR_IMPORTANCE, 2);
    m.SetProperty(PROP_TAG(PT_SHORT, 0x6710), PropertyValue::Short(-7));
    m.SetBoolean(PR_READ_RECEIPT_REQUESTED, true);
    m.SetTime(PR_CLIENT_SUBMIT_TIME, FileTimeFromUnixSeconds(1'000'000'000));
    m.SetProperty(PR_CONVERSATION_INDEX, PropertyValue::Binary(RandomBytes(22, 1)));
    m.SetProperty(PROP_TAG(PT_DOUBLE, 0x6711), PropertyValue::Double(-2.5e-3));
    m.SetProperty(PROP_TAG(PT_MV_UNICODE, 0x6712), PropertyValue::MvUnicode({u"one", u"", u"three"}));
    ASSERT_TRUE(m.SetNamedProperty(PidNameKeywords, PropertyValue::MvUnicode({u"Work", u"Ärger"})).Ok());
    ASSERT_TRUE(m.SetNamedProperty(PidLidLocation, PropertyValue::Unicode(u"Room 4")).Ok());
    ASSERT_TRUE(m.SetNamedProperty(PidLidReminderDelta, PropertyValue::Long(15)).Ok());
    EXPECT_FALSE(m.SetNamedProperty(PidLidReminderSet, PropertyValue::Long(1)).Ok()) << "wrong type for the name";
    ASSERT_TRUE(m.Save().Ok());
    const Nid nid = m.GetNid();
    EXPECT_EQ(NidTypeOf(nid), NidType::NormalMessage);

    Reopen();
    CMessage r = ReadBack(nid);
    EXPECT_EQ(r.GetFolderNid(), m_folder);
    EXPECT_EQ(r.GetSubject(), u"Grüße – ünïcödé ☃");
    EXPECT_EQ(r.GetMessageClass(), u"IPM.Note");
    EXPECT_EQ(r.GetLong(PR_IMPORTANCE), 2);
    EXPECT_EQ(*r.GetProperty(PROP_TAG(PT_SHORT, 0x6710)), PropertyValue::Short(-7));
    EXPECT_EQ(r.GetBoolean(PR_READ_RECEIPT_REQUESTED), true);
    EXPECT_EQ(r.GetTime(PR_CLIENT_SUBMIT_TIME), FileTimeFromUnixSeconds(1'000'000'000));
    EXPECT_EQ(r.GetProperty(PR_CONVERSATION_INDEX)->Get<Bytes>()->size(), 22u);
    EXPECT_EQ(*r.GetProperty(PROP_TAG(PT_DOUBLE, 0x6711)), PropertyValue::Double(-2.5e-3));
    EXPECT_EQ(*r.GetProperty(PROP_TAG(PT_MV_UNICODE, 0x6712)), PropertyValue::MvUnicode({u"one", u"", u"three"}));
    EXPECT_EQ(*r.GetNamedProperty(PidNameKeywords), PropertyValue::MvUnicode({u"Work", u"Ärger"}));
    EXPECT_EQ(*r.GetNamedProperty(PidLidLocation), PropertyValue::Unicode(u"Room 4"));
    EXPECT_EQ(*r.GetNamedProperty(PidLidReminderDelta), PropertyValue::Long(15));
    EXPECT_FALSE(r.GetNamedProperty(PidLidBusyStatus)->has_value());
    // The tag the map gave a name is the one a second store lookup finds.
    auto tag = m_store->GetNamedTag(PidLidLocation, false);
    ASSERT_TRUE(tag.Ok() && tag->has_value());
    EXPECT_GE(PROP_ID(**tag), kFirstNamedPropId);
    EXPECT_EQ(m_store->GetNameOf(PROP_ID(**tag))->value(), PidLidLocation.name);
}

TEST_F(MessageTest, BodiesRecipientsAndAttachmentsOfEverySizeRoundTrip)
{
    const std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}Hello {\\b bold} world\\par}";
    const std::u16string plain(6000, u'p'); // more than one heap item: a subnode
    CMessage m = Folder().CreateMessage();
    m.SetSubject(u"With everything");
    m.SetSender(u"Anna Sender", u"anna@example.com");
    m.SetBody(plain);
    m.SetHtmlBody(u"<p>Größe</p>");
    m.SetRtfBody(rtf);
    Recipient bcc{MAPI_BCC, u"Hidden Copy", u"bcc@example.com", u"SMTP", {}};
    bcc.extra.Set(PR_RECIPIENT_FLAGS, PropertyValue::Long(1));
    m.AddRecipient({MAPI_TO, u"Bob To", u"bob@example.com", u"SMTP", {}});
    m.AddRecipient({MAPI_CC, u"Carl Cc", u"/o=Org/cn=carl", u"EX", {}});
    m.AddRecipient(bcc);
    // Empty, inside the heap, one subnode block, several blocks (an XBLOCK).
    const std::vector<std::size_t> sizes{0, 3000, 8000, 200'000};
    for (std::size_t i = 0; i < sizes.size(); ++i)
        m.AddAttachment(CAttachment::ByValue(u"file" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u".bin",
                                             RandomBytes(sizes[i], static_cast<unsigned>(i)), u"application/octet-stream"));
    m.AddAttachment(CAttachment::ByValue(u"A rather long report name.docx", RandomBytes(10, 9)));
    ASSERT_TRUE(m.Save().Ok());

    Reopen();
    CMessage r = ReadBack(m.GetNid());
    EXPECT_EQ(r.GetBody(), plain);
    EXPECT_EQ(r.GetHtmlBody(), u"<p>Größe</p>");
    EXPECT_EQ(*r.GetRtfBody(), rtf);
    std::string terminated = rtf + '\0'; // as Outlook compresses it
    r.SetProperty(PR_RTF_COMPRESSED, PropertyValue::Binary(ltp::CompressRtf(Bytes(terminated.begin(), terminated.end()))));
    EXPECT_EQ(*r.GetRtfBody(), rtf);
    EXPECT_EQ(r.GetBoolean(PR_RTF_IN_SYNC), true);
    EXPECT_EQ(r.GetString(PR_SENDER_EMAIL_ADDRESS), u"anna@example.com");
    EXPECT_EQ(r.GetString(PR_SENT_REPRESENTING_NAME), u"Anna Sender");
    EXPECT_EQ(r.GetString(PR_DISPLAY_TO), u"Bob To");
    EXPECT_EQ(r.GetString(PR_DISPLAY_CC), u"Carl Cc");
    EXPECT_EQ(r.GetString(PR_DISPLAY_BCC), u"Hidden Copy");
    EXPECT_EQ(r.GetBoolean(PR_HASATTACH), true);
    EXPECT_TRUE(*r.GetLong(PR_MESSAGE_FLAGS) & MSGFLAG_HASATTACH);
    EXPECT_GT(*r.GetLong(PR_MESSAGE_SIZE), 200'000);

    ASSERT_EQ(r.GetRecipients().size(), 3u);
    EXPECT_EQ(r.GetRecipients()[1].type, MAPI_CC);
    EXPECT_EQ(r.GetRecipients()[1].address, u"/o=Org/cn=carl");
    EXPECT_EQ(r.GetRecipients()[1].addressType, u"EX");
    EXPECT_EQ(r.GetRecipients()[2].type, MAPI_BCC);
    EXPECT_EQ(r.GetRecipients()[2].displayName, u"Hidden Copy");
    EXPECT_EQ(r.GetRecipients()[2].extra.GetLong(PR_RECIPIENT_FLAGS, 0), 1);

    ASSERT_EQ(r.GetAttachments().size(), sizes.size() + 1);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const CAttachment& a = r.GetAttachments()[i];
        EXPECT_EQ(a.GetData(), RandomBytes(sizes[i], static_cast<unsigned>(i))) << i;
        EXPECT_EQ(a.GetMethod(), ATTACH_BY_VALUE);
        EXPECT_EQ(a.GetExtension(), u".bin");
        EXPECT_EQ(a.GetMimeType(), u"application/octet-stream");
    }
    const CAttachment& named = r.GetAttachments().back();
    EXPECT_EQ(named.GetFileName(), u"A rather long report name.docx");
    EXPECT_EQ(named.Properties().GetUnicode(PR_ATTACH_FILENAME), u"A rath~1.doc");
    EXPECT_EQ(CAttachment::ShortFileName(u"short.txt"), u"short.txt");

    auto report = CheckStructure(m_path);
    ASSERT_TRUE(report.Ok()) << report.Message();
}

TEST_F(MessageTest, AnUnsavedMessageLeavesNothingAndAFailedSaveLeavesTheStoreAsItWas)
{
    auto nodeCount = [&] {
        EXPECT_TRUE(m_store->Close().Ok());
        std::size_t nodes = 0;
        auto db = CNodeDatabase::Open(m_path, true);
        EXPECT_TRUE(db.Ok());
        EXPECT_TRUE((*db)->ForEachNode([&](const NodeInfo&) { return ++nodes, true; }).Ok());
        db->reset();
        Reopen();
        return nodes;
    };
    const std::size_t before = nodeCount();
    {
        CMessage draft = Folder().CreateMessage();
        draft.SetSubject(u"never saved");
        draft.AddAttachment(CAttachment::ByValue(u"a.txt", Bytes(100, 1)));
        ASSERT_TRUE(draft.SetNamedProperty(PidLidLocation, PropertyValue::Unicode(u"x")).Ok());
    }
    EXPECT_EQ(nodeCount(), before);
    EXPECT_TRUE(Folder().ListMessages()->empty());

    // A recipient with more properties than a table has columns fails the
    // save; nothing of it stays, and the next save works as if it never was.
    CMessage bad = Folder().CreateMessage();
    Recipient crowded{MAPI_TO, u"Crowded", u"c@example.com", u"SMTP", {}};
    for (std::uint16_t id = 0x6800; id < 0x6800 + 300; ++id)
        crowded.extra.Set(PROP_TAG(PT_LONG, id), PropertyValue::Long(id));
    bad.AddRecipient(crowded);
    EXPECT_FALSE(bad.Save().Ok());
    EXPECT_FALSE(bad.IsSaved());
    CMessage good = Folder().CreateMessage();
    good.SetSubject(u"fine");
    ASSERT_TRUE(good.Save().Ok());
    EXPECT_EQ(Folder().ListMessages()->size(), 1u);
    EXPECT_EQ(Folder().GetCounts()->contentCount, 1);
}

TEST_F(MessageTest, ReadOnlyStoresRefuseEveryChangeWithAReason)
{
    CMessage m = Folder().CreateMessage();
    ASSERT_TRUE(m.Save().Ok());
    Reopen(true);
    EXPECT_TRUE(m_store->IsReadOnly());
    CMessage again = ReadBack(m.GetNid());
    again.SetSubject(u"changed");
    auto saved = again.Save();
    ASSERT_FALSE(saved.Ok());
    EXPECT_NE(saved.Message().find("read-only"), std::string::npos) << saved.Message();
    EXPECT_FALSE(Folder().CreateSubfolder(u"New").Ok());
    EXPECT_FALSE(m_store->SetDisplayName(u"Other").Ok());
    EXPECT_EQ(*m_store->GetDisplayName(), u"Messages");
}

TEST_F(MessageTest, SavesFromSeveralThreadsAllLand)
{
    constexpr int kThreads = 4, kEach = 25;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                CMessage m = Folder().CreateMessage();
                m.SetSubject(u"thread " + std::u16string(1, static_cast<char16_t>(u'a' + t)));
                if (!m.Save().Ok())
                    ++failures;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
    Reopen();
    EXPECT_EQ(Folder().ListMessages()->size(), static_cast<std::size_t>(kThreads * kEach));
    EXPECT_EQ(Folder().GetCounts()->contentCount, kThreads * kEach);
}

TEST_F(MessageTest, TheThousandthMessageWritesNoMoreBlocksThanTheThreeHundredth)
{
    // Whole tables rewritten per message would write ever more blocks. By
    // the 300th message the contents table has its final shape (a heap of
    // several pages, the row matrix in a subnode), which then only grows:
    // at the 1000th it is three times as large.
    auto save = [&](int i) {
        CMessage m = Folder().CreateMessage();
        m.SetSubject(u"Message about the quarterly figures, number " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
        m.SetSender(u"Anna Sender", u"anna@example.com");
        m.AddRecipient({MAPI_TO, u"Bob", u"bob@example.com", u"SMTP", {}});
        m.SetBody(std::u16string(500, u'b'));
        const std::uint64_t before = CommittedBlockCounter();
        EXPECT_TRUE(m.Save().Ok());
        return (CommittedBlockCounter() - before) / 4;
    };
    std::uint64_t early = 0, late = 0;
    for (int i = 0; i < 1000; ++i) {
        const std::uint64_t blocks = save(i);
        if (i >= 300 && i < 310)
            early = std::max(early, blocks);
        if (i >= 990)
            late = std::max(late, blocks);
    }
    EXPECT_LE(late, early + 1) << "blocks per save grew from " << early << " to " << late;
}
