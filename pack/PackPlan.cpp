#include "pack/PackPlan.h"

#include <utility>

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

Result MakePackPlan(const ModelWorkspace& workspace, PackKind kind,
                    const std::vector<std::string>& names, PackPlan& plan) {
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

    PackPlan made;
    const FileCopy archiver{JoinPath(workspace.startFolder, kArchiverName),
                            JoinPath(workspace.archiveFolder, kArchiverName), false};
    made.copies.reserve(names.size() + 1);
    if (kind == PackKind::All) {
        made.copies.push_back(archiver);
    }
    for (const std::string& name : names) {
        made.copies.push_back(FileCopy{JoinPath(workspace.modelsFolder, name),
                                       JoinPath(workspace.archiveFolder, name), true});
    }
    if (kind == PackKind::Selected) {
        made.copies.push_back(archiver);
    }
    made.script = PackScript(workspace.archiveFile, names);
    made.scriptPath = JoinPath(workspace.archiveFolder, kScriptName);
    made.workingFolder = workspace.archiveFolder;
    if (HasModelsFolder(workspace)) {
        made.deletePath = JoinPath(workspace.modelsFolder, kScriptName);
    }
    plan = std::move(made);
    return Result::Success();
}

}  // namespace zrb
