// The run flags: the values through which the GUI thread and the conversion
// worker meet. Both sides read and write them, so each is atomic. They are
// zero when the process starts and no run resets them: a process makes one
// conversion run.
#pragma once

#include <atomic>

class CWinThread;

// The running conversion worker; null before it starts and after its thread
// procedure has written the run's summary.
extern std::atomic<CWinThread*> g_pConvThread;
// 1 while Pause holds the worker suspended.
extern std::atomic<int> g_bPaused;
// The run must end: the converters poll it before most steps.
extern std::atomic<int> g_bStopRequested;
// The run did not complete: the completion dialog reports it.
extern std::atomic<int> g_bAbortRequested;
// Set beside g_bAbortRequested by a converter that cannot read the NSF.
extern std::atomic<int> g_bNotCompleted;
// The converter's item counter and its folder counter, for the summary.
extern std::atomic<int> g_nCurrentProgress;
extern std::atomic<int> g_nOverallProgress;

// Raises g_bStopRequested and g_bAbortRequested, as every stop and every
// failure of the run's set-up does.
void RaiseStopFlags();
