#pragma once
// A folder of models against a reference folder (a copy of the game's own models, say):
// for every model of the folder the model of the same name there, as the model list's
// exact-match search finds names (without regard to ASCII case), and whether the two
// read alike; then the reference's models the folder lacks. Models are compared as the
// reader reads them: two files that differ only in layout or comments are identical.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/Fleet.h"
#include "platform/Result.h"

namespace zrb {

enum class ReferenceState {
    Identical,   // the reference's model of that name reads alike
    Differs,     // some values differ (ReferenceMatch::differences)
    New,         // the reference has no model of that name
    Missing,     // a model of the reference the folder lacks
    Unreadable,  // either file could not be read: nothing to compare
};

// "identical", "differs", "new", "missing", "unreadable".
std::string_view ReferenceStateText(ReferenceState state);

inline constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);

// For each of `names` (the folder's entries), the index of the entry of `reference` with
// the same name, or kNoMatch: the one of the very same bytes when there is one, else
// the first in `reference`'s order that equals it without regard to ASCII case. No
// entry of `reference` is matched twice.
std::vector<std::size_t> MatchModelNames(const std::vector<std::string>& names,
                                         const std::vector<std::string>& reference);

// One row of the folder, or one missing model, against the reference.
struct ReferenceMatch {
    ReferenceState state = ReferenceState::New;
    std::size_t row = kNoMatch;        // index into the folder's rows; kNoMatch for Missing
    std::size_t reference = kNoMatch;  // index into the reference's rows; kNoMatch for New
    // Differs: each value where the folder's model differs from the reference's, `from`
    // the reference's value and `to` the folder's (CompareModels(reference, folder)).
    std::vector<ModelDifference> differences;
};

// One folder row against its reference row (nullptr: none there).
ReferenceMatch MatchWithReference(const FleetRow& row, const FleetRow* reference);

struct ReferenceComparison {
    std::string referenceFolder;
    std::vector<FleetRow> referenceRows;  // every model of the reference, in list order
    std::vector<ReferenceMatch> rows;     // one per folder row, in the folder rows' order
    std::vector<ReferenceMatch> missing;  // the reference's models the folder lacks
    bool cancelled = false;               // stopped before the reference was read whole

    // Whether anything differs: a row not Identical, or a missing model.
    bool AnyDifference() const;
    // The reference's row matched to folder row `row`, or nullptr.
    const FleetRow* ReferenceOf(std::size_t row) const;
    // Whether the cell `column` of folder row `row` differs from the reference's.
    bool CellDiffers(std::size_t row, int column) const;
    // The reference's text of that cell as the table shows it (FleetCellText), empty when
    // the row has no reference.
    std::string ReferenceCellText(std::size_t row, int column) const;
};

// Lists and reads `referenceFolder` (progress per file read) and matches it with
// `rows`, the folder's rows. Fails, naming the folder, when it cannot be listed.
Result CompareWithReference(const std::vector<FleetRow>& rows, const std::string& referenceFolder,
                            ReferenceComparison& comparison, const FleetProgress& progress = {});

// The matching alone, on a reference read already.
ReferenceComparison MatchReference(const std::vector<FleetRow>& rows, std::string referenceFolder,
                                   std::vector<FleetRow> referenceRows);

// FleetCsv with the reference: a column "reference" with the row's state after the
// name, and after each of the description and the eleven fields a column "<title>
// (reference)" holding the reference's value where it differs (empty where not); the
// missing models follow the rows in `order`, with their reference values when
// `withMissing`.
std::string FleetCsvWithReference(const std::vector<FleetRow>& rows,
                                  const std::vector<std::size_t>& order,
                                  const ReferenceComparison& comparison, bool withMissing);

}  // namespace zrb
