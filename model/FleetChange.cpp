#include "model/FleetChange.h"

#include <cmath>
#include <utility>

#include "model/Cp1252.h"
#include "model/InputFile.h"
#include "model/LineReader.h"
#include "model/LoadFindings.h"
#include "model/ModelCheck.h"
#include "model/Numbers.h"
#include "platform/SafeFile.h"

namespace zrb {

namespace {

constexpr ModelFileVariant kVariant = ModelFileVariant::SaveChanges;
constexpr std::string_view kTimes = "\xC3\x97";  // ×, UTF-8

// Pieces appended one by one (a literal-plus-string sum trips GCC 12's -Wrestrict).
template <class... Pieces>
std::string Concat(const Pieces&... pieces) {
    std::string text;
    (text.append(pieces), ...);
    return text;
}

std::string FieldName(const ModelKey* key) {
    return key == nullptr ? std::string("description") : std::string(key->name);
}

// A description in a step's title: UTF-8, cut short.
std::string ShortDescription(std::string_view bytes) {
    constexpr std::size_t kLongest = 32;
    std::string text = Cp1252ToUtf8(bytes.substr(0, kLongest));
    if (bytes.size() > kLongest) {
        text += "\xE2\x80\xA6";  // …
    }
    return text;
}

std::string ValueText(const ModelKey* key, const MotionModel& model) {
    return key == nullptr ? model.description : FormatModelValue(*key, model.*key->field, kVariant);
}

// "a.zrb", "a.zrb and b.zrb", "a.zrb, b.zrb and c.zrb"
std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            list += i + 1 == names.size() ? " and " : ", ";
        }
        list += names[i];
    }
    return list;
}

std::string CountOfModels(std::size_t n) {
    std::string text = std::to_string(n);
    text += n == 1 ? " model" : " models";
    return text;
}

bool ReadBytesAgain(const std::string& path, std::string& bytes) {
    return ReadModelBytes(path, bytes).ok();
}

}  // namespace

bool ParseEditNumber(std::string_view typed, FieldEdit& edit, std::string& problem) {
    const std::string_view what = edit.op == FieldOp::Multiply ? " as the factor for "
                                  : edit.op == FieldOp::Add    ? " as the amount for "
                                                               : " for ";
    const std::string name = FieldName(edit.key);
    double number = 0;
    if (!ParsePlainNumber(typed, number)) {
        problem =
            Concat(std::string_view("\""), typed, std::string_view("\" is not a number"), what,
                   name, std::string_view(". Enter a plain number such as 950 or 0.25."));
        return false;
    }
    if (!std::isfinite(number)) {
        problem = Concat(std::string_view("\""), typed, std::string_view("\" is too large"), what,
                         name, std::string_view(": a model file cannot hold it."));
        return false;
    }
    edit.number = number;
    return true;
}

std::optional<FleetChange> CellEditChange(int column, std::string_view typed,
                                          std::string& problem) {
    FieldEdit edit;
    if (column == kFleetDescriptionColumn) {
        edit.text.assign(typed);
    } else if (column >= kFleetFirstFieldColumn && column < kFleetSpeedColumn) {
        edit.key = &ModelKeys()[static_cast<std::size_t>(column - kFleetFirstFieldColumn)];
        if (!ParseEditNumber(typed, edit, problem)) {
            return std::nullopt;
        }
    } else {
        problem = std::string("This column cannot be edited.");
        return std::nullopt;
    }
    FleetChange change;
    change.edits.push_back(std::move(edit));
    return change;
}

std::optional<std::string> ChangeProblem(const FleetChange& change) {
    if (change.edits.empty()) {
        return std::string("No field is chosen.");
    }
    for (std::size_t i = 0; i < change.edits.size(); ++i) {
        const FieldEdit& edit = change.edits[i];
        const std::string name = FieldName(edit.key);
        for (std::size_t j = 0; j < i; ++j) {
            if (change.edits[j].key == edit.key) {
                return Concat(name, " is chosen more than once.");
            }
        }
        const bool arithmetic = edit.op == FieldOp::Multiply || edit.op == FieldOp::Add;
        if (arithmetic && edit.key == nullptr) {
            return std::string("The description can be set, copied or reverted, not computed.");
        }
        if ((arithmetic || (edit.op == FieldOp::Set && edit.key != nullptr)) &&
            !std::isfinite(edit.number)) {
            return Concat("The number for ", name, " is too large.");
        }
    }
    return std::nullopt;
}

