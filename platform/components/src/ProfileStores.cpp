#include "components/ProfileStores.h"

#include "win32/MachineRoot.h"
#include "win32/WideString.h"

namespace components {

void ThrowStoreError(std::u16string_view doing, const mapi::Error& error)
{
    throw ole::CDispatchError(E_FAIL, std::u16string(doing) + u": " + Utf8ToUtf16(error.message));
}

std::shared_ptr<mapi::CStore> AddProfileStore(std::u16string_view windowsPath, const std::u16string& newDisplayName,
                                              const PasswordPrompt& prompt)
{
    std::u16string doing = u"cannot open the personal folders file " + std::u16string(windowsPath);
    LONG error = 0;
    auto resolved = win32::ResolvePath(windowsPath, win32::Resolve::ParentExists, &error);
    if (!resolved) {
        std::u16string why = error == ERROR_PATH_NOT_FOUND ? u"its folder does not exist"
            : error == ERROR_FILENAME_EXCED_RANGE           ? u"the path is too long"
                                                            : u"the path is not a path of this machine";
        throw ole::CDispatchError(HRESULT_FROM_WIN32(static_cast<DWORD>(error)), doing + u": " + why);
    }
    auto& profile = mapi::CMailProfile::Default();
    // A store of the profile was accepted when it was added: no question again.
    if (auto open = profile.FindStore(resolved->hostPath))
        return open;
    if (resolved->exists)
        CheckExistingStoreFile(resolved->windowsPath, resolved->hostPath, prompt);
    else
        CheckNewStoreFolder(resolved->windowsPath, resolved->hostPath);
    return Checked(profile.AddStore(resolved->hostPath, newDisplayName), doing);
}

} // namespace components
