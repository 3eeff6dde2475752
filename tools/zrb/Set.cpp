#include <cmath>
#include <optional>

#include "model/Cp1252.h"
#include "model/LineReader.h"
#include "model/Numbers.h"
#include "platform/Text.h"
#include "tools/zrb/Commands.h"

namespace zrb::cli {

namespace {

struct Setting {
    std::string name;
    std::string text;
    const ModelKey* key = nullptr;  // nullptr for the description
    double value = 0.0;
};

// Whether `arg` has the form NAME=VALUE with a NAME made of letters, digits and
// underscores, which no path with a folder part has.
bool LooksLikeSetting(const std::string& arg) {
    const auto equals = arg.find('=');
    if (equals == std::string::npos || equals == 0) {
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

// Checks one NAME=VALUE; returns the reason it is refused, or nothing.
std::optional<std::string> Validate(Setting& setting) {
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
    if (!ParseWholePlainNumber(setting.text, setting.value)) {
        return "the value \"" + setting.text + "\" for " + setting.name + " is not a plain number";
    }
    if (!std::isfinite(setting.value)) {
        return "the value \"" + setting.text + "\" for " + setting.name + " is too large";
    }
    return std::nullopt;
}

}  // namespace

int RunSet(const CommandLine& line, std::ostream& /*out*/, std::ostream& err) {
    // The settings are the trailing NAME=VALUE operands; the files come before them.
    std::size_t split = line.operands.size();
    while (split > 0 && LooksLikeSetting(line.operands[split - 1])) {
        --split;
    }
    const std::vector<std::string> operands(line.operands.begin(), line.operands.begin() + split);
    if (split == line.operands.size()) {
        return UsageError(err, line.command, "no NAME=VALUE given");
    }
    if (operands.empty()) {
        return UsageError(err, line.command, "no file given");
    }

    std::vector<Setting> settings;
    bool refused = false;
    for (std::size_t i = split; i < line.operands.size(); ++i) {
        const std::string& arg = line.operands[i];
        const auto equals = arg.find('=');
        Setting setting{arg.substr(0, equals), arg.substr(equals + 1)};
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

    // Read and check every file before changing any, so that a batch either goes
    // through or leaves everything as it was.
    std::vector<std::string> paths;
    std::vector<std::string> folderEntries;
    bool unreadable = !ExpandModelPaths(operands, paths, err, &folderEntries);
    ReportFolderEntries(folderEntries, err);
    bool misread = false;
    const bool force = line.HasOption("--force");
    std::vector<MotionModel> models(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::vector<ModelFinding> findings;
        if (Result checked = CheckModelFile(paths[i], findings, &models[i]); !checked) {
            err << "zrb: " << Shown(checked.message()) << '\n';
            unreadable = true;
            continue;
        }
        bool fileMisread = false;
        for (const ModelFinding& finding : findings) {
            if (finding.kind == FindingKind::Misread && !force) {
                err << FormatFinding(paths[i], finding) << '\n';
                fileMisread = true;
            }
        }
        if (fileMisread) {
            err << "zrb: \"" << paths[i]
                << "\" is not read as its text says; saving would keep what the editor "
                   "reads. Correct it, or use --force.\n";
            misread = true;
        }
    }
    if (unreadable || misread) {
        err << "zrb: No file was changed.\n";
        return unreadable ? 2 : 1;
    }

    int status = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        MotionModel& model = models[i];
        for (const Setting& setting : settings) {
            if (setting.key == nullptr) {
                model.description = setting.text;
            } else {
                model.*setting.key->field = setting.value;
            }
        }
        if (Result written = WriteModelFile(paths[i], model, ModelFileVariant::SaveChanges);
            !written) {
            err << "zrb: " << Shown(written.message()) << '\n';
            status = 2;
        }
    }
    return status;
}

}  // namespace zrb::cli