std::string DescribeChange(const FleetChange& change) {
    std::vector<std::string> parts;
    std::vector<std::string> copied;
    std::vector<std::string> reverted;
    std::size_t copiedAt = 0;
    std::size_t revertedAt = 0;
    for (const FieldEdit& edit : change.edits) {
        const std::string name = FieldName(edit.key);
        switch (edit.op) {
            case FieldOp::Set:
                if (edit.key == nullptr) {
                    parts.push_back(Concat(name, " = \"", ShortDescription(edit.text), "\""));
                } else {
                    parts.push_back(Concat(name, " = ", FormatBoxNumber(edit.number)));
                }
                break;
            case FieldOp::Multiply: {
                std::string part = name;
                part += ' ';
                part += kTimes;
                part += FormatBoxNumber(edit.number);
                parts.push_back(std::move(part));
                break;
            }
            case FieldOp::Add: {
                std::string part = name;
                part += edit.number < 0 ? " " : " +";
                part += FormatBoxNumber(edit.number);
                parts.push_back(std::move(part));
                break;
            }
            case FieldOp::CopyFrom:
                if (copied.empty()) {
                    copiedAt = parts.size();
                    parts.emplace_back();
                }
                copied.push_back(name);
                break;
            case FieldOp::Revert:
                if (reverted.empty()) {
                    revertedAt = parts.size();
                    parts.emplace_back();
                }
                reverted.push_back(name);
                break;
        }
    }
    if (!copied.empty()) {
        std::string part = NameList(copied);
        part += " from ";
        part += change.sourceName;
        parts[copiedAt] = std::move(part);
    }
    if (!reverted.empty()) {
        parts[revertedAt] = Concat(NameList(reverted), " reverted to the reference");
    }
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) {
            text += ", ";
        }
        text += part;
    }
    return text;
}

std::string_view ChangeSkipText(ChangeSkip skip) {
    switch (skip) {
        case ChangeSkip::None:
            return "";
        case ChangeSkip::Unchanged:
            return "unchanged";
        case ChangeSkip::Unreadable:
            return "not readable";
        case ChangeSkip::NoReference:
            return "not in the reference";
        case ChangeSkip::NotFinite:
            return "value not finite";
        case ChangeSkip::NotRepresentable:
            return "value not representable";
        case ChangeSkip::Misread:
            return "misread file";
        case ChangeSkip::ChangedOnDisk:
            return "changed on disk";
        case ChangeSkip::Cancelled:
            return "stopped";
    }
    return "";
}

std::size_t ChangePreview::Count(ChangeSkip skip) const {
    std::size_t n = 0;
    for (const ChangePreviewRow& row : rows) {
        n += row.skip == skip ? 1 : 0;
    }
    return n;
}

std::size_t ChangePreview::WillWrite() const {
    std::size_t n = 0;
    for (const ChangePreviewRow& row : rows) {
        n += row.WillWrite() ? 1 : 0;
    }
    return n;
}

