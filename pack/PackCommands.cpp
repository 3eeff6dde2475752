#include "pack/PackCommands.h"

#include <algorithm>
#include <string>
#include <vector>

#include "pack/PackPlan.h"
#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {

namespace {

const FileDialogRequest& ArchiveDialog() {
    // Not a file that must exist: the archiver creates a missing archive.
    static const FileDialogRequest request{FileDialogType::Save, "sqs", "*.sqs", false,
                                           "SQS Archive (*.sqs)|*.sqs||"};
    return request;
}

// The script deletes the model copies it packed by name, in its own folder: in the
// models folder those would be the models themselves.
Result CheckNotModelsFolder(const ModelWorkspace& workspace, const std::string& archiveFolder) {
    if (HasModelsFolder(workspace) && IsSameFolder(workspace.modelsFolder, archiveFolder)) {
        return Result::Failure("The archive cannot lie in the models folder \"" +
                               workspace.modelsFolder +
                               "\": packing deletes the copies it makes next to the archive, "
                               "and there they would be the models themselves. Choose an "
                               "archive in another folder.");
    }
    return Result::Success();
}

// What the plan needs from the disk: which archivers lie where, and the code page the
// script is read in.
PackFindings LookAround(const ModelWorkspace& workspace) {
    PackFindings findings;
    std::vector<std::string> inArchiveFolder;
    // A folder that cannot be listed holds nothing found; copying into it fails later
    // and says why.
    (void)ListFolder(workspace.archiveFolder, inArchiveFolder);
    findings.archiverInArchiveFolder = FindArchiver(inArchiveFolder);
    findings.archiverRival = FindArchiverRival(inArchiveFolder);
    findings.archiverInStartFolder =
        KindOf(JoinPath(workspace.startFolder, kArchiverName)) == EntryKind::File;
    findings.programFolder = ProgramFolder();
    findings.archiverInProgramFolder =
        !findings.programFolder.empty() &&
        KindOf(JoinPath(findings.programFolder, kArchiverName)) == EntryKind::File;
    findings.codePage = ScriptCodePage();
    findings.encode = [codePage = findings.codePage](const std::string& text) {
        return ToCodePage(text, codePage);
    };
    return findings;
}

// An archiver found in the archive folder runs as it is; on a system of several users
// it must be one that no other user could have put there or changed.
Result CheckArchiverTrusted(const PackPlan& plan) {
    if (plan.archiverCopied()) {
        return Result::Success();
    }
    if (Result trusted = CheckOnlyOwnerCanChange(plan.archiverFrom); !trusted) {
        return Result::Failure("The archiver " + Quote(plan.archiverFrom) +
                               " beside the archive was not run: " + trusted.message() +
                               ", so someone else could have put it there or changed it. "
                               "Make it and its folder yours alone, or remove it so that the "
                               "editor's own archiver is used. Nothing was packed.");
    }
    return Result::Success();
}

// Pack Selected's model must be a file of the models folder: a FIFO would hang the copy,
// a device fill the disk, a link out of the folder pack what the user never chose.
Result CheckSelectedModel(const ModelWorkspace& workspace) {
    if (!HasModelsFolder(workspace) || workspace.currentFile.empty()) {
        return Result::Success();  // the plan refuses that itself
    }
    const std::string path = JoinPath(workspace.modelsFolder, workspace.currentFile);
    const std::string shown = Quote(workspace.currentFile);
    if (IsLinkOutOfFolder(path, workspace.modelsFolder)) {
        return Result::Failure("The model " + shown +
                               " cannot be packed: it is a symbolic link to a file outside the "
                               "models folder. Nothing was packed.");
    }
    switch (KindOf(path)) {
        case EntryKind::Folder:
            return Result::Failure("The model " + shown +
                                   " cannot be packed: it is a folder. Nothing was packed.");
        case EntryKind::Other:
            return Result::Failure("The model " + shown +
                                   " cannot be packed: it is not a regular file. Nothing was "
                                   "packed.");
        default:
            return Result::Success();
    }
}

// Whether the listed entry `name` is a symbolic link leading out of the models folder.
bool IsLinkOut(const ModelWorkspace& workspace, const std::string& name) {
    return HasModelsFolder(workspace) &&
           IsLinkOutOfFolder(JoinPath(workspace.modelsFolder, name), workspace.modelsFolder);
}

// Lists, for the user, the links Pack All left out.
std::string LinkedOutNote(const std::vector<std::string>& linked) {
    constexpr std::size_t kNamed = 10;
    std::string note = linked.size() == 1 ? "This entry is a symbolic link to a file outside the "
                                            "models folder and was not packed:"
                                          : "These entries are symbolic links to files outside "
                                            "the models folder and were not packed:";
    for (std::size_t i = 0; i < linked.size() && i < kNamed; ++i) {
        note += (i == 0 ? " \"" : ", \"") + linked[i] + "\"";
    }
    if (linked.size() > kNamed) {
        note += " and " + std::to_string(linked.size() - kNamed) + " more";
    }
    return note + ".";
}

void Warn(PackOps& window, const Result& result) {
    if (!result) {
        window.MessageBox(result.message(), MessageIcon::Warning);
    }
}

// A pack that stops before its script runs leaves no model copies behind.
void RemoveModelCopies(const PackPlan& plan, std::size_t made) {
    for (std::size_t i = 0; i < made; ++i) {
        if (plan.copies[i].isModel) {
            RemoveFileIfPresent(plan.copies[i].destination);
        }
    }
}

// Copies every file of the plan in order, reporting progress when asked to. Success
// with `cancelled` set when the user cancelled.
Result MakeCopies(const PackPlan& plan, PackOps& window, bool showProgress, bool& cancelled) {
    const std::size_t total = plan.copies.size();
    // A few hundred updates at most: the window need not redraw for every small file.
    const std::size_t step = std::max<std::size_t>(1, total / 256);
    cancelled = showProgress && !window.Progress(0, total);
    for (std::size_t i = 0; i < total && !cancelled; ++i) {
        const FileCopy& copy = plan.copies[i];
        Result copied = CopyFileReplacing(copy.source, copy.destination,
                                          copy.isModel ? CopyMode::Data : CopyMode::Executable);
        if (!copied) {
            RemoveModelCopies(plan, i);
            return Result::Failure("Could not copy " + Quote(copy.source) + " to " +
                                   Quote(copy.destination) + " (" + copied.message() +
                                   "). Nothing was packed.");
        }
        const std::size_t done = i + 1;
        if (showProgress && (done % step == 0 || done == total) && !window.Progress(done, total)) {
            RemoveModelCopies(plan, done);
            cancelled = true;
        }
    }
    return Result::Success();
}

Result Pack(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher,
            PackKind kind, const std::vector<std::string>& names, RunningPack* started) {
    PackPlan plan;
    if (Result planned = MakePackPlan(workspace, kind, names, LookAround(workspace), plan);
        !planned) {
        return planned;
    }
    if (Result folder = CheckNotModelsFolder(workspace, workspace.archiveFolder); !folder) {
        return folder;
    }
    if (Result trusted = CheckArchiverTrusted(plan); !trusted) {
        return trusted;
    }
    if (Result ready = launcher.CheckReady(workspace.startFolder); !ready) {
        return ready;
    }
    if (Result free = launcher.CheckFolderFree(workspace.archiveFolder); !free) {
        return free;
    }

    bool cancelled = false;
    if (Result copied = MakeCopies(plan, window, kind == PackKind::All, cancelled); !copied) {
        return copied;
    }
    if (cancelled) {
        return Result::Success();  // the user knows; nothing to report
    }
    // Our own leftover goes first, so that a read-only one, or a link into another
    // folder, is replaced rather than refused or written through; the new script is a
    // new file, never opened through a link put there in between. It runs at once and
    // is deleted by the next pack: it need not wait for the disk.
    RemoveFileIfPresent(plan.scriptPath);
    if (Result written = WriteNewFile(plan.scriptPath, plan.script); !written) {
        RemoveModelCopies(plan, plan.copies.size());
        return Result::Failure("Could not write the pack script " + Quote(plan.scriptPath) + " (" +
                               written.message() + "). Nothing was packed.");
    }
    RunningPack running = WatchFor(workspace, plan, names);
    Result launched = launcher.Launch(ScriptLaunch{workspace.startFolder, plan.workingFolder,
                                                   plan.scriptPath, std::string(kScriptName)});
    if (launched && started != nullptr) {
        running.process = launcher.TakeStartedProcess();
        *started = std::move(running);
    }
    // A leftover script in the models folder goes, whatever the launch did; never the one
    // just written, should both folders be one after all.
    if (!plan.deletePath.empty() && !IsSameFolder(workspace.modelsFolder, plan.workingFolder)) {
        RemoveFileIfPresent(plan.deletePath);
    }
    return launched;
}

// Whether the listed entry `name` is there but is no file: a folder or a special file.
bool IsNoFile(const ModelWorkspace& workspace, const std::string& name) {
    if (!HasModelsFolder(workspace)) {
        return false;  // the pack refuses that itself
    }
    const EntryKind kind = KindOf(JoinPath(workspace.modelsFolder, name));
    return kind == EntryKind::Folder || kind == EntryKind::Other;
}

// Lists, for the user, the entries Pack All left out.
std::string SkippedNote(const std::vector<std::string>& skipped) {
    constexpr std::size_t kNamed = 10;
    std::string note = skipped.size() == 1 ? "This entry is not a model file and was not packed:"
                                           : "These entries are not model files and were not "
                                             "packed:";
    for (std::size_t i = 0; i < skipped.size() && i < kNamed; ++i) {
        note += (i == 0 ? " \"" : ", \"") + skipped[i] + "\"";
    }
    if (skipped.size() > kNamed) {
        note += " and " + std::to_string(skipped.size() - kNamed) + " more";
    }
    return note + ".";
}

}  // namespace

