#include "Converters.h"

#include "CProDlg.h"
#include "RunFlags.h"

#include <array>
#include <atomic>

namespace {

constexpr int kModes = 3;
std::array<std::atomic<Converter>, kModes> g_converters{};

std::atomic<Converter>* SlotOf(int mode)
{
    return mode >= 1 && mode <= kModes ? &g_converters[static_cast<std::size_t>(mode - 1)] : nullptr;
}

} // namespace

void InstallConverters(const ConverterSet& converters)
{
    InstallConverter(1, converters.mail);
    InstallConverter(2, converters.contacts);
    InstallConverter(3, converters.calendar);
}

void InstallConverter(int mode, Converter converter)
{
    if (auto* slot = SlotOf(mode))
        *slot = converter;
}

Converter InstalledConverter(int mode)
{
    auto* slot = SlotOf(mode);
    return slot ? slot->load() : nullptr;
}

void CProDlg::ConvertMailFolders()
{
    RunConverterOf(1);
}

void CProDlg::ConvertContacts()
{
    RunConverterOf(2);
}

void CProDlg::ConvertCalendar()
{
    RunConverterOf(3);
}

void CProDlg::RunConverterOf(int mode)
{
    if (Converter converter = InstalledConverter(mode)) {
        converter(*this);
        return;
    }
    // Nothing was converted: the run must not end as a success.
    g_bNotCompleted = 1;
    g_bAbortRequested = 1;
}
