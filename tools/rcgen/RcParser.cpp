#include "tools/rcgen/RcParser.h"

#include <optional>

namespace zrb::gui {

namespace {

// The names the script's ids may use, and the first name a line used that has no value.
// One parse at a time, so one context for the helpers below.
struct Symbols {
    QHash<QString, int> values;
    QString unknown;
};
Symbols* symbols = nullptr;

bool IsName(const QString& word) {
    if (word.isEmpty() || !(word[0].isLetter() || word[0] == u'_')) {
        return false;
    }
    for (const QChar c : word) {
        if (!c.isLetterOrNumber() && c != u'_') {
            return false;
        }
    }
    return true;
}

// A number as written, or the value of a #define'd name.
std::optional<int> Value(const QString& word) {
    bool ok = false;
    const int value = word.toInt(&ok);
    if (ok) {
        return value;
    }
    if (symbols != nullptr && IsName(word)) {
        const auto it = symbols->values.constFind(word);
        if (it != symbols->values.cend()) {
            return *it;
        }
        if (symbols->unknown.isEmpty()) {
            symbols->unknown = word;
        }
    }
    return std::nullopt;
}

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
    return Value(arg[0].text);
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
    // An icon named by its id: the number the name stands for.
    if (*kind == ControlKind::Icon && !args.empty() && args[0].size() == 1 &&
        args[0][0].type == Token::Word) {
        const auto icon = Value(args[0][0].text);
        if (!icon) {
            error = QStringLiteral("ICON needs an icon id");
            return false;
        }
        control.text = QString::number(*icon);
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
                // The front-ends find a control by its id: one control per id.
                if (control.id != -1 && dialog_.Control(control.id) != nullptr) {
                    error = QStringLiteral("id %1 used twice in this template").arg(control.id);
                    return false;
                }
                dialog_.controls.push_back(control);
                return true;
            }
            case State::MenuHeader:
            case State::PopupHeader:
            case State::StringHeader:
            case State::AcceleratorHeader:
                error = QStringLiteral("BEGIN expected");
                return false;
            case State::MenuBody:
                return MenuLine(t, error);
            case State::PopupBody:
                return PopupLine(t, error);
            case State::StringBody:
                return StringLine(t, error);
            case State::AcceleratorBody:
                return AcceleratorLine(t, error);
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
        StringBody,
        AcceleratorHeader,
        AcceleratorBody
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
        const auto resourceId = t[0].type == Token::Word ? Value(t[0].text) : std::nullopt;
        if (!resourceId || t.size() < 2 || t[1].type != Token::Word) {
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
            dialog_.id = *resourceId;
            dialog_.rect = *rect;
            state_ = State::DialogHeader;
            return true;
        }
        if (t[1].text == u"ACCELERATORS" && t.size() == 2) {
            accelerators_ = *resourceId;
            script_.accelerators[accelerators_];
            state_ = State::AcceleratorHeader;
            return true;
        }
        if (t[1].text == u"MENU" && t.size() == 2) {
            menu_ = MenuTemplate();
            menu_.id = *resourceId;
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
        const auto id = t[0].type == Token::Word ? Value(t[0].text) : std::nullopt;
        const std::size_t at = (t.size() == 3 && t[1].type == Token::Comma) ? 2 : 1;
        if (!id || t.size() != at + 1 || t[at].type != Token::String) {
            error = QStringLiteral("string id and text expected");
            return false;
        }
        script_.strings.insert(*id, t[at].text);
        return true;
    }

    // "key, id [, option]...": key "^S", "s" or a virtual key (VK_F5 or "O" with VIRTKEY).
    bool AcceleratorLine(const std::vector<Token>& t, QString& error) {
        const auto args = SplitArguments(t, 0);
        const auto id = args.size() >= 2 ? Number(args[1]) : std::nullopt;
        if (args.size() < 2 || args[0].size() != 1 || !id) {
            error = QStringLiteral("accelerator key and command id expected");
            return false;
        }
        AcceleratorTemplate accelerator;
        accelerator.key = args[0][0].text;
        accelerator.id = *id;
        for (std::size_t i = 2; i < args.size(); ++i) {
            static const QStringList kOptions = {
                QStringLiteral("VIRTKEY"), QStringLiteral("ASCII"), QStringLiteral("CONTROL"),
                QStringLiteral("SHIFT"),   QStringLiteral("ALT"),   QStringLiteral("NOINVERT")};
            if (args[i].size() != 1 || !kOptions.contains(args[i][0].text)) {
                error = QStringLiteral("unknown accelerator option");
                return false;
            }
            accelerator.options << args[i][0].text;
        }
        const bool quoted = args[0][0].type == Token::String;
        accelerator.text = AcceleratorText(accelerator, quoted);
        if (accelerator.text.isEmpty()) {
            error = QStringLiteral("unknown accelerator key %1").arg(accelerator.key);
            return false;
        }
        script_.accelerators[accelerators_].push_back(accelerator);
        return true;
    }

