#pragma once
// The editor's dialog templates, menu, strings and accelerators as the Qt build holds
// them. tools/rcgen reads res/zrb-editor.rc with res/resource.h while the program is
// built and writes them as the tables below; the program turns those into templates once,
// without reading any file.

#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

class QIcon;

namespace zrb::gui {

enum class ControlKind {
    LeftText,
    CenterText,
    RightText,
    Edit,
    ListBox,
    GroupBox,
    PushButton,
    DefPushButton,
    Icon,
    ComboBox,
    CheckBox,  // AUTOCHECKBOX
    Table      // CONTROL of class "SysListView32"
};

struct ControlTemplate {
    ControlKind kind = ControlKind::LeftText;
    QString text;       // label, caption or icon name; empty for edit boxes and lists
    int id = -1;        // -1 for controls nobody refers to
    QRect rect;         // dialog units
    QStringList style;  // style names as written, "NOT X" as "!X"

    bool HasStyle(const QString& name) const { return style.contains(name); }
};

struct DialogTemplate {
    int id = 0;
    QRect rect;  // dialog units; the position is ignored, dialogs open centred
    QString caption;
    int menuId = 0;  // 0: no menu
    QStringList style;
    bool HasStyle(const QString& name) const { return style.contains(name); }
    QString fontName;
    int fontPointSize = 0;
    std::vector<ControlTemplate> controls;  // in tab order

    const ControlTemplate* Control(int controlId) const {
        for (const ControlTemplate& c : controls) {
            if (c.id == controlId) {
                return &c;
            }
        }
        return nullptr;
    }
};

struct MenuItemTemplate {
    QString text;  // empty for a separator
    int id = 0;
};

struct PopupTemplate {
    QString text;
    std::vector<MenuItemTemplate> items;
};

struct MenuTemplate {
    int id = 0;
    std::vector<PopupTemplate> popups;
};

struct AcceleratorTemplate {
    QString key;          // as written: "^S", "O", VK_F5
    int id = 0;           // the command
    QStringList options;  // VIRTKEY, CONTROL, SHIFT, ALT, ...
    QString text;         // the key as a menu shows it: "Ctrl+S", "F5"
};

struct ResourceScript {
    QHash<int, DialogTemplate> dialogs;
    QHash<int, MenuTemplate> menus;
    QHash<int, QString> strings;
    QHash<int, std::vector<AcceleratorTemplate>> accelerators;
};

// The program's own templates, made once from the generated tables.
const ResourceScript& EditorResources();

// Icon IDR_MAINFRAME, the program's icon: 16 and 32 pixel images.
QIcon AppIcon();

// The tables tools/rcgen writes: plain data, texts in UTF-8, styles joined by '|'.
namespace generated {

struct DialogRow {
    int id, x, y, width, height;
    const char* caption;
    int menuId;
    const char* style;
    const char* fontName;
    int fontPointSize;
};

struct ControlRow {
    int dialog;  // the template it belongs to, in tab order within it
    ControlKind kind;
    const char* text;
    int id, x, y, width, height;
    const char* style;
};

struct MenuRow {
    int menu;
    int popup;  // its index in the menu bar
    const char* popupText;
    const char* text;  // nullptr: a separator, or with id -1 no item at all
    int id;
};

struct StringRow {
    int id;
    const char* text;
};

struct AcceleratorRow {
    int table;
    const char* key;
    int id;
    const char* options;
    const char* text;
};

template <typename Row>
struct Rows {
    const Row* rows;
    std::size_t count;
    const Row* begin() const { return rows; }
    const Row* end() const { return rows + count; }
};

extern const Rows<DialogRow> kDialogs;
extern const Rows<ControlRow> kControls;
extern const Rows<MenuRow> kMenus;
extern const Rows<StringRow> kStrings;
extern const Rows<AcceleratorRow> kAccelerators;

}  // namespace generated

}  // namespace zrb::gui
