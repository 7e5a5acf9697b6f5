// NoEntry.dll: a library that loads but is no server, for regsvr32's
// missing-entry-point path.
#include "ole/ClassFactory.h"

OLE_SERVER_EXPORT int NoEntryVersion()
{
    return 1;
}
