#include "win32/Shell.h"

#include "win32/Environment.h"
#include "win32/MachineRoot.h"
#include "win32/Process.h"
#include "win32/WideString.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kSuccess = 42; // any value above 32 means success

fs::path JournalPath()
{
    return win32::MachineRoot() / "shell-journal.txt";
}

std::string Escape(std::u16string_view text)
{
    std::string out;
    for (char c : Utf16ToUtf8(text)) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::u16string Unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char e = text[++i];
            out += e == 't' ? '\t' : e == 'n' ? '\n' : e;
        } else {
            out += text[i];
        }
    }
    return Utf8ToUtf16(out);
}

void AppendJournal(const win32::ShellRecord& r)
{
    std::string line = Escape(r.verb) + '\t' + Escape(r.file) + '\t' + Escape(r.parameters) + '\t'
        + Escape(r.directory) + '\t' + std::to_string(r.show) + '\t' + std::to_string(r.result) + '\n';
    int fd = ::open(JournalPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    (void)::write(fd, line.data(), line.size()); // one write, so lines of processes never mix
    ::close(fd);
}

bool IsAddress(std::u16string_view file)
{
    std::size_t colon = file.find(u':');
    if (colon == std::u16string_view::npos || colon < 2)
        return false; // "C:" is a drive, not a scheme
    for (std::size_t i = 0; i < colon; ++i) {
        char16_t c = file[i];
        bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (i && (c == u'+' || c == u'-' || c == u'.'));
        if (!ok)
            return false;
    }
    return true;
}

std::u16string Extension(std::u16string_view path)
{
    std::size_t dot = path.rfind(u'.');
    std::size_t slash = path.find_last_of(u"\\/");
    if (dot == std::u16string_view::npos || (slash != std::u16string_view::npos && dot < slash))
        return {};
    std::u16string ext(path.substr(dot + 1));
    for (auto& c : ext)
        c = CharLowerChar(c);
    return ext;
}

bool IsProgram(std::u16string_view path)
{
    std::u16string ext = Extension(path);
    return ext == u"exe" || ext == u"com";
}

// The program of the machine that Windows associates with a document type,
// when the machine has it.
std::optional<win32::HostPath> AssociatedViewer(std::u16string_view ext)
{
    const char16_t* program = nullptr;
    if (ext == u"chm")
        program = u"C:\\Windows\\hh.exe";
    else if (ext == u"txt" || ext == u"log" || ext == u"ini")
        program = u"C:\\Windows\\Notepad.exe";
    if (!program)
        return std::nullopt;
    auto found = win32::ResolvePath(program, win32::Resolve::Existing);
    if (!found || ::access(found->hostPath.c_str(), X_OK) != 0)
        return std::nullopt;
    return found;
}

std::u16string CurrentDirectoryText()
{
    WCHAR buffer[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, buffer);
    return buffer;
}

// Where a bare name is looked for: the given folder, the current folder and,
// for programs, the system folders and the search path.
std::vector<std::u16string> SearchFolders(LPCWSTR directory, bool program)
{
    std::vector<std::u16string> folders;
    if (directory && *directory)
        folders.emplace_back(directory);
    folders.push_back(CurrentDirectoryText());
    if (!program)
        return folders;
    folders.emplace_back(u"C:\\Windows\\System32");
    folders.emplace_back(u"C:\\Windows");
    DWORD needed = GetEnvironmentVariableW(u"PATH", nullptr, 0);
    if (needed) {
        std::u16string path(needed, u'\0');
        DWORD got = GetEnvironmentVariableW(u"PATH", path.data(), needed);
        path.resize(got);
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t semi = path.find(u';', start);
            std::u16string entry = path.substr(start, semi == std::u16string::npos ? semi : semi - start);
            if (!entry.empty())
                folders.push_back(entry);
            if (semi == std::u16string::npos)
                break;
            start = semi + 1;
        }
    }
    return folders;
}

