// A machine with the components registered and a target store open in the
// default profile under the name "Archive", as the session set-up leaves it;
// RDO calls made as the contact and calendar converters make them.
#pragma once

#include "ComponentMachine.h"
#include "PstBack.h"

#include "ole/Variant.h"

namespace componenttest {

inline constexpr const char16_t* kTargetPst = u"C:\\Mail\\archive.pst";

class RdoMachine : public ComponentMachine {
protected:
    void SetUp() override;

    // A new session, logged on with six empty VARIANTs.
    void NewSession(COleDispatchDriver& session);
    static void Logon(COleDispatchDriver& session);
    static void FolderFromPath(COleDispatchDriver& session, const char16_t* path, COleDispatchDriver& folder);
    static void ObjectProperty(COleDispatchDriver& from, DISPID member, COleDispatchDriver& into);
    // Folders.Add with a name and a kind.
    static void AddFolder(COleDispatchDriver& folders, const char16_t* name, LONG kind);
    // The converters' folder set-up: a session of its own, the store's top
    // folder, its subfolders, and Folders.Add with the name and kind.
    void AddTopFolder(const char16_t* name, LONG kind);
    // Items.Add of the folder at the path, in a session of its own.
    void NewItem(const char16_t* folderPath, LONG kind, COleDispatchDriver& item);
    static void Save(COleDispatchDriver& item);
    static void AddAttachment(COleDispatchDriver& item, const char16_t* path);

    // The target store as a reader opens it after the run.
    std::shared_ptr<mapi::CStore> Reopen() { return ReopenStore(Host(kTargetPst)); }
    // The items of a folder below the target store's top folder, reopened.
    std::vector<mapi::CMessage> ItemsIn(const char16_t* folderName);

    std::shared_ptr<mapi::CStore> m_reopened; // keeps the items' store open
};

} // namespace componenttest
