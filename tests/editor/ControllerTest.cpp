// The window logic against a fake view: the pull, the handlers, Enter and Escape with
// the close question, Help, and the calculator.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeWindow.h"
#include "TestFolder.h"
#include "WorkedExample.h"
#include "editor/ControlIds.h"
#include "editor/EditorController.h"
#include "editor/InertiaController.h"
#include "model/Numbers.h"
#include "pack/PackTestSupport.h"
#include "platform/Platform.h"

namespace zrb {
namespace {

using ::testing::ElementsAre;
using testing::FakeWindow;
using ::testing::Pair;
using testing::TestFolder;
using testing::With;

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

// The file's order: with a bad box anywhere in it, the boxes before it are taken and the
// fields after it keep their values.
TEST_F(EditorControllerTest, ThePullTakesTheBoxesInTheFilesOrderUpToABadOne) {
    const int order[] = {ids::kMaxAccel,        ids::kBumpyFactor,     ids::kDescription,
                         ids::kKineticFriction, ids::kStaticFriction,  ids::kGasScaleFactor,
                         ids::kHorsePower,      ids::kMomentOfInertia, ids::kMass,
                         ids::kRestitution,     ids::kMaxTurnRate,     ids::kTurnTightness};
    for (const int bad : order) {
        if (bad == ids::kDescription) {
            continue;  // any text is a description
        }
        SCOPED_TRACE(bad);
        MotionModel& model = controller.editor().model;
        for (const Binding& b : EditorBindings()) {
            if (b.kind == BoxKind::Number) {
                model.*b.field = 1;
            }
        }
        model.description = "//old";
        FillBoxes(bad, "-0");
        view.boxes[ids::kDescription] = "//new";
        EXPECT_FALSE(controller.BoxesToModel());
        bool before = true;
        for (const int id : order) {
            before = before && id != bad;
            for (const Binding& b : EditorBindings()) {
                if (b.id == id && b.kind == BoxKind::Number) {
                    EXPECT_EQ(model.*b.field, before ? 7 : 1) << id;
                }
            }
            if (id == ids::kDescription) {
                EXPECT_EQ(model.description, before ? "//new" : "//old");
            }
        }
    }
}

TEST_F(EditorControllerTest, EditsGoToTheirFieldsAndTheGasBoxUpdatesTheSpeed) {
    EXPECT_FALSE(controller.editor().HasUnsavedEdits());
    controller.OnBoxEdited(ids::kGasScaleFactor, "0.5");
    EXPECT_EQ(controller.editor().model.gasScaleFactor, 0.5);
    EXPECT_EQ(view.boxes[ids::kSpeed], SpeedText(0.5));
    controller.OnBoxEdited(ids::kGasScaleFactor, "-0.5x");
    EXPECT_EQ(controller.editor().model.gasScaleFactor, -0.5);
    EXPECT_EQ(view.boxes[ids::kSpeed], "-300");
    controller.OnBoxEdited(ids::kGasScaleFactor, "");
    EXPECT_EQ(controller.editor().model.gasScaleFactor, 0);
    EXPECT_EQ(view.boxes[ids::kSpeed], "0");
    EXPECT_EQ(controller.editor().speedText, "0");
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
    // The boxes show the model, as the handlers keep them; the edit is the description.
    FillBoxes(ids::kMass, "0");
    for (auto& [id, text] : view.boxes) {
        text = "0";
    }
    view.boxes[ids::kDescription] = c.edited ? "//x" : "";
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
    controller.OnBoxEdited(ids::kMass, "1234");
    controller.OnBoxEdited(ids::kMass, "0");  // typed back: no edit
    controller.editor().model.mass = 1234;    // as if loaded
    view.inertiaAnswer = std::nullopt;        // cancelled
    controller.OnCommand(ids::kCalculateInertia);
    EXPECT_EQ(controller.editor().model.momentOfInertia, 0);
    view.inertiaAnswer = 780;
    controller.OnCommand(ids::kCalculateInertia);
    EXPECT_THAT(view.calculatorMasses, ElementsAre(1234, 1234));
    EXPECT_EQ(controller.editor().model.momentOfInertia, 780);
    EXPECT_EQ(view.boxes[ids::kMomentOfInertia], "780");
    EXPECT_TRUE(controller.editor().HasUnsavedEdits());
}

// A model read differently from its file: what the strip above the boxes says, which
// boxes are marked, what saving asks, and what either save writes on each answer.
struct LoadCase {
    const char* what;
    std::string file;  // b.zrb, loaded after a.zrb (the worked example)
    std::string strip;
    std::vector<int> marked;
    std::string question;  // empty: none
    MotionModel written;   // before the user's horsepower of 120
    std::string typedDescription = {};
    int typedId = 0;  // a box the user types into besides, with `typedText`
    std::string typedText = {};
};

void PrintTo(const LoadCase& c, std::ostream* out) {
    *out << c.what;
}

MotionModel Van() {
    return With(testing::ExampleModel("//Van", 9500), &MotionModel::bumpyFactor, 0.5);
}

std::string VanFile(std::string_view from = {}, std::string_view to = {}) {
    std::string bytes = ModelFileBytes(Van(), ModelFileVariant::SaveChanges);
    if (!from.empty()) {
        bytes.replace(bytes.find(from), from.size(), to);
    }
    return bytes;
}

class LoadFindingsTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadFindingsTest, StripMarksQuestionAndWhatIsWritten) {
    const LoadCase& c = GetParam();
    for (const bool saveAsNew : {false, true}) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(saveAsNew ? "Save As New" : "Save Changes") +
                         (yes ? ", Yes" : ", No"));
            TestFolder folder;
            FakeWindow view;
            EditorController controller(view, "/start");
            testing::WriteBytes(folder / "a.zrb", ModelFileBytes(testing::WorkedExample(),
                                                                 ModelFileVariant::SaveChanges));
            testing::WriteBytes(folder / "b.zrb", c.file);
            view.AnswerNextDialog(folder / "a.zrb");
            controller.OnCommand(ids::kOpenMotionModel);
            ASSERT_EQ(view.fileWarning, "");
            view.selection = 1;
            controller.OnSelectionChanged();

