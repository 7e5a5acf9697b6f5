// The RDO library's objects as the system uses them: a session bound to the
// default profile, folders found by store-rooted path, their subfolder and
// item collections, items with the properties of their kind, and the items'
// attachment collections.
#pragma once

#include "components/FolderLookup.h"
#include "components/ItemCompletion.h"
#include "ole/DispatchObject.h"

#include <map>
#include <memory>

namespace rdo {

class CRdoObject : public ole::CDispatchObject {
protected:
    std::u16string ErrorSource() const override;
};

class CSession final : public CRdoObject {
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;

    bool m_loggedOn = false;
};

class CFolder final : public CRdoObject {
public:
    explicit CFolder(components::FolderRef folder) : m_folder(std::move(folder)) {}

private:
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;

    components::FolderRef m_folder;
};

class CFolders final : public CRdoObject {
public:
    explicit CFolders(components::FolderRef parent) : m_parent(std::move(parent)) {}

private:
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;

    components::FolderRef m_parent;
};

class CItems final : public CRdoObject {
public:
    explicit CItems(components::FolderRef folder) : m_folder(std::move(folder)) {}

private:
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;

    components::FolderRef m_folder;
};

// What an item and its attachment collection share: the message, held in
// memory until it is saved (a later save replaces what the first wrote).
struct ItemState {
    components::ItemKind kind;
    mapi::CMessage message;
    std::map<DISPID, components::AttendeeList> attendees; // by the DISPID that put them
};

class CItem final : public CRdoObject {
public:
    explicit CItem(std::shared_ptr<ItemState> state) : m_state(std::move(state)) {}

private:
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;
    void Save();

    std::shared_ptr<ItemState> m_state;
};

class CAttachments final : public CRdoObject {
public:
    explicit CAttachments(std::shared_ptr<ItemState> state) : m_state(std::move(state)) {}

private:
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;

    std::shared_ptr<ItemState> m_state;
};

// The object that Attachments.Add returns; the system lets it go unread.
class CAttachment final : public CRdoObject {
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;
};

} // namespace rdo
