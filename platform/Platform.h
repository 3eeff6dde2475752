#pragma once
// Every call into the operating system that the programs make, besides saving a file
// (SafeFile.h). One implementation per system: platform/posix, platform/win32.
//
// Paths are UTF-8 (on POSIX: the file system's bytes). Failures come back as a Result
// whose message is the reason alone ("No such file or directory", "it is a folder"):
// what was being done, and to which file, is the caller's to say.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace zrb {

// --- Reading ---------------------------------------------------------------------

// A regular file open for reading. Opening never waits: a FIFO or a device is refused
// rather than read, so a stray special file cannot hang a reader.
class ReadOnlyFile {
  public:
    ReadOnlyFile() = default;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile();

    // Opens `path`, which must be a regular file once links are followed.
    Result Open(const std::string& path);
    // Reads up to `size` bytes: how many, 0 at the end, -1 on an error (see Reason()).
    long Read(char* data, std::size_t size);
    std::uint64_t size() const { return size_; }
    std::int64_t modifiedTime() const { return modified_; }  // seconds since 1970
    // The system's reason for the last failed Read.
    std::string Reason() const;

  private:
    std::intptr_t handle_ = -1;
    std::uint64_t size_ = 0;
    std::int64_t modified_ = 0;
    int error_ = 0;
};

// Reads all of the regular file `path` into `bytes`, refusing one over `maxBytes`.
Result ReadWholeFile(const std::string& path, std::string& bytes, std::uint64_t maxBytes,
                     std::int64_t* modifiedTime = nullptr);

// --- Folders ---------------------------------------------------------------------

// The names in `folder` ("." and ".." left out), in no particular order. An empty
// folder path is the root.
Result ListFolder(const std::string& folder, std::vector<std::string>& names);

enum class EntryKind { Missing, File, Folder, Other };

// What `path` is once links are followed; Missing also for what cannot be looked at.
EntryKind KindOf(const std::string& path);

// Whether two folder paths name the same folder on disk, after links, "." and ".." are
// resolved. An empty path is the root folder. False when either cannot be looked at.
bool IsSameFolder(const std::string& a, const std::string& b);

// The folder the program was started in (its current directory); empty if unknown.
std::string CurrentFolder();

// The folder that holds the running program's own file, links resolved; empty if
// unknown. Companion files (the help page, the archiver) are looked for there when the
// start folder lacks them.
std::string ProgramFolder();

// The user's home folder (on Windows the profile folder); empty if unknown.
std::string HomeFolder();

// Whether this process may create files in `folder`.
bool IsWritableFolder(const std::string& folder);

// Whether wildcards in file arguments reach the program unexpanded, for it to expand:
// the Windows command interpreter leaves them, a POSIX shell has expanded them already.
#ifdef _WIN32
inline constexpr bool kProgramExpandsWildcards = true;
#else
inline constexpr bool kProgramExpandsWildcards = false;
#endif

// The names of the entries in the folder part of `pattern` that its last part matches
// (MatchesWildcard; "." and ".." never), in no particular order. Nothing matching is
// success with no names; fails with the system's reason when the folder cannot be read.
Result MatchWildcard(const std::string& pattern, std::vector<std::string>& names);

// --- Files -----------------------------------------------------------------------

enum class CopyMode {
    Data,        // a model: read and write for everyone the umask allows
    Executable,  // the archiver: also executable, so the runner can start it
};

// Copies `source` to `destination`, replacing an existing destination without asking,
// also a read-only one. The destination is always a new file: an old destination that
// is a link to the source (symbolic or hard) is replaced, never written through. On
// failure no partial destination remains.
Result CopyFileReplacing(const std::string& source, const std::string& destination, CopyMode mode);

// Removes `path` if it exists. Failures are not reported: what is removed is a leftover.
void RemoveFileIfPresent(const std::string& path);

// Whether `path` is a regular file this process may run.
bool IsRunnable(const std::string& path);

// --- Programs --------------------------------------------------------------------

struct ProgramRun {
    std::string program;            // its path
    std::vector<std::string> args;  // after the program's own name
    std::string workingFolder;      // empty: the root
    // Standard input from nothing (otherwise this process's own).
    bool noInput = false;
    // Standard output and error: this process's own when unset, nothing when empty,
    // else this file, created or emptied.
    std::optional<std::string> outputFile;
    // In a session of its own and not waited for: it outlives this process and never
    // becomes its zombie. Otherwise Run waits for its end.
    bool detach = false;
};

// Where starting a program failed.
enum class RunStep { Folder, Output, Start };

struct RunFailure {
    RunStep step = RunStep::Start;
    std::string reason;
};

// Runs `run` without a shell. The exit status (when waited for) goes to `exitStatus`:
// the program's status, or 128 + the signal that ended it. Returns the failure, or
// nothing when the program was started.
std::optional<RunFailure> RunProgram(const ProgramRun& run, int* exitStatus = nullptr);

#ifndef _WIN32
// As RunProgram, waited for, its standard output and error given back in `output`
// instead of shown (run.outputFile and run.detach are not used).
std::optional<RunFailure> RunProgramCapturing(const ProgramRun& run, int* exitStatus,
                                              std::string& output);