            EXPECT_EQ(view.fileWarning, c.strip);
            std::vector<int> marked;
            for (const auto& [id, tooltip] : view.marks) {
                marked.push_back(id);
                // The note first, then what the box is for.
                EXPECT_NE(tooltip.find(EditorBoxTooltip(id)), std::string::npos) << id;
                EXPECT_NE(tooltip.find(".\n\n"), std::string::npos) << id;
            }
            EXPECT_EQ(marked, c.marked);

            view.boxes[ids::kHorsePower] = "120";
            controller.OnBoxEdited(ids::kHorsePower, "120");
            if (!c.typedDescription.empty()) {
                view.boxes[ids::kDescription] = c.typedDescription;
                controller.OnBoxEdited(ids::kDescription, c.typedDescription);
            }
            if (c.typedId != 0) {
                view.boxes[c.typedId] = c.typedText;
                controller.OnBoxEdited(c.typedId, c.typedText);
            }
            const std::string target = folder / (saveAsNew ? "new.zrb" : "b.zrb");
            if (saveAsNew) {
                view.AnswerNextDialog(target);
            }
            view.yesNoAnswers = {yes};
            controller.OnCommand(saveAsNew ? ids::kSaveAsNew : ids::kSaveChanges);

            const bool writes = c.question.empty() || yes;
            EXPECT_EQ(view.questions, c.question.empty() ? std::vector<std::string>{}
                                                         : std::vector<std::string>{c.question});
            const ModelFileVariant variant =
                saveAsNew ? ModelFileVariant::SaveAsNew : ModelFileVariant::SaveChanges;
            const std::string expected =
                writes ? ModelFileBytes(With(c.written, &MotionModel::horsePower, 120), variant)
                       : (saveAsNew ? "" : c.file);
            EXPECT_EQ(testing::ReadBytes(target), expected);
            EXPECT_EQ(view.OtherMessages(), writes ? std::vector<std::string>{"Changes saved"}
                                                   : std::vector<std::string>{});
            // Saved, the file holds what the boxes show (Save As New shows the new file as
            // read back, a long description cut); not saved, all stays as it was.
            const bool readBackCut = saveAsNew && writes && c.written.description.size() > 1023;
            EXPECT_EQ(view.fileWarning,
                      readBackCut ? "Line 1: the description is 1102 characters long; the reader "
                                    "keeps only the first 1023 and reads the rest as further "
                                    "lines."
                                  : (writes ? "" : c.strip));
            EXPECT_EQ(view.marks.size(), readBackCut ? 1u : (writes ? 0u : c.marked.size()));
            EXPECT_FALSE(view.waitCursor);
            if (!c.typedDescription.empty() && !(saveAsNew && writes)) {
                EXPECT_EQ(view.boxes[ids::kDescription], c.typedDescription);
            }
        }
    }
}

