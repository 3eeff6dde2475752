#include <cmath>

#include "model/Cp1252.h"
#include "model/Numbers.h"
#include "tools/zrb/Commands.h"
#include "tools/zrb/Json.h"

namespace zrb::cli {

namespace {

void PrintText(const MotionModel& model, const std::string& speedText, std::ostream& out) {
    out << "description = " << ShownDescription(model.description) << '\n';
    for (const ModelKey& key : ModelKeys()) {
        out << key.name << " = " << FormatGeneral15(model.*key.field) << '\n';
    }
    out << "speed = " << speedText << '\n';
}

void PrintJson(const std::string& path, const MotionModel& model, const std::string& speedText,
               std::ostream& out) {
    out << "{\"file\":" << JsonString(path)
        << ",\"description\":" << JsonString(Cp1252ToUtf8(model.description));
    for (const ModelKey& key : ModelKeys()) {
        out << ",\"" << key.name << "\":" << JsonNumber(model.*key.field);
    }
    // The speed text is "%.0f" of the speed, a JSON number as it stands when finite;
    // empty when the file has no .gasScaleFactor.
    const bool speed = !speedText.empty() && std::isfinite(model.gasScaleFactor * 600.0);
    out << ",\"speed\":" << (speed ? speedText : std::string("null")) << "}\n";
}

}  // namespace

int RunShow(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.operands.empty()) {
        return UsageError(err, line.command, "no file given");
    }
    std::vector<std::string> paths;
    int status = ExpandModelPaths(line.operands, paths, err) ? 0 : 2;
    const bool json = line.HasOption("--json");
    const bool headers = paths.size() > 1;
    bool firstBlock = true;
    for (const std::string& path : paths) {
        MotionModel model;
        std::string speedText;
        if (Result read = ReadFreshModel(path, model, speedText); !read) {
            err << "zrb: " << Shown(read.message()) << '\n';
            status = 2;
            continue;
        }
        if (json) {
            PrintJson(path, model, speedText, out);
            continue;
        }
        if (headers) {
            out << (firstBlock ? "" : "\n") << "==> " << Shown(path) << " <==\n";
        }
        firstBlock = false;
        PrintText(model, speedText, out);
    }
    return status;
}

}  // namespace zrb::cli
