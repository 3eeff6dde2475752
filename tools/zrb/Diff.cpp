#include "model/Fleet.h"
#include "model/FleetReference.h"
#include "model/ModelNames.h"
#include "model/Numbers.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "tools/zrb/Commands.h"

namespace zrb::cli {

namespace {

// The lines of `zrb diff A B` for the models `first` and `second`; whether they differ.
bool PrintDifferences(const MotionModel& first, const MotionModel& second, std::ostream& out) {
    const std::vector<ModelDifference> differences = CompareModels(first, second);
    for (const ModelDifference& d : differences) {
        if (d.key == nullptr) {
            out << "description: \"" << ShownDescription(first.description) << "\" -> \""
                << ShownDescription(second.description) << "\"\n";
            continue;
        }
        out << d.key->name << ": " << FormatGeneral15(d.from) << " -> " << FormatGeneral15(d.to);
        if (d.difference) {
            out << " (" << DifferenceText(*d.difference) << ')';
        }
        out << '\n';
    }
    return !differences.empty();
}

std::string WithoutTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && IsPathSeparator(folder.back())) {
        folder.pop_back();
    }
    return folder;
}

// FOLDER against REFERENCE: each model that differs as `zrb diff FOLDER/NAME
// REFERENCE/NAME` lists it, under its name; then the new and the missing models.
int DiffFolders(const CommandLine& line, std::ostream& out, std::ostream& err) {
    const std::string folder = WithoutTrailingSeparators(line.operands[0]);
    std::vector<std::string> names;
    if (Result listed = ListModelFolder(folder, names); !listed) {
        err << "zrb: Could not read the folder \"" << Shown(line.operands[0]) << "\" ("
            << listed.message() << ")\n";
        return 2;
    }
    SortByModelName(names);
    const std::vector<FleetRow> rows = ReadFleet(folder, names);
    ReferenceComparison comparison;
    if (Result compared =
            CompareWithReference(rows, WithoutTrailingSeparators(line.operands[1]), comparison);
        !compared) {
        err << "zrb: " << Shown(compared.message()) << '\n';
        return 2;
    }
    bool unreadable = false;
    std::vector<std::string> added;
    for (const ReferenceMatch& match : comparison.rows) {
        const FleetRow& row = rows[match.row];
        const FleetRow* reference = comparison.ReferenceOf(match.row);
        switch (match.state) {
            case ReferenceState::Identical:
            case ReferenceState::Missing:
                break;
            case ReferenceState::New:
                added.push_back(row.name);
                break;
            case ReferenceState::Unreadable:
                for (const FleetRow* r : {&row, reference}) {
                    if (!r->read) {
                        err << "zrb: " << Shown(r->reason) << '\n';
                    }
                }
                unreadable = true;
                break;
            case ReferenceState::Differs:
                out << "==> " << Shown(row.name) << " <==\n";
                (void)PrintDifferences(row.model, reference->model, out);
                break;
        }
    }
    for (const std::string& name : added) {
        out << "new: " << Shown(name) << '\n';
    }
    for (const ReferenceMatch& match : comparison.missing) {
        out << "missing: " << Shown(comparison.referenceRows[match.reference].name) << '\n';
    }
    if (unreadable) {
        return 2;
    }
    return comparison.AnyDifference() ? 1 : 0;
}

}  // namespace

int RunDiff(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.operands.size() != 2) {
        return UsageError(err, line.command, "diff compares exactly two files or two folders");
    }
    const bool firstFolder = KindOf(line.operands[0]) == EntryKind::Folder;
    if (firstFolder != (KindOf(line.operands[1]) == EntryKind::Folder)) {
        return UsageError(err, line.command,
                          "diff compares two files or two folders, not one of each");
    }
    if (firstFolder) {
        return DiffFolders(line, out, err);
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
    return PrintDifferences(models[0], models[1], out) ? 1 : 0;
}

}  // namespace zrb::cli
