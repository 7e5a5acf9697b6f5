// Cost of one item written through the components, as the converters write
// them: a mail message handed to Brenmoor in its ten parts (with an EML file
// and one attachment), a contact made through a new RDO session, filled and
// saved, and a meeting filled and saved as the calendar conversion's meeting
// branch does it. Each save is durable when it returns, so its fsyncs count.
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
        AddCalendarFolder();
    }

    ~CBenchMachine()
    {
        m_calendarItems.ReleaseDispatch();
        m_calendarSession.ReleaseDispatch();
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

    // The calendar folder as the calendar conversion makes it, and its
    // items collection in a session that stays open, as the view's does.
    COleDispatchDriver& CalendarItems() { return m_calendarItems; }

private:
    void AddCalendarFolder()
    {
        m_calendarSession.CreateDispatch(components::kRdoSessionClass.progId);
        VARIANT empty;
        VariantInit(&empty);
        m_calendarSession.InvokeHelper(4, DISPATCH_METHOD, VT_EMPTY, nullptr,
                                       Params(VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT),
                                       &empty, &empty, &empty, &empty, &empty, &empty);
        COleDispatchDriver top, folders, calendar;
        LPDISPATCH object = nullptr;
        m_calendarSession.InvokeHelper(0x60020016, DISPATCH_METHOD, VT_DISPATCH, &object, Params(VTS_BSTR),
                                       u"\\\\Archive");
        top.AttachDispatch(object);
        top.InvokeHelper(0x12, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, nullptr);
        folders.AttachDispatch(object);
        ole::CVariant kind;
        static_cast<VARIANT&>(kind) = ole::MakeLong(9);
        folders.InvokeHelper(4, DISPATCH_METHOD, VT_DISPATCH, &object, Params(VTS_BSTR VTS_VARIANT), u"Calendar",
                             &kind);
        calendar.AttachDispatch(object);
        calendar.InvokeHelper(0x11, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, nullptr);
        m_calendarItems.AttachDispatch(object);
    }

    fs::path m_root;
    COleDispatchDriver m_calendarSession;
    COleDispatchDriver m_calendarItems;
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

// A meeting as the calendar conversion's meeting branch makes it: an item
// added, its fields, one attachment and four attendee lists put, then 0x41
// and the item's save; saved when asked.
void WriteMeeting(bool save)
{
    COleDispatchDriver item;
    ole::CVariant kind;
    static_cast<VARIANT&>(kind) = ole::MakeLong(1);
    LPDISPATCH object = nullptr;
    Machine().CalendarItems().InvokeHelper(4, DISPATCH_METHOD, VT_DISPATCH, &object, Params(VTS_VARIANT), &kind);
    item.AttachDispatch(object);
    const auto put = [&](DISPID member, const char* type, auto value) {
        item.InvokeHelper(member, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(type), value);
    };
    put(0x6004001A, VTS_I4, 5);
    put(0x0, VTS_BSTR, u"Design review of the calendar layer");
    put(0xB, VTS_BSTR, u"Agenda: the items, their attendees and their reminders.");
    put(0x60040042, VTS_DATE, 46204.375);
    put(0x6004000A, VTS_DATE, 46204.4166);
    put(0x60040049, VTS_BSTR, u"Acme office");
    put(0xD, VTS_BSTR, u"Business");
    put(0x6004002F, VTS_I4, 15);
    put(0x2D, VTS_BOOL, TRUE);
    COleDispatchDriver attachments;
    item.InvokeHelper(0x49, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, nullptr);
    attachments.AttachDispatch(object);
    attachments.InvokeHelper(0x65, DISPATCH_METHOD, VT_DISPATCH, &object, Params(VTS_BSTR),
                             u"C:\\Program Files\\Pellinor\\Attachment\\report.doc");
    COleDispatchDriver added(object); // the attachment, left unread as the branch leaves it
    put(0x6004003D, VTS_BSTR, u"Room 4/Acme");
    put(0x9, VTS_BSTR, u"Dan Orr/Acme");
    put(0x6004003B, VTS_BSTR, u"Ann Lee/Acme, Bob Ray/Acme, Cy Fox/Acme");
    put(0x6004002A, VTS_BSTR, u"Eve Lin/Acme");
    put(0x41, VTS_BOOL, TRUE);
    if (save)
        item.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}

void BM_RdoMeeting(benchmark::State& state)
{
    Machine();
    for (auto _ : state)
        WriteMeeting(true);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RdoMeeting)->Unit(benchmark::kMillisecond);

// The same without the save: what the RDO library and the automation calls
// cost around the store.
void BM_RdoMeetingUnsaved(benchmark::State& state)
{
    Machine();
    for (auto _ : state)
        WriteMeeting(false);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RdoMeetingUnsaved)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
