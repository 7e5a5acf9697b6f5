#include "regsvr32/Regsvr32.h"

#include "ole/Com.h"
#include "ole/OleAuto.h"

#include "win32/MachineRoot.h"
#include "win32/Module.h"
#include "win32/Process.h"
#include "win32/WideString.h"

#include <cstdio>
#include <vector>

namespace regsvr32 {

namespace {

struct Options {
    bool silent = false;
    bool unregister = false;
    std::vector<std::u16string> libraries;
};

std::u16string HexCode(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", static_cast<unsigned>(hr));
    return Utf8ToUtf16(buffer);
}

// The text after the program name and the leading flags, as it was typed.
std::u16string RawRemainder(std::u16string_view line)
{
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < line.size() && (line[at] == u' ' || line[at] == u'\t'))
            ++at;
    };
    auto skipWord = [&] {
        while (at < line.size() && line[at] != u' ' && line[at] != u'\t')
            ++at;
    };
    skipBlanks();
    if (at < line.size() && line[at] == u'"') {
        std::size_t close = line.find(u'"', at + 1);
        at = close == std::u16string_view::npos ? line.size() : close + 1;
    }
    skipWord();
    for (;;) {
        skipBlanks();
        if (at >= line.size() || (line[at] != u'/' && line[at] != u'-'))
            break;
        skipWord();
    }
    std::u16string_view rest = line.substr(at);
    while (!rest.empty() && (rest.back() == u' ' || rest.back() == u'\t'))
        rest.remove_suffix(1);
    return std::u16string(rest);
}

bool ExistingFile(const std::u16string& path)
{
    auto found = win32::ResolvePath(path, win32::Resolve::Existing);
    return found && found->exists;
}

// Several words after the flags are one path when they name an existing
// file together: a path with blanks that reached the program unquoted, as
// it does from a caller that joins its arguments without quotes.
std::vector<std::u16string> LibrariesOf(std::u16string_view line, const std::vector<std::u16string>& words)
{
    if (words.size() > 1) {
        std::u16string raw = RawRemainder(line);
        if (raw.find(u'"') == std::u16string::npos && ExistingFile(raw))
            return {raw};
        std::u16string joined;
        for (const auto& word : words)
            joined += (joined.empty() ? u"" : u" ") + word;
        if (ExistingFile(joined))
            return {joined};
    }
    return words;
}

bool ParseOptions(std::u16string_view commandLine, Options& options, std::u16string& error)
{
    auto args = win32::SplitCommandLine(commandLine);
    std::vector<std::u16string> words;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const auto& arg = args[i];
        if (arg.size() >= 2 && (arg[0] == u'/' || arg[0] == u'-')) {
            std::u16string flag = arg.substr(1);
            if (EqualsNoCase(flag, u"s"))
                options.silent = true;
            else if (EqualsNoCase(flag, u"u"))
                options.unregister = true;
            else
                error = u"Unrecognized flag: " + arg;
        } else if (!arg.empty()) {
            words.push_back(arg);
        }
    }
    options.libraries = LibrariesOf(commandLine, words);
    if (error.empty() && options.libraries.empty())
        error = u"No DLL name specified.";
    return error.empty();
}

int RegisterOne(const std::u16string& library, bool unregister, std::u16string& message)
{
    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::u16string entryText = Utf8ToUtf16(entryName);
    HMODULE module = LoadLibraryW(library.c_str());
    if (!module) {
        message = u"LoadLibrary(\"" + library + u"\") failed - "
            + (GetLastError() == ERROR_MOD_NOT_FOUND ? u"The specified module could not be found."
                                                     : u"The module is not a loadable library: "
                       + Utf8ToUtf16(win32::LastLoadError()));
        return kLoadFailed;
    }
    auto entry = reinterpret_cast<DllRegisterServerFunction>(GetProcAddress(module, entryName));
    if (!entry) {
        FreeLibrary(module);
        message = u"The module \"" + library + u"\" was loaded but the entry-point " + entryText
            + u" was not found.";
        return kEntryMissing;
    }
    HRESULT hr = E_UNEXPECTED;
    try {
        hr = entry();
    } catch (...) {
    }
    FreeLibrary(module);
    if (FAILED(hr)) {
        message = u"The module \"" + library + u"\" was loaded but the call to " + entryText
            + u" failed with error code " + HexCode(hr) + u".";
        return kEntryFailed;
    }
    message = entryText + u" in " + library + u" succeeded.";
    return kSuccess;
}

} // namespace

int Run(std::u16string_view commandLine, const MessageSink& show)
{
    Options options;
    std::u16string error;
    if (!ParseOptions(commandLine, options, error)) {
        if (!options.silent)
            show(error, true);
        return kBadArguments;
    }
    HRESULT init = CoInitialize(nullptr);
    if (FAILED(init)) {
        if (!options.silent)
            show(u"COM could not be initialised: " + HexCode(init), true);
        return kComFailed;
    }
    int result = kSuccess;
    for (const auto& library : options.libraries) {
        std::u16string message;
        int code = RegisterOne(library, options.unregister, message);
        if (!options.silent)
            show(message, code != kSuccess);
        if (result == kSuccess)
            result = code;
    }
    CoUninitialize();
    return result;
}

void ShowRegsvr32Message(const std::u16string& text, bool failure)
{
    std::string line = Utf16ToUtf8(text) + "\n";
    std::fputs(line.c_str(), failure ? stderr : stdout);
}

} // namespace regsvr32
