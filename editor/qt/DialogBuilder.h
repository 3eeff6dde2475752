#pragma once
// Builds a dialog's controls from its template and places them in pixels.
//
// A dialog unit is a quarter of the font's average character width across and an
// eighth of its height down, as on the platform the templates come from. Fonts differ
// in their proportions, so where a text would not fit its control at that scale the
// units grow (evenly across the whole dialog) until every text fits: the arrangement and
// the relative sizes stay, and no label is clipped.

#include <QHash>
#include <QIcon>
#include <QKeySequence>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

#include "editor/Shortcuts.h"
#include "editor/Stretch.h"
#include "editor/qt/ResourceScript.h"

class QDialog;
class QKeyEvent;
class QMenuBar;
class QWidget;

namespace zrb::gui {

struct DialogUnits {
    double x = 1.0;  // pixels per horizontal unit
    double y = 1.0;  // pixels per vertical unit

    int X(int du) const;
    int Y(int du) const;
    QRect ToPixels(const QRect& du) const;
    QSize ToPixels(const QSize& du) const;
};

// The platform's units for `font`: average width of "A".."Z" + "a".."z" / 4, height / 8.
DialogUnits BaseUnits(const QFont& font);

struct BuiltControls {
    int templateId = 0;  // 0 when built from a template that is no resource
    DialogUnits units;
    QSize clientSize;  // pixels
    QHash<int, QWidget*> byId;
    QHash<int, QString> labels;  // edit box id -> the text of the label just before it
    std::vector<std::pair<QWidget*, QRect>> placed;  // widget, its rectangle in units
};

// Creates the controls of `dialog` as children of `parent`, offset by `origin` (the room
// a menu bar takes), names each "id<id>", sets the tab order of the template, and sizes
// `parent` fixed to origin + the template's client size. A label directly before an edit
// box in the template is its label, as the platform's dialogs pair them. `icon` is shown by ICON
// controls.
BuiltControls BuildControls(const DialogTemplate& dialog, QWidget* parent, QPoint origin,
                            const QIcon& icon);

// The control `id` as the widget class the caller expects, e.g.
// `Control<QLineEdit>(built, IDC_WIDTH)`. A template without that control, or with a
// control of another kind there, is a defect of the resource script: the message names
// the template, the id and the class expected, and the program aborts.
template <typename Widget>
Widget* Control(const BuiltControls& built, int id);

// The same for a control or menu command of `root` named "id<id>" (actions included).
template <typename Object>
Object* FindById(const QObject* root, int id);

[[noreturn]] void WrongControl(int templateId, int id, const char* expected, const QObject* found);

template <typename Widget>
Widget* Control(const BuiltControls& built, int id) {
    QWidget* found = built.byId.value(id);
    auto* widget = qobject_cast<Widget*>(found);
    if (widget == nullptr) {
        WrongControl(built.templateId, id, Widget::staticMetaObject.className(), found);
    }
    return widget;
}

template <typename Object>
Object* FindById(const QObject* root, int id) {
    QObject* found = root->findChild<QObject*>(QStringLiteral("id%1").arg(id));
    auto* object = qobject_cast<Object*>(found);
    if (object == nullptr) {
        WrongControl(0, id, Object::staticMetaObject.className(), found);
    }
    return object;
}

// The key of `shortcut`, read from the text the menus show.
QKeySequence KeysOf(const Shortcut& shortcut);

// Creates menu `menu` as a menu bar of `dialog`; each action is named "id<command id>".
QMenuBar* BuildMenuBar(const MenuTemplate& menu, QDialog* dialog);

// Prepares a dialog from template `dialogId` (a missing one aborts, naming it): the caption, the
// menu (when the template has one) and the controls, in a fixed-size frame without minimise and
// maximise boxes, or, when the template's style has WS_THICKFRAME, a frame that can grow.
BuiltControls BuildDialog(int dialogId, QDialog* dialog, const QIcon& icon);

// Keeps the controls of a resizable dialog in place as it grows: `table` takes the room
// (see Stretched).
class StretchingLayout : public QObject {
  public:
    StretchingLayout(const BuiltControls& built, QWidget* table, QWidget* dialog);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSize base_;
    Box table_;
    std::vector<std::pair<QWidget*, Box>> placed_;
};

// Enter and Return as the template dialogs take them: a focused push button is clicked,
// anywhere else the dialog's accept() runs. Returns whether the key was taken.
bool RouteEnter(QDialog* dialog, QKeyEvent* event);

}  // namespace zrb::gui
