#include "model/Fleet.h"
#include "model/Numbers.h"
#include "tools/zrb/Commands.h"

namespace zrb::cli {

int RunDiff(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.operands.size() != 2) {
        return UsageError(err, line.command, "diff compares exactly two files");
    }
    MotionModel models[2];
    bool unreadable = false;
    for (int i = 0; i < 2; ++i) {
        std::string speedText;
        if (Result read = ReadFreshModel(line.operands[i], models[i], speedText); !read) {
            err << "zrb: " << Shown(read.message()) << '\n';
            unreadable = true;
        }
    }
    if (unreadable) {
        return 2;
    }
    const std::vector<ModelDifference> differences = CompareModels(models[0], models[1]);
    for (const ModelDifference& d : differences) {
        if (d.key == nullptr) {
            out << "description: \"" << ShownDescription(models[0].description) << "\" -> \""
                << ShownDescription(models[1].description) << "\"\n";
            continue;
        }
        out << d.key->name << ": " << FormatGeneral15(d.from) << " -> " << FormatGeneral15(d.to);
        if (d.difference) {
            out << " (" << DifferenceText(*d.difference) << ')';
        }
        out << '\n';
    }
    const bool differ = !differences.empty();
    return differ ? 1 : 0;
}

}  // namespace zrb::cli
