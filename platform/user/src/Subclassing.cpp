// The query answered on the caller's thread: which procedure a message
// reaches, through the subclasses that said they pass what they leave.
#include "user/Subclassing.h"

#include "CommonControls.h"
#include "TreeViewState.h"
#include "user/ProgressBar.h"
#include "WindowData.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace user {

namespace {

using SubclassList = std::vector<std::pair<WNDPROC, PassThroughQuery>>;

// Registered once or twice in a process's life and read on every query: a
// list replaced whole on a registration, read without a lock (none until the
// first). Replaced lists are kept for the process's life, as a reader may
// still hold one; they hang from PublishedLists, where leak checkers see them.
std::mutex g_subclassMutex;
std::atomic<const SubclassList*> g_subclasses{nullptr};

std::vector<const SubclassList*>& PublishedLists()
{
    static auto* lists = new std::vector<const SubclassList*>;
    return *lists;
}

PassThroughQuery QueryOf(WNDPROC proc)
{
    const SubclassList* list = g_subclasses.load(std::memory_order_acquire);
    if (!list)
        return nullptr;
    for (const auto& [subclass, query] : *list) {
        if (subclass == proc)
            return query;
    }
    return nullptr;
}

// The procedure msg reaches first that is not a passing subclass.
WNDPROC Receiver(HWND hwnd, UINT msg, WNDPROC proc)
{
    for (int depth = 0; proc && depth < 8; ++depth) {
        PassThroughQuery query = QueryOf(proc);
        if (!query)
            return proc;
        proc = query(hwnd, msg);
    }
    return nullptr;
}

} // namespace

void RegisterPassThroughSubclass(WNDPROC subclass, PassThroughQuery query)
{
    std::lock_guard lock(g_subclassMutex);
    const SubclassList* current = g_subclasses.load();
    auto* list = current ? new SubclassList(*current) : new SubclassList;
    std::erase_if(*list, [&](const auto& entry) { return entry.first == subclass; });
    list->emplace_back(subclass, query);
    PublishedLists().push_back(list);
    g_subclasses.store(list, std::memory_order_release);
}

namespace detail {

bool AnswerWithoutOwner(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!IsTreeQuery(msg) && msg != PBM_SETPOS)
        return false;
    WNDPROC proc = nullptr;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto it = manager.windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
        if (it == manager.windows.end() || IsOnThisThread(*it->second))
            return false;
        proc = it->second->proc;
    }
    const WNDPROC receiver = Receiver(hwnd, msg, proc);
    if (msg == PBM_SETPOS)
        return receiver == &ProgressBarWindowProc && AnswerUnchangedProgressPosition(hwnd, wParam, result);
    if (receiver != &TreeViewWindowProc)
        return false;
    return AnswerTreeQuery(hwnd, msg, wParam, lParam, result);
}

} // namespace detail

} // namespace user