const std::string kCarried =
    ": their boxes show the values carried over from the model shown before.";

INSTANTIATE_TEST_SUITE_P(
    Files, LoadFindingsTest,
    ::testing::Values(
        LoadCase{"clean", VanFile(), "", {}, "", Van()},
        LoadCase{"value cut by its column",
                 VanFile(".mass\t\t\t\t\t", ".mass\t"),
                 "The file's .mass line says 9500.00, but the editor reads 0.",
                 {ids::kMass},
                 "The file's .mass line says 9500.00, but the editor reads 0. Save anyway?",
                 With(Van(), &MotionModel::mass, 0)},
        // The file's 1252 bytes reach the window as UTF-8.
        LoadCase{"value with a 1252 character",
                 VanFile("9500.00",
                         "95\x80"
                         "00"),
                 "The file's .mass line says 95\xE2\x82\xAC"
                 "00, but the editor reads 95.",
                 {ids::kMass},
                 "The file's .mass line says 95\xE2\x82\xAC"
                 "00, but the editor reads 95. Save "
                 "anyway?",
                 With(Van(), &MotionModel::mass, 95)},
        LoadCase{"two keys missing",
                 VanFile(".bumpyFactor\t\t\t0.5\r\n", "")
                     .erase(VanFile().find(".mass"),
                            std::string_view(".mass\t\t\t\t\t9500.00\r\n").size()),
                 "The file lacks .mass and .bumpyFactor" + kCarried,
                 {ids::kMass, ids::kBumpyFactor},
                 "The file lacks .mass and .bumpyFactor" + kCarried + " Save anyway?",
                 With(With(Van(), &MotionModel::mass, 950), &MotionModel::bumpyFactor, 0.1)},
        LoadCase{"cut value and repeated key",
                 VanFile(".mass\t\t\t\t\t", ".mass\t") + ".maxAccel\t\t\t\t0.6\r\n",
                 "Line 10: .maxAccel is repeated on line 19; the reader keeps only the last "
                 "value. The file's .mass line says 9500.00, but the editor reads 0.",
                 {ids::kMass, ids::kMaxAccel},
                 "Line 10: .maxAccel is repeated on line 19; the reader keeps only the last "
                 "value.\nThe file's .mass line says 9500.00, but the editor reads 0.\n\nSave "
                 "anyway?",
                 With(With(Van(), &MotionModel::mass, 0), &MotionModel::maxAccel, 0.6)},
        LoadCase{"empty file",
                 "",
                 "The file lacks every key: the boxes show the values carried over from the "
                 "model shown before.",
                 {ids::kMass, ids::kHorsePower, ids::kGasScaleFactor, ids::kMaxAccel,
                  ids::kMaxTurnRate, ids::kTurnTightness, ids::kMomentOfInertia, ids::kBumpyFactor,
                  ids::kStaticFriction, ids::kKineticFriction, ids::kRestitution},
                 // Horsepower, typed by the user, is no longer carried over.
                 "The file lacks .gasScaleFactor, .maxTurnRate, .maxAccel, .turnTightness, "
                 ".mass, .coeffStaticFriction, .coeffKineticFriction, .coefficientOfRestitution, "
                 ".momentOfInertia and .bumpyFactor: their boxes show the values carried over "
                 "from the model shown before. Save anyway?",
                 [] {
                     MotionModel m = testing::WorkedExample();
                     m.description = "//";
                     return m;
                 }()},
        // The user has typed the mass the line meant: only the other line is asked about.
        LoadCase{"cut value typed over, repeated key left",
                 VanFile(".mass\t\t\t\t\t", ".mass\t") + ".maxAccel\t\t\t\t0.6\r\n",
                 "Line 10: .maxAccel is repeated on line 19; the reader keeps only the last "
                 "value. The file's .mass line says 9500.00, but the editor reads 0.",
                 {ids::kMass, ids::kMaxAccel},
                 "Line 10: .maxAccel is repeated on line 19; the reader keeps only the last "
                 "value. Save anyway?",
                 With(Van(), &MotionModel::maxAccel, 0.6),
                 "",
                 ids::kMass,
                 "9500"},
        LoadCase{"missing key typed in",
                 VanFile(".bumpyFactor\t\t\t0.5\r\n", ""),
                 "The file lacks .bumpyFactor: its box shows the value carried over from the "
                 "model shown before.",
                 {ids::kBumpyFactor},
                 "",
                 Van(),
                 "",
                 ids::kBumpyFactor,
                 "0.5"},
        LoadCase{"description too long to be read back",
                 VanFile(),
                 "",
                 {},
                 "The description is 1102 characters long. The file keeps all of it, but the "
                 "next time the model is loaded only its first 1023 characters are read. Save "
                 "anyway?",
                 [] {
                     MotionModel m = Van();
                     m.description = "//" + std::string(1100, 'd');
                     return m;
                 }(),
                 std::string(1100, 'd')},
        LoadCase{"description of 1023 characters",
                 VanFile(),
                 "",
                 {},
                 "",
                 [] {
                     MotionModel m = Van();
                     m.description = "//" + std::string(1021, 'd');
                     return m;
                 }(),
                 "//" + std::string(1021, 'd')}));

