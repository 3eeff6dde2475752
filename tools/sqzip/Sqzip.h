#pragma once
// The archiver that the pack script runs: adds files to a .sqs archive (a ZIP container)
// and lists what an archive holds.

#include <iosfwd>
#include <string>
#include <vector>

namespace zrb {

// Runs one sqzip command; `args` are the arguments after the program name.
//   -a [-f] FILE ARCHIVE   adds FILE under its bare name, replacing an entry of that name;
//                          -f creates ARCHIVE when it does not exist yet.
//   -l ARCHIVE             writes the entry names to `out`, one a line.
// Option letters may be upper case. After -a or -l, the first word that is not one of
// these options starts the operands, so FILE may begin with "-" ("-x.zrb"). An ARCHIVE
// that is a symbolic link is updated where it points; the link stays. Backslashes in FILE and
// ARCHIVE separate folders, so
// ".\vehicles.sqs" from a script written for Windows means ./vehicles.sqs.
// Returns 0 on success; 1 when the command failed, with a message on `err` naming the file
// and the reason, and the archive exactly as it was before; 2 for bad usage, with the
// usage text on `err`.
int SqzipMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zrb
