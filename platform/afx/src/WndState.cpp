#include "WndState.h"

namespace afx::detail {

namespace {

thread_local MSG t_current = {};

} // namespace

CurrentMessage::CurrentMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    : m_previous(t_current)
{
    t_current = {hWnd, message, wParam, lParam, 0, {}};
}

CurrentMessage::~CurrentMessage()
{
    t_current = m_previous;
}

const MSG& CurrentMessage::Get()
{
    return t_current;
}

} // namespace afx::detail