ChangePreviewRow PreviewChangeRow(const FleetChange& change, const ChangeTarget& target) {
    ChangePreviewRow row;
    row.path = target.path;
    row.name = target.name;
    if (Result read = ReadModelBytes(target.path, row.before); !read) {
        row.skip = ChangeSkip::Unreadable;
        row.reason = read.message();
        return row;
    }
    MotionModel old;
    std::string oldSpeed;
    ReadAndCheckModelBytes(row.before, old, oldSpeed, row.findings);
    const std::vector<ModelFinding>& findings = row.findings;

    // Every reason that holds, so that the row can say all of them.
    std::vector<std::pair<ChangeSkip, std::string>> reasons;
    const auto hold = [&reasons](ChangeSkip skip, std::string sentence) {
        reasons.emplace_back(skip, std::move(sentence));
    };

    MotionModel model = old;
    for (const FieldEdit& edit : change.edits) {
        const MotionModel* from = nullptr;
        if (edit.op == FieldOp::CopyFrom) {
            from = &change.source;
        } else if (edit.op == FieldOp::Revert) {
            if (target.reference == nullptr) {
                if (reasons.empty() || reasons.back().first != ChangeSkip::NoReference) {
                    hold(ChangeSkip::NoReference,
                         Concat("The reference has no model named ", target.name, "."));
                }
                continue;
            }
            from = target.reference;
        }
        if (edit.key == nullptr) {
            model.description = from != nullptr ? from->description : edit.text;
            continue;
        }
        double& value = model.*edit.key->field;
        switch (edit.op) {
            case FieldOp::Set:
                value = edit.number;
                break;
            case FieldOp::Multiply:
                value *= edit.number;
                break;
            case FieldOp::Add:
                value += edit.number;
                break;
            case FieldOp::CopyFrom:
            case FieldOp::Revert:
                value = from->*edit.key->field;
                break;
        }
    }
    EnsureDescriptionPrefix(model);

    const bool noReference = !reasons.empty();
    if (!noReference) {
        for (const FieldEdit& edit : change.edits) {
            row.cells.push_back({edit.key, ValueText(edit.key, old), ValueText(edit.key, model)});
        }
    }
    for (const ModelKey& key : ModelKeys()) {
        const double value = model.*key.field;
        if (!std::isfinite(value)) {
            const bool edited = value != old.*key.field || std::isnan(value);
            std::string sentence = edited ? "The new value of " : "The value of ";
            sentence += key.name;
            sentence += " would be ";
            sentence += FormatBoxNumber(value);
            sentence += ", which a model file cannot hold.";
            hold(ChangeSkip::NotFinite, std::move(sentence));
        }
    }
    if (model.description.find_first_of("\r\n") != std::string::npos) {
        hold(ChangeSkip::NotRepresentable,
             "The description would hold a line break, which a model file cannot hold.");
    } else if (model.description.size() > LineReader::kMaxPiece) {
        hold(ChangeSkip::NotRepresentable,
             Concat("The description would be ", std::to_string(model.description.size()),
                    " characters long; the editor reads back only the first ",
                    std::to_string(LineReader::kMaxPiece), "."));
    }
    for (const ModelFinding& finding : findings) {
        if (finding.kind == FindingKind::Misread) {
            hold(ChangeSkip::Misread,
                 FleetMisreadText(LoadFindings::From(Result::Success(), findings)));
            break;
        }
    }
    if (target.bytesShown && *target.bytesShown != row.before) {
        hold(ChangeSkip::ChangedOnDisk, "The file was changed on disk since it was read.");
    }

    bool unchanged = !noReference;
    for (const ChangeCell& cell : row.cells) {
        unchanged = unchanged && cell.oldText == cell.newText;
    }
    if (unchanged) {
        row.skip = ChangeSkip::Unchanged;
        row.model = old;
        row.speedText = oldSpeed;
        return row;
    }

    row.forceable = !reasons.empty();
    for (const auto& [skip, sentence] : reasons) {
        if (row.skip == ChangeSkip::None || skip < row.skip) {
            row.skip = skip;
        }
        row.forceable =
            row.forceable && (skip == ChangeSkip::Misread || skip == ChangeSkip::ChangedOnDisk);
        if (!row.reason.empty()) {
            row.reason += ' ';
        }
        row.reason += sentence;
    }
    if (row.skip == ChangeSkip::None || row.forceable) {
        row.after = ModelFileBytes(model, kVariant);
        // What the reader gets back: each value as the file keeps it.
        for (const ModelKey& key : ModelKeys()) {
            model.*key.field = ParseNumber(FormatModelValue(key, model.*key.field, kVariant));
        }
        row.speedText = SpeedText(model.gasScaleFactor);
    }
    row.model = std::move(model);
    return row;
}

FleetRow WrittenRow(const ChangePreviewRow& row) {
    FleetRow written;
    written.name = row.name;
    written.read = true;
    written.model = row.model;
    written.speedText = row.speedText;
    written.bytes = row.after;
    return written;
}

