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

// What a model file held when the editor last read or wrote it: its bytes, or that it
// could not be read (missing, a folder, too large).
struct FileSnapshot {
    bool readable = false;
    std::string bytes;
    bool operator==(const FileSnapshot&) const = default;
};
FileSnapshot TakeFileSnapshot(const std::string& path);

// The state the editor window owns, and the workspace commands on it.
class ModelEditor {
  public:
    ModelEditor(WindowOps& window, ModelBoxes& boxes) : window_(window), boxes_(boxes) {}

    MotionModel model;
    std::string speedText;
    ModelWorkspace workspace;
    // Where the file dialogs open while no models folder is open; empty: where the
    // toolkit chooses.
    std::string firstDialogFolder;

    // File, Open Motion Model: pick a file, list its folder, load the first model.
    void OpenMotionModel();
    // Lists modelsFolder anew.
    void RefreshModelList();
    // Loads the list's selected entry; with no valid selection nothing changes.
    void LoadSelectedModel();
    // File, Reload: lists modelsFolder anew, selects the current file again by its name
    // and reads it again (the first entry, when it has gone). Drops unsaved edits.
    void Reload();
    // Pulls the boxes and rewrites the current file; true when it was written. Asks
    // first when the file on disk is no longer what the editor read or saved.
    bool SaveChanges();
    // Pulls the boxes and writes them under a name the user picks, in the models folder
    // or another one, which then becomes the models folder.
    void SaveAsNew();

    // The keystroke handlers: store a box's text into its field.
    void SetNumberFromText(double MotionModel::*field, std::string_view text);
    void SetDescription(std::string_view text);

    // Whether the model differs from what was last loaded or saved: an edit typed back
    // to the old value is none.
    bool HasUnsavedEdits() const;

    // What the last load found that the boxes do not show as the file says; empty once
    // the model has been saved.
    const LoadFindings& loadFindings() const { return loadFindings_; }

  private:
    // Reads `path` into the model, as ReadModelFile does, and keeps what the checks find
    // on the same bytes.
    Result ReadAndCheck(const std::string& path);
    // Before a save: asks when the model was not read as its file says or its description
    // will not be read back whole. False when the user answers No.
    bool MaySaveAsShown();
    void ForgetLoadFindings();
    // Before Save Changes writes: whether the current file on disk is still what was
    // loaded or saved; when not, asks whether to overwrite it. False when nothing may be
    // written (the user cancelled, or chose to read the file again).
    bool MayOverwriteCurrentFile();
    // Reads the current file again into the model and the boxes.
    void ReloadCurrentFile();
    // Reads `path` into the model and shows it; remembers it as the saved state.
    void ReadIntoModel(const std::string& path);
    bool WriteAndConfirm(const std::string& path, ModelFileVariant variant);

    WindowOps& window_;
    ModelBoxes& boxes_;
    MotionModel saved_;    // the model as last loaded or saved
    FileSnapshot onDisk_;  // the current file as last loaded or saved
    LoadFindings loadFindings_;
};

}  // namespace zrb
