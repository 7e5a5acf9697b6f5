// Writes the fuzzer's seeds: a node database that uses every kind of block
// (XBLOCK, SLBLOCK, SIBLOCK, nested subnodes), and a store with folders and
// messages that have recipients, attachments of several sizes, named
// properties and all three bodies.
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/NodeDatabase.h"
#include "mapi/Store.h"

#include <cstdio>
#include <string>

using namespace mapi;

namespace {

Result<void> WriteNodes(const char* path)
{
    auto db = CNodeDatabase::Create(path, ndb::CryptMethod::Permute, [](CNodeDatabase& store) -> Result<void> {
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
    if (!db.Ok())
        return db.GetError();
    return {};
}

Result<void> WriteMessages(const char* path)
{
    auto store = CStore::Create(path, u"Seed");
    if (!store.Ok())
        return store.GetError();
    auto ipm = (*store)->GetIpmSubtree();
    if (!ipm.Ok())
        return ipm.GetError();
    auto mail = ipm->CreateSubfolder(u"Mail");
    if (!mail.Ok())
        return mail.GetError();
    for (int i = 0; i < 3; ++i) {
        CMessage m = mail->CreateMessage();
        m.SetSubject(u"Seed " + std::u16string(1, static_cast<char16_t>(u'a' + i)));
        m.SetSender(u"Anna", u"anna@example.com");
        m.AddRecipient({MAPI_TO, u"Bob", u"bob@example.com", u"SMTP", {}});
        m.AddRecipient({MAPI_CC, u"Carl", u"carl@example.com", u"SMTP", {}});
        m.SetBody(std::u16string(i == 0 ? 20 : 2000, u'b'));
        if (i == 1)
            m.SetHtmlBody(u"<p>html</p>");
        if (i == 2)
            m.SetRtfBody("{\\rtf1\\ansi seed {\\b body}\\par}");
        MAPI_TRY(m.SetNamedProperty(PidLidLocation, PropertyValue::Unicode(u"Room")));
        m.AddAttachment(CAttachment::ByValue(u"small.txt", Bytes(100, 's')));
        if (i == 0)
            m.AddAttachment(CAttachment::ByValue(u"large.bin", Bytes(20'000, 'l')));
        MAPI_TRY(m.Save());
    }
    auto sub = mail->CreateSubfolder(u"Sub", kClassContactFolder);
    if (!sub.Ok())
        return sub.GetError();
    return (*store)->Close();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s nodes.pst messages.pst\n", argv[0]);
        return 2;
    }
    for (const auto& written : {WriteNodes(argv[1]), WriteMessages(argv[2])}) {
        if (!written.Ok()) {
            std::fprintf(stderr, "%s\n", written.Message().c_str());
            return 1;
        }
    }
    return 0;
}