std::optional<win32::HostPath> Locate(std::u16string_view file, LPCWSTR directory, int* error)
{
    bool bare = file.find_first_of(u"\\/:") == std::u16string_view::npos;
    LONG code = 0;
    if (!bare) {
        auto found = win32::ResolvePath(file, win32::Resolve::Existing, &code);
        if (!found)
            *error = code == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF;
        return found;
    }
    for (const auto& folder : SearchFolders(directory, IsProgram(file))) {
        std::u16string candidate = folder;
        if (!candidate.empty() && candidate.back() != u'\\')
            candidate += u'\\';
        candidate += file;
        if (auto found = win32::ResolvePath(candidate, win32::Resolve::Existing, &code))
            return found;
    }
    *error = SE_ERR_FNF;
    return std::nullopt;
}

int Execute(LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory)
{
    if (verb && *verb && !EqualsNoCase(verb, u"open"))
        return SE_ERR_NOASSOC;
    std::u16string_view target(file ? file : u"");
    if (target.empty())
        return SE_ERR_FNF;
    if (IsAddress(target)) {
        win32::OpenOnHost(Utf16ToUtf8(target));
        return kSuccess;
    }
    int error = SE_ERR_FNF;
    auto found = Locate(target, directory, &error);
    if (!found)
        return error;
    std::error_code ec;
    if (fs::is_directory(found->hostPath, ec)) {
        win32::OpenOnHost(found->hostPath.string());
        return kSuccess;
    }
    if (IsProgram(found->windowsPath)) {
        std::u16string line;
        line.append(u"\"").append(found->windowsPath).append(u"\"");
        if (parameters && *parameters)
            line.append(u" ").append(parameters);
        fs::path folder = found->hostPath.parent_path();
        if (directory && *directory) {
            if (auto dir = win32::ResolvePath(directory, win32::Resolve::Existing))
                folder = dir->hostPath;
        }
        if (::access(found->hostPath.c_str(), X_OK) != 0)
            return SE_ERR_ACCESSDENIED;
        return win32::StartDetached(found->hostPath, line, folder) ? kSuccess : SE_ERR_ACCESSDENIED;
    }
    const std::u16string ext = Extension(found->windowsPath);
    if (ext.empty())
        return SE_ERR_NOASSOC;
    if (auto viewer = AssociatedViewer(ext)) {
        std::u16string line = u"\"" + viewer->windowsPath + u"\" " + found->windowsPath;
        return win32::StartDetached(viewer->hostPath, line, found->hostPath.parent_path()) ? kSuccess
                                                                                          : SE_ERR_ACCESSDENIED;
    }
    win32::OpenOnHost(found->hostPath.string());
    return kSuccess;
}

} // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show)
{
    win32::ShellRecord record{verb ? verb : u"", file ? file : u"", parameters ? parameters : u"",
                              directory ? directory : u"", show, 0};
    record.result = Execute(verb, file, parameters, directory);
    AppendJournal(record);
    return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(record.result));
}

namespace win32 {

namespace {

fs::path HostOpener()
{
    if (const char* custom = std::getenv("MARLWICK_OPENER"); custom && *custom)
        return custom;
    if (std::getenv("DISPLAY") && ::access("/usr/bin/xdg-open", X_OK) == 0)
        return "/usr/bin/xdg-open";
    return {};
}

} // namespace

bool HasHostOpener()
{
    return !HostOpener().empty();
}

void OpenOnHost(const std::string& target)
{
    fs::path opener = HostOpener();
    if (opener.empty())
        return;
    std::u16string line = u"opener \"" + Utf8ToUtf16(target) + u"\"";
    StartDetached(opener, line, {});
}

std::vector<ShellRecord> ReadShellJournal()
{
    std::vector<ShellRecord> records;
    std::ifstream in(JournalPath(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        if (fields.size() != 6)
            continue;
        records.push_back({Unescape(fields[0]), Unescape(fields[1]), Unescape(fields[2]), Unescape(fields[3]),
                           std::atoi(fields[4].c_str()), std::atoi(fields[5].c_str())});
    }
    return records;
}

} // namespace win32