ChangePreview PreviewChange(const FleetChange& change, const std::vector<ChangeTarget>& targets,
                            const FleetProgress& progress) {
    ChangePreview preview;
    preview.change = change;
    preview.rows.reserve(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (progress && !progress(i, targets.size())) {
            preview.cancelled = true;
            break;
        }
        preview.rows.push_back(PreviewChangeRow(change, targets[i]));
    }
    return preview;
}

bool Force(ChangePreviewRow& row) {
    if (!row.forceable) {
        return false;
    }
    row.forced = true;
    return true;
}

std::size_t ChangeOutcome::Count(FileOutcome::Kind kind) const {
    std::size_t n = 0;
    for (const FileOutcome& file : files) {
        n += file.kind == kind ? 1 : 0;
    }
    return n;
}

std::string ChangeOutcome::Message() const {
    std::string message = summary;
    const std::size_t written = Count(FileOutcome::Kind::Written);
    if (written == files.size()) {
        return message;
    }
    std::vector<std::string> names;
    std::string failed;
    std::string skipped;
    std::size_t stopped = 0;
    for (const FileOutcome& file : files) {
        if (file.kind == FileOutcome::Kind::Written) {
            names.push_back(file.name);
        } else if (file.skip == ChangeSkip::Cancelled) {
            ++stopped;
        } else {
            std::string& list = file.kind == FileOutcome::Kind::Failed ? failed : skipped;
            list += "\n- ";
            list += file.name;
            if (file.kind == FileOutcome::Kind::Skipped) {
                list += " (";
                list += ChangeSkipText(file.skip);
                list += ')';
            }
            list += ": ";
            list += file.reason;
        }
    }
    if (!names.empty()) {
        message += "\n\nWritten: ";
        message += NameList(names);
        message += '.';
    }
    if (!failed.empty()) {
        message += "\n\nNot written, the write failed:";
        message += failed;
    }
    if (!skipped.empty()) {
        message += "\n\nSkipped:";
        message += skipped;
    }
    if (stopped > 0) {
        message += "\n\nStopped before ";
        message += CountOfModels(stopped);
        message += stopped == 1 ? ", which was left as it was." : ", which were left as they were.";
    }
    return message;
}

FileOutcome ApplyChangeRow(const ChangePreviewRow& row, ChangeStep& step) {
    FileOutcome outcome;
    outcome.path = row.path;
    outcome.name = row.name;
    if (!row.WillWrite()) {
        outcome.skip = row.skip;
        outcome.reason = row.reason;
        return outcome;
    }
    // What the user saw in the preview is what gets replaced, or nothing.
    std::string now;
    if (!ReadBytesAgain(row.path, now) || now != row.before) {
        outcome.skip = ChangeSkip::ChangedOnDisk;
        outcome.reason = "The file was changed on disk since the preview; it was left as it is.";
        return outcome;
    }
    if (Result saved = SaveFileAtomically(row.path, row.after); !saved) {
        outcome.kind = FileOutcome::Kind::Failed;
        outcome.reason = saved.message();
        return outcome;
    }
    outcome.kind = FileOutcome::Kind::Written;
    step.files.push_back({row.path, row.name, std::move(now), row.after, true});
    return outcome;
}

ChangeOutcome ApplyChange(const ChangePreview& preview, ChangeStep& step,
                          const FleetProgress& progress) {
    ChangeOutcome outcome;
    const std::size_t total = preview.rows.size();
    for (std::size_t i = 0; i < total; ++i) {
        const ChangePreviewRow& row = preview.rows[i];
        if (row.skip == ChangeSkip::Unchanged) {
            continue;
        }
        if (!outcome.cancelled && progress && !progress(i, total)) {
            outcome.cancelled = true;
        }
        if (outcome.cancelled) {
            FileOutcome& stopped = outcome.files.emplace_back();
            stopped.path = row.path;
            stopped.name = row.name;
            stopped.skip = ChangeSkip::Cancelled;
            stopped.reason = "Stopped before this file was written.";
            continue;
        }
        outcome.files.push_back(ApplyChangeRow(row, step));
    }
    const std::size_t written = step.files.size();
    step.description = DescribeChange(preview.change);
    step.description += " on ";
    step.description += written == 1 ? step.files.front().name : CountOfModels(written);
    if (written == 0) {
        outcome.summary = "No model was changed.";
    } else if (written == outcome.files.size()) {
        outcome.summary = Concat(
            "Changed ", written == 1 ? step.files.front().name : CountOfModels(written), ".");
    } else {
        outcome.summary = Concat("Changed ", std::to_string(written), " of ",
                                 CountOfModels(outcome.files.size()), ".");
    }
    return outcome;
}

