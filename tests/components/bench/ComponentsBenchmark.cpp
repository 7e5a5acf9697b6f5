// Cost of one item written through the components, as the converters write
// them: a mail message handed to Brenmoor in its ten parts (with an EML file
// and one attachment), and a contact made through a new RDO session, filled
// and saved. Each save is durable when it returns, so its fsyncs count.
#include "afx/OleDispatchDriver.h"
#include "components/ComponentClasses.h"
#include "install/MachineInstaller.h"
#include "mapi/Profile.h"
#include "ole/Com.h"
#include "ole/Variant.h"
#include "win32/MachineRoot.h"
#include "win32/Module.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const BYTE* Params(const char* kinds)
{
    return reinterpret_cast<const BYTE*>(kinds);
}

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A machine root with the components registered and a target store open as
// "Archive" with an Inbox and a Contacts folder.
class CBenchMachine {
public:
    CBenchMachine()
    {
        std::string pattern = (fs::temp_directory_path() / "marlwick-bench-XXXXXX").string();
        m_root = ::mkdtemp(pattern.data());
        std::string error;
        if (!install::InstallMachine({m_root, MARLWICK_PROGRAMS_DIR, MARLWICK_RESOURCES_DIR}, &error))
            std::abort();
        CoInitialize(nullptr);
        for (const char16_t* file : {components::kRdoFileName, components::kBrenmoorFileName}) {
            std::u16string path = std::u16string(u"C:\\Program Files\\Pellinor\\") + file;
            HMODULE module = LoadLibraryW(path.c_str());
            auto entry = reinterpret_cast<DllRegisterServerFunction>(GetProcAddress(module, "DllRegisterServer"));
            if (!entry || FAILED(entry()))
                std::abort();
        }
        fs::create_directories(m_root / "drive_c" / "Mail");
        fs::create_directories(m_root / "drive_c" / "Program Files" / "Pellinor" / "Attachment");
        Write(m_root / "drive_c" / "tol.eml", "From: Ann Lee/Acme <CN=Ann Lee/O=Acme\r\n");
        Write(m_root / "drive_c" / "Program Files" / "Pellinor" / "Attachment" / "report.doc",
              std::string(10 * 1024, 'r'));
        m_brenmoor.CreateDispatch(components::kBrenmoorClass.progId);
        Call(0x6003002A);
        Call(0x6003002B, u"C:\\Mail\\archive.pst", u"Archive");
        Call(0x6003002C, u"\\\\Archive\\Inbox");
        Call(0x6003002C, u"\\\\Archive\\Contacts");
    }

    ~CBenchMachine()
    {
        m_brenmoor.ReleaseDispatch();
        mapi::CMailProfile::Default().CloseAll();
        CoUninitialize();
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    void Call(DISPID member, const char16_t* first = nullptr, const char16_t* second = nullptr)
    {
        BSTR a = SysAllocString(first), b = SysAllocString(second);
        std::u16string discarded;
        if (second)
            m_brenmoor.InvokeHelper(member, DISPATCH_METHOD, VT_BSTR, &discarded, Params(VTS_PBSTR VTS_PBSTR), &a, &b);
        else if (first)
            m_brenmoor.InvokeHelper(member, DISPATCH_METHOD, VT_BSTR, &discarded, Params(VTS_PBSTR), &a);
        else
            m_brenmoor.InvokeHelper(member, DISPATCH_METHOD, VT_BSTR, &discarded, nullptr);
        SysFreeString(a);
        SysFreeString(b);
    }

    void HandOffMessage(const std::u16string& body)
    {
        BSTR parts[10] = {SysAllocString(u"\\\\Archive\\Inbox"),
                          SysAllocString(u"Quarterly figures"),
                          SysAllocString(u"Bob Ray/Acme, Cy Fox/Acme"),
                          SysAllocString(u"C:\\tol.eml"),
                          SysAllocString(u"2026-12-08 09:05:00"),
                          SysAllocString(u"C:\\Program Files\\Pellinor\\Attachment\\report.doc;"),
                          SysAllocString(body.c_str()),
                          nullptr,
                          SysAllocString(u"Dan Orr/Acme"),
                          nullptr};
        SHORT kind = 0;
        std::u16string discarded;
        Call(0x6003002E, u"\\\\Archive\\Inbox");
        m_brenmoor.InvokeHelper(
            0x6003002D, DISPATCH_METHOD, VT_BSTR, &discarded,
            Params(VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PI2 VTS_PBSTR VTS_PBSTR),
            &parts[0], &parts[1], &parts[2], &parts[3], &parts[4], &parts[5], &parts[6], &kind, &parts[8], &parts[9]);
        Call(0x6003002F);
        for (BSTR part : parts)
            SysFreeString(part);
    }

private:
    fs::path m_root;
    COleDispatchDriver m_brenmoor;
};

CBenchMachine& Machine()
{
    static CBenchMachine machine;
    return machine;
}

void BM_BrenmoorMessage(benchmark::State& state)
{
    std::u16string body(2048, u'x');
    for (auto _ : state)
        Machine().HandOffMessage(body);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BrenmoorMessage)->Unit(benchmark::kMillisecond);

// A contact as the contacts conversion makes it: a new session, logged on,
// the folder found, an item added and filled; saved when asked.
void WriteContact(bool save)
{
    COleDispatchDriver session, folder, items, item;
    session.CreateDispatch(components::kRdoSessionClass.progId);
    VARIANT empty;
    VariantInit(&empty);
    session.InvokeHelper(4, DISPATCH_METHOD, VT_EMPTY, nullptr,
                         Params(VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT), &empty,
                         &empty, &empty, &empty, &empty, &empty);
    LPDISPATCH object = nullptr;
    session.InvokeHelper(0x60020016, DISPATCH_METHOD, VT_DISPATCH, &object, Params(VTS_BSTR), u"\\\\Archive\\Contacts");
    folder.AttachDispatch(object);
    folder.InvokeHelper(0x11, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, nullptr);
    items.AttachDispatch(object);
    ole::CVariant kind;
    static_cast<VARIANT&>(kind) = ole::MakeLong(2);
    items.InvokeHelper(4, DISPATCH_METHOD, VT_DISPATCH, &object, Params(VTS_VARIANT), &kind);
    item.AttachDispatch(object);
    for (DISPID field : {0x6004004D, 0x60040083, 0x60040051, 0x60040035, 0x6004002D, 0x60040098})
        item.InvokeHelper(field, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(VTS_BSTR), u"Ann Lee");
    if (save)
        item.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}

void BM_RdoContact(benchmark::State& state)
{
    Machine();
    for (auto _ : state)
        WriteContact(true);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RdoContact)->Unit(benchmark::kMillisecond);

// The same without the save: what the components cost around the store.
void BM_RdoContactUnsaved(benchmark::State& state)
{
    Machine();
    for (auto _ : state)
        WriteContact(false);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RdoContactUnsaved)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
