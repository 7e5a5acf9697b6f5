#include "OutlookObjects.h"

#include "PasswordDialog.h"

#include "components/ComponentClasses.h"
#include "components/Logon.h"
#include "components/Members.h"
#include "components/ProfileStores.h"
#include "ole/Variant.h"
#include "win32/WideString.h"

#include <atomic>

namespace outlook {

namespace {

using components::RequireGet;
using components::RequireMethod;

// The running Outlook of this process; Quit moves it on.
std::atomic<int> g_runningInstance{1};

enum : DISPID {
    kGetNamespace = 0x110,
    kQuit = 0x113,
    kFolders = 0x2103,
    kLogon = 0x2105,
    kAddStore = 0x2119,
    kGetLast = 0x58,
    kName = 0x3001,
};

} // namespace

COutlookObject::COutlookObject()
    : m_instance(g_runningInstance.load())
{
}

void COutlookObject::OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    if (m_instance != g_runningInstance.load())
        throw ole::CDispatchError(kDisconnected, u"Outlook has quit; this object belongs to it");
    OnMember(member, flags, args, result);
}

std::u16string COutlookObject::ErrorSource() const
{
    return components::kOutlookClass.progId;
}

void COutlookObject::QuitInstance()
{
    int running = m_instance;
    g_runningInstance.compare_exchange_strong(running, running + 1);
}

void CApplication::OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    switch (member) {
    case kGetNamespace: {
        RequireMethod(flags);
        args.ExpectCount(1, 1);
        if (!EqualsNoCase(args.String(0), u"MAPI"))
            throw ole::CDispatchError(E_INVALIDARG, u"the only namespace is \"MAPI\"");
        result = ole::MakeDispatch(new CNameSpace(Instance()));
        return;
    }
    case kQuit:
        RequireMethod(flags);
        args.ExpectCount(0, 0);
        QuitInstance();
        return;
    default:
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    }
}

void CNameSpace::OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    switch (member) {
    case kLogon:
        // Profile, password, show dialog, new session: all optional, and
        // the one profile of the machine is the one logged on to.
        RequireMethod(flags);
        args.ExpectCount(0, 4);
        components::RequireDefaultProfile();
        return;
    case kAddStore: {
        RequireMethod(flags);
        args.ExpectCount(1, 1);
        components::AddProfileStore(args.String(0), components::kNewStoreName, AskStorePassword);
        return;
    }
    case kFolders:
        RequireGet(flags);
        args.ExpectCount(0, 0);
        result = ole::MakeDispatch(new CFolders(Instance()));
        return;
    default:
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    }
}

void CFolders::OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    if (member != kGetLast)
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    RequireMethod(flags);
    args.ExpectCount(0, 0);
    auto stores = mapi::CMailProfile::Default().GetStores();
    if (stores.empty())
        throw ole::CDispatchError(E_FAIL, u"the profile has no folders: no store is open");
    result = ole::MakeDispatch(new CMAPIFolder(Instance(), stores.back().store));
}

void CMAPIFolder::OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result)
{
    if (member != kName)
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
    RequireGet(flags);
    args.ExpectCount(0, 0);
    result = ole::MakeString(components::Checked(m_store->GetDisplayName(), u"cannot read the folder's name"));
}

} // namespace outlook
