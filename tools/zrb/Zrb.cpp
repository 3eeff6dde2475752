#include "tools/zrb/Zrb.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "model/Cp1252.h"
#include "model/ModelNames.h"
#include "model/Workspace.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "tools/zrb/Commands.h"

namespace zrb::cli {

namespace {

struct Command {
    std::string_view name;
    std::string_view synopsis;
    std::vector<std::string_view> options;
    int (*run)(const CommandLine&, std::ostream&, std::ostream&);
};

const std::array<Command, 5>& Commands() {
    static const std::array<Command, 5> commands = {{
        {"show", "zrb show [--json] FILE|FOLDER...", {"--json"}, RunShow},
        {"check", "zrb check [--no-warnings] FILE|FOLDER...", {"--no-warnings"}, RunCheck},
        {"set",
         "zrb set [--force] [--from MODEL.zrb] FILE|FOLDER... SETTING...",
         {"--force", "--from"},
         RunSet},
        {"diff", "zrb diff FILE_A FILE_B | zrb diff FOLDER REFERENCE", {}, RunDiff},
        {"table", "zrb table [--csv] FILE|FOLDER...", {"--csv"}, RunTable},
    }};
    return commands;
}

const Command* FindCommand(std::string_view name) {
    for (const Command& command : Commands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

void PrintOverview(std::ostream& out) {
    out << "zrb - show, check and change ZRB Editor motion models (.zrb files)\n\nUsage:\n";
    for (const Command& command : Commands()) {
        out << "  " << command.synopsis << '\n';
    }
    out << "  zrb --help | zrb COMMAND --help\n"
           "\n"
           "  show   the description, the eleven fields and the speed as the editor reads them\n"
           "  check  where the editor reads a file differently from what its text says\n"
           "  set    change fields in many files and save them as the editor does\n"
           "  diff   the fields in which two models differ, or a folder and a reference\n"
           "  table  many models side by side, one row each, as text columns or CSV\n"
           "\n"
           "A FOLDER stands for its *.zrb files, in the order of the editor's model list.\n"
           "Descriptions are shown as the editor shows them (Windows-1252), in UTF-8;\n"
           "control characters in descriptions and names are shown as \\x1b.\n"
           "Exit status: 0 success, 1 something found or different, 2 bad arguments or a\n"
           "file that could not be read or written.\n";
}

void PrintCheckRanges(std::ostream& out) {
    const auto& keys = ModelKeys();
    const auto& advice = ModelFieldAdvice();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        out << "  " << keys[i].name << ' ' << AdvisedRangeText(advice[i]) << ' ' << advice[i].advice
            << '\n';
    }
}

void PrintCommandHelp(const Command& command, std::ostream& out) {
    out << "Usage: " << command.synopsis << "\n\n";
    if (command.name == "show") {
        out << "Shows each model as the editor reads it into a fresh window: the\n"
               "description, the eleven fields as \"name = value\" in the format of the\n"
               "editor's boxes, and the approximate speed in km/h (\"speed = \", empty when\n"
               "the file has no .gasScaleFactor). A field whose key is missing shows 0;\n"
               "\"zrb check\" tells why. With several files each block starts with\n"
               "\"==> FILE <==\".\n"
               "\n"
               "  --json  one JSON object per file and line, with \"file\", \"description\",\n"
               "          the eleven fields by name and \"speed\", all numbers. Text is plain\n"
               "          ASCII with \\u escapes: the description read as Windows-1252 as the\n"
               "          editor reads it, the file name as UTF-8. A value too large for a\n"
               "          number (the file says 1e999) is null, and so is the speed of a\n"
               "          file without .gasScaleFactor.\n"
               "\n"
               "Exit status: 0, or 2 when a file could not be read (the others are shown).\n";
    } else if (command.name == "check") {
        out << "Reads each file exactly as the editor does and reports, as\n"
               "FILE:LINE: MESSAGE, where it reads something other than what the text says:\n"
               "a value cut by its value column (a separator shorter than the writer's), a\n"
               "key line that is indented or whose key is misspelled, wrongly cased or\n"
               "longer, a missing key (FILE: MESSAGE), a repeated key (the last one wins), a\n"
               "value that is missing, not a plain number or too large, a first line that\n"
               "is a key line or lacks \"//\", a line longer than 1023 characters, a CR\n"
               "inside a line, line ends other than CR LF and a last line without one.\n"
               "A folder entry named like a model is named and left out (status 1).\n"
               "Reported as \"warning:\" are a description that is not Windows-1252 text as\n"
               "the editor shows it (UTF-8, control characters, undefined bytes) and values\n"
               "outside the range the editor advises:\n";
        PrintCheckRanges(out);
        out << "\n"
               "  --no-warnings  leave out the range warnings\n"
               "\n"
               "Exit status: 0 clean, 1 something found, 2 a file or folder could not be\n"
               "read (the others are still checked).\n";
    } else if (command.name == "set") {
        out << "Sets fields in every file and saves it as the editor's \"Save Changes\"\n"
               "does: the whole file rewritten in the fixed layout, CR LF line ends. A\n"
               "SETTING is NAME=VALUE, NAME*=FACTOR, NAME+=AMOUNT or, with --from, a bare\n"
               "NAME. NAME is one of\n ";
        for (const ModelKey& key : ModelKeys()) {
            out << ' ' << key.name;
        }
        out << "\n"
               "or description (one line; \"//\" is put in front when missing; typed in\n"
               "UTF-8 and stored in Windows-1252, so a character that 1252 cannot hold is\n"
               "refused). A VALUE\n"
               "must be a plain number as a whole, however long (1200, 0.35, 1.5e3).\n"
               "NAME*=FACTOR multiplies a field by FACTOR, NAME+=AMOUNT adds AMOUNT to it\n"
               "(a negative AMOUNT subtracts); both are plain numbers, and the result is\n"
               "saved rounded as the file keeps the field (mass*=1.1 on 950 saves 1045.00).\n"
               "\n"
               "  --from MODEL.zrb  copy the fields named after the files (bare NAMEs, such\n"
               "                    as mass horsePower description) from MODEL.zrb\n"
               "\n"
               "The trailing NAME=VALUE, NAME*=FACTOR, NAME+=AMOUNT (and with --from, NAME)\n"
               "arguments are the settings; name a file that looks like one as ./NAME=VALUE.\n"
               "Example: zrb set models/ mass*=1.1 horsePower+=5\n"
               "\n"
               "No file is changed when a NAME or VALUE is refused, when a file cannot be\n"
               "read, or when \"zrb check\" finds that a file is not read as its text says (a\n"
               "value cut by its column, a missing key...): saving would make the misread\n"
               "values permanent. A file that cannot be saved is reported and the others\n"
               "are still saved. A folder entry named like a model (a folder \"x.zrb\") is\n"
               "named and left out.\n"
               "\n"
               "A result that is not a finite number (mass*=1e308) refuses the batch too.\n"
               "\n"
               "  --force  save such files all the same, with the values the editor reads\n"
               "           (and copy from a MODEL.zrb that is not read as its text says)\n"
               "\n"
               "Exit status: 0 all saved, 1 refused because of findings, 2 bad arguments or\n"
               "a file that could not be read or saved.\n";
    } else if (command.name == "diff") {
        out << "Reads both files as the editor does and lists each field that differs as\n"
               "\"name: A -> B (+difference)\", and a differing description as\n"
               "description: \"A\" -> \"B\". A difference is rounded to the decimals the\n"
               "file keeps for the field: 4, 2 or 1 (horsePower as its variant writes it).\n"
               "\n"
               "With two folders, FOLDER and REFERENCE (a copy of the original models, say):\n"
               "for each model of FOLDER that differs from the model of the same name in\n"
               "REFERENCE (names matched without regard to case, as the editor's list\n"
               "finds them), a line \"==> NAME <==\" and its differences as above, FOLDER's\n"
               "value first; then \"new: NAME\" for each model REFERENCE lacks and\n"
               "\"missing: NAME\" for each model of REFERENCE that FOLDER lacks.\n"
               "\n"
               "Exit status: 0 equal, 1 different, 2 a file could not be read.\n";
    } else if (command.name == "table") {
        out << "Reads every file as the editor does and prints one row per file: the name,\n"
               "the description, the eleven fields in the format of the editor's boxes and\n"
               "the approximate speed, in columns, a value outside the editor's advice\n"
               "marked with \"!\". A file that cannot be read shows the reason instead.\n"
               "\n"
               "  --csv  the same table as CSV for spreadsheets: UTF-8, one header row,\n"
               "         numbers with a full stop, descriptions read as Windows-1252, no marks;\n"
               "         a name or description that begins with =, +, -, @, TAB or CR gets a\n"
               "         leading ' so that spreadsheets do not run it as a formula\n"
               "\n"
               "Exit status: 0, or 2 when a file could not be read (the others are shown).\n";
    }
}

bool IsOption(std::string_view arg) {
    return arg.size() > 1 && arg.front() == '-';
}

// The options that take the next argument as their value.
bool TakesValue(std::string_view option) {
    return option == "--from";
}

}  // namespace

bool CommandLine::HasOption(std::string_view option) const {
    return std::find(options.begin(), options.end(), option) != options.end();
}

const std::string* CommandLine::Value(std::string_view option) const {
    for (const auto& [name, value] : values) {
        if (name == option) {
            return &value;
        }
    }
    return nullptr;
}

int UsageError(std::ostream& err, std::string_view command, const std::string& message) {
    err << "zrb: " << Shown(message) << '\n';
    if (const Command* found = FindCommand(command)) {
        err << "Usage: " << found->synopsis << '\n';
        err << "Run \"zrb " << command << " --help\" for details.\n";
    } else {
        err << "Run \"zrb --help\" for the commands.\n";
    }
    return 2;
}

bool ExpandModelPaths(const std::vector<std::string>& given, std::vector<std::string>& paths,
                      std::ostream& err, std::vector<std::string>* folderEntries) {
    bool ok = true;
    std::vector<std::string> operands;
    for (const std::string& operand : given) {
        if (!kProgramExpandsWildcards || !HasWildcard(operand)) {
            operands.push_back(operand);
            continue;
        }
        std::vector<std::string> names;
        if (Result matched = MatchWildcard(operand, names); !matched) {
            err << "zrb: Could not read the folder of \"" << Shown(operand) << "\" ("
                << matched.message() << ")\n";
            ok = false;
            continue;
        }
        if (names.empty()) {
            err << "zrb: no file matches \"" << Shown(operand) << "\"\n";
            ok = false;
            continue;
        }
        SortByModelName(names);
        std::size_t folderPart = operand.size();
        while (folderPart > 0 && !IsPathSeparator(operand[folderPart - 1]) &&
               operand[folderPart - 1] != ':') {
            --folderPart;
        }
        for (const std::string& name : names) {
            operands.push_back(operand.substr(0, folderPart) + name);
        }
    }
    for (const std::string& operand : operands) {
        if (KindOf(operand) != EntryKind::Folder) {
            // Taken as a file, whose reading then reports what is wrong with it.
            paths.push_back(operand);
            continue;
        }
        std::string folder = operand;
        while (folder.size() > 1 && IsPathSeparator(folder.back())) {
            folder.pop_back();
        }
        std::vector<std::string> names;
        if (Result listed = ListModelFolder(folder, names); !listed) {
            err << "zrb: Could not read the folder \"" << Shown(operand) << "\" ("
                << listed.message() << ")\n";
            ok = false;
            continue;
        }
        SortByModelName(names);
        for (const std::string& name : names) {
            const bool root = folder.size() == 1 && IsPathSeparator(folder[0]);
            std::string path = root ? folder + name : JoinPath(folder, name);
            if (folderEntries != nullptr && KindOf(path) == EntryKind::Folder) {
                folderEntries->push_back(std::move(path));
            } else {
                paths.push_back(std::move(path));
            }
        }
    }
    return ok;
}

void ReportFolderEntries(const std::vector<std::string>& folderEntries, std::ostream& err) {
    for (const std::string& path : folderEntries) {
        err << "zrb: \"" << Shown(path) << "\" is a folder, not a model file; left out\n";
    }
}

std::string Shown(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8(text.substr(i));
        // A byte that is no UTF-8 is text from a model file (a value "zrb check"
        // quotes): Windows-1252, as the editor reads it, so that every line is UTF-8.
        const char32_t cp =
            c.length > 0 ? c.codePoint : Cp1252ToUnicode(static_cast<unsigned char>(text[i]));
        if (cp < 0x20 || (cp >= 0x7f && cp < 0xa0)) {
            out += "\\x";
            out += kHex[(cp >> 4) & 0xf];
            out += kHex[cp & 0xf];
        } else if (c.length > 0) {
            out += text.substr(i, c.length);
        } else {
            out += Cp1252ToUtf8(text.substr(i, 1));
        }
        i += c.length > 0 ? c.length : 1;
    }
    return out;
}

std::string ShownDescription(std::string_view description) {
    return Shown(Cp1252ToUtf8(description));
}

std::size_t ShownWidth(std::string_view text) {
    std::size_t width = 0;
    for (const char c : text) {
        width += (static_cast<unsigned char>(c) & 0xc0) != 0x80 ? 1 : 0;
    }
    return width;
}

std::string FormatFinding(const std::string& path, const ModelFinding& finding) {
    std::string text = path;
    if (finding.line > 0) {
        text += ':' + std::to_string(finding.line);
    }
    text += ": ";
    if (finding.kind == FindingKind::Advice) {
        text += "warning: ";
    }
    text += finding.message;
    return Shown(text);
}

Result ReadFreshModel(const std::string& path, MotionModel& model, std::string& speedText) {
    model = MotionModel();
    speedText.clear();
    return ReadModelFile(path, model, speedText);
}

int ZrbMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return UsageError(err, "", "no command given");
    }
    const std::string& first = args.front();
    if (first == "--help" || first == "-h" || first == "help") {
        if (args.size() > 1) {
            if (const Command* command = FindCommand(args[1])) {
                PrintCommandHelp(*command, out);
                return 0;
            }
            return UsageError(err, "", "unknown command \"" + args[1] + "\"");
        }
        PrintOverview(out);
        return 0;
    }
    const Command* command = FindCommand(first);
    if (command == nullptr) {
        return UsageError(err, "", "unknown command \"" + first + "\"");
    }
    CommandLine line;
    line.command = first;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            line.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            PrintCommandHelp(*command, out);
            return 0;
        } else if (std::find(command->options.begin(), command->options.end(), arg) ==
                   command->options.end()) {
            return UsageError(err, first, "unknown option \"" + arg + "\" for " + first);
        } else if (!TakesValue(arg)) {
            line.options.push_back(arg);
        } else if (i + 1 == args.size()) {
            return UsageError(err, first, arg + " needs a value");
        } else if (line.Value(arg) != nullptr) {
            return UsageError(err, first, arg + " is given more than once");
        } else {
            line.values.emplace_back(arg, args[++i]);
        }
    }
    return command->run(line, out, err);
}

}  // namespace zrb::cli
