#pragma once
// The zrb commands and what they share. Internal to the zrb tool.

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/ModelCheck.h"
#include "model/ModelFile.h"

namespace zrb::cli {

// The arguments of one command, options separated from the rest.
struct CommandLine {
    std::string command;
    std::vector<std::string> options;   // "--json"
    std::vector<std::string> operands;  // files, folders, NAME=VALUE
    // Options that take a value ("--from", "MODEL.zrb"), in the order given.
    std::vector<std::pair<std::string, std::string>> values;
    bool HasOption(std::string_view option) const;
    // The value of `option`, or nullptr when it was not given.
    const std::string* Value(std::string_view option) const;
};

// Reports a wrong use of `command` with `message` and the command's usage line;
// returns the exit status for it (2).
int UsageError(std::ostream& err, std::string_view command, const std::string& message);

// Files and folders to model files: a folder stands for its "*.zrb" names in the order
// of the editor's model list. Where the system leaves wildcards to the program (Windows),
// an operand with "*" or "?" in its last part stands for what it matches, in the same
// order. A folder that cannot be listed and a pattern that matches nothing are reported
// to `err`; returns false then (the other operands are still expanded). When
// `folderEntries` is given, entries of a listed folder that are folders themselves (a
// folder named "x.zrb") go there instead of into `paths`.
bool ExpandModelPaths(const std::vector<std::string>& operands, std::vector<std::string>& paths,
                      std::ostream& err, std::vector<std::string>* folderEntries = nullptr);

// Reports the folder entries that ExpandModelPaths left out, one line each.
void ReportFolderEntries(const std::vector<std::string>& folderEntries, std::ostream& err);

// UTF-8 text for a terminal: control characters (C0, DEL, C1) written as "\x1b", so
// that no text from a file or a name can move the cursor or recolour the terminal. A
// byte that is not part of UTF-8 is taken as Windows-1252, so the result is all UTF-8.
std::string Shown(std::string_view text);

// A description (Windows-1252 bytes) as the editor shows it, in UTF-8, through Shown.
std::string ShownDescription(std::string_view description);

// The width of UTF-8 text in a terminal's columns, taken as one per character.
std::size_t ShownWidth(std::string_view text);

// One finding as "FILE:LINE: message" ("FILE: message" for the file as a whole), with
// "warning: " in front of advice.
std::string FormatFinding(const std::string& path, const ModelFinding& finding);

// Reads `path` into a fresh model as the editor reads it. Fails, with a message, when
// the file cannot be read.
Result ReadFreshModel(const std::string& path, MotionModel& model, std::string& speedText);

int RunShow(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunCheck(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunSet(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunDiff(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunTable(const CommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace zrb::cli
