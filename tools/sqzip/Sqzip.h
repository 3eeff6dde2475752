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

// The first argument that makes sqzip serve a script's runner ("sqzip --serve-runner"):
// one process then runs the runner's calls one after another, each as a process of its
// own would, and spares the start of a process for each model.
inline constexpr const char* kServeOption = "--serve-runner";
// Its first line out, which tells the runner that this sqzip serves.
inline constexpr const char* kServeGreeting = "sqzip serves 1";

// Serves calls from `in` until it ends, after writing kServeGreeting and LF to `out`. A
// call is its argument count, then each argument as its byte count and its bytes, each
// count in decimal and ending in LF. The answer to a call, written when it has run: its
// exit status, a blank, the byte count of what it wrote (its output and error in one),
// LF, those bytes. Returns 0 when `in` ended between calls, 2 when a call was cut short
// or malformed.
int SqzipServe(std::istream& in, std::ostream& out);

}  // namespace zrb
