#pragma once
// Reads the editor's resource script: a subset of the Windows resource compiler's
// language. DIALOG blocks with STYLE, EXSTYLE, CAPTION, MENU and FONT lines and one
// control a line (LTEXT, CTEXT, RTEXT, EDITTEXT, LISTBOX, GROUPBOX, PUSHBUTTON,
// DEFPUSHBUTTON, ICON, COMBOBOX, AUTOCHECKBOX, and CONTROL for the system's list view);
// MENU blocks of POPUPs with MENUITEMs and separators; a STRINGTABLE; ACCELERATORS.
// Ids are numbers or names #define'd in an #included header (the Windows dialog ids IDOK,
// IDCANCEL, IDYES and IDNO are known without one). What only the Windows build needs
// (the language, icon and manifest files, the version record, system headers) is passed
// over.

#include <QString>

#include <functional>

#include "editor/qt/ResourceScript.h"

namespace zrb::gui {

struct ScriptError {
    QString file;  // where the error is: the script or a header it includes
    int line = 0;  // 1-based; 0 at the end of the script
    QString message;
};

// Gives the text of the header `name` an #include "name" asks for; false when it cannot
// be read, with the reason in `error`.
using HeaderReader = std::function<bool(const QString& name, QString& text, QString& error)>;

// Parses the script `text`, read from `file`. `readHeader` answers its #include "..."
// lines; without one such a line is an error. On an error returns false with where and
// what; `script` then holds what was read before it.
bool ParseResourceScript(const QString& text, const QString& file, const HeaderReader& readHeader,
                         ResourceScript& script, ScriptError& error);

// The same for a script without #include lines; `error` is "line N: what".
bool ParseResourceScript(const QString& text, ResourceScript& script, QString& error);

}  // namespace zrb::gui
