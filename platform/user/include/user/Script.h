// Scripts that drive a whole run of the program as a person would, through
// the automation interface. A script is a UTF-8 text file of one command a
// line; blank lines and lines starting with '#' are skipped. Arguments are
// words, numbers or double-quoted texts ("a \"b\"", with \\, \", \n, \r and \t).
// Every command acts on the active top-level window of the program (a
// message box, when one is open); waits end after the timeout (10 s, or as
// set with `timeout`).
//
//   wait-window "Title"       a visible top-level window with this title
//   wait-control 1047         a visible top-level window holding control 1047
//   click 1010                clicks the control in its middle
//   key ESCAPE                a key: a name (RETURN, TAB, F1, LEFT, ...), a
//                             letter or digit, after shift+, ctrl+ or alt+
//   type "text"               types the characters into the focus
//   menu 32773                chooses the command from the menu bar (else
//   sysmenu 16                the system menu) / from the system menu
//   answer YES                answers the next message box: YES NO OK CANCEL
//   expect-text 1047 "..."    the control's text becomes this
//   expect-box "text"         a message box with this text opens
//   expect-check 1010 1       the button's check state (0, 1, 2) becomes this
//   expect-enabled 1 0        the control becomes enabled (1) or disabled (0)
//   expect-visible 2 0        the control becomes visible (1) or hidden (0)
//   screenshot "shot.png"     the screen as a PNG (a host path, or relative
//                             to the script's folder)
//   sleep 100                 waits this many real milliseconds
//   timeout 20000             the waits of the following commands
//   close                     the close box of the active window
//   choose-file "C:\\a.nsf"     types the path into the open-file dialog's
//                             name box and presses Open
//   pick-file "C:\\a.nsf"       opens the dialog's tree down to the file,
//                             clicks it and presses Open
//   choose-folder "C:\\Bak"     opens the folder browser's tree down to the
//                             folder, clicks it and presses OK
//   wheel 1023 -3             turns the mouse wheel over the control by
//                             notches (negative: towards the user, down)
//   tick-tree-item 1023 "Mail" "Inbox"
//                             clicks the check box of the tree item these
//                             texts lead to, from a top-level item down, and
//                             waits until its check has changed
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace user::automation {

struct ScriptResult {
    bool ok = true;
    int line = 0;        // of the command that failed
    std::string message; // what failed
    std::chrono::milliseconds timeout{}; // the waits in force when it ended
};

// Runs a script on the calling thread; stops at the first failure.
ScriptResult RunScript(const std::string& text, const std::filesystem::path& folder);
ScriptResult RunScriptFile(const std::filesystem::path& path);

// The exit code of a run whose script failed.
constexpr int kScriptFailureExitCode = 3;

// When MARLWICK_SCRIPT names a script file, runs it on a thread of its own.
// A relative name is taken from the folder the process started in. The
// variable is taken out of the environment, so that the programs this one
// starts are not driven by the same script. A failure (or a file that
// cannot be read) is written to stderr as "file:line: message" and ends the
// process at once with kScriptFailureExitCode; so does a script that ends
// while the program still runs, once the program has had the script's
// timeout to end by itself. Returns whether a script was started.
bool StartScriptFromEnvironment();

// The program has ended its run (its main loop returned): a script that ends
// now has not left it running.
void ProgramRunEnded();

} // namespace user::automation
