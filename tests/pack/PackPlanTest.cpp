#include "pack/PackPlan.h"

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

}  // namespace
}  // namespace zrb
