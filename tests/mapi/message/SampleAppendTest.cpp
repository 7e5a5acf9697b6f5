// Folders and messages added to copies of the Outlook-written samples: our
// reader and both independent readers see the old items and the new ones.
#include "../ReaderTools.h"
#include "../TempDir.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/StructureCheck.h"
#include "mapi/Store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

using namespace mapi;
using namespace mapitest;

namespace {

// readpst's summary: items done and skipped per folder name.
std::map<std::string, std::pair<int, int>> ReadpstCounts(const ToolRun& run)
{
    std::map<std::string, std::pair<int, int>> counts;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t open = line.find('"'), close = line.rfind('"');
        int done = 0, skipped = 0;
        if (open != std::string::npos && close > open &&
            std::sscanf(line.c_str() + close, "\" - %d items done, %d items skipped.", &done, &skipped) == 2)
            counts[line.substr(open + 1, close - open - 1)] = {done, skipped};
    }
    return counts;
}

std::set<std::string> ExportedFiles(const std::filesystem::path& dir)
{
    std::set<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            files.insert(std::filesystem::relative(e.path(), dir).string());
    return files;
}

class SampleAppendTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!SampleExists(GetParam()))
            GTEST_SKIP() << "sample not installed";
        m_original = CopySample(m_dir, GetParam());
        m_changed = m_dir / ("changed-" + GetParam());
        std::filesystem::copy_file(m_original, m_changed);
        auto store = CStore::Open(m_changed);
        ASSERT_TRUE(store.Ok()) << store.Message();
        CFolder ipm = *(*store)->GetIpmSubtree();
        auto imported = ipm.CreateSubfolder(u"Imported", kClassNoteFolder);
        ASSERT_TRUE(imported.Ok()) << imported.Message();
        for (int i = 0; i < 3; ++i) {
            CMessage m = imported->CreateMessage();
            m.SetSubject(u"Imported " + std::u16string(1, static_cast<char16_t>(u'1' + i)));
            m.SetBody(u"Imported body");
            m.SetSender(u"Anna Sender", u"anna@example.com");
            m.AddRecipient({MAPI_TO, u"Bob", u"bob@example.com", u"SMTP", {}});
            m.AddAttachment(CAttachment::ByValue(u"data.bin", Bytes(20'000, static_cast<std::uint8_t>(i))));
            ASSERT_TRUE(m.Save().Ok());
        }
        auto contacts = ipm.FindSubfolder(u"Contacts");
        ASSERT_TRUE(contacts.Ok() && contacts->has_value());
        CMessage contact = (*contacts)->CreateMessage(u"IPM.Contact");
        contact.SetSubject(u"Added, Person");
        contact.SetString(PR_GIVEN_NAME, u"Person");
        contact.SetString(PR_SURNAME, u"Added");
        ASSERT_TRUE(contact.SetNamedProperty(PidLidEmail1EmailAddress, PropertyValue::Unicode(u"person@example.com")).Ok());
        ASSERT_TRUE(contact.Save().Ok());
        m_contactsCount = *(*contacts)->GetCounts();
        ASSERT_TRUE((*store)->Close().Ok());
    }

    CTempDir m_dir;
    std::filesystem::path m_original, m_changed;
    FolderCounts m_contactsCount;
};

} // namespace

