#include "tools/zrb-batch/BatchRunner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>

#include "ToolsTestSupport.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "tools/zrb-batch/SystemProgramRunner.h"

namespace zrb {
namespace {

namespace fs = std::filesystem;
using testing::FolderEntries;
using testing::ReadFile;
using testing::ReadZipEntries;
using testing::TempDir;
using testing::WriteFile;
using testing::ZipEntries;

using Names = std::vector<std::string>;

struct Call {
    std::string program{};
    std::vector<std::string> args{};
    std::string workingDir{};
    bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Call& call) {
    os << call.program;
    for (const auto& arg : call.args) {
        os << " [" << arg << "]";
    }
    return os << " in " << call.workingDir;
}

// Records the programs the script would start.
class RecordingRunner : public ProgramRunner {
  public:
    Result Run(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingDir) const override {
        calls.push_back({program, args, workingDir});
        return failure.empty() ? Result::Success() : Result::Failure(failure);
    }
    std::string FindOnPath(const std::string& name) const override {
        return name == "wine" ? winePath : "";
    }
    std::optional<std::string> Setting(const std::string& name) const override {
        return name == "ZRB_WINE" ? zrbWine : std::nullopt;
    }

    mutable std::vector<Call> calls;
    std::string winePath;
    std::string failure;
    std::optional<std::string> zrbWine;
};

// Expected texts name the working folder as {dir}.
std::string WithDir(std::string text, const std::string& dir) {
    for (size_t at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}", at)) {
        text.replace(at, 5, dir);
        at += dir.size();
    }
    return text;
}

struct FileSpec {
    std::string name;
    std::string content;
    bool readOnly = false;
};

struct BatchCase {
    const char* label{};
    std::vector<FileSpec> files{};  // a name ending in "/" is a folder
    std::string script{};
    std::string out{};
    std::string err{};
    std::optional<std::vector<std::string>> filesAfter{};  // folder entries after the run
    std::vector<std::string> writableAfter{};
    std::vector<std::string> readOnlyAfter{};
    std::vector<Call> calls{};  // program and working folder relative to {dir}
    std::string winePath{};
    std::string runFailure{};
    std::optional<std::string> zrbWine{};
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BatchCase& c, std::ostream* os) {
    *os << c.label;
}

bool OwnerCanWrite(const std::string& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

class BatchCaseTest : public ::testing::TestWithParam<BatchCase> {};

TEST_P(BatchCaseTest, RunsScript) {
    const BatchCase& c = GetParam();
    TempDir dir;
    for (const FileSpec& file : c.files) {
        if (file.name.back() == '/') {
            fs::create_directories(dir / file.name);
            continue;
        }
        WriteFile(dir / file.name, file.content);
        if (file.readOnly) {
            fs::permissions(dir / file.name, fs::perms::owner_read | fs::perms::group_read);
        }
    }
    RecordingRunner runner;
    runner.winePath = c.winePath;
    runner.failure = c.runFailure;
    runner.zrbWine = c.zrbWine;

    std::istringstream script(c.script);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunBatch(script, dir.path(), out, err, runner), 0);

    EXPECT_EQ(out.str(), WithDir(c.out, dir.path()));
    EXPECT_EQ(err.str(), WithDir(c.err, dir.path()));
    if (c.filesAfter) {
        EXPECT_EQ(FolderEntries(dir.path()), *c.filesAfter);
    }
    for (const std::string& name : c.writableAfter) {
        EXPECT_TRUE(OwnerCanWrite(dir / name)) << name;
    }
    for (const std::string& name : c.readOnlyAfter) {
        EXPECT_FALSE(OwnerCanWrite(dir / name)) << name;
    }
    std::vector<Call> expected = c.calls;
    for (Call& call : expected) {
        call.program = WithDir(call.program, dir.path());
        for (std::string& arg : call.args) {
            arg = WithDir(arg, dir.path());
        }
        call.workingDir = dir.path();
    }
    EXPECT_EQ(runner.calls, expected);
}

const char kNotRecognized[] =
    "' is not recognized as an internal or external command,\noperable program or batch file.\n";

const BatchCase kOutputCases[] = {
    {.label = "PackScriptEchoLines",
     .script = "@ECHO OFF\r\nECHO Installing a.zrb...\r\n"
               "ECHO -------------------------------------------------\r\n"
               "ECHO Installation Completed! You can close this window",
     .out = "Installing a.zrb...\n-------------------------------------------------\n"
            "Installation Completed! You can close this window\n"},
    {.label = "EchoOnShowsPromptAndLine",
     .script = "ECHO hi\nECHO OFF\nECHO there\n",
     .out = "{dir}>ECHO hi\nhi\n{dir}>ECHO OFF\nthere\n"},
    {.label = "AtHidesOnlyItsLine",
     .script = "@ECHO a\nECHO b\n  @ @echo off\necho c",
     .out = "a\n{dir}>ECHO b\nb\nc\n"},
    {.label = "EchoStatusDotAndSpaces",
     .script = "@echo off\r\necho\r\necho.\r\necho   \r\necho on\r\n@echo\r\n@ECHO  two  spaces ",
     .out = "ECHO is off.\n\nECHO is off.\nECHO is on.\n two  spaces \n"},
    {.label = "KeywordsIgnoreCase",
     .script = "@eChO oFf\nEcHo Mixed Case\nerase\n",
     .out = "Mixed Case\n",
     .err = "The syntax of the command is incorrect.\n"},
    {.label = "EchoPrintsQuotesAndSpecialCharactersAsWritten",
     .script = "@ECHO OFF\nECHO \"quoted\" & <b> | 100%\n",
     .out = "\"quoted\" & <b> | 100%\n"},
    {.label = "EmptyAndBlankLinesSkippedLfOnly",
     .script = "@ECHO OFF\n\n   \n\t\nECHO x\n\n",
     .out = "x\n"},
    {.label = "EmptyAndBlankLinesSkippedCrLf",
     .script = "\r\n@ECHO OFF\r\n\r\n   \r\nECHO x\r\n\r\n",
     .out = "x\n"},
    {.label = "UnknownCommandReportedAndScriptGoesOn",
     .script = "@ECHO OFF\r\nFROB a \"b c\"\r\nECHOX hi\r\nECHO after",
     .out = "after\n",
     .err = std::string("'FROB") + kNotRecognized + "'ECHOX" + kNotRecognized},
    {.label = "RemarksAndLabelsSkipped",
     .script = "@ECHO OFF\nREM DEL a.zrb\n:DEL\nrem. x\nECHO x",
     .out = "x\n"},
};

const BatchCase kFileCases[] = {
    {.label = "AttribClearsReadOnly",
     .files = {{"vehicles.sqs", "zip", true}},
     .script = "@ECHO OFF\r\nATTRIB -R vehicles.sqs\r\n",
     .writableAfter = {"vehicles.sqs"}},
    {.label = "AttribNameIgnoresCase",
     .files = {{"Vehicles.SQS", "zip", true}},
     .script = "@ECHO OFF\nattrib -r .\\VEHICLES.sqs",
     .writableAfter = {"Vehicles.SQS"}},
    {.label = "AttribQuotedNameAndOtherAttributes",
     .files = {{"my cars.sqs", "zip", true}},
     .script = "@ECHO OFF\nATTRIB -R -A +H \"my cars.sqs\"",
     .writableAfter = {"my cars.sqs"}},
    {.label = "AttribPlusRMakesReadOnly",
     .files = {{"vehicles.sqs", "zip"}},
     .script = "@ECHO OFF\nATTRIB +R vehicles.sqs",
     .readOnlyAfter = {"vehicles.sqs"}},
    {.label = "AttribMissingFile",
     .script = "@ECHO OFF\r\nATTRIB -R vehicles.sqs\r\nECHO next",
     .out = "File not found - vehicles.sqs\nnext\n"},
    {.label = "DelRemovesOnlyNamedFile",
     .files = {{"a.zrb", "a"}, {"b.zrb", "b"}},
     .script = "@ECHO OFF\r\nDEL a.zrb\r\n",
     .filesAfter = Names{"b.zrb"}},
    {.label = "DelQuotedNameWithBlank",
     .files = {{"my car.zrb", "a"}, {"my", "m"}, {"car.zrb", "c"}},
     .script = "@ECHO OFF\r\nDEL \"my car.zrb\"",
     .filesAfter = Names{"car.zrb", "my"}},
    {.label = "DelNameIgnoresCaseAndBackslash",
     .files = {{"Car.ZRB", "a"}, {"sub/", ""}, {"sub/Truck.zrb", "t"}, {"keep.zrb", "k"}},
     .script = "@ECHO OFF\ndel .\\car.zrb\nDEL SUB\\truck.ZRB",
     .filesAfter = Names{"keep.zrb", "sub"}},
    {.label = "EraseSeveralWithSwitches",
     .files = {{"a.zrb", "a"}, {"b.zrb", "b"}, {"c.zrb", "c"}},
     .script = "@ECHO OFF\nERASE /Q a.zrb /F c.zrb",
     .filesAfter = Names{"b.zrb"}},
    {.label = "DelReadOnlyFile",
     .files = {{"a.zrb", "a", true}, {"b.zrb", "b"}},
     .script = "@ECHO OFF\nDEL a.zrb",
     .filesAfter = Names{"b.zrb"}},
    {.label = "DelMissingFileNamesFullPath",
     .files = {{"b.zrb", "b"}},
     .script = "@ECHO OFF\r\nDEL .\\a.zrb\r\nDEL b.zrb",
     .err = "Could Not Find {dir}/a.zrb\n",
     .filesAfter = Names{}},
    {.label = "DelLeavesFolders",
     .files = {{"models/", ""}, {"models/a.zrb", "a"}},
     .script = "@ECHO OFF\nDEL models",
     .err = "zrb-batch: DEL does not delete folders: {dir}/models\n",
     .filesAfter = Names{"models"}},
    {.label = "EchoOnWithFileCommands",
     .files = {{"a.zrb", "a"}, {"b.zrb", "b"}},
     .script = "DEL a.zrb\n",
     .out = "{dir}>DEL a.zrb\n",
     .filesAfter = Names{"b.zrb"}},
};

const std::vector<std::string> kPackArgs = {"-a", "-f", "a.zrb", ".\\vehicles.sqs"};

const BatchCase kProgramCases[] = {
    {.label = "ArchiverFoundWithExeAppended",
     .files = {{"sqzip.exe",
                "\x7f"
                "ELF"}},
     .script = "@ECHO OFF\r\n.\\SQZIP -a -f a.zrb .\\vehicles.sqs\r\n",
     .calls = {{"{dir}/sqzip.exe", kPackArgs}}},
    {.label = "QuotedArgumentsKeepBlanks",
     .files = {{"sqzip.exe", "x"}},
     .script = "@ECHO OFF\n.\\SQZIP -a -f \"my car.zrb\" .\\vehicles.sqs\n.\\sqzip \"\" a\"b c\"d",
     .calls = {{"{dir}/sqzip.exe", {"-a", "-f", "my car.zrb", ".\\vehicles.sqs"}},
               {"{dir}/sqzip.exe", {"", "ab cd"}}}},
    {.label = "WithoutExtensionOnlyTheExeRuns",
     .files = {{"tool.exe", "x"}, {"other.com", "x"}},
     .script = "@ECHO OFF\n.\\TOOL 1\n.\\OTHER.COM 3",
     .calls = {{"{dir}/tool.exe", {"1"}}, {"{dir}/other.com", {"3"}}}},
    {.label = "FoldersNamedLikeTheProgramAreNoRivals",
     .files = {{"sqzip/", ""}, {"SQZIP.EXE", "x"}, {"bin/", ""}, {"bin/Run.exe", "x"}},
     .script = "@ECHO OFF\n.\\sqzip\nbin\\run x",
     .calls = {{"{dir}/SQZIP.EXE", {}}, {"{dir}/bin/Run.exe", {"x"}}}},
    {.label = "ProgramsOutsideTheWorkingFolderNotRun",
     .files = {{"sub/", ""}, {"sqzip.exe", "x"}},
     .script = "@ECHO OFF\n/usr/bin/touch pwned\n..\\..\\usr\\bin\\touch pwned\n"
               "sub\\..\\..\\bin\\true\nC:\\x\nsub\\..\\sqzip 1\nECHO on we go",
     .out = "on we go\n",
     .err = std::string("'/usr/bin/touch") + kNotRecognized + "'..\\..\\usr\\bin\\touch" +
            kNotRecognized + "'sub\\..\\..\\bin\\true" + kNotRecognized + "'C:\\x" + kNotRecognized,
     .calls = {{"{dir}/sub/../sqzip.exe", {"1"}}}},
    {.label = "MissingProgramNotRecognized",
     .files = {{"sqzip.txt", "x"}},
     .script = "@ECHO OFF\n.\\SQZIP -a -f a.zrb .\\vehicles.sqs\nECHO on we go",
     .out = "on we go\n",
     .err = std::string("'.\\SQZIP") + kNotRecognized},
    {.label = "WindowsProgramRunsThroughWine",
     .files = {{"sqzip.exe", std::string("MZ\x90\0\3\0", 6)}},
     .script = "@ECHO OFF\r\n.\\SQZIP -a -f a.zrb .\\vehicles.sqs",
     .calls = {{"/opt/wine/bin/wine", {"{dir}/sqzip.exe", "-a", "-f", "a.zrb", ".\\vehicles.sqs"}}},
     .winePath = "/opt/wine/bin/wine"},
    {.label = "WindowsProgramThroughZrbWinePath",
     .files = {{"sqzip.exe", "MZ"}},
     .script = "@ECHO OFF\r\n.\\SQZIP -a -f a.zrb .\\vehicles.sqs",
     .calls = {{"/games/Proton 8.0/dist/bin/wine",
                {"{dir}/sqzip.exe", "-a", "-f", "a.zrb", ".\\vehicles.sqs"}}},
     .winePath = "/usr/bin/wine",
     .zrbWine = "/games/Proton 8.0/dist/bin/wine"},
    {.label = "WindowsProgramThroughZrbWineNameOnPath",
     .files = {{"sqzip.exe", "MZ"}},
     .script = "@ECHO OFF\r\n.\\SQZIP x",
     .calls = {{"/usr/bin/wine", {"{dir}/sqzip.exe", "x"}}},
     .winePath = "/usr/bin/wine",
     .zrbWine = "wine"},
    {.label = "WindowsProgramZrbWineNotFound",
     .files = {{"sqzip.exe", "MZ"}},
     .script = "@ECHO OFF\r\n.\\SQZIP x",
     .err = "zrb-batch: {dir}/sqzip.exe is a Windows program, and ZRB_WINE names 'wine-proton', "
            "which is not on PATH.\n",
     .winePath = "/usr/bin/wine",
     .zrbWine = "wine-proton"},
    {.label = "WindowsProgramWithoutWine",
     .files = {{"sqzip.exe", "MZ"}},
     .script = "@ECHO OFF\r\n.\\SQZIP -a -f a.zrb .\\vehicles.sqs\r\nECHO done",
     .out = "done\n",
     .err = "zrb-batch: {dir}/sqzip.exe is a Windows program, and wine, which could run it, "
            "is not installed.\n"},
    {.label = "ProgramThatCannotStartReportedAndScriptGoesOn",
     .files = {{"sqzip.exe", "x"}},
     .script = "@ECHO OFF\n.\\SQZIP a\n.\\SQZIP b\nECHO done",
     .out = "done\n",
     .err = "zrb-batch: cannot run it: Permission denied\n"
            "zrb-batch: cannot run it: Permission denied\n",
     .calls = {{"{dir}/sqzip.exe", {"a"}}, {"{dir}/sqzip.exe", {"b"}}},
     .runFailure = "cannot run it: Permission denied"},
};

// Beside sqzip.exe, a file that the Windows interpreter would run for ".\SQZIP" first,
// or that another user put there: the line is refused, naming the file, and nothing runs.
BatchCase PlantedRival(const char* label, const std::string& rival) {
    return {.label = label,
            .files = {{"sqzip.exe", "x"}, {rival, "x"}, {"a.zrb", "a"}},
            .script = "@ECHO OFF\r\n.\\SQZIP -a -f a.zrb .\\vehicles.sqs\r\nECHO done",
            .out = "done\n",
            .err = "zrb-batch: '.\\SQZIP' was not run: {dir}/" + rival +
                   " lies beside it, and the Windows command interpreter would run that file "
                   "instead. Remove or rename it.\n"};
}

const BatchCase kRivalCases[] = {
    PlantedRival("BareName", "sqzip"),
    PlantedRival("Com", "SQZIP.COM"),
    PlantedRival("Bat", "sqzip.bat"),
    PlantedRival("Cmd", "Sqzip.Cmd"),
};

std::string CaseName(const ::testing::TestParamInfo<BatchCase>& info) {
    return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(Output, BatchCaseTest, ::testing::ValuesIn(kOutputCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Files, BatchCaseTest, ::testing::ValuesIn(kFileCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Programs, BatchCaseTest, ::testing::ValuesIn(kProgramCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Rivals, BatchCaseTest, ::testing::ValuesIn(kRivalCases), CaseName);

struct MainOutcome {
    int status;
    std::string out;
    std::string err;
    bool inputConsumed;
};

MainOutcome Main(const std::vector<std::string>& args, const std::string& dir) {
    std::istringstream in("\nmore\n");
    std::ostringstream out;
    std::ostringstream err;
    RecordingRunner runner;
    const int status = BatchMain(args, dir, in, out, err, runner);
    std::string next;
    std::getline(in, next);
    return {status, out.str(), err.str(), next == "more"};
}

TEST(BatchMainTest, RunsScriptAndPausesOnlyWhenAsked) {
    TempDir dir;
    WriteFile(dir / "Install_ZRB.bat", "@ECHO OFF\r\nECHO hi");

    const MainOutcome plain = Main({"Install_ZRB.bat"}, dir.path());
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "hi\n");
    EXPECT_FALSE(plain.inputConsumed);

    const MainOutcome paused = Main({"--pause", "Install_ZRB.bat"}, dir.path());
    EXPECT_EQ(paused.status, 0);
    EXPECT_EQ(paused.out, "hi\n\nPress Enter to close this window.");
    EXPECT_TRUE(paused.inputConsumed);
}

TEST(BatchMainTest, UnreadableScriptFailsButStillPauses) {
    TempDir dir;
    fs::create_directories(dir / "folder.bat");
    const MainOutcome missing = Main({"--pause", "Install_ZRB.bat"}, dir.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "zrb-batch: cannot read script 'Install_ZRB.bat': No such file or directory\n");
    EXPECT_TRUE(missing.inputConsumed);

    const MainOutcome folder = Main({"folder.bat"}, dir.path());
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("'folder.bat'"), std::string::npos) << folder.err;
}

TEST(BatchMainTest, BadUsage) {
    TempDir dir;
    WriteFile(dir / "a.bat", "ECHO x");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--pause"}, {"a.bat", "a.bat"}, {"--wait", "a.bat"}}) {
        const MainOutcome outcome = Main(args, dir.path());
        EXPECT_EQ(outcome.status, 2) << args.size();
        EXPECT_NE(outcome.err.find("usage: zrb-batch [--pause] "), std::string::npos);
        EXPECT_EQ(outcome.out, "");
    }
}

// The whole chain as the editor leaves it: the built archiver copied as sqzip.exe next to
// the models, the script run by the real program runner.
TEST(BatchWithArchiverTest, PackScriptFillsArchive) {
    TempDir dir;
    fs::copy_file(ZRB_SQZIP_EXE, dir / "sqzip.exe");
    WriteFile(dir / "a.zrb", "model a\r\n");
    WriteFile(dir / "my car.zrb", "model my car\r\n");
    const std::string script =
        "@ECHO OFF\r\n"
        "ATTRIB -R vehicles.sqs\r\n"
        "ECHO Installing a.zrb...\r\n"
        ".\\SQZIP -a -f a.zrb .\\vehicles.sqs\r\n"
        "DEL a.zrb\r\n"
        "ECHO Installing my car.zrb...\r\n"
        ".\\SQZIP -a -f \"my car.zrb\" .\\vehicles.sqs\r\n"
        "DEL \"my car.zrb\"\r\n"
        "ECHO -------------------------------------------------\r\n"
        "ECHO Installation Completed! You can close this window";

    SystemProgramRunner runner;
    std::istringstream first(script);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunBatch(first, dir.path(), out, err, runner), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(),
              "File not found - vehicles.sqs\nInstalling a.zrb...\nInstalling my car.zrb...\n"
              "-------------------------------------------------\n"
              "Installation Completed! You can close this window\n");
    EXPECT_EQ(ReadZipEntries(dir / "vehicles.sqs"),
              (ZipEntries{{"a.zrb", "model a\r\n"}, {"my car.zrb", "model my car\r\n"}}));
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"sqzip.exe", "vehicles.sqs"}));

    // A second run over a read-only archive replaces the entry.
    fs::permissions(dir / "vehicles.sqs", fs::perms::owner_read);
    WriteFile(dir / "a.zrb", "model a, changed\r\n");
    std::istringstream second(
        "@ECHO OFF\r\nATTRIB -R vehicles.sqs\r\n.\\SQZIP -a -f a.zrb .\\vehicles.sqs\r\nDEL a.zrb");
    std::ostringstream out2;
    std::ostringstream err2;
    ASSERT_EQ(RunBatch(second, dir.path(), out2, err2, runner), 0);
    EXPECT_EQ(out2.str() + err2.str(), "");
    EXPECT_EQ(ReadZipEntries(dir / "vehicles.sqs"),
              (ZipEntries{{"a.zrb", "model a, changed\r\n"}, {"my car.zrb", "model my car\r\n"}}));
}

