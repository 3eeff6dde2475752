#pragma once
// The fleet overview's logic without a toolkit: every model of the open folder as one
// table, read on a thread of its own, filtered, sorted, compared and exported; Enter on
// a row loads that model into the editor window.

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "model/Fleet.h"
#include "model/FleetChange.h"
#include "model/FleetReference.h"
#include "model/WindowOps.h"

namespace zrb {

class EditorController;
class FleetChangeController;

// Reads the rows of a folder's models on a thread of its own, so that the window stays
// responsive on big folders; the window takes what is ready from time to time.
class FleetReader {
  public:
    FleetReader(std::string folder, std::vector<std::string> names);
    // Stops reading and waits for the thread.
    ~FleetReader();
    FleetReader(const FleetReader&) = delete;
    FleetReader& operator=(const FleetReader&) = delete;

    // The rows read since the last call, in the list's order.
    std::vector<FleetRow> Take();
    // Whether every row has been read and taken.
    bool Finished();
    std::size_t total() const { return names_.size(); }

  private:
    void Run();

    const std::string folder_;
    const std::vector<std::string> names_;
    std::mutex mutex_;
    std::vector<FleetRow> ready_;  // guarded by mutex_
    bool done_ = false;            // guarded by mutex_
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The models side by side: one line per field, one cell per model. Cells after the
// first that differ from the first start with "* " and end with the difference, as
// `zrb diff` shows it, in brackets.
struct FleetComparison {
    struct Line {
        std::string label;
        std::vector<std::string> cells;
        std::vector<bool> differs;  // per cell; always false for the first
        bool rightAligned = false;  // numbers to the right, the description to the left
    };
    std::vector<std::string> models;  // the names, the columns' titles
    std::vector<Line> lines;          // the description, the eleven fields, the speed
};

FleetComparison CompareFleetRows(const std::vector<const FleetRow*>& rows);

// How both front-ends show the overview's columns.
enum class CellAlignment { Left, Right };
struct FleetColumnLook {
    std::string title;
    int width;  // dialog units; a front-end widens a column whose title needs more room
    CellAlignment alignment;
};
FleetColumnLook FleetColumnLookOf(int column);

struct Colour {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};
// The background of a marked cell: a light amber that dark (black) text reads well on.
inline constexpr Colour kFleetMarkColour{255, 214, 153};
// Put before a marked cell's text, so that the mark does not rest on colour alone.
inline constexpr std::string_view kFleetMarkText = "! ";
// The background of a cell that differs from the reference folder's: a light blue.
inline constexpr Colour kFleetReferenceColour{170, 208, 255};
// Put before such a cell's text.
inline constexpr std::string_view kFleetReferenceText = "~ ";
// Reads a reference folder and matches it with the folder's rows on a thread of its own;
// the window looks how far it is from time to time.
class ReferenceReader {
  public:
    ReferenceReader(std::vector<FleetRow> rows, std::string folder);
    // Stops reading and waits for the thread.
    ~ReferenceReader();
    ReferenceReader(const ReferenceReader&) = delete;
    ReferenceReader& operator=(const ReferenceReader&) = delete;

    // Models read of the reference, and how many it has (0 until it is listed).
    std::size_t done() const { return done_; }
    std::size_t total() const { return total_; }
    bool Finished() const { return finished_; }
    // Stops after the file being read.
    void Stop() { stop_ = true; }
    // Once finished: whether the folder could be listed, and the comparison.
    Result Take(ReferenceComparison& comparison);

  private:
    const std::vector<FleetRow> rows_;
    const std::string folder_;
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> total_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    Result result_ = Result::Success();  // written by the thread before finished_
    ReferenceComparison comparison_;
    std::thread thread_;
};

// What the overview window must do for its logic.
class FleetView {
  public:
    virtual ~FleetView() = default;

