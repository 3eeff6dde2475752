#include "model/FleetReference.h"

#include <unordered_map>
#include <utility>

#include "model/Cp1252.h"
#include "model/ModelNames.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace zrb {

namespace {

std::string Lowered(std::string_view name) {
    std::string lowered(name);
    for (char& c : lowered) {
        c = AsciiLower(c);
    }
    return lowered;
}

bool IsFieldColumn(int column) {
    return column >= kFleetFirstFieldColumn && column < kFleetSpeedColumn;
}

// The key of a value column, nullptr for the description; false for other columns.
bool KeyOfColumn(int column, const ModelKey*& key) {
    if (column == kFleetDescriptionColumn) {
        key = nullptr;
        return true;
    }
    if (IsFieldColumn(column)) {
        key = &ModelKeys()[static_cast<std::size_t>(column - kFleetFirstFieldColumn)];
        return true;
    }
    return false;
}

bool Differs(const ReferenceMatch& match, int column) {
    const ModelKey* key = nullptr;
    if (match.state != ReferenceState::Differs || !KeyOfColumn(column, key)) {
        return false;
    }
    for (const ModelDifference& difference : match.differences) {
        if (difference.key == key) {
            return true;
        }
    }
    return false;
}

// A cell of the CSV as FleetCsv writes it: descriptions decoded from Windows-1252.
std::string CsvCell(const FleetRow& row, int column) {
    if (column == kFleetDescriptionColumn) {
        return FleetCsvCell(row.read ? Cp1252ToUtf8(row.model.description) : row.reason, true);
    }
    return FleetCsvCell(FleetCellText(row, column), column == kFleetNameColumn);
}

}  // namespace

std::string_view ReferenceStateText(ReferenceState state) {
    switch (state) {
        case ReferenceState::Identical:
            return "identical";
        case ReferenceState::Differs:
            return "differs";
        case ReferenceState::New:
            return "new";
        case ReferenceState::Missing:
            return "missing";
        case ReferenceState::Unreadable:
            return "unreadable";
    }
    return "";
}

std::vector<std::size_t> MatchModelNames(const std::vector<std::string>& names,
                                         const std::vector<std::string>& reference) {
    std::vector<std::size_t> matches(names.size(), kNoMatch);
    std::vector<bool> taken(reference.size(), false);
    std::unordered_map<std::string_view, std::size_t> exact;
    std::unordered_map<std::string, std::vector<std::size_t>> folded;
    exact.reserve(reference.size());
    folded.reserve(reference.size());
    for (std::size_t i = 0; i < reference.size(); ++i) {
        exact.emplace(reference[i], i);
        folded[Lowered(reference[i])].push_back(i);
    }
    // The very same name first, so that "A.zrb" and "a.zrb" on both sides pair up alike.
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (const auto found = exact.find(names[i]); found != exact.end()) {
            matches[i] = found->second;
            taken[found->second] = true;
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (matches[i] != kNoMatch) {
            continue;
        }
        const auto found = folded.find(Lowered(names[i]));
        if (found == folded.end()) {
            continue;
        }
        for (const std::size_t j : found->second) {
            if (!taken[j]) {
                matches[i] = j;
                taken[j] = true;
                break;
            }
        }
    }
    return matches;
}

ReferenceMatch MatchWithReference(const FleetRow& row, const FleetRow* reference) {
    ReferenceMatch match;
    if (reference == nullptr) {
        match.state = ReferenceState::New;
        return match;
    }
    if (!row.read || !reference->read) {
        match.state = ReferenceState::Unreadable;
        return match;
    }
    match.differences = CompareModels(reference->model, row.model);
    match.state = match.differences.empty() ? ReferenceState::Identical : ReferenceState::Differs;
    return match;
}

bool ReferenceComparison::AnyDifference() const {
    if (!missing.empty()) {
        return true;
    }
    for (const ReferenceMatch& match : rows) {
        if (match.state != ReferenceState::Identical) {
            return true;
        }
    }
    return false;
}

const FleetRow* ReferenceComparison::ReferenceOf(std::size_t row) const {
    if (row >= rows.size() || rows[row].reference == kNoMatch) {
        return nullptr;
    }
    return &referenceRows[rows[row].reference];
}

bool ReferenceComparison::CellDiffers(std::size_t row, int column) const {
    return row < rows.size() && Differs(rows[row], column);
}

std::string ReferenceComparison::ReferenceCellText(std::size_t row, int column) const {
    const FleetRow* reference = ReferenceOf(row);
    return reference != nullptr ? FleetCellText(*reference, column) : std::string();
}

