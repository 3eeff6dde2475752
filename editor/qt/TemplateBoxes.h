#pragma once
// The edit boxes of a dialog built from its template, by control id, with their labels:
// the part of the window logic's view that every Qt dialog shares. Box texts are the
// model file's 8-bit bytes, read as Windows-1252; labels are UTF-8.

#include <QHash>
#include <QString>

#include <string>
#include <string_view>

class QLineEdit;

namespace zrb::gui {

struct BuiltControls;

class TemplateBoxes {
  public:
    // Takes box `id` of `built`, with the label before it.
    void Take(const BuiltControls& built, int id);

    QLineEdit* operator[](int id) const { return boxes_.value(id); }
    const QHash<int, QLineEdit*>& all() const { return boxes_; }

    std::string Text(int id) const;
    // Shows the text's beginning, as a box the program fills should.
    void SetText(int id, std::string_view text);
    std::string Label(int id) const;
    // Focus into the box with its whole text selected.
    void Focus(int id);

  private:
    QHash<int, QLineEdit*> boxes_;
    QHash<int, QString> labels_;
};

}  // namespace zrb::gui
