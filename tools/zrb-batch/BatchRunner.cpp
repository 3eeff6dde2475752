#include "tools/zrb-batch/BatchRunner.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <map>
#include <ostream>
#include <sstream>
#include <string_view>

#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage = "usage: zrb-batch [--pause] [--report=FILE] [--lock=FILE] SCRIPT\n";

std::string_view TrimFront(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimFront(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Blanks separate arguments; double quotes keep blanks inside one argument and are dropped.
std::vector<std::string> SplitArguments(std::string_view line) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false;
    bool started = false;
    for (char c : line) {
        if (c == '"') {
            inQuotes = !inQuotes;
            started = true;
        } else if (!inQuotes && IsBlank(c)) {
            if (started) {
                args.push_back(current);
                current.clear();
                started = false;
            }
        } else {
            current += c;
            started = true;
        }
    }
    if (started) {
        args.push_back(current);
    }
    return args;
}

std::string ToSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Where a name from the script points, for messages: the working folder joined with the
// name, without the "./" steps.
std::string FullPath(const std::string& workingDir, const std::string& name) {
    const std::string path = ToSlashes(name);
    if (!path.empty() && path.front() == '/') {
        return path;
    }
    return (fs::path(workingDir) / path).lexically_normal().string();
}

// True when `name` is relative and none of its ".." steps leads above the folder it
// starts from.
bool StaysInFolder(const std::string& name) {
    const std::string path = ToSlashes(name);
    if (path.empty() || path.front() == '/' || path.find(':') != std::string::npos) {
        return false;
    }
    int depth = 0;
    for (const fs::path& step : fs::path(path)) {
        const std::string text = step.string();
        if (text == "..") {
            if (--depth < 0) {
                return false;
            }
        } else if (!text.empty() && text != ".") {
            ++depth;
        }
    }
    return true;
}

// The entries of the folders names were looked for in, by their names in lower case, kept
// while the folder stays as it was: a pack script names thousands of files in one folder
// of thousands, and listing it for each would make the script's run grow with the square
// of their count. The folder's time of change tells when it must be listed again; the
// runner's own deletions keep it up to date.
struct FolderListing {
    fs::file_time_type changed;
    std::multimap<std::string, std::string> byLowerName;
};

std::map<std::string, FolderListing>& FolderListings() {
    static std::map<std::string, FolderListing> listings;
    return listings;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        c = AsciiLower(c);
    }
    return text;
}

// The first entry of `folder` (in name order) that differs from `name` only in case, or "".
std::string FindIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code error;
    const fs::file_time_type changed = fs::last_write_time(folder, error);
    FolderListing& listing = FolderListings()[folder.string()];
    const auto pick = [&]() -> std::string {
        const auto [first, last] = listing.byLowerName.equal_range(LowerAscii(name));
        std::string best;
        for (auto it = first; it != last; ++it) {
            if (best.empty() || it->second < best) {
                best = it->second;
            }
        }
        return best;
    };
    if (!error && changed == listing.changed && !listing.byLowerName.empty()) {
        // A folder's time may not move for changes close together: what is found is
        // still looked at, and listed anew when it has gone.
        const std::string cached = pick();
        if (cached.empty() || fs::exists(folder / cached, error)) {
            return cached;
        }
    }
    listing.byLowerName.clear();
    listing.changed = changed;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string entry = it->path().filename().string();
        listing.byLowerName.emplace(LowerAscii(entry), std::move(entry));
    }
    return pick();
}

// After the runner removed `path`: its folder's listing loses it and stays current.
void ForgetEntry(const fs::path& path) {
    const auto found = FolderListings().find(path.parent_path().string());
    if (found == FolderListings().end()) {
        return;
    }
    auto [first, last] =
        found->second.byLowerName.equal_range(LowerAscii(path.filename().string()));
    for (auto it = first; it != last; ++it) {
        if (it->second == path.filename().string()) {
            found->second.byLowerName.erase(it);
            break;
        }
    }
    std::error_code error;
    found->second.changed = fs::last_write_time(path.parent_path(), error);
}

