// Brenmoor.dll: the mail writer, whose class is "brenmoor.Class1".
#include "BrenmoorObject.h"

#include "components/ComponentClasses.h"
#include "components/ServerExports.h"

namespace {

IUnknown* CreateBrenmoor()
{
    return static_cast<IDispatch*>(new brenmoor::CBrenmoor);
}

} // namespace

COMPONENT_SERVER_EXPORTS(components::kBrenmoorClass, CreateBrenmoor)
