#pragma once
// Changing many models at once, safely: a change (set, multiply, add, copy from one
// model, revert to a reference) on a set of model files, its preview with the exact
// text each file will hold and the rows that will be skipped and why, the apply with the
// atomic save, and the undo/redo history holding each file's exact bytes.
//
// Long work (thousands of files) runs on a worker thread: every function here that
// touches many files takes a FleetProgress, called between files, that can stop it.
// Nothing here keeps global state; one ChangeHistory must be used by one thread at a
// time.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Fleet.h"
#include "model/ModelCheck.h"
#include "model/ModelFile.h"
#include "platform/Result.h"

namespace zrb {

// What a change does to one field.
enum class FieldOp {
    Set,       // to `number` (a field) or `text` (the description)
    Multiply,  // by `number`; fields only
    Add,       // `number`; fields only
    CopyFrom,  // the value of FleetChange::source
    Revert,    // the value of the target's reference model
};

struct FieldEdit {
    const ModelKey* key = nullptr;  // nullptr: the description
    FieldOp op = FieldOp::Set;
    double number = 0.0;  // Set: the value; Multiply: the factor; Add: the amount
    std::string text;     // Set on the description: its Windows-1252 bytes
};

// One change, applied alike to every model it targets. Usually one edit; copying or
// reverting any set of fields, and the command line's several NAME=VALUE, give more.
struct FleetChange {
    std::vector<FieldEdit> edits;
    MotionModel source;      // CopyFrom: the model whose values are copied
    std::string sourceName;  // its name, for the step's description
};

// The change of a cell edit: Set of the field of `column` (kFleetFirstFieldColumn on)
// to `typed` by the editor's plain-number rule, or of the description (`typed` is its
// Windows-1252 bytes, as the editor holds them). Nothing, with the reason in `problem`
// (UTF-8), when `typed` is no plain number or the column holds no editable value.
std::optional<FleetChange> CellEditChange(int column, std::string_view typed, std::string& problem);

// Takes the number typed for `edit` (a Set value, a Multiply factor, an Add amount, as
// the Change dialog's box holds it) into `edit.number` by the editor's plain-number rule.
// False, with the reason in `problem` (UTF-8), when it is no plain number or too large.
bool ParseEditNumber(std::string_view typed, FieldEdit& edit, std::string& problem);

// Why `change` cannot be previewed (no edit, Multiply or Add on the description, a field
// given twice); nothing when it can.
std::optional<std::string> ChangeProblem(const FleetChange& change);

// "mass ×1.1", "mass = 950", "mass +50", "mass, horsePower from truck.zrb",
// "description = \"//Van\"", "mass reverted to the reference" (UTF-8), the edits joined
// with ", ".
std::string DescribeChange(const FleetChange& change);

// One model a change is meant for.
struct ChangeTarget {
    std::string path;  // the file
    std::string name;  // the list's entry, a bare file name
    // The bytes the window showed the model from (FleetRow::bytes): a file whose bytes
    // differ now was changed on disk since. Nothing: not compared.
    std::optional<std::string> bytesShown;
    // Revert: the reference's model of the same name; nullptr when it has none.
    const MotionModel* reference = nullptr;
};

// Why a row is not written. The order is the order of precedence when several hold.
enum class ChangeSkip {
    None,              // written
    Unchanged,         // the file already holds the new text: nothing to write
    Unreadable,        // the file could not be read
    NoReference,       // Revert: the reference has no model of that name
    NotFinite,         // a value would be infinite or not a number; the writer refuses it
    NotRepresentable,  // the file cannot hold it: a line break in the description, or
                       // one too long to be read back whole
    Misread,           // the reader does not read the file as its text says
    ChangedOnDisk,     // the file's bytes are no longer those the window showed
    Cancelled,         // the work was stopped before this file
};

// "unchanged", "not readable", "misread file", "changed on disk", ... (for a column).
std::string_view ChangeSkipText(ChangeSkip skip);

// One changed value of a preview row: the text before and after, exactly as the file
// holds it (rounded by the field's format as Save Changes writes it; the description's
// Windows-1252 bytes, "//" in front).
struct ChangeCell {
    const ModelKey* key = nullptr;  // nullptr: the description
    std::string oldText;
    std::string newText;
};

struct ChangePreviewRow {
    std::string path;
    std::string name;
    ChangeSkip skip = ChangeSkip::None;
    // Why it is skipped, in sentences (UTF-8): the reader's message, the checker's
    // findings, which value is not finite. Empty for None and Unchanged.
    std::string reason;
    // Whether the user may have it written all the same (Misread, ChangedOnDisk, and no
    // other reason), and whether they chose to (Force).
    bool forceable = false;
    bool forced = false;
    std::vector<ChangeCell> cells;  // one per edit, in the change's order
    std::string before;             // the file's bytes as read for the preview
    std::string after;              // the bytes Apply writes
    MotionModel model;              // the model those bytes hold, as the reader reads them
    std::string speedText;          // its speed text
    // What the checker found on the bytes read (all kinds), also for an Unchanged row.
    std::vector<ModelFinding> findings;

