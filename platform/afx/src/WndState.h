// The message that the calling thread's framework window procedure is
// handling, for Default() and the reflection of the current message.
#pragma once

#include "user/MessageQueue.h"

namespace afx::detail {

class CurrentMessage {
public:
    CurrentMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~CurrentMessage();
    CurrentMessage(const CurrentMessage&) = delete;
    CurrentMessage& operator=(const CurrentMessage&) = delete;

    static const MSG& Get();

private:
    MSG m_previous;
};

// Gives a thread-local variable a value for a scope, then the old one back.
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& variable, T value)
        : m_variable(variable)
        , m_previous(variable)
    {
        variable = value;
    }
    ~ScopedValue() { m_variable = m_previous; }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& m_variable;
    T m_previous;
};

} // namespace afx::detail
