#pragma once
// Every model of a folder as one table: a row per entry of the model list, the name, the
// description, the eleven fields and the approximate speed. Sorting, filtering, the
// advice marks and the CSV export work on it; the overview window and `zrb table` show
// it.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelFile.h"

namespace zrb {

struct FleetRow {
    std::string name;    // the list's entry, a bare file name
    bool read = false;   // false: not a readable model file, `reason` says why
    std::string reason;  // the reader's message
    MotionModel model;
    std::string speedText;
    // What the reader gets other than the file's text says, in sentences (UTF-8); empty
    // when it reads the file as written.
    std::string misread;
    // The file's bytes as read (empty when it could not be read): a change compares them
    // with the file on disk to tell whether it was changed outside since.
    std::string bytes;
};

// The columns: 0 the name, 1 the description, 2 to 12 the fields in ModelKeys() order,
// 13 the approximate speed.
inline constexpr int kFleetNameColumn = 0;
inline constexpr int kFleetDescriptionColumn = 1;
inline constexpr int kFleetFirstFieldColumn = 2;
inline constexpr int kFleetSpeedColumn = 13;
inline constexpr int kFleetColumns = 14;

// Reads `path` as the editor reads it into a fresh model; the row is named `name`.
FleetRow ReadFleetRow(const std::string& path, std::string name);

// Reads the entries `names` of `folder`, in their order.
std::vector<FleetRow> ReadFleet(const std::string& folder, const std::vector<std::string>& names);

// The column's title: "name", "description", the field's name, "speed".
std::string FleetColumnTitle(int column);

// What a cell shows: numbers in the window's 15-digit format, the description's bytes
// as they are, nothing for a row that could not be read (but its name).
std::string FleetCellText(const FleetRow& row, int column);

// Whether a field's value lies outside the advice the window gives for it (false for the
// other columns and for rows that could not be read).
bool FleetOutsideAdvice(const FleetRow& row, int column);

// The advice of a field column in words ("advised: 0 to 1 (0=slow - 1=fast)"), empty for
// the other columns.
std::string FleetAdviceText(int column);

// The rows' order by `column`: numbers by value, texts without regard to ASCII case,
// rows that could not be read last; ties keep the list's order. Descending reverses the
// values, not the ties.
std::vector<std::size_t> SortFleet(const std::vector<FleetRow>& rows, int column, bool ascending);

// One way in which a model differs from the first of a comparison.
struct ModelDifference {
    const ModelKey* key;  // nullptr: the description
    double from = 0.0;
    double to = 0.0;
    // to - from rounded to the decimals the file keeps for the field (KeptDecimals of
    // either value, the more), when that is a finite number
    std::optional<double> difference;
};

// The description first, then the fields in ModelKeys() order, each where `other`
// differs from `first`: what `zrb diff` lists, and what Compare highlights.
std::vector<ModelDifference> CompareModels(const MotionModel& first, const MotionModel& other);

// A difference as `zrb diff` and Compare show it: "+12", "-0.5".
std::string DifferenceText(double difference);

// Whether `filter` (UTF-8) occurs in the row's name or in its description decoded from
// Windows-1252, ASCII case folded.
bool FleetRowMatches(const FleetRow& row, std::string_view filter);

// The rows in `order` as CSV: UTF-8, one header row, numbers with a full stop,
// descriptions decoded from Windows-1252, fields quoted where they need it; a row that
// could not be read carries its reason in the description column. A name or description
// that begins with "=", "+", "-", "@", TAB or CR gets a leading "'" so that spreadsheets
// do not run it as a formula; numbers never do.
std::string FleetCsv(const std::vector<FleetRow>& rows, const std::vector<std::size_t>& order);

// One cell of FleetCsv: quoted where it needs it; a text cell (a name, a description)
// also kept from being taken as a formula.
std::string FleetCsvCell(const std::string& text, bool textCell);

// Told between files during long work (done of total files); returning false stops the
// work there. Called on the thread doing the work.
using FleetProgress = std::function<bool(std::size_t done, std::size_t total)>;

}  // namespace zrb
