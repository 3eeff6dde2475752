#include "model/FleetChange.h"

namespace zrb {

// Not yet implemented: every function refuses or does nothing.

std::optional<FleetChange> CellEditChange(int, std::string_view, std::string& problem) {
    problem = "not implemented yet";
    return std::nullopt;
}

std::optional<std::string> ChangeProblem(const FleetChange&) {
    return std::string("not implemented yet");
}

std::string DescribeChange(const FleetChange&) {
    return {};
}

std::string_view ChangeSkipText(ChangeSkip) {
    return {};
}

std::size_t ChangePreview::Count(ChangeSkip) const {
    return 0;
}

std::size_t ChangePreview::WillWrite() const {
    return 0;
}

ChangePreviewRow PreviewChangeRow(const FleetChange&, const ChangeTarget& target) {
    ChangePreviewRow row;
    row.path = target.path;
    row.name = target.name;
    row.skip = ChangeSkip::Unreadable;
    row.reason = "not implemented yet";
    return row;
}

ChangePreview PreviewChange(const FleetChange& change, const std::vector<ChangeTarget>& targets,
                            const FleetProgress&) {
    ChangePreview preview;
    preview.change = change;
    for (const ChangeTarget& target : targets) {
        preview.rows.push_back(PreviewChangeRow(change, target));
    }
    return preview;
}

bool Force(ChangePreviewRow&) {
    return false;
}

std::size_t ChangeOutcome::Count(FileOutcome::Kind) const {
    return 0;
}

std::string ChangeOutcome::Message() const {
    return summary;
}

FileOutcome ApplyChangeRow(const ChangePreviewRow& row, ChangeStep&) {
    FileOutcome outcome;
    outcome.path = row.path;
    outcome.name = row.name;
    outcome.kind = FileOutcome::Kind::Failed;
    outcome.reason = "not implemented yet";
    return outcome;
}

ChangeOutcome ApplyChange(const ChangePreview&, ChangeStep&, const FleetProgress&) {
    return {};
}

void ChangeHistory::Record(ChangeStep) {}

std::vector<std::string> ChangeHistory::Descriptions() const {
    return {};
}

std::vector<std::string> ChangeHistory::ChangedOutside(bool, const FleetProgress&) const {
    return {};
}

ChangeOutcome ChangeHistory::Undo(OutsideChange outside, const FleetProgress& progress) {
    return Step(false, outside, progress);
}

ChangeOutcome ChangeHistory::Redo(OutsideChange outside, const FleetProgress& progress) {
    return Step(true, outside, progress);
}

ChangeOutcome ChangeHistory::Step(bool, OutsideChange, const FleetProgress&) {
    return {};
}

}  // namespace zrb
