// The machine's ANSI code page in a test's machine root: written into its
// registry as the installer writes it, and read again by the process.
#pragma once

#include "testsupport/MachineFixture.h"

namespace testsupport {

void UseAnsiCodePage(unsigned codePage);

// A machine whose ANSI code page is Windows-1252 from the start.
class Machine1252Fixture : public MachineFixture {
protected:
    void SetUp() override
    {
        MachineFixture::SetUp();
        UseAnsiCodePage(1252);
    }
};

} // namespace testsupport
