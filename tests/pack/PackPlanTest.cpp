#include "pack/PackPlan.h"
#include "platform/Platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zrb {
namespace {

// A path of the tests as the system spells it: the plan joins with the system's separator.
std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

using ::testing::HasSubstr;

const std::string kHeader = "@ECHO OFF\r\nATTRIB -R vehicles.sqs\r\n";
const std::string kTrailer =
    "ECHO -------------------------------------------------\r\n"
    "ECHO Installation Completed! You can close this window";

ModelWorkspace Workspace() {
    ModelWorkspace workspace;
    workspace.modelsFolder = Native("/data/models");
    workspace.currentFile = "car.zrb";
    workspace.startFolder = Native("/opt/editor");
    workspace.archiveFolder = Native("/sim/data");
    workspace.archiveFile = "vehicles.sqs";
    return workspace;
}

TEST(PackScript, WorkedExampleIsExactly291Bytes) {
    const std::string script = PackScript("vehicles.sqs", {"a.zrb", "b.zrb"});
    EXPECT_EQ(script, kHeader +
                          "ECHO Installing a.zrb...\r\n"
                          ".\\SQZIP -a -f a.zrb .\\vehicles.sqs\r\n"
                          "DEL a.zrb\r\n"
                          "ECHO Installing b.zrb...\r\n"
                          ".\\SQZIP -a -f b.zrb .\\vehicles.sqs\r\n"
                          "DEL b.zrb\r\n" +
                          kTrailer);
    EXPECT_EQ(script.size(), 291u);
}

TEST(PackScript, NamesNeedingQuotesAreQuotedOnEveryLine) {
    const std::string script = PackScript("my vehicles.sqs", {"fast & loud.zrb"});
    EXPECT_EQ(script,
              "@ECHO OFF\r\n"
              "ATTRIB -R \"my vehicles.sqs\"\r\n"
              "ECHO Installing \"fast & loud.zrb\"...\r\n"
              ".\\SQZIP -a -f \"fast & loud.zrb\" \".\\my vehicles.sqs\"\r\n"
              "DEL \"fast & loud.zrb\"\r\n" +
                  kTrailer);
}

TEST(PackScript, WhichNamesAreQuoted) {
    struct Case {
        std::string name;
        std::string word;
    };
    const std::vector<Case> cases = {
        {"a.zrb", "a.zrb"},
        {"Truck_2-b.zrb", "Truck_2-b.zrb"},
        {"[old]{x}~'+@#$.zrb", "[old]{x}~'+@#$.zrb"},
        {"caf\xC3\xA9.zrb", "caf\xC3\xA9.zrb"},
        {"my car.zrb", "\"my car.zrb\""},
        {"a&b.zrb", "\"a&b.zrb\""},
        {"a|b.zrb", "\"a|b.zrb\""},
        {"a<b.zrb", "\"a<b.zrb\""},
        {"a>b.zrb", "\"a>b.zrb\""},
        {"a^b.zrb", "\"a^b.zrb\""},
        {"(a).zrb", "\"(a).zrb\""},
        {"a,b.zrb", "\"a,b.zrb\""},
        {"a;b.zrb", "\"a;b.zrb\""},
        {"a=b.zrb", "\"a=b.zrb\""},
        {" lead.zrb", "\" lead.zrb\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WhyNameIsUnsafe(c.name), "") << c.name;
        EXPECT_EQ(ScriptWord(c.name), c.word) << c.name;
    }
    EXPECT_EQ(ScriptWord("a b.sqs", ".\\"), "\".\\a b.sqs\"");
    EXPECT_EQ(ScriptWord("ab.sqs", ".\\"), ".\\ab.sqs");
}

TEST(PackScript, NamesThatNoQuotingMakesSafe) {
    struct Case {
        std::string name;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"", "is empty"},
        {".", "names a folder"},
        {"..", "names a folder"},
        {"say \"hi\".zrb", "contains the character \"\"\""},
        {"100%.zrb", "contains the character \"%\""},
        {"%PATH%.zrb", "contains the character \"%\""},
        {"wow!.zrb", "contains the character \"!\""},
        {"line\nbreak.zrb", "contains a line break"},
        {"carriage\rreturn.zrb", "contains a line break"},
        {std::string("nul\0.zrb", 8), "contains a control character"},
        {"bell\a.zrb", "contains a control character"},
        {"tab\there.zrb", "contains a control character"},
        {"sub/dir.zrb", "contains the character \"/\""},
        {"del\x7F.zrb", "contains a control character"},
        {"sub\\dir.zrb", "contains the character \"\\\""},
        {"c:car.zrb", "contains the character \":\""},
        {"*.zrb", "contains the character \"*\""},
        {"car?.zrb", "contains the character \"?\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WhyNameIsUnsafe(c.name), c.reason) << c.name;
    }
}

TEST(PackPlan, SelectedCopiesTheModelThenTheArchiver) {
    PackPlan plan;
    ASSERT_TRUE(MakePackPlan(Workspace(), PackKind::Selected, {"car.zrb"}, plan));
    const std::vector<FileCopy> expected = {
        {Native("/data/models/car.zrb"), Native("/sim/data/car.zrb"), true},
        {Native("/opt/editor/sqzip.exe"), Native("/sim/data/sqzip.exe"), false},
    };
    EXPECT_EQ(plan.copies, expected);
    EXPECT_EQ(plan.script, kHeader +
                               "ECHO Installing car.zrb...\r\n"
                               ".\\SQZIP -a -f car.zrb .\\vehicles.sqs\r\n"
                               "DEL car.zrb\r\n" +
                               kTrailer);
    EXPECT_EQ(plan.scriptPath, Native("/sim/data/Install_ZRB.bat"));
    EXPECT_EQ(plan.workingFolder, Native("/sim/data"));
    EXPECT_EQ(plan.deletePath, Native("/data/models/Install_ZRB.bat"));
}

TEST(PackPlan, AllCopiesTheArchiverThenEveryModelInListOrder) {
    PackPlan plan;
    ASSERT_TRUE(MakePackPlan(Workspace(), PackKind::All, {"b.zrb", "A.zrb"}, plan));
    const std::vector<FileCopy> expected = {
        {Native("/opt/editor/sqzip.exe"), Native("/sim/data/sqzip.exe"), false},
        {Native("/data/models/b.zrb"), Native("/sim/data/b.zrb"), true},
        {Native("/data/models/A.zrb"), Native("/sim/data/A.zrb"), true},
    };
    EXPECT_EQ(plan.copies, expected);
    EXPECT_EQ(plan.script, PackScript("vehicles.sqs", {"b.zrb", "A.zrb"}));
    EXPECT_EQ(plan.scriptPath, Native("/sim/data/Install_ZRB.bat"));
}

TEST(PackPlan, AllOnAnEmptyListCopiesOnlyTheArchiver) {
    PackPlan plan;
    ASSERT_TRUE(MakePackPlan(Workspace(), PackKind::All, {}, plan));
    ASSERT_EQ(plan.copies.size(), 1u);
    EXPECT_EQ(plan.copies[0].destination, Native("/sim/data/sqzip.exe"));
    EXPECT_EQ(plan.script, kHeader + kTrailer);
    EXPECT_EQ(plan.script.size(), 145u);
}

TEST(PackPlan, RootFoldersJoinWithoutADoubleSeparator) {
    ModelWorkspace workspace = Workspace();
    workspace.archiveFolder = "";  // an archive picked at /vehicles.sqs
    workspace.modelsFolder = "";   // a model opened from /
    PackPlan plan;
    ASSERT_TRUE(MakePackPlan(workspace, PackKind::Selected, {"car.zrb"}, plan));
    EXPECT_EQ(plan.copies[0].source, Native("/car.zrb"));
    EXPECT_EQ(plan.copies[1].destination, Native("/sqzip.exe"));
    EXPECT_EQ(plan.deletePath, Native("/Install_ZRB.bat"));
}

TEST(PackPlan, NothingToDeleteBeforeAnyModelWasOpened) {
    ModelWorkspace workspace = Workspace();
    workspace.modelsFolder.clear();
    workspace.currentFile.clear();
    PackPlan plan;
    ASSERT_TRUE(MakePackPlan(workspace, PackKind::All, {}, plan));
    EXPECT_EQ(plan.deletePath, "");
}

TEST(PackPlan, RefusalsLeaveThePlanAsItWas) {
    struct Case {
        const char* what;
        ModelWorkspace workspace;
        PackKind kind;
        std::vector<std::string> names;
        std::string message;  // a part of it
    };
    ModelWorkspace noArchive = Workspace();
    noArchive.archiveFile.clear();
    noArchive.archiveFolder.clear();
    ModelWorkspace badArchive = Workspace();
    badArchive.archiveFile = "50%.sqs";
    ModelWorkspace archiverAsArchive = Workspace();
    archiverAsArchive.archiveFile = "SQZIP.EXE";
    const std::vector<Case> cases = {
        {"no archive", noArchive, PackKind::All, {"a.zrb"}, "Define Archive Location first"},
        {"no archive, selected", noArchive, PackKind::Selected, {"a.zrb"}, "Define Archive"},
        {"no model", Workspace(), PackKind::Selected, {""}, "No motion model is loaded"},
        {"unsafe archive", badArchive, PackKind::All, {"a.zrb"}, "\"50%.sqs\""},
        {"archiver as archive", archiverAsArchive, PackKind::All, {}, "\"SQZIP.EXE\""},
        {"unsafe model", Workspace(), PackKind::Selected, {"100%.zrb"}, "\"100%.zrb\""},
        {"unsafe model late in list",
         Workspace(),
         PackKind::All,
         {"a.zrb", "b.zrb", "line\nbreak.zrb"},
         "\"line?break.zrb\" cannot be packed: its name contains a line break"},
        {"model named as the script", Workspace(), PackKind::All, {"install_zrb.BAT"}, "itself"},
        {"model named as the archiver", Workspace(), PackKind::All, {"sqzip.exe"}, "itself"},
        {"model named as the archive", Workspace(), PackKind::All, {"Vehicles.SQS"}, "same name"},
    };
    for (const Case& c : cases) {
        PackPlan plan;
        plan.scriptPath = "untouched";
        const Result result = MakePackPlan(c.workspace, c.kind, c.names, plan);
        EXPECT_FALSE(result) << c.what;
        EXPECT_THAT(result.message(), HasSubstr(c.message)) << c.what;
        EXPECT_EQ(plan.scriptPath, "untouched") << c.what;
        EXPECT_TRUE(plan.copies.empty()) << c.what;
    }
}

// The findings of a folder whose archivers lie where the test says, names written in
// `codePage` by the system's own conversion.
PackFindings Found(unsigned codePage = 0) {
    PackFindings findings;
    findings.programFolder = Native("/usr/lib/zrb");
    findings.codePage = codePage;
    findings.encode = [codePage](const std::string& text) { return ToCodePage(text, codePage); };
    return findings;
}

// cmd reads the script in the console's OEM code page: the names must reach it in those
// bytes, and a name the code page cannot hold is refused before anything is done.
TEST(PackPlan, NamesAreWrittenInTheConsoleCodePage) {
    struct Case {
        unsigned codePage;
        std::string name;     // UTF-8, as held
        std::string written;  // in the script; empty: refused
    };
    const std::vector<Case> cases = {
        {850, "M\xC3\xBCllwagen.zrb", "M\x81llwagen.zrb"},
        {437, "M\xC3\xBCllwagen.zrb", "M\x81llwagen.zrb"},
        {850, "caf\xC3\xA9.zrb", "caf\x82.zrb"},
        {437,
         "K\xC3\xA4"
         "fer.zrb",
         "K\x84"
         "fer.zrb"},
        {850,
         "Stra\xC3\x9F"
         "e.zrb",
         "Stra\xE1"
         "e.zrb"},
        {850, "\xC3\x98resund.zrb", "\x9Dresund.zrb"},
        {437, "\xC3\x98resund.zrb", ""},  // no O with stroke in 437
        {850,
         "\xE2\x82\xAC"
         "uro.zrb",
         ""},
        {437, "\xE6\x97\xA5\xE6\x9C\xAC.zrb", ""},
        {850, "plain car.zrb", "\"plain car.zrb\""},
        {0, "M\xC3\xBCllwagen.zrb", "M\xC3\xBCllwagen.zrb"},  // Linux: UTF-8 as held
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " in " + std::to_string(c.codePage));
        PackPlan plan;
        const Result made =
            MakePackPlan(Workspace(), PackKind::Selected, {c.name}, Found(c.codePage), plan);
        if (c.written.empty()) {
            ASSERT_FALSE(made);
            EXPECT_EQ(made.message(),
                      "The model \"" + c.name +
                          "\" cannot be packed: its name holds a character that the Windows "
                          "console (code page " +
                          std::to_string(c.codePage) +
                          ") cannot show, so the pack script could not name the file. Rename the "
                          "file and try again.");
            continue;
        }
        ASSERT_TRUE(made) << made.message();
        EXPECT_EQ(plan.script, kHeader + "ECHO Installing " + c.written + "...\r\n.\\SQZIP -a -f " +
                                   c.written + " .\\vehicles.sqs\r\nDEL " + c.written + "\r\n" +
                                   kTrailer);
        // The copies keep the names the file system knows.
        EXPECT_EQ(plan.copies[0].destination, JoinPath(Native("/sim/data"), c.name));
    }

    ModelWorkspace euro = Workspace();
    euro.archiveFile = "\xE2\x82\xAC.sqs";
    PackPlan plan;
    const Result archive = MakePackPlan(euro, PackKind::All, {"a.zrb"}, Found(850), plan);
    EXPECT_THAT(archive.message(), HasSubstr("The archive \"\xE2\x82\xAC.sqs\" cannot be used"));
}

// The archiver already beside the archive runs as it is; else the start folder's is
// copied, else the program folder's; a rival beside the archive stops the pack.
TEST(PackPlan, WhichArchiverRuns) {
    struct Case {
        const char* what;
        std::string inArchive, rival;
        bool inStart, inProgram;
        std::string program;  // the program folder; empty: unknown
        ArchiverSource source;
        std::string from;     // empty: refused with `message`
        std::string message;  // a part of it
    };
    const std::string start = Native("/opt/editor/sqzip.exe");
    const std::string program = Native("/usr/lib/zrb/sqzip.exe");
    const std::vector<Case> cases = {
        {"the game's own", "sqzip.exe", "", true, true, "/usr/lib/zrb",
         ArchiverSource::ArchiveFolder, Native("/sim/data/sqzip.exe"), ""},
        {"the game's own, spelled in capitals", "SQZIP.EXE", "", false, false, "",
         ArchiverSource::ArchiveFolder, Native("/sim/data/SQZIP.EXE"), ""},
        {"the start folder's", "", "", true, true, "/usr/lib/zrb", ArchiverSource::StartFolder,
         start, ""},
        {"the program folder's", "", "", false, true, "/usr/lib/zrb", ArchiverSource::ProgramFolder,
         program, ""},
        {"none", "", "", false, false, "/usr/lib/zrb", ArchiverSource::StartFolder, "",
         "\"" + start + "\" is missing, and so is \"" + program + "\""},
        {"none, program folder unknown", "", "", false, true, "", ArchiverSource::StartFolder, "",
         "\"" + start + "\" is missing. Put"},
        {"a planted batch file", "sqzip.exe", "SQZIP.bat", true, true, "/usr/lib/zrb",
         ArchiverSource::ArchiveFolder, "",
         "\"" + Native("/sim/data/SQZIP.bat") + "\" lies beside the archive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PackFindings findings = Found();
        findings.archiverInArchiveFolder = c.inArchive;
        findings.archiverRival = c.rival;
        findings.archiverInStartFolder = c.inStart;
        findings.archiverInProgramFolder = c.inProgram;
        findings.programFolder = c.program.empty() ? "" : Native(c.program);
        for (const PackKind kind : {PackKind::Selected, PackKind::All}) {
            PackPlan plan;
            const Result made = MakePackPlan(Workspace(), kind, {"car.zrb"}, findings, plan);
            if (c.from.empty()) {
                ASSERT_FALSE(made);
                EXPECT_THAT(made.message(), HasSubstr(c.message));
                EXPECT_THAT(made.message(), HasSubstr("Nothing was packed."));
                continue;
            }
            ASSERT_TRUE(made) << made.message();
            EXPECT_EQ(plan.archiverSource, c.source);
            EXPECT_EQ(plan.archiverFrom, c.from);
            std::vector<FileCopy> expected = {
                {Native("/data/models/car.zrb"), Native("/sim/data/car.zrb"), true}};
            if (plan.archiverCopied()) {
                const FileCopy archiver{c.from, Native("/sim/data/sqzip.exe"), false};
                expected.insert(kind == PackKind::All ? expected.begin() : expected.end(),
                                archiver);
            }
            EXPECT_EQ(plan.copies, expected);
        }
    }
}

TEST(PackPlan, WhatBesideTheArchiveIsTheArchiverOrARival) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(FindArchiver(Names{"a.zrb", "SQZIP.EXE", "sqzip.exe"}), "sqzip.exe");
    EXPECT_EQ(FindArchiver(Names{"Sqzip.exe", "SQZIP.EXE"}), "SQZIP.EXE");
    EXPECT_EQ(FindArchiver(Names{"sqzip.exe.bak", "sqzip"}), "");
    for (const std::string rival : {"sqzip", "SQZIP.COM", "sqzip.bat", "Sqzip.Cmd"}) {
        EXPECT_EQ(FindArchiverRival(Names{"sqzip.exe", rival, "a.zrb"}), rival);
    }
    EXPECT_EQ(FindArchiverRival(Names{"sqzip.exe", "sqzip.txt", "sqzip.bat.old", "xsqzip"}), "");
}

}  // namespace
}  // namespace zrb
