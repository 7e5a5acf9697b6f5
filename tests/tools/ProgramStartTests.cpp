// The real program, started as a user starts it, in a laid-out machine root.
#include "ToolsFixture.h"
#include "win32/Registry.h"

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

class ProgramStartTest : public ToolsFixture {
protected:
    int RunMarlwick()
    {
        pid_t child = fork();
        if (child == 0) {
            execl(MARLWICK_PROGRAMS_DIR "/Marlwick", "Marlwick", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(ProgramStartTest, TheProgramStartsWritesItsStartBlockAndEnds)
{
    Install();
    EXPECT_EQ(RunMarlwick(), 0);
    std::string log = ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt"));
    const std::string head = "\r\n\r\n\r\n-----------------------Start--------------------------\r\nVersion 4.0\r\n";
    ASSERT_EQ(log.compare(0, head.size(), head), 0) << log;
    std::string stamp = log.substr(head.size());
    int day, month, year, hour, minute;
    ASSERT_EQ(std::sscanf(stamp.c_str(), "%d-%d-%d %d:%d", &day, &month, &year, &hour, &minute), 5) << stamp;
    EXPECT_GE(year, 2024);
    EXPECT_TRUE(fs::is_directory(Host(u"C:\\Program Files\\Pellinor\\Attachment")));
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
    EXPECT_EQ(RunMarlwick(), 0);
    EXPECT_TRUE(fs::exists(Host(u"C:\\Logs\\Activity Log.txt")));
    EXPECT_FALSE(fs::exists(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt")));
}
