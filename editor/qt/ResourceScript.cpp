#include "editor/qt/ResourceScript.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <optional>

static void InitEditorResources() {
    Q_INIT_RESOURCE(zrb);
}

namespace zrb::gui {

namespace {

struct Token {
    enum Type { Word, String, Comma, Pipe } type;
    QString text;
};

// Splits one line into tokens. Strings are in double quotes with "" standing for one
// quote; "//" outside a string starts a comment.
bool Tokenize(const QString& line, std::vector<Token>& tokens, QString& error) {
    tokens.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        const QChar c = line[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'/' && i + 1 < n && line[i + 1] == u'/') {
            break;
        } else if (c == u',') {
            tokens.push_back({Token::Comma, {}});
            ++i;
        } else if (c == u'|') {
            tokens.push_back({Token::Pipe, {}});
            ++i;
        } else if (c == u'"') {
            QString text;
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        text += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                text += line[i++];
            }
            if (!closed) {
                error = QStringLiteral("unterminated string");
                return false;
            }
            tokens.push_back({Token::String, text});
        } else {
            const qsizetype start = i;
            while (i < n && !line[i].isSpace() && line[i] != u',' && line[i] != u'|' &&
                   line[i] != u'"') {
                ++i;
            }
            tokens.push_back({Token::Word, line.mid(start, i - start)});
        }
    }
    return true;
}

// The comma-separated arguments of a statement, each a run of tokens.
std::vector<std::vector<Token>> SplitArguments(const std::vector<Token>& tokens, std::size_t from) {
    std::vector<std::vector<Token>> args;
    if (from >= tokens.size()) {
        return args;
    }
    args.emplace_back();
    for (std::size_t i = from; i < tokens.size(); ++i) {
        if (tokens[i].type == Token::Comma) {
            args.emplace_back();
        } else {
            args.back().push_back(tokens[i]);
        }
    }
    return args;
}

