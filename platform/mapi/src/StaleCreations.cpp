#include "StaleCreations.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <string>
#include <system_error>

namespace mapi::ndb {

namespace {

constexpr std::string_view kMarker = ".creating-";

bool ProcessLives(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The building process of an unfinished file, or 0 when the name is none.
pid_t BuilderOf(const std::string& name)
{
    const auto at = name.rfind(kMarker);
    if (at == std::string::npos || at == 0)
        return 0;
    const char* first = name.data() + at + kMarker.size();
    const char* last = name.data() + name.size();
    pid_t pid = 0;
    auto [end, ec] = std::from_chars(first, last, pid);
    return ec == std::errc() && end == last && first != last && pid > 0 ? pid : 0;
}

} // namespace

void RemoveStaleCreations(const std::filesystem::path& folder)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const pid_t builder = BuilderOf(it->path().filename().string());
        if (builder == 0 || ProcessLives(builder) || !it->is_regular_file(ec))
            continue;
        std::error_code ignored;
        std::filesystem::remove(it->path(), ignored);
    }
}

} // namespace mapi::ndb
