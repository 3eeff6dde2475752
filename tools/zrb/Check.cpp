#include "tools/zrb/Commands.h"

namespace zrb::cli {

int RunCheck(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.operands.empty()) {
        return UsageError(err, line.command, "no file or folder given");
    }
    const bool warnings = !line.HasOption("--no-warnings");
    std::vector<std::string> paths;
    std::vector<std::string> folderEntries;
    bool unreadable = !ExpandModelPaths(line.operands, paths, err, &folderEntries);
    ReportFolderEntries(folderEntries, err);
    bool found = !folderEntries.empty();
    for (const std::string& path : paths) {
        std::vector<ModelFinding> findings;
        if (Result checked = CheckModelFile(path, findings); !checked) {
            err << "zrb: " << Shown(checked.message()) << '\n';
            unreadable = true;
            continue;
        }
        for (const ModelFinding& finding : findings) {
            if (finding.kind == FindingKind::Advice && !warnings) {
                continue;
            }
            out << FormatFinding(path, finding) << '\n';
            found = true;
        }
    }
    return unreadable ? 2 : found ? 1 : 0;
}

}  // namespace zrb::cli
