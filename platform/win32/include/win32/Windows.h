// The kernel part of the platform in one include, as a Windows program has it.
#pragma once

#include "win32/Types.h"
#include "win32/WideString.h"
#include "win32/CodePage.h"
#include "win32/Registry.h"
#include "win32/FileApi.h"
#include "win32/Environment.h"
#include "win32/Clock.h"
#include "win32/Shell.h"
#include "win32/Process.h"
#include "win32/Thread.h"