// Finds the file or folder that `name` names, the way a file system without regard to case
// would: each step is taken as written when it exists, otherwise as the first entry of the
// folder (in name order) that differs from it only in case. Returns "" when some step
// does not exist.
std::string FindOnDisk(const std::string& workingDir, const std::string& name) {
    const std::string path = ToSlashes(name);
    fs::path found = (!path.empty() && path.front() == '/') ? fs::path("/") : fs::path(workingDir);
    bool anyStep = false;
    std::error_code error;
    for (const fs::path& step : fs::path(path).relative_path()) {
        const std::string text = step.string();
        if (text.empty() || text == ".") {
            continue;
        }
        anyStep = true;
        if (text == ".." || fs::exists(found / step, error)) {
            found /= step;
            continue;
        }
        const std::string match = FindIgnoringCase(found, text);
        if (match.empty()) {
            return "";
        }
        found /= match;
    }
    return anyStep ? found.string() : "";
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// Whether the file at `path` begins with `magic`.
bool BeginsWith(const std::string& path, std::string_view magic) {
    ReadOnlyFile file;
    if (!file.Open(path)) {
        return false;
    }
    char start[4] = {};
    return magic.size() <= sizeof start &&
           file.Read(start, magic.size()) == static_cast<long>(magic.size()) &&
           std::string_view(start, magic.size()) == magic;
}

// A Windows executable begins with the DOS header's "MZ".
bool IsWindowsProgram(const std::string& path) {
    return BeginsWith(path, "MZ");
}

// Writes to two buffers at once: what a program call makes the runner say is shown as
// before and kept for the report.
class TeeBuffer : public std::streambuf {
  public:
    TeeBuffer(std::streambuf* shown, std::string& kept) : shown_(shown), kept_(kept) {}

  protected:
    int overflow(int c) override {
        if (c != traits_type::eof()) {
            kept_ += static_cast<char>(c);
            return shown_->sputc(static_cast<char>(c));
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        kept_.append(s, static_cast<std::size_t>(n));
        return shown_->sputn(s, n);
    }
    int sync() override { return shown_->pubsync(); }

  private:
    std::streambuf* shown_;
    std::string& kept_;
};

// Runs programs through another runner, keeping how the last one ended for the report
// and showing its output on `out` as the program itself would have.
class CapturingRunner : public ProgramRunner {
  public:
    CapturingRunner(const ProgramRunner& inner, std::ostream& out) : inner_(inner), out_(out) {}

    Result Run(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingDir) const override {
        Result ran = inner_.RunCapturing(program, args, workingDir, last);
        started = ran.ok();
        out_ << last.output << std::flush;
        return ran;
    }
    Result RunArchiver(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir) const override {
        Result ran = inner_.RunArchiverCapturing(program, args, workingDir, last);
        started = ran.ok();
        out_ << last.output << std::flush;
        return ran;
    }
    void EndArchiver() const override { inner_.EndArchiver(); }
    std::string FindOnPath(const std::string& name) const override {
        return inner_.FindOnPath(name);
    }
    std::optional<std::string> Setting(const std::string& name) const override {
        return inner_.Setting(name);
    }

    mutable bool started = false;
    mutable Ended last;

  private:
    const ProgramRunner& inner_;
    std::ostream& out_;
};

std::string ReportField(const std::string& text) {
    std::string field;
    field.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\':
                field += "\\\\";
                break;
            case '\t':
                field += "\\t";
                break;
            case '\r':
                field += "\\r";
                break;
            case '\n':
                field += "\\n";
                break;
            default:
                field += c;
        }
    }
    return field;
}

class Interpreter {
  public:
    Interpreter(const std::string& workingDir, std::ostream& out, std::ostream& err,
                const ProgramRunner& run)
        : workingDir_(workingDir), out_(out), err_(err), run_(run) {}

