#include "model/Workspace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "FakeWindow.h"
#include "TestFolder.h"
#include "WorkedExample.h"

namespace zrb {

// A model in a failure message by its fields rather than its bytes.
void PrintTo(const MotionModel& model, std::ostream* out) {
    *out << '"' << model.description << '"';
    for (const ModelKey& key : ModelKeys()) {
        *out << ' ' << key.name << '=' << model.*key.field;
    }
}

}  // namespace zrb

namespace {

using testing::ElementsAre;
using testing::Pair;
using zrb::MessageIcon;
using zrb::ModelEditor;
using zrb::ModelFileVariant;
using zrb::MotionModel;
using zrb::testing::FakeWindow;
using zrb::testing::ReadBytes;
using zrb::testing::TestFolder;
using zrb::testing::WriteBytes;

// Each with a speed of its own.
void WriteModel(const std::string& path, const std::string& description, double mass) {
    MotionModel model = zrb::testing::With(zrb::testing::ExampleModel(description, mass),
                                           &MotionModel::gasScaleFactor, mass / 1000);
    ASSERT_TRUE(zrb::WriteModelFile(path, model, ModelFileVariant::SaveChanges));
}

TEST(PathTest, FolderCutAndJoin) {
    const struct {
        const char* path;
        const char* name;
        const char* folder;
    } cases[] = {{"/home/u/models/b.zrb", "b.zrb", "/home/u/models"},
                 {"/car.zrb", "car.zrb", ""},
                 {"/a b/c d.zrb", "c d.zrb", "/a b"},
                 {"car.zrb", "car.zrb", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(zrb::FolderOfPickedFile(c.path, c.name), c.folder);
    }
    const std::string separator(1, zrb::kPathSeparator);
    EXPECT_EQ(zrb::JoinPath("", "car.zrb"), separator + "car.zrb");
    // No normalisation: a trailing separator is doubled, as with the start folder "/".
    EXPECT_EQ(zrb::JoinPath(separator, "Help.htm"), separator + separator + "Help.htm");
}

TEST(SortedNameListTest, CaseInsensitiveWithStableTies) {
    zrb::SortedNameList list;
    list.AddMany({"c.zrb", "B.zrb", "a.zrb", "b.zrb", "_x.zrb", "A.zrb"});
    list.Add("ab.zrb");
    list.AddMany({"0.zrb", "Ba.zrb"});
    // Compared as lower case, so "_" (0x5F) comes before the letters.
    EXPECT_THAT(list.names(), ElementsAre("0.zrb", "_x.zrb", "A.zrb", "a.zrb", "ab.zrb", "B.zrb",
                                          "b.zrb", "Ba.zrb", "c.zrb"));
    EXPECT_EQ(list.FindExact("B.ZRB"), 5u);
    EXPECT_EQ(list.FindExact("ba.zrb"), 7u);
    EXPECT_EQ(list.FindExact("b"), std::nullopt);
    EXPECT_EQ(list.FindExact("zz.zrb"), std::nullopt);
}

// The fast sort must give exactly the order of the comparison the list searches by, for
// names differing in case, length, prefix and bytes above 0x7F.
TEST(SortedNameListTest, FastSortAgreesWithTheComparison) {
    std::mt19937 random(7);
    const std::string alphabet = "aAbB_.Z\xe9\xc9\x80";
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) {
        std::string name(random() % 6, ' ');
        for (char& c : name) {
            c = alphabet[random() % alphabet.size()];
        }
        names.push_back(name);
    }
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end(), zrb::ModelNameLess);
    zrb::SortByModelName(names);
    EXPECT_EQ(names, expected);
}

TEST(SearchModelFolderTest, MatchesZrbWithoutRegardToCaseAndListsDirectories) {
    TestFolder folder;
    for (const char* name : {"a.zrb", "B.ZRB", "c.Zrb", "d.zrbx", "zrb", "e.zrb.bak", ".zrb"}) {
        WriteBytes(folder / name, "x");
    }
    std::filesystem::create_directory(folder / "x.zrb");
    auto names = zrb::SearchModelFolder(folder.path());
    std::sort(names.begin(), names.end(), zrb::ModelNameLess);
    EXPECT_THAT(names, ElementsAre(".zrb", "a.zrb", "B.ZRB", "c.Zrb", "x.zrb"));
    EXPECT_TRUE(zrb::SearchModelFolder(folder / "missing").empty());
    EXPECT_TRUE(zrb::SearchModelFolder(folder / "a.zrb").empty());
}

