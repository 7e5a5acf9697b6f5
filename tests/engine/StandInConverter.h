// A converter for the run's own tests: the converters' shared first steps
// (Outlook check, PST folder, target components, stop check), then one unit
// of work per selected folder with the converters' progress and stop
// checks, ending in the completion dialog as a converter does.
#pragma once

class CProDlg;

namespace enginetest {

void RunStandInConverter(CProDlg& dialog);

} // namespace enginetest
