#include "editor/qt/ResourceScript.h"

#include <QIcon>

static void InitEditorResources() {
    Q_INIT_RESOURCE(zrb);
}

namespace zrb::gui {

namespace {

QStringList Style(const char* joined) {
    return QString::fromUtf8(joined).split(u'|', Qt::SkipEmptyParts);
}

ResourceScript FromTables() {
    using namespace generated;
    ResourceScript script;
    for (const DialogRow& row : kDialogs) {
        DialogTemplate& d = script.dialogs[row.id];
        d.id = row.id;
        d.rect = QRect(row.x, row.y, row.width, row.height);
        d.caption = QString::fromUtf8(row.caption);
        d.menuId = row.menuId;
        d.style = Style(row.style);
        d.fontName = QString::fromUtf8(row.fontName);
        d.fontPointSize = row.fontPointSize;
    }
    for (const ControlRow& row : kControls) {
        ControlTemplate c;
        c.kind = row.kind;
        c.text = QString::fromUtf8(row.text);
        c.id = row.id;
        c.rect = QRect(row.x, row.y, row.width, row.height);
        c.style = Style(row.style);
        script.dialogs[row.dialog].controls.push_back(c);
    }
    for (const MenuRow& row : kMenus) {
        MenuTemplate& m = script.menus[row.menu];
        m.id = row.menu;
        if (m.popups.size() <= std::size_t(row.popup)) {
            m.popups.resize(std::size_t(row.popup) + 1);
        }
        PopupTemplate& popup = m.popups[std::size_t(row.popup)];
        popup.text = QString::fromUtf8(row.popupText);
        if (row.text == nullptr && row.id == -1) {
            continue;
        }
        popup.items.push_back({row.text != nullptr ? QString::fromUtf8(row.text) : QString(),
                               row.text != nullptr ? row.id : 0});
    }
    for (const StringRow& row : kStrings) {
        script.strings.insert(row.id, QString::fromUtf8(row.text));
    }
    for (const AcceleratorRow& row : kAccelerators) {
        script.accelerators[row.table].push_back(
            {QString::fromUtf8(row.key), row.id, Style(row.options), QString::fromUtf8(row.text)});
    }
    return script;
}

}  // namespace

const ResourceScript& EditorResources() {
    static const ResourceScript script = FromTables();
    return script;
}

QIcon AppIcon() {
    InitEditorResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/zrb/zrb-editor-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/zrb/zrb-editor-32.png"), QSize(32, 32));
    // No SVG here: it would load Qt's SVG plugins at start-up for a picture the window
    // shows at 16 and 32 pixels. The desktop takes the scalable icon from the icon theme.
    return icon;
}

}  // namespace zrb::gui