class WorkspaceTest : public testing::Test {
  protected:
    void SetUp() override {
        WriteModel(folder / "a.zrb", "//first", 100);
        WriteModel(folder / "B.zrb", "//second", 200);
        WriteModel(folder / "c.zrb", "//third", 300);
        window.onPush = [this] { shown.push_back(editor.model); };
    }

    void Open() {
        window.AnswerNextDialog(folder / "c.zrb");
        editor.OpenMotionModel();
        window.log.clear();
        shown.clear();
    }

    TestFolder folder;
    FakeWindow window;
    ModelEditor editor{window, window};
    std::vector<MotionModel> shown;  // the model each time the boxes were filled
};

TEST_F(WorkspaceTest, OpenListsTheFolderSortedAndLoadsTheFirstModel) {
    window.AnswerNextDialog(folder / "B.zrb");
    editor.OpenMotionModel();

    ASSERT_EQ(window.dialogRequests.size(), 1u);
    const zrb::FileDialogRequest& request = window.dialogRequests[0];
    EXPECT_EQ(request.type, zrb::FileDialogType::Open);
    EXPECT_EQ(request.defaultExtension, "zrb");
    EXPECT_EQ(request.initialName, "*.zrb");
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_EQ(request.filter, "Motion Models (*.zrb)|*.zrb||");

    EXPECT_THAT(window.list.names(), ElementsAre("a.zrb", "B.zrb", "c.zrb"));
    EXPECT_EQ(window.selection, 0);
    EXPECT_EQ(window.title, "ZRB Editor - " + folder.path());
    EXPECT_EQ(editor.workspace.modelsFolder, folder.path());
    EXPECT_EQ(editor.workspace.currentFile, "a.zrb");
    EXPECT_EQ(editor.model.description, "//first");
    EXPECT_EQ(editor.model.mass, 100);
    EXPECT_EQ(editor.speedText, "60");
    // The boxes are filled once, with the model as read.
    EXPECT_THAT(shown, ElementsAre(editor.model));
}

TEST_F(WorkspaceTest, CancelledOpenChangesNothing) {
    Open();
    editor.SetNumberFromText(&MotionModel::mass, "5");
    editor.OpenMotionModel();  // no answer queued: the dialog is cancelled
    EXPECT_EQ(window.dialogRequests.size(), 2u);
    EXPECT_EQ(editor.workspace.modelsFolder, folder.path());
    EXPECT_EQ(window.title, "ZRB Editor - " + folder.path());
    EXPECT_THAT(window.list.names(), ElementsAre("a.zrb", "B.zrb", "c.zrb"));
    EXPECT_EQ(window.selection, 0);
    EXPECT_EQ(editor.workspace.currentFile, "a.zrb");
    EXPECT_EQ(editor.model.mass, 5);
    EXPECT_TRUE(editor.HasUnsavedEdits());
    EXPECT_TRUE(shown.empty());
}

TEST_F(WorkspaceTest, SelectingAnotherEntryLoadsItDroppingEdits) {
    Open();
    editor.SetNumberFromText(&MotionModel::mass, "999");
    window.selection = 2;
    editor.LoadSelectedModel();
    EXPECT_EQ(editor.workspace.currentFile, "c.zrb");
    EXPECT_EQ(editor.model.mass, 300);
    EXPECT_FALSE(editor.HasUnsavedEdits());
    EXPECT_EQ(ReadBytes(folder / "a.zrb").find("999"), std::string::npos);
}

TEST_F(WorkspaceTest, LoadWithoutValidSelectionChangesNothing) {
    Open();
    for (std::optional<int> selection :
         {std::optional<int>(), std::optional<int>(-1), std::optional<int>(3)}) {
        window.selection = selection;
        editor.LoadSelectedModel();
        EXPECT_EQ(editor.workspace.currentFile, "a.zrb");
        EXPECT_EQ(editor.model.mass, 100);
        EXPECT_TRUE(window.log.empty());
    }
}

