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

} // namespace afx::detail
