// Real processes for the tests that run the closer over the host: copies of a
// harmless program (sleep) under names of the test's choice, each killed and
// reaped when the test ends, whatever its outcome.
//
// The closer ends the first "OUTLOOK.EXE" of the whole machine, so the tests
// that start one hold a lock shared by every test process on this host while
// they run: two of them never have their Outlooks running at the same time.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

class HostChildren {
public:
    HostChildren();
    ~HostChildren();
    HostChildren(const HostChildren&) = delete;
    HostChildren& operator=(const HostChildren&) = delete;

    // Starts the copy named `name` (made on first use) in the folder of this
    // object, or at `program`, and returns its id.
    pid_t Start(const std::string& name);
    pid_t StartAt(const std::filesystem::path& program);
    // True once the child has ended, reaping it; waits up to a minute for the
    // end, so that a closer that never acts fails the test instead of hanging it.
    bool EndsWithin(pid_t child);
    // True while the child runs (not ended, not reaped).
    bool Running(pid_t child);
    // Ends a child and leaves it unreaped.
    void KillWithoutReaping(pid_t child);
    // How the reaped child ended: the signal that killed it, 0 when it exited.
    int EndSignal(pid_t child) const;

    std::filesystem::path Folder() const { return m_folder; }

private:
    struct Child {
        pid_t pid;
        bool reaped;
        int status;
    };
    Child* Find(pid_t pid);
    const Child* Find(pid_t pid) const;

    std::filesystem::path m_folder;
    int m_lock = -1;
    std::vector<Child> m_children;
};
