#pragma once
// The editor window's logic without a toolkit: which box shows which field, the
// exchange between them, the handlers of the user's edits, the commands, Enter and
// Escape, and the question before unsaved edits are dropped. A front-end builds the
// window from the template, passes the user's actions on and does what it is told
// through EditorView.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/DialogView.h"
#include "model/Workspace.h"
#include "pack/PackWatch.h"
#include "pack/ScriptLauncher.h"

namespace zrb {

class EditorView : public DialogView, public WindowOps {
  public:
    // One message box for both: the window's and the workspace commands'.
    void MessageBox(const std::string& text, MessageIcon icon) override = 0;
    // A question with Yes and No, No the default; true for Yes.
    bool AskYesNo(const std::string& question) override = 0;
    // Runs the calculator for an object of `mass`: the chosen moment of inertia, or
    // nothing when the user cancelled.
    virtual std::optional<double> CalculateInertia(double mass) = 0;
    virtual void ShowAbout() = 0;
    // Opens the fleet overview of the listed models over the window.
    virtual void ShowFleetOverview() = 0;
    // Opens a document in the program the system has for it; false when none could.
    virtual bool OpenDocument(const std::string& path) = 0;
    // The warning above the boxes, in a control that the keyboard and a screen reader
    // reach; empty: no warning, the control hidden.
    virtual void ShowFileWarning(const std::string& text) = 0;
    // Marks box `id` as not showing what the file says (or takes the mark away), with
    // `tooltip` as its tooltip.
    virtual void MarkBox(int id, bool marked, const std::string& tooltip) = 0;
    // A pack's script was started. Where the pack has a process (Windows), wait for its
    // end off the window's thread, then call EditorController::OnPackEnded(pack.id) on
    // it; otherwise call EditorController::OnPackTick on the window's thread every
    // fraction of a second while EditorController::PacksRunning().
    virtual void WatchPack(const RunningPack& pack) = 0;
    // How far the running packs are, shown while they run; empty when none runs.
    virtual void ShowPackStatus(const std::string& text) = 0;
};

enum class BoxKind { Number, Description, Speed };

struct Binding {
    int id;
    BoxKind kind;
    double MotionModel::*field;  // for numbers
};

// The boxes in the order they are exchanged with the model. A pull stops at the first
// box that holds no number, so this order decides which fields keep their values then.
const std::vector<Binding>& EditorBindings();

// The tooltip of box `id`: what its field means and the advice for it; empty for boxes
// that have none.
std::string EditorBoxTooltip(int id);

class EditorController final : public ModelBoxes {
  public:
    // `programFolder` is where the program's own file lies: companion files missing from
    // the start folder are looked for there (none when empty).
    EditorController(EditorView& view, std::string startFolder, std::string programFolder = {});

    ModelEditor& editor() { return editor_; }
    const ModelEditor& editor() const { return editor_; }

    // The window is shown.
    void OnShow();
    // The user changed box `id` to `text` (never called for texts the program sets).
    void OnBoxEdited(int id, std::string_view text);
    // The user selected another list entry.
    void OnSelectionChanged();
    // A button or menu command.
    void OnCommand(int id);
    // Enter: pulls every box, and closes when they all hold numbers and any unsaved
    // edits may go.
    void OnOk();
    // Escape, the close box, File, Exit: closes without pulling, once unsaved edits may
    // go.
    void OnCancel();

    // The question to ask before the current model is replaced or dropped, when it has
    // edits not yet saved; empty when there are none.
    std::string DiscardQuestion() const;
    // The model list's entries, in its order.
    std::vector<std::string> ListedModels() const;
    // Loads list entry `name`, as selecting it in the list does.
    void LoadListedModel(const std::string& name);

    // The front-end left `characters` out of what the user typed or pasted into box
    // `id`, since the box cannot hold them; the rest went to OnBoxEdited.
    void OnCharactersLeftOut(int id, std::u32string_view characters);

    // ModelBoxes.
    bool BoxesToModel() override;
    void ModelToBoxes() override;
    void ShowLoadFindings() override;

    // Packs whose scripts still run, watched until they end. Linux: every fraction of a
    // second while any runs (shows progress; ends those that ended).
    void OnPackTick();
    // The script of pack `id` has ended: the user is told, in one message, what it came
    // to. Unknown ids are ignored.
    void OnPackEnded(int id);
    bool PacksRunning() const { return !packs_.empty(); }
    // The pack commands start their scripts through `launcher` instead of the system's.
    void UseScriptLauncher(ScriptLauncher& launcher) { launcher_ = &launcher; }

  private:
    // Whether unsaved edits may go: asks first when there are any.
    bool MayDiscardEdits();
    // Before a pack: whether the files on disk may be packed, saving the current model
    // first when the user says so.
    bool MayPack();
    void OnReload();
    void OnHelp();
    void OnCalculateInertia();

    // Pack Selected or Pack All, refused while a pack into the same folder runs.
    void StartPack(int command);
    void ShowPackStatus();

    EditorView& view_;
    ModelEditor editor_;
    std::string programFolder_;
    std::vector<RunningPack> packs_;
    int lastPackId_ = 0;
    ScriptLauncher* launcher_ = nullptr;
    bool packTick_ = false;  // a tick or a pack command is under way: no tick meanwhile
};

}  // namespace zrb
