// libFuzzer target: any bytes as a PST file must open and read, or fail with
// an error; never crash, hang or run out of bounds.
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

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
    return 0;
}
