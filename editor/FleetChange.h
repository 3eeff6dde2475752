#pragma once
// The change of many models at once, without a toolkit: what to do (set, multiply, add,
// copy from a model, back to the reference), to which fields, and a preview of every
// selected model's text in its file before and after, with the rows that will be
// skipped and why. Writing is the overview's, once the dialog ends with Apply.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/FleetChange.h"

namespace zrb {

// What the change dialog must do for its logic.
class FleetChangeView {
  public:
    virtual ~FleetChangeView() = default;

    // The preview, the summary, the hint or which boxes are in use changed: shows them
    // anew (PreviewCount() lines).
    virtual void PreviewChanged() = 0;
    // The preview has files left to read: OnTimer() is to be called from time to time
    // until it returns false.
    virtual void StartTimer() = 0;
};

// A model that values can be copied from.
struct ChangeSource {
    std::string name;
    MotionModel model;
};

class FleetChangeController {
  public:
    // The choices of "What to do", in this order.
    enum Operation { kSet, kMultiply, kAdd, kCopy, kRevert };
    // The preview's columns: model, field, now, after, note.
    static constexpr int kPreviewColumns = 5;

    // `targets`: the selected models; `sources`: the models that values can be copied
    // from; `canRevert`: whether a reference is compared (the targets carry its models).
    FleetChangeController(std::vector<ChangeTarget> targets, std::vector<ChangeSource> sources,
                          bool canRevert);

    // The dialog, once it is built; nothing is shown before.
    void SetView(FleetChangeView* view);

    static std::vector<std::string> OperationNames();
    // "description", then the fields' names in the file's order.
    static std::vector<std::string> FieldNames();
    static std::string PreviewTitle(int column);
    std::vector<std::string> SourceNames() const;

    // The choices as they stand (the dialog opens with them).
    int operation() const { return operation_; }
    const std::vector<int>& fields() const { return fields_; }
    int source() const { return source_; }

    void OnOperationChosen(int operation);
    // Indexes into FieldNames().
    void OnFieldsChosen(std::vector<int> fields);
    // The value, factor or amount as typed (UTF-8).
    void OnValueEdited(std::string_view text);
    void OnSourceChosen(int source);
    // Reads the next targets for the preview, for a bounded time so that the window
    // stays responsive; false once every target is read.
    bool OnTimer();

    // What the dialog shows.
    bool ValueUsed() const;
    bool SourceUsed() const { return operation_ == kCopy; }
    // Whether Apply has something to write: the preview is complete and a row will be
    // written.
    bool CanApply() const;
    std::string Hint() const;
    std::string Summary() const;
    // A line per model and changed field (a model without any: one line).
    int PreviewCount() const { return static_cast<int>(lines_.size()); }
    std::string PreviewCell(int line, int column) const;
    bool PreviewSkipped(int line) const;

    // The complete preview that Apply writes.
    const ChangePreview& preview() const { return preview_; }

  private:
    // Builds the change from the choices and starts the preview over.
    void Restart();
    void AddLines(std::size_t row);

    FleetChangeView* view_ = nullptr;
    const std::vector<ChangeTarget> targets_;
    const std::vector<ChangeSource> sources_;
    const bool canRevert_;
    int operation_ = kSet;
    std::vector<int> fields_;
    std::string value_;
    int source_ = -1;
    std::string problem_;  // why nothing can be previewed, when not empty
    ChangePreview preview_;
    // The preview's lines: row, and the cell of that row (-1: the row has none).
    std::vector<std::pair<std::size_t, int>> lines_;
};

}  // namespace zrb