// The report the editor reads: each archiver call with its exit status and words (also
// shown as before), "end" once the script has run, and the lock gone with the runner.
TEST(BatchWithArchiverTest, ReportsEachCallAndHoldsTheLockWhileItRuns) {
    TempDir dir;
    fs::copy_file(ZRB_SQZIP_EXE, dir / "sqzip.exe");
    WriteFile(dir / "a.zrb", "model a\r\n");
    WriteFile(dir / "broken.sqs", "not an archive");
    WriteFile(dir / "Install_ZRB.bat",
              "@ECHO OFF\r\n"
              ".\\SQZIP -a -f a.zrb .\\vehicles.sqs\r\n"
              ".\\SQZIP -a -f missing.zrb .\\vehicles.sqs\r\n"
              ".\\SQZIP -a -f a.zrb .\\broken.sqs\r\n"
              ".\\NOSUCH -a -f a.zrb .\\vehicles.sqs\r\n"
              "ECHO done");
    const std::vector<std::string> args = {"--report=r.txt", "--lock=l.lock", "Install_ZRB.bat"};
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const SystemProgramRunner runner;
    {
        // Another holds the lock: nothing runs, and no report is begun.
        LockedFile held;
        ASSERT_TRUE(held.Open(dir / "l.lock", true));
        EXPECT_EQ(BatchMain(args, dir.path(), in, out, err, runner), 1);
        EXPECT_NE(err.str().find("another pack is still running"), std::string::npos) << err.str();
        EXPECT_FALSE(fs::exists(dir / "r.txt"));
        EXPECT_EQ(ReadZipEntries(dir / "vehicles.sqs"), ZipEntries{});
    }
    err.str("");
    ASSERT_EQ(BatchMain(args, dir.path(), in, out, err, runner), 0);
    const std::string noCommand =
        "'.\\\\NOSUCH' is not recognized as an internal or external command,\\noperable program or "
        "batch file.\\n";
    EXPECT_EQ(ReadFile(dir / "r.txt"),
              "start\n"
              "call\t0\t\t.\\\\SQZIP\t-a\t-f\ta.zrb\t.\\\\vehicles.sqs\n"
              "call\t1\tsqzip: cannot read 'missing.zrb': No such file or directory\\n"
              "\t.\\\\SQZIP\t-a\t-f\tmissing.zrb\t.\\\\vehicles.sqs\n"
              "call\t1\tsqzip: cannot open archive '.\\\\broken.sqs': Not a zip archive\\n"
              "\t.\\\\SQZIP\t-a\t-f\ta.zrb\t.\\\\broken.sqs\n"
              "call\t-1\t" +
                  noCommand +
                  "\t.\\\\NOSUCH\t-a\t-f\ta.zrb\t.\\\\vehicles.sqs\n"
                  "end\n");
    // What was reported was shown too.
    EXPECT_NE(out.str().find("Not a zip archive"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("is not recognized"), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(dir / "l.lock"));
    EXPECT_EQ(ReadZipEntries(dir / "vehicles.sqs"), (ZipEntries{{"a.zrb", "model a\r\n"}}));
}

// Our archiver's adds go to one sqzip process kept running; each call must read exactly
// as a process of its own would: the same words in the same order, the same report
// lines, the same archives. Each script runs twice, served and with a process per call.
class PerCallRunner : public SystemProgramRunner {
  public:
    Result RunCapturing(const std::string& program, const std::vector<std::string>& args,
                        const std::string& workingDir, Ended& ended) const override {
        ++ownProcesses;
        return SystemProgramRunner::RunCapturing(program, args, workingDir, ended);
    }
    Result RunArchiverCapturing(const std::string& program, const std::vector<std::string>& args,
                                const std::string& workingDir, Ended& ended) const override {
        return serve ? SystemProgramRunner::RunArchiverCapturing(program, args, workingDir, ended)
                     : RunCapturing(program, args, workingDir, ended);
    }
    bool serve = false;
    mutable int ownProcesses = 0;
};

struct ServedCase {
    const char* label{};
    std::string script{};
    int ownProcesses{};  // calls that the served run still runs as processes of their own
};

void PrintTo(const ServedCase& c, std::ostream* os) {
    *os << c.label;
}

struct BatchRun {
    std::string out;
    std::string err;
    std::string report;
    ZipEntries v;
    ZipEntries w;
    std::vector<std::string> files;
    int ownProcesses = 0;
};

BatchRun RunPackScript(const std::string& script, bool serve) {
    TempDir dir;
    fs::copy_file(ZRB_SQZIP_EXE, dir / "sqzip.exe");
    for (const char* name : {"a.zrb", "b.zrb", "c.zrb"}) {
        WriteFile(dir / name, std::string("model ") + name);
    }
    WriteFile(dir / "broken.sqs", "not an archive");
    WriteFile(dir / "Install_ZRB.bat", script);
    PerCallRunner runner;
    runner.serve = serve;
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(BatchMain({"--report=r.txt", "Install_ZRB.bat"}, dir.path(), in, out, err, runner),
              0);
    BatchRun run{out.str(),
                 err.str(),
                 ReadFile(dir / "r.txt"),
                 ReadZipEntries(dir / "v.sqs"),
                 ReadZipEntries(dir / "w.sqs"),
                 FolderEntries(dir.path()),
                 runner.ownProcesses};
    // Messages name the folder: each run has its own.
    for (std::string* text : {&run.out, &run.err, &run.report}) {
        for (std::size_t at = text->find(dir.path()); at != std::string::npos;
             at = text->find(dir.path())) {
            text->replace(at, dir.path().size(), "{dir}");
        }
    }
    return run;
}

class ServedArchiverTest : public ::testing::TestWithParam<ServedCase> {};

TEST_P(ServedArchiverTest, EachCallReadsAsAProcessOfItsOwn) {
    const ServedCase& c = GetParam();
    const BatchRun own = RunPackScript(c.script, false);
    const BatchRun served = RunPackScript(c.script, true);
    EXPECT_EQ(served.out, own.out);
    EXPECT_EQ(served.err, own.err);
    EXPECT_EQ(served.report, own.report);
    EXPECT_EQ(served.v, own.v);
    EXPECT_EQ(served.w, own.w);
    EXPECT_EQ(served.files, own.files);
    EXPECT_EQ(served.ownProcesses, c.ownProcesses);
    // Every call was reported, and something was packed.
    std::istringstream lines(c.script);
    std::ptrdiff_t calls = 0;
    for (std::string line; std::getline(lines, line);) {
        calls += StartsWithIgnoringAsciiCase(line, ".\\sqzip");
    }
    EXPECT_EQ(std::count(own.report.begin(), own.report.end(), '\n') - 2, calls) << own.report;
    EXPECT_FALSE(own.v.empty());
}

const ServedCase kServedCases[] = {
    {"PackScript",
     "@ECHO OFF\r\nATTRIB -R v.sqs\r\nECHO Installing a.zrb...\r\n.\\SQZIP -a -f a.zrb "
     ".\\v.sqs\r\nDEL a.zrb\r\nECHO Installing b.zrb...\r\n.\\SQZIP -a -f b.zrb "
     ".\\v.sqs\r\nDEL b.zrb\r\nECHO Installing c.zrb...\r\n.\\SQZIP -a -f c.zrb "
     ".\\v.sqs\r\nDEL c.zrb\r\nECHO done",
     0},
    {"AFailureInTheMiddle",
     "ECHO on\r\n.\\SQZIP -a -f a.zrb .\\v.sqs\r\nDEL a.zrb\r\n.\\SQZIP -a -f missing.zrb "
     ".\\v.sqs\r\nDEL missing.zrb\r\n.\\SQZIP -a -f b.zrb .\\v.sqs\r\nDEL b.zrb",
     0},
    {"ABrokenArchiveInTheMiddle",
     ".\\SQZIP -a -f a.zrb .\\v.sqs\r\n.\\SQZIP -a -f b.zrb .\\broken.sqs\r\n"
     ".\\SQZIP -a -f b.zrb .\\v.sqs",
     0},
    {"TwoArchivesInTurn",
     ".\\SQZIP -a -f a.zrb .\\v.sqs\r\n.\\SQZIP -a -f a.zrb .\\w.sqs\r\n"
     ".\\SQZIP -a -f b.zrb .\\v.sqs\r\n.\\SQZIP -a -f c.zrb .\\w.sqs\r\n"
     ".\\SQZIP -a b.zrb .\\w.sqs",
     0},
    {"ListingsBetweenAdds",
     ".\\SQZIP -a -f a.zrb .\\v.sqs\r\n.\\SQZIP -l .\\v.sqs\r\n.\\SQZIP -a -f b.zrb "
     ".\\v.sqs\r\n.\\SQZIP -l .\\v.sqs",
     2},
    {"TheArchiveDeletedBetweenAdds",
     ".\\SQZIP -a -f a.zrb .\\v.sqs\r\n.\\SQZIP -a -f b.zrb .\\v.sqs\r\nDEL v.sqs\r\n"
     ".\\SQZIP -a c.zrb .\\v.sqs\r\n.\\SQZIP -a -f c.zrb .\\v.sqs\r\n"
     ".\\SQZIP -a -f a.zrb .\\v.sqs",
     0},
    {"AnEntryReplacedBetweenAdds",
     ".\\SQZIP -a -f a.zrb .\\v.sqs\r\n.\\SQZIP -a -f b.zrb .\\v.sqs\r\n"
     ".\\SQZIP -a -f a.zrb .\\v.sqs\r\n.\\SQZIP -a -f c.zrb .\\v.sqs",
     0},
    {"BadUsageAndOtherSpellings",
     ".\\sqzip -A a.zrb\r\n.\\Sqzip.EXE -AF a.zrb v.sqs\r\n.\\SQZIP -a -f -- b.zrb "
     ".\\v.sqs\r\n.\\SQZIP -a --help\r\n.\\SQZIP -f -a c.zrb .\\v.sqs",
     1},
};
INSTANTIATE_TEST_SUITE_P(Calls, ServedArchiverTest, ::testing::ValuesIn(kServedCases),
                         [](const auto& info) { return std::string(info.param.label); });

// Only our own archiver is asked to serve: a script of someone's named sqzip.exe runs
// once per line with the line's arguments alone.
TEST(BatchWithArchiverTest, AScriptNamedSqzipRunsOncePerLine) {
    TempDir dir;
    WriteFile(dir / "sqzip.exe", "#!/bin/sh\nprintf '%s\\n' \"$*\" >> calls.txt\n");
    fs::permissions(dir / "sqzip.exe", fs::perms::owner_all);
    WriteFile(dir / "Install_ZRB.bat",
              ".\\SQZIP -a -f a.zrb .\\v.sqs\r\nDEL a.zrb\r\n.\\SQZIP -a -f b.zrb .\\v.sqs");
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(BatchMain({"--report=r.txt", "Install_ZRB.bat"}, dir.path(), in, out, err,
                        SystemProgramRunner()),
              0);
    EXPECT_EQ(ReadFile(dir / "calls.txt"), "-a -f a.zrb .\\v.sqs\n-a -f b.zrb .\\v.sqs\n");
}

TEST(SystemProgramRunnerTest, ReportsProgramThatCannotStart) {
    TempDir dir;
    WriteFile(dir / "not-executable", "data");
    SystemProgramRunner runner;
    const Result missing = runner.Run(dir / "missing", {}, dir.path());
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find("No such file"), std::string::npos) << missing.message();
    const Result noFolder = runner.Run("/bin/true", {}, dir / "no-such-folder");
    EXPECT_FALSE(noFolder.ok());
    const Result notExecutable = runner.Run(dir / "not-executable", {}, dir.path());
    EXPECT_FALSE(notExecutable.ok());
    EXPECT_NE(notExecutable.message().find("Permission denied"), std::string::npos)
        << notExecutable.message();
    EXPECT_TRUE(runner.Run("/bin/true", {}, dir.path()).ok());
    EXPECT_EQ(runner.FindOnPath("sh").empty(), false);
    EXPECT_EQ(runner.FindOnPath("no-such-program-zrb"), "");
}

}  // namespace
}  // namespace zrb
