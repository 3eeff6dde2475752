#include <cmath>
#include <optional>

#include "model/Cp1252.h"
#include "model/FleetChange.h"
#include "model/InputFile.h"
#include "model/LineReader.h"
#include "model/Numbers.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "tools/zrb/Commands.h"

namespace zrb::cli {

namespace {

struct Setting {
    std::string name;
    std::string text;
    FieldOp op = FieldOp::Set;      // NAME=, NAME*=, NAME+=, or a bare NAME after --from
    const ModelKey* key = nullptr;  // nullptr for the description
    double value = 0.0;
};

// Whether `arg` has the form NAME=VALUE (or NAME*=, NAME+=) with a NAME made of
// letters, digits and underscores, which no path with a folder part has.
bool LooksLikeSetting(const std::string& arg) {
    auto equals = arg.find('=');
    if (equals == std::string::npos || equals == 0) {
        return false;
    }
    if (arg[equals - 1] == '*' || arg[equals - 1] == '+') {
        --equals;
    }
    if (equals == 0) {
        return false;
    }
    for (std::size_t i = 0; i < equals; ++i) {
        const char c = arg[i];
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_') {
            return false;
        }
    }
    return true;
}

// Whether `arg` names a field (or the description) exactly: what --from copies.
bool IsFieldName(const std::string& arg) {
    if (arg == "description") {
        return true;
    }
    for (const ModelKey& key : ModelKeys()) {
        if (key.name == arg) {
            return true;
        }
    }
    return false;
}

// Checks one NAME=VALUE; returns the reason it is refused, or nothing.
std::optional<std::string> Validate(Setting& setting) {
    if (setting.name == "description" && setting.op != FieldOp::Set) {
        if (setting.op == FieldOp::CopyFrom) {
            return std::nullopt;
        }
        return std::string("the description can only be set (description=TEXT) or copied");
    }
    if (setting.name == "description") {
        if (setting.text.find_first_of("\r\n") != std::string::npos) {
            return std::string("the description must be one line");
        }
        // Typed as UTF-8; the file holds Windows-1252, as the editor reads it.
        std::string refused;
        std::optional<std::string> bytes = Utf8ToCp1252(setting.text, refused);
        if (!bytes) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            const Utf8Char c = DecodeUtf8(refused);
            if (c.length == 0) {
                const auto byte = static_cast<unsigned char>(refused[0]);
                return std::string("the description is not UTF-8 text (the byte 0x") +
                       kHex[byte >> 4] + kHex[byte & 0xf] + ")";
            }
            std::string code;
            for (int shift = c.codePoint > 0xffff ? 16 : 12; shift >= 0; shift -= 4) {
                code += kHex[(c.codePoint >> shift) & 0xf];
            }
            return "the description holds \"" + refused + "\" (U+" + code +
                   "), which a model file cannot hold: it is written in Windows-1252";
        }
        setting.text = std::move(*bytes);
        const std::size_t length =
            setting.text.size() + (setting.text.compare(0, 2, "//") == 0 ? 0 : 2);
        if (length > LineReader::kMaxPiece) {
            return "the description would be " + std::to_string(length) +
                   " characters long; the editor reads back only the first " +
                   std::to_string(LineReader::kMaxPiece);
        }
        return std::nullopt;
    }
    for (const ModelKey& key : ModelKeys()) {
        if (key.name == setting.name) {
            setting.key = &key;
        }
    }
    if (setting.key == nullptr) {
        std::string message = "unknown field \"" + setting.name + "\"";
        for (const ModelKey& key : ModelKeys()) {
            if (EqualsIgnoringAsciiCase(key.name, setting.name)) {
                message += " (did you mean " + std::string(key.name) + "?)";
            }
        }
        return message;
    }
    if (setting.op == FieldOp::CopyFrom) {
        return std::nullopt;
    }
    if (!ParseWholePlainNumber(setting.text, setting.value)) {
        return "the value \"" + setting.text + "\" for " + setting.name + " is not a plain number";
    }
    if (!std::isfinite(setting.value)) {
        return "the value \"" + setting.text + "\" for " + setting.name + " is too large";
    }
    return std::nullopt;
}

// Reads the model --from names; false, with the reason told, when it cannot be used.
bool ReadSource(const std::string& path, bool force, FleetChange& change, std::ostream& err,
                int& status) {
    std::string bytes;
    if (Result read = ReadModelBytes(path, bytes); !read) {
        err << "zrb: " << Shown(read.message()) << '\n';
        status = 2;
        return false;
    }
    std::string speedText;
    std::vector<ModelFinding> findings;
    ReadAndCheckModelBytes(bytes, change.source, speedText, findings);
    bool misread = false;
    for (const ModelFinding& finding : findings) {
        if (finding.kind == FindingKind::Misread && !force) {
            err << FormatFinding(path, finding) << '\n';
            misread = true;
        }
    }
    if (misread) {
        err << "zrb: \"" << Shown(path)
            << "\" is not read as its text says; copying would take what the editor reads. "
               "Correct it, or use --force.\n";
        status = 1;
        return false;
    }
    change.sourceName = BaseName(path);
    return true;
}

}  // namespace

