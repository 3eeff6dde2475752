#include "model/Fleet.h"

#include <algorithm>
#include <cmath>

#include "model/Cp1252.h"
#include "model/FieldAdvice.h"
#include "model/InputFile.h"
#include "model/LoadFindings.h"
#include "model/Numbers.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace zrb {

namespace {

bool IsFieldColumn(int column) {
    return column >= kFleetFirstFieldColumn && column < kFleetSpeedColumn;
}

const ModelKey& KeyOf(int column) {
    return ModelKeys()[static_cast<std::size_t>(column - kFleetFirstFieldColumn)];
}

// RFC 4180: quoted when it holds a comma, a quote or a line end; quotes doubled.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

// A text cell that a spreadsheet would take as a formula (or, after a TAB or CR, as
// one once trimmed) gets a leading apostrophe, which spreadsheets show as text.
std::string CsvTextCell(const std::string& text) {
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        return CsvField("'" + text);
    }
    return CsvField(text);
}

}  // namespace

FleetRow ReadFleetRow(const std::string& path, std::string name) {
    FleetRow row;
    row.name = std::move(name);
    const Result read = ReadModelBytes(path, row.bytes);
    row.read = read.ok();
    row.reason = read.message();
    if (row.read) {
        std::vector<ModelFinding> findings;
        ReadAndCheckModelBytes(row.bytes, row.model, row.speedText, findings);
        row.misread = FleetMisreadText(LoadFindings::From(read, findings));
    }
    return row;
}

std::vector<FleetRow> ReadFleet(const std::string& folder, const std::vector<std::string>& names) {
    std::vector<FleetRow> rows;
    rows.reserve(names.size());
    for (const std::string& name : names) {
        rows.push_back(ReadFleetRow(JoinPath(folder, name), name));
    }
    return rows;
}

std::string FleetColumnTitle(int column) {
    if (column == kFleetNameColumn) {
        return "name";
    }
    if (column == kFleetDescriptionColumn) {
        return "description";
    }
    if (IsFieldColumn(column)) {
        return std::string(KeyOf(column).name);
    }
    return column == kFleetSpeedColumn ? "speed" : std::string();
}

std::string FleetCellText(const FleetRow& row, int column) {
    if (column == kFleetNameColumn) {
        return row.name;
    }
    if (!row.read) {
        return {};
    }
    if (column == kFleetDescriptionColumn) {
        return row.model.description;
    }
    if (IsFieldColumn(column)) {
        return FormatBoxNumber(row.model.*KeyOf(column).field);
    }
    return column == kFleetSpeedColumn ? row.speedText : std::string();
}

bool FleetOutsideAdvice(const FleetRow& row, int column) {
    if (!row.read || !IsFieldColumn(column)) {
        return false;
    }
    const FieldAdvice& advice =
        ModelFieldAdvice()[static_cast<std::size_t>(column - kFleetFirstFieldColumn)];
    return !WithinAdvice(advice, row.model.*advice.field);
}

std::string FleetAdviceText(int column) {
    if (!IsFieldColumn(column)) {
        return {};
    }
    const FieldAdvice& advice =
        ModelFieldAdvice()[static_cast<std::size_t>(column - kFleetFirstFieldColumn)];
    return "advised: " + AdvisedRangeText(advice) + " " + std::string(advice.advice);
}

std::vector<std::size_t> SortFleet(const std::vector<FleetRow>& rows, int column, bool ascending) {
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    // The sort key, computed once per row.
    std::vector<double> numbers;
    if (IsFieldColumn(column)) {
        numbers.reserve(rows.size());
        for (const FleetRow& row : rows) {
            numbers.push_back(row.model.*KeyOf(column).field);
        }
    }
    const auto less = [&](std::size_t a, std::size_t b) {
        const FleetRow& x = rows[a];
        const FleetRow& y = rows[b];
        if (x.read != y.read && column != kFleetNameColumn) {
            return x.read;  // unreadable rows last, either way
        }
        int c = 0;
        if (!numbers.empty()) {
            // Not a number sorts after every number.
            const double u = numbers[a];
            const double v = numbers[b];
            c = std::isnan(u) || std::isnan(v) ? (std::isnan(u) - std::isnan(v))
                                               : (u < v ? -1 : (v < u ? 1 : 0));
        } else if (column == kFleetSpeedColumn) {
            const double u = x.speedText.empty() ? -1 : ParseNumber(x.speedText);
            const double v = y.speedText.empty() ? -1 : ParseNumber(y.speedText);
            c = u < v ? -1 : (v < u ? 1 : 0);
        } else {
            c = CompareIgnoringAsciiCase(FleetCellText(x, column), FleetCellText(y, column));
        }
        return ascending ? c < 0 : c > 0;
    };
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

std::string DifferenceText(double difference) {
    std::string text = difference > 0 ? "+" : "";
    text += FormatGeneral15(difference);
    return text;
}

std::vector<ModelDifference> CompareModels(const MotionModel& first, const MotionModel& other) {
    std::vector<ModelDifference> differences;
    if (first.description != other.description) {
        differences.push_back({nullptr, 0.0, 0.0, std::nullopt});
    }
    for (const ModelKey& key : ModelKeys()) {
        const double from = first.*key.field;
        const double to = other.*key.field;
        if (from == to) {
            continue;
        }
        const double exact = to - from;
        if (!std::isfinite(exact)) {
            differences.push_back({&key, from, to, std::nullopt});
            continue;
        }
        // At the decimals the file keeps, so that 3.6 - 7 shows as -3.4, not as the
        // binary remainder -3.4000000000000004.
        const int decimals = std::max(KeptDecimals(key, from), KeptDecimals(key, to));
        double difference = ParseNumber(FormatFixed(exact, decimals));
        if (difference == 0.0) {
            difference = 0.0;  // no "-0"
        }
        differences.push_back({&key, from, to, difference});
    }
    return differences;
}

bool FleetRowMatches(const FleetRow& row, std::string_view filter) {
    const auto contains = [filter](std::string_view text) {
        if (filter.empty()) {
            return true;
        }
        for (std::size_t i = 0; i + filter.size() <= text.size(); ++i) {
            if (EqualsIgnoringAsciiCase(text.substr(i, filter.size()), filter)) {
                return true;
            }
        }
        return false;
    };
    // Filter and names are UTF-8; the description is compared as the window shows it.
    return contains(row.name) || (row.read && contains(Cp1252ToUtf8(row.model.description)));
}

std::string FleetCsvCell(const std::string& text, bool textCell) {
    return textCell ? CsvTextCell(text) : CsvField(text);
}

std::string FleetCsv(const std::vector<FleetRow>& rows, const std::vector<std::size_t>& order) {
    std::string csv;
    for (int column = 0; column < kFleetColumns; ++column) {
        if (column > 0) {
            csv += ',';
        }
        csv += CsvField(FleetColumnTitle(column));
    }
    csv += "\r\n";
    for (const std::size_t i : order) {
        const FleetRow& row = rows[i];
        for (int column = 0; column < kFleetColumns; ++column) {
            std::string text = FleetCellText(row, column);
            if (column == kFleetDescriptionColumn) {
                text = row.read ? Cp1252ToUtf8(text) : row.reason;
            }
            if (column > 0) {
                csv += ',';
            }
            const bool textColumn = column == kFleetNameColumn || column == kFleetDescriptionColumn;
            csv += textColumn ? CsvTextCell(text) : CsvField(text);
        }
        csv += "\r\n";
    }
    return csv;
}

}  // namespace zrb
