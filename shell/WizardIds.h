// The ids that every wizard step shares: the commands of menu 130 and the
// controls of the step frame.
#pragma once

#include "win32/Types.h"

// Menu 130: File, Log, Help.
constexpr UINT ID_FILE_EXIT = 32771;
constexpr UINT ID_LOG_VIEW = 32772;
constexpr UINT ID_LOG_CLEAR = 32773;
constexpr UINT ID_LOG_CHANGEPATH = 32774;
constexpr UINT ID_HELP_CONTENTS = 32775;
constexpr UINT ID_HELP_ABOUTUS = 32776;

// The tool buttons at the top of every step, its picture, and Back.
constexpr int IDC_VIEWLOG = 1004;
constexpr int IDC_SUPPORT = 1005;
constexpr int IDC_EXIT = 1006;
constexpr int IDC_STEPPICTURE = 1007;
constexpr int IDC_BACK = 1017;
