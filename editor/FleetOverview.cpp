#include "editor/FleetOverview.h"

#include <utility>

#include "editor/EditorController.h"
#include "model/Cp1252.h"
#include "model/Numbers.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

namespace zrb {

namespace {

// Rows handed over at a time: small enough that the first rows show at once, big enough
// that the lock is rarely taken.
constexpr std::size_t kBatch = 64;

// Shown before a value outside its advice, so that the mark does not rest on colour.
constexpr std::string_view kAdviceMarker = "! ";
// Shown before a compared value that differs from the first model's.
constexpr std::string_view kDifferenceMarker = "* ";

// The name of a model that the editor reads differently from its text carries the mark.
bool MisreadName(const FleetRow& row, int column) {
    return column == kFleetNameColumn && !row.misread.empty();
}

std::string FieldText(const FleetRow& row, int column) {
    const std::string text = FleetCellText(row, column);
    return column == kFleetDescriptionColumn ? Cp1252ToUtf8(text) : text;
}

}  // namespace

FleetReader::FleetReader(std::string folder, std::vector<std::string> names)
    : folder_(std::move(folder)), names_(std::move(names)), thread_([this] { Run(); }) {}

FleetReader::~FleetReader() {
    stop_ = true;
    thread_.join();
}

void FleetReader::Run() {
    std::vector<FleetRow> batch;
    for (const std::string& name : names_) {
        if (stop_) {
            break;
        }
        batch.push_back(ReadFleetRow(JoinPath(folder_, name), name));
        if (batch.size() == kBatch) {
            const std::lock_guard<std::mutex> lock(mutex_);
            for (FleetRow& row : batch) {
                ready_.push_back(std::move(row));
            }
            batch.clear();
        }
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    for (FleetRow& row : batch) {
        ready_.push_back(std::move(row));
    }
    done_ = true;
}

std::vector<FleetRow> FleetReader::Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(ready_, {});
}

bool FleetReader::Finished() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return done_ && ready_.empty();
}

FleetComparison CompareFleetRows(const std::vector<const FleetRow*>& rows) {
    FleetComparison comparison;
    for (const FleetRow* row : rows) {
        comparison.models.push_back(row->name);
    }
    for (int column = kFleetDescriptionColumn; column < kFleetColumns; ++column) {
        FleetComparison::Line line;
        line.label = FleetColumnTitle(column);
        line.rightAligned = column >= kFleetFirstFieldColumn;
        for (const FleetRow* row : rows) {
            line.cells.push_back(FieldText(*row, column));
            line.differs.push_back(false);
        }
        comparison.lines.push_back(std::move(line));
    }
    // What differs is what `zrb diff` lists; the speed follows the gas scale factor.
    FleetComparison::Line& speed = comparison.lines.back();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        for (const ModelDifference& d : CompareModels(rows[0]->model, rows[i]->model)) {
            const std::size_t at =
                d.key == nullptr ? 0 : 1 + static_cast<std::size_t>(d.key - ModelKeys().data());
            FleetComparison::Line& line = comparison.lines[at];
            line.differs[i] = true;
            if (d.difference) {
                line.cells[i] += " (" + DifferenceText(*d.difference) + ")";
            }
        }
        speed.differs[i] = rows[i]->speedText != rows[0]->speedText;
    }
    // A mark that does not rest on colour alone.
    for (FleetComparison::Line& line : comparison.lines) {
        for (std::size_t i = 1; i < line.cells.size(); ++i) {
            if (line.differs[i]) {
                line.cells[i].insert(0, kDifferenceMarker);
            }
        }
    }
    return comparison;
}

const FileDialogRequest& FleetCsvDialog() {
    static const FileDialogRequest request = {FileDialogType::Save, "csv", "fleet.csv", false,
                                              "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||"};
    return request;
}

FleetOverviewController::FleetOverviewController(FleetView& view, EditorController& editor)
    : view_(view), editor_(editor) {}

void FleetOverviewController::OnShow() {
    reader_ = std::make_unique<FleetReader>(editor_.editor().workspace.modelsFolder,
                                            editor_.ListedModels());
    rows_.reserve(reader_->total());
    view_.ShowSortColumn(sortColumn_, ascending_);
    UpdateStatus();
}

bool FleetOverviewController::OnTimer() {
    if (!reader_) {
        return false;
    }
    std::vector<FleetRow> read = reader_->Take();
    const bool finished = reader_->Finished();
    if (!read.empty()) {
        for (FleetRow& row : read) {
            rows_.push_back(std::move(row));
        }
        Reorder();
    }
    if (finished) {
        reader_.reset();
    }
    if (!read.empty() || finished) {
        UpdateStatus();
    }
    return !finished;
}

