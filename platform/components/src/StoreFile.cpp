#include "components/MessageStore.h"

#include "ole/DispatchObject.h"
#include "win32/WideString.h"

namespace components {

namespace {

StoreFileOpener& Opener()
{
    static StoreFileOpener opener;
    return opener;
}

} // namespace

void SetStoreFileOpener(StoreFileOpener opener)
{
    Opener() = std::move(opener);
}

std::shared_ptr<IMessageStore> OpenStoreFile(const std::filesystem::path& hostPath)
{
    if (!Opener())
        throw ole::CDispatchError(E_NOTIMPL, u"no store layer to open " + Utf8ToUtf16(hostPath.string()));
    return Opener()(hostPath);
}

} // namespace components
