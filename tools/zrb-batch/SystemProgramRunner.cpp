#include "tools/zrb-batch/SystemProgramRunner.h"

#include <charconv>

#include "platform/Platform.h"

namespace zrb {

Result SystemProgramRunner::Run(const std::string& program, const std::vector<std::string>& args,
                                const std::string& workingDir) const {
    ProgramRun run;
    run.program = program;
    run.args = args;
    run.workingFolder = workingDir;
    if (const std::optional<RunFailure> failed = RunProgram(run)) {
        return Result::Failure("cannot run " + program + ": " + failed->reason);
    }
    return Result::Success();
}

std::string SystemProgramRunner::FindOnPath(const std::string& name) const {
    return FindOnSearchPath(name, Environment("PATH").value_or(""));
}

Result SystemProgramRunner::RunCapturing(const std::string& program,
                                         const std::vector<std::string>& args,
                                         const std::string& workingDir, Ended& ended) const {
    ProgramRun run;
    run.program = program;
    run.args = args;
    run.workingFolder = workingDir;
    ended = {};
    if (const std::optional<RunFailure> failed =
            RunProgramCapturing(run, &ended.exitStatus, ended.output)) {
        return Result::Failure("cannot run " + program + ": " + failed->reason);
    }
    return Result::Success();
}

namespace {

// How sqzip is asked to serve, and how it says it does (tools/sqzip/Sqzip.h).
constexpr const char* kServeOption = "--serve-runner";
constexpr const char* kServeGreeting = "sqzip serves 1";

std::string Decimal(std::size_t number) {
    char text[24];
    return std::string(text, std::to_chars(text, text + sizeof text, number).ptr);
}

template <typename Number>
bool ParseDecimal(std::string_view text, Number& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

Result SystemProgramRunner::RunArchiverCapturing(const std::string& program,
                                                 const std::vector<std::string>& args,
                                                 const std::string& workingDir,
                                                 Ended& ended) const {
    if (StartServing(program, workingDir) && Serve(args, ended)) {
        return Result::Success();
    }
    // No answer: the call runs as a process of its own. Adding a file twice leaves the
    // archive as adding it once does, so a call the served process may have run before
    // it ended is safe to run again.
    return RunCapturing(program, args, workingDir, ended);
}

void SystemProgramRunner::EndArchiver() const {
    served_.End();
    servedProgram_.clear();
}

bool SystemProgramRunner::StartServing(const std::string& program,
                                       const std::string& workingDir) const {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_time_type changed = fs::last_write_time(program, error);
    const std::uintmax_t size = error ? 0 : fs::file_size(program, error);
    if (error) {
        EndArchiver();
        return false;
    }
    if (served_.running() && program == servedProgram_ && workingDir == servedFolder_ &&
        changed == servedChanged_ && size == servedSize_) {
        return true;
    }
    // Another archiver, or the same file replaced: what runs must be what is there now.
    EndArchiver();
    const std::string key = program + '\n' + workingDir;
    if (notServing_.count(key) != 0) {
        return false;
    }
    ProgramRun run;
    run.program = program;
    run.args = {kServeOption};
    run.workingFolder = workingDir;
    std::string greeting;
    if (served_.Start(run) || !served_.ReceiveLine(greeting) || greeting != kServeGreeting) {
        served_.End();
        notServing_.insert(key);
        return false;
    }
    servedProgram_ = program;
    servedFolder_ = workingDir;
    servedChanged_ = changed;
    servedSize_ = size;
    return true;
}

bool SystemProgramRunner::Serve(const std::vector<std::string>& args, Ended& ended) const {
    std::string call = Decimal(args.size()) + "\n";
    for (const std::string& arg : args) {
        call += Decimal(arg.size());
        call += '\n';
        call += arg;
    }
    std::string header;
    std::size_t space = 0;
    int status = 0;
    std::size_t size = 0;
    ended = {};
    if (!served_.Send(call) || !served_.ReceiveLine(header) ||
        (space = header.find(' ')) == std::string::npos ||
        !ParseDecimal(std::string_view(header).substr(0, space), status) ||
        !ParseDecimal(std::string_view(header).substr(space + 1), size) ||
        !served_.Receive(size, ended.output)) {
        EndArchiver();
        ended = {};
        return false;
    }
    ended.exitStatus = status;
    return true;
}

}  // namespace zrb
