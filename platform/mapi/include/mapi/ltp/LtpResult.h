#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace mapi::ltp {

// A failure of the LTP layer: what failed and where, as one sentence.
struct Error {
    std::string message;
};

inline Error MakeError(std::string message) { return Error{std::move(message)}; }

// A value or an error message. Thin on purpose so that it can later become an
// alias of the store-wide result type.
template <class T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool Ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return Ok(); }

    T& Value() & { assert(Ok()); return std::get<0>(m_state); }
    const T& Value() const& { assert(Ok()); return std::get<0>(m_state); }
    T&& Value() && { assert(Ok()); return std::get<0>(std::move(m_state)); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }

    const std::string& Message() const { assert(!Ok()); return std::get<1>(m_state).message; }
    Error TakeError() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

template <>
class Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error.message)), m_failed(true) {}

    bool Ok() const { return !m_failed; }
    explicit operator bool() const { return Ok(); }
    const std::string& Message() const { assert(m_failed); return m_error; }
    Error TakeError() const { return Error{m_error}; }

private:
    std::string m_error;
    bool m_failed = false;
};

// Prefixes the message of a failed result with the context of the caller.
inline Error WithContext(const std::string& context, const Error& inner)
{
    return Error{context + ": " + inner.message};
}

} // namespace mapi::ltp
