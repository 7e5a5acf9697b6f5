#include "ServerMachine.h"

#include "regsvr32/Regsvr32.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Shown {
    std::u16string text;
    bool failure;
};

class Regsvr32 : public ServerMachine {
protected:
    int Run(const std::u16string& arguments)
    {
        m_shown.clear();
        return regsvr32::Run(u"regsvr32.exe " + arguments,
                             [this](const std::u16string& text, bool failure) { m_shown.push_back({text, failure}); });
    }

    bool Registered()
    {
        CLSID clsid;
        return SUCCEEDED(CLSIDFromProgID(kTestServerProgId, &clsid));
    }

    std::vector<Shown> m_shown;
};

TEST_F(Regsvr32, ReportsSuccessUnlessSilent)
{
    InstallServer();
    EXPECT_EQ(Run(u"\"C:\\Program Files\\Pellinor\\TestServer.dll\""), regsvr32::kSuccess);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_FALSE(m_shown[0].failure);
    EXPECT_EQ(m_shown[0].text, u"DllRegisterServer in C:\\Program Files\\Pellinor\\TestServer.dll succeeded.");
    EXPECT_TRUE(Registered());

    EXPECT_EQ(Run(u"/U /S \"C:\\Program Files\\Pellinor\\TestServer.dll\""), regsvr32::kSuccess);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_FALSE(Registered());
}

TEST_F(Regsvr32, AnUnquotedPathWithBlanksIsOnePath)
{
    InstallServer();
    EXPECT_EQ(Run(u"/s C:\\Program Files\\Pellinor\\TestServer.dll "), regsvr32::kSuccess);
    EXPECT_TRUE(Registered());
}

TEST_F(Regsvr32, AnUnquotedPathKeepsItsDoubleBlanks)
{
    Install(TEST_SERVER_FILE, u"C:\\My  Tools\\TestServer.dll");
    EXPECT_EQ(Run(u"/s C:\\My  Tools\\TestServer.dll"), regsvr32::kSuccess);
    EXPECT_TRUE(Registered());
}

TEST_F(Regsvr32, SeveralLibrariesAreRegisteredInTurn)
{
    InstallServer();
    Install(OTHER_SERVER_FILE, u"C:\\Other.dll");
    EXPECT_EQ(Run(u"\"C:\\Program Files\\Pellinor\\TestServer.dll\" C:\\Missing.dll C:\\Other.dll"),
              regsvr32::kLoadFailed);
    ASSERT_EQ(m_shown.size(), 3u);
    EXPECT_FALSE(m_shown[0].failure);
    EXPECT_TRUE(m_shown[1].failure);
    EXPECT_FALSE(m_shown[2].failure);
    EXPECT_TRUE(Registered());
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(kOtherServerProgId, &clsid), S_OK);
}

TEST_F(Regsvr32, AMissingFileFailsWithAMessageThatNamesIt)
{
    EXPECT_EQ(Run(u"C:\\Nowhere\\TestServer.dll"), regsvr32::kLoadFailed);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_TRUE(m_shown[0].failure);
    EXPECT_EQ(m_shown[0].text,
              u"LoadLibrary(\"C:\\Nowhere\\TestServer.dll\") failed - The specified module could not be found.");
    EXPECT_EQ(Run(u"/s C:\\Nowhere\\TestServer.dll"), regsvr32::kLoadFailed);
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(Regsvr32, FilesThatAreNoServersFail)
{
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Broken.dll"), "not a library");
    EXPECT_EQ(Run(u"\"C:\\Program Files\\Pellinor\\Broken.dll\""), regsvr32::kLoadFailed);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_TRUE(m_shown[0].failure);

    Install(NO_ENTRY_FILE, u"C:\\Program Files\\Pellinor\\NoEntry.dll");
    EXPECT_EQ(Run(u"\"C:\\Program Files\\Pellinor\\NoEntry.dll\""), regsvr32::kEntryMissing);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_NE(m_shown[0].text.find(u"DllRegisterServer was not found"), std::u16string::npos);
}

TEST_F(Regsvr32, AFailingEntryPointGivesItsCode)
{
    InstallServer();
    ::setenv("MARLWICK_REGISTRY_READONLY", "HKCR", 1);
    EXPECT_EQ(Run(u"\"C:\\Program Files\\Pellinor\\TestServer.dll\""), regsvr32::kEntryFailed);
    ::unsetenv("MARLWICK_REGISTRY_READONLY");
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_NE(m_shown[0].text.find(u"0x80040201"), std::u16string::npos);
    EXPECT_FALSE(Registered());
}

TEST_F(Regsvr32, BadArguments)
{
    EXPECT_EQ(Run(u""), regsvr32::kBadArguments);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, u"No DLL name specified.");
    EXPECT_EQ(Run(u"/x C:\\a.dll"), regsvr32::kBadArguments);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, u"Unrecognized flag: /x");
    EXPECT_EQ(Run(u"/s"), regsvr32::kBadArguments);
    EXPECT_TRUE(m_shown.empty());
}

} // namespace