TEST_F(WorkspaceTest, SaveChangesPullsWritesAndConfirms) {
    Open();
    // What the boxes hold reaches the model only when they are pulled.
    window.onPull = [this] {
        editor.model.description = "edited";
        editor.model.mass = 123.456;
    };
    editor.SaveChanges();
    EXPECT_THAT(window.messages, ElementsAre(Pair("Changes saved", MessageIcon::None)));
    EXPECT_FALSE(window.waitCursor);
    EXPECT_EQ(editor.model.description, "//edited");
    MotionModel read;
    std::string speed;
    ASSERT_TRUE(zrb::ReadModelFile(folder / "a.zrb", read, speed));
    EXPECT_EQ(read.description, "//edited");
    EXPECT_EQ(read.mass, 123.46);
    // The list and selection stay; the boxes are not refreshed.
    EXPECT_EQ(window.selection, 0);
    EXPECT_TRUE(shown.empty());
}

TEST_F(WorkspaceTest, ABoxHoldingNoNumberStopsEitherSave) {
    Open();
    const std::string before = ReadBytes(folder / "a.zrb");
    editor.model.mass = 5;
    window.pullSucceeds = false;
    editor.SaveChanges();
    EXPECT_FALSE(window.waitCursor);
    EXPECT_EQ(ReadBytes(folder / "a.zrb"), before);

    window.AnswerNextDialog(folder / "new.zrb");
    editor.SaveAsNew();
    EXPECT_FALSE(window.waitCursor);
    EXPECT_FALSE(std::filesystem::exists(folder / "new.zrb"));
    EXPECT_EQ(editor.workspace.currentFile, "a.zrb");
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(WorkspaceTest, SaveChangesBeforeAnyModelWritesNothing) {
    editor.SaveChanges();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].second, MessageIcon::Warning);
    EXPECT_NE(window.messages[0].first.find("Open a motion model first"), std::string::npos);
    EXPECT_FALSE(window.waitCursor);
}

TEST_F(WorkspaceTest, SaveAsNewWithoutAFolderOpensTheNewFilesFolder) {
    TestFolder other;
    window.AnswerNextDialog(other / "n.zrb");
    editor.SaveAsNew();
    EXPECT_EQ(window.dialogRequests.back().initialFolder, "");  // the toolkit's choice
    EXPECT_EQ(editor.workspace.modelsFolder, other.path());
    EXPECT_EQ(window.title, "ZRB Editor - " + other.path());
    EXPECT_THAT(window.list.names(), ElementsAre("n.zrb"));
    EXPECT_EQ(window.selection, 0);
    editor.model.mass = 8;
    editor.SaveChanges();
    EXPECT_THAT(window.messages, ElementsAre(Pair("Changes saved", MessageIcon::None),
                                             Pair("Changes saved", MessageIcon::None)));
    MotionModel read;
    std::string speed;
    ASSERT_TRUE(zrb::ReadModelFile(other / "n.zrb", read, speed));
    EXPECT_EQ(read.mass, 8);
}

TEST_F(WorkspaceTest, FailedSaveIsReportedNotConfirmed) {
    Open();
    const std::string path = folder / "a.zrb";
    const std::string before = ReadBytes(path);
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    editor.model.mass = 5;
    editor.SaveChanges();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].second, MessageIcon::Warning);
    EXPECT_NE(window.messages[0].first.find(path), std::string::npos);
    EXPECT_NE(window.messages[0].first.find("read-only"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(editor.model.mass, 5);
}

TEST_F(WorkspaceTest, SaveAsNewAddsSelectsAndRereadsTheNewFile) {
    Open();
    window.onPull = [this] {
        editor.model.description = "Truck";
        editor.model.horsePower = 123;
        editor.model.gasScaleFactor = 0.123456;
    };
    window.AnswerNextDialog(folder / "truck.zrb");
    editor.SaveAsNew();

    const zrb::FileDialogRequest& request = window.dialogRequests.back();
    EXPECT_EQ(request.type, zrb::FileDialogType::Save);
    EXPECT_EQ(request.initialName, "new.zrb");
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.initialFolder, folder.path());
    EXPECT_EQ(request.defaultExtension, "zrb");
    EXPECT_FALSE(request.fileMustExist);

    EXPECT_THAT(window.list.names(), ElementsAre("a.zrb", "B.zrb", "c.zrb", "truck.zrb"));
    EXPECT_EQ(window.selection, 3);
    EXPECT_EQ(editor.workspace.currentFile, "truck.zrb");
    EXPECT_EQ(editor.model.description, "//Truck");
    EXPECT_EQ(editor.model.horsePower, 120);  // two significant digits in the file
    EXPECT_EQ(editor.model.gasScaleFactor, 0.1235);
    EXPECT_EQ(editor.speedText, "74");
    // The boxes show the file as read back, rounded, not the values pulled from them.
    EXPECT_THAT(shown, ElementsAre(editor.model));
    EXPECT_THAT(window.messages, ElementsAre(Pair("Changes saved", MessageIcon::None)));
    EXPECT_FALSE(window.waitCursor);
}