    // The shown rows changed in number, order or content: show RowCount() rows anew.
    virtual void RowsChanged() = 0;
    virtual void SetStatus(const std::string& text) = 0;
    // The column the rows are sorted by, for the header's arrow.
    virtual void ShowSortColumn(int column, bool ascending) = 0;
    virtual void ShowComparison(const FleetComparison& comparison) = 0;
    virtual bool AskYesNo(const std::string& question) = 0;
    // A question with one button per entry of `answers` (an "&" before a button's key);
    // the index of the one chosen. `defaultAnswer` is the default, and Escape's answer.
    virtual int Ask(const std::string& question, const std::vector<std::string>& answers,
                    int defaultAnswer) = 0;
    virtual void MessageBox(const std::string& text, MessageIcon icon) = 0;
    virtual FileDialogAnswer FileDialog(const FileDialogRequest& request) = 0;
    virtual void Close() = 0;

    // Opens the in-place editor on shown row `row`, column `column`, holding `text`
    // (UTF-8), all of it selected.
    virtual void EditCell(int row, int column, const std::string& text) = 0;
    // Makes the cell at shown row `row`, column `column` the current one (column -1: the
    // current column stays), its row selected alone (after RowsChanged, which drops the
    // selection).
    virtual void ShowCell(int row, int column) = 0;
    // The undo history changed: one line per step, in the order they were made, steps
    // taken back marked "(undone)"; `current` is the last step in effect (-1: none),
    // shown selected. Undo and Redo are offered as CanUndo and CanRedo say.
    virtual void ShowHistory(const std::vector<std::string>& lines, int current) = 0;
    // How the folder stands against the reference, or how far reading it is; empty
    // without one.
    virtual void SetReferenceStatus(const std::string& text) = 0;
    // Runs the change dialog over `change` until Apply (true) or Cancel (false).
    virtual bool ShowChange(FleetChangeController& change) = 0;
    // OnTimer is to be called from time to time again, until it returns false.
    virtual void StartTimer() = 0;
};

// The dialog that picks the reference folder: a model in it.
const FileDialogRequest& FleetReferenceDialog();

// The dialog that asks where the table goes as CSV.
const FileDialogRequest& FleetCsvDialog();

class FleetOverviewController {
  public:
    FleetOverviewController(FleetView& view, EditorController& editor);
    // Stops an undo or redo that runs, after the file being written, and waits for it.
    ~FleetOverviewController();
    FleetOverviewController(const FleetOverviewController&) = delete;
    FleetOverviewController& operator=(const FleetOverviewController&) = delete;

    // Starts reading the listed models.
    void OnShow();
    // From time to time while the window is open: takes what was read, shows how far an
    // undo or redo is and finishes it. False once all is read and no undo or redo runs.
    bool OnTimer();
    void OnFilterEdited(std::string_view filter);
    // A column's header was clicked: sorts by it, the other way round on a second click.
    void OnHeaderClicked(int column);
    // The keyboard's way: sort by `column`, in the order given.
    void OnSortChosen(int column, bool ascending);
    // Enter or a double click on shown row `row`: loads that model into the editor
    // window, after asking when unsaved edits would be lost, and closes.
    void OnActivate(int row);
    // Enter outside the in-place editor opens the row's model (OnActivate); a double
    // click edits the cell in place when it can be edited and opens the model otherwise
    // (on the name, on a row that is no readable model). F2 or typing edits the cell.
    void OnEnter(int row) { OnActivate(row); }
    void OnDoubleClick(int row, int column);

    // Whether the cell can be edited in place: a field or the description of a readable
    // model, once every row has been read and while no undo or redo runs.
    bool CellEditable(int row, int column) const;
    // The text the in-place editor starts with (UTF-8): the cell's value without marks.
    std::string EditText(int row, int column) const;
    // The in-place editor was committed with `text` (UTF-8). A number must be a plain
    // number and the description must be Windows-1252 text, else the user is told and the
    // editor opens again with `text`. A changed value is written at once to that one
    // file, as Save Changes writes it (asking first when the file is misread or was changed
    // on disk since it was read, and when it is the editor's model with unsaved edits),
    // and becomes a step of the undo history.
    void OnCellEdited(int row, int column, std::string_view text);
    // A change that another of the overview's commands wrote to many models (Change...,
    // Revert to reference): becomes the newest step of the undo history, and the rows of
    // the files it wrote are read again.
    void OnChangeApplied(ChangeStep step);

