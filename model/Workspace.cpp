#include "model/Workspace.h"

#include <algorithm>
#include <iterator>

#include "model/InputFile.h"
#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {

const FileDialogRequest& ModelFileDialog(FileDialogType type) {
    static const FileDialogRequest open{FileDialogType::Open, "zrb", "*.zrb", true,
                                        "Motion Models (*.zrb)|*.zrb||"};
    static const FileDialogRequest save{
        FileDialogType::Save, "zrb", "new.zrb", false, "Motion Models (*.zrb)|*.zrb||", true};
    return type == FileDialogType::Open ? open : save;
}

FileSnapshot TakeFileSnapshot(const std::string& path) {
    FileSnapshot snapshot;
    snapshot.readable = ReadWholeFile(path, snapshot.bytes, kMaxModelFileBytes).ok();
    if (!snapshot.readable) {
        snapshot.bytes.clear();
    }
    return snapshot;
}

namespace {

// What the model list shows: a name the folder search would not find could be saved but
// never selected again.
bool IsListableModelName(std::string_view name) {
    return name.size() >= 4 && ModelNameEqualsIgnoringCase(name.substr(name.size() - 4), ".zrb");
}

// The description rule applied, as the file would hold it.
MotionModel AsSaved(MotionModel model) {
    EnsureDescriptionPrefix(model);
    return model;
}

}  // namespace

std::string FolderOfPickedFile(std::string_view path, std::string_view name) {
    if (path.size() <= name.size()) {
        return {};
    }
    return std::string(path.substr(0, path.size() - name.size() - 1));
}

void ModelEditor::OpenMotionModel() {
    FileDialogRequest request = ModelFileDialog(FileDialogType::Open);
    if (workspace.modelsFolder.empty()) {
        request.initialFolder = firstDialogFolder;
    }
    const FileDialogAnswer answer = window_.FileDialog(request);
    if (!answer.confirmed) {
        return;
    }
    workspace.modelsFolder = FolderOfPickedFile(answer.path, answer.fileName);
    window_.SetWindowTitle("ZRB Editor - " + workspace.modelsFolder);
    RefreshModelList();
    window_.ListSelect(0);
    LoadSelectedModel();
}

void ModelEditor::RefreshModelList() {
    window_.ListClear();
    window_.ListAdd(SearchModelFolder(workspace.modelsFolder));
}

void ModelEditor::LoadSelectedModel() {
    const std::optional<int> selection = window_.ListSelection();
    if (!selection || *selection < 0 || *selection >= window_.ListCount()) {
        return;
    }
    workspace.currentFile = window_.ListText(*selection);
    ReadIntoModel(JoinPath(workspace.modelsFolder, workspace.currentFile));
}

void ModelEditor::ReadIntoModel(const std::string& path) {
    // Taken before the read: a change made meanwhile is then seen at the next save.
    onDisk_ = TakeFileSnapshot(path);
    const Result read = ReadAndCheck(path);
    saved_ = model;
    boxes_.ModelToBoxes();
    if (!read) {
        // The boxes show what was read, as always; the user learns why it is so little.
        window_.MessageBox(read.message(), MessageIcon::Warning);
    }
}

void ModelEditor::ReloadCurrentFile() {
    ReadIntoModel(JoinPath(workspace.modelsFolder, workspace.currentFile));
}

void ModelEditor::Reload() {
    if (workspace.modelsFolder.empty()) {
        return;
    }
    const std::string current = workspace.currentFile;
    RefreshModelList();
    const std::optional<int> found =
        current.empty() ? std::nullopt : window_.ListFindExact(current);
    if (found) {
        window_.ListSelect(*found);
    } else if (window_.ListCount() > 0) {
        window_.ListSelect(0);
    } else {
        // Nothing left to edit: Save Changes must not re-create the file unasked.
        workspace.currentFile.clear();
        if (!current.empty()) {
            window_.MessageBox(current + " is no longer in " + workspace.modelsFolder + ".",
                               MessageIcon::Warning);
        }
        return;
    }
    LoadSelectedModel();
    if (!found && !current.empty()) {
        window_.MessageBox(current + " is no longer in " + workspace.modelsFolder + "; " +
                               workspace.currentFile + " was loaded instead.",
                           MessageIcon::Warning);
    }
}

bool ModelEditor::HasUnsavedEdits() const {
    return AsSaved(model) != AsSaved(saved_);
}

bool ModelEditor::MayOverwriteCurrentFile() {
    const FileSnapshot now =
        TakeFileSnapshot(JoinPath(workspace.modelsFolder, workspace.currentFile));
    if (now == onDisk_) {
        return true;
    }
    const std::string& name = workspace.currentFile;
    if (onDisk_.readable && !now.readable) {
        return window_.Ask(name +
                               " is no longer on disk as the editor read it: it was deleted, "
                               "moved or replaced by something that is no model file.\n\n"
                               "Save what the window shows as " +
                               name + " again?",
                           {"&Save", "Cancel"}, 1) == 0;
    }
    const int answer = window_.Ask(
        name +
            " was changed on disk after the editor read or saved it, by another program or "
            "by another file put in its place.\n\nOverwrite it with what the window shows, "
            "or reload it and drop the window's edits?",
        {"&Overwrite", "&Reload", "Cancel"}, 2);
    if (answer == 1) {
        ReloadCurrentFile();
    }
    return answer == 0;
}