TEST_F(WorkspaceTest, SaveAsNewReplacesAnExistingFileAndFindsTheOneSaved) {
    Open();
    editor.model.mass = 42;
    window.AnswerNextDialog(folder / "b.zrb");  // B.zrb exists
    editor.SaveAsNew();
#ifdef _WIN32
    // One file whatever the case: B.zrb is replaced, keeps its name, and is the current one.
    EXPECT_THAT(window.list.names(), ElementsAre("a.zrb", "B.zrb", "c.zrb"));
    EXPECT_EQ(window.selection, 1);
    EXPECT_EQ(editor.workspace.currentFile, "B.zrb");
    const std::size_t entries = 3;
#else
    // A new name here. The file just written is selected, not B.zrb that only differs in
    // case.
    EXPECT_THAT(window.list.names(), ElementsAre("a.zrb", "B.zrb", "b.zrb", "c.zrb"));
    EXPECT_EQ(window.selection, 2);
    EXPECT_EQ(editor.workspace.currentFile, "b.zrb");
    const std::size_t entries = 4;
#endif
    EXPECT_EQ(editor.model.mass, 42);

    window.AnswerNextDialog(folder / "c.zrb");
    editor.model.mass = 43;
    editor.SaveAsNew();
    EXPECT_EQ(window.list.size(), entries);
    EXPECT_EQ(editor.model.mass, 43);
    MotionModel read;
    std::string speed;
    ASSERT_TRUE(zrb::ReadModelFile(folder / "c.zrb", read, speed));
    EXPECT_EQ(read.mass, 43);
}

TEST_F(WorkspaceTest, SaveAsNewElsewhereFollowsTheFileIntoItsFolder) {
    Open();
    TestFolder other;
    WriteModel(other / "bus.zrb", "//bus", 9000);
    editor.model.mass = 77;
    window.AnswerNextDialog(other / "van.zrb");
    editor.SaveAsNew();
    EXPECT_EQ(editor.workspace.modelsFolder, other.path());
    EXPECT_EQ(window.title, "ZRB Editor - " + other.path());
    EXPECT_THAT(window.list.names(), ElementsAre("bus.zrb", "van.zrb"));
    EXPECT_EQ(window.selection, 1);
    EXPECT_EQ(editor.workspace.currentFile, "van.zrb");
    EXPECT_EQ(editor.model.mass, 77);
    EXPECT_FALSE(editor.HasUnsavedEdits());

    // Save Changes writes the file the title, the list and the boxes show.
    editor.model.mass = 78;
    editor.SaveChanges();
    EXPECT_TRUE(window.asked.empty());
    MotionModel read;
    std::string speed;
    ASSERT_TRUE(zrb::ReadModelFile(other / "van.zrb", read, speed));
    EXPECT_EQ(read.mass, 78);
    EXPECT_FALSE(std::filesystem::exists(folder / "van.zrb"));
    EXPECT_EQ(window.messages.back().first, "Changes saved");
}

TEST_F(WorkspaceTest, SaveAsNewRefusesANameTheListCannotShow) {
    Open();
    editor.model.mass = 66;
    window.AnswerNextDialog(folder / "notes.txt");
    editor.SaveAsNew();
    EXPECT_FALSE(std::filesystem::exists(folder / "notes.txt"));
    EXPECT_EQ(editor.workspace.currentFile, "a.zrb");
    EXPECT_EQ(editor.model.mass, 66);
    ASSERT_EQ(window.Warnings().size(), 1u);
    EXPECT_NE(window.Warnings()[0].find("notes.txt was not saved"), std::string::npos);
}

