#pragma once
// The zrb commands and what they share. Internal to the zrb tool.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelCheck.h"
#include "model/ModelFile.h"

namespace zrb::cli {

// The arguments of one command, options separated from the rest.
struct CommandLine {
    std::string command;
    std::vector<std::string> options;   // "--json"
    std::vector<std::string> operands;  // files, folders, NAME=VALUE
    bool HasOption(std::string_view option) const;
};

// Reports a wrong use of `command` with `message` and the command's usage line;
// returns the exit status for it (2).
int UsageError(std::ostream& err, std::string_view command, const std::string& message);

// Files and folders to model files: a folder stands for its "*.zrb" names in the order
// of the editor's model list. A folder that cannot be listed is reported to `err`;
// returns false then (the other operands are still expanded).
bool ExpandModelPaths(const std::vector<std::string>& operands, std::vector<std::string>& paths,
                      std::ostream& err);

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
