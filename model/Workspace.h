#pragma once
// The model workspace: where the editor works (models folder, current file, start
// folder, archive) and the file commands on top of the model file. The commands reach
// the window only through WindowOps, so they run against any window, a fake one in
// tests included.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelFile.h"
#include "platform/Paths.h"

namespace zrb {

// The folder of a picked file: the first len(path) - len(name) - 1 characters of
// `path` (the separator before the name dropped); empty when that is not positive.
std::string FolderOfPickedFile(std::string_view path, std::string_view name);

// The order of the model list: without regard to (ASCII) case, names that differ only
// in case ordered by their bytes so that the order is stable.
bool ModelNameLess(std::string_view a, std::string_view b);

// Sorts `names` into ModelNameLess order, faster than std::sort with ModelNameLess.
void SortByModelName(std::vector<std::string>& names);

// Equality as the list's exact-match search sees it: without regard to (ASCII) case.
bool ModelNameEqualsIgnoringCase(std::string_view a, std::string_view b);

// The names in `folder` that match "*.zrb" without regard to case, directories
// included, in no particular order. Fails with the system's reason.
Result ListModelFolder(const std::string& folder, std::vector<std::string>& names);

// The same, for the window: a folder that cannot be searched gives none.
std::vector<std::string> SearchModelFolder(const std::string& folder);

// A list of names kept in ModelNameLess order. Adding many names costs one sort.
class SortedNameList {
  public:
    void Clear() { names_.clear(); }
    // Inserts one name at its sorted place; returns its index.
    std::size_t Add(std::string name);
    // Adds many names with one sort and merge.
    void AddMany(std::vector<std::string> names);
    std::optional<std::size_t> FindExact(std::string_view name) const;
    std::size_t size() const { return names_.size(); }
    const std::string& operator[](std::size_t i) const { return names_[i]; }
    const std::vector<std::string>& names() const { return names_; }

  private:
    std::vector<std::string> names_;
};

struct ModelWorkspace {
    std::string modelsFolder;   // folder of the listed models, no trailing separator
    std::string currentFile;    // bare name of the model being edited
    std::string startFolder;    // current directory when the window started
    std::string archiveFolder;  // folder of the target archive, no trailing separator
    std::string archiveFile;    // bare name of the target archive
};

enum class FileDialogType { Open, Save };

struct FileDialogRequest {
    FileDialogType type = FileDialogType::Open;
    std::string defaultExtension;  // "zrb"
    std::string initialName;       // "*.zrb"
    bool fileMustExist = false;
    std::string filter;  // "Motion Models (*.zrb)|*.zrb||"
};

// The dialogs that pick a model file: Open Motion Model and Save As New.
const FileDialogRequest& ModelFileDialog(FileDialogType type);

struct FileDialogAnswer {
    bool confirmed = false;
    std::string path;      // full path of the chosen file
    std::string fileName;  // its bare name
};

enum class MessageIcon { None, Warning };

// What the workspace and the pack commands need of the window.
class WindowOps {
  public:
    virtual ~WindowOps() = default;

    // The model list. It keeps its entries in ModelNameLess order.
    virtual void ListClear() = 0;
    virtual void ListAdd(std::vector<std::string> names) = 0;  // one sort for the lot
    virtual std::optional<int> ListSelection() const = 0;
    virtual std::string ListText(int index) const = 0;
    // Selects without counting as the user's selection change (no load follows).
    virtual void ListSelect(int index) = 0;
    virtual std::optional<int> ListFindExact(const std::string& name) const = 0;
    virtual int ListCount() const = 0;

    // Pulls every box into the model; false when a box held no plain number (the
    // window has told the user then).
    virtual bool BoxesToModel() = 0;
    // Shows every field of the model in its box.
    virtual void ModelToBoxes() = 0;

    virtual void SetWindowTitle(const std::string& title) = 0;
    virtual FileDialogAnswer FileDialog(const FileDialogRequest& request) = 0;
    virtual void WaitCursor(bool on) = 0;
    // A message box captioned with the application's name, one OK button.
    virtual void MessageBox(const std::string& text, MessageIcon icon) = 0;
    // Names in `folder` matching "*.zrb" (see SearchModelFolder).
    virtual std::vector<std::string> FolderSearch(const std::string& folder) = 0;
    // Progress of long work (packing many models); false when the user cancelled.
    virtual bool Progress(std::size_t done, std::size_t total) = 0;
};

// The state the editor window owns, and the workspace commands on it.
class ModelEditor {
  public:
    explicit ModelEditor(WindowOps& window) : window_(window) {}

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

  private:
    void WriteAndConfirm(const std::string& path, ModelFileVariant variant);

    WindowOps& window_;
    bool unsaved_ = false;
};

}  // namespace zrb
