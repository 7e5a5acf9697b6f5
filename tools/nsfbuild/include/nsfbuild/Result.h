// The outcome of a builder step: success, or a message that says what failed
// and where.
#pragma once

#include <string>

namespace nsfbuild {

struct Result {
    bool ok = true;
    std::string message;

    static Result Ok() { return {}; }
    static Result Error(std::string message) { return Result{false, std::move(message)}; }
    explicit operator bool() const { return ok; }
};

} // namespace nsfbuild