TEST(CharactersLeftOutTest, NamesEachCharacterOnceInUtf8) {
    FakeWindow view;
    EditorController controller(view, "/start");
    controller.OnCharactersLeftOut(ids::kDescription, U"\u2192\U0001F600\u2192");
    controller.OnCharactersLeftOut(ids::kDescription, U"");
    controller.OnCharactersLeftOut(ids::kDescription,
                                   U"\u0100\u0101\u0102\u0103\u0104\u0105\u0106\u0107\u0108\u0109");
    EXPECT_EQ(view.Warnings(),
              (std::vector<std::string>{
                  "A motion model file holds only the characters of Windows-1252, so the "
                  "description leaves out \"\xE2\x86\x92\" (U+2192), \"\xF0\x9F\x98\x80\" "
                  "(U+1F600). The rest of the text is kept.",
                  "A motion model file holds only the characters of Windows-1252, so the "
                  "description leaves out \"\xC4\x80\" (U+0100), \"\xC4\x81\" (U+0101), "
                  "\"\xC4\x82\" (U+0102), \"\xC4\x83\" (U+0103), \"\xC4\x84\" (U+0104), "
                  "\"\xC4\x85\" (U+0105), \"\xC4\x86\" (U+0106), \"\xC4\x87\" (U+0107) and 2 "
                  "more. The rest of the text is kept."}));
}

// Where Help looks: the start folder first, then the program's own folder.
struct HelpCase {
    const char* name;
    bool inStart, inProgram;
    enum { Apart, Same, Unknown } programFolder;
    const char* opened;  // "start", "program" or "" for the message
};

void PrintTo(const HelpCase& c, std::ostream* out) {
    *out << c.name;
}

class EditorHelpTest : public ::testing::TestWithParam<HelpCase> {};

