// The window manager's own records: every window and class, and the queue of
// every thread that owns windows. One lock guards the records; it is never
// held while a window procedure runs.
#pragma once

#include "ScrollBarState.h"

#include "gdi/Region.h"
#include "gdi/Surface.h"
#include "user/MessageQueue.h"
#include "user/Window.h"
#include "win32/RecursiveLock.h"

#include <atomic>
#include <sched.h>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace user::detail {

struct ClassData {
    std::u16string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int windowExtraBytes = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    HICON smallIcon = nullptr;
};

struct ThreadQueue;

struct WindowData {
    HWND handle = nullptr;
    std::shared_ptr<ClassData> windowClass;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::u16string text;
    RECT rect = {};          // screen coordinates for top-level windows, parent client ones for children
    HWND parent = nullptr;   // of a child window
    HWND owner = nullptr;    // of a top-level window
    std::vector<HWND> children; // top of the z-order first
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    std::vector<LONG_PTR> extra;
    std::shared_ptr<ThreadQueue> queue;
    HINSTANCE instance = nullptr;
    HMENU menu = nullptr;       // the menu bar of a top-level window
    HMENU systemMenu = nullptr; // made on the first GetSystemMenu
    HRGN region = nullptr;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    RECT normalRect = {};       // where a minimised window goes back to
    bool activeLook = false;    // the caption shows active (WM_NCACTIVATE)
    ScrollBarState scrollBars[2]; // SB_HORZ, SB_VERT
    HWND lastFocus = nullptr;   // of a top-level window: what of it had the focus last
    bool destroying = false;

    // Painting. A top-level window owns the surface that it and its children
    // paint into; the update region is in client coordinates.
    std::shared_ptr<gdi::Surface> surface;
    gdi::Region update;
    bool internalPaint = false;
    bool needsErase = false;
    bool eraseLeft = false;     // WM_ERASEBKGND was sent early and not handled
    bool needsNcPaint = false;
    bool NeedsPaint() const { return !update.IsEmpty() || internalPaint || needsNcPaint; }
    int openDCs = 0;            // DCs of the window not yet released: painting goes on
    int painting = 0;           // paints begun (BeginPaint, a frame's) and not yet ended

    // Layered windows (WS_EX_LAYERED): how the display blends the window.
    DWORD layeredFlags = 0;     // LWA_COLORKEY | LWA_ALPHA, once set
    COLORREF layeredKey = 0;
    BYTE layeredAlpha = 255;
    bool layeredShown = false;  // SetLayeredWindowAttributes or UpdateLayeredWindow has run
    std::shared_ptr<gdi::Surface> layeredImage; // of UpdateLayeredWindow
    bool layeredPerPixel = false;               // layeredImage's fourth byte is its alpha
    BYTE fadeAlpha = 255;                        // AnimateWindow's blend, as it runs
};

// A message sent to a window of another thread, waiting for its result.
struct SentMessage {
    std::function<LRESULT()> call;
    LRESULT result = 0;
    std::atomic<bool> done{false}; // set just before the sender's lock is taken to wake it; read by a spinning sender without it
    std::shared_ptr<ThreadQueue> sender;
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT interval = 0;
    std::int64_t due = 0; // on the machine's clock, in milliseconds
    TIMERPROC proc = nullptr;
};

// How long a thread spins before it sleeps, learnt from the waits before:
// it grows while answers come within the longest spin and halves after a
// few waits in a row that took longer (a wait that is long once, as when a
// busy machine takes the processor away, changes nothing).
struct SpinBudget {
    std::int64_t longest = 0; // the budget's ceiling
    std::int64_t ns = 0;      // 0: not yet learnt, the longest
    int longWaits = 0;
};

