#include "editor/FleetOverview.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

#include "editor/EditorController.h"
#include "editor/FleetChange.h"
#include "model/Cp1252.h"
#include "model/Numbers.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

namespace zrb {

namespace {

// Rows handed over at a time: small enough that the first rows show at once, big enough
// that the lock is rarely taken.
constexpr std::size_t kBatch = 64;

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

// "a.zrb, b.zrb and 3 more": enough names to tell which, not a page of them.
std::string NamesInShort(const std::vector<std::string>& names) {
    constexpr std::size_t kNamed = 5;
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < kNamed; ++i) {
        if (i > 0) {
            list += ", ";
        }
        list += names[i];
    }
    if (names.size() > kNamed) {
        list += " and ";
        list += std::to_string(names.size() - kNamed);
        list += " more";
    }
    return list;
}

}  // namespace

// Writing a change, or an undo or redo, on a thread of its own. Its results are written
// by the thread and read by the window's thread once Finished(), after Wait().
class FleetOverviewController::Job {
  public:
    enum class Phase { Check, Step, Apply };

    Job(Phase phase, bool redo, std::string what, std::function<void(Job&)> work)
        : phase(phase), redo(redo), what(std::move(what)) {
        thread_ = std::thread([this, work = std::move(work)] {
            work(*this);
            finished_ = true;
        });
    }
    ~Job() {
        stop_ = true;
        Wait();
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    bool Finished() const { return finished_; }
    void Wait() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    void Stop() { stop_ = true; }
    bool Stopped() const { return stop_; }
    // Told between files; false once the user stopped the work.
    FleetProgress Progress() {
        return [this](std::size_t done, std::size_t total) {
            done_ = done;
            total_ = total;
            return !stop_;
        };
    }
    std::string Status() const {
        std::string status = what;
        status += phase == Phase::Check ? ": reading " : ": ";
        status += std::to_string(done_);
        status += " of ";
        status += std::to_string(total_);
        status += stop_ ? " files, stopping after the file at hand" : " files (Esc stops)";
        return status;
    }

    const Phase phase;
    const bool redo;
    const std::string what;                   // "Undo mass ×1.1 on 12 models"
    std::vector<std::string> changedOutside;  // Check
    ChangeOutcome outcome;                    // Step, Apply
    std::vector<FleetRow> rows;               // Step, Apply: the files written, read again
    ChangeStep step;                          // Apply: what the history keeps of it

  private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> total_{0};
    std::thread thread_;
};

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

FleetColumnLook FleetColumnLookOf(int column) {
    // Wide enough for a typical name, a short description and a number.
    const int width = column == kFleetNameColumn          ? 80
                      : column == kFleetDescriptionColumn ? 120
                                                          : 45;
    return {FleetColumnTitle(column), width,
            column >= kFleetFirstFieldColumn ? CellAlignment::Right : CellAlignment::Left};
}

const FileDialogRequest& FleetCsvDialog() {
    static const FileDialogRequest request = {FileDialogType::Save, "csv", "fleet.csv", false,
                                              "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||"};
    return request;
}

FleetOverviewController::FleetOverviewController(FleetView& view, EditorController& editor)
    : view_(view), editor_(editor) {}

FleetOverviewController::~FleetOverviewController() = default;

void FleetOverviewController::OnShow() {
    folder_ = editor_.editor().workspace.modelsFolder;
    reader_ = std::make_unique<FleetReader>(folder_, editor_.ListedModels());
    rows_.reserve(reader_->total());
    view_.ShowSortColumn(sortColumn_, ascending_);
    UpdateStatus();
}

bool FleetOverviewController::OnTimer() {
    if (job_) {
        if (job_->Finished()) {
            const std::unique_ptr<Job> job = std::move(job_);
            job->Wait();
            switch (job->phase) {
                case Job::Phase::Check:
                    StepChecked(*job);
                    break;
                case Job::Phase::Step:
                    StepDone(*job);
                    break;
                case Job::Phase::Apply:
                    ApplyDone(*job);
                    break;
            }
        } else {
            view_.SetStatus(job_->Status());
        }
    }
    if (referenceReader_) {
        TakeReference();
    }
    if (!reader_) {
        return job_ != nullptr || referenceReader_ != nullptr;
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
    return !finished || job_ != nullptr || referenceReader_ != nullptr;
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
    // Opening closes the window, which would stop an undo or redo half way unseen.
    if (row < 0 || row >= RowCount() || Busy()) {
        return;
    }
    if (RowMissing(row)) {
        view_.MessageBox(
            Row(row).name + " is only in the reference folder: there is nothing to open here.",
            MessageIcon::None);
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

void FleetOverviewController::OnDoubleClick(int row, int column) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    if (CellEditable(row, column)) {
        view_.EditCell(row, column, EditText(row, column));
    } else {
        OnActivate(row);
    }
}

bool FleetOverviewController::CellEditable(int row, int column) const {
    return row >= 0 && row < RowCount() && Row(row).read && !RowMissing(row) && !reader_ &&
           !Busy() && column >= kFleetDescriptionColumn && column < kFleetSpeedColumn;
}

std::string FleetOverviewController::EditText(int row, int column) const {
    return CellEditable(row, column) ? FieldText(Row(row), column) : std::string();
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
    const bool withReference =
        reference_ && view_.AskYesNo(
                          "Add the reference folder's values beside each value that differs "
                          "from it?");
    const FileDialogAnswer answer = view_.FileDialog(FleetCsvDialog());
    if (!answer.confirmed) {
        return;
    }
    const Result saved = SaveFileAtomically(answer.path, ExportCsv(withReference));
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
    if (reference_ && column == kFleetNameColumn) {
        text += " (";
        text += ReferenceStateText(ReferenceStateOf(row));
        text += ')';
    } else if (CellDiffers(row, column)) {
        text.insert(0, kFleetReferenceText);
    }
    return FleetOutsideAdvice(r, column) || MisreadName(r, column)
               ? std::string(kFleetMarkText) + text
               : text;
}

bool FleetOverviewController::CellMarked(int row, int column) const {
    return FleetOutsideAdvice(Row(row), column) || MisreadName(Row(row), column);
}

std::string FleetOverviewController::CellTooltip(int row, int column) const {
    const FleetRow& r = Row(row);
    if (const std::string tip = ReferenceTooltip(row, column); !tip.empty()) {
        return tip;
    }
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
        if ((filter_.empty() || FleetRowMatches(rows_[i], filter_)) && KeptByReference(i)) {
            shown_.push_back(i);
        }
    }
    AppendMissing();
    view_.RowsChanged();
}

void FleetOverviewController::UpdateStatus() {
    if (job_) {
        view_.SetStatus(job_->Status());
        return;
    }
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
    view_.SetReferenceStatus(ReferenceStatus());
    if (!filter_.empty() || onlyChanged_) {
        status += "; " + std::to_string(shown_.size()) + " shown";
    }
    view_.SetStatus(status);
}

ReferenceReader::ReferenceReader(std::vector<FleetRow> rows, std::string folder)
    : rows_(std::move(rows)), folder_(std::move(folder)), thread_([this] {
          ReferenceComparison comparison;
          Result result = CompareWithReference(rows_, folder_, comparison,
                                               [this](std::size_t done, std::size_t total) {
                                                   done_ = done;
                                                   total_ = total;
                                                   return !stop_;
                                               });
          result_ = std::move(result);
          comparison_ = std::move(comparison);
          finished_ = true;
      }) {}

ReferenceReader::~ReferenceReader() {
    stop_ = true;
    thread_.join();
}

Result ReferenceReader::Take(ReferenceComparison& comparison) {
    comparison = std::move(comparison_);
    return result_;
}

const FileDialogRequest& FleetReferenceDialog() {
    static const FileDialogRequest request = {FileDialogType::Open, "zrb", "*.zrb", true,
                                              "Motion Models (*.zrb)|*.zrb||"};
    return request;
}

const FleetRow& FleetOverviewController::Row(int row) const {
    const std::size_t i = shown_[static_cast<std::size_t>(row)];
    if (i < rows_.size()) {
        return rows_[i];
    }
    return reference_->referenceRows[reference_->missing[i - rows_.size()].reference];
}

bool FleetOverviewController::RowMissing(int row) const {
    return row >= 0 && row < RowCount() && shown_[static_cast<std::size_t>(row)] >= rows_.size();
}

ReferenceState FleetOverviewController::ReferenceStateOf(int row) const {
    const std::size_t i = shown_[static_cast<std::size_t>(row)];
    return i < rows_.size() ? reference_->rows[i].state : ReferenceState::Missing;
}

bool FleetOverviewController::CellDiffers(int row, int column) const {
    if (!reference_ || row < 0 || row >= RowCount()) {
        return false;
    }
    const std::size_t i = shown_[static_cast<std::size_t>(row)];
    if (column == kFleetNameColumn) {
        // The name carries the row's state; what is not as in the reference stands out.
        const ReferenceState state = ReferenceStateOf(row);
        return state == ReferenceState::Differs || state == ReferenceState::New ||
               state == ReferenceState::Missing;
    }
    return i < rows_.size() && reference_->CellDiffers(i, column);
}

std::string FleetOverviewController::ReferenceTooltip(int row, int column) const {
    if (!reference_) {
        return {};
    }
    const std::size_t i = shown_[static_cast<std::size_t>(row)];
    if (column == kFleetNameColumn) {
        switch (ReferenceStateOf(row)) {
            case ReferenceState::Identical:
                return "Identical to the reference's model of this name.";
            case ReferenceState::Differs:
                return std::to_string(reference_->rows[i].differences.size()) +
                       " value(s) differ from the reference's model of this name.";
            case ReferenceState::New:
                return "New: the reference folder has no model of this name.";
            case ReferenceState::Missing:
                return "Missing: only the reference folder has this model (read-only here).";
            case ReferenceState::Unreadable:
                return "Not compared: this model or the reference's could not be read.";
        }
    }
    if (CellDiffers(row, column)) {
        const std::string text = reference_->ReferenceCellText(i, column);
        std::string tip = "Reference: ";
        tip += column == kFleetDescriptionColumn ? Cp1252ToUtf8(text) : text;
        return tip;
    }
    return {};
}

bool FleetOverviewController::KeptByReference(std::size_t i) const {
    if (!onlyChanged_ || !reference_) {
        return true;
    }
    const ReferenceState state = reference_->rows[i].state;
    return state == ReferenceState::Differs || state == ReferenceState::New;
}

void FleetOverviewController::AppendMissing() {
    // Missing models follow the folder's rows, in the reference's order; "only changed"
    // keeps the rows of this folder that differ or are new, which a missing one is not.
    if (!reference_ || onlyChanged_) {
        return;
    }
    for (std::size_t m = 0; m < reference_->missing.size(); ++m) {
        const FleetRow& row = reference_->referenceRows[reference_->missing[m].reference];
        if (filter_.empty() || FleetRowMatches(row, filter_)) {
            shown_.push_back(rows_.size() + m);
        }
    }
}

std::string FleetOverviewController::ExportCsv(bool withReference) const {
    std::vector<std::size_t> order;
    bool missingShown = false;
    for (const std::size_t i : shown_) {
        if (i < rows_.size()) {
            order.push_back(i);
        } else {
            missingShown = true;
        }
    }
    if (!withReference) {
        return FleetCsv(rows_, order);
    }
    return FleetCsvWithReference(rows_, order, *reference_, missingShown);
}

void FleetOverviewController::OnCompareFolder() {
    if (reader_ || referenceReader_ || Busy()) {
        view_.MessageBox(
            "The models are still being read: compare once the status line says "
            "they all are.",
            MessageIcon::None);
        return;
    }
    const FileDialogAnswer answer = view_.FileDialog(FleetReferenceDialog());
    if (!answer.confirmed) {
        return;
    }
    referenceReader_ = std::make_unique<ReferenceReader>(rows_, FolderOf(answer.path));
    UpdateStatus();
    view_.StartTimer();
}

void FleetOverviewController::TakeReference() {
    if (!referenceReader_->Finished()) {
        UpdateStatus();
        return;
    }
    ReferenceComparison comparison;
    const Result read = referenceReader_->Take(comparison);
    referenceReader_.reset();
    if (!read) {
        UpdateStatus();
        view_.MessageBox(std::string("The reference folder was not compared: ") += read.message(),
                         MessageIcon::Warning);
        return;
    }
    if (comparison.cancelled) {
        // Half a reference would call every model it did not reach "new".
        UpdateStatus();
        view_.MessageBox("The comparison was stopped; the table shows no reference.",
                         MessageIcon::None);
        return;
    }
    reference_ = std::move(comparison);
    Reorder();
    UpdateStatus();
}

bool FleetOverviewController::OnCancel() {
    if (!referenceReader_) {
        return false;
    }
    referenceReader_->Stop();
    return true;
}

void FleetOverviewController::OnOnlyChanged(bool on) {
    onlyChanged_ = on;
    Reorder();
    UpdateStatus();
}

std::string FleetOverviewController::ReferenceStatus() const {
    if (referenceReader_) {
        std::string text = "Reading the reference: ";
        text += std::to_string(referenceReader_->done());
        text += " of ";
        text += std::to_string(referenceReader_->total());
        text += " (Esc stops)";
        return text;
    }
    if (!reference_) {
        return {};
    }
    std::size_t counts[5] = {};
    for (const ReferenceMatch& match : reference_->rows) {
        ++counts[static_cast<int>(match.state)];
    }
    std::string text = BaseName(reference_->referenceFolder);
    text += ": ";
    text += std::to_string(counts[static_cast<int>(ReferenceState::Identical)]);
    text += " identical, ";
    text += std::to_string(counts[static_cast<int>(ReferenceState::Differs)]);
    text += " differ, ";
    text += std::to_string(counts[static_cast<int>(ReferenceState::New)]);
    text += " new, ";
    text += std::to_string(reference_->missing.size());
    text += " missing";
    return text;
}

void FleetOverviewController::Rematch() {
    if (reference_) {
        reference_ = MatchReference(rows_, reference_->referenceFolder,
                                    std::move(reference_->referenceRows));
    }
}

void FleetOverviewController::OnChange(const std::vector<int>& rows) {
    if (reader_ || referenceReader_ || Busy()) {
        view_.MessageBox(
            "The models are still being read: change them once the status line "
            "says they all are.",
            MessageIcon::None);
        return;
    }
    std::vector<ChangeTarget> targets;
    for (const int row : rows) {
        if (row < 0 || row >= RowCount() || RowMissing(row)) {
            continue;
        }
        const std::size_t i = shown_[static_cast<std::size_t>(row)];
        const FleetRow& r = rows_[i];
        ChangeTarget target;
        target.path = JoinPath(folder_, r.name);
        target.name = r.name;
        if (r.read) {
            target.bytesShown = r.bytes;
        }
        if (reference_) {
            const FleetRow* original = reference_->ReferenceOf(i);
            target.reference = original != nullptr ? &original->model : nullptr;
        }
        targets.push_back(std::move(target));
    }
    if (targets.empty()) {
        view_.MessageBox("Select the models to change (Ctrl+click or Shift+click, Ctrl+A for all).",
                         MessageIcon::None);
        return;
    }
    std::vector<ChangeSource> sources;
    for (const FleetRow& row : rows_) {
        if (row.read) {
            sources.push_back({row.name, row.model});
        }
    }
    FleetChangeController change(std::move(targets), std::move(sources), reference_.has_value());
    if (view_.ShowChange(change)) {
        ApplyPrepared(change.preview());
    }
}

void FleetOverviewController::ApplyPrepared(const ChangePreview& preview) {
    // The editor's own model among them: its unsaved edits would be replaced.
    for (const ChangePreviewRow& row : preview.rows) {
        if (row.WillWrite() && !MayDropEditorEdits(row.name, "write the change")) {
            return;
        }
    }
    // Thousands of files take seconds: written off the window's thread, as an undo is,
    // with the progress in the status line and Escape to stop between files.
    std::string what = "Change ";
    what += DescribeChange(preview.change);
    job_ = std::make_unique<Job>(Job::Phase::Apply, false, std::move(what), [preview](Job& job) {
        job.outcome = ApplyChange(preview, job.step, job.Progress());
        for (const StepFile& file : job.step.files) {
            job.rows.push_back(ReadFleetRow(file.path, file.name));
        }
    });
    UpdateStatus();
    ShowHistory();  // no Undo or Redo while it runs
}

void FleetOverviewController::ApplyDone(Job& job) {
    RecordApplied(std::move(job.step), std::move(job.rows));
    const ChangeOutcome& outcome = job.outcome;
    const bool allWritten = outcome.Count(FileOutcome::Kind::Failed) == 0 &&
                            outcome.Count(FileOutcome::Kind::Skipped) == 0 && !outcome.cancelled;
    view_.MessageBox(outcome.Message(), allWritten ? MessageIcon::None : MessageIcon::Warning);
}

}  // namespace zrb

namespace zrb {

void FleetOverviewController::OnCellEdited(int row, int column, std::string_view text) {
    if (!CellEditable(row, column)) {
        return;
    }
    // The view hands over UTF-8; the file holds the description as Windows-1252.
    std::string typed(text);
    if (column == kFleetDescriptionColumn) {
        std::string refused;
        const std::optional<std::string> bytes = Utf8ToCp1252(text, refused);
        if (!bytes) {
            std::string message =
                "A motion model file holds only the characters of "
                "Windows-1252; \"";
            message += refused;
            message += "\" is not one of them.";
            view_.MessageBox(message, MessageIcon::Warning);
            view_.EditCell(row, column, typed);
            return;
        }
        typed = *bytes;
    }
    std::string problem;
    const std::optional<FleetChange> change = CellEditChange(column, typed, problem);
    if (!change) {
        view_.MessageBox(problem, MessageIcon::Warning);
        view_.EditCell(row, column, std::string(text));
        return;
    }
    const std::size_t index = shown_[static_cast<std::size_t>(row)];
    const std::string name = rows_[index].name;
    ChangePreviewRow preview =
        PreviewChangeRow(*change, {JoinPath(folder_, name), name, rows_[index].bytes, nullptr});
    if (preview.skip == ChangeSkip::Unchanged) {
        return;
    }
    if (preview.skip != ChangeSkip::None) {
        // A misread file, or one changed on disk since it was read, as Save Changes does.
        if (!preview.forceable) {
            view_.MessageBox(name + " was not changed: " + preview.reason, MessageIcon::Warning);
            return;
        }
        if (!view_.AskYesNo(name + ": " + preview.reason + "\n\nWrite the new value into " + name +
                            " all the same?")) {
            return;
        }
        Force(preview);
    }
    if (!MayDropEditorEdits(name, "write the new value")) {
        return;
    }
    ChangeStep step;
    const FileOutcome outcome = ApplyChangeRow(preview, step);
    if (outcome.kind != FileOutcome::Kind::Written) {
        view_.MessageBox(name + " was not changed: " + outcome.reason, MessageIcon::Warning);
        return;
    }
    if (step.description.empty()) {
        step.description = DescribeChange(*change) + " on " + name;
    }
    history_.Record(std::move(step));
    rows_[index] = WrittenRow(preview);
    Rematch();
    Reorder();
    // The edited row stays the current one, wherever the sort has put it.
    const auto at = std::find(shown_.begin(), shown_.end(), index);
    if (at != shown_.end()) {
        view_.ShowCell(static_cast<int>(at - shown_.begin()), column);
    }
    UpdateStatus();
    ShowHistory();
    RefreshEditor(name);
}

void FleetOverviewController::OnChangeApplied(ChangeStep step) {
    std::vector<FleetRow> written;
    for (const StepFile& file : step.files) {
        written.push_back(ReadFleetRow(file.path, file.name));
    }
    RecordApplied(std::move(step), std::move(written));
}

void FleetOverviewController::RecordApplied(ChangeStep step, std::vector<FleetRow> written) {
    std::unordered_map<std::string, std::size_t> at;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        at.emplace(rows_[i].name, i);
    }
    for (FleetRow& row : written) {
        const auto found = at.find(row.name);
        if (found != at.end()) {
            rows_[found->second] = std::move(row);
        }
    }
    const std::string current = editor_.editor().workspace.currentFile;
    const bool editorsModel =
        std::any_of(step.files.begin(), step.files.end(),
                    [&current](const StepFile& file) { return file.name == current; });
    history_.Record(std::move(step));
    Rematch();
    Reorder();
    UpdateStatus();
    ShowHistory();
    if (editorsModel) {
        RefreshEditor(current);
    }
}

bool FleetOverviewController::CanUndo() const {
    return !Busy() && !reader_ && history_.CanUndo();
}

bool FleetOverviewController::CanRedo() const {
    return !Busy() && !reader_ && history_.CanRedo();
}

bool FleetOverviewController::Busy() const {
    return job_ != nullptr;
}

void FleetOverviewController::OnUndo() {
    if (CanUndo()) {
        StartStep(false);
    }
}

void FleetOverviewController::OnRedo() {
    if (CanRedo()) {
        StartStep(true);
    }
}

bool FleetOverviewController::OnCloseRequested() {
    if (OnCancel()) {
        return false;
    }
    if (!job_) {
        return true;
    }
    job_->Stop();
    UpdateStatus();
    return false;
}

void FleetOverviewController::StartStep(bool redo) {
    const ChangeStep& step = history_.step(redo ? history_.done() : history_.done() - 1);
    std::string what = redo ? "Redo " : "Undo ";
    what += step.description;
    job_ = std::make_unique<Job>(Job::Phase::Check, redo, std::move(what), [this, redo](Job& job) {
        job.changedOutside = history_.ChangedOutside(redo, job.Progress());
    });
    UpdateStatus();
    ShowHistory();  // no Undo or Redo while it runs
}

void FleetOverviewController::StepChecked(Job& job) {
    const auto giveUp = [this] {
        UpdateStatus();
        ShowHistory();
    };
    if (job.Stopped()) {
        giveUp();
        return;
    }
    OutsideChange outside = OutsideChange::Overwrite;
    const std::vector<std::string>& changed = job.changedOutside;
    if (!changed.empty()) {
        const bool one = changed.size() == 1;
        std::string question = NamesInShort(changed);
        question += one ? " was" : " were";
        question += " changed on disk since ";
        question += job.redo ? "the change was undone. " : "the change. ";
        question += job.what;
        question += " would overwrite ";
        question += one ? "it" : "them";
        question += ".\n\nOverwrite, skip ";
        question += one ? "it" : "them";
        question += " and go on with the others, or cancel?";
        const int answer = view_.Ask(question, {"&Overwrite", "&Skip", "Cancel"}, 2);
        if (answer == 2) {
            giveUp();
            return;
        }
        outside = answer == 0 ? OutsideChange::Overwrite : OutsideChange::Skip;
    }
    const ChangeStep& step = history_.step(job.redo ? history_.done() : history_.done() - 1);
    for (const StepFile& file : step.files) {
        if (file.name == editor_.editor().workspace.currentFile) {
            if (!MayDropEditorEdits(file.name, job.redo ? "redo the change" : "undo the change")) {
                giveUp();
                return;
            }
            break;
        }
    }
    const bool redo = job.redo;
    job_ = std::make_unique<Job>(Job::Phase::Step, redo, job.what, [this, redo, outside](Job& j) {
        j.outcome =
            redo ? history_.Redo(outside, j.Progress()) : history_.Undo(outside, j.Progress());
        for (const FileOutcome& file : j.outcome.files) {
            if (file.kind == FileOutcome::Kind::Written) {
                j.rows.push_back(ReadFleetRow(file.path, file.name));
            }
        }
    });
    UpdateStatus();
}

void FleetOverviewController::StepDone(Job& job) {
    std::unordered_map<std::string, std::size_t> at;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        at.emplace(rows_[i].name, i);
    }
    bool editorsModel = false;
    std::optional<std::size_t> first;  // the first file written, to be shown selected
    for (FleetRow& row : job.rows) {
        editorsModel = editorsModel || row.name == editor_.editor().workspace.currentFile;
        const auto found = at.find(row.name);
        if (found != at.end()) {
            rows_[found->second] = std::move(row);
            first = first ? first : found->second;
        }
    }
    Rematch();
    Reorder();
    const auto shown = std::find(shown_.begin(), shown_.end(), first.value_or(rows_.size()));
    if (shown != shown_.end()) {
        view_.ShowCell(static_cast<int>(shown - shown_.begin()), -1);
    }
    UpdateStatus();
    ShowHistory();
    if (editorsModel) {
        RefreshEditor(editor_.editor().workspace.currentFile);
    }
    const ChangeOutcome& outcome = job.outcome;
    if (outcome.cancelled || outcome.Count(FileOutcome::Kind::Written) != outcome.files.size()) {
        view_.MessageBox(outcome.Message(), MessageIcon::Warning);
    }
}

void FleetOverviewController::ShowHistory() {
    const std::vector<std::string> descriptions = history_.Descriptions();
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < descriptions.size(); ++i) {
        std::string line = std::to_string(i + 1) + ". ";
        if (i >= history_.done()) {
            line += "(undone) ";
        }
        line += descriptions[i];
        lines.push_back(std::move(line));
    }
    view_.ShowHistory(lines, static_cast<int>(history_.done()) - 1);
}

bool FleetOverviewController::MayDropEditorEdits(const std::string& name,
                                                 const std::string& action) {
    if (name != editor_.editor().workspace.currentFile || !editor_.editor().HasUnsavedEdits()) {
        return true;
    }
    return view_.AskYesNo(name + " is open in the editor with changes not saved. Drop them and " +
                          action + "?");
}

void FleetOverviewController::RefreshEditor(const std::string& name) {
    if (!name.empty() && name == editor_.editor().workspace.currentFile) {
        editor_.LoadListedModel(name);
    }
}

}  // namespace zrb