    void RunLine(std::string_view line) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // Blanks at the end belong to the line: ECHO prints them.
        line = TrimFront(line);
        bool quiet = false;
        while (!line.empty() && line.front() == '@') {
            quiet = true;
            line = TrimFront(line.substr(1));
        }
        if (line.empty() || line.front() == ':') {
            return;
        }
        if (echo_ && !quiet) {
            out_ << workingDir_ << ">" << line << "\n";
        }
        if (IsCommand(line, "echo")) {
            Echo(line.substr(4));
            return;
        }
        if (IsCommand(line, "rem")) {
            return;
        }
        const std::vector<std::string> words = SplitArguments(line);
        if (words.empty()) {
            return;
        }
        const std::vector<std::string> args(words.begin() + 1, words.end());
        if (EqualsIgnoringAsciiCase(words[0], "attrib")) {
            Attrib(args);
        } else if (EqualsIgnoringAsciiCase(words[0], "del") ||
                   EqualsIgnoringAsciiCase(words[0], "erase")) {
            Delete(args);
        } else {
            RunProgramReported(words[0], args);
        }
    }

    // The script has run: nothing it started is left running.
    void End() { run_.EndArchiver(); }

    // From now on each program call is run through `capture` and reported to `report`.
    void ReportTo(CallReport& report, const CapturingRunner& capture) {
        report_ = &report;
        capture_ = &capture;
    }

  private:
    // The interpreter ends a keyword at a blank and, for ECHO and REM, also at the
    // characters that may follow it directly ("ECHO." prints an empty line).
    static bool IsCommand(std::string_view line, std::string_view keyword) {
        if (!StartsWithIgnoringAsciiCase(line, keyword)) {
            return false;
        }
        if (line.size() == keyword.size()) {
            return true;
        }
        const char next = line[keyword.size()];
        return IsBlank(next) || std::string_view(".:;,=(/+[]").find(next) != std::string_view::npos;
    }

    void Echo(std::string_view rest) {
        if (rest.empty()) {
            out_ << (echo_ ? "ECHO is on.\n" : "ECHO is off.\n");
            return;
        }
        const char separator = rest.front();
        const std::string_view text = rest.substr(1);
        if (IsBlank(separator)) {
            const std::string_view word = Trim(text);
            if (word.empty()) {
                out_ << (echo_ ? "ECHO is on.\n" : "ECHO is off.\n");
                return;
            }
            if (EqualsIgnoringAsciiCase(word, "off")) {
                echo_ = false;
                return;
            }
            if (EqualsIgnoringAsciiCase(word, "on")) {
                echo_ = true;
                return;
            }
        }
        out_ << text << "\n";
    }

    void Attrib(const std::vector<std::string>& args) {
        bool makeWritable = false;
        bool makeReadOnly = false;
        std::vector<std::string> names;
        for (const std::string& arg : args) {
            if (arg.size() == 2 && (arg[0] == '+' || arg[0] == '-')) {
                // Archive, system, hidden and the like mean nothing here.
                if (AsciiLower(arg[1]) == 'r') {
                    makeWritable = arg[0] == '-';
                    makeReadOnly = arg[0] == '+';
                }
            } else if (arg.size() == 2 && arg[0] == '/') {
                // Switches for folders and links do not apply to the files given by name.
            } else {
                names.push_back(arg);
            }
        }
        for (const std::string& name : names) {
            const std::string path = FindOnDisk(workingDir_, name);
            if (path.empty()) {
                out_ << "File not found - " << name << "\n";
                continue;
            }
            std::error_code error;
            if (makeWritable) {
                fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
            } else if (makeReadOnly) {
                fs::permissions(
                    path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, error);
            }
            if (error) {
                err_ << "Access denied - " << path << " (" << error.message() << ")\n";
            }
        }
    }

    void Delete(const std::vector<std::string>& args) {
        std::vector<std::string> names;
        for (const std::string& arg : args) {
            // Switches such as /F and /Q change nothing for a file given by name.
            if (!(arg.size() == 2 && arg[0] == '/')) {
                names.push_back(arg);
            }
        }
        if (names.empty()) {
            err_ << "The syntax of the command is incorrect.\n";
            return;
        }
        for (const std::string& name : names) {
            const std::string path = FindOnDisk(workingDir_, name);
            std::error_code error;
            if (path.empty() || !fs::exists(fs::symlink_status(path, error))) {
                err_ << "Could Not Find " << FullPath(workingDir_, name) << "\n";
                continue;
            }
            if (fs::is_directory(fs::symlink_status(path, error))) {
                err_ << "zrb-batch: DEL does not delete folders: " << path << "\n";
                continue;
            }
            if (!fs::remove(path, error)) {
                err_ << "Could not delete " << path << ": " << error.message() << "\n";
            } else {
                ForgetEntry(path);
            }
        }
    }

    // The file the command names: as given when it has an extension, else with ".exe"
    // added; "" if none.
    std::string FindProgram(const std::string& command) const {
        const std::string candidate =
            FindOnDisk(workingDir_, HasExtension(command) ? command : command + ".exe");
        return !candidate.empty() && IsFile(candidate) ? candidate : "";
    }

    static bool HasExtension(const std::string& command) {
        const std::string name = fs::path(ToSlashes(command)).filename().string();
        return name.find('.') != std::string::npos;
    }

    // A command without extension must name only the .exe: a file that the Windows
    // interpreter would run first, or that someone put beside the archiver, is refused
    // rather than run or passed over. True when refused.
    bool RefuseRival(const std::string& command) const {
        if (HasExtension(command) || !StaysInFolder(command)) {
            return false;
        }
        for (const char* suffix : {"", ".com", ".bat", ".cmd"}) {
            const std::string rival = FindOnDisk(workingDir_, command + suffix);
            std::error_code error;
            if (!rival.empty() && !fs::is_directory(rival, error)) {
                err_ << "zrb-batch: '" << command << "' was not run: " << rival
                     << " lies beside it, and the Windows command interpreter would run that "
                        "file instead. Remove or rename it.\n";
                return true;
            }
        }
        return false;
    }

    // The program that runs Windows programs: ZRB_WINE (a path, or a name on PATH),
    // else wine from PATH; "" with the reason in `why` when there is none.
    std::string WineProgram(std::string& why) const {
        const std::optional<std::string> named = run_.Setting("ZRB_WINE");
        if (!named || named->empty()) {
            why = "wine, which could run it, is not installed";
            return run_.FindOnPath("wine");
        }
        why = "ZRB_WINE names '" + *named + "', which is not on PATH";
        return named->find('/') != std::string::npos ? *named : run_.FindOnPath(*named);
    }

    void RunProgram(const std::string& command, const std::vector<std::string>& args) {
        // A pack script only ever runs the archiver beside it; a program named from
        // elsewhere on the disk is not looked for and counts as unknown.
        if (RefuseRival(command)) {
            return;
        }
        const std::string path = StaysInFolder(command) ? FindProgram(command) : "";
        if (path.empty()) {
            err_ << "'" << command
                 << "' is not recognized as an internal or external command,\n"
                    "operable program or batch file.\n";
            return;
        }

        std::string program = path;
        std::vector<std::string> programArgs = args;
        if (IsWindowsProgram(path)) {
            std::string why;
            program = WineProgram(why);
            if (program.empty()) {
                err_ << "zrb-batch: " << path << " is a Windows program, and " << why << ".\n";
                return;
            }
            programArgs.insert(programArgs.begin(), path);
        }
        // The program writes to the same terminal; what this runner printed comes first.
        out_.flush();
        err_.flush();
        const bool archiver = program == path && IsOurArchiverAdding(path, args);
        if (!archiver) {
            run_.EndArchiver();
        }
        if (Result ran = archiver ? run_.RunArchiver(program, programArgs, workingDir_)
                                  : run_.Run(program, programArgs, workingDir_);
            !ran) {
            err_ << "zrb-batch: " << ran.message() << "\n";
        }
    }

    // A call that the archiver kept running may take: our own sqzip, a Linux program (a
    // Windows one runs through wine, and a script of someone's is not asked to serve),
    // adding a file. Its answer to such a call is only ever on one of its output and
    // error, so it reads the same however it is collected.
    static bool IsOurArchiverAdding(const std::string& path, const std::vector<std::string>& args) {
        if (LowerAscii(fs::path(path).filename().string()) != "sqzip.exe" || args.empty() ||
            !BeginsWith(path,
                        "\x7f"
                        "ELF")) {
            return false;
        }
        const std::string first = LowerAscii(args[0]);
        return first.size() > 1 && first[0] == '-' &&
               first.find_first_not_of("af", 1) == std::string::npos &&
               first.find('a') != std::string::npos;
    }

    void RunProgramReported(const std::string& command, const std::vector<std::string>& args) {
        if (report_ == nullptr) {
            RunProgram(command, args);
            return;
        }
        capture_->started = false;
        capture_->last = {};
        std::string said;
        TeeBuffer tee(err_.rdbuf(), said);
        std::streambuf* const shown = err_.rdbuf(&tee);
        RunProgram(command, args);
        err_.rdbuf(shown);
        std::vector<std::string> named = {command};
        named.insert(named.end(), args.begin(), args.end());
        report_->Call(capture_->started ? capture_->last.exitStatus : -1,
                      said + capture_->last.output, named);
    }

    const std::string& workingDir_;
    std::ostream& out_;
    std::ostream& err_;
    const ProgramRunner& run_;
    bool echo_ = true;
    CallReport* report_ = nullptr;
    const CapturingRunner* capture_ = nullptr;
};