    // The key as menus show it, in the portable form of Qt's key sequences.
    static QString AcceleratorText(const AcceleratorTemplate& a, bool quoted) {
        QString key;
        bool control = a.options.contains(QStringLiteral("CONTROL"));
        if (quoted && a.key.size() == 2 && a.key[0] == u'^' && a.key[1].isLetter()) {
            key = a.key.mid(1).toUpper();
            control = true;
        } else if (quoted && a.key.size() == 1 && a.key[0].isPrint()) {
            key = a.key.toUpper();
        } else if (!quoted && a.key.startsWith(QStringLiteral("VK_"))) {
            static const QHash<QString, QString> kNames = {
                {QStringLiteral("VK_DELETE"), QStringLiteral("Del")},
                {QStringLiteral("VK_INSERT"), QStringLiteral("Ins")},
                {QStringLiteral("VK_RETURN"), QStringLiteral("Return")},
                {QStringLiteral("VK_ESCAPE"), QStringLiteral("Esc")},
                {QStringLiteral("VK_BACK"), QStringLiteral("Backspace")},
                {QStringLiteral("VK_TAB"), QStringLiteral("Tab")},
                {QStringLiteral("VK_SPACE"), QStringLiteral("Space")},
                {QStringLiteral("VK_HOME"), QStringLiteral("Home")},
                {QStringLiteral("VK_END"), QStringLiteral("End")},
                {QStringLiteral("VK_PRIOR"), QStringLiteral("PgUp")},
                {QStringLiteral("VK_NEXT"), QStringLiteral("PgDown")},
                {QStringLiteral("VK_LEFT"), QStringLiteral("Left")},
                {QStringLiteral("VK_RIGHT"), QStringLiteral("Right")},
                {QStringLiteral("VK_UP"), QStringLiteral("Up")},
                {QStringLiteral("VK_DOWN"), QStringLiteral("Down")}};
            const QString name = a.key.mid(3);
            bool isNumber = false;
            const int f = name.mid(1).toInt(&isNumber);
            if (name.startsWith(u'F') && isNumber && f >= 1 && f <= 24) {
                key = name;
            } else {
                key = kNames.value(a.key);
            }
        }
        if (key.isEmpty()) {
            return key;
        }
        QString text;
        if (control) {
            text += QStringLiteral("Ctrl+");
        }
        if (a.options.contains(QStringLiteral("ALT"))) {
            text += QStringLiteral("Alt+");
        }
        if (a.options.contains(QStringLiteral("SHIFT"))) {
            text += QStringLiteral("Shift+");
        }
        return text + key;
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
            case State::AcceleratorHeader:
                state_ = State::AcceleratorBody;
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
            case State::AcceleratorBody:
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
    int accelerators_ = 0;
};

// The preprocessor lines of a script or a header: #include "header" reads the header's
// #defines, a #define gives a name its value; system headers, #pragma and the include
// guards' #ifndef/#endif serve the resource compiler alone.
class Preprocessor {
  public:
    Preprocessor(const HeaderReader& readHeader, QHash<QString, int>& values)
        : readHeader_(readHeader), values_(values) {}

    bool Line(const QString& line, const QString& file, int number, ScriptError& error) {
        QString text = line.trimmed().mid(1).trimmed();
        const qsizetype comment = text.indexOf(QStringLiteral("//"));
        if (comment >= 0) {
            text = text.left(comment).trimmed();
        }
        const QString directive = text.section(u' ', 0, 0, QString::SectionSkipEmpty);
        const QString rest = text.mid(directive.size()).trimmed();
        QString message;
        if (directive == u"include") {
            if (rest.startsWith(u'<')) {
                return true;
            }
            if (rest.size() < 3 || !rest.startsWith(u'"') || !rest.endsWith(u'"')) {
                message = QStringLiteral("#include \"file\" expected");
            } else if (!Include(rest.mid(1, rest.size() - 2), error)) {
                return false;
            }
        } else if (directive == u"define") {
            Define(rest, message);
        } else if (directive != u"pragma" && directive != u"ifndef" && directive != u"ifdef" &&
                   directive != u"endif") {
            message = QStringLiteral("unexpected #%1").arg(directive);
        }
        if (!message.isEmpty()) {
            error = {file, number, message};
            return false;
        }
        return true;
    }

