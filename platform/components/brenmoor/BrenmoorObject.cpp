#include "BrenmoorObject.h"

#include "components/ComponentClasses.h"
#include "components/FolderLookup.h"
#include "components/ItemProperties.h"
#include "components/MailAssembly.h"
#include "components/Members.h"
#include "components/ProfileStores.h"
#include "ole/Com.h"
#include "ole/Variant.h"
#include "win32/FileApi.h"

#include <climits>

namespace brenmoor {

namespace {

enum : DISPID {
    kCheckOutlook = 0x6003002A,
    kOpenTarget = 0x6003002B,
    kMakeFolder = 0x6003002C,
    kWriteMessage = 0x6003002D,
    kBeginMessage = 0x6003002E,
    kEndMessage = 0x6003002F,
};

// Outlook's NameSpace members that the check calls.
constexpr DISPID kOutlookGetNamespace = 0x110;
constexpr DISPID kOutlookLogon = 0x2105;

// A call on an automation object, by DISPID, with one optional BSTR.
HRESULT Call(IDispatch* object, DISPID member, const char16_t* text, VARIANT* result)
{
    ole::CVariant argument;
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    if (text) {
        static_cast<VARIANT&>(argument) = ole::MakeString(text);
        params = {&argument, nullptr, 1, 0};
    }
    EXCEPINFO error{};
    HRESULT hr = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, &error, nullptr);
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);
    return hr == DISP_E_EXCEPTION && FAILED(error.scode) ? error.scode : hr;
}

// The drafts folder that the mail walk makes: "Drafts" right below the
// run's folder in the target store, in any letter case, as the store
// matches folder names.
bool IsDraftsFolder(const components::FolderPath& path)
{
    constexpr std::u16string_view kDrafts = u"drafts";
    if (path.levels.size() != 2 || path.levels[1].size() != kDrafts.size())
        return false;
    for (std::size_t i = 0; i < kDrafts.size(); ++i) {
        char16_t c = path.levels[1][i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + (u'a' - u'A'));
        if (c != kDrafts[i])
            return false;
    }
    return true;
}

} // namespace

std::u16string CBrenmoor::ErrorSource() const
{
    return components::kBrenmoorClass.progId;
}

void CBrenmoor::OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    components::RequireMethod(flags);
    switch (member) {
    case kCheckOutlook:
        args.ExpectCount(0, 0);
        CheckOutlook();
        return;
    case kOpenTarget:
        args.ExpectCount(2, 2);
        result = ole::MakeString(OpenTarget(args.String(0), args.String(1)));
        return;
    case kMakeFolder: {
        args.ExpectCount(1, 1);
        std::u16string path = args.String(0);
        auto made = components::MakeFolder(components::ParseFolderPath(path),
                                           components::ContainerClassOf(components::FolderKind::Mail));
        result = ole::MakeString(made.path);
        return;
    }
    case kBeginMessage:
        // The message's folder comes again with its parts: nothing to keep.
        args.ExpectCount(1, 1);
        result = ole::MakeString(args.String(0));
        return;
    case kWriteMessage:
        args.ExpectCount(10, 10);
        WriteMessage(args);
        result = ole::MakeString(u"");
        return;
    case kEndMessage:
        // Each message was written whole by 0x6003002D.
        args.ExpectCount(0, 0);
        result = ole::MakeString(u"");
        return;
    default:
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    }
}

// Outlook is usable when it can be started and logged on to its profile.
void CBrenmoor::CheckOutlook()
{
    CLSID clsid;
    IDispatch* application = nullptr;
    HRESULT hr = CLSIDFromProgID(components::kOutlookClass.progId, &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&application));
    if (FAILED(hr))
        throw ole::CDispatchError(hr, u"Outlook is not installed on this machine");
    ole::CVariant nameSpace;
    hr = Call(application, kOutlookGetNamespace, u"MAPI", &nameSpace);
    if (SUCCEEDED(hr) && nameSpace.vt == VT_DISPATCH && nameSpace.pdispVal)
        hr = Call(nameSpace.pdispVal, kOutlookLogon, nullptr, nullptr);
    else if (SUCCEEDED(hr))
        hr = E_UNEXPECTED;
    application->Release();
    if (FAILED(hr))
        throw ole::CDispatchError(hr, u"Outlook cannot log on to the mail profile");
}

// The store is opened (or made) and named as the caller addresses it; an
// empty name leaves the name that the store has.
std::u16string CBrenmoor::OpenTarget(const std::u16string& pstPath, const std::u16string& rootName)
{
    auto store = components::AddProfileStore(pstPath, rootName.empty() ? components::kNewStoreName : rootName);
    std::u16string name = components::Checked(store->GetDisplayName(), u"cannot read the store's name");
    if (!rootName.empty() && name != rootName) {
        components::Checked(mapi::CMailProfile::Default().SetRootName(store, rootName),
                            u"cannot name the store " + rootName);
        name = rootName;
    }
    return name;
}

void CBrenmoor::WriteMessage(const ole::CDispArgs& args)
{
    components::MailParts parts;
    parts.folderPath = args.String(0);
    parts.subject = args.String(1);
    parts.to = args.String(2);
    parts.emlPath = args.String(3);
    parts.dateText = args.String(4);
    parts.attachmentList = args.String(5);
    parts.body = args.String(6);
    LONG kind = args.Long(7);
    if (kind < SHRT_MIN || kind > SHRT_MAX)
        throw ole::CDispatchError(DISP_E_OVERFLOW, {}, 7);
    parts.bodyKind = static_cast<SHORT>(kind);
    parts.cc = args.String(8);
    parts.spare = args.String(9);

    // A folder that its 0x6003002C call failed to make is made here, so that
    // its messages are not lost.
    const components::FolderPath path = components::ParseFolderPath(parts.folderPath);
    auto folder = components::MakeFolder(path, components::ContainerClassOf(components::FolderKind::Mail));
    mapi::CMessage message = folder.folder.CreateMessage();
    components::AssembleMail(message, parts, kRtfBodyFile);
    // Outlook keeps drafts unsent: the messages of the drafts folder, and
    // one that was never posted (no date).
    if (IsDraftsFolder(path) || parts.dateText.empty())
        message.SetUnsent(true);
    components::Checked(message.Save(), u"cannot save the message in " + folder.path);
    // The RTF body file is this message's: taken away, so that a later
    // message whose document has no body does not carry this one's.
    if (parts.bodyKind == static_cast<SHORT>(components::BodyKind::Rtf))
        DeleteFileW(kRtfBodyFile);
}

} // namespace brenmoor