TEST_F(WorkspaceTest, FailedSaveAsNewKeepsEverything) {
    Open();
    editor.model.mass = 55;
    window.AnswerNextDialog(folder / "missing/new.zrb");
    editor.SaveAsNew();
    EXPECT_EQ(editor.workspace.currentFile, "a.zrb");
    EXPECT_EQ(editor.model.mass, 55);
    EXPECT_THAT(window.list.names(), ElementsAre("a.zrb", "B.zrb", "c.zrb"));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].second, MessageIcon::Warning);
    EXPECT_NE(window.messages[0].first.find("folder does not exist"), std::string::npos);
}

TEST_F(WorkspaceTest, DirectoryNamedLikeAModelIsListedLoadsAsEmptyAndIsTold) {
    std::filesystem::create_directory(folder / "0.zrb");
    window.AnswerNextDialog(folder / "a.zrb");
    editor.model.mass = 9;
    editor.OpenMotionModel();
    EXPECT_THAT(window.list.names(), ElementsAre("0.zrb", "a.zrb", "B.zrb", "c.zrb"));
    EXPECT_EQ(editor.workspace.currentFile, "0.zrb");
    EXPECT_EQ(editor.model.description, "");
    EXPECT_EQ(editor.model.mass, 9);
    EXPECT_THAT(window.messages,
                ElementsAre(Pair("Could not read \"" + (folder / "0.zrb") + "\": it is a folder",
                                 MessageIcon::Warning)));
}

// What happens to the file on disk between loading a.zrb and Save Changes.
enum class Outside { Nothing, SameBytesAgain, Changed, Deleted, ReplacedByAFolder };
// What a.zrb holds afterwards.
enum class Holds { Ours, Theirs, Nothing };

struct DiskChangeCase {
    const char* what;
    Outside outside;
    std::optional<int> choice;  // none: the default
    std::size_t buttons;        // 0: not asked
    Holds holds;
    double massShown;
    bool confirmed;  // "Changes saved"
};

void PrintTo(const DiskChangeCase& c, std::ostream* out) {
    *out << c.what;
}

class DiskChangeTest : public WorkspaceTest, public testing::WithParamInterface<DiskChangeCase> {};

