// A fresh machine root per test: a temporary folder with an empty drive C:,
// the virtual clock, and the process end turned into an exception so that a
// test can see the program end.
#pragma once

#include "win32/Clock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace testsupport {

// Thrown by the process-end hook in place of ending the test process.
struct ProcessExit {
    int code;
};

class MachineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The host path of a Windows path ("C:\x\y") inside this root; the
    // folders on the way need not exist.
    std::filesystem::path Host(std::u16string_view windowsPath) const;
    void WriteHostFile(const std::filesystem::path& path, const std::string& bytes) const;
    std::string ReadHostFile(const std::filesystem::path& path) const;

    std::filesystem::path m_root;
    std::shared_ptr<win32::VirtualClock> m_clock;

private:
    std::string m_savedPath;
    bool m_hadPath = false;
};

} // namespace testsupport
