#pragma once
// The model workspace: where the editor works (models folder, current file, start
// folder, archive) and the file commands on top of the model file.

#include <string>
#include <string_view>

#include "model/LoadFindings.h"
#include "model/ModelFile.h"
#include "model/ModelNames.h"
#include "model/WindowOps.h"
#include "platform/Paths.h"

namespace zrb {

struct ModelWorkspace {
    std::string modelsFolder;   // folder of the listed models, no trailing separator
    std::string currentFile;    // bare name of the model being edited
    std::string startFolder;    // current directory when the window started
    std::string archiveFolder;  // folder of the target archive, no trailing separator
    std::string archiveFile;    // bare name of the target archive
};

// The folder of a picked file: the first len(path) - len(name) - 1 characters of
// `path` (the separator before the name dropped); empty when that is not positive.
std::string FolderOfPickedFile(std::string_view path, std::string_view name);

// The dialogs that pick a model file: Open Motion Model and Save As New.
const FileDialogRequest& ModelFileDialog(FileDialogType type);

// The state the editor window owns, and the workspace commands on it.
class ModelEditor {
  public:
    ModelEditor(WindowOps& window, ModelBoxes& boxes) : window_(window), boxes_(boxes) {}

    MotionModel model;
    std::string speedText;
    ModelWorkspace workspace;

    // File, Open Motion Model: pick a file, list its folder, load the first model.
    void OpenMotionModel();
    // Lists modelsFolder anew.
    void RefreshModelList();
    // Loads the list's selected entry; with no valid selection nothing changes.
    void LoadSelectedModel();
    // Pulls the boxes and rewrites the current file.
    void SaveChanges();
    // Pulls the boxes and writes them under a name the user picks.
    void SaveAsNew();

    // The keystroke handlers: store a box's text into its field.
    void SetNumberFromText(double MotionModel::*field, std::string_view text);
    void SetDescription(std::string_view text);

    // Whether the user has edited the model since it was last loaded or saved.
    bool HasUnsavedEdits() const { return unsaved_; }
    void MarkEdited() { unsaved_ = true; }

    // What the last load found that the boxes do not show as the file says; empty once
    // the model has been saved.
    const LoadFindings& loadFindings() const { return loadFindings_; }

  private:
    void WriteAndConfirm(const std::string& path, ModelFileVariant variant);
    // Reads `path` into the model, as ReadModelFile does, and keeps what the checks find
    // on the same bytes.
    Result ReadAndCheck(const std::string& path);
    // Before a save: asks when the model was not read as its file says or its description
    // will not be read back whole. False when the user answers No.
    bool MaySaveAsShown();
    void ForgetLoadFindings();

    WindowOps& window_;
    ModelBoxes& boxes_;
    bool unsaved_ = false;
    LoadFindings loadFindings_;
};

}  // namespace zrb