// The report file: a line as each call ends, flushed at once for the one watching.
class ReportFile : public CallReport {
  public:
    Result Open(const std::string& path) {
        // A file of that name left from before, or a link put there, is replaced, never
        // written through.
        RemoveFileIfPresent(path);
        file_.open(path, std::ios::binary | std::ios::trunc);
        if (!file_) {
            return Result::Failure("cannot create the report '" + path + "'");
        }
        Line("start\n");
        return Result::Success();
    }
    void Call(int status, const std::string& words,
              const std::vector<std::string>& command) override {
        Line(ReportLine(status, words, command));
    }
    void Line(const std::string& line) {
        if (file_.is_open()) {
            file_ << line << std::flush;
        }
    }

  private:
    std::ofstream file_;
};

Result ReadScript(const std::string& path, const std::string& shownName, std::string& text) {
    // Far above any pack script, even one for a hundred thousand models.
    constexpr std::uint64_t kMaxScriptBytes = std::uint64_t{1} << 30;
    if (Result read = ReadWholeFile(path, text, kMaxScriptBytes); !read) {
        return Result::Failure("cannot read script '" + shownName + "': " + read.message());
    }
    return Result::Success();
}

// Takes the lock `name` (relative to `workingDir`) when one is named: it tells the
// editor, and a second runner, that a pack is running in this folder.
Result HoldLock(const std::string& name, const std::string& workingDir, LockedFile& lock) {
    if (name.empty()) {
        return Result::Success();
    }
    bool busy = false;
    if (Result held = lock.Open(workingDir + "/" + name, true, false, &busy); !held) {
        return Result::Failure(busy ? "another pack is still running in this folder ('" + name +
                                          "' is held); nothing was run"
                                    : "cannot lock '" + name + "': " + held.message() +
                                          "; nothing was run");
    }
    return Result::Success();
}

