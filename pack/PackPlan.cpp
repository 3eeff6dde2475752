#include "pack/PackPlan.h"

#include <utility>

#include "platform/Text.h"

namespace zrb {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHyphens = "-------------------------------------------------";

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// Control characters would make a message box hard to read; they are the reason the
// name is refused, and the reason says which one.
std::string Printable(std::string_view name) {
    std::string shown(name);
    for (char& c : shown) {
        if (IsControl(static_cast<unsigned char>(c))) {
            c = '?';
        }
    }
    return shown;
}

// The names the pack writes into the archive folder itself; a model or archive of one
// of these names would be overwritten or deleted by the pack.
bool IsPackFileName(std::string_view name) {
    return ModelNameEqualsIgnoringCase(name, kArchiverName) ||
           ModelNameEqualsIgnoringCase(name, kScriptName) ||
           ModelNameEqualsIgnoringCase(name, kScriptLogName);
}

Result CheckModelName(std::string_view name, std::string_view archiveFile) {
    const std::string why = WhyNameIsUnsafe(name);
    if (!why.empty()) {
        return Result::Failure("The model \"" + Printable(name) + "\" cannot be packed: its name " +
                               why + ". Rename the file and try again.");
    }
    if (IsPackFileName(name)) {
        return Result::Failure("The model \"" + Printable(name) +
                               "\" cannot be packed: the pack uses a file of that name itself. "
                               "Rename the file and try again.");
    }
    // The script deletes each model's copy by name; with the archive's name that would
    // be the archive.
    if (ModelNameEqualsIgnoringCase(name, archiveFile)) {
        return Result::Failure("The model \"" + Printable(name) +
                               "\" cannot be packed into an archive of the same name.");
    }
    return Result::Success();
}

// The script names each file in the code page the command interpreter reads it in;
// a name with no place there would reach the archiver as another name.
Result CheckCodePage(const std::vector<std::string>& names, const std::string& archiveFile,
                     const PackFindings& findings) {
    if (findings.codePage == 0) {
        return Result::Success();
    }
    const std::string why = "its name holds a character that the Windows console (code page " +
                            std::to_string(findings.codePage) +
                            ") cannot show, so the pack script could not name the file";
    if (!findings.encode(archiveFile)) {
        return Result::Failure("The archive \"" + Printable(archiveFile) +
                               "\" cannot be used: " + why +
                               ". Rename it, or choose Pack, Define Archive Location and "
                               "pick another name.");
    }
    for (const std::string& name : names) {
        if (!findings.encode(name)) {
            return Result::Failure("The model \"" + Printable(name) + "\" cannot be packed: " +
                                   why + ". Rename the file and try again.");
        }
    }
    return Result::Success();
}

// Which archiver runs; fails, naming every place looked at, when there is none.
Result ChooseArchiver(const ModelWorkspace& workspace, const PackFindings& findings,
                      PackPlan& plan) {
    if (!findings.archiverRival.empty()) {
        return Result::Failure(
            "Packing was refused: " +
            Quote(JoinPath(workspace.archiveFolder, findings.archiverRival)) +
            " lies beside the archive, and the command interpreter would run that file in "
            "place of the archiver sqzip.exe. Remove or rename it and try again. Nothing was "
            "packed.");
    }
    const std::string inStart = JoinPath(workspace.startFolder, kArchiverName);
    const std::string inProgram = findings.programFolder.empty()
                                      ? std::string()
                                      : JoinPath(findings.programFolder, kArchiverName);
    if (!findings.archiverInArchiveFolder.empty()) {
        plan.archiverSource = ArchiverSource::ArchiveFolder;
        plan.archiverFrom = JoinPath(workspace.archiveFolder, findings.archiverInArchiveFolder);
    } else if (findings.archiverInStartFolder) {
        plan.archiverSource = ArchiverSource::StartFolder;
        plan.archiverFrom = inStart;
    } else if (findings.archiverInProgramFolder && !inProgram.empty()) {
        plan.archiverSource = ArchiverSource::ProgramFolder;
        plan.archiverFrom = inProgram;
    } else {
        std::string missing = Quote(inStart) + " is missing";
        if (!inProgram.empty() && inProgram != inStart) {
            missing += ", and so is " + Quote(inProgram);
        }
        return Result::Failure("The archiver was not found: " + missing +
                               ". Put the simulation's sqzip.exe into the archive's folder, or "
                               "beside the editor. Nothing was packed.");
    }
    return Result::Success();
}

bool IsArchiverRival(std::string_view name) {
    for (const std::string_view rival : {"sqzip", "sqzip.com", "sqzip.bat", "sqzip.cmd"}) {
        if (EqualsIgnoringAsciiCase(name, rival)) {
            return true;
        }
    }
    return false;
}

void AppendLine(std::string& script, std::string_view a, std::string_view b = {},
                std::string_view c = {}, std::string_view d = {}) {
    script += a;
    script += b;
    script += c;
    script += d;
    script += kLineEnd;
}

}  // namespace

std::string WhyNameIsUnsafe(std::string_view name) {
    if (name.empty()) {
        return "is empty";
    }
    if (name == "." || name == "..") {
        return "names a folder";
    }
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\n' || u == '\r') {
            return "contains a line break";
        }
        // TAB included: no file name needs one, and every line stays plain text.
        if (IsControl(u)) {
            return "contains a control character";
        }
        // Quotes end the quoting; % and ! expand variables even inside it; separators,
        // drive colons and wildcards would make DEL reach other files.
        switch (c) {
            case '"':
            case '%':
            case '!':
            case '/':
            case '\\':
            case ':':
            case '*':
            case '?':
                return std::string("contains the character \"") + c + "\"";
            default:
                break;
        }
    }
    return {};
}

