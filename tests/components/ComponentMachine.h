// A machine laid out by the installer, with COM initialised on the test's
// thread: Outlook registered as installed, TolvaneRedmp.dll and Brenmoor.dll
// in the install folder, registered through regsvr32 of the machine as the
// program registers them.
#pragma once

#include "afx/OleDispatchDriver.h"
#include "components/ComponentClasses.h"
#include "components/Logon.h"
#include "mapi/Profile.h"
#include "install/MachineInstaller.h"
#include "ole/Com.h"
#include "testsupport/MachineFixture.h"

#include <gtest/gtest.h>

namespace componenttest {

inline constexpr const char16_t* kInstallDir = u"C:\\Program Files\\Pellinor";

class ComponentMachine : public testsupport::MachineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    std::u16string InstalledFile(const char16_t* fileName) const;
    // Runs the machine's regsvr32 with "/s" (and "/u" to unregister) on a
    // file of the install folder, by its short path as the program does.
    int Regsvr32(const char16_t* fileName, bool unregister = false);
    void RegisterComponents();

    void RemoveDefaultProfile();
    void UnregisterOutlook();

    static bool Registered(const ole::ServerClass& serverClass);
    // Creates the class into the driver; FALSE with the reason otherwise.
    static BOOL Create(COleDispatchDriver& driver, const ole::ServerClass& serverClass, SCODE* why = nullptr);
};

// A VTS_ string as InvokeHelper takes it.
inline const BYTE* Params(const char* kinds)
{
    return reinterpret_cast<const BYTE*>(kinds);
}

// The HRESULT that a failed call raised through the driver, S_OK when it
// raised nothing.
template <class Call>
SCODE RaisedBy(Call&& call)
{
    try {
        call();
    } catch (const COleDispatchException& error) {
        return error.m_scError;
    } catch (const COleException& error) {
        return error.m_sc;
    }
    return S_OK;
}

} // namespace componenttest
