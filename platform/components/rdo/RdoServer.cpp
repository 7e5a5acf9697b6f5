// TolvaneRedmp.dll: the RDO library, whose session class is
// "TolvaneRedmp.RDOSessionTol".
#include "RdoObjects.h"

#include "components/ComponentClasses.h"
#include "components/ServerExports.h"

namespace {

IUnknown* CreateSession()
{
    return static_cast<IDispatch*>(new rdo::CSession);
}

} // namespace

COMPONENT_SERVER_EXPORTS(components::kRdoSessionClass, CreateSession)