bool NameNeedsQuotes(std::string_view name) {
    for (const char c : name) {
        switch (c) {
            case ' ':
            case '&':
            case '|':
            case '<':
            case '>':
            case '^':
            case '(':
            case ')':
            case ',':
            case ';':
            case '=':
                return true;
            default:
                break;
        }
    }
    return false;
}

std::string ScriptWord(std::string_view name, std::string_view prefix) {
    std::string word;
    const bool quoted = NameNeedsQuotes(name);
    word.reserve(name.size() + prefix.size() + 2);
    if (quoted) {
        word += '"';
    }
    word += prefix;
    word += name;
    if (quoted) {
        word += '"';
    }
    return word;
}

std::string PackScript(std::string_view archiveFile, const std::vector<std::string>& names) {
    const std::string archive = ScriptWord(archiveFile);
    const std::string archiveArgument = ScriptWord(archiveFile, ".\\");
    std::string script;
    script.reserve(120 + names.size() * (64 + archiveArgument.size()));
    AppendLine(script, "@ECHO OFF");
    AppendLine(script, "ATTRIB -R ", archive);
    for (const std::string& name : names) {
        // A name that needs quotes is quoted in the ECHO line too: unquoted, & | < > ^
        // would still act there. The console then shows the quotes, which is harmless.
        const std::string word = ScriptWord(name);
        AppendLine(script, "ECHO Installing ", word, "...");
        AppendLine(script, ".\\SQZIP -a -f ", word, " ", archiveArgument);
        AppendLine(script, "DEL ", word);
    }
    AppendLine(script, "ECHO ", kHyphens);
    script += "ECHO Installation Completed! You can close this window";
    return script;
}

Result CheckArchiveName(std::string_view archiveFile) {
    std::string why = WhyNameIsUnsafe(archiveFile);
    if (why.empty() && IsPackFileName(archiveFile)) {
        why = "is used by the pack itself";
    }
    if (!why.empty()) {
        return Result::Failure("The archive \"" + Printable(archiveFile) +
                               "\" cannot be used: its name " + why +
                               ". Choose Pack, Define Archive Location and pick another name.");
    }
    return Result::Success();
}

bool HasModelsFolder(const ModelWorkspace& workspace) {
    return !workspace.modelsFolder.empty() || !workspace.currentFile.empty();
}

std::string FindArchiver(const std::vector<std::string>& folderNames) {
    std::string found;
    for (const std::string& name : folderNames) {
        if (name == kArchiverName) {
            return name;
        }
        if (EqualsIgnoringAsciiCase(name, kArchiverName) && (found.empty() || name < found)) {
            found = name;
        }
    }
    return found;
}

std::string FindArchiverRival(const std::vector<std::string>& folderNames) {
    for (const std::string& name : folderNames) {
        if (IsArchiverRival(name)) {
            return name;
        }
    }
    return {};
}

Result MakePackPlan(const ModelWorkspace& workspace, PackKind kind,
                    const std::vector<std::string>& names, PackPlan& plan) {
    return MakePackPlan(workspace, kind, names, PackFindings{}, plan);
}

Result MakePackPlan(const ModelWorkspace& workspace, PackKind kind,
                    const std::vector<std::string>& names, const PackFindings& findings,
                    PackPlan& plan) {
    if (workspace.archiveFile.empty()) {
        return Result::Failure(
            "No archive has been chosen yet. Choose Pack, Define Archive Location first.");
    }
    if (kind == PackKind::Selected && (names.size() != 1 || names.front().empty())) {
        return Result::Failure("No motion model is loaded. Open a motion model first.");
    }
    if (Result archive = CheckArchiveName(workspace.archiveFile); !archive) {
        return archive;
    }
    for (const std::string& name : names) {
        if (Result checked = CheckModelName(name, workspace.archiveFile); !checked) {
            return checked;
        }
    }
    if (Result encodable = CheckCodePage(names, workspace.archiveFile, findings); !encodable) {
        return encodable;
    }

    PackPlan made;
    if (Result chosen = ChooseArchiver(workspace, findings, made); !chosen) {
        return chosen;
    }
    made.copies.reserve(names.size() + 1);
    const bool copyArchiver = made.archiverCopied();
    const FileCopy archiver{made.archiverFrom, JoinPath(workspace.archiveFolder, kArchiverName),
                            false};
    if (kind == PackKind::All && copyArchiver) {
        made.copies.push_back(archiver);
    }
    for (const std::string& name : names) {
        made.copies.push_back(FileCopy{JoinPath(workspace.modelsFolder, name),
                                       JoinPath(workspace.archiveFolder, name), true});
    }
    if (kind == PackKind::Selected && copyArchiver) {
        made.copies.push_back(archiver);
    }
    made.script = PackScript(workspace.archiveFile, names);
    if (findings.codePage != 0) {
        // Only the names are not ASCII, and each was found to have its place.
        std::optional<std::string> encoded = findings.encode(made.script);
        if (!encoded) {
            return Result::Failure(
                "The pack script could not be written in the Windows "
                "console's code page " +
                std::to_string(findings.codePage) + ". Nothing was packed.");
        }
        made.script = std::move(*encoded);
    }
    made.scriptPath = JoinPath(workspace.archiveFolder, kScriptName);
    made.workingFolder = workspace.archiveFolder;
    if (HasModelsFolder(workspace)) {
        made.deletePath = JoinPath(workspace.modelsFolder, kScriptName);
    }
    plan = std::move(made);
    return Result::Success();
}

}  // namespace zrb
