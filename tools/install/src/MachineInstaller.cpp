#include "install/MachineInstaller.h"

#include "components/ComponentClasses.h"
#include "components/Logon.h"
#include "nsfbuild/SampleDatabases.h"
#include "ole/ServerRegistration.h"

#include "win32/CodePage.h"
#include "win32/MachineRoot.h"
#include "win32/Registry.h"
#include "win32/WideString.h"

#include <system_error>

namespace fs = std::filesystem;

namespace install {

namespace {

struct LaidFile {
    const char* source;           // relative to the programs or resources folder
    const char16_t* windowsPath;  // where the machine has it
    bool program;                 // from the programs folder, made executable
    bool required;                // a missing optional piece is skipped
};

// Programs that later layers add are optional, so that a partial build
// still lays a machine that runs.
const LaidFile kFiles[] = {
    {"Notepad", u"C:\\Windows\\Notepad.exe", true, true},
    {"hh", u"C:\\Windows\\hh.exe", true, true},
    {"regsvr32", u"C:\\Windows\\System32\\regsvr32.exe", true, false},
    {"Stavrel", u"C:\\Program Files\\Pellinor\\Stavrel.exe", true, false},
    // The two components lie in the install folder unregistered: the
    // program registers them when it first needs them.
    {"TolvaneRedmp.dll", u"C:\\Program Files\\Pellinor\\TolvaneRedmp.dll", true, false},
    {"Brenmoor.dll", u"C:\\Program Files\\Pellinor\\Brenmoor.dll", true, false},
    {"Outlook.dll", components::kOutlookServerPath, true, false},
    {"help/Help.html", u"C:\\Program Files\\Pellinor\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm", false,
     true},
};

// The bitmaps the programs load from the install folder, drawn by the build
// into the artwork folder beside the programs. Optional like the later
// programs: a partial build lays a machine whose dialogs show no pictures.
const char* const kBitmaps[] = {"main.bmp",       "Skin.bmp",      "Flash.bmp",     "step1.bmp",
                                 "step2.bmp",      "step3_mail.bmp", "step3_add.bmp", "step3_cal.bmp",
                                 "step4.bmp",      "step5_mail.bmp", "step5_add.bmp", "step5_cal.bmp",
                                 "step6.bmp"};

fs::path HostOf(const fs::path& root, std::u16string_view windowsPath)
{
    fs::path host = root / (std::string("drive_") + static_cast<char>(CharLowerChar(windowsPath[0])));
    std::u16string_view rest = windowsPath.substr(3);
    while (!rest.empty()) {
        std::size_t slash = rest.find(u'\\');
        host /= Utf16ToUtf8(rest.substr(0, slash));
        if (slash == std::u16string_view::npos)
            break;
        rest = rest.substr(slash + 1);
    }
    return host;
}

bool Fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

bool SetString(HKEY root, const char16_t* key, const char16_t* name, std::u16string_view value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    std::u16string text(value);
    LONG status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

constexpr const char16_t* kOutlookProfile = u"Outlook";

// Outlook as its own set-up leaves it: the automation server registered and
// a default mail profile.
bool InstallOutlook(const fs::path& root, std::string* error)
{
    if (!fs::exists(HostOf(root, components::kOutlookServerPath)))
        return true;
    if (FAILED(ole::RegisterServerClass(components::kOutlookClass, components::kOutlookServerPath)))
        return Fail(error, "cannot register the Outlook automation server");
    std::u16string profileKey = std::u16string(components::kProfilesKey) + u"\\" + kOutlookProfile;
    if (!SetString(HKEY_CURRENT_USER, profileKey.c_str(), nullptr, u"")
        || !SetString(HKEY_CURRENT_USER, components::kProfilesKey, components::kDefaultProfileValue, kOutlookProfile))
        return Fail(error, "cannot write the default mail profile");
    return true;
}

} // namespace

bool InstallMachine(const InstallOptions& options, std::string* error)
{
    std::error_code ec;
    for (const char16_t* folder :
         {u"C:\\Windows\\System32", kInstallFolder, u"C:\\Program Files\\Microsoft Office"}) {
        fs::create_directories(HostOf(options.root, folder), ec);
        if (ec)
            return Fail(error, "cannot create " + HostOf(options.root, folder).string() + ": " + ec.message());
    }
    for (const LaidFile& file : kFiles) {
        fs::path source = (file.program ? options.programs : options.resources) / file.source;
        if (!fs::exists(source)) {
            if (file.required)
                return Fail(error, "missing " + source.string());
            continue;
        }
        fs::path target = HostOf(options.root, file.windowsPath);
        fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
        if (ec)
            return Fail(error, "cannot copy " + source.string() + " to " + target.string() + ": " + ec.message());
        if (file.program)
            fs::permissions(target, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                        | fs::perms::others_read | fs::perms::others_exec);
    }

    const fs::path installFolder = HostOf(options.root, kInstallFolder);
    for (const char* bitmap : kBitmaps) {
        fs::path source = options.programs / "artwork" / bitmap;
        if (!fs::exists(source))
            continue;
        fs::copy_file(source, installFolder / bitmap, fs::copy_options::overwrite_existing, ec);
        if (ec)
            return Fail(error, "cannot copy " + source.string() + ": " + ec.message());
    }

    win32::SetMachineRoot(options.root);
    if (options.ansiCodePage != CP_UTF8 && options.ansiCodePage != CP_1252)
        return Fail(error, "unsupported code page " + std::to_string(options.ansiCodePage));
    if (!SetString(HKEY_LOCAL_MACHINE, kCodePageKey, kAnsiCodePageValue,
                   Utf8ToUtf16(std::to_string(options.ansiCodePage))))
        return Fail(error, "cannot write the machine's code page");
    win32::ReloadAnsiCodePage();
    if (!SetString(HKEY_CLASSES_ROOT, u"Corvenna", u"FilePath", kInstallFolder))
        return Fail(error, "cannot write HKEY_CLASSES_ROOT\\Corvenna");
    if (!InstallOutlook(options.root, error))
        return false;

    // The Notes installation: its data folder with the sample databases,
    // laid once, so a second install keeps what the user changed there.
    if (!fs::exists(HostOf(options.root, kNotesDataFolder))) {
        if (auto laid = nsfbuild::LaySampleDatabases(kNotesDataFolder); !laid)
            return Fail(error, "cannot lay the sample databases: " + laid.message);
    }
    // Notes writes its data folder with a closing backslash, and the wizard
    // appends "mail\" and "names.nsf" to it as it stands.
    if (auto registered = nsfbuild::RegisterNotesDataFolder(std::u16string(kNotesDataFolder) + u"\\"); !registered)
        return Fail(error, "cannot register the Notes data folder: " + registered.message);
    return true;
}

} // namespace install
