// rcgen: turns the editor's resource script into C++ tables for the Qt build.
//
//   rcgen SCRIPT.rc OUTPUT.cpp
//
// Reads the script and the headers it #includes, and writes the dialog templates, menus,
// strings and accelerators as the tables of editor/qt/ResourceScript.h. A mistake in the
// script is reported as "file:line: error: what" and ends the tool with status 1, so that
// the build stops there; the output is then left as it was.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

#include "tools/rcgen/RcParser.h"

using namespace zrb::gui;

namespace {

// A C++ string literal of the text's UTF-8 bytes.
QByteArray Literal(const QString& text) {
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            out += '\\';
            out += char('0' + ((byte >> 6) & 7));
            out += char('0' + ((byte >> 3) & 7));
            out += char('0' + (byte & 7));
        }
    }
    return out + '"';
}

QByteArray Number(int value) {
    return QByteArray::number(value);
}

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::LeftText:
            return "LeftText";
        case ControlKind::CenterText:
            return "CenterText";
        case ControlKind::RightText:
            return "RightText";
        case ControlKind::Edit:
            return "Edit";
        case ControlKind::ListBox:
            return "ListBox";
        case ControlKind::GroupBox:
            return "GroupBox";
        case ControlKind::PushButton:
            return "PushButton";
        case ControlKind::DefPushButton:
            return "DefPushButton";
        case ControlKind::Icon:
            return "Icon";
        case ControlKind::ComboBox:
            return "ComboBox";
        case ControlKind::CheckBox:
            return "CheckBox";
        case ControlKind::Table:
            return "Table";
    }
    return "LeftText";
}

template <typename Map>
QList<int> SortedKeys(const Map& map) {
    QList<int> keys = map.keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

// One table: its rows, or none (an array cannot be empty).
void Table(QByteArray& out, const char* type, const char* name, const QList<QByteArray>& rows) {
    if (rows.isEmpty()) {
        out += QByteArray("const Rows<") + type + "> " + name + " = {nullptr, 0};\n\n";
        return;
    }
    out += QByteArray("const ") + type + " " + name + "_rows[] = {\n";
    for (const QByteArray& row : rows) {
        out += "    {" + row + "},\n";
    }
    out += "};\n";
    out += QByteArray("const Rows<") + type + "> " + name + " = {" + name + "_rows, " +
           Number(int(rows.size())) + "};\n\n";
}

QByteArray Generate(const ResourceScript& script, const QString& source) {
    QList<QByteArray> dialogs;
    QList<QByteArray> controls;
    for (const int id : SortedKeys(script.dialogs)) {
        const DialogTemplate& d = script.dialogs[id];
        dialogs << Number(id) + ", " + Number(d.rect.x()) + ", " + Number(d.rect.y()) + ", " +
                       Number(d.rect.width()) + ", " + Number(d.rect.height()) + ", " +
                       Literal(d.caption) + ", " + Number(d.menuId) + ", " +
                       Literal(d.style.join(u'|')) + ", " + Literal(d.fontName) + ", " +
                       Number(d.fontPointSize);
        for (const ControlTemplate& c : d.controls) {
            controls << Number(id) + ", ControlKind::" + KindName(c.kind) + ", " + Literal(c.text) +
                            ", " + Number(c.id) + ", " + Number(c.rect.x()) + ", " +
                            Number(c.rect.y()) + ", " + Number(c.rect.width()) + ", " +
                            Number(c.rect.height()) + ", " + Literal(c.style.join(u'|'));
        }
    }
    QList<QByteArray> menus;
    for (const int id : SortedKeys(script.menus)) {
        const MenuTemplate& m = script.menus[id];
        for (std::size_t p = 0; p < m.popups.size(); ++p) {
            // A popup without items still has its place in the menu bar.
            if (m.popups[p].items.empty()) {
                menus << Number(id) + ", " + Number(int(p)) + ", " + Literal(m.popups[p].text) +
                             ", nullptr, -1";
            }
            for (const MenuItemTemplate& item : m.popups[p].items) {
                menus << Number(id) + ", " + Number(int(p)) + ", " + Literal(m.popups[p].text) +
                             ", " + (item.text.isEmpty() ? "nullptr" : Literal(item.text)) + ", " +
                             Number(item.id);
            }
        }
    }
    QList<QByteArray> strings;
    for (const int id : SortedKeys(script.strings)) {
        strings << Number(id) + ", " + Literal(script.strings[id]);
    }
    QList<QByteArray> accelerators;
    for (const int id : SortedKeys(script.accelerators)) {
        for (const AcceleratorTemplate& a : script.accelerators[id]) {
            accelerators << Number(id) + ", " + Literal(a.key) + ", " + Number(a.id) + ", " +
                                Literal(a.options.join(u'|')) + ", " + Literal(a.text);
        }
    }

    QByteArray out = "// Generated by tools/rcgen from " + QFileInfo(source).fileName().toUtf8() +
                     ": edit that file, not this one.\n"
                     "#include \"editor/qt/ResourceScript.h\"\n\n"
                     "namespace zrb::gui::generated {\n\n";
    Table(out, "DialogRow", "kDialogs", dialogs);
    Table(out, "ControlRow", "kControls", controls);
    Table(out, "MenuRow", "kMenus", menus);
    Table(out, "StringRow", "kStrings", strings);
    Table(out, "AcceleratorRow", "kAccelerators", accelerators);
    out += "}  // namespace zrb::gui::generated\n";
    return out;
}

void Fail(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        Fail(QStringLiteral("usage: rcgen SCRIPT.rc OUTPUT.cpp"));
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(QStringLiteral("%1: error: %2").arg(source, file.errorString()));
        return 1;
    }
    const QString text = QString::fromUtf8(file.readAll());
    const QDir folder = QFileInfo(source).dir();
    const HeaderReader readHeader = [&folder](const QString& name, QString& header,
                                              QString& error) {
        QFile f(folder.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            error = f.errorString();
            return false;
        }
        header = QString::fromUtf8(f.readAll());
        return true;
    };

    ResourceScript script;
    ScriptError error;
    if (!ParseResourceScript(text, source, readHeader, script, error)) {
        const QString where =
            error.file == source ? source : QDir::cleanPath(folder.filePath(error.file));
        Fail(error.line > 0
                 ? QStringLiteral("%1:%2: error: %3").arg(where).arg(error.line).arg(error.message)
                 : QStringLiteral("%1: error: %2").arg(where, error.message));
        return 1;
    }

    const QByteArray generated = Generate(script, source);
    // Unchanged tables leave the file alone, so that nothing is compiled again.
    QFile old(output);
    if (old.open(QIODevice::ReadOnly) && old.readAll() == generated) {
        return 0;
    }
    old.close();
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly) || out.write(generated) != generated.size() ||
        !out.commit()) {
        Fail(QStringLiteral("%1: error: %2").arg(output, out.errorString()));
        return 1;
    }
    return 0;
}
