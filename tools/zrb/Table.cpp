#include <algorithm>

#include "model/Fleet.h"
#include "tools/zrb/Commands.h"

namespace zrb::cli {

int RunTable(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.operands.empty()) {
        return UsageError(err, line.command, "no file given");
    }
    std::vector<std::string> paths;
    bool unreadable = !ExpandModelPaths(line.operands, paths, err);
    std::vector<FleetRow> rows;
    rows.reserve(paths.size());
    for (const std::string& path : paths) {
        rows.push_back(ReadFleetRow(path, path));
        unreadable = unreadable || !rows.back().read;
    }
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    if (line.HasOption("--csv")) {
        out << FleetCsv(rows, order);
        return unreadable ? 2 : 0;
    }

    // Each cell with its mark; the widths from the widest cell of each column.
    std::vector<std::vector<std::string>> cells;
    cells.emplace_back();
    for (int column = 0; column < kFleetColumns; ++column) {
        cells.back().push_back(FleetColumnTitle(column));
    }
    for (const FleetRow& row : rows) {
        cells.emplace_back();
        for (int column = 0; column < kFleetColumns; ++column) {
            std::string text =
                column == kFleetDescriptionColumn
                    ? (row.read ? ShownDescription(row.model.description) : Shown(row.reason))
                    : Shown(FleetCellText(row, column));
            cells.back().push_back(FleetOutsideAdvice(row, column) ? text + "!" : text);
        }
    }
    std::vector<std::size_t> widths(kFleetColumns, 0);
    for (const auto& cellRow : cells) {
        for (std::size_t column = 0; column < cellRow.size(); ++column) {
            widths[column] = std::max(widths[column], ShownWidth(cellRow[column]));
        }
    }
    for (const auto& cellRow : cells) {
        std::string text;
        for (std::size_t column = 0; column < cellRow.size(); ++column) {
            const std::string& cell = cellRow[column];
            const bool number = column >= kFleetFirstFieldColumn;
            const std::string pad(widths[column] - ShownWidth(cell), ' ');
            if (column > 0) {
                text += "  ";
            }
            text += number ? pad + cell : cell + pad;
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        out << text << '\n';
    }
    return unreadable ? 2 : 0;
}

}  // namespace zrb::cli
