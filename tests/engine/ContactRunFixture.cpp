#include "ContactRunFixture.h"

#include "AppSettings.h"
#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "win32/WideString.h"

#include <cstdio>

namespace enginetest {

std::string Quoted(const std::string& text)
{
    std::string word = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            word += '\\';
            word += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            word += escaped;
        } else {
            word += static_cast<char>(c);
        }
    }
    return word + "\"";
}

std::string PersonNote(const std::string& key, const ContactItems& items)
{
    std::string note = "note " + key + "\ntext Form Person\n";
    for (const auto& [name, value] : items)
        note += "text " + name + " " + Quoted(value) + "\n";
    return note;
}

std::string AddressBook(const std::vector<std::string>& persons)
{
    std::string description = "note group\ntext Form Group\ntext ListName Staff\ntext Members \"Ann Lee\"\n";
    for (const std::string& person : persons)
        description += person;
    return description;
}

void ContactRunFixture::SetUp()
{
    MailRunFixture::SetUp();
    g_nConvMode = 2;
    g_strPstFolderName = kContactsFolder;
}

std::u16string ContactRunFixture::RunToEndReading(const std::function<void()>& read)
{
    HWND completion = RunToCompletionDialog();
    if (completion)
        read();
    return CloseCompletionDialog(completion);
}

void ContactRunFixture::ConvertWholly(const std::string& description, const std::function<void()>& alsoRead)
{
    UseNsf(description);
    auto result = RunToEndReading([&] {
        m_nameShown = ProgressText(1035);
        m_mobileShown = ProgressText(1036);
        if (alsoRead)
            alsoRead();
    });
    ASSERT_EQ(result, u"Conversion Completed Successfully");
}

std::vector<mapi::CMessage> ContactRunFixture::Contacts(const char16_t* pstPath)
{
    if (!m_store)
        m_store = componenttest::ReopenStore(Host(pstPath));
    auto folder = componenttest::FolderBelowTop(m_store, {kContactsFolder});
    EXPECT_TRUE(folder) << "no contacts folder";
    return folder ? componenttest::MessagesOf(*folder) : std::vector<mapi::CMessage>{};
}

} // namespace enginetest
