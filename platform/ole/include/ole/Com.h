// The COM runtime: per-thread initialisation, the class registry and
// in-process servers.
//
// A class is found as on Windows: HKEY_CLASSES_ROOT\<ProgID>\CLSID gives the
// class id, HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 the Windows path of
// the server library, which is loaded and asked for its class factory
// through DllGetClassObject.
#pragma once

#include "ole/Unknown.h"

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_SERVER = 0x15;
constexpr DWORD CLSCTX_ALL = 0x17;

// Counted per thread: the first call answers S_OK, each further one S_FALSE,
// and every successful call needs its CoUninitialize. A call with another
// threading model than the thread has fails with RPC_E_CHANGED_MODE.
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD model);
void CoUninitialize();

// The task allocator: memory that one party allocates and another frees,
// such as the item lists the shell hands out. Any thread may free it.
LPVOID CoTaskMemAlloc(SIZE_T bytes);
LPVOID CoTaskMemRealloc(LPVOID memory, SIZE_T bytes);
void CoTaskMemFree(LPVOID memory);

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid);
// Fails with CO_E_NOTINITIALIZED on a thread that has not initialised COM,
// REGDB_E_CLASSNOTREG for a class without a server, and with the Win32 error
// of the load when the server's library is missing or unusable.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID iid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

// The exports of an in-process server library.
using DllGetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);
using DllRegisterServerFunction = HRESULT (*)();