void ChangeHistory::Record(ChangeStep step) {
    if (step.files.empty()) {
        return;
    }
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    done_ = steps_.size();
}

std::vector<std::string> ChangeHistory::Descriptions() const {
    std::vector<std::string> descriptions;
    descriptions.reserve(steps_.size());
    for (const ChangeStep& step : steps_) {
        descriptions.push_back(step.description);
    }
    return descriptions;
}

std::vector<std::string> ChangeHistory::ChangedOutside(bool redo,
                                                       const FleetProgress& progress) const {
    std::vector<std::string> names;
    if (redo ? !CanRedo() : !CanUndo()) {
        return names;
    }
    const ChangeStep& step = steps_[redo ? done_ : done_ - 1];
    std::string now;
    for (std::size_t i = 0; i < step.files.size(); ++i) {
        const StepFile& file = step.files[i];
        if (file.done == redo) {
            continue;  // not part of this way
        }
        if (progress && !progress(i, step.files.size())) {
            break;
        }
        const std::string& expected = redo ? file.before : file.after;
        if (!ReadBytesAgain(file.path, now) || now != expected) {
            names.push_back(file.name);
        }
    }
    return names;
}

ChangeOutcome ChangeHistory::Undo(OutsideChange outside, const FleetProgress& progress) {
    return Step(false, outside, progress);
}

ChangeOutcome ChangeHistory::Redo(OutsideChange outside, const FleetProgress& progress) {
    return Step(true, outside, progress);
}

ChangeOutcome ChangeHistory::Step(bool redo, OutsideChange outside, const FleetProgress& progress) {
    ChangeOutcome outcome;
    if (redo ? !CanRedo() : !CanUndo()) {
        outcome.summary = redo ? "Nothing to redo." : "Nothing to undo.";
        return outcome;
    }
    ChangeStep& step = steps_[redo ? done_ : done_ - 1];
    std::string now;
    for (std::size_t i = 0; i < step.files.size(); ++i) {
        StepFile& file = step.files[i];
        if (file.done == redo) {
            continue;  // already where this way takes it, or left by an earlier run
        }
        FileOutcome& result = outcome.files.emplace_back();
        result.path = file.path;
        result.name = file.name;
        if (!outcome.cancelled && progress && !progress(i, step.files.size())) {
            outcome.cancelled = true;
        }
        if (outcome.cancelled) {
            result.skip = ChangeSkip::Cancelled;
            result.reason = "Stopped before this file was written.";
            continue;
        }
        const std::string& expected = redo ? file.before : file.after;
        if (outside == OutsideChange::Skip &&
            (!ReadBytesAgain(file.path, now) || now != expected)) {
            result.skip = ChangeSkip::ChangedOnDisk;
            result.reason = "The file was changed on disk since; it was left as it is.";
            continue;
        }
        if (Result saved = SaveFileAtomically(file.path, redo ? file.after : file.before); !saved) {
            result.kind = FileOutcome::Kind::Failed;
            result.reason = saved.message();
            continue;
        }
        result.kind = FileOutcome::Kind::Written;
        file.done = redo;
    }
    // A stopped run leaves the step where it is, to be finished by the next one.
    if (!outcome.cancelled) {
        done_ = redo ? done_ + 1 : done_ - 1;
    }
    const std::size_t written = outcome.Count(FileOutcome::Kind::Written);
    outcome.summary = redo ? "Redid " : "Undid ";
    outcome.summary += step.description;
    if (written != outcome.files.size()) {
        outcome.summary += " in part: ";
        outcome.summary += std::to_string(written);
        outcome.summary += " of ";
        outcome.summary += CountOfModels(outcome.files.size());
        outcome.summary += redo ? " changed again" : " restored";
    }
    outcome.summary += '.';
    return outcome;
}

}  // namespace zrb
