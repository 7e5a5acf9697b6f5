// Writes a small store that uses every kind of block (XBLOCK, SLBLOCK,
// SIBLOCK, nested subnodes) as a starting point for the fuzzer.
#include "mapi/NodeDatabase.h"

#include <cstdio>

using namespace mapi;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s new-file.pst\n", argv[0]);
        return 2;
    }
    auto db = CNodeDatabase::Create(argv[1], ndb::CryptMethod::Permute, [](CNodeDatabase& store) -> Result<void> {
        NodeContent large;
        for (int i = 0; i < 3; ++i)
            large.blocks.push_back(Bytes(i < 2 ? 8176 : 100, static_cast<std::uint8_t>(i)));
        MAPI_TRY(store.WriteNode(SpecialNid::MessageStore, 0, large));
        NodeContent many{{Bytes(50, 7)}, {}};
        for (std::uint32_t i = 1; i <= 350; ++i)
            many.subnodes[MakeNid(NidType::Ltp, i)] = NodeContent{{Bytes(8, static_cast<std::uint8_t>(i))}, {}};
        many.subnodes[0x1F].subnodes[0x3F] = NodeContent{{Bytes(20, 9)}, {}};
        MAPI_TRY(store.WriteNode(SpecialNid::RootFolder, SpecialNid::RootFolder, many));
        return {};
    });
    if (!db.Ok()) {
        std::fprintf(stderr, "%s\n", db.Message().c_str());
        return 1;
    }
    return 0;
}