std::optional<int> Number(const std::vector<Token>& arg) {
    if (arg.size() != 1 || arg[0].type != Token::Word) {
        return std::nullopt;
    }
    bool ok = false;
    const int value = arg[0].text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<QString> Text(const std::vector<Token>& arg) {
    if (arg.size() != 1) {
        return std::nullopt;
    }
    return arg[0].text;
}

// "A | NOT B | C" as {"A", "!B", "C"}.
std::optional<QStringList> Style(const std::vector<Token>& arg) {
    QStringList names;
    bool negate = false;
    bool expectName = true;
    for (const Token& t : arg) {
        if (expectName && t.type == Token::Word && t.text == u"NOT") {
            negate = true;
        } else if (expectName && t.type == Token::Word) {
            names << (negate ? u'!' + t.text : t.text);
            negate = false;
            expectName = false;
        } else if (!expectName && t.type == Token::Pipe) {
            expectName = true;
        } else {
            return std::nullopt;
        }
    }
    if (expectName && !arg.empty()) {
        return std::nullopt;
    }
    return names;
}

std::optional<QRect> Rect(const std::vector<std::vector<Token>>& args, std::size_t at) {
    if (args.size() < at + 4) {
        return std::nullopt;
    }
    const auto x = Number(args[at]);
    const auto y = Number(args[at + 1]);
    const auto w = Number(args[at + 2]);
    const auto h = Number(args[at + 3]);
    if (!x || !y || !w || !h || *w < 0 || *h < 0) {
        return std::nullopt;
    }
    return QRect(*x, *y, *w, *h);
}

std::optional<ControlKind> KindOf(const QString& keyword) {
    static const QHash<QString, ControlKind> kinds = {
        {QStringLiteral("LTEXT"), ControlKind::LeftText},
        {QStringLiteral("CTEXT"), ControlKind::CenterText},
        {QStringLiteral("RTEXT"), ControlKind::RightText},
        {QStringLiteral("EDITTEXT"), ControlKind::Edit},
        {QStringLiteral("LISTBOX"), ControlKind::ListBox},
        {QStringLiteral("GROUPBOX"), ControlKind::GroupBox},
        {QStringLiteral("PUSHBUTTON"), ControlKind::PushButton},
        {QStringLiteral("DEFPUSHBUTTON"), ControlKind::DefPushButton},
        {QStringLiteral("ICON"), ControlKind::Icon},
        {QStringLiteral("COMBOBOX"), ControlKind::ComboBox},
        {QStringLiteral("AUTOCHECKBOX"), ControlKind::CheckBox}};
    const auto it = kinds.find(keyword);
    return it == kinds.end() ? std::nullopt : std::optional<ControlKind>(*it);
}

// The rectangle and the optional style that end every control statement at `at`.
bool ParsePlacement(const std::vector<std::vector<Token>>& args, std::size_t at,
                    ControlTemplate& control, QString& error, const QString& keyword) {
    const auto rect = Rect(args, at);
    if (!rect) {
        error = QStringLiteral("%1 needs an id and x, y, width, height").arg(keyword);
        return false;
    }
    control.rect = *rect;
    if (args.size() > at + 4) {
        const auto style = Style(args[at + 4]);
        if (!style || args.size() > at + 5) {
            error = QStringLiteral("bad style of %1").arg(keyword);
            return false;
        }
        control.style = *style;
    }
    return true;
}

// "CONTROL "text", id, "class", style, x, y, w, h": only the system's list view, shown
// as a table.
bool ParseGenericControl(const std::vector<Token>& tokens, ControlTemplate& control,
                         QString& error) {
    const auto args = SplitArguments(tokens, 1);
    const auto text = args.empty() ? std::nullopt : Text(args[0]);
    const auto id = args.size() > 1 ? Number(args[1]) : std::nullopt;
    const auto windowClass = args.size() > 2 ? Text(args[2]) : std::nullopt;
    const auto style = args.size() > 3 ? Style(args[3]) : std::nullopt;
    const auto rect = Rect(args, 4);
    if (!text || !id || !windowClass || !style || !rect || args.size() != 8) {
        error = QStringLiteral(
            "CONTROL needs a text, an id, a class, a style and x, y, width, "
            "height");
        return false;
    }
    if (*windowClass != u"SysListView32") {
        error = QStringLiteral("unknown control class %1").arg(*windowClass);
        return false;
    }
    control.kind = ControlKind::Table;
    control.text = *text;
    control.id = *id;
    control.style = *style;
    control.rect = *rect;
    return true;
}

// "EDITTEXT id, x, y, w, h [, style]" (so COMBOBOX and LISTBOX) or "LTEXT "text", id,
// x, y, w, h [, style]".
bool ParseControl(const std::vector<Token>& tokens, ControlTemplate& control, QString& error) {
    if (tokens[0].text == u"CONTROL") {
        return ParseGenericControl(tokens, control, error);
    }
    const auto kind = KindOf(tokens[0].text);
    if (!kind) {
        error = QStringLiteral("unknown control %1").arg(tokens[0].text);
        return false;
    }
    control.kind = *kind;
    const auto args = SplitArguments(tokens, 1);
    const bool hasText = *kind != ControlKind::Edit && *kind != ControlKind::ListBox &&
                         *kind != ControlKind::ComboBox;
    const std::size_t idAt = hasText ? 1 : 0;
    if (hasText) {
        const auto text = args.empty() ? std::nullopt : Text(args[0]);
        if (!text) {
            error = QStringLiteral("%1 needs a text").arg(tokens[0].text);
            return false;
        }
        control.text = *text;
    }
    const auto id = args.size() > idAt ? Number(args[idAt]) : std::nullopt;
    if (!id) {
        error = QStringLiteral("%1 needs an id and x, y, width, height").arg(tokens[0].text);
        return false;
    }
    control.id = *id;
    return ParsePlacement(args, idAt + 1, control, error, tokens[0].text);
}

class Parser {
  public:
    explicit Parser(ResourceScript& script) : script_(script) {}

    bool Line(const std::vector<Token>& t, QString& error) {
        if (t.empty()) {
            return true;
        }
        const bool isWord = t[0].type == Token::Word;
        const QString& first = t[0].text;
        // The version record is for the Windows build alone: passed over, nested blocks
        // and all.
        if (skipDepth_ > 0 || skipHeader_) {
            if (isWord && first == u"BEGIN") {
                skipHeader_ = false;
                ++skipDepth_;
            } else if (isWord && first == u"END") {
                --skipDepth_;
            }
            return true;
        }
        if (isWord && first == u"BEGIN") {
            return Begin(error);
        }
        if (isWord && first == u"END") {
            return End(error);
        }
        switch (state_) {
            case State::Top:
                return TopLevel(t, error);
            case State::DialogHeader:
                return DialogHeaderLine(t, error);
            case State::DialogBody: {
                ControlTemplate control;
                if (!isWord || !ParseControl(t, control, error)) {
                    if (error.isEmpty()) {
                        error = QStringLiteral("control expected");
                    }
                    return false;
                }
                dialog_.controls.push_back(control);
                return true;
            }
            case State::MenuHeader:
            case State::PopupHeader:
            case State::StringHeader:
                error = QStringLiteral("BEGIN expected");
                return false;
            case State::MenuBody:
                return MenuLine(t, error);
            case State::PopupBody:
                return PopupLine(t, error);
            case State::StringBody:
                return StringLine(t, error);
        }
        return true;
    }

    bool Finish(QString& error) {
        if (state_ != State::Top) {
            error = QStringLiteral("END expected before the end of the script");
            return false;
        }
        return true;
    }

  private:
    enum class State {
        Top,
        DialogHeader,
        DialogBody,
        MenuHeader,
        MenuBody,
        PopupHeader,
        PopupBody,
        StringHeader,
        StringBody
    };

    bool TopLevel(const std::vector<Token>& t, QString& error) {
        if (t[0].type == Token::Word && t[0].text == u"STRINGTABLE") {
            state_ = State::StringHeader;
            return true;
        }
        // The resources' language is the Windows build's business.
        if (t[0].type == Token::Word && t[0].text == u"LANGUAGE") {
            return true;
        }
        if (t.size() >= 2 && t[1].type == Token::Word && t[1].text == u"VERSIONINFO") {
            skipHeader_ = true;
            return true;
        }
        // A resource kept in a file of its own (the icon, the manifest): the Qt build
        // brings its own.
        if (t.size() == 3 && t[2].type == Token::String) {
            return true;
        }
        bool ok = false;
        const int id = t[0].text.toInt(&ok);
        if (!ok || t.size() < 2 || t[1].type != Token::Word) {
            error = QStringLiteral("resource id and type expected");
            return false;
        }
        if (t[1].text == u"DIALOG" || t[1].text == u"DIALOGEX") {
            const auto args = SplitArguments(t, 2);
            const auto rect = Rect(args, 0);
            if (!rect) {
                error = QStringLiteral("DIALOG needs x, y, width, height");
                return false;
            }
            dialog_ = DialogTemplate();
            dialog_.id = id;
            dialog_.rect = *rect;
            state_ = State::DialogHeader;
            return true;
        }
        if (t[1].text == u"MENU" && t.size() == 2) {
            menu_ = MenuTemplate();
            menu_.id = id;
            state_ = State::MenuHeader;
            return true;
        }
        error = QStringLiteral("unknown resource type %1").arg(t[1].text);
        return false;
    }

    bool DialogHeaderLine(const std::vector<Token>& t, QString& error) {
        const QString& key = t[0].text;
        const auto args = SplitArguments(t, 1);
        if (key == u"STYLE") {
            const auto style = args.size() == 1 ? Style(args[0]) : std::nullopt;
            if (!style) {
                error = QStringLiteral("bad STYLE");
                return false;
            }
            dialog_.style = *style;
            return true;
        }
        if (key == u"EXSTYLE") {
            return true;
        }
        if (key == u"CAPTION" && args.size() == 1 && args[0].size() == 1 &&
            args[0][0].type == Token::String) {
            dialog_.caption = args[0][0].text;
            return true;
        }
        if (key == u"MENU" && args.size() == 1 && Number(args[0])) {
            dialog_.menuId = *Number(args[0]);
            return true;
        }
        if (key == u"FONT" && args.size() >= 2 && Number(args[0]) && Text(args[1])) {
            dialog_.fontPointSize = *Number(args[0]);
            dialog_.fontName = *Text(args[1]);
            return true;
        }
        error = QStringLiteral("bad dialog option %1").arg(key);
        return false;
    }

    bool MenuLine(const std::vector<Token>& t, QString& error) {
        if (t[0].text == u"POPUP" && t.size() == 2 && t[1].type == Token::String) {
            menu_.popups.push_back({t[1].text, {}});
            state_ = State::PopupHeader;
            return true;
        }
        error = QStringLiteral("POPUP expected");
        return false;
    }

    bool PopupLine(const std::vector<Token>& t, QString& error) {
        if (t[0].text == u"MENUITEM" && t.size() == 2 && t[1].text == u"SEPARATOR") {
            menu_.popups.back().items.push_back({});
            return true;
        }
        const auto args = SplitArguments(t, 1);
        if (t[0].text == u"MENUITEM" && args.size() == 2 && args[0].size() == 1 &&
            args[0][0].type == Token::String && Number(args[1])) {
            menu_.popups.back().items.push_back({args[0][0].text, *Number(args[1])});
            return true;
        }
        error = QStringLiteral("MENUITEM expected");
        return false;
    }

    bool StringLine(const std::vector<Token>& t, QString& error) {
        bool ok = false;
        const int id = t[0].text.toInt(&ok);
        const std::size_t at = (t.size() == 3 && t[1].type == Token::Comma) ? 2 : 1;
        if (!ok || t.size() != at + 1 || t[at].type != Token::String) {
            error = QStringLiteral("string id and text expected");
            return false;
        }
        script_.strings.insert(id, t[at].text);
        return true;
    }

    bool Begin(QString& error) {
        switch (state_) {
            case State::DialogHeader:
                state_ = State::DialogBody;
                return true;
            case State::MenuHeader:
                state_ = State::MenuBody;
                return true;
            case State::PopupHeader:
                state_ = State::PopupBody;
                return true;
            case State::StringHeader:
                state_ = State::StringBody;
                return true;
            default:
                error = QStringLiteral("unexpected BEGIN");
                return false;
        }
    }

    bool End(QString& error) {
        switch (state_) {
            case State::DialogBody:
                script_.dialogs.insert(dialog_.id, dialog_);
                state_ = State::Top;
                return true;
            case State::MenuBody:
                script_.menus.insert(menu_.id, menu_);
                state_ = State::Top;
                return true;
            case State::PopupBody:
                state_ = State::MenuBody;
                return true;
            case State::StringBody:
                state_ = State::Top;
                return true;
            default:
                error = QStringLiteral("unexpected END");
                return false;
        }
    }

    ResourceScript& script_;
    State state_ = State::Top;
    bool skipHeader_ = false;
    int skipDepth_ = 0;
    DialogTemplate dialog_;
    MenuTemplate menu_;
};

}  // namespace

