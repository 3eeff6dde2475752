// The window logic against a fake view: the pull, the handlers, Enter and Escape with
// the close question, Help, and the calculator.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeWindow.h"
#include "TestFolder.h"
#include "editor/ControlIds.h"
#include "editor/EditorController.h"
#include "editor/InertiaController.h"
#include "model/Numbers.h"
#include "pack/PackTestSupport.h"

namespace zrb {
namespace {

using ::testing::ElementsAre;
using testing::FakeWindow;
using ::testing::Pair;
using testing::TestFolder;

class EditorControllerTest : public ::testing::Test {
  protected:
    EditorControllerTest() : controller(view, "/start") {
        view.labels = {{ids::kMass, "Object's Mass:"}, {ids::kBumpyFactor, "Bumpy Factor:"}};
        controller.OnShow();
    }

    // Every number box holds "7" but `id`, which holds `text`.
    void FillBoxes(int id, const std::string& text) {
        for (const Binding& b : EditorBindings()) {
            if (b.kind == BoxKind::Number) {
                view.boxes[b.id] = b.id == id ? text : "7";
            }
        }
    }

    FakeWindow view;
    EditorController controller;
};

struct PullCase {
    std::string text;
    bool accepted;
    double value;
};

void PrintTo(const PullCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class PullTest : public EditorControllerTest, public ::testing::WithParamInterface<PullCase> {};

TEST_P(PullTest, APlainNumberOrThePromptWithTheBoxSelected) {
    const PullCase& c = GetParam();
    controller.editor().model.mass = -1;
    FillBoxes(ids::kMass, c.text);
    EXPECT_EQ(controller.BoxesToModel(), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(controller.editor().model.mass, c.value);
        EXPECT_TRUE(view.messages.empty());
        EXPECT_FALSE(view.focused);
    } else {
        EXPECT_EQ(controller.editor().model.mass, -1);
        EXPECT_THAT(view.messages, ElementsAre(Pair("Object's Mass: please enter a number.",
                                                    MessageIcon::Warning)));
        EXPECT_EQ(view.focused, ids::kMass);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PullTest,
    ::testing::Values(PullCase{"", false, 0}, PullCase{"-", false, 0}, PullCase{".", false, 0},
                      PullCase{"-0", false, 0}, PullCase{".0", false, 0}, PullCase{"0", true, 0},
                      PullCase{"0.", true, 0}, PullCase{" 12 ", true, 12},
                      PullCase{"12abc", false, 0}, PullCase{"1,5", false, 0},
                      // Only the first 31 characters count.
                      PullCase{"1.00000000000000000000000000000abcdefghij", true, 1},
                      PullCase{"1234567890123456789012345678901234567890", true,
                               1234567890123456789012345678901e0}));

TEST_F(EditorControllerTest, ThePullStopsAtTheFirstBadBoxInBindingOrder) {
    // Bumpy factor comes second in the exchange, mass ninth.
    FillBoxes(ids::kMass, "x");
    view.boxes[ids::kBumpyFactor] = "y";
    view.boxes[ids::kMaxAccel] = "0.5";
    view.boxes[ids::kDescription] = "//new";
    EXPECT_FALSE(controller.BoxesToModel());
    EXPECT_THAT(view.messages,
                ElementsAre(Pair("Bumpy Factor: please enter a number.", MessageIcon::Warning)));
    EXPECT_EQ(view.focused, ids::kBumpyFactor);
    EXPECT_EQ(controller.editor().model.maxAccel, 0.5);    // before it: pulled
    EXPECT_EQ(controller.editor().model.description, "");  // after it: kept
}

TEST_F(EditorControllerTest, EditsGoToTheirFieldsAndTheGasBoxUpdatesTheSpeed) {
    EXPECT_FALSE(controller.editor().HasUnsavedEdits());
    controller.OnBoxEdited(ids::kGasScaleFactor, "0.5");
    EXPECT_EQ(controller.editor().model.gasScaleFactor, 0.5);
    EXPECT_EQ(view.boxes[ids::kSpeed], SpeedText(0.5));
    controller.OnBoxEdited(ids::kMass, "12abc");  // the handler converts as the reader does
    EXPECT_EQ(controller.editor().model.mass, 12);
    controller.OnBoxEdited(ids::kDescription, "//van");
    EXPECT_EQ(controller.editor().model.description, "//van");
    EXPECT_TRUE(controller.editor().HasUnsavedEdits());
    // The read-only speed box has no handler.
    const MotionModel before = controller.editor().model;
    controller.OnBoxEdited(ids::kSpeed, "999");
    EXPECT_EQ(controller.editor().model, before);
}

struct CloseCase {
    const char* what;
    bool edited;
    bool enter;
    std::vector<bool> answers;
    std::optional<bool> ended;
    std::size_t questions;
};

void PrintTo(const CloseCase& c, std::ostream* out) {
    *out << c.what;
}

class CloseTest : public EditorControllerTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseTest, UnsavedEditsAreAskedAboutFirst) {
    const CloseCase& c = GetParam();
    FillBoxes(0, "");
    view.boxes[ids::kDescription] = "//x";
    if (c.edited) {
        controller.OnBoxEdited(ids::kDescription, "//x");
    }
    view.yesNoAnswers.assign(c.answers.begin(), c.answers.end());
    c.enter ? controller.OnOk() : controller.OnCancel();
    EXPECT_EQ(view.ended, c.ended);
    ASSERT_EQ(view.questions.size(), c.questions);
    if (c.questions > 0) {
        EXPECT_EQ(view.questions[0], "Discard the unsaved changes to the model?");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CloseTest,
    ::testing::Values(CloseCase{"no edits, Escape", false, false, {}, false, 0},
                      CloseCase{"no edits, Enter", false, true, {}, true, 0},
                      CloseCase{"edits, Escape, No", true, false, {false}, std::nullopt, 1},
                      CloseCase{"edits, Escape, Yes", true, false, {true}, false, 1},
                      CloseCase{"edits, Enter, Yes", true, true, {true}, true, 1}));

TEST_F(EditorControllerTest, EnterWithABadBoxNeitherAsksNorCloses) {
    FillBoxes(ids::kMass, "heavy");
    controller.OnBoxEdited(ids::kMass, "heavy");
    controller.OnOk();
    EXPECT_FALSE(view.ended);
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(view.focused, ids::kMass);
}

TEST_F(EditorControllerTest, TheCalculatorGetsTheMassAndItsResultIsAnEdit) {
    controller.editor().model.mass = 1234;
    view.inertiaAnswer = std::nullopt;  // cancelled
    controller.OnCommand(ids::kCalculateInertia);
    EXPECT_FALSE(controller.editor().HasUnsavedEdits());
    view.inertiaAnswer = 780;
    controller.OnCommand(ids::kCalculateInertia);
    EXPECT_THAT(view.calculatorMasses, ElementsAre(1234, 1234));
    EXPECT_EQ(controller.editor().model.momentOfInertia, 780);
    EXPECT_EQ(view.boxes[ids::kMomentOfInertia], "780");
    EXPECT_TRUE(controller.editor().HasUnsavedEdits());
}

TEST(EditorHelpTest, OpensTheStartFoldersPageOrSaysWhyNot) {
    TestFolder start;
    FakeWindow view;
    EditorController controller(view, start.path());
    controller.OnCommand(ids::kHelp);
    EXPECT_TRUE(view.openedDocuments.empty());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first,
              "The help page was not found. It is looked for in the folder the program was "
              "started from:\n" +
                  (start / "Help.htm"));

    testing::WriteBytes(start / "Help.htm", "<html></html>");
    view.openSucceeds = false;
    controller.OnCommand(ids::kHelp);
    EXPECT_THAT(view.openedDocuments, ElementsAre(start / "Help.htm"));
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_THAT(view.messages[1].first, ::testing::HasSubstr("no program to show web pages"));
}

// --- the calculator -----------------------------------------------------------------

TEST(InertiaEstimateTest, TheProductInItsOrderGivesTheSameDoubleEverywhere) {
    const struct {
        double mass, width, product;
    } cases[] = {{1234, 1.9, 779.5794999999999},
                 {1500, 1.8, 850.5},
                 {1, 1, 0.175},
                 {1000, -2, 700},
                 {-1000, 2, -700},
                 {0, 12, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(InertiaEstimate(c.mass, c.width), c.product) << c.mass << " " << c.width;
    }
}

struct InertiaCase {
    double mass;
    std::string width;
    std::string shown;  // box 1008 after the edit
    double result;      // what OK returns
};

void PrintTo(const InertiaCase& c, std::ostream* out) {
    *out << c.mass << " kg, " << c.width << " m";
}

class InertiaTest : public ::testing::TestWithParam<InertiaCase> {};

TEST_P(InertiaTest, ShowsTheRoundedProductAndOkReturnsIt) {
    const InertiaCase& c = GetParam();
    FakeWindow view;
    InertiaController calculator(view, c.mass);
    calculator.OnShow();
    EXPECT_EQ(view.boxes[ids::kInertiaResult], "0");
    EXPECT_EQ(view.boxes[ids::kWidth], "0");
    view.boxes[ids::kWidth] = c.width;
    calculator.OnWidthEdited();
    EXPECT_EQ(view.boxes[ids::kInertiaResult], c.shown);
    calculator.OnOk();
    EXPECT_EQ(view.ended, true);
    EXPECT_EQ(calculator.inertia, c.result);
    EXPECT_TRUE(view.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InertiaTest,
    ::testing::Values(InertiaCase{1234, "1.9", "780", 780},  // 779.5795 rounded
                      InertiaCase{1500, "1.8", "850", 850},  // 850.5: a tie goes to even
                      InertiaCase{1000, "-2", "700", 700}, InertiaCase{-1, "1", "0", 0},
                      InertiaCase{1, "1", "0", 0}));

TEST(InertiaControllerTest, ABadWidthIsReportedAndTheLastGoodOneCounts) {
    FakeWindow view;
    view.labels = {{ids::kWidth, "How wide is this object, approximately?"}};
    InertiaController calculator(view, 1000);
    calculator.OnShow();
    view.boxes[ids::kWidth] = "2";
    calculator.OnWidthEdited();
    view.boxes[ids::kWidth] = "2m";
    calculator.OnWidthEdited();
    EXPECT_THAT(view.messages,
                ElementsAre(Pair("How wide is this object, approximately: please enter a number.",
                                 MessageIcon::Warning)));
    EXPECT_EQ(view.focused, ids::kWidth);
    EXPECT_EQ(view.boxes[ids::kInertiaResult], "700");
    calculator.OnCancel();
    EXPECT_EQ(view.ended, false);
}

}  // namespace
}  // namespace zrb

namespace zrb {
namespace {

// Pack commands start their script and return; the window watches it, refuses a second
// pack into the same folder meanwhile, and says what the pack came to once it ends.
TEST(ControllerPackTest, OnePackAtATimeAndItsOutcomeOnceItEnds) {
    TestFolder root;
    const std::string start = root / "start";
    const std::string models = root / "models";
    const std::string archive = root / "archive";
    for (const std::string& folder : {start, models, archive}) {
        std::filesystem::create_directories(folder);
    }
    testing::WriteBytes(JoinPath(start, "sqzip.exe"), "archiver");
    for (const std::string name : {"a.zrb", "b.zrb"}) {
        testing::WriteBytes(JoinPath(models, name), "//" + name + "\r\n");
    }
    FakeWindow view;
    view.SetList({"a.zrb", "b.zrb"});
    EditorController controller(view, start);
    packtest::RecordingLauncher launcher;
    controller.UseScriptLauncher(launcher);
    ModelWorkspace& workspace = controller.editor().workspace;
    workspace.modelsFolder = models;
    workspace.currentFile = "a.zrb";
    workspace.archiveFolder = archive;
    workspace.archiveFile = "vehicles.sqs";

    controller.OnCommand(ids::kPackAll);
    ASSERT_EQ(launcher.launches.size(), 1u);
    ASSERT_EQ(view.watched.size(), 1u);
    const int first = view.watched[0].id;
    EXPECT_EQ(view.watched[0].models, (std::vector<std::string>{"a.zrb", "b.zrb"}));
    EXPECT_TRUE(controller.PacksRunning());
    EXPECT_THAT(view.packStatuses, ::testing::Contains(::testing::HasSubstr("into vehicles.sqs")));

    // The same folder by another path is the same folder.
    workspace.archiveFolder = JoinPath(models, "../archive");
    controller.OnCommand(ids::kPackSelected);
    EXPECT_EQ(launcher.launches.size(), 1u);
    EXPECT_THAT(view.Warnings(),
                ElementsAre("A pack into \"" + workspace.archiveFolder +
                            "\" is still running. Wait until it has ended, then pack again."));
    view.messages.clear();

#ifndef _WIN32
    // The runner reports both models packed, and has ended.
    testing::WriteBytes(JoinPath(archive, "Install_ZRB.result"),
                        "start\ncall\t0\t\t.\\\\SQZIP\t-a\t-f\ta.zrb\t.\\\\vehicles.sqs\n"
                        "call\t0\t\t.\\\\SQZIP\t-a\t-f\tb.zrb\t.\\\\vehicles.sqs\nend\n");
    for (const char* name : {"a.zrb", "b.zrb"}) {
        std::filesystem::remove(JoinPath(archive, name));  // as the script's DEL lines do
    }
    const std::string expected =
        "Packed 2 models into vehicles.sqs.\n\nArchiver: sqzip.exe "
        "copied from " +
        start + ".";
    const MessageIcon icon = MessageIcon::None;
#else
    // Nothing ran: the archive was never made and the copies are still there.
    const std::string expected =
        "The pack script for vehicles.sqs has ended. The archive does not exist: no model was "
        "packed.\n\nThese model copies were left in " +
        archive +
        ", so they were not packed: a.zrb, b.zrb.\n\nThe archiver's words were in "
        "the script's window.\n\nArchiver: sqzip.exe copied from " +
        start + ".";
    const MessageIcon icon = MessageIcon::Warning;
#endif
    controller.OnPackEnded(first + 1000);  // not a pack of this window
    EXPECT_TRUE(view.messages.empty());
    controller.OnPackEnded(first);
    EXPECT_THAT(view.messages, ElementsAre(::testing::Pair(expected, icon)));
    EXPECT_FALSE(controller.PacksRunning());
    EXPECT_EQ(view.packStatuses.back(), "");
    // Our helper files went with the known outcome; the archive folder holds no more of
    // ours than the model copies the script had not removed.
    for (const char* name : {"sqzip.exe", "Install_ZRB.bat", "Install_ZRB.result"}) {
        EXPECT_FALSE(std::filesystem::exists(JoinPath(archive, name))) << name;
    }
    controller.OnPackEnded(first);  // once only
    EXPECT_EQ(view.messages.size(), 1u);

    // Once it has ended, the folder takes the next pack.
    controller.OnCommand(ids::kPackSelected);
    EXPECT_EQ(launcher.launches.size(), 2u);
    EXPECT_TRUE(controller.PacksRunning());
}

}  // namespace
}  // namespace zrb