// A program kept running to answer requests one after another: its standard input and
// output are one connection to this process, its standard error goes nowhere (what it
// has to say travels in its answers). Ended, and waited for, when destroyed.
class ServedProgram {
  public:
    ServedProgram() = default;
    ServedProgram(const ServedProgram&) = delete;
    ServedProgram& operator=(const ServedProgram&) = delete;
    ~ServedProgram();

    // Starts `run` (run.noInput, run.outputFile and run.detach are not used). Returns the
    // failure, or nothing when it was started.
    std::optional<RunFailure> Start(const ProgramRun& run);
    bool running() const { return connection_ >= 0; }
    // False when the program no longer reads.
    bool Send(std::string_view bytes);
    // The next line without its LF; false when the program ended before a whole line.
    bool ReceiveLine(std::string& line);
    // The next `count` bytes; false when the program ended before them.
    bool Receive(std::size_t count, std::string& bytes);
    // Closes the connection and waits for the program's end: its exit status, or 128 +
    // the signal that ended it; 0 when none was running.
    int End();

  private:
    bool Fill();

    int connection_ = -1;
    long child_ = 0;
    std::string received_;
};
#endif

// The first runnable `name` in the folders of `searchPath`, separated as the system's PATH
// is (':', on Windows ';'; empty entries skipped: they would mean the current folder),
// or "".
std::string FindOnSearchPath(const std::string& name, const std::string& searchPath);

#ifdef _WIN32
// Starts the command interpreter (cmd.exe of the system folder) with `parameters`, in a
// console window of its own, in `workingFolder`, and returns at once with its process
// handle in `process`, which WaitForProcess later waits for and closes.
Result StartConsole(const std::string& parameters, const std::string& workingFolder,
                    std::intptr_t& process);
// Waits until the process `process` (from StartConsole) has ended, then closes its handle.
void WaitForProcess(std::intptr_t process);

// Opens `path` as Explorer would (the verb "open"): a document in its program, a batch
// script run by the command interpreter, with `workingFolder` as its working directory.
Result OpenWithShell(const std::string& path, const std::string& workingFolder);
#endif

// The program's arguments after its own name, in UTF-8 (on Windows read from the wide
// command line, where argv holds only what the ANSI code page can, and split by
// SplitWindowsCommandLine). Also makes the console show UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

enum class StandardStream { Output, Error };

// Writes UTF-8 `text` to the program's standard output or error. A Windows console gets
// characters (WriteConsoleW), which it shows whatever its code page; a file, a pipe and
// every POSIX stream get the bytes as they are, so redirected output is UTF-8 throughout.
// Returns false when it could not be written.
bool WriteStandardStream(StandardStream stream, std::string_view text);

// The value of the environment variable `name`, if set.
std::optional<std::string> Environment(const char* name);

// --- Packing safely ----------------------------------------------------------------

// The code page in which the system's command interpreter reads a batch script: on
// Windows the console's OEM code page (850, 437, ...); 0 elsewhere, where scripts are
// read as UTF-8.
unsigned ScriptCodePage();

// `utf8` in the code page `codePage` (such as 850 or 437), or nothing when a character
// of it has no place there (no look-alike is put in its stead).
std::optional<std::string> ToCodePage(const std::string& utf8, unsigned codePage);

// Creates `path` as a new file holding `bytes`. Fails when anything of that name exists,
// a link included, which is never followed: the caller removes an old file first.
Result WriteNewFile(const std::string& path, const std::string& bytes);

// Whether `path` is a symbolic link that leads out of `folder` (or nowhere).
bool IsLinkOutOfFolder(const std::string& path, const std::string& folder);

// Whether the program `path` can be trusted to be the one this user put there: it and,
// unless sticky, the folder holding it belong to this user or the administrator and no
// other user may write them. Fails with the reason (for example "other users may change
// it"). Always succeeds on Windows, whose folders are the user's to guard.
Result CheckOnlyOwnerCanChange(const std::string& path);
#ifndef _WIN32
// --- Locked files ------------------------------------------------------------------

// A file open for reading and writing, held with an exclusive advisory lock (flock) for
// as long as the object lives, so that programs that lock it too take turns. The lock is
// always on the file that `path` names once it is held: a file renamed over the path
// meanwhile is opened anew.
class LockedFile {
  public:
    LockedFile() = default;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile();

    // Opens `path` (links followed), creating it empty when `create` and it is missing,
    // and waits for the lock; with `wait` false, fails at once with `*busy` set when
    // another holds it.
    Result Open(const std::string& path, bool create, bool wait = true, bool* busy = nullptr);
    std::uint64_t size() const { return size_; }  // when it was opened
    bool created() const { return created_; }     // Open made it
    // Reads `size` bytes at `offset`; fails when fewer are there.
    Result ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes) const;
    Result WriteAt(std::uint64_t offset, std::string_view bytes);
    Result Truncate(std::uint64_t size);
    // Waits until what was written is on the disk.
    Result Sync();
    // Removes the path while the lock is still held, then lets go.
    void RemoveAndClose();
    void Close();

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    bool created_ = false;
    std::string path_;
};

// Whether another process holds the lock on `path`; false when it is missing.
bool IsFileLocked(const std::string& path);
#endif

}  // namespace zrb
