// The query answered on the caller's thread: which procedure a message
// reaches, through the subclasses that said they pass what they leave.
#include "user/Subclassing.h"

#include "CommonControls.h"
#include "TreeViewState.h"
#include "WindowData.h"

#include <mutex>
#include <unordered_map>

namespace user {

namespace {

std::mutex g_subclassMutex;
std::unordered_map<WNDPROC, PassThroughQuery>& Subclasses()
{
    static auto* subclasses = new std::unordered_map<WNDPROC, PassThroughQuery>;
    return *subclasses;
}

// The procedure msg reaches first that is not a passing subclass.
WNDPROC Receiver(HWND hwnd, UINT msg)
{
    auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    for (int depth = 0; proc && depth < 8; ++depth) {
        PassThroughQuery query = nullptr;
        {
            std::lock_guard lock(g_subclassMutex);
            auto it = Subclasses().find(proc);
            if (it == Subclasses().end())
                return proc;
            query = it->second;
        }
        proc = query(hwnd, msg);
    }
    return nullptr;
}

} // namespace

void RegisterPassThroughSubclass(WNDPROC subclass, PassThroughQuery query)
{
    std::lock_guard lock(g_subclassMutex);
    Subclasses()[subclass] = query;
}

namespace detail {

bool AnswerWithoutOwner(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!IsTreeQuery(msg))
        return false;
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || IsOnThisThread(*window))
        return false;
    if (Receiver(hwnd, msg) != &TreeViewWindowProc)
        return false;
    return AnswerTreeQuery(hwnd, msg, wParam, lParam, result);
}

} // namespace detail

} // namespace user
