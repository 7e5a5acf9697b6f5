// A fresh machine root with databases built from descriptions, a clean
// fault table and throw-all off, for every test.
#pragma once

#include "notes/Notes.h"
#include "testsupport/MachineFixture.h"

#include <string>

namespace notestest {

class NotesFixture : public testsupport::MachineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the described database at a Windows path of the root (folders
    // made as needed); fails the test on a bad description.
    void BuildDatabase(const std::u16string& windowsPath, const std::string& description);
    // Initialises the session and opens the database at an ANSI path.
    void OpenDatabase(const char* ansiPath);
    // The first document of the named view or folder, open.
    LNDocument OpenFirstDocument(const char* viewFolderName);

    LNNotesSession m_session;
    LNDatabase m_database;
};

// Every ($...) view, a folder with a backslash, and one document of each
// kind the tests read.
extern const char* const kMailDescription;

} // namespace notestest
