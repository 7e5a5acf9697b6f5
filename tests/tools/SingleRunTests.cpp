// Two runs of the real program at once on one machine: the second says so
// and ends before its first step, and the first run's PST holds exactly its
// own messages.
#include "ToolsFixture.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Store.h"

#include <chrono>
#include <cstdlib>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kAlreadyRunning = "A conversion is already running on this machine. Please wait until it has "
                                        "ended and start the conversion again.";

class SingleRunTest : public ToolsFixture {
protected:
    // Starts Marlwick with the script; its process id.
    pid_t StartMarlwick(const std::string& name, const std::string& script)
    {
        fs::path file = m_root / (name + ".txt");
        WriteHostFile(file, script);
        pid_t child = fork();
        if (child == 0) {
            setenv("MARLWICK_SCRIPT", file.c_str(), 1);
            execl(MARLWICK_PROGRAMS_DIR "/Marlwick", "Marlwick", static_cast<char*>(nullptr));
            _exit(127);
        }
        return child;
    }

    static int ExitCodeOf(pid_t child)
    {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Waits, as long as a loaded machine needs, for a file to appear.
    static bool Appears(const fs::path& file)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return fs::exists(file);
    }

    static std::vector<fs::path> PstFilesIn(const fs::path& folder)
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().extension() == ".pst")
                found.push_back(entry.path());
        return found;
    }
};

TEST_F(SingleRunTest, ASecondRunEndsBeforeStepOneAndLeavesTheFirstRunAlone)
{
    Install();
    // The first run shows step 1, then converts the Inbox into a new PST.
    const pid_t first = StartMarlwick("first", R"(timeout 120000
wait-control 1031
screenshot "first-step1.png"
click 1
wait-control 1049
click 3
wait-control 1023
expect-enabled 1 1
tick-tree-item 1023 "Lotus Notes" "Inbox"
click 1
wait-control 1028
click 1010
click 1029
choose-folder "C:\\"
click 1
wait-control 1043
click 1013
key HOME
key shift+END
type "From Notes"
click 1
wait-control 1040
expect-text 1040 "Conversion Completed Successfully"
click 1
)");
    // The second starts while the first holds the machine.
    ASSERT_TRUE(Appears(m_root / "first-step1.png"));
    const pid_t second = StartMarlwick("second", std::string("timeout 120000\nexpect-box \"") + kAlreadyRunning
                                                     + "\"\nanswer OK\n");
    EXPECT_EQ(ExitCodeOf(second), 0) << "the second run's script saw its message";
    EXPECT_EQ(ExitCodeOf(first), 0) << "the first run went to its end";

    const std::string log = ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt"));
    std::size_t starts = 0;
    for (std::size_t at = log.find("-Start-"); at != std::string::npos; at = log.find("-Start-", at + 1))
        ++starts;
    EXPECT_EQ(starts, 1u) << "the second run wrote nothing into the log";

    const std::vector<fs::path> psts = PstFilesIn(Host(u"C:\\"));
    ASSERT_EQ(psts.size(), 1u);
    auto store = mapi::CStore::Open(psts[0], true);
    ASSERT_TRUE(store.Ok()) << store.Message();
    auto top = (*store)->GetIpmSubtree();
    ASSERT_TRUE(top.Ok()) << top.Message();
    auto named = top->FindSubfolder(u"From Notes");
    ASSERT_TRUE(named.Ok() && *named);
    auto inbox = (*named)->FindSubfolder(u"Inbox");
    ASSERT_TRUE(inbox.Ok() && *inbox);
    auto listed = (*inbox)->ListMessages();
    ASSERT_TRUE(listed.Ok()) << listed.Message();
    ASSERT_FALSE(listed->empty());
    std::multiset<std::u16string> subjects;
    for (const auto& info : *listed) {
        auto message = (*inbox)->OpenMessage(info.nid);
        ASSERT_TRUE(message.Ok()) << message.Message();
        subjects.insert(message->GetSubject());
    }
    for (const auto& subject : subjects)
        EXPECT_EQ(subjects.count(subject), 1u) << "each document once, written by one run";
    EXPECT_EQ((*named)->ListSubfolders()->size(), 1u) << "only the ticked folder";
}

} // namespace
