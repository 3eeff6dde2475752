#include <cmath>

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
            err << "zrb: " << read.message() << '\n';
            unreadable = true;
        }
    }
    if (unreadable) {
        return 2;
    }
    const MotionModel& a = models[0];
    const MotionModel& b = models[1];
    bool differ = false;
    if (a.description != b.description) {
        out << "description: \"" << a.description << "\" -> \"" << b.description << "\"\n";
        differ = true;
    }
    for (const ModelKey& key : ModelKeys()) {
        const double from = a.*key.field;
        const double to = b.*key.field;
        if (from == to) {
            continue;
        }
        differ = true;
        out << key.name << ": " << FormatGeneral15(from) << " -> " << FormatGeneral15(to);
        const double difference = to - from;
        if (std::isfinite(difference)) {
            out << " (" << (difference > 0 ? "+" : "") << FormatGeneral15(difference) << ')';
        }
        out << '\n';
    }
    return differ ? 1 : 0;
}

}  // namespace zrb::cli
