// The one result type of the message store library: a value or an error that
// says what failed and where.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace mapi {

struct Error {
    std::string message;
};

template <typename T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Error error) : m_value(std::move(error)) {}

    bool Ok() const { return m_value.index() == 0; }
    explicit operator bool() const { return Ok(); }

    T& Value() & { return std::get<0>(m_value); }
    const T& Value() const& { return std::get<0>(m_value); }
    T&& Value() && { return std::get<0>(std::move(m_value)); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }
    T&& operator*() && { return std::move(*this).Value(); }

    const Error& GetError() const { return std::get<1>(m_value); }
    const std::string& Message() const { return GetError().message; }

private:
    std::variant<T, Error> m_value;
};

template <>
class Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool Ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return Ok(); }
    const Error& GetError() const { return *m_error; }
    const std::string& Message() const { return m_error->message; }

private:
    std::optional<Error> m_error;
};

inline Error MakeError(std::string message) { return Error{std::move(message)}; }

} // namespace mapi

// Propagates the error of an expression yielding a Result.
#define MAPI_TRY(expr)                                  \
    do {                                                \
        auto mapiTryResult_ = (expr);                   \
        if (!mapiTryResult_.Ok())                       \
            return mapiTryResult_.GetError();           \
    } while (0)
