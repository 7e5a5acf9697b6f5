// The class library in one include, as a program of the framework has it.
#pragma once

#include "afx/CommonControls.h"
#include "afx/Controls.h"
#include "afx/DataExchange.h"
#include "afx/Dc.h"
#include "afx/Dialog.h"
#include "afx/Exception.h"
#include "afx/FileException.h"
#include "afx/GdiObjects.h"
#include "afx/Geometry.h"
#include "afx/Menu.h"
#include "afx/MessageMap.h"
#include "afx/String.h"
#include "afx/WinApp.h"
#include "afx/WinThread.h"
#include "afx/Wnd.h"
#include "win32/Windows.h"
