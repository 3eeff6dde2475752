#include "editor/FleetChange.h"

#include <algorithm>
#include <utility>

#include "model/Cp1252.h"
#include "model/Numbers.h"

namespace zrb {

namespace {

// How long one timer tick may read files for the preview: well below what a user
// notices as a stall.
constexpr std::chrono::milliseconds kSlice{40};

// Field index 0 is the description, 1 to 11 the keys.
const ModelKey* KeyOf(int field) {
    return field == 0 ? nullptr : &ModelKeys()[static_cast<std::size_t>(field - 1)];
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    std::string text = std::to_string(n);
    text += ' ';
    text += n == 1 ? one : many;
    return text;
}

}  // namespace

FleetChangeController::FleetChangeController(std::vector<ChangeTarget> targets,
                                             std::vector<ChangeSource> sources, bool canRevert)
    : targets_(std::move(targets)), sources_(std::move(sources)), canRevert_(canRevert) {
    Restart();
}

void FleetChangeController::SetView(FleetChangeView* view) {
    view_ = view;
    if (view_ != nullptr && problem_.empty() && preview_.cancelled) {
        view_->StartTimer();
    }
}

std::vector<std::string> FleetChangeController::OperationNames() {
    return {"Set to a value", "Multiply by a factor", "Add an amount", "Copy from a model",
            "Revert to the reference"};
}

std::vector<std::string> FleetChangeController::FieldNames() {
    std::vector<std::string> names = {"description"};
    for (const ModelKey& key : ModelKeys()) {
        names.emplace_back(key.name);
    }
    return names;
}

std::string FleetChangeController::PreviewTitle(int column) {
    static const char* const titles[kPreviewColumns] = {"model", "field", "now", "after", "note"};
    return column >= 0 && column < kPreviewColumns ? titles[column] : "";
}

std::vector<std::string> FleetChangeController::SourceNames() const {
    std::vector<std::string> names;
    for (const ChangeSource& source : sources_) {
        names.push_back(source.name);
    }
    return names;
}

void FleetChangeController::OnOperationChosen(int operation) {
    if (operation < kSet || operation > kRevert || operation == operation_) {
        return;
    }
    operation_ = operation;
    Restart();
}

void FleetChangeController::OnFieldsChosen(std::vector<int> fields) {
    fields.erase(
        std::remove_if(fields.begin(), fields.end(),
                       [](int f) { return f < 0 || f > static_cast<int>(ModelKeys().size()); }),
        fields.end());
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
    if (fields == fields_) {
        return;
    }
    fields_ = std::move(fields);
    Restart();
}

void FleetChangeController::OnValueEdited(std::string_view text) {
    value_ = text;
    if (ValueUsed()) {
        Restart();
    }
}

void FleetChangeController::OnSourceChosen(int source) {
    if (source < 0 || source >= static_cast<int>(sources_.size()) || source == source_) {
        return;
    }
    source_ = source;
    if (SourceUsed()) {
        Restart();
    }
}

bool FleetChangeController::ValueUsed() const {
    return operation_ == kSet || operation_ == kMultiply || operation_ == kAdd;
}

void FleetChangeController::Restart() {
    preview_ = {};
    lines_.clear();
    problem_.clear();
    FleetChange change;
    if (fields_.empty()) {
        problem_ = "Choose the fields to change.";
    } else if (operation_ == kCopy && source_ < 0) {
        problem_ = "Choose the model to copy from.";
    } else if (operation_ == kRevert && !canRevert_) {
        problem_ = "Compare with a folder first: it holds the values to revert to.";
    }
    for (const int field : fields_) {
        if (!problem_.empty()) {
            break;
        }
        FieldEdit edit;
        edit.key = KeyOf(field);
        switch (operation_) {
            case kSet:
            case kMultiply:
            case kAdd:
                edit.op = operation_ == kSet        ? FieldOp::Set
                          : operation_ == kMultiply ? FieldOp::Multiply
                                                    : FieldOp::Add;
                if (edit.key == nullptr && edit.op == FieldOp::Set) {
                    std::string refused;
                    const std::optional<std::string> text = Utf8ToCp1252(value_, refused);
                    if (!text) {
                        problem_ = "A description cannot hold \"";
                        problem_ += refused;
                        problem_ += "\".";
                    } else {
                        edit.text = *text;
                    }
                } else if (edit.key != nullptr && !ParsePlainNumber(value_, edit.number)) {
                    problem_ = operation_ == kSet        ? "Type the value as a plain number."
                               : operation_ == kMultiply ? "Type the factor as a plain number."
                                                         : "Type the amount as a plain number.";
                }
                break;
            case kCopy:
                edit.op = FieldOp::CopyFrom;
                break;
            default:
                edit.op = FieldOp::Revert;
                break;
        }
        change.edits.push_back(std::move(edit));
    }
    if (problem_.empty() && operation_ == kCopy) {
        change.source = sources_[static_cast<std::size_t>(source_)].model;
        change.sourceName = sources_[static_cast<std::size_t>(source_)].name;
    }
    if (problem_.empty()) {
        if (const std::optional<std::string> problem = ChangeProblem(change)) {
            problem_ = *problem;
        }
    }
    if (problem_.empty()) {
        preview_.change = std::move(change);
        preview_.cancelled = true;  // until every target is read
    }
    if (view_ != nullptr) {
        view_->PreviewChanged();
        if (problem_.empty()) {
            view_->StartTimer();
        }
    }
}

bool FleetChangeController::OnTimer() {
    if (!problem_.empty() || !preview_.cancelled) {
        return false;
    }
    const auto until = std::chrono::steady_clock::now() + kSlice;
    do {
        const std::size_t at = preview_.rows.size();
        if (at == targets_.size()) {
            break;
        }
        preview_.rows.push_back(PreviewChangeRow(preview_.change, targets_[at]));
        AddLines(at);
    } while (std::chrono::steady_clock::now() < until);
    preview_.cancelled = preview_.rows.size() < targets_.size();
    if (view_ != nullptr) {
        view_->PreviewChanged();
    }
    return preview_.cancelled;
}

void FleetChangeController::AddLines(std::size_t row) {
    const std::size_t cells = preview_.rows[row].cells.size();
    if (cells == 0) {
        lines_.emplace_back(row, -1);
    }
    for (std::size_t c = 0; c < cells; ++c) {
        lines_.emplace_back(row, static_cast<int>(c));
    }
}

bool FleetChangeController::CanApply() const {
    return problem_.empty() && !preview_.cancelled && preview_.WillWrite() > 0;
}

std::string FleetChangeController::Hint() const {
    switch (operation_) {
        case kSet:
            return "Each chosen field gets the value, rounded as its file keeps it; the "
                   "description gets the text (\"//\" is put in front).";
        case kMultiply:
            return "Each model's value is multiplied by the factor (1.1 adds a tenth) and "
                   "rounded as its file keeps it.";
        case kAdd:
            return "The amount is added to each model's value (a negative amount takes "
                   "away), rounded as its file keeps it.";
        case kCopy:
            return "The chosen fields get the values of the model chosen under From model.";
        default:
            return "The chosen fields get the reference folder's values back; a model the "
                   "reference lacks is skipped.";
    }
}

std::string FleetChangeController::Summary() const {
    if (!problem_.empty()) {
        return problem_;
    }
    if (preview_.cancelled) {
        std::string text = "Reading the models: ";
        text += std::to_string(preview_.rows.size());
        text += " of ";
        text += std::to_string(targets_.size());
        return text;
    }
    const std::size_t write = preview_.WillWrite();
    const std::size_t unchanged = preview_.Count(ChangeSkip::Unchanged);
    const std::size_t skipped = preview_.rows.size() - write - unchanged;
    std::string text = Plural(write, "model to write", "models to write");
    if (unchanged > 0) {
        text += ", ";
        text += std::to_string(unchanged);
        text += " unchanged";
    }
    if (skipped > 0) {
        text += ", ";
        text += std::to_string(skipped);
        text += " skipped";
    }
    return text;
}

std::string FleetChangeController::PreviewCell(int line, int column) const {
    if (line < 0 || line >= PreviewCount()) {
        return {};
    }
    const auto [r, c] = lines_[static_cast<std::size_t>(line)];
    const ChangePreviewRow& row = preview_.rows[r];
    const ChangeCell* cell = c < 0 ? nullptr : &row.cells[static_cast<std::size_t>(c)];
    // The description's bytes are Windows-1252; the numbers are ASCII.
    auto shown = [&](const std::string& text) {
        return cell != nullptr && cell->key == nullptr ? Cp1252ToUtf8(text) : text;
    };
    switch (column) {
        case 0:
            return row.name;
        case 1:
            return cell == nullptr        ? ""
                   : cell->key == nullptr ? "description"
                                          : std::string(cell->key->name);
        case 2:
            return cell == nullptr ? "" : shown(cell->oldText);
        case 3:
            return cell == nullptr ? "" : shown(cell->newText);
        case 4: {
            if (row.WillWrite()) {
                return row.skip == ChangeSkip::None ? "" : "written all the same";
            }
            std::string note(row.skip == ChangeSkip::Unchanged ? "" : "skipped: ");
            note += ChangeSkipText(row.skip);
            if (!row.reason.empty()) {
                note += " (";
                note += row.reason;
                note += ')';
            }
            return note;
        }
        default:
            return {};
    }
}

bool FleetChangeController::PreviewSkipped(int line) const {
    if (line < 0 || line >= PreviewCount()) {
        return false;
    }
    return !preview_.rows[lines_[static_cast<std::size_t>(line)].first].WillWrite();
}

}  // namespace zrb