const ControlTemplate* DialogTemplate::Control(int controlId) const {
    for (const ControlTemplate& c : controls) {
        if (c.id == controlId) {
            return &c;
        }
    }
    return nullptr;
}

bool ParseResourceScript(const QString& text, ResourceScript& script, QString& error) {
    Parser parser(script);
    const QStringList lines = text.split(u'\n');
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Preprocessor lines (the include of the system header, the code page) serve the resource
        // compiler.
        if (lines[i].trimmed().startsWith(u'#')) {
            continue;
        }
        QString lineError;
        if (!Tokenize(lines[i], tokens, lineError) || !parser.Line(tokens, lineError)) {
            error = QStringLiteral("line %1: %2").arg(i + 1).arg(lineError);
            return false;
        }
    }
    return parser.Finish(error);
}

const ResourceScript& EditorResources() {
    static const ResourceScript script = [] {
        InitEditorResources();
        QFile file(QStringLiteral(":/zrb/zrb-editor.rc"));
        ResourceScript parsed;
        QString error;
        if (!file.open(QIODevice::ReadOnly)) {
            error = file.errorString();
        } else if (ParseResourceScript(QString::fromUtf8(file.readAll()), parsed, error)) {
            return parsed;
        }
        std::fprintf(stderr, "zrb-editor.rc: %s\n", qPrintable(error));
        std::abort();
    }();
    return script;
}

}  // namespace zrb::gui

namespace zrb::gui {

QIcon AppIcon() {
    EditorResources();  // registers the compiled-in resources
    QIcon icon;
    icon.addFile(QStringLiteral(":/zrb/zrb-editor-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/zrb/zrb-editor-32.png"), QSize(32, 32));
    // No SVG here: it would load Qt's SVG plugins at start-up for a picture the window
    // shows at 16 and 32 pixels. The desktop takes the scalable icon from the icon theme.
    return icon;
}

}  // namespace zrb::gui
