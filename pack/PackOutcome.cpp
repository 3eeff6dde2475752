#include "pack/PackOutcome.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace zrb {
namespace {

// A message box stays readable: so many names of one group, then a count.
constexpr std::size_t kNamesShown = 5;
constexpr std::size_t kGroupsShown = 6;

std::string Unescape(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        switch (field[++i]) {
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case 'n':
                text += '\n';
                break;
            default:
                text += field[i];
                break;
        }
    }
    return text;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

// The archiver's words on one line, without the blank lines and line ends around them.
std::string OneLine(std::string_view words) {
    std::string line;
    bool gap = false;
    for (const char c : words) {
        if (c == '\r' || c == '\n' || c == '\t' || c == ' ') {
            gap = !line.empty();
            continue;
        }
        if (gap) {
            line += ' ';
            gap = false;
        }
        line += c;
    }
    return line;
}

// The model an archiver call was about: the word before the archive, as the script
// writes it (".\SQZIP -a -f NAME .\ARCHIVE").
std::string ModelOf(const ArchiverCall& call) {
    return call.command.size() >= 3 ? call.command[call.command.size() - 2] : std::string();
}

std::string Count(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
        list += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kNamesShown) {
        list += " and " + std::to_string(names.size() - kNamesShown) + " more";
    }
    return list;
}

std::string ArchiverNote(const PackFacts& facts) {
    return facts.archiver.empty() ? std::string() : "\n\nArchiver: " + facts.archiver + ".";
}

}  // namespace

PackReport ParsePackReport(std::string_view text) {
    PackReport report;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos;
         start = end + 1, end = text.find('\n', start)) {
        const std::vector<std::string_view> fields = SplitTabs(text.substr(start, end - start));
        if (fields[0] == "start") {
            report.started = true;
        } else if (fields[0] == "end") {
            report.ended = true;
        } else if (fields[0] == "call" && fields.size() >= 3) {
            ArchiverCall call;
            const auto [at, error] =
                std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), call.status);
            if (error != std::errc() || at != fields[1].data() + fields[1].size()) {
                continue;
            }
            call.words = Unescape(fields[2]);
            for (std::size_t i = 3; i < fields.size(); ++i) {
                call.command.push_back(Unescape(fields[i]));
            }
            report.calls.push_back(std::move(call));
        }
    }
    return report;
}

PackOutcome OutcomeFromReport(const PackReport& report, const PackFacts& facts) {
    // Each model's last call decides: a model named twice counts once.
    std::map<std::string, const ArchiverCall*> lastCall;
    for (const ArchiverCall& call : report.calls) {
        lastCall[ModelOf(call)] = &call;
    }
    std::size_t packed = 0;
    // Failed models grouped by what was said about them, in the script's order.
    std::vector<std::pair<std::string, std::vector<std::string>>> groups;
    const auto addFailure = [&groups](const std::string& why, const std::string& model) {
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&why](const auto& g) { return g.first == why; });
        if (group == groups.end()) {
            groups.push_back({why, {}});
            group = groups.end() - 1;
        }
        group->second.push_back(model);
    };
    for (const std::string& model : facts.models) {
        const auto found = lastCall.find(model);
        if (found == lastCall.end()) {
            addFailure(report.ended ? "the script did not run the archiver for it"
                                    : "the script stopped before it got to it",
                       model);
            continue;
        }
        const ArchiverCall& call = *found->second;
        if (call.status == 0) {
            ++packed;
            continue;
        }
        std::string why = OneLine(call.words);
        if (why.empty()) {
            why = call.status < 0 ? "the archiver was not started"
                                  : "the archiver failed (exit status " +
                                        std::to_string(call.status) + ") and said nothing";
        }
        addFailure(why, model);
    }

    PackOutcome outcome;
    const std::size_t total = facts.models.size();
    outcome.allPacked = groups.empty() && report.ended;
    if (outcome.allPacked) {
        outcome.message = "Packed " +
                          (total == 1 ? facts.models.front() : Count(total, "model", "models")) +
                          " into " + facts.archiveFile + "." + ArchiverNote(facts);
        return outcome;
    }
    std::string& text = outcome.message;
    if (!report.ended) {
        text = "The pack script for " + facts.archiveFile + " stopped before its end. ";
    }
    text += packed == 0 ? "No model was packed into " + facts.archiveFile + "."
                        : "Packed " + std::to_string(packed) + " of " +
                              Count(total, "model", "models") + " into " + facts.archiveFile + ".";
    if (!groups.empty()) {
        text += groups.size() == 1 && groups.front().second.size() == total && total > 1
                    ? " For every model:"
                    : (packed == 0 && total == 1 ? "" : " Not packed:");
    }
    for (std::size_t g = 0; g < groups.size() && g < kGroupsShown; ++g) {
        const auto& [why, models] = groups[g];
        const bool every = groups.size() == 1 && models.size() == total && total > 1;
        text += "\n\n" + (every ? std::string() : NameList(models) + ": ") + why;
    }
    if (groups.size() > kGroupsShown) {
        std::size_t more = 0;
        for (std::size_t g = kGroupsShown; g < groups.size(); ++g) {
            more += groups[g].second.size();
        }
        text += "\n\n" + Count(more, "more model", "more models") + " for other reasons.";
    }
    text += report.ended ? "\n\nThe script removed their copies from " + facts.archiveFolder +
                               "; the models themselves are unchanged."
                         : "\n\nCopies of models it did not get to are still in " +
                               facts.archiveFolder + "; the models themselves are unchanged.";
    text += ArchiverNote(facts);
    return outcome;
}

PackOutcome OutcomeFromArchive(const ArchiveSeen& seen, const PackFacts& facts) {
    PackOutcome outcome;
    std::string& text = outcome.message;
    text = "The pack script for " + facts.archiveFile + " has ended. ";
    const bool changed =
        seen.existsAfter && (!seen.existedBefore || seen.sizeAfter != seen.sizeBefore ||
                             seen.timeAfter != seen.timeBefore);
    if (!seen.existsAfter) {
        text += "The archive does not exist: no model was packed.";
    } else if (!changed) {
        text += "The archive was not changed: no model was packed.";
    } else if (seen.copiesLeft.empty()) {
        text +=
            "The archive was changed and no model copies were left behind; whether the "
            "archiver took every model, only its words in the script's window can tell.";
    } else {
        text += "The archive was changed.";
    }
    if (!seen.copiesLeft.empty()) {
        text += "\n\nThese model copies were left in " + facts.archiveFolder +
                ", so they were not packed: " + NameList(seen.copiesLeft) + ".";
    }
    if (!changed || !seen.copiesLeft.empty()) {
        text += "\n\nThe archiver's words were in the script's window.";
    }
    text += ArchiverNote(facts);
    return outcome;
}

std::string PackProgressText(std::size_t done, std::size_t total, std::string_view archiveFile) {
    if (total == 0) {
        return "Packing into " + std::string(archiveFile);
    }
    return "Packing: " + std::to_string(done) + " of " + Count(total, "model", "models") +
           " into " + std::string(archiveFile);
}

std::string StillRunningMessage(std::string_view archiveFolder) {
    return "A pack into \"" + std::string(archiveFolder.empty() ? "/" : archiveFolder) +
           "\" is still running. Wait until it has ended, then pack again.";
}

}  // namespace zrb
