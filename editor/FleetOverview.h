#pragma once
// The fleet overview's logic without a toolkit: every model of the open folder as one
// table, read on a thread of its own, filtered, sorted, compared and exported; Enter on
// a row loads that model into the editor window.

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "model/Fleet.h"
#include "model/WindowOps.h"

namespace zrb {

class EditorController;

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
};

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

    // What the view shows.
    int RowCount() const { return static_cast<int>(shown_.size()); }
    std::string CellText(int row, int column) const;
    bool CellMarked(int row, int column) const;
    std::string CellTooltip(int row, int column) const;
    const FleetRow& Row(int row) const { return rows_[shown_[static_cast<std::size_t>(row)]]; }

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
};

}  // namespace zrb