  private:
    // "NAME", "NAME 12", "NAME -1", "NAME (-1)", "NAME OTHER_NAME".
    void Define(const QString& rest, QString& message) {
        const QString name = rest.section(u' ', 0, 0, QString::SectionSkipEmpty);
        QString value = rest.mid(name.size()).trimmed();
        if (!IsName(name)) {
            message = QStringLiteral("#define NAME value expected");
            return;
        }
        if (value.isEmpty()) {
            return;  // an include guard
        }
        if (value.startsWith(u'(') && value.endsWith(u')')) {
            value = value.mid(1, value.size() - 2).trimmed();
        }
        bool ok = false;
        int number = value.toInt(&ok, 0);
        if (!ok && values_.contains(value)) {
            number = values_.value(value);
            ok = true;
        }
        if (!ok) {
            message = QStringLiteral("%1 is no number: %2").arg(name, value);
        } else if (values_.contains(name) && values_.value(name) != number) {
            message = QStringLiteral("%1 redefined as %2, was %3")
                          .arg(name)
                          .arg(number)
                          .arg(values_.value(name));
        } else {
            values_.insert(name, number);
        }
    }

    bool Include(const QString& name, ScriptError& error) {
        QString text;
        QString reason;
        if (!readHeader_ || !readHeader_(name, text, reason)) {
            error = {name, 0,
                     reason.isEmpty() ? QStringLiteral("cannot be included here") : reason};
            return false;
        }
        // A header for the resource compiler and the C++ alike: preprocessor lines only.
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString line = lines[i].trimmed();
            if (line.isEmpty() || line.startsWith(QStringLiteral("//"))) {
                continue;
            }
            if (!line.startsWith(u'#')) {
                error = {name, int(i + 1), QStringLiteral("only preprocessor lines expected")};
                return false;
            }
            if (!Line(line, name, int(i + 1), error)) {
                return false;
            }
        }
        return true;
    }

    const HeaderReader& readHeader_;
    QHash<QString, int>& values_;
};

}  // namespace

bool ParseResourceScript(const QString& text, const QString& file, const HeaderReader& readHeader,
                         ResourceScript& script, ScriptError& error) {
    // The dialog ids of the system's headers that templates use.
    Symbols names;
    names.values = {{QStringLiteral("IDOK"), 1},
                    {QStringLiteral("IDCANCEL"), 2},
                    {QStringLiteral("IDYES"), 6},
                    {QStringLiteral("IDNO"), 7}};
    symbols = &names;
    struct Reset {
        ~Reset() { symbols = nullptr; }
    } reset;

    Parser parser(script);
    Preprocessor preprocessor(readHeader, names.values);
    const QStringList lines = text.split(u'\n');
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        if (lines[i].trimmed().startsWith(u'#')) {
            if (!preprocessor.Line(lines[i], file, number, error)) {
                return false;
            }
            continue;
        }
        names.unknown.clear();
        QString lineError;
        if (!Tokenize(lines[i], tokens, lineError) || !parser.Line(tokens, lineError)) {
            // A name without a value is what went wrong, whatever the statement then
            // missed.
            if (!names.unknown.isEmpty()) {
                lineError = QStringLiteral("unknown id %1").arg(names.unknown);
            }
            error = {file, number, lineError};
            return false;
        }
    }
    QString endError;
    if (!parser.Finish(endError)) {
        error = {file, 0, endError};
        return false;
    }
    return true;
}

bool ParseResourceScript(const QString& text, ResourceScript& script, QString& error) {
    ScriptError where;
    if (ParseResourceScript(text, QString(), HeaderReader(), script, where)) {
        return true;
    }
    error = where.line > 0 ? QStringLiteral("line %1: %2").arg(where.line).arg(where.message)
                           : where.message;
    return false;
}

}  // namespace zrb::gui
