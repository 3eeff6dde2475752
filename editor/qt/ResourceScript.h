#pragma once
// The editor's dialog templates, menu and strings, read from a small resource script
// (res/zrb-editor.rc, compiled into the program as a Qt resource).
//
// The script is a subset of the Windows resource compiler's language: DIALOG blocks
// with STYLE, EXSTYLE, CAPTION, MENU and FONT lines and one control a line (LTEXT,
// CTEXT, RTEXT, EDITTEXT, LISTBOX, GROUPBOX, PUSHBUTTON, DEFPUSHBUTTON, ICON, COMBOBOX,
// AUTOCHECKBOX, and CONTROL for the system's list view); MENU
// blocks of POPUPs with MENUITEMs and separators; a STRINGTABLE. Ids are numbers.

#include <QHash>
#include <QIcon>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

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

    const ControlTemplate* Control(int controlId) const;
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

struct ResourceScript {
    QHash<int, DialogTemplate> dialogs;
    QHash<int, MenuTemplate> menus;
    QHash<int, QString> strings;
};

// Parses a resource script. On a syntax error returns false and sets `error` to a message
// with the line number; `script` then holds what was read before the error.
bool ParseResourceScript(const QString& text, ResourceScript& script, QString& error);

// The program's own script, parsed once. A broken built-in script is a build defect:
// it aborts with the parser's message.
const ResourceScript& EditorResources();

// Icon 128, the program's icon: 16 and 32 pixel images and a scalable one.
QIcon AppIcon();

}  // namespace zrb::gui
