#include "model/FleetReference.h"

namespace zrb {

// Not yet implemented: every function refuses or finds nothing.

std::string_view ReferenceStateText(ReferenceState) {
    return {};
}

std::vector<std::size_t> MatchModelNames(const std::vector<std::string>& names,
                                         const std::vector<std::string>&) {
    return std::vector<std::size_t>(names.size(), kNoMatch);
}

ReferenceMatch MatchWithReference(const FleetRow&, const FleetRow*) {
    return {};
}

bool ReferenceComparison::AnyDifference() const {
    return false;
}

const FleetRow* ReferenceComparison::ReferenceOf(std::size_t) const {
    return nullptr;
}

bool ReferenceComparison::CellDiffers(std::size_t, int) const {
    return false;
}

std::string ReferenceComparison::ReferenceCellText(std::size_t, int) const {
    return {};
}

Result CompareWithReference(const std::vector<FleetRow>&, const std::string& referenceFolder,
                            ReferenceComparison& comparison, const FleetProgress&) {
    comparison.referenceFolder = referenceFolder;
    return Result::Failure("Comparing with a reference folder is not implemented yet.");
}

ReferenceComparison MatchReference(const std::vector<FleetRow>&, std::string referenceFolder,
                                   std::vector<FleetRow> referenceRows) {
    ReferenceComparison comparison;
    comparison.referenceFolder = std::move(referenceFolder);
    comparison.referenceRows = std::move(referenceRows);
    return comparison;
}

std::string FleetCsvWithReference(const std::vector<FleetRow>&, const std::vector<std::size_t>&,
                                  const ReferenceComparison&, bool) {
    return {};
}

}  // namespace zrb
