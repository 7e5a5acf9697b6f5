// regsvr32: loads an in-process server library and calls its
// DllRegisterServer, or DllUnregisterServer with "/u". "/s" keeps it silent.
//
// Exit codes, as Windows' program gives them: 0 success, 1 bad arguments,
// 2 COM could not be initialised, 3 the library could not be loaded, 4 it
// lacks the entry point, 5 the entry point failed.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace regsvr32 {

constexpr int kSuccess = 0;
constexpr int kBadArguments = 1;
constexpr int kComFailed = 2;
constexpr int kLoadFailed = 3;
constexpr int kEntryMissing = 4;
constexpr int kEntryFailed = 5;

// Receives each message the program shows; failure tells an error from a
// report of success.
using MessageSink = std::function<void(const std::u16string& text, bool failure)>;

// Runs the program on its Windows command line (program name first). With
// "/s" no message reaches the sink.
int Run(std::u16string_view commandLine, const MessageSink& show);

// Where the program's messages go. There is no message box yet: errors go
// to standard error, reports of success to standard output.
void ShowRegsvr32Message(const std::u16string& text, bool failure);

} // namespace regsvr32
