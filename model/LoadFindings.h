#pragma once
// What the editor tells the user about a model it did not read as its text says, and
// what it asks before saving one: lines read differently from their text, keys the file
// lacks (their boxes keep the values of the model shown before), a file that could not
// be read at all, and a description too long to be read back whole.
//
// Every text here is UTF-8; the file's own bytes in it are decoded from Windows-1252.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelCheck.h"
#include "platform/Result.h"

namespace zrb {

struct LoadFindings {
    std::optional<std::string> unreadable;  // why the file could not be read
    std::vector<ModelFinding> misread;      // lines read differently from their text
    std::vector<const ModelKey*> missing;   // keys the file lacks, in ModelKeys() order
    MotionModel loaded;                     // the model as the load left it

    // From the outcome of ReadAndCheckModelFile: only what the reader gets wrong (layout
    // that saving mends and advice are left out).
    static LoadFindings From(const Result& read, const std::vector<ModelFinding>& findings);

    bool empty() const { return !unreadable && misread.empty() && missing.empty(); }
};

// One sentence per finding, in the order of the file: "The file's .mass line says
// 9500.00, but the editor reads 0.", "Line 9: .Mass is not a key ...", and for the missing
// keys "The file lacks .mass and .bumpyFactor: their boxes show the values carried over
// from the model shown before."
std::vector<std::string> FindingSentences(const LoadFindings& findings);

// The warning the window shows while the model is shown: the sentences in one line;
// empty when there is nothing to say.
std::string LoadWarningText(const LoadFindings& findings);

// The sentences for a model read into a fresh record, as the fleet table reads it:
// missing keys read as 0 there. Empty when the file is read as written.
std::string FleetMisreadText(const LoadFindings& findings);

// What is read differently for the box of `key` (nullptr: the description box), as
// sentences; empty when the box shows what the file says.
std::string BoxFindingText(const LoadFindings& findings, const ModelKey* key);

// The longest description that is read back whole; a longer first line is cut there.
inline constexpr std::size_t kLongestDescriptionRead = 1023;

// The question before saving `model` (its description as the box holds it, "//" not yet
// put in front) after a load that found `findings`: the sentences, then "Save anyway?".
// A line or missing key whose field the user has since changed is no longer asked about.
// Empty when there is nothing to ask.
std::string SaveAnywayQuestion(const LoadFindings& findings, const MotionModel& model);

// The message for characters left out of the description because a model file cannot
// hold them (outside Windows-1252), each named with its code point.
std::string CharactersLeftOutMessage(std::u32string_view characters);

// `c` as UTF-8.
std::string Utf8Of(char32_t c);

}  // namespace zrb
