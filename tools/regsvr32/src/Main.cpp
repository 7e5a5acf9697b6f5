#include "regsvr32/Regsvr32.h"

#include "win32/Process.h"

int main()
{
    return regsvr32::Run(GetCommandLineW(), regsvr32::ShowRegsvr32Message);
}
