#include "FilledStore.h"

#include "../TempDir.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/NodeDatabase.h"
#include "mapi/Store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <unistd.h>

using namespace mapi;

namespace mapitest {

std::u16string FilledSubjectOf(std::uint32_t n)
{
    const std::string s = "Filled " + std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

void CreateFilledStore(const std::filesystem::path& path, std::uint32_t count)
{
    std::optional<CTempDir> memory;
    if (std::filesystem::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0)
        memory.emplace("/dev/shm");
    const auto building = memory ? *memory / "filled.pst" : path;
    auto store = CStore::Create(building, u"Filled");
    ASSERT_TRUE(store.Ok()) << store.Message();
    auto inbox = (*store)->GetIpmSubtree()->CreateSubfolder(u"Inbox");
    ASSERT_TRUE(inbox.Ok()) << inbox.Message();
    for (std::uint32_t n = 0; n < count; ++n) {
        CMessage m = inbox->CreateMessage();
        m.SetSubject(FilledSubjectOf(n));
        m.SetRead(n % 2 == 0);
        ASSERT_TRUE(m.Save().Ok()) << n;
    }
    ASSERT_TRUE((*store)->Close().Ok());
    if (building != path)
        std::filesystem::copy_file(building, path);
}

std::size_t InboxRowBlocks(const std::filesystem::path& path)
{
    auto store = CStore::Open(path, true);
    EXPECT_TRUE(store.Ok()) << store.Message();
    if (!store.Ok())
        return 0;
    auto inbox = (*store)->GetIpmSubtree()->FindSubfolder(u"Inbox");
    auto db = CNodeDatabase::Open(path, true);
    EXPECT_TRUE(inbox.Ok() && *inbox && db.Ok());
    if (!inbox.Ok() || !*inbox || !db.Ok())
        return 0;
    auto table = (*db)->ReadNode(MakeNid(NidType::ContentsTable, NidIndexOf((*inbox)->GetNid())));
    EXPECT_TRUE(table.Ok()) << table.Message();
    if (!table.Ok())
        return 0;
    std::size_t most = table->blocks.size();
    for (const auto& entry : table->subnodes)
        most = std::max(most, entry.second.blocks.size());
    return most;
}

} // namespace mapitest
