// libFuzzer target: any bytes as a PST file must open and read, or fail with
// an error; never crash, hang or run out of bounds. Both layers are read: the
// node database node by node, and the store folder by folder, message by
// message (their recipient and attachment tables and attachments included).
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/NodeDatabase.h"
#include "mapi/Store.h"
#include "mapi/StructureCheck.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kMaxFolders = 64;
constexpr std::size_t kMaxMessages = 256;

void ReadMessages(mapi::CStore& store, const mapi::CFolder& folder, std::size_t& budget)
{
    auto messages = folder.ListMessages();
    if (!messages.Ok())
        return;
    for (const auto& info : *messages) {
        if (budget == 0)
            return;
        --budget;
        auto m = store.OpenMessage(info.nid);
        if (!m.Ok())
            continue;
        (void)m->GetSubject();
        (void)m->GetBody();
        (void)m->GetHtmlBody();
        (void)m->GetRtfBody();
        (void)m->GetNamedProperty(mapi::PidLidLocation);
        for (const auto& a : m->GetAttachments())
            (void)a.GetData().size();
    }
}

void Walk(mapi::CStore& store, const mapi::CFolder& folder, int depth, int& folders, std::size_t& budget)
{
    if (depth > 8 || ++folders > kMaxFolders)
        return;
    (void)folder.GetName();
    (void)folder.GetCounts();
    ReadMessages(store, folder, budget);
    auto subfolders = folder.ListSubfolders();
    if (!subfolders.Ok())
        return;
    for (const auto& info : *subfolders) {
        // A folder listed under itself or its descendants is walked once.
        if (info.nid == folder.GetNid())
            continue;
        if (auto sub = store.OpenFolder(info.nid); sub.Ok())
            Walk(store, *sub, depth + 1, folders, budget);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("mapi-fuzz-" + std::to_string(getpid()) + ".pst");
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    (void)mapi::CheckStructure(path);
    if (auto db = mapi::CNodeDatabase::Open(path, true); db.Ok()) {
        std::size_t visited = 0;
        (void)(*db)->ForEachNode([&](const mapi::NodeInfo& n) {
            (void)(*db)->ReadNode(n.nid);
            (void)(*db)->ListSubnodes(n.nid);
            return ++visited < 4096;
        });
    }
    if (auto store = mapi::CStore::Open(path, true); store.Ok()) {
        (void)(*store)->GetDisplayName();
        int folders = 0;
        std::size_t budget = kMaxMessages;
        if (auto root = (*store)->GetRootFolder(); root.Ok())
            Walk(**store, *root, 0, folders, budget);
    }
    return 0;
}
