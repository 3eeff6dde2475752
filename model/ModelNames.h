#pragma once
// Model file names: the order of the model list, the list itself, the folder search.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace zrb {

// The order of the model list: without regard to (ASCII) case, names that differ only
// in case ordered by their bytes so that the order is stable.
bool ModelNameLess(std::string_view a, std::string_view b);

// Sorts `names` into ModelNameLess order, faster than std::sort with ModelNameLess.
void SortByModelName(std::vector<std::string>& names);

// Equality as the list's exact-match search sees it: without regard to (ASCII) case.
bool ModelNameEqualsIgnoringCase(std::string_view a, std::string_view b);

// The names in `folder` that match "*.zrb" without regard to case, directories
// included, in no particular order. Fails with the system's reason.
Result ListModelFolder(const std::string& folder, std::vector<std::string>& names);

// The same, for the window: a folder that cannot be searched gives none.
std::vector<std::string> SearchModelFolder(const std::string& folder);

// A list of names kept in ModelNameLess order. Adding many names costs one sort.
class SortedNameList {
  public:
    void Clear() { names_.clear(); }
    // Inserts one name at its sorted place; returns its index.
    std::size_t Add(std::string name);
    // Adds many names with one sort and merge.
    void AddMany(std::vector<std::string> names);
    std::optional<std::size_t> FindExact(std::string_view name) const;
    std::size_t size() const { return names_.size(); }
    const std::string& operator[](std::size_t i) const { return names_[i]; }
    const std::vector<std::string>& names() const { return names_; }

  private:
    std::vector<std::string> names_;
};

}  // namespace zrb