Result OpenReport(const std::string& name, const std::string& workingDir, ReportFile& report) {
    if (name.empty()) {
        return Result::Success();
    }
    return report.Open(!name.empty() && name.front() == '/' ? name : workingDir + "/" + name);
}

}  // namespace

std::optional<std::string> ProgramRunner::Setting(const std::string& name) const {
    return Environment(name.c_str());
}

namespace {

int RunLines(std::istream& script, Interpreter& interpreter, std::ostream& out, std::ostream& err) {
    std::string line;
    while (std::getline(script, line)) {
        interpreter.RunLine(line);
    }
    interpreter.End();
    out.flush();
    if (script.bad()) {
        err << "zrb-batch: reading the script failed\n";
        return 1;
    }
    return 0;
}

}  // namespace

int RunBatch(std::istream& script, const std::string& workingDir, std::ostream& out,
             std::ostream& err, const ProgramRunner& run) {
    Interpreter interpreter(workingDir, out, err, run);
    return RunLines(script, interpreter, out, err);
}

int RunBatch(std::istream& script, const std::string& workingDir, std::ostream& out,
             std::ostream& err, const ProgramRunner& run, CallReport& report) {
    const CapturingRunner capture(run, out);
    Interpreter interpreter(workingDir, out, err, capture);
    interpreter.ReportTo(report, capture);
    return RunLines(script, interpreter, out, err);
}