Result CompareWithReference(const std::vector<FleetRow>& rows, const std::string& referenceFolder,
                            ReferenceComparison& comparison, const FleetProgress& progress) {
    std::vector<std::string> names;
    if (Result listed = ListModelFolder(referenceFolder, names); !listed) {
        std::string message = "Could not read the reference folder \"";
        message += referenceFolder;
        message += "\": ";
        message += listed.message();
        return Result::Failure(std::move(message));
    }
    SortByModelName(names);
    std::vector<FleetRow> referenceRows;
    referenceRows.reserve(names.size());
    bool cancelled = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (progress && !progress(i, names.size())) {
            cancelled = true;
            break;
        }
        referenceRows.push_back(ReadFleetRow(JoinPath(referenceFolder, names[i]), names[i]));
    }
    comparison = MatchReference(rows, referenceFolder, std::move(referenceRows));
    comparison.cancelled = cancelled;
    return Result::Success();
}

ReferenceComparison MatchReference(const std::vector<FleetRow>& rows, std::string referenceFolder,
                                   std::vector<FleetRow> referenceRows) {
    ReferenceComparison comparison;
    comparison.referenceFolder = std::move(referenceFolder);
    comparison.referenceRows = std::move(referenceRows);
    std::vector<std::string> names;
    names.reserve(rows.size());
    for (const FleetRow& row : rows) {
        names.push_back(row.name);
    }
    std::vector<std::string> referenceNames;
    referenceNames.reserve(comparison.referenceRows.size());
    for (const FleetRow& row : comparison.referenceRows) {
        referenceNames.push_back(row.name);
    }
    const std::vector<std::size_t> matches = MatchModelNames(names, referenceNames);
    std::vector<bool> matched(referenceNames.size(), false);
    comparison.rows.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t j = matches[i];
        const FleetRow* reference = nullptr;
        if (j != kNoMatch) {
            reference = &comparison.referenceRows[j];
            matched[j] = true;
        }
        ReferenceMatch match = MatchWithReference(rows[i], reference);
        match.row = i;
        match.reference = j;
        comparison.rows.push_back(std::move(match));
    }
    for (std::size_t j = 0; j < matched.size(); ++j) {
        if (!matched[j]) {
            ReferenceMatch match;
            match.state = ReferenceState::Missing;
            match.reference = j;
            comparison.missing.push_back(std::move(match));
        }
    }
    return comparison;
}

std::string FleetCsvWithReference(const std::vector<FleetRow>& rows,
                                  const std::vector<std::size_t>& order,
                                  const ReferenceComparison& comparison, bool withMissing) {
    const auto referenceColumn = [](int column) {
        return column == kFleetDescriptionColumn || IsFieldColumn(column);
    };
    std::string csv;
    for (int column = 0; column < kFleetColumns; ++column) {
        if (column > 0) {
            csv += ',';
        }
        csv += FleetCsvCell(FleetColumnTitle(column), false);
        if (column == kFleetNameColumn) {
            csv += ",reference";
        }
        if (referenceColumn(column)) {
            csv += ',';
            csv += FleetCsvCell(FleetColumnTitle(column) + " (reference)", false);
        }
    }
    csv += "\r\n";
    // One line: the folder's row (or none, for a missing model) and its reference.
    const auto line = [&](const FleetRow* row, const ReferenceMatch& match,
                          const FleetRow* reference) {
        for (int column = 0; column < kFleetColumns; ++column) {
            if (column > 0) {
                csv += ',';
            }
            if (row != nullptr) {
                csv += CsvCell(*row, column);
            } else if (column == kFleetNameColumn) {
                csv += CsvCell(*reference, column);
            }
            if (column == kFleetNameColumn) {
                csv += ',';
                csv += ReferenceStateText(match.state);
            }
            if (referenceColumn(column)) {
                csv += ',';
                if (reference != nullptr && (row == nullptr || Differs(match, column))) {
                    csv += CsvCell(*reference, column);
                }
            }
        }
        csv += "\r\n";
    };
    for (const std::size_t i : order) {
        if (i < comparison.rows.size()) {
            line(&rows[i], comparison.rows[i], comparison.ReferenceOf(i));
        } else {
            line(&rows[i], ReferenceMatch{}, nullptr);
        }
    }
    if (withMissing) {
        for (const ReferenceMatch& match : comparison.missing) {
            line(nullptr, match, &comparison.referenceRows[match.reference]);
        }
    }
    return csv;
}

}  // namespace zrb