TEST_P(EditorHelpTest, TheStartFoldersPageThenTheProgramsOrAMessageNamingBoth) {
    const HelpCase& c = GetParam();
    TestFolder start, program;
    const std::string programPath = c.programFolder == HelpCase::Apart  ? program.path()
                                    : c.programFolder == HelpCase::Same ? start.path() + "/."
                                                                        : std::string();
    if (c.inStart) {
        testing::WriteBytes(start / "Help.htm", "<html></html>");
    }
    if (c.inProgram) {
        testing::WriteBytes(program / "Help.htm", "<html></html>");
    }
    FakeWindow view;
    EditorController controller(view, start.path(), programPath);
    controller.OnCommand(ids::kHelp);
    if (std::string(c.opened) == "start") {
        EXPECT_THAT(view.openedDocuments, ElementsAre(start / "Help.htm"));
    } else if (std::string(c.opened) == "program") {
        EXPECT_THAT(view.openedDocuments, ElementsAre(program / "Help.htm"));
    } else {
        EXPECT_TRUE(view.openedDocuments.empty());
        ASSERT_EQ(view.messages.size(), 1u);
        const std::string expected =
            c.programFolder == HelpCase::Apart
                ? "The help page was not found. It is looked for in the folder the program "
                  "was started from, then in the program's own folder:\n" +
                      (start / "Help.htm") + "\n" + (program / "Help.htm")
                : "The help page was not found. It is looked for in the folder the program "
                  "was started from:\n" +
                      (start / "Help.htm");
        EXPECT_EQ(view.messages[0].first, expected);
        return;
    }
    EXPECT_TRUE(view.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Places, EditorHelpTest,
    ::testing::Values(HelpCase{"StartOnly", true, false, HelpCase::Apart, "start"},
                      HelpCase{"StartBeforeProgram", true, true, HelpCase::Apart, "start"},
                      HelpCase{"ProgramOnly", false, true, HelpCase::Apart, "program"},
                      HelpCase{"Neither", false, false, HelpCase::Apart, ""},
                      HelpCase{"NeitherStartedInTheProgramsFolder", false, false, HelpCase::Same,
                               ""},
                      HelpCase{"NeitherProgramFolderUnknown", false, false, HelpCase::Unknown, ""}),
    [](const ::testing::TestParamInfo<HelpCase>& info) { return std::string(info.param.name); });

// Started in a folder the user cannot write (the install folder), the first file dialogs
// open in the home folder instead; once a model is open, in the models folder.
TEST(FirstDialogFolderTest, TheHomeFolderWhenTheStartFolderCannotBeWritten) {
    TestFolder start, models;
    testing::WriteBytes(models / "a.zrb",
                        ModelFileBytes(testing::WorkedExample(), ModelFileVariant::SaveChanges));
    // A folder that has gone cannot be written, also by root, who may write anywhere else.
    for (const bool unwritable : {true, false}) {
        SCOPED_TRACE(unwritable ? "an unwritable start folder" : "a writable start folder");
        FakeWindow view;
        EditorController controller(view, unwritable ? start / "gone" : start.path());
        view.dialogAnswers.push_back({true, models / "a.zrb", "a.zrb"});
        controller.OnCommand(ids::kOpenMotionModel);
        controller.OnCommand(ids::kSaveAsNew);
        ASSERT_EQ(view.dialogRequests.size(), 2u);
        EXPECT_EQ(view.dialogRequests[0].initialFolder, unwritable ? HomeFolder() : "");
        EXPECT_EQ(view.dialogRequests[1].initialFolder, models.path());
    }
}

TEST(HelpPageTest, APageNoProgramCanShowIsReported) {
    TestFolder start;
    testing::WriteBytes(start / "Help.htm", "<html></html>");
    FakeWindow view;
    EditorController controller(view, start.path());
    view.openSucceeds = false;
    controller.OnCommand(ids::kHelp);
    EXPECT_THAT(view.openedDocuments, ElementsAre(start / "Help.htm"));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0].first, ::testing::HasSubstr("no program to show web pages"));
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
                      InertiaCase{1000, "-2", "700", 700}, InertiaCase{-1000, "2", "-700", -700},
                      InertiaCase{0, "3.5", "0", 0}, InertiaCase{1000, " 2 ", "700", 700},
                      InertiaCase{800, "1.6", "358", 358}, InertiaCase{-1, "1", "0", 0},
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

// The controller on a folder of a.zrb, b.zrb and c.zrb, with a.zrb loaded.
class EditorFolderTest : public EditorControllerTest {
  protected:
    void SetUp() override {
        for (const auto& [name, mass] : {std::pair{"a.zrb", 100}, {"b.zrb", 200}, {"c.zrb", 300}}) {
            MotionModel model = testing::ExampleModel(std::string("//") + name, mass);
            ASSERT_TRUE(WriteModelFile(folder / name, model, ModelFileVariant::SaveChanges));
        }
        original = testing::ReadBytes(folder / "a.zrb");
        view.AnswerNextDialog(folder / "a.zrb");
        controller.OnCommand(ids::kOpenMotionModel);
        // The boxes as the window shows them, then one edit typed.
        controller.ModelToBoxes();
        view.boxes[ids::kMass] = "5";
        controller.OnBoxEdited(ids::kMass, "5");
        view.log.clear();
    }

    TestFolder folder;
    std::string original;  // a.zrb as loaded
};

struct DiscardCase {
    const char* what;
    int select;
    bool edited;
    std::vector<bool> answers;
    std::string current;  // the model shown afterwards
    int selection;
    std::size_t questions;
};

void PrintTo(const DiscardCase& c, std::ostream* out) {
    *out << c.what;
}

class DiscardTest : public EditorFolderTest, public ::testing::WithParamInterface<DiscardCase> {};

