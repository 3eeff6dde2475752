#pragma once
// What a pack command will do, worked out from the workspace and the model names alone,
// before any file is touched: the copies, the script's bytes, and where the script is
// written, started and deleted. Plain string work: no file system, no window.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Workspace.h"
#include "platform/Result.h"

namespace zrb {

inline constexpr std::string_view kArchiverName = "sqzip.exe";
inline constexpr std::string_view kScriptName = "Install_ZRB.bat";
// Where a script started without a console window leaves its output.
inline constexpr std::string_view kScriptLogName = "Install_ZRB.log";

enum class PackKind {
    Selected,  // the current model: model copy first, then the archiver
    All,       // every listed model: the archiver first, then the models
};

struct FileCopy {
    std::string source;
    std::string destination;
    bool isModel = false;  // false for the archiver

    bool operator==(const FileCopy&) const = default;
};

// Where the archiver that the script runs comes from.
enum class ArchiverSource {
    ArchiveFolder,  // already in the archive's folder (the simulation's own): run as it is
    StartFolder,    // copied from the folder the editor was started from
    ProgramFolder,  // copied from the folder of the editor's program file
};

struct PackPlan {
    std::vector<FileCopy> copies;  // in the order they are made
    std::string script;            // the exact bytes of the script
    std::string scriptPath;        // archiveFolder/Install_ZRB.bat: written and started here
    std::string workingFolder;     // archiveFolder: the script's relative names point here
    std::string deletePath;        // modelsFolder/Install_ZRB.bat; empty: nothing to delete
    ArchiverSource archiverSource = ArchiverSource::StartFolder;
    std::string archiverFrom;  // the archiver's file: the one copied, or the one run as it is
    bool archiverCopied() const { return archiverSource != ArchiverSource::ArchiveFolder; }
};

// What the file system holds, looked at by the pack command before the plan is made.
struct PackFindings {
    // The archive folder's sqzip.exe as it is spelled there; empty when it has none.
    std::string archiverInArchiveFolder;
    // A file there that the command interpreter would run for ".\SQZIP" in place of
    // sqzip.exe (sqzip.com, sqzip.bat, ...), as spelled there; empty when none.
    std::string archiverRival;
    bool archiverInStartFolder = true;
    std::string programFolder;  // empty: unknown
    bool archiverInProgramFolder = false;
    // The code page the command interpreter reads the script in; 0: the names' own UTF-8.
    unsigned codePage = 0;
    // A name in that code page, or nothing when it has no place there.
    std::function<std::optional<std::string>(const std::string&)> encode;
};

// The archive folder's entry that is the archiver, as spelled there: "sqzip.exe" when
// there is one of exactly that name, else the first that differs only in case; "".
std::string FindArchiver(const std::vector<std::string>& folderNames);

// The first entry that the command interpreter, or our runner, would run for ".\SQZIP"
// besides sqzip.exe: sqzip.com, sqzip.bat, sqzip.cmd or sqzip, in any case; "" if none.
std::string FindArchiverRival(const std::vector<std::string>& folderNames);

// Why `name` cannot go into the script whatever the quoting (for example "it contains
// the character \"%\""), or empty when it can.
std::string WhyNameIsUnsafe(std::string_view name);

// Whether `name` must stand in double quotes: it holds blanks or characters that
// the command interpreter treats specially.
bool NameNeedsQuotes(std::string_view name);

// `prefix` + `name` as one script word, in double quotes when the name needs them.
std::string ScriptWord(std::string_view name, std::string_view prefix = {});

// Fails, with a message for the user, when `archiveFile` cannot be written safely into
// the script or is the name of one of the pack's own files.
Result CheckArchiveName(std::string_view archiveFile);

// The script for `archiveFile` and `names`, whose names must all be safe. Every line but
// the last ends in CR LF; the last ends with "window".
std::string PackScript(std::string_view archiveFile, const std::vector<std::string>& names);

// The plan for packing `names` (for PackKind::Selected, the current file alone).
// Fails, with a message for the user, when no archive has been defined, when Selected
// has no model, or when a name cannot be written safely into the script or would clash
// with the pack's own files; `plan` is then left unchanged.
Result MakePackPlan(const ModelWorkspace& workspace, PackKind kind,
                    const std::vector<std::string>& names, PackPlan& plan);

// The same as the file system was found. The archiver already in the archive folder
// runs as it is; otherwise it is copied from the start folder, or failing that from the
// program's folder. Also fails when no archiver is to be had, when a rival would run in
// its place, or when a name has no place in the script's code page; the message names
// the file and says what to do.
Result MakePackPlan(const ModelWorkspace& workspace, PackKind kind,
                    const std::vector<std::string>& names, const PackFindings& findings,
                    PackPlan& plan);

// Whether the workspace names a models folder at all: an empty folder string is the
// root folder once a model was opened from there, and no folder before any was opened.
bool HasModelsFolder(const ModelWorkspace& workspace);

}  // namespace zrb