std::string ReportLine(int status, const std::string& words,
                       const std::vector<std::string>& command) {
    std::string line = "call\t" + std::to_string(status) + "\t" + ReportField(words);
    for (const std::string& word : command) {
        line += '\t';
        line += ReportField(word);
    }
    return line + "\n";
}

int BatchMain(const std::vector<std::string>& args, const std::string& workingDir, std::istream& in,
              std::ostream& out, std::ostream& err, const ProgramRunner& run) {
    bool pause = false;
    std::vector<std::string> scripts;
    std::string reportName;
    std::string lockName;
    for (const std::string& arg : args) {
        if (arg == "--pause") {
            pause = true;
        } else if (arg.rfind("--report=", 0) == 0 && arg.size() > 9) {
            reportName = arg.substr(9);
        } else if (arg.rfind("--lock=", 0) == 0 && arg.size() > 7) {
            lockName = arg.substr(7);
        } else if (arg == "-h" || arg == "--help") {
            out << kUsage;
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            err << "zrb-batch: unknown option '" << arg << "'\n" << kUsage;
            return 2;
        } else {
            scripts.push_back(arg);
        }
    }
    if (scripts.size() != 1) {
        err << kUsage;
        return 2;
    }

    const std::string& name = scripts[0];
    const std::string path = !name.empty() && name.front() == '/' ? name : workingDir + "/" + name;
    std::string text;
    int status = 0;
    LockedFile lock;
    ReportFile report;
    if (Result held = HoldLock(lockName, workingDir, lock); !held) {
        err << "zrb-batch: " << held.message() << "\n";
        status = 1;
    } else if (Result opened = OpenReport(reportName, workingDir, report); !opened) {
        err << "zrb-batch: " << opened.message() << "\n";
        status = 1;
    } else if (Result read = ReadScript(path, name, text); !read) {
        err << "zrb-batch: " << read.message() << "\n";
        status = 1;
    } else if (reportName.empty()) {
        std::istringstream script(text);
        status = RunBatch(script, workingDir, out, err, run);
    } else {
        std::istringstream script(text);
        status = RunBatch(script, workingDir, out, err, run, report);
    }
    // The script has run: whoever waits for it may go on, before the window closes.
    report.Line(status == 0 ? "end\n" : "end\t" + std::to_string(status) + "\n");
    lock.RemoveAndClose();

    if (pause) {
        // A terminal window opened for the script closes when this program ends.
        out << "\nPress Enter to close this window." << std::flush;
        std::string ignored;
        std::getline(in, ignored);
    }
    return status;
}

}  // namespace zrb
