// Any archive name and list of model names: the pack plan either refuses them or gives
// a script in which no line can do anything but ECHO, ATTRIB, DEL and run the archiver.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "pack/PackPlan.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The command interpreter acts on these outside double quotes; %, ! and control
// characters it acts on everywhere.
void RequireInert(std::string_view line) {
    bool quoted = false;
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        Require(u >= 0x20 && c != '%' && c != '!' && u != 0x7F);
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted) {
            Require(std::string_view("&|<>^").find(c) == std::string_view::npos);
        }
    }
    Require(!quoted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // First byte: which command; then NUL-separated archive name and model names.
    const zrb::PackKind kind = (data[0] & 1) ? zrb::PackKind::All : zrb::PackKind::Selected;
    std::vector<std::string> parts(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(data[i]);
        }
    }
    zrb::ModelWorkspace workspace;
    workspace.modelsFolder = "/models";
    workspace.startFolder = "/editor";
    workspace.archiveFolder = "/archive";
    workspace.archiveFile = parts[0];
    const std::vector<std::string> names(parts.begin() + 1, parts.end());
    if (kind == zrb::PackKind::Selected) {
        workspace.currentFile = names.empty() ? "" : names[0];
    }

    zrb::PackPlan plan;
    if (!zrb::MakePackPlan(workspace, kind, names, plan)) {
        Require(plan.script.empty());
        return 0;
    }
    const std::size_t models = kind == zrb::PackKind::All ? names.size() : 1;
    std::vector<std::string_view> lines;
    std::string_view rest = plan.script;
    for (std::size_t end; (end = rest.find("\r\n")) != std::string_view::npos;) {
        lines.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 2);
    }
    lines.push_back(rest);
    Require(lines.back() == "ECHO Installation Completed! You can close this window");
    Require(lines.size() == 4 + 3 * models);
    // The last line is the fixed closing note (with its "!"), checked above.
    lines.pop_back();
    for (const std::string_view line : lines) {
        Require(line.find('\n') == std::string_view::npos);
        Require(line.find('\r') == std::string_view::npos);
        Require(line == "@ECHO OFF" || StartsWith(line, "ATTRIB -R ") ||
                StartsWith(line, "ECHO ") || StartsWith(line, ".\\SQZIP -a -f ") ||
                StartsWith(line, "DEL "));
        RequireInert(line);
    }
    for (std::size_t i = 0; i < models; ++i) {
        const std::string& name = kind == zrb::PackKind::All ? names[i] : workspace.currentFile;
        Require(lines[2 + 3 * i + 2] == "DEL " + zrb::ScriptWord(name));
    }
    return 0;
}