    // Edit, Undo: every file of the last step in effect gets back the exact bytes it
    // had before it; a file changed on disk since the step is not overwritten unasked.
    // Edit, Redo: the step taken back last is made again, under the same care.
    void OnUndo();
    void OnRedo();
    bool CanUndo() const;
    bool CanRedo() const;
    // An undo or redo of many files runs off the window's thread (OnTimer shows how far
    // it is): no cell can be edited meanwhile and no other step starts.
    bool Busy() const;
    // Escape or Close: while an undo or redo runs it stops after the file being written
    // and the window stays (false); otherwise the window may close (true).
    bool OnCloseRequested();

    // Compare on the shown rows `rows`: the readable ones side by side.
    void OnCompare(const std::vector<int>& rows);
    // Export: the shown rows, in their order, as CSV.
    void OnExport();

    // Change on the shown rows `rows`: the change dialog, then the change written to
    // every model it does not skip, as one step of the undo history.
    void OnChange(const std::vector<int>& rows);
    // Compare with folder: picks a reference folder (through a model in it) and reads it
    // off the window's thread; every row then shows how it stands against it.
    void OnCompareFolder();
    // Only changed: keeps the rows that differ from the reference or are new.
    void OnOnlyChanged(bool on);
    // Escape: stops reading the reference when it is read (true), else nothing (false:
    // the window may close).
    bool OnCancel();
    // Whether shown row `row` is a model only the reference has (read-only).
    bool RowMissing(int row) const;
    // Whether the cell differs from the reference's (the second colour).
    bool CellDiffers(int row, int column) const;
    const std::optional<ReferenceComparison>& reference() const { return reference_; }
    // The changes made in the window, for Undo and Redo.
    const ChangeHistory& history() const { return history_; }

    // What the view shows.
    int RowCount() const { return static_cast<int>(shown_.size()); }
    std::string CellText(int row, int column) const;
    bool CellMarked(int row, int column) const;
    std::string CellTooltip(int row, int column) const;
    // A model of the folder, or of the reference for a missing one.
    const FleetRow& Row(int row) const;

  private:
    class Job;

    void Reorder();
    void UpdateStatus();
    // The unsaved edits of the editor's model `name` may go (asks first); true when the
    // editor shows another model or has none.
    bool MayDropEditorEdits(const std::string& name, const std::string& action);
    // The editor's model is `name`: it reads the file again.
    void RefreshEditor(const std::string& name);
    // Undo or redo of the step at hand: first, off the window's thread, which of its files
    // were changed on disk since; then, once the user has been asked about those, the
    // step itself.
    void StartStep(bool redo);
    void StepChecked(Job& job);
    void StepDone(Job& job);
    void ShowHistory();

    FleetView& view_;
    EditorController& editor_;
    std::string folder_;  // the models' folder when the window opened
    std::unique_ptr<FleetReader> reader_;
    std::vector<FleetRow> rows_;  // in the list's order
    std::vector<std::size_t> shown_;
    std::string filter_;
    int sortColumn_ = -1;  // -1: the list's order
    bool ascending_ = true;
    ChangeHistory history_;  // touched by a job's thread only while it runs
    std::unique_ptr<Job> job_;
    // The reference folder; shown_ entries from rows_.size() on are its missing models.
    void TakeReference();
    ReferenceState ReferenceStateOf(int row) const;
    std::string ReferenceTooltip(int row, int column) const;
    bool KeptByReference(std::size_t i) const;
    void AppendMissing();
    std::string ExportCsv(bool withReference) const;
    // Writes the change on a job; ApplyDone records it and tells the outcome.
    void ApplyPrepared(const ChangePreview& preview);
    void ApplyDone(Job& job);
    // A change written: its step becomes the newest of the history, `written` the rows of
    // its files.
    void RecordApplied(ChangeStep step, std::vector<FleetRow> written);
    // The rows changed: matched with the reference again.
    void Rematch();
    std::string ReferenceStatus() const;
    std::unique_ptr<ReferenceReader> referenceReader_;
    std::optional<ReferenceComparison> reference_;
    bool onlyChanged_ = false;
};

}  // namespace zrb
