#include "PstBack.h"

#include "ReaderTools.h"

#include "components/StoreFileChecks.h"
#include "mapi/NodeDatabase.h"
#include "mapi/Profile.h"
#include "mapi/PropTags.h"
#include "mapi/ltp/PropertyContext.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace componenttest {

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::shared_ptr<mapi::CStore> ReopenStore(const fs::path& hostPath)
{
    auto closed = mapi::CMailProfile::Default().CloseAll();
    EXPECT_TRUE(closed.Ok()) << closed.Message();
    auto store = mapi::CStore::Open(hostPath, true);
    EXPECT_TRUE(store.Ok()) << store.Message();
    return store.Ok() ? *store : nullptr;
}

std::optional<mapi::CFolder> FolderBelowTop(const std::shared_ptr<mapi::CStore>& store,
                                            const std::vector<std::u16string>& levels)
{
    if (!store)
        return std::nullopt;
    auto top = store->GetIpmSubtree();
    if (!top.Ok())
        return std::nullopt;
    mapi::CFolder folder = *top;
    for (const auto& level : levels) {
        auto next = folder.FindSubfolder(level);
        if (!next.Ok() || !*next)
            return std::nullopt;
        folder = **next;
    }
    return folder;
}

std::vector<mapi::CMessage> MessagesOf(const mapi::CFolder& folder)
{
    std::vector<mapi::CMessage> messages;
    auto listed = folder.ListMessages();
    EXPECT_TRUE(listed.Ok()) << listed.Message();
    if (!listed.Ok())
        return messages;
    for (const auto& info : *listed) {
        auto message = folder.OpenMessage(info.nid);
        EXPECT_TRUE(message.Ok()) << message.Message();
        if (message.Ok())
            messages.push_back(*message);
    }
    return messages;
}

std::string PffExported(const fs::path& pst, const fs::path& outDir, const std::string& relative)
{
    fs::path target = outDir.string() + ".export";
    if (!fs::exists(target)) {
        auto run = mapitest::RunTool("pffexport -q -f all -t " + mapitest::Quoted(outDir) + " " + mapitest::Quoted(pst));
        EXPECT_EQ(run.status, 0) << run.output;
    }
    return Slurp(target / relative);
}

std::string ReadpstExported(const fs::path& pst, const fs::path& outDir, const std::string& fileName,
                            const std::string& options)
{
    if (!fs::exists(outDir)) {
        auto run = mapitest::RunReadpst(pst, outDir, options);
        EXPECT_EQ(run.status, 0) << run.output;
    }
    for (const auto& entry : fs::recursive_directory_iterator(outDir)) {
        if (entry.path().filename() == fileName)
            return Slurp(entry.path());
    }
    ADD_FAILURE() << "readpst wrote no " << fileName;
    return {};
}

std::optional<std::string> ExportedValue(const std::string& text, const std::string& label)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(label, 0) != 0)
            continue;
        std::string value = line.substr(label.size());
        std::size_t first = value.find_first_not_of(" \t");
        std::size_t last = value.find_last_not_of(" \t\r");
        return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    }
    return std::nullopt;
}

bool ProtectStore(const std::filesystem::path& hostPath, const std::u16string& password)
{
    auto db = mapi::CNodeDatabase::Open(hostPath);
    if (!db)
        return false;
    auto node = (*db)->ReadNode(mapi::SpecialNid::MessageStore);
    if (!node)
        return false;
    auto bag = mapi::ltp::CPropertyContext::Read(*node);
    if (!bag)
        return false;
    const auto crc = components::StorePasswordCrc(password);
    bag->Set(mapi::PR_PST_PASSWORD, mapi::PropertyValue::Long(static_cast<std::int32_t>(crc)));
    auto content = mapi::ltp::CPropertyContext::Write(*bag, *node);
    return content && (*db)->WriteNode(mapi::SpecialNid::MessageStore, 0, *content).Ok() && (*db)->Commit().Ok()
        && (*db)->Close().Ok();
}

} // namespace componenttest
