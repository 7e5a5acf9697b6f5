// The free-space question of the mail and contacts conversions: before each
// document the free bytes of the PST's drive are measured, and at 300 MB or
// less the user is asked whether to go on (CProDlg::CheckPstFreeSpace).
#pragma once

#include <atomic>

// The lowest free space at which no question is asked is one byte more.
constexpr unsigned long long kLowPstFreeSpace = 0x12C00000; // 314,572,800 bytes

// What one run has answered so far.
struct PstFreeSpaceAnswers {
    // The Yes answers of the run; the fourth ends it.
    int yesCount = 0;
    // A failed measurement is logged once per run, not per document.
    bool failureLogged = false;
};

// The folder count of the summary that a No writes.
extern std::atomic<int> g_nFoldersLogged;
