#include "user/MessageBox.h"

#include <mutex>

namespace {

std::mutex g_mutex;
user::MessageBoxAnswerer g_answerer;
std::vector<user::MessageBoxRecord> g_history;

int DefaultButton(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    default:
        return IDOK;
    }
}

} // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    user::MessageBoxRecord record{text ? text : u"", caption ? caption : u"Error", type, owner,
                                  std::this_thread::get_id(), 0};
    user::MessageBoxAnswerer answerer;
    std::size_t index;
    {
        // Recorded before it is answered: an answer may end the program.
        std::lock_guard lock(g_mutex);
        answerer = g_answerer;
        index = g_history.size();
        g_history.push_back(record);
    }
    int answer = answerer ? answerer(record) : DefaultButton(type);
    std::lock_guard lock(g_mutex);
    if (index < g_history.size())
        g_history[index].answer = answer;
    return answer;
}

namespace user {

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer)
{
    std::lock_guard lock(g_mutex);
    g_answerer = std::move(answerer);
}

std::vector<MessageBoxRecord> MessageBoxHistory()
{
    std::lock_guard lock(g_mutex);
    return g_history;
}

void ClearMessageBoxHistory()
{
    std::lock_guard lock(g_mutex);
    g_history.clear();
}

} // namespace user
