#pragma once
// What the workspace and the pack commands need of the window, so that they run against
// any window, a fake one in tests included.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zrb {

enum class FileDialogType { Open, Save };

struct FileDialogRequest {
    FileDialogType type = FileDialogType::Open;
    std::string defaultExtension;  // "zrb"
    std::string initialName;       // "*.zrb"
    bool fileMustExist = false;
    std::string filter;  // "Motion Models (*.zrb)|*.zrb||"
    // A save dialog asks before the user's choice replaces an existing file.
    bool confirmOverwrite = false;
    // The folder the dialog opens in; empty: where the toolkit opens it (the folder of
    // the dialog confirmed last).
    std::string initialFolder = {};
};

struct FileDialogAnswer {
    bool confirmed = false;
    std::string path;      // full path of the chosen file
    std::string fileName;  // its bare name
};

enum class MessageIcon { None, Warning };

// What the pack commands need of the window: the list's entries, the dialogs and the
// progress of long work.
class PackOps {
  public:
    virtual ~PackOps() = default;

    // The model list's entries, in the list's order.
    virtual std::string ListText(int index) const = 0;
    virtual int ListCount() const = 0;

    virtual FileDialogAnswer FileDialog(const FileDialogRequest& request) = 0;
    // A message box captioned with the application's name, one OK button.
    virtual void MessageBox(const std::string& text, MessageIcon icon) = 0;
    // A question captioned with the application's name, with one button per entry of
    // `answers` (an "&" before a button's key); the index of the one chosen.
    // `defaultAnswer` is the default button, and what Escape or closing the question gives.
    virtual int Ask(const std::string& question, const std::vector<std::string>& answers,
                    int defaultAnswer) = 0;
    // Progress of long work (packing many models); false when the user cancelled.
    virtual bool Progress(std::size_t done, std::size_t total) = 0;
    // The long work has ended, however it ended: a progress window still shown goes.
    virtual void ProgressEnded() {}
};

// What the workspace commands need of the window besides.
class WindowOps : public PackOps {
  public:
    // The model list. It keeps its entries in ModelNameLess order.
    virtual void ListClear() = 0;
    virtual void ListAdd(std::vector<std::string> names) = 0;  // one sort for the lot
    virtual std::optional<int> ListSelection() const = 0;
    // Selects without counting as the user's selection change (no load follows).
    virtual void ListSelect(int index) = 0;
    virtual std::optional<int> ListFindExact(const std::string& name) const = 0;

    virtual void SetWindowTitle(const std::string& title) = 0;
    virtual void WaitCursor(bool on) = 0;
    // A question with Yes and No, No the default (Escape answers No); true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;
};

// The exchange between the model and the window's boxes.
class ModelBoxes {
  public:
    virtual ~ModelBoxes() = default;
    // Pulls every box into the model; false when a box held no plain number (the
    // window has told the user then).
    virtual bool BoxesToModel() = 0;
    // Shows every field of the model in its box.
    virtual void ModelToBoxes() = 0;
    // What loading found in the file (ModelEditor::loadFindings()) has changed: shows it.
    virtual void ShowLoadFindings() {}
};

}  // namespace zrb
