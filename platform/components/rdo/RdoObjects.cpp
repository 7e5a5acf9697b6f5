#include "RdoObjects.h"

#include "components/Addresses.h"
#include "components/ComponentClasses.h"
#include "components/FileBytes.h"
#include "components/Logon.h"
#include "components/Members.h"
#include "components/ProfileStores.h"
#include "ole/Variant.h"
#include "win32/WideString.h"

#include <algorithm>

namespace rdo {

namespace {

using components::RequireGet;
using components::RequireMethod;
using components::RequirePut;

enum : DISPID {
    kLogon = 4,
    kGetFolderFromPath = 0x60020016,
    kFolderItems = 0x11,
    kFolderFolders = 0x12,
    kFolderMethod6 = 6,
    kAdd = 4,
    kSave = 6,
    kProperty41 = 0x41,
    kAttachments = 0x49,
    kAttachmentsAdd = 0x65,
};

// MAPI_E_NOT_INITIALIZED and MAPI_E_COLLISION.
constexpr HRESULT kNotLoggedOn = static_cast<HRESULT>(0x80040605);
constexpr HRESULT kCollision = static_cast<HRESULT>(0x80040604);

std::u16string Number(LONG value)
{
    return Utf8ToUtf16(std::to_string(value));
}

} // namespace

std::u16string CRdoObject::ErrorSource() const
{
    return components::kRdoSessionClass.progId;
}

void CSession::OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    switch (member) {
    case kLogon:
        // Profile name, password, dialog and session flags: all optional;
        // the session binds to the machine's one profile.
        RequireMethod(flags);
        args.ExpectCount(0, 6);
        components::RequireDefaultProfile();
        m_loggedOn = true;
        return;
    case kGetFolderFromPath: {
        RequireMethod(flags);
        args.ExpectCount(1, 1);
        std::u16string path = args.String(0);
        if (!m_loggedOn)
            throw ole::CDispatchError(kNotLoggedOn, u"the session is not logged on");
        result = ole::MakeDispatch(new CFolder(components::FindFolder(components::ParseFolderPath(path))));
        return;
    }
    default:
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    }
}

void CFolder::OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    switch (member) {
    case kFolderFolders:
        RequireGet(flags);
        args.ExpectCount(0, 0);
        result = ole::MakeDispatch(new CFolders(m_folder));
        return;
    case kFolderItems:
        RequireGet(flags);
        args.ExpectCount(0, 0);
        result = ole::MakeDispatch(new CItems(m_folder));
        return;
    case kFolderMethod6:
        // Items are durable when their own save returns: nothing is pending here.
        RequireMethod(flags);
        args.ExpectCount(0, 0);
        return;
    default:
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    }
}

void CFolders::OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    if (member != kAdd)
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    RequireMethod(flags);
    args.ExpectCount(1, 2);
    std::u16string name = args.String(0);
    if (name.empty() || name.find(u'\\') != std::u16string::npos)
        throw ole::CDispatchError(E_INVALIDARG, u"\"" + name + u"\" is not a folder name", 0);
    auto kind = components::FolderKind::Mail;
    if (!args.IsMissing(1)) {
        LONG asked = args.Long(1);
        if (!components::IsKnownFolderKind(asked))
            throw ole::CDispatchError(E_INVALIDARG,
                                      u"folder kind " + Number(asked) + u" is not 9 (calendar) or 10 (contacts)", 1);
        kind = static_cast<components::FolderKind>(asked);
    }
    std::u16string path = m_parent.path + u"\\" + name;
    if (components::Checked(m_parent.folder.FindSubfolder(name), u"cannot read the folders of " + m_parent.path))
        throw ole::CDispatchError(kCollision, u"a folder named \"" + name + u"\" already exists in " + m_parent.path);
    mapi::CFolder made = components::Checked(
        m_parent.folder.CreateSubfolder(name, components::ContainerClassOf(kind)), u"cannot make " + path);
    result = ole::MakeDispatch(new CFolder({made, path}));
}

void CItems::OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    if (member != kAdd)
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    RequireMethod(flags);
    args.ExpectCount(1, 1);
    LONG kind = args.Long(0);
    if (!components::IsKnownItemKind(kind))
        throw ole::CDispatchError(E_INVALIDARG, u"item kind " + Number(kind) + u" is not 1 (appointment) or 2 (contact)",
                                  0);
    auto itemKind = static_cast<components::ItemKind>(kind);
    auto state = std::make_shared<ItemState>(
        ItemState{itemKind, m_folder.folder.CreateMessage(components::MessageClassOf(itemKind)), {}});
    result = ole::MakeDispatch(new CItem(std::move(state)));
}

void CItem::OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    switch (member) {
    case kSave:
        RequireMethod(flags);
        args.ExpectCount(0, 0);
        Save();
        return;
    case kProperty41:
        // Put after or before the save; nothing of the saved item depends on it.
        RequirePut(flags);
        args.PutBool();
        return;
    case kAttachments:
        RequireGet(flags);
        args.ExpectCount(0, 0);
        result = ole::MakeDispatch(new CAttachments(m_state));
        return;
    default:
        break;
    }
    const components::ItemPropertyRow* row = components::FindItemProperty(m_state->kind, member);
    if (!row)
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    RequirePut(flags);
    components::PutItemProperty(m_state->message, *row, args.PutValue());
    if (row->recipientType != 0)
        m_state->attendees[member] = {row->recipientType, components::ParseAddressList(args.PutString())};
}

void CItem::Save()
{
    std::vector<components::AttendeeList> attendees;
    for (const auto& entry : m_state->attendees)
        attendees.push_back(entry.second);
    // Required attendees first, then optional ones, then resources.
    std::stable_sort(attendees.begin(), attendees.end(),
                     [](const auto& a, const auto& b) { return a.recipientType < b.recipientType; });
    components::CompleteItem(m_state->kind, m_state->message, attendees);
    components::Checked(m_state->message.Save(), u"cannot save the item");
}

void CAttachments::OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    if (member != kAttachmentsAdd)
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    // Source, then type, position and display name, which the system leaves out.
    RequireMethod(flags);
    args.ExpectCount(1, 4);
    std::u16string path = args.String(0);
    // Read now: the caller writes the next attachment to the same path.
    mapi::Bytes data = components::ReadFileBytes(path, u"attachment");
    m_state->message.AddAttachment(mapi::CAttachment::ByValue(components::FileNameOf(path), std::move(data)));
    result = ole::MakeDispatch(new CAttachment);
}

void CAttachment::OnInvoke(DISPID, WORD, const ole::CDispArgs&, VARIANT&)
{
    throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
}

} // namespace rdo