void DefineArchiveLocation(ModelWorkspace& workspace, PackOps& window) {
    const FileDialogAnswer answer = window.FileDialog(ArchiveDialog());
    if (!answer.confirmed || answer.fileName.empty()) {
        return;
    }
    std::string folder = FolderOfPickedFile(answer.path, answer.fileName);
    if (Result name = CheckArchiveName(answer.fileName); !name) {
        Warn(window, name);
        return;
    }
    if (Result checked = CheckNotModelsFolder(workspace, folder); !checked) {
        Warn(window, checked);
        return;
    }
    workspace.archiveFile = answer.fileName;
    workspace.archiveFolder = std::move(folder);
}

void PackSelected(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher,
                  RunningPack* started) {
    if (Result model = CheckSelectedModel(workspace); !model) {
        Warn(window, model);
        return;
    }
    Warn(window,
         Pack(workspace, window, launcher, PackKind::Selected, {workspace.currentFile}, started));
}

void PackAll(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher,
             RunningPack* started) {
    // The list holds folders named like models too; one of them must not stop the rest.
    // A file that has gone since it was listed is another matter: its copy fails and
    // says so.
    std::vector<std::string> names;
    std::vector<std::string> skipped;
    std::vector<std::string> linkedOut;
    const int count = window.ListCount();
    if (count > 0) {
        names.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            std::string name = window.ListText(i);
            if (IsLinkOut(workspace, name)) {
                linkedOut.push_back(std::move(name));
                continue;
            }
            (IsNoFile(workspace, name) ? skipped : names).push_back(std::move(name));
        }
    }
    const Result packed = Pack(workspace, window, launcher, PackKind::All, names, started);
    window.ProgressEnded();
    Warn(window, packed);
    if (packed && (!skipped.empty() || !linkedOut.empty())) {
        std::string note = skipped.empty() ? std::string() : SkippedNote(skipped);
        if (!linkedOut.empty()) {
            if (!note.empty()) {
                note += ' ';
            }
            note += LinkedOutNote(linkedOut);
        }
        window.MessageBox(note, MessageIcon::Warning);
    }
}

void PackSelected(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher) {
    PackSelected(workspace, window, launcher, nullptr);
}

void PackAll(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher) {
    PackAll(workspace, window, launcher, nullptr);
}

void PackSelected(const ModelWorkspace& workspace, PackOps& window) {
    PackSelected(workspace, window, SystemScriptLauncher());
}

void PackAll(const ModelWorkspace& workspace, PackOps& window) {
    PackAll(workspace, window, SystemScriptLauncher());
}

}  // namespace zrb
