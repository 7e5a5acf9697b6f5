// A temporary folder for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>

namespace mapitest {

class CTempDir {
public:
    CTempDir();
    // A folder under `base` instead of the system's temporary folder.
    explicit CTempDir(const std::filesystem::path& base);
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// A copy of a sample file in `dir` (the samples themselves are read-only).
std::filesystem::path CopySample(const CTempDir& dir, const std::string& name);
bool SampleExists(const std::string& name);

} // namespace mapitest
