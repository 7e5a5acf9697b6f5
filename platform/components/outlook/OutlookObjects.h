// The Outlook object model as far as the system uses it: the Application,
// its MAPI NameSpace, the NameSpace's top-level folders and a folder's name.
//
// One Outlook runs per process: every Application object created while it
// runs is that instance, and Quit ends it. Objects of an instance that has
// ended refuse their calls; the next creation starts a new instance. The
// stores added to the profile stay open after Quit.
#pragma once

#include "mapi/Store.h"
#include "ole/DispatchObject.h"

#include <memory>

namespace outlook {

// RPC_E_DISCONNECTED: a call on an object of an Outlook that has quit.
inline constexpr HRESULT kDisconnected = static_cast<HRESULT>(0x80010108);

class COutlookObject : public ole::CDispatchObject {
protected:
    COutlookObject();
    explicit COutlookObject(int instance) : m_instance(instance) {}

    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) final;
    virtual void OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) = 0;
    std::u16string ErrorSource() const override;
    int Instance() const { return m_instance; }
    void QuitInstance();

private:
    int m_instance;
};

class CApplication final : public COutlookObject {
    void OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;
};

class CNameSpace final : public COutlookObject {
public:
    explicit CNameSpace(int instance) : COutlookObject(instance) {}

private:
    void OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;
};

class CFolders final : public COutlookObject {
public:
    explicit CFolders(int instance) : COutlookObject(instance) {}

private:
    void OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;
};

class CMAPIFolder final : public COutlookObject {
public:
    CMAPIFolder(int instance, std::shared_ptr<mapi::CStore> store)
        : COutlookObject(instance), m_store(std::move(store))
    {
    }

private:
    void OnMember(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;

    std::shared_ptr<mapi::CStore> m_store;
};

} // namespace outlook
