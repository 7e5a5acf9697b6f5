#include "MailRunFixture.h"

#include "AppSettings.h"
#include "MailConverter.h"
#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "nsfbuild/Description.h"
#include "notes/Notes.h"
#include "user/Automation.h"
#include "win32/FileApi.h"
#include "win32/WideString.h"

namespace enginetest {

void MailRunFixture::SetUp()
{
    RunFixture::SetUp();
    g_nConvMode = 1;
    g_nMailBodyFormat = 1;
    g_nFoldersDone = 0;
    g_nFoldersLogged = 0;
    g_strNsfPath = u"";
    notes::ClearFaults();
    LNSetThrowAllErrorsGlobal(FALSE);
    PinFreeSpace(kPlentyFree);
    SelectFolders({});
}

void MailRunFixture::TearDown()
{
    RunFixture::TearDown();
    win32::SetDiskFreeSpaceHook(nullptr);
    notes::ClearFaults();
    LNSetThrowAllErrorsGlobal(FALSE);
    m_store.reset();
}

void MailRunFixture::UseNsf(const std::string& description)
{
    std::filesystem::path host = Host(kNsfPath);
    std::filesystem::create_directories(host.parent_path());
    nsfbuild::Result built = nsfbuild::BuildFromDescription(description, host);
    ASSERT_TRUE(built.ok) << built.message;
    g_strNsfPath = kNsfPath;
}

void MailRunFixture::TickFolders(const std::vector<std::u16string>& treePaths)
{
    std::vector<std::u16string> entries;
    for (const auto& path : treePaths)
        entries.push_back(u"Lotus Notes\\" + path + u"\\");
    SelectFolders(entries);
}

void MailRunFixture::PinFreeSpace(std::optional<unsigned long long> bytes)
{
    win32::SetDiskFreeSpaceHook([bytes](LPCWSTR) -> std::optional<ULONGLONG> { return bytes; });
}

std::u16string MailRunFixture::RunToEnd()
{
    return CloseCompletionDialog(RunToCompletionDialog());
}

HWND MailRunFixture::RunToCompletionDialog()
{
    EXPECT_NE(StartRun(), nullptr);
    HWND completion = WaitForCompletionDialog();
    EXPECT_NE(completion, nullptr);
    return completion;
}

std::u16string MailRunFixture::CloseCompletionDialog(HWND completion)
{
    if (!completion)
        return u"(no completion dialog)";
    std::u16string result = TextOf(completion, 1040);
    user::automation::Click(GetDlgItem(completion, IDOK));
    EXPECT_EQ(WaitForProcessEnd(), 0);
    return result;
}

void MailRunFixture::ReopenOnce()
{
    if (!m_store)
        m_store = componenttest::ReopenStore(Host(kPstPath));
}

std::vector<mapi::CMessage> MailRunFixture::MessagesIn(const std::vector<std::u16string>& levels)
{
    ReopenOnce();
    std::vector<std::u16string> path = {kStepFiveFolder};
    path.insert(path.end(), levels.begin(), levels.end());
    auto folder = componenttest::FolderBelowTop(m_store, path);
    EXPECT_TRUE(folder) << "no folder " << Utf16ToUtf8(path.back());
    return folder ? componenttest::MessagesOf(*folder) : std::vector<mapi::CMessage>{};
}

bool MailRunFixture::HasFolder(const std::vector<std::u16string>& levels)
{
    ReopenOnce();
    std::vector<std::u16string> path = {kStepFiveFolder};
    path.insert(path.end(), levels.begin(), levels.end());
    return componenttest::FolderBelowTop(m_store, path).has_value();
}

std::vector<std::vector<std::string>> MailRunFixture::LoggedSummaries() const
{
    std::vector<std::vector<std::string>> summaries;
    auto lines = LogLines();
    for (std::size_t i = 0; i + 4 < lines.size(); ++i) {
        if (lines[i] == "Step 6 :" && lines[i + 1] == "-------")
            summaries.push_back({lines[i + 2], lines[i + 3], lines[i + 4]});
    }
    return summaries;
}

std::map<std::u16string, std::string> AttachmentsOf(const mapi::CMessage& message)
{
    std::map<std::u16string, std::string> files;
    for (const auto& attachment : message.GetAttachments()) {
        mapi::Bytes data = attachment.GetData();
        files[attachment.GetFileName()] = std::string(data.begin(), data.end());
    }
    return files;
}

std::vector<std::u16string> RecipientsOf(const mapi::CMessage& message, std::int32_t type)
{
    std::vector<std::u16string> names;
    for (const auto& recipient : message.GetRecipients()) {
        if (recipient.type == type)
            names.push_back(recipient.displayName);
    }
    return names;
}

} // namespace enginetest
