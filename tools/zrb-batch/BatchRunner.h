#pragma once
// Runs the pack script on a system without the Windows command interpreter. It knows only
// the commands that script uses, gives them the interpreter's meaning, and never hands a
// line to a shell.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/Result.h"

namespace zrb {

// Starts the programs that a script names. Tests put a recorder in its place.
class ProgramRunner {
  public:
    virtual ~ProgramRunner() = default;

    // Runs `program` (a path) with `args` as its arguments after argv[0], in `workingDir`,
    // and waits for it to end; it writes straight to this process's stdout and stderr.
    // Succeeds when the program ran, whatever its exit status; fails with a message when it
    // could not be started.
    virtual Result Run(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir) const = 0;

    // The full path of the executable `name` on PATH, or "" when there is none.
    virtual std::string FindOnPath(const std::string& name) const = 0;

    // The value of the environment variable `name`, if set.
    virtual std::optional<std::string> Setting(const std::string& name) const;
    // How a program run with RunCapturing ended.
    struct Ended {
        int exitStatus = 0;
        std::string output;  // standard output and error, in one
    };
    // As Run, but what the program writes is given back in `ended` (the caller shows
    // it) with its exit status. This default runs it with Run, which shows the output
    // itself, and gives back no output and status 0.
    virtual Result RunCapturing(const std::string& program, const std::vector<std::string>& args,
                                const std::string& workingDir, Ended& ended) const {
        ended = {};
        return Run(program, args, workingDir);
    }

    // As Run, for our own archiver (a native sqzip.exe): a runner may hand this call and
    // the ones after it to one process of the archiver kept running, which runs each as a
    // process of its own would. This default is Run.
    virtual Result RunArchiver(const std::string& program, const std::vector<std::string>& args,
                               const std::string& workingDir) const {
        return Run(program, args, workingDir);
    }
    // As RunCapturing, for our own archiver, as RunArchiver. This default is RunCapturing.
    virtual Result RunArchiverCapturing(const std::string& program,
                                        const std::vector<std::string>& args,
                                        const std::string& workingDir, Ended& ended) const {
        return RunCapturing(program, args, workingDir, ended);
    }
    // Ends an archiver kept running, once the script has run or before another program
    // runs.
    virtual void EndArchiver() const {}
};

// Where a script's runner reports each program call as it ends, for whoever watches
// the run.
class CallReport {
  public:
    virtual ~CallReport() = default;
    // `status`: the program's exit status, or -1 when it was not started; `words`: what
    // the runner and the program wrote about it; `command`: the command as the script
    // named it, then its arguments.
    virtual void Call(int status, const std::string& words,
                      const std::vector<std::string>& command) = 0;
};

// Runs every line of `script` in turn, relative names resolved in `workingDir`:
//   ECHO text / ECHO OFF / ECHO ON / ECHO. ; a leading @ keeps one line from being echoed
//   ATTRIB -R|+R file...  makes files writable (or read-only)
//   DEL (or ERASE) file...  deletes files
//   REM ... and :label  are skipped
//   anything else names a program in `workingDir`, found without regard to case: a name
//   with an extension as given, one without (".\SQZIP") only with ".exe" appended. Such
//   a program is refused, naming the file, when the folder also holds the name bare or
//   with ".com", ".bat" or ".cmd", which the Windows interpreter would run first. A
//   Windows program (starting with "MZ") runs through the program that the environment
//   variable ZRB_WINE names (a path, or a name looked up on PATH), else through wine.
// Double quotes group an argument and are removed; keywords and names match without regard
// to case; lines end in CR LF or LF. A failed command prints the interpreter's message and
// the next line runs, as in the interpreter. The characters & | < > ^ % have no special
// meaning. Returns 0 once the script has been read to its end, 1 when reading it failed.
int RunBatch(std::istream& script, const std::string& workingDir, std::ostream& out,
             std::ostream& err, const ProgramRunner& run);

// The same, each program call also reported to `report` as it ends (its output still
// shown on `out`).
int RunBatch(std::istream& script, const std::string& workingDir, std::ostream& out,
             std::ostream& err, const ProgramRunner& run, CallReport& report);

// The command line of zrb-batch: `args` are the arguments after the program name,
// "[--pause] [--report=FILE] [--lock=FILE] SCRIPT". Reads SCRIPT (relative to
// `workingDir`) and runs it; with --pause it then waits for a line on `in` so that a
// terminal window stays open. With --report it writes, as the script runs, a line
// "start", one line per program call (see ReportLine), and "end" once the script
// has run. With --lock it holds FILE locked while the script runs and removes it then,
// and refuses to run while another holds it. Returns 0 when the script ran, 1 when it
// could not be read or the lock is held, 2 for bad usage.
int BatchMain(const std::vector<std::string>& args, const std::string& workingDir, std::istream& in,
              std::ostream& out, std::ostream& err, const ProgramRunner& run);

// One line of the report for a program call: "call", the status, the words and the
// command's words, separated by TABs; backslash, TAB, CR and LF within a field written as
// \\, \t, \r and \n. Ends in LF.
std::string ReportLine(int status, const std::string& words,
                       const std::vector<std::string>& command);

}  // namespace zrb
