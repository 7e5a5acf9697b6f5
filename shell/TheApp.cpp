// The program: its application object, with the converter of each
// conversion mode wired before the wizard starts.
#include "CalendarConverter.h"
#include "Converters.h"
#include "MarlwickApp.h"

namespace {

class CMarlwickProgram : public CMarlwickApp {
public:
    BOOL InitInstance() override
    {
        InstallConverters({.mail = &RunMailConversion,
                           .contacts = &RunContactConversion,
                           .calendar = &RunCalendarConversion});
        return CMarlwickApp::InitInstance();
    }
};

} // namespace

CMarlwickProgram theApp;
