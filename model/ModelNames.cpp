#include "model/ModelNames.h"

#include <algorithm>
#include <iterator>

#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {

namespace {

bool EndsWithZrb(std::string_view name) {
    return name.size() >= 4 && ModelNameEqualsIgnoringCase(name.substr(name.size() - 4), ".zrb");
}

}  // namespace
bool ModelNameLess(std::string_view a, std::string_view b) {
    const int c = CompareIgnoringAsciiCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

bool ModelNameEqualsIgnoringCase(std::string_view a, std::string_view b) {
    return CompareIgnoringAsciiCase(a, b) == 0;
}

Result ListModelFolder(const std::string& folder, std::vector<std::string>& names) {
    std::vector<std::string> all;
    if (Result listed = ListFolder(folder, all); !listed) {
        return listed;
    }
    std::erase_if(all, [](const std::string& name) { return !EndsWithZrb(name); });
    names = std::move(all);
    return Result::Success();
}

std::vector<std::string> SearchModelFolder(const std::string& folder) {
    std::vector<std::string> names;
    // The window shows a folder it cannot search as an empty list.
    [[maybe_unused]] const Result ignored = ListModelFolder(folder, names);
    return names;
}

void SortByModelName(std::vector<std::string>& names) {
    // Sorted by lowered copies, all in one buffer, so that each of the n log n
    // comparisons is a memcmp rather than folding case byte by byte again.
    std::size_t total = 0;
    for (const std::string& name : names) {
        total += name.size();
    }
    std::string lowered;
    lowered.reserve(total);  // never grows below, so the views stay valid
    struct Key {
        std::string_view lowered;
        std::size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t start = lowered.size();
        for (const char c : names[i]) {
            lowered += AsciiLower(c);
        }
        keys.push_back({std::string_view(lowered).substr(start), i});
    }
    // The same order as ModelNameLess: lowered bytes first, then the bytes as they are.
    std::sort(keys.begin(), keys.end(), [&names](const Key& a, const Key& b) {
        const int c = a.lowered.compare(b.lowered);
        return c != 0 ? c < 0 : names[a.index] < names[b.index];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const Key& key : keys) {
        sorted.push_back(std::move(names[key.index]));
    }
    names = std::move(sorted);
}

std::size_t SortedNameList::Add(std::string name) {
    const auto at = std::upper_bound(
        names_.begin(), names_.end(), name,
        [](const std::string& a, const std::string& b) { return ModelNameLess(a, b); });
    return static_cast<std::size_t>(names_.insert(at, std::move(name)) - names_.begin());
}

void SortedNameList::AddMany(std::vector<std::string> names) {
    auto less = [](const std::string& a, const std::string& b) { return ModelNameLess(a, b); };
    SortByModelName(names);
    if (names_.empty()) {
        names_ = std::move(names);
        return;
    }
    const auto middle = static_cast<std::ptrdiff_t>(names_.size());
    names_.insert(names_.end(), std::make_move_iterator(names.begin()),
                  std::make_move_iterator(names.end()));
    std::inplace_merge(names_.begin(), names_.begin() + middle, names_.end(), less);
}

std::optional<std::size_t> SortedNameList::FindExact(std::string_view name) const {
    // Entries equal without regard to case stand together. The one equal byte for byte
    // wins, so that B.zrb is not taken for a just saved b.zrb; failing that, the first.
    const auto first = std::lower_bound(names_.begin(), names_.end(), name,
                                        [](const std::string& a, std::string_view b) {
                                            return CompareIgnoringAsciiCase(a, b) < 0;
                                        });
    auto end = first;
    while (end != names_.end() && ModelNameEqualsIgnoringCase(*end, name)) {
        if (*end == name) {
            return static_cast<std::size_t>(end - names_.begin());
        }
        ++end;
    }
    if (first != end) {
        return static_cast<std::size_t>(first - names_.begin());
    }
    return std::nullopt;
}

}  // namespace zrb
