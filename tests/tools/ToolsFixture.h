// A machine root laid out by the installer from the built programs.
#pragma once

#include "install/MachineInstaller.h"
#include "testsupport/MachineFixture.h"

#include <chrono>
#include <filesystem>
#include <thread>

class ToolsFixture : public testsupport::MachineFixture {
protected:
    void Install()
    {
        std::string error;
        ASSERT_TRUE(install::InstallMachine({m_root, MARLWICK_PROGRAMS_DIR, MARLWICK_RESOURCES_DIR}, &error))
            << error;
    }

    // An opener that records what it was given, in place of the host's.
    std::filesystem::path UseRecordingOpener()
    {
        std::filesystem::path seen = m_root / "opened.txt";
        std::filesystem::path opener = m_root / "opener.sh";
        WriteHostFile(opener, "#!/bin/sh\nprintf '%s' \"$1\" > '" + seen.string() + ".tmp'\nmv '" + seen.string()
                                  + ".tmp' '" + seen.string() + "'\n");
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        setenv("MARLWICK_OPENER", opener.c_str(), 1);
        return seen;
    }

    // A file a started program writes: a loaded machine may take many
    // seconds to start it.
    static bool WaitFor(const std::filesystem::path& file)
    {
        for (int i = 0; i < 3000 && !std::filesystem::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::filesystem::exists(file);
    }
};