TEST_P(SampleAppendTest, OurReaderSeesOldAndNewItems)
{
    auto before = CStore::Open(m_original, true);
    auto after = CStore::Open(m_changed, true);
    ASSERT_TRUE(before.Ok() && after.Ok());
    auto report = CheckStructure(m_changed);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_TRUE(report->warnings.empty());

    // Every folder of the sample lists the same messages as before, but for
    // the contact added.
    auto oldFolders = *(*before)->GetIpmSubtree()->ListSubfolders();
    auto newFolders = *(*after)->GetIpmSubtree()->ListSubfolders();
    ASSERT_EQ(newFolders.size(), oldFolders.size() + 1);
    for (std::size_t i = 0; i < oldFolders.size(); ++i) {
        EXPECT_EQ(newFolders[i].name, oldFolders[i].name);
        auto oldList = *(*before)->OpenFolder(oldFolders[i].nid)->ListMessages();
        auto newList = *(*after)->OpenFolder(newFolders[i].nid)->ListMessages();
        const std::size_t added = oldFolders[i].name == u"Contacts" ? 1 : 0;
        ASSERT_EQ(newList.size(), oldList.size() + added) << std::string(oldFolders[i].name.begin(), oldFolders[i].name.end());
        for (std::size_t m = 0; m < oldList.size(); ++m) {
            EXPECT_EQ(newList[m].subject, oldList[m].subject);
            auto message = (*after)->OpenMessage(newList[m].nid);
            EXPECT_TRUE(message.Ok()) << message.Message();
        }
        if (added) {
            EXPECT_EQ(newList.back().subject, u"Added, Person");
        }
    }
    EXPECT_EQ(newFolders.back().name, u"Imported");
    EXPECT_EQ(newFolders.back().counts.contentCount, 3);
    // Outlook's count and ours agree after the addition.
    for (const auto& folder : newFolders) {
        if (folder.name == u"Contacts") {
            EXPECT_EQ(m_contactsCount.contentCount,
                      static_cast<std::int32_t>((*after)->OpenFolder(folder.nid)->ListMessages()->size()));
        }
    }
    auto imported = *(*after)->OpenFolder(newFolders.back().nid)->ListMessages();
    ASSERT_EQ(imported.size(), 3u);
    auto first = (*after)->OpenMessage(imported[0].nid);
    ASSERT_TRUE(first.Ok());
    EXPECT_EQ(first->GetAttachments().at(0).GetData(), Bytes(20'000, 0));
}

TEST_P(SampleAppendTest, ReadpstReadsOldAndNewItems)
{
    if (!Installed("readpst"))
        GTEST_SKIP() << "readpst not installed";
    const auto before = ReadpstCounts(RunReadpst(m_original, m_dir / "readpst-before"));
    const auto run = RunReadpst(m_changed, m_dir / "readpst-after");
    EXPECT_EQ(run.status, 0) << run.output;
    auto after = ReadpstCounts(run);
    ASSERT_FALSE(before.empty());
    auto expected = before;
    expected["Imported"] = {3, 0};
    expected["Contacts"].first += 1;
    expected["Personal Folders"].first += 1; // the new folder
    EXPECT_EQ(after, expected);
}

TEST_P(SampleAppendTest, PffexportReadsOldAndNewItems)
{
    if (!Installed("pffexport"))
        GTEST_SKIP() << "pffexport not installed";
    const auto before = RunTool("pffexport -q -t " + Quoted(m_dir / "before") + " " + Quoted(m_original));
    const auto after = RunTool("pffexport -q -t " + Quoted(m_dir / "after") + " " + Quoted(m_changed));
    EXPECT_EQ(after.status, 0) << after.output;
    EXPECT_EQ(after.output, before.output);
    const auto oldFiles = ExportedFiles(m_dir / "before.export");
    const auto newFiles = ExportedFiles(m_dir / "after.export");
    for (const auto& file : oldFiles)
        EXPECT_TRUE(newFiles.count(file)) << file;
    std::size_t importedMessages = 0, importedAttachments = 0;
    for (const auto& file : newFiles) {
        if (file.rfind("Top of Personal Folders/Imported/", 0) != 0)
            continue;
        importedMessages += file.find("/Message.txt") != std::string::npos;
        importedAttachments += file.find("/Attachments/1_data.bin") != std::string::npos;
    }
    EXPECT_EQ(importedMessages, 3u);
    EXPECT_EQ(importedAttachments, 3u);
    const auto contacts = FilesContaining(m_dir / "after.export" / "Top of Personal Folders" / "Contacts",
                                          "person@example.com");
    EXPECT_EQ(contacts.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Outlook, SampleAppendTest, ::testing::Values("dist-list.pst", "passworded.pst"),
                         [](const auto& info) {
                             return info.param == "dist-list.pst" ? std::string("DistList") : std::string("Passworded");
                         });
