// What the tests and TestServer.dll agree on.
#pragma once

#include "ole/Unknown.h"

inline constexpr const WCHAR* kTestServerProgId = u"Marlwick.TestServer";
inline const CLSID kTestServerClsid{0x6F1D2A4C, 0x3B7E, 0x4E59, {0x9A, 0x21, 0x5C, 0x0D, 0x8E, 0x7B, 0x1F, 0x34}};
// A second server built from the same source, under its own names.
inline constexpr const WCHAR* kOtherServerProgId = u"Marlwick.OtherServer";
inline const CLSID kOtherServerClsid{0x6F1D2A4C, 0x3B7E, 0x4E59, {0x9A, 0x21, 0x5C, 0x0D, 0x8E, 0x7B, 0x1F, 0x35}};
inline constexpr HRESULT kTestServerFailure = static_cast<HRESULT>(0x80040ABC);

inline constexpr DISPID kDispEcho = 1;
inline constexpr DISPID kDispValue = 2;
inline constexpr DISPID kDispFail = 3;
inline constexpr DISPID kDispCountPresent = 4;
inline constexpr DISPID kDispChild = 5;
inline constexpr DISPID kDispSum = 6;
inline constexpr DISPID kDispFill = 7;
inline constexpr DISPID kDispShared = 8;
