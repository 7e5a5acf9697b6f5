#include "TempDir.h"

#include <cstdlib>
#include <stdexcept>

namespace mapitest {

CTempDir::CTempDir() : CTempDir(std::filesystem::temp_directory_path()) {}

CTempDir::CTempDir(const std::filesystem::path& base)
{
    std::string pattern = (base / "mapi-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

CTempDir::~CTempDir()
{
    // MAPITEST_KEEP keeps the folder, to look at what a failing test wrote.
    if (std::getenv("MAPITEST_KEEP"))
        return;
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

bool SampleExists(const std::string& name) { return std::filesystem::exists(std::filesystem::path(MAPI_SAMPLE_DIR) / name); }

std::filesystem::path CopySample(const CTempDir& dir, const std::string& name)
{
    const auto target = dir / name;
    std::filesystem::copy_file(std::filesystem::path(MAPI_SAMPLE_DIR) / name, target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return target;
}

} // namespace mapitest