int RunSet(const CommandLine& line, std::ostream& /*out*/, std::ostream& err) {
    const std::string* from = line.Value("--from");
    // The settings are the trailing NAME=VALUE operands (and, with --from, the names of
    // the fields to copy); the files come before them.
    std::size_t split = line.operands.size();
    while (split > 0 && (LooksLikeSetting(line.operands[split - 1]) ||
                         (from != nullptr && IsFieldName(line.operands[split - 1])))) {
        --split;
    }
    const std::vector<std::string> operands(line.operands.begin(), line.operands.begin() + split);
    if (split == line.operands.size()) {
        return UsageError(err, line.command,
                          from != nullptr ? "no field to copy given" : "no NAME=VALUE given");
    }
    if (operands.empty()) {
        return UsageError(err, line.command, "no file given");
    }

    std::vector<Setting> settings;
    bool refused = false;
    for (std::size_t i = split; i < line.operands.size(); ++i) {
        const std::string& arg = line.operands[i];
        Setting setting;
        const auto equals = arg.find('=');
        if (equals == std::string::npos) {
            setting.name = arg;
            setting.op = FieldOp::CopyFrom;
        } else {
            setting.name = arg.substr(0, equals);
            setting.text = arg.substr(equals + 1);
            if (setting.name.back() == '*' || setting.name.back() == '+') {
                setting.op = setting.name.back() == '*' ? FieldOp::Multiply : FieldOp::Add;
                setting.name.pop_back();
            }
        }
        std::optional<std::string> problem = Validate(setting);
        for (const Setting& earlier : settings) {
            if (!problem && earlier.name == setting.name) {
                problem = setting.name + " is given more than once";
            }
        }
        if (problem) {
            err << "zrb: " << Shown(*problem) << '\n';
            refused = true;
        }
        settings.push_back(std::move(setting));
    }
    if (refused) {
        err << "zrb: No file was changed.\n";
        return 2;
    }

    const bool force = line.HasOption("--force");
    FleetChange change;
    for (const Setting& setting : settings) {
        change.edits.push_back({setting.key, setting.op, setting.value, setting.text});
    }
    if (from != nullptr) {
        int status = 0;
        if (!ReadSource(*from, force, change, err, status)) {
            err << "zrb: No file was changed.\n";
            return status;
        }
    }

    // Read and check every file before changing any, so that a batch either goes
    // through or leaves everything as it was.
    std::vector<std::string> paths;
    std::vector<std::string> folderEntries;
    bool unreadable = !ExpandModelPaths(operands, paths, err, &folderEntries);
    ReportFolderEntries(folderEntries, err);
    std::vector<ChangeTarget> targets;
    targets.reserve(paths.size());
    for (const std::string& path : paths) {
        targets.push_back({path, BaseName(path), std::nullopt, nullptr});
    }
    ChangePreview preview = PreviewChange(change, targets);
    bool misread = false;
    bool unwritable = false;
    for (ChangePreviewRow& row : preview.rows) {
        if (row.skip == ChangeSkip::Unreadable) {
            err << "zrb: " << Shown(row.reason) << '\n';
            unreadable = true;
            continue;
        }
        bool fileMisread = false;
        for (const ModelFinding& finding : row.findings) {
            if (finding.kind == FindingKind::Misread && !force) {
                err << FormatFinding(row.path, finding) << '\n';
                fileMisread = true;
            }
        }
        if (fileMisread) {
            err << "zrb: \"" << Shown(row.path)
                << "\" is not read as its text says; saving would keep what the editor "
                   "reads. Correct it, or use --force.\n";
            misread = true;
        }
        if (row.skip == ChangeSkip::NotFinite || row.skip == ChangeSkip::NotRepresentable) {
            err << "zrb: \"" << Shown(row.path) << "\": " << Shown(row.reason) << '\n';
            unwritable = true;
        }
        if (force) {
            (void)Force(row);
        }
    }
    if (unreadable || misread || unwritable) {
        err << "zrb: No file was changed.\n";
        return unreadable || unwritable ? 2 : 1;
    }

    int status = 0;
    ChangeStep step;
    for (ChangePreviewRow& row : preview.rows) {
        if (row.skip == ChangeSkip::Unchanged) {
            // Saved all the same, as Save Changes saves an unchanged model: in the
            // writer's layout.
            if (Result written = WriteModelFile(row.path, row.model, ModelFileVariant::SaveChanges);
                !written) {
                err << "zrb: " << Shown(written.message()) << '\n';
                status = 2;
            }
            continue;
        }
        const FileOutcome outcome = ApplyChangeRow(row, step);
        if (outcome.kind != FileOutcome::Kind::Written) {
            err << "zrb: ";
            if (outcome.kind == FileOutcome::Kind::Skipped) {
                err << '"' << Shown(row.path) << "\": ";
            }
            err << Shown(outcome.reason) << '\n';
            status = 2;
        }
    }
    return status;
}

}  // namespace zrb::cli