bool ModelEditor::SaveChanges() {
    // Save As New names a current file even before any folder is open; writing it then
    // would go to the root folder.
    if (workspace.modelsFolder.empty() || workspace.currentFile.empty()) {
        window_.MessageBox(
            "There is no motion model to save yet. Open a motion model first "
            "(File, Open Motion Model).",
            MessageIcon::Warning);
        return false;
    }
    if (!MayOverwriteCurrentFile()) {
        return false;
    }
    window_.WaitCursor(true);
    if (!boxes_.BoxesToModel()) {
        // The window has told the user which box holds no number; saving the model
        // without that box's text would write what the user did not see.
        window_.WaitCursor(false);
        return false;
    }
    if (!MaySaveAsShown()) {
        window_.WaitCursor(false);
        return false;
    }
    return WriteAndConfirm(JoinPath(workspace.modelsFolder, workspace.currentFile),
                           ModelFileVariant::SaveChanges);
}

void ModelEditor::SaveAsNew() {
    FileDialogRequest request = ModelFileDialog(FileDialogType::Save);
    request.initialFolder =
        workspace.modelsFolder.empty() ? firstDialogFolder : workspace.modelsFolder;
    const FileDialogAnswer answer = window_.FileDialog(request);
    if (!answer.confirmed) {
        return;
    }
    if (!IsListableModelName(answer.fileName)) {
        window_.MessageBox(answer.fileName +
                               " was not saved: the model list shows only files whose names "
                               "end in .zrb. Save As New again with such a name.",
                           MessageIcon::Warning);
        return;
    }
    const std::string previousFile = workspace.currentFile;
    workspace.currentFile = answer.fileName;
    window_.WaitCursor(true);
    if (!boxes_.BoxesToModel() || !MaySaveAsShown()) {
        workspace.currentFile = previousFile;
        window_.WaitCursor(false);
        return;
    }
    const Result written = WriteModelFile(answer.path, model, ModelFileVariant::SaveAsNew);
    window_.WaitCursor(false);
    if (!written) {
        // Nothing was saved under the new name, so keep editing the old file.
        workspace.currentFile = previousFile;
        window_.MessageBox(written.message(), MessageIcon::Warning);
        return;
    }
    ForgetLoadFindings();
    // The editor follows the file into its folder, so that the title, the list and the
    // next Save Changes all name the file just written.
    const std::string folder = FolderOfPickedFile(answer.path, answer.fileName);
    if (workspace.modelsFolder.empty() || !IsSameFolder(folder, workspace.modelsFolder)) {
        workspace.modelsFolder = folder;
        window_.SetWindowTitle("ZRB Editor - " + workspace.modelsFolder);
    }
    RefreshModelList();
    if (const auto found = window_.ListFindExact(workspace.currentFile)) {
        window_.ListSelect(*found);
        LoadSelectedModel();
    } else {
        saved_ = model;
        onDisk_ = TakeFileSnapshot(answer.path);
    }
    window_.MessageBox("Changes saved", MessageIcon::None);
}

bool ModelEditor::WriteAndConfirm(const std::string& path, ModelFileVariant variant) {
    const Result written = WriteModelFile(path, model, variant);
    window_.WaitCursor(false);
    if (!written) {
        window_.MessageBox(written.message(), MessageIcon::Warning);
        return false;
    }
    saved_ = model;
    onDisk_ = {true, ModelFileBytes(model, variant)};
    ForgetLoadFindings();
    window_.MessageBox("Changes saved", MessageIcon::None);
    return true;
}

void ModelEditor::SetNumberFromText(double MotionModel::*field, std::string_view text) {
    model.*field = ParseNumber(text);
    if (field == &MotionModel::gasScaleFactor) {
        speedText = SpeedText(model.gasScaleFactor);
    }
}

void ModelEditor::SetDescription(std::string_view text) {
    model.description.assign(text);
}

Result ModelEditor::ReadAndCheck(const std::string& path) {
    std::vector<ModelFinding> findings;
    const Result read = ReadAndCheckModelFile(path, model, speedText, findings);
    loadFindings_ = LoadFindings::From(read, findings);
    loadFindings_.loaded = model;
    boxes_.ShowLoadFindings();
    return read;
}

bool ModelEditor::MaySaveAsShown() {
    const std::string question = SaveAnywayQuestion(loadFindings_, model);
    if (question.empty()) {
        return true;
    }
    // No busy cursor over a question that waits for the user; the caller's cursor is on
    // again afterwards, whatever the answer.
    window_.WaitCursor(false);
    const bool yes = window_.AskYesNo(question);
    window_.WaitCursor(true);
    return yes;
}

void ModelEditor::ForgetLoadFindings() {
    if (!loadFindings_.empty()) {
        // The file now holds what the boxes show.
        loadFindings_ = LoadFindings();
        boxes_.ShowLoadFindings();
    }
}

}  // namespace zrb
