// The real program, started as a user starts it, in a machine root laid out
// by the installer, and driven by a script (MARLWICK_SCRIPT) as a person
// would drive it.
#include "ToolsFixture.h"
#include "gdi/BmpFormat.h"
#include "gdi/PngFile.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Store.h"
#include "nsfbuild/Synthetic.h"
#include "win32/WideString.h"
#include "win32/Registry.h"

#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

class ProgramStartTest : public ToolsFixture {
protected:
    // Runs Marlwick with the script; its exit code, or -1 when it did not exit.
    int RunMarlwick(const std::string& script)
    {
        fs::path file = m_root / "run.txt";
        WriteHostFile(file, script);
        pid_t child = fork();
        if (child == 0) {
            setenv("MARLWICK_SCRIPT", file.c_str(), 1);
            execl(MARLWICK_PROGRAMS_DIR "/Marlwick", "Marlwick", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Log() { return ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt")); }

    static std::shared_ptr<gdi::Surface> ReadBitmap(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return gdi::ParseBmp(bytes).image;
    }

    static constexpr const char* kExit = "click 1006\nexpect-box \"Are you sure you want to exit?\"\nanswer YES\n";
};

TEST_F(ProgramStartTest, AWalkThroughStepOneUnderAScript)
{
    Install();
    const int code = RunMarlwick(std::string(R"(# step 1, the stand-in for step 2, Back, and Exit
timeout 30000
wait-control 1031
expect-check 1010 1
expect-visible 2 0
screenshot "step1.png"
click 1048
expect-check 1048 1
expect-check 1010 0
click 1
wait-control 1017
expect-visible 1017 1
click 1017
wait-control 1031
expect-check 1048 1
)") + kExit);
    EXPECT_EQ(code, 0) << "Yes on the exit prompt ends the program with exit(0)";

    const std::string log = Log();
    const std::string head = "\r\n\r\n\r\n-----------------------Start--------------------------\r\nVersion 4.0\r\n";
    ASSERT_EQ(log.compare(0, head.size(), head), 0) << log;
    int day, month, year, hour, minute;
    ASSERT_EQ(std::sscanf(log.c_str() + head.size(), "%d-%d-%d %d:%d", &day, &month, &year, &hour, &minute), 5);
    EXPECT_GE(year, 2024);
    const std::string step = "\r\n\r\n\r\nStep 1 :\r\n-------\r\nMode : Migrating Calendar Folder";
    ASSERT_GE(log.size(), step.size());
    EXPECT_EQ(log.substr(log.size() - step.size()), step) << "one step-1 block, the last thing logged";
    EXPECT_TRUE(fs::is_directory(Host(u"C:\\Program Files\\Pellinor\\Attachment")));

    // The screenshot shows the background bitmap and the red welcome text.
    auto shot = gdi::ReadPng(m_root / "step1.png");
    ASSERT_NE(shot, nullptr);
    auto skin = ReadBitmap(Host(u"C:\\Program Files\\Pellinor\\main.bmp"));
    ASSERT_NE(skin, nullptr);
    // Points of the skin that no control covers: the top bar beside its
    // lettering, both sides of the group of radio buttons, and the foot
    // below the etched line.
    const POINT samples[] = {{500, 8}, {650, 300}, {20, 250}, {200, 480}};
    auto matchesAt = [&](int ox, int oy) {
        for (POINT p : samples) {
            if (!shot->Contains(ox + p.x, oy + p.y)
                || gdi::ColorFromPixel(shot->At(ox + p.x, oy + p.y)) != gdi::ColorFromPixel(skin->At(p.x, p.y)))
                return false;
        }
        return true;
    };
    bool found = false;
    for (int oy = 0; oy < 100 && !found; ++oy)
        for (int ox = 0; ox < 40 && !found; ++ox)
            found = matchesAt(ox, oy);
    EXPECT_TRUE(found) << "main.bmp lies under the dialog's client area";
    int red = 0;
    for (int y = 0; y < shot->Height(); ++y)
        for (int x = 0; x < shot->Width(); ++x)
            red += gdi::ColorFromPixel(shot->At(x, y)) == RGB(255, 0, 0);
    EXPECT_GT(red, 100) << "the welcome text in red";
}

TEST_F(ProgramStartTest, AWalkThroughStepsTwoAndThreeAndBack)
{
    Install();
    const int code = RunMarlwick(std::string(R"(# step 2 proposes the mail database; step 3 fills its tree from it
timeout 30000
wait-control 1031
click 1
wait-control 1049
expect-text 1012 "C:\\Program Files\\Lotus\\Notes\\Data\\mail\\rhale.nsf"
click 3
wait-control 1023
expect-visible 1032 0
expect-visible 1019 0
expect-enabled 1015 1
click 1015
wait-control 1049
click 1017
wait-control 1031
)") + kExit);
    EXPECT_EQ(code, 0);
    const std::string log = Log();
    EXPECT_NE(log.find("Step 2 :\r\n-------\r\nNSF Source Path : C:\\Program Files\\Lotus\\Notes\\Data\\mail\\"
                       "rhale.nsf\r\nBackup NSF Path : "),
              std::string::npos)
        << log;
}

TEST_F(ProgramStartTest, AClickRightAfterStepThreeEnablesNextReachesIt)
{
    Install();
    // Nothing ticked: Next, once the tree is filled, asks for a folder.
    const int code = RunMarlwick(R"(timeout 30000
wait-control 1031
click 1
wait-control 1049
click 3
wait-control 1023
expect-enabled 1 1
click 1
expect-box "Please Select Any Folder"
answer OK
expect-visible 1019 0
click 1026
expect-box "Are you sure you want to exit?"
answer YES
)");
    EXPECT_EQ(code, 0) << "a code of 3 is a script that failed";
}

TEST_F(ProgramStartTest, StepTwosBackupCopiesTheDatabaseBeforeStepThree)
{
    Install();
    fs::create_directories(Host(u"C:\\Bak"));
    const int code = RunMarlwick(std::string(R"(# calendar: the proposed database backed up into C:\Bak
timeout 30000
wait-control 1031
click 1048
click 1
wait-control 1012
click 1014
expect-enabled 1016 1
click 1013
type "C:\\Bak"
click 3
wait-control 1023
tick-tree-item 1023 "Lotus Notes" "C:\\Program Files\\Lotus\\Notes\\Data\\mail\\rhale.nsf"
expect-enabled 1015 1
click 1015
wait-control 1012
click 1017
wait-control 1031
)") + kExit);
    EXPECT_EQ(code, 0);
    const fs::path source = Host(u"C:\\Program Files\\Lotus\\Notes\\Data\\mail\\rhale.nsf");
    const fs::path copy = Host(u"C:\\Bak\\rhale.nsf");
    ASSERT_TRUE(fs::exists(copy));
    EXPECT_EQ(fs::file_size(copy), fs::file_size(source));
    EXPECT_TRUE(ReadHostFile(copy) == ReadHostFile(source)) << "an exact copy";
    EXPECT_NE(Log().find("\r\nNSF Source Path : C:\\Program Files\\Lotus\\Notes\\Data\\mail\\rhale.nsf"
                         "\r\nBackup NSF Path : C:\\Bak"),
              std::string::npos)
        << Log();
}

// The end of the process while step 3's worker still reads a database of
// many folders: the program ends with its code 0, not in a crash.
TEST_F(ProgramStartTest, LeavingStepThreeWhileItsFoldersAreReadEndsWithCodeZero)
{
    Install();
    nsfbuild::MailboxOptions options;
    options.messages = 20;
    options.folders = 3000;
    ASSERT_TRUE(nsfbuild::BuildSyntheticMailbox(Host(u"C:\\Many.nsf"), options).ok);
    for (const char* leave : {"key ESCAPE\n", "click 1026\n"}) {
        SCOPED_TRACE(leave);
        const int code = RunMarlwick(std::string(R"(# mail: a database of many folders, left while step 3 reads it
timeout 30000
wait-control 1031
click 1
wait-control 1049
click 1012
key HOME
key shift+END
type "C:\\Many.nsf"
click 3
wait-control 1023
)") + leave + "expect-box \"Are you sure you want to exit?\"\nanswer YES\n");
        EXPECT_EQ(code, 0);
    }
}

// The PST files in the machine's C:\ folder.
static std::vector<fs::path> PstFilesIn(const fs::path& folder)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".pst")
            found.push_back(entry.path());
    return found;
}

// The items of the folder that step 5 named in the one PST of C:\.
static std::vector<mapi::CMessage> ItemsOfTheNewPst(const fs::path& driveC, const char16_t* folderName)
{
    std::vector<mapi::CMessage> items;
    const std::vector<fs::path> psts = PstFilesIn(driveC);
    EXPECT_EQ(psts.size(), 1u);
    if (psts.size() != 1)
        return items;
    auto store = mapi::CStore::Open(psts[0], true);
    EXPECT_TRUE(store.Ok()) << store.Message();
    if (!store.Ok())
        return items;
    auto top = (*store)->GetIpmSubtree();
    EXPECT_TRUE(top.Ok()) << top.Message();
    if (!top.Ok())
        return items;
    auto folder = top->FindSubfolder(folderName);
    EXPECT_TRUE(folder.Ok() && *folder) << "step 5's folder";
    if (!folder.Ok() || !*folder)
        return items;
    auto listed = (*folder)->ListMessages();
    EXPECT_TRUE(listed.Ok()) << listed.Message();
    if (!listed.Ok())
        return items;
    for (const auto& info : *listed) {
        auto item = (*folder)->OpenMessage(info.nid);
        EXPECT_TRUE(item.Ok()) << item.Message();
        if (item.Ok())
            items.push_back(std::move(*item));
    }
    return items;
}

// Steps 4 and 5 and the run: a new PST in C:\, the folder named, Convert, and
// the completion dialog's OK.
static std::string NewPstNamedAndConverted(const std::string& folderName)
{
    return R"(wait-control 1028
click 1010
click 1029
choose-folder "C:\\"
click 1
wait-control 1043
click 1013
key HOME
key shift+END
type ")" + folderName + R"("
click 1
wait-control 1040
expect-text 1040 "Conversion Completed Successfully"
click 1
)";
}

TEST_F(ProgramStartTest, AWalkThatTicksTheInboxConvertsItIntoANewPst)
{
    Install();
    const int code = RunMarlwick(R"(# mail: the Inbox ticked in step 3, a new PST in C:\, a folder name, Convert
timeout 60000
wait-control 1031
click 1
wait-control 1049
click 3
wait-control 1023
expect-visible 1032 0
expect-visible 1019 0
expect-enabled 1 1
tick-tree-item 1023 "Lotus Notes" "Inbox"
click 1
)" + NewPstNamedAndConverted("From Notes"));
    EXPECT_EQ(code, 0) << "the completion dialog's OK ends the program";
    const std::string log = Log();
    EXPECT_NE(log.find("Step 5 :\r\n-------\r\nNew Folder in PST : From Notes\r\n"), std::string::npos) << log;

    const std::vector<fs::path> psts = PstFilesIn(Host(u"C:\\"));
    ASSERT_EQ(psts.size(), 1u);
    auto store = mapi::CStore::Open(psts[0], true);
    ASSERT_TRUE(store.Ok()) << store.Message();
    auto top = (*store)->GetIpmSubtree();
    ASSERT_TRUE(top.Ok()) << top.Message();
    auto named = top->FindSubfolder(u"From Notes");
    ASSERT_TRUE(named.Ok() && *named) << "step 5's folder";
    auto inbox = (*named)->FindSubfolder(u"Inbox");
    ASSERT_TRUE(inbox.Ok() && *inbox) << "the ticked folder";
    auto messages = (*inbox)->ListMessages();
    ASSERT_TRUE(messages.Ok()) << messages.Message();
    EXPECT_FALSE(messages->empty()) << "the Inbox's mail";
    for (const auto& info : *messages) {
        auto message = (*inbox)->OpenMessage(info.nid);
        ASSERT_TRUE(message.Ok()) << message.Message();
        EXPECT_FALSE(message->GetSubject().empty());
    }
    for (const char16_t* unticked : {u"Sent", u"Drafts", u"Projects"}) {
        auto other = (*named)->FindSubfolder(unticked);
        EXPECT_TRUE(other.Ok() && !*other) << "an unticked folder is left out";
    }
}

TEST_F(ProgramStartTest, AnAddressBookWalkConvertsEveryPersonOfTheProposedDatabase)
{
    Install();
    const int code = RunMarlwick(R"(# address book: step 2 proposes names.nsf, step 3 shows it as one item
timeout 60000
wait-control 1031
click 1011
click 1
wait-control 1012
expect-text 1012 "C:\\Program Files\\Lotus\\Notes\\Data\\names.nsf"
expect-visible 1049 0
click 3
wait-control 1023
tick-tree-item 1023 "Lotus Notes" "C:\\Program Files\\Lotus\\Notes\\Data\\names.nsf"
expect-enabled 1 1
click 1
)" + NewPstNamedAndConverted("From the Address Book"));
    EXPECT_EQ(code, 0);
    EXPECT_NE(Log().find("Mode : Migrating Address Folder"), std::string::npos);

    const std::vector<mapi::CMessage> contacts = ItemsOfTheNewPst(Host(u"C:\\"), u"From the Address Book");
    EXPECT_EQ(contacts.size(), 25u) << "the sample's 25 persons, not its groups";
    for (const auto& contact : contacts) {
        EXPECT_EQ(contact.GetMessageClass(), u"IPM.Contact");
        EXPECT_FALSE(contact.GetString(0x3001001F).empty()) << "a display name";
    }
}

TEST_F(ProgramStartTest, ACalendarWalkConvertsTheEntriesOfATypedDatabase)
{
    Install();
    // Three entries (the sample's 21 would take minutes: every entry waits
    // six seconds): an entry of no calendar type, an appointment and a series.
    nsfbuild::CalendarOptions options;
    options.entries = 3;
    ASSERT_TRUE(nsfbuild::BuildSyntheticCalendar(Host(u"C:\\Three.nsf"), options));
    const int code = RunMarlwick(R"(# calendar: a database typed into step 2
timeout 90000
wait-control 1031
click 1048
click 1
wait-control 1012
click 1012
key HOME
key shift+END
type "C:\\Three.nsf"
click 3
wait-control 1023
tick-tree-item 1023 "Lotus Notes" "C:\\Three.nsf"
expect-enabled 1 1
click 1
)" + NewPstNamedAndConverted("Diary"));
    EXPECT_EQ(code, 0);
    const std::string log = Log();
    EXPECT_NE(log.find("NSF Source Path : C:\\Three.nsf"), std::string::npos) << log;

    const std::vector<mapi::CMessage> items = ItemsOfTheNewPst(Host(u"C:\\"), u"Diary");
    EXPECT_GE(items.size(), 3u) << "one item per entry, and one per date of the series";
    int withSubject = 0;
    for (const auto& item : items) {
        EXPECT_EQ(item.GetMessageClass(), u"IPM.Appointment");
        withSubject += !item.GetSubject().empty();
    }
    EXPECT_GE(withSubject, 2) << "the appointment's and the series' subjects";
}

TEST_F(ProgramStartTest, ALogFolderOfTheSettingsTakesTheLog)
{
    Install();
    fs::create_directories(Host(u"C:\\Logs"));
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const char16_t logs[] = u"C:\\Logs";
    RegSetValueExW(key, u"LogPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(logs), sizeof logs);
    RegCloseKey(key);
    EXPECT_EQ(RunMarlwick(std::string("timeout 30000\nwait-control 1031\n") + kExit), 0);
    EXPECT_TRUE(fs::exists(Host(u"C:\\Logs\\Activity Log.txt")));
    EXPECT_FALSE(fs::exists(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt")));
}
