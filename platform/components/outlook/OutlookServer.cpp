// Outlook.dll: the Outlook automation server of the machine, which the
// installer registers as "Outlook.Application" the way an installed Outlook
// is registered.
#include "OutlookObjects.h"

#include "components/ComponentClasses.h"
#include "components/ServerExports.h"

namespace {

IUnknown* CreateApplication()
{
    return static_cast<IDispatch*>(new outlook::CApplication);
}

} // namespace

COMPONENT_SERVER_EXPORTS(components::kOutlookClass, CreateApplication)