TEST_P(DiscardTest, AnotherListEntryAsksFirstAndNoPutsTheSelectionBack) {
    const DiscardCase& c = GetParam();
    if (!c.edited) {
        controller.OnBoxEdited(ids::kMass, "100");  // typed back
    }
    view.yesNoAnswers.assign(c.answers.begin(), c.answers.end());
    view.ListSelect(c.select);  // the user's click
    controller.OnSelectionChanged();
    EXPECT_EQ(controller.editor().workspace.currentFile, c.current);
    EXPECT_EQ(view.selection, c.selection);
    ASSERT_EQ(view.questions.size(), c.questions);
    if (c.questions > 0) {
        EXPECT_EQ(view.questions[0], "Discard the unsaved changes to a.zrb?");
    }
    EXPECT_EQ(controller.editor().HasUnsavedEdits(), c.current == "a.zrb" && c.edited);
    EXPECT_EQ(testing::ReadBytes(folder / "a.zrb"), original);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiscardTest,
    ::testing::Values(DiscardCase{"typed back, no question", 2, false, {}, "c.zrb", 2, 0},
                      DiscardCase{"edited, Yes", 2, true, {true}, "c.zrb", 2, 1},
                      DiscardCase{"edited, No (Escape)", 2, true, {false}, "a.zrb", 0, 1},
                      DiscardCase{"edited, the same entry", 0, true, {}, "a.zrb", 0, 0}));

TEST_F(EditorFolderTest, OpenAndReloadAskBeforeDroppingEdits) {
    // No: no file dialog, nothing read.
    controller.OnCommand(ids::kOpenMotionModel);
    controller.OnCommand(ids::kReload);
    EXPECT_EQ(view.dialogRequests.size(), 1u);  // the one that opened the folder
    EXPECT_EQ(view.questions.size(), 2u);
    EXPECT_EQ(controller.editor().model.mass, 5);
    // Yes: read again from the disk.
    view.yesNoAnswers = {true};
    controller.OnCommand(ids::kReload);
    EXPECT_EQ(controller.editor().model.mass, 100);
    EXPECT_EQ(view.boxes[ids::kMass], "100");
    EXPECT_FALSE(controller.editor().HasUnsavedEdits());
}

struct PackAskCase {
    const char* what;
    int command;
    bool edited;
    std::optional<int> choice;  // none: the default
    bool asked;
    bool saved;   // a.zrb holds the edit
    bool packed;  // the pack command ran
};

void PrintTo(const PackAskCase& c, std::ostream* out) {
    *out << c.what;
}

class PackAskTest : public EditorFolderTest, public ::testing::WithParamInterface<PackAskCase> {};

TEST_P(PackAskTest, UnsavedEditsAreSavedPackedAsSavedOrNothingHappens) {
    const PackAskCase& c = GetParam();
    if (!c.edited) {
        controller.OnBoxEdited(ids::kMass, "100");
        view.boxes[ids::kMass] = "100";
    }
    if (c.choice) {
        view.choices = {*c.choice};
    }
    controller.OnCommand(c.command);
    ASSERT_EQ(view.asked.size(), c.asked ? 1u : 0u);
    if (c.asked) {
        EXPECT_THAT(view.asked[0].answers,
                    ElementsAre("&Save and Pack", "&Pack Saved File", "Cancel"));
        EXPECT_EQ(view.asked[0].defaultAnswer, 2);
    }
    const std::string bytes = testing::ReadBytes(folder / "a.zrb");
    EXPECT_EQ(bytes != original, c.saved);
    EXPECT_EQ(bytes.find("5.00\r\n") != std::string::npos, c.saved);
    // No archive is defined, so a pack that runs stops at once with a warning.
    EXPECT_EQ(!view.Warnings().empty(), c.packed);
    EXPECT_EQ(view.OtherMessages(),
              c.saved ? std::vector<std::string>{"Changes saved"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackAskTest,
    ::testing::Values(
        PackAskCase{"selected, unedited", ids::kPackSelected, false, {}, false, false, true},
        PackAskCase{"selected, default", ids::kPackSelected, true, {}, true, false, false},
        PackAskCase{"selected, Save and Pack", ids::kPackSelected, true, 0, true, true, true},
        PackAskCase{"selected, Pack Saved File", ids::kPackSelected, true, 1, true, false, true},
        PackAskCase{"all, Save and Pack", ids::kPackAll, true, 0, true, true, true},
        PackAskCase{"all, Cancel", ids::kPackAll, true, 2, true, false, false}));

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