struct ThreadQueue {
    std::mutex mutex;
    // The word the thread sleeps on (a futex): moved on by every arrival
    // under the lock. A sleep and a wake-up are one system call each; a
    // condition variable took three, the lock's own wake-ups included.
    std::atomic<std::uint32_t> wakeWord{0};
    // Counts everything that wakes the thread (sent and posted messages, the
    // quit request), so that a thread that spins before it sleeps sees it
    // without the lock.
    std::atomic<std::uint64_t> arrivals{0};
    // When the thread last served a message sent from another thread, on
    // the steady clock: a thread that is being sent to spins briefly before
    // it sleeps, so that the next call of a burst costs no wake-up.
    std::atomic<std::int64_t> lastServedNs{0};
    // Whether the thread sleeps on wake (set and read under the lock): an
    // arrival wakes it only then, as a spinning thread sees arrivals anyway.
    bool sleeping = false;
    // How long the thread spins for an answer to its own sent message, and
    // for the next sent message after serving one (owner thread only). A
    // sender spins about as long as the repaint of a text or a position
    // takes; a longer wait (a receiver that slept, a long handler) costs
    // less asleep, as a spin burns the processor all the while. A receiver
    // spins only as long as a sender that spins takes to send again; a
    // longer gap is the sender's own work, which a spin would burn through.
    SpinBudget replySpin{20'000};
    SpinBudget arrivalSpin{10'000};
    std::int64_t arrivalSpinStartNs = 0; // of a spin for arrivals that ended in a sleep
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::vector<Timer> timers;
    bool quit = false;
    int quitCode = 0;
    int serving = 0; // depth of sent messages being served
    bool alive = true;
    DWORD threadId = 0;
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    DWORD lastMessageTime = 0;
    // One processor shared with the threads that send to this one's windows
    // (ProcessorSharing.h). This thread's side, under the lock:
    struct Sharer {
        const ThreadQueue* queue;
        pid_t tid;
        bool maskKept;
        cpu_set_t keptMask; // the sharer's own mask from before
    };
    std::vector<Sharer> sharers;
    int sharedCpu = -1;    // that processor while there are sharers
    bool maskKept = false; // keptMask holds this thread's mask from before
    cpu_set_t keptMask = {};
    // The sending side, touched by this queue's own thread only.
    enum class Sharing { Counting, Sharing, Never } sharing = Sharing::Counting;
    std::weak_ptr<ThreadQueue> sharesWith;
    const ThreadQueue* countingFor = nullptr;
    int sendsToIt = 0;
};

class WindowManager {
public:
    static WindowManager& Get();

    win32::RecursiveLock mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<WindowData>> windows;
    std::vector<HWND> topLevel; // top of the z-order first
    std::unordered_map<std::u16string, std::shared_ptr<ClassData>> classes; // by upper-cased name
    std::uintptr_t nextHandle = kFirstHandle;
    std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> queues;

    std::shared_ptr<WindowData> Find(HWND hwnd);
    // The window's record for a caller that holds the lock, valid while it
    // does: no count is taken and no other thread's cache is consulted, so a
    // walk over parents, siblings or children costs a few loads a window.
    WindowData* Peek(HWND hwnd) const
    {
        const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(hwnd);
        const std::uintptr_t slot = (value - kFirstHandle) / 2;
        return value % 2 == kFirstHandle % 2 && slot < m_slots.size() ? m_slots[slot].get() : nullptr;
    }
    // Enters a window made with the next handle, and takes one out.
    void Add(const std::shared_ptr<WindowData>& window);
    void Remove(HWND hwnd);

private:
    // Handles are given out in steps of two and never again, so each has a
    // slot of its own here: the look-up that every window call makes needs
    // no hashing.
    static constexpr std::uintptr_t kFirstHandle = 0x10010;
    std::vector<std::shared_ptr<WindowData>> m_slots;
    // Counts the windows taken out; a thread's own record of what it found
    // last holds only while no window has gone since (see Find).
    std::atomic<std::uint64_t> m_removals{0};
};

// The queue of the calling thread, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId);

// The window of keyboard input posted to a thread: replaced, as the thread
// takes the message, by the window that has the focus then.
inline const HWND kToFocus = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(1));
// Posts keyboard input to the thread, for its focus window.
bool PostInput(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

// Runs call on the thread that owns hwnd: at once when that is this thread,
// else as a sent message, serving this thread's own sent messages meanwhile.
// A window whose thread has gone gives 0.
LRESULT RunOnOwner(HWND hwnd, const std::function<LRESULT()>& call);

// Answers a message for a window of another thread on this thread, when
// its procedures only read what the window holds (user/Subclassing.h);
// false when it must be sent.
bool AnswerWithoutOwner(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Wakes the queue's thread for something just added under its lock.
void NotifyArrival(ThreadQueue& queue);

// Sleeps, holding the queue's lock on the way in and out (the caller's own
// queue), until an arrival wakes it or, when timeoutNs is not negative,
// until that passes. It may wake early: callers look again.
void SleepOnQueueNs(ThreadQueue& queue, std::unique_lock<std::mutex>& lock, std::int64_t timeoutNs);
inline void SleepOnQueue(ThreadQueue& queue, std::unique_lock<std::mutex>& lock)
{
    SleepOnQueueNs(queue, lock, -1);
}
template <typename Duration>
void SleepOnQueueFor(ThreadQueue& queue, std::unique_lock<std::mutex>& lock, Duration timeout)
{
    SleepOnQueueNs(queue, lock, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count());
}

// Spins for a short while, without the lock, until something arrives after
// seen (the value of arrivals that the caller saw under the lock); only when
// the thread has served a message from another thread a moment ago. True
// when it ended because something came.
bool SpinForArrival(ThreadQueue& queue, std::uint64_t seen);
// Tells the queue's spin budget how long the sleep after a spin that found
// nothing lasted, once the thread wakes.
void AfterSleepForArrival(ThreadQueue& queue);

// Serves the sent messages waiting for this thread; true when it served any.
bool ServeSentMessages(const std::shared_ptr<ThreadQueue>& queue);

// The window of the top-level window (itself or a descendant) that had the
// focus last and still exists; null when none.
HWND LastFocusOf(HWND top);

// Offsets of the client area inside the window rectangle.
RECT NonClientInsets(DWORD style, DWORD exStyle, bool hasMenu);

// The window's rectangle in screen coordinates.
RECT ScreenRect(const WindowData& window);

bool IsOnThisThread(const WindowData& window);

// WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC.
inline bool IsControlColorMessage(UINT msg)
{
    return msg >= 0x0132 && msg <= 0x0138;
}

// Registers the dialog and control classes on first need.
void EnsureSystemClasses();

// The rectangle of the window (or of its client area) relative to its
// top-level window's rectangle, that is in the coordinates of the surface
// it paints into. Called under the manager's lock.
RECT RectInRoot(const WindowData& window, bool client);
// The insets of a window as they stand (a minimised window has no menu bar).
RECT InsetsOf(const WindowData& window);
std::shared_ptr<WindowData> RootWindowOf(const std::shared_ptr<WindowData>& window);

// Gives a top-level window a surface of its size, keeping what it showed.
void FitSurface(WindowData& window);
// Tells the display that what windows show has changed.
void ScreenChanged();
// Connects the window layer to the display on the first top-level window.
void EnsureDisplay();

} // namespace user::detail