    // Whether Apply writes this row.
    bool WillWrite() const { return skip == ChangeSkip::None || (forceable && forced); }
};

struct ChangePreview {
    FleetChange change;
    std::vector<ChangePreviewRow> rows;  // in the targets' order
    bool cancelled = false;              // stopped before every target was read
    std::size_t Count(ChangeSkip skip) const;
    std::size_t WillWrite() const;
};

// Reads `target` and works out what `change` does to it. Touches nothing.
ChangePreviewRow PreviewChangeRow(const FleetChange& change, const ChangeTarget& target);

// The table's row for the file once `row` is written: what ReadFleetRow would read.
FleetRow WrittenRow(const ChangePreviewRow& row);

// Every target in turn; a stop leaves the rows read so far, `cancelled` set.
ChangePreview PreviewChange(const FleetChange& change, const std::vector<ChangeTarget>& targets,
                            const FleetProgress& progress = {});

// Marks a forceable row to be written all the same; false when it is not forceable.
bool Force(ChangePreviewRow& row);

// What became of one file.
struct FileOutcome {
    enum class Kind { Written, Failed, Skipped };
    Kind kind = Kind::Skipped;
    std::string path;
    std::string name;
    ChangeSkip skip = ChangeSkip::None;  // Skipped: why
    std::string reason;                  // Failed, Skipped: in sentences (UTF-8)
};

struct ChangeOutcome {
    std::vector<FileOutcome> files;  // every row, in order; Unchanged rows are left out
    bool cancelled = false;
    // What was done, in one sentence (UTF-8): "Changed 12 models.", "Undid mass ×1.1 on
    // 12 models.", "Changed 10 of 12 models."
    std::string summary;
    std::size_t Count(FileOutcome::Kind kind) const;
    // The message for the user (UTF-8): the summary, then, when not every file was
    // written, the files written, those that failed and those skipped, each with its
    // reason, and that the work was stopped.
    std::string Message() const;
};

// One file of an undo step: its exact bytes before and after.
struct StepFile {
    std::string path;
    std::string name;
    std::string before;
    std::string after;
    bool done = true;  // whether the file holds `after` as far as the step knows
};

// One change as the history keeps it.
struct ChangeStep {
    std::string description;  // "mass ×1.1 on 12 models", "mass = 950 on truck.zrb"
    std::vector<StepFile> files;
};

// Writes one row when it is to be written: reads the file again and refuses it when its
// bytes are no longer the preview's (ChangedOnDisk), else writes it with the Save
// Changes writer, atomically. A written file is added to `step`.
FileOutcome ApplyChangeRow(const ChangePreviewRow& row, ChangeStep& step);

// Every row in turn: a failed write does not stop the others, and the ones written stay
// written; a stop marks the rest Cancelled. `step` receives the written files and its
// description (DescribeChange plus "on N models", or the name for one).
ChangeOutcome ApplyChange(const ChangePreview& preview, ChangeStep& step,
                          const FleetProgress& progress = {});

// Whether undo (or redo) goes over a file changed on disk since the step.
enum class OutsideChange {
    Skip,       // leave it, report it as skipped
    Overwrite,  // write it all the same
};

// The changes made since the window opened, in order; `done()` of them applied.
class ChangeHistory {
  public:
    // Adds a step after the ones done, dropping those undone. A step without files is
    // not kept.
    void Record(ChangeStep step);

    std::size_t size() const { return steps_.size(); }
    std::size_t done() const { return done_; }
    const ChangeStep& step(std::size_t i) const { return steps_[i]; }
    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }
    // The steps' descriptions, oldest first.
    std::vector<std::string> Descriptions() const;

    // The files of the step Undo (Redo) would take back (forward) that no longer hold
    // what the step left (found) there: the names to ask about. Reads each file.
    std::vector<std::string> ChangedOutside(bool redo, const FleetProgress& progress = {}) const;

    // Undo: each file of the last done step gets its exact previous bytes back with the
    // atomic save; a file changed on disk since is left or overwritten as `outside`
    // says. A stop leaves the step partly undone (it stays the last done step; a further
    // Undo goes on with its remaining files).
    ChangeOutcome Undo(OutsideChange outside, const FleetProgress& progress = {});
    // Redo: the same forward, for the first undone step.
    ChangeOutcome Redo(OutsideChange outside, const FleetProgress& progress = {});

  private:
    ChangeOutcome Step(bool redo, OutsideChange outside, const FleetProgress& progress);

    std::vector<ChangeStep> steps_;
    std::size_t done_ = 0;
};

}  // namespace zrb