TEST_P(DiskChangeTest, AskedBeforeSaveChangesWritesOverIt) {
    const DiskChangeCase& c = GetParam();
    Open();
    const std::string path = folder / "a.zrb";
    editor.SetNumberFromText(&MotionModel::mass, "555");
    switch (c.outside) {
        case Outside::Nothing:
            break;
        case Outside::SameBytesAgain:
            WriteBytes(path, ReadBytes(path));
            break;
        case Outside::Changed:
            WriteModel(path, "//first", 1234);
            break;
        case Outside::Deleted:
            std::filesystem::remove(path);
            break;
        case Outside::ReplacedByAFolder:
            std::filesystem::remove(path);
            std::filesystem::create_directory(path);
            break;
    }
    const bool wasFile = std::filesystem::is_regular_file(path);
    const std::string theirs = wasFile ? ReadBytes(path) : std::string();
    if (c.choice) {
        window.choices = {*c.choice};
    }
    editor.SaveChanges();

    if (c.buttons == 0) {
        EXPECT_TRUE(window.asked.empty());
    } else {
        ASSERT_EQ(window.asked.size(), 1u);
        EXPECT_EQ(window.asked[0].answers.size(), c.buttons);
        EXPECT_EQ(window.asked[0].defaultAnswer, int(c.buttons) - 1);  // Cancel
        EXPECT_EQ(window.asked[0].question.rfind("a.zrb ", 0), 0u) << window.asked[0].question;
    }
    switch (c.holds) {
        case Holds::Ours:
            EXPECT_EQ(ReadBytes(path),
                      zrb::ModelFileBytes(editor.model, ModelFileVariant::SaveChanges));
            EXPECT_NE(ReadBytes(path).find("555.00"), std::string::npos);
            break;
        case Holds::Theirs:
            EXPECT_EQ(wasFile, std::filesystem::is_regular_file(path));
            EXPECT_EQ(wasFile ? ReadBytes(path) : std::string(), theirs);
            break;
        case Holds::Nothing:
            EXPECT_FALSE(std::filesystem::is_regular_file(path));
            break;
    }
    EXPECT_EQ(editor.model.mass, c.massShown);
    EXPECT_EQ(window.OtherMessages(),
              c.confirmed ? std::vector<std::string>{"Changes saved"} : std::vector<std::string>{});
    // Once written or read again, the file is what the editor knows: no second question.
    if (c.holds == Holds::Ours || c.massShown == 1234) {
        window.asked.clear();
        editor.SaveChanges();
        EXPECT_TRUE(window.asked.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskChangeTest,
    testing::Values(
        DiskChangeCase{"unchanged", Outside::Nothing, {}, 0, Holds::Ours, 555, true},
        DiskChangeCase{"same bytes again", Outside::SameBytesAgain, {}, 0, Holds::Ours, 555, true},
        DiskChangeCase{"changed, default", Outside::Changed, {}, 3, Holds::Theirs, 555, false},
        DiskChangeCase{"changed, Overwrite", Outside::Changed, 0, 3, Holds::Ours, 555, true},
        DiskChangeCase{"changed, Reload", Outside::Changed, 1, 3, Holds::Theirs, 1234, false},
        DiskChangeCase{"changed, Cancel", Outside::Changed, 2, 3, Holds::Theirs, 555, false},
        DiskChangeCase{"deleted, default", Outside::Deleted, {}, 2, Holds::Nothing, 555, false},
        DiskChangeCase{"deleted, Save", Outside::Deleted, 0, 2, Holds::Ours, 555, true},
        DiskChangeCase{"a folder now, default",
                       Outside::ReplacedByAFolder,
                       {},
                       2,
                       Holds::Nothing,
                       555,
                       false}));

TEST_F(WorkspaceTest, ReloadListsTheFolderAgainAndRereadsTheModelByName) {
    Open();
    window.selection = 1;
    editor.LoadSelectedModel();  // B.zrb
    WriteModel(folder / "0.zrb", "//zero", 1);
    WriteModel(folder / "B.zrb", "//second", 250);
    editor.SetNumberFromText(&MotionModel::mass, "999");
    editor.Reload();
    EXPECT_THAT(window.list.names(), ElementsAre("0.zrb", "a.zrb", "B.zrb", "c.zrb"));
    EXPECT_EQ(window.selection, 2);
    EXPECT_EQ(editor.workspace.currentFile, "B.zrb");
    EXPECT_EQ(editor.model.mass, 250);
    EXPECT_FALSE(editor.HasUnsavedEdits());
    EXPECT_TRUE(window.messages.empty());

    // The current file gone: the first entry is loaded, and the user told.
    std::filesystem::remove(folder / "B.zrb");
    editor.Reload();
    EXPECT_EQ(window.selection, 0);
    EXPECT_EQ(editor.workspace.currentFile, "0.zrb");
    EXPECT_EQ(editor.model.mass, 1);
    EXPECT_THAT(window.Warnings(), ElementsAre("B.zrb is no longer in " + folder.path() +
                                               "; 0.zrb was loaded instead."));

    // Nothing left: nothing is current, so Save Changes re-creates nothing.
    for (const char* name : {"0.zrb", "a.zrb", "c.zrb"}) {
        std::filesystem::remove(folder / name);
    }
    editor.Reload();
    EXPECT_EQ(window.ListCount(), 0);
    EXPECT_EQ(editor.workspace.currentFile, "");
    editor.SaveChanges();
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(ModelEditorTest, KeystrokeHandlersConvertAndTrackEdits) {
    FakeWindow window;
    ModelEditor editor(window, window);
    EXPECT_FALSE(editor.HasUnsavedEdits());
    editor.SetNumberFromText(&MotionModel::mass, "0.3x");
    EXPECT_EQ(editor.model.mass, 0.3);
    EXPECT_EQ(editor.speedText, "");
    EXPECT_TRUE(editor.HasUnsavedEdits());
    editor.SetNumberFromText(&MotionModel::gasScaleFactor, "0.1");
    EXPECT_EQ(editor.speedText, "60");
    editor.SetNumberFromText(&MotionModel::gasScaleFactor, "");
    EXPECT_EQ(editor.model.gasScaleFactor, 0);
    EXPECT_EQ(editor.speedText, "0");
    editor.SetDescription("no slashes");
    EXPECT_EQ(editor.model.description, "no slashes");
    // Typed back to what was loaded: nothing is unsaved. "//" is what saving adds anyway.
    editor.SetNumberFromText(&MotionModel::mass, "0.");
    editor.SetDescription("//");
    EXPECT_FALSE(editor.HasUnsavedEdits());
}

}  // namespace
