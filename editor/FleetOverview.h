#pragma once
// The fleet overview's logic without a toolkit: every model of the open folder as one
// table, read on a thread of its own, filtered, sorted, compared and exported; Enter on
// a row loads that model into the editor window.

#include <atomic>
#include <cstddef>
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
    };
    std::vector<std::string> models;  // the names, the columns' titles
    std::vector<Line> lines;          // the description, the eleven fields, the speed
};

FleetComparison CompareFleetRows(const std::vector<const FleetRow*>& rows);

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
    virtual void MessageBox(const std::string& text, MessageIcon icon) = 0;
    virtual FileDialogAnswer FileDialog(const FileDialogRequest& request) = 0;
    virtual void Close() = 0;

    // How the folder stands against the reference, or how far reading it is; empty
    // without one.
    virtual void SetReferenceStatus(const std::string& text) = 0;
    // Runs the change dialog over `change` until Apply (true) or Cancel (false).
    virtual bool ShowChange(FleetChangeController& change) = 0;
    // OnTimer is to be called from time to time again, until it returns false.
    virtual void StartTimer() = 0;
    // Progress of writing many models; false when the user cancelled.
    virtual bool Progress(std::size_t done, std::size_t total) = 0;
    // The writing has ended, however it ended: a progress window still shown goes.
    virtual void ProgressEnded() = 0;
};

// The dialog that picks the reference folder: a model in it.
const FileDialogRequest& FleetReferenceDialog();

// The dialog that asks where the table goes as CSV.
const FileDialogRequest& FleetCsvDialog();

class FleetOverviewController {
  public:
    FleetOverviewController(FleetView& view, EditorController& editor);

    // Starts reading the listed models.
    void OnShow();
    // From time to time while reading: takes what was read. False once all is read.
    bool OnTimer();
    void OnFilterEdited(std::string_view filter);
    // A column's header was clicked: sorts by it, the other way round on a second click.
    void OnHeaderClicked(int column);
    // The keyboard's way: sort by `column`, in the order given.
    void OnSortChosen(int column, bool ascending);
    // Enter or a double click on shown row `row`: loads that model into the editor
    // window, after asking when unsaved edits would be lost, and closes.
    void OnActivate(int row);
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
    void Reorder();
    void UpdateStatus();

    FleetView& view_;
    EditorController& editor_;
    std::unique_ptr<FleetReader> reader_;
    std::vector<FleetRow> rows_;  // in the list's order
    std::vector<std::size_t> shown_;
    std::string filter_;
    int sortColumn_ = -1;  // -1: the list's order
    bool ascending_ = true;

    // The reference folder; shown_ entries from rows_.size() on are its missing models.
    void TakeReference();
    ReferenceState ReferenceStateOf(int row) const;
    std::string ReferenceTooltip(int row, int column) const;
    bool KeptByReference(std::size_t i) const;
    void AppendMissing();
    std::string ExportCsv(bool withReference) const;
    void ApplyPrepared(const ChangePreview& preview);
    std::string ReferenceStatus() const;
    std::unique_ptr<ReferenceReader> referenceReader_;
    std::optional<ReferenceComparison> reference_;
    bool onlyChanged_ = false;
    ChangeHistory history_;
};

}  // namespace zrb