void FleetOverviewController::OnFilterEdited(std::string_view filter) {
    filter_ = filter;
    Reorder();
    UpdateStatus();
}

void FleetOverviewController::OnHeaderClicked(int column) {
    if (column < 0 || column >= kFleetColumns) {
        return;
    }
    OnSortChosen(column, column == sortColumn_ ? !ascending_ : true);
}

void FleetOverviewController::OnSortChosen(int column, bool ascending) {
    if (column < 0 || column >= kFleetColumns) {
        return;
    }
    sortColumn_ = column;
    ascending_ = ascending;
    view_.ShowSortColumn(sortColumn_, ascending_);
    Reorder();
}

void FleetOverviewController::OnActivate(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    const std::string name = Row(row).name;
    if (name != editor_.editor().workspace.currentFile) {
        const std::string question = editor_.DiscardQuestion();
        if (!question.empty() && !view_.AskYesNo(question)) {
            return;
        }
        editor_.LoadListedModel(name);
    }
    view_.Close();
}

void FleetOverviewController::OnCompare(const std::vector<int>& rows) {
    // Entries that are no readable models have nothing to compare and are left out.
    std::vector<const FleetRow*> compared;
    for (const int row : rows) {
        if (row >= 0 && row < RowCount() && Row(row).read) {
            compared.push_back(&Row(row));
        }
    }
    if (compared.size() < 2) {
        view_.MessageBox(
            "Select two or more readable models to compare (Ctrl+click or Shift+click).",
            MessageIcon::None);
        return;
    }
    view_.ShowComparison(CompareFleetRows(compared));
}

void FleetOverviewController::OnExport() {
    const FileDialogAnswer answer = view_.FileDialog(FleetCsvDialog());
    if (!answer.confirmed) {
        return;
    }
    const Result saved = SaveFileAtomically(answer.path, FleetCsv(rows_, shown_));
    if (!saved) {
        view_.MessageBox("The table was not saved: " + saved.message(), MessageIcon::Warning);
        return;
    }
    view_.MessageBox("The table was saved as " + answer.path + ".", MessageIcon::None);
}

std::string FleetOverviewController::CellText(int row, int column) const {
    const FleetRow& r = Row(row);
    if (!r.read && column == kFleetDescriptionColumn) {
        return "(not readable: " + r.reason + ")";
    }
    std::string text = FieldText(r, column);
    return FleetOutsideAdvice(r, column) || MisreadName(r, column)
               ? std::string(kAdviceMarker) + text
               : text;
}

bool FleetOverviewController::CellMarked(int row, int column) const {
    return FleetOutsideAdvice(Row(row), column) || MisreadName(Row(row), column);
}

std::string FleetOverviewController::CellTooltip(int row, int column) const {
    const FleetRow& r = Row(row);
    if (!r.read) {
        return r.reason;
    }
    if (MisreadName(r, column)) {
        return "Not read as its text says: " + r.misread;
    }
    if (FleetOutsideAdvice(r, column)) {
        return "Outside the advice, " + FleetAdviceText(column);
    }
    return column == kFleetDescriptionColumn ? FieldText(r, column) : FleetAdviceText(column);
}

void FleetOverviewController::Reorder() {
    std::vector<std::size_t> order;
    if (sortColumn_ < 0) {
        order.resize(rows_.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
    } else {
        order = SortFleet(rows_, sortColumn_, ascending_);
    }
    shown_.clear();
    for (const std::size_t i : order) {
        if (filter_.empty() || FleetRowMatches(rows_[i], filter_)) {
            shown_.push_back(i);
        }
    }
    view_.RowsChanged();
}

void FleetOverviewController::UpdateStatus() {
    std::string status;
    if (reader_) {
        status = "Reading models: " + std::to_string(rows_.size()) + " of " +
                 std::to_string(reader_->total());
    } else {
        std::size_t unreadable = 0;
        std::size_t misread = 0;
        for (const FleetRow& row : rows_) {
            unreadable += row.read ? 0 : 1;
            misread += row.misread.empty() ? 0 : 1;
        }
        status = std::to_string(rows_.size()) + (rows_.size() == 1 ? " model" : " models");
        if (unreadable > 0) {
            status += ", " + std::to_string(unreadable) + " not readable";
        }
        if (misread > 0) {
            status += ", " + std::to_string(misread) + " not read as written (marked \"!\")";
        }
    }
    if (!filter_.empty()) {
        status += "; " + std::to_string(shown_.size()) + " shown";
    }
    view_.SetStatus(status);
}

}  // namespace zrb
