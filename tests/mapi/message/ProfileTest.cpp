// The default mail profile: one list of open stores per process.
#include "../TempDir.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Profile.h"
#include "mapi/Store.h"
#include "mapi/StructureCheck.h"
#include "win32/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace mapi;

TEST(MailProfile, AddsOpensAndFindsStoresOncePerFile)
{
    mapitest::CTempDir dir;
    CMailProfile profile;
    auto first = profile.AddStore(dir / "first.pst", u"Notes Import");
    ASSERT_TRUE(first.Ok()) << first.Message();
    EXPECT_TRUE(std::filesystem::exists(dir / "first.pst"));
    auto second = profile.AddStore(dir / "second.pst", u"Second");
    ASSERT_TRUE(second.Ok());

    // The same file by another spelling of its path stays where it is.
    auto again = profile.AddStore(dir.Path() / "." / "first.pst", u"ignored");
    ASSERT_TRUE(again.Ok());
    EXPECT_EQ(*again, *first);
    auto stores = profile.GetStores();
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[0].rootName, u"Notes Import");
    EXPECT_EQ(stores[1].store, *second);
    EXPECT_EQ(profile.FindStoreByRootName(u"notes import"), *first);
    EXPECT_EQ(profile.FindStore(dir / "second.pst"), *second);
    EXPECT_EQ(profile.FindStoreByRootName(u"Other"), nullptr);

    ASSERT_TRUE(profile.SetRootName(*second, u"Renamed").Ok());
    EXPECT_EQ(profile.FindStoreByRootName(u"RENAMED"), *second);
    ASSERT_TRUE(profile.CloseAll().Ok());
    EXPECT_TRUE(profile.GetStores().empty());
    EXPECT_FALSE((*second)->GetDisplayName().Ok()) << "a closed store refuses calls";

    // An existing file is opened, with the name it has.
    auto reopened = profile.AddStore(dir / "second.pst", u"not used");
    ASSERT_TRUE(reopened.Ok());
    EXPECT_EQ(profile.GetStores()[0].rootName, u"Renamed");
    ASSERT_TRUE(profile.RemoveStore(dir / "second.pst").Ok());
    EXPECT_FALSE(profile.RemoveStore(dir / "second.pst").Ok());

    std::filesystem::create_directory(dir / "not-a-pst");
    EXPECT_FALSE(profile.AddStore(dir / "not-a-pst", u"x").Ok());
    EXPECT_FALSE(profile.AddStore(dir / "missing-folder" / "x.pst", u"x").Ok());
    EXPECT_TRUE(profile.GetStores().empty());
}

// A process that ends with stores still open in its default profile closes
// them on the way: the space the last saves freed is marked free, so the
// file carries no leaked bytes.
TEST(MailProfile, TheDefaultProfileClosesItsStoresWhenTheProcessEnds)
{
    mapitest::CTempDir dir;
    const auto path = dir / "open at the end.pst";
    EXPECT_EXIT(
        {
            auto store = CMailProfile::Default().AddStore(path, u"Open");
            if (!store.Ok())
                std::_Exit(2);
            auto inbox = (*store)->GetIpmSubtree()->CreateSubfolder(u"Inbox");
            for (int n = 0; inbox.Ok() && n < 20; ++n) {
                CMessage m = inbox->CreateMessage();
                m.SetSubject(u"Saved before the end");
                if (!m.Save().Ok())
                    std::_Exit(3);
            }
            win32::RuntimeExit(0);
        },
        ::testing::ExitedWithCode(0), "");
    auto report = CheckStructure(path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_EQ(report->leakedBytes, 0u);
    auto reopened = CStore::Open(path, true);
    ASSERT_TRUE(reopened.Ok()) << reopened.Message();
    auto inbox = (*reopened)->GetIpmSubtree()->FindSubfolder(u"Inbox");
    ASSERT_TRUE(inbox.Ok() && *inbox);
    auto listed = (*inbox)->ListMessages();
    ASSERT_TRUE(listed.Ok());
    EXPECT_EQ(listed->size(), 20u);
}
