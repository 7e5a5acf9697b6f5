// A mail run over a database built from a description: the run fixture with
// the conversion mode 1, the NSF chosen as step 2 chooses it, the folders
// ticked as step 3 lists them, the free space of the PST's drive pinned, and
// the PST read back once the process has ended.
#pragma once

#include "RunFixture.h"

#include "PstBack.h"

#include <optional>

namespace enginetest {

inline constexpr const char16_t* kNsfPath = u"C:\\Notes\\Data\\mail\\rhale.nsf";
// The store's root folder and the step-5 folder of every mail run here.
inline constexpr const char16_t* kTargetFolder = u"Pellinor Conversion FolderMail";
inline constexpr const char16_t* kStepFiveFolder = u"Mail";
inline constexpr unsigned long long kPlentyFree = 1ull << 40;
inline constexpr unsigned long long kThreshold = 314572800ull;

class MailRunFixture : public RunFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the NSF and makes it the source of the run.
    void UseNsf(const std::string& description);
    // The folders ticked in step 3, by their tree paths ("Inbox",
    // "Projects\2026"): "Lotus Notes\" + path + "\" each.
    void TickFolders(const std::vector<std::u16string>& treePaths);
    // The free bytes of every drive from now on; nullopt fails the query.
    void PinFreeSpace(std::optional<unsigned long long> bytes);

    // Runs the conversion to its completion dialog, closes it with OK and
    // waits for the end of the process: the dialog's result text.
    std::u16string RunToEnd();
    // The same in two halves, so that the hidden progress dialog can be read
    // while the completion dialog is up.
    HWND RunToCompletionDialog();
    std::u16string CloseCompletionDialog(HWND completion);

    // After the run: the messages of the folder at those levels below the
    // step-5 folder, in the order they were written; fails the test when the
    // folder is missing.
    std::vector<mapi::CMessage> MessagesIn(const std::vector<std::u16string>& levels);
    // Whether the step-5 folder holds a folder at those levels.
    bool HasFolder(const std::vector<std::u16string>& levels);

    // The three counter lines of each "Step 6 :" block of the log.
    std::vector<std::vector<std::string>> LoggedSummaries() const;

    // The PST as the run left it, opened once after the run.
    void ReopenOnce();
    std::shared_ptr<mapi::CStore> m_store;
};

// The attachment files of a message, by name: their bytes.
std::map<std::u16string, std::string> AttachmentsOf(const mapi::CMessage& message);
std::vector<std::u16string> RecipientsOf(const mapi::CMessage& message, std::int32_t type);

} // namespace enginetest
