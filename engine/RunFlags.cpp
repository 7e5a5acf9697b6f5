#include "RunFlags.h"

std::atomic<CWinThread*> g_pConvThread{nullptr};
std::atomic<int> g_bPaused{0};
std::atomic<int> g_bStopRequested{0};
std::atomic<int> g_bAbortRequested{0};
std::atomic<int> g_bNotCompleted{0};
std::atomic<int> g_nCurrentProgress{0};
std::atomic<int> g_nOverallProgress{0};

void RaiseStopFlags()
{
    // Abort first: a worker that sees the stop then finds the run aborted.
    g_bAbortRequested = 1;
    g_bStopRequested = 1;
}
