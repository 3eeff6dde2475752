#include "platform/Platform.h"
#include "platform/win32/Wide.h"

// After windows.h, which it needs.
#include <shellapi.h>

namespace zrb {

using win32::ErrorText;
using win32::Handle;
using win32::Wide;

namespace {

// One argument as the C runtime's command-line parser reads it back.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

}  // namespace

std::optional<RunFailure> RunProgram(const ProgramRun& run, int* exitStatus) {
    std::wstring line;
    AppendQuoted(line, Wide(run.program));
    for (const std::string& arg : run.args) {
        line += L' ';
        AppendQuoted(line, Wide(arg));
    }
    const std::wstring folder = Wide(run.workingFolder);
    if (!folder.empty() && KindOf(run.workingFolder) != EntryKind::Folder) {
        return RunFailure{RunStep::Folder, ErrorText(ERROR_PATH_NOT_FOUND)};
    }

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle input(run.noInput ? ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ, &inherit,
                                             OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE);
    Handle output;
    if (run.outputFile) {
        const std::wstring target = run.outputFile->empty() ? L"NUL" : Wide(*run.outputFile);
        output = Handle(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output.valid()) {
            return RunFailure{RunStep::Output, ErrorText(::GetLastError())};
        }
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool redirect = input.valid() || output.valid();
    if (redirect) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input.valid() ? input.get() : ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output.valid() ? output.get() : ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = output.valid() ? output.get() : ::GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process{};
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (run.detach ? DETACHED_PROCESS : 0);
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, redirect ? TRUE : FALSE, flags,
                          nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        return RunFailure{RunStep::Start, ErrorText(::GetLastError())};
    }
    const Handle thread(process.hThread);
    const Handle child(process.hProcess);
    if (!run.detach) {
        ::WaitForSingleObject(child.get(), INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(child.get(), &code);
        if (exitStatus != nullptr) {
            *exitStatus = static_cast<int>(code);
        }
    }
    return std::nullopt;
}

std::string FindOnSearchPath(const std::string& name, const std::string& searchPath) {
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(';', start);
        if (end == std::string::npos) {
            end = searchPath.size();
        }
        const std::string folder = searchPath.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "\\" + name;
            if (IsRunnable(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return {};
}

Result OpenWithShell(const std::string& path, const std::string& workingFolder) {
    const std::wstring file = Wide(path);
    const std::wstring folder = Wide(workingFolder);
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr,
                        folder.empty() ? nullptr : folder.c_str(), SW_SHOW));
    if (result <= 32) {
        // The codes below 32 are the old ones; most are also system errors.
        return Result::Failure(result == SE_ERR_NOASSOC
                                   ? std::string("no program is associated with it")
                                   : ErrorText(static_cast<DWORD>(result)));
    }
    return Result::Success();
}

Result StartConsole(const std::string& parameters, const std::string& workingFolder,
                    std::intptr_t& process) {
    // The system's own interpreter, never one of that name in the working folder.
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return Result::Failure(ErrorText(::GetLastError()));
    }
    const std::wstring interpreter = std::wstring(system) + L"\\cmd.exe";
    const std::wstring arguments = Wide(parameters);
    const std::wstring folder = Wide(workingFolder);
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    run.lpVerb = L"open";
    run.lpFile = interpreter.c_str();
    run.lpParameters = arguments.c_str();
    run.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    run.nShow = SW_SHOW;
    if (!::ShellExecuteExW(&run)) {
        return Result::Failure(ErrorText(::GetLastError()));
    }
    process = reinterpret_cast<std::intptr_t>(run.hProcess);
    return Result::Success();
}

void WaitForProcess(std::intptr_t process) {
    if (process == 0) {
        return;
    }
    const auto handle = reinterpret_cast<HANDLE>(process);
    ::WaitForSingleObject(handle, INFINITE);
    ::CloseHandle(handle);
}

}  // namespace zrb
