#include "model/Workspace.h"

#include <algorithm>
#include <iterator>

#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {

const FileDialogRequest& ModelFileDialog(FileDialogType type) {
    static const FileDialogRequest open{FileDialogType::Open, "zrb", "*.zrb", true,
                                        "Motion Models (*.zrb)|*.zrb||"};
    static const FileDialogRequest save{FileDialogType::Save, "zrb", "new.zrb", false,
                                        "Motion Models (*.zrb)|*.zrb||"};
    return type == FileDialogType::Open ? open : save;
}

std::string FolderOfPickedFile(std::string_view path, std::string_view name) {
    if (path.size() <= name.size()) {
        return {};
    }
    return std::string(path.substr(0, path.size() - name.size() - 1));
}

void ModelEditor::OpenMotionModel() {
    const FileDialogAnswer answer = window_.FileDialog(ModelFileDialog(FileDialogType::Open));
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
    window_.ListAdd(window_.FolderSearch(workspace.modelsFolder));
}

void ModelEditor::LoadSelectedModel() {
    const std::optional<int> selection = window_.ListSelection();
    if (!selection || *selection < 0 || *selection >= window_.ListCount()) {
        return;
    }
    workspace.currentFile = window_.ListText(*selection);
    const Result read = ReadAndCheck(JoinPath(workspace.modelsFolder, workspace.currentFile));
    unsaved_ = false;
    boxes_.ModelToBoxes();
    if (!read) {
        // The boxes show what was read, as always; the user learns why it is so little.
        window_.MessageBox(read.message(), MessageIcon::Warning);
    }
}

void ModelEditor::SaveChanges() {
    // Save As New names a current file even before any folder is open; writing it then
    // would go to the root folder.
    if (workspace.modelsFolder.empty() || workspace.currentFile.empty()) {
        window_.MessageBox(
            "There is no motion model to save yet. Open a motion model first "
            "(File, Open Motion Model).",
            MessageIcon::Warning);
        return;
    }
    window_.WaitCursor(true);
    if (!boxes_.BoxesToModel()) {
        // The window has told the user which box holds no number; saving the model
        // without that box's text would write what the user did not see.
        window_.WaitCursor(false);
        return;
    }
    if (!MaySaveAsShown()) {
        window_.WaitCursor(false);
        return;
    }
    WriteAndConfirm(JoinPath(workspace.modelsFolder, workspace.currentFile),
                    ModelFileVariant::SaveChanges);
}

void ModelEditor::SaveAsNew() {
    const FileDialogAnswer answer = window_.FileDialog(ModelFileDialog(FileDialogType::Save));
    if (!answer.confirmed) {
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
    unsaved_ = false;
    ForgetLoadFindings();
    // With no folder open there is no list to show the new file in.
    if (!workspace.modelsFolder.empty()) {
        RefreshModelList();
        if (const auto found = window_.ListFindExact(workspace.currentFile)) {
            window_.ListSelect(*found);
        }
        LoadSelectedModel();
    }
    window_.MessageBox("Changes saved", MessageIcon::None);
}

void ModelEditor::WriteAndConfirm(const std::string& path, ModelFileVariant variant) {
    const Result written = WriteModelFile(path, model, variant);
    window_.WaitCursor(false);
    if (!written) {
        window_.MessageBox(written.message(), MessageIcon::Warning);
        return;
    }
    unsaved_ = false;
    ForgetLoadFindings();
    window_.MessageBox("Changes saved", MessageIcon::None);
}

void ModelEditor::SetNumberFromText(double MotionModel::*field, std::string_view text) {
    model.*field = ParseNumber(text);
    if (field == &MotionModel::gasScaleFactor) {
        speedText = SpeedText(model.gasScaleFactor);
    }
    unsaved_ = true;
}

void ModelEditor::SetDescription(std::string_view text) {
    model.description.assign(text);
    unsaved_ = true;
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
