// The fleet overview's logic against a fake view: reading on its own thread, sort and
// filter together, the marks, opening a model with the unsaved-edits question, compare
// and export.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FakeWindow.h"
#include "TestFolder.h"
#include "WorkedExample.h"
#include "editor/ControlIds.h"
#include "editor/EditorController.h"
#include "editor/FleetChange.h"
#include "editor/FleetOverview.h"
#include "model/ModelNames.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

namespace zrb {
namespace {

using ::testing::ElementsAre;
using testing::FakeWindow;
using ::testing::HasSubstr;
using testing::TestFolder;

constexpr int kMassColumn = kFleetFirstFieldColumn + 4;

class FakeFleetView : public FleetView {
  public:
    int rowsChanged = 0;
    std::string status;
    std::vector<FleetComparison> comparisons;
    std::deque<bool> answers;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    FileDialogAnswer fileAnswer;
    bool closed = false;

    void RowsChanged() override { ++rowsChanged; }
    void SetStatus(const std::string& text) override { status = text; }
    void ShowSortColumn(int, bool) override {}
    void ShowComparison(const FleetComparison& c) override { comparisons.push_back(c); }
    bool AskYesNo(const std::string& question) override {
        questions.push_back(question);
        const bool answer = !answers.empty() && answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    void MessageBox(const std::string& text, MessageIcon) override { messages.push_back(text); }
    FileDialogAnswer FileDialog(const FileDialogRequest&) override { return fileAnswer; }
    void Close() override { closed = true; }
    std::string referenceStatus;
    void SetReferenceStatus(const std::string& text) override { referenceStatus = text; }

    // The change dialog's user: chooses, and answers true for Apply; Cancel when unset.
    std::function<bool(FleetChangeController&)> onChange;
    int timersStarted = 0;

    bool ShowChange(FleetChangeController& change) override { return onChange && onChange(change); }
    void StartTimer() override { ++timersStarted; }

    struct Edit {
        int row;
        int column;
        std::string text;
    };
    std::vector<Edit> edits;  // each time the in-place editor was opened
    std::vector<std::string> history;
    int current = -1;
    std::deque<int> choices;  // the answers to Ask; with none queued, the default
    std::vector<std::string> asked;

    int Ask(const std::string& question, const std::vector<std::string>&,
            int defaultAnswer) override {
        asked.push_back(question);
        if (choices.empty()) {
            return defaultAnswer;
        }
        const int answer = choices.front();
        choices.pop_front();
        return answer;
    }
    void EditCell(int row, int column, const std::string& text) override {
        edits.push_back({row, column, text});
    }
    void ShowCell(int row, int column) override { shownCell = {row, column}; }
    std::pair<int, int> shownCell{-1, -1};
    void ShowHistory(const std::vector<std::string>& lines, int at) override {
        history = lines;
        current = at;
    }
};

// A folder of four models (masses 300, 100, 200 and 0, the last outside the advice) and
// a folder named like a model; the editor has it open with bus.zrb loaded.
class FleetOverviewTest : public ::testing::Test {
  protected:
    FleetOverviewTest() : controller(window, folder.path()), overview(view, controller) {
        const std::pair<const char*, double> masses[] = {
            {"bus.zrb", 300}, {"car.zrb", 100}, {"Truck.zrb", 200}, {"zero.zrb", 0}};
        for (const auto& [name, mass] : masses) {
            MotionModel model = testing::WorkedExample();
            model.mass = mass;
            model.description = std::string("//") + name;
            EXPECT_TRUE(WriteModelFile(folder / name, model, ModelFileVariant::SaveChanges));
        }
        std::filesystem::create_directory(folder / "attic.zrb");
        controller.editor().workspace.modelsFolder = folder.path();
        window.ListAdd(SearchModelFolder(folder.path()));
        window.ListSelect(1);  // bus.zrb
        controller.editor().LoadSelectedModel();
        overview.OnShow();
        while (overview.OnTimer()) {
        }
    }

    std::vector<std::string> ShownNames() const {
        std::vector<std::string> names;
        for (int row = 0; row < overview.RowCount(); ++row) {
            names.push_back(overview.Row(row).name);
        }
        return names;
    }
    int RowOf(const std::string& name) const {
        for (int row = 0; row < overview.RowCount(); ++row) {
            if (overview.Row(row).name == name) {
                return row;
            }
        }
        return -1;
    }

    TestFolder folder;
    FakeWindow window;
    EditorController controller;
    FakeFleetView view;
    FleetOverviewController overview;
};

TEST_F(FleetOverviewTest, ReadsEveryEntryThenSortsAndFiltersTogether) {
    EXPECT_THAT(ShownNames(),
                ElementsAre("attic.zrb", "bus.zrb", "car.zrb", "Truck.zrb", "zero.zrb"));
    EXPECT_EQ(view.status, "5 models, 1 not readable");

    overview.OnHeaderClicked(kMassColumn);
    EXPECT_THAT(ShownNames(),
                ElementsAre("zero.zrb", "car.zrb", "Truck.zrb", "bus.zrb", "attic.zrb"));
    overview.OnHeaderClicked(kMassColumn);  // the other way; the folder stays last
    EXPECT_THAT(ShownNames(),
                ElementsAre("bus.zrb", "Truck.zrb", "car.zrb", "zero.zrb", "attic.zrb"));
    overview.OnFilterEdited("U");  // bus and Truck; the sort holds
    EXPECT_THAT(ShownNames(), ElementsAre("bus.zrb", "Truck.zrb"));
    EXPECT_EQ(view.status, "5 models, 1 not readable; 2 shown");
    overview.OnHeaderClicked(kFleetDescriptionColumn);
    overview.OnHeaderClicked(kFleetDescriptionColumn);
    EXPECT_THAT(ShownNames(), ElementsAre("Truck.zrb", "bus.zrb"));
}

TEST_F(FleetOverviewTest, MarksAndTooltipsTellWhatIsOffAndWhy) {
    const int zero = RowOf("zero.zrb");
    EXPECT_EQ(overview.CellText(zero, kMassColumn), "! 0");
    EXPECT_TRUE(overview.CellMarked(zero, kMassColumn));
    EXPECT_EQ(overview.CellTooltip(zero, kMassColumn),
              "Outside the advice, advised: above 0 (in Kg)");
    EXPECT_EQ(overview.CellText(RowOf("car.zrb"), kMassColumn), "100");
    EXPECT_FALSE(overview.CellMarked(RowOf("car.zrb"), kMassColumn));

    const int attic = RowOf("attic.zrb");
    EXPECT_THAT(overview.CellText(attic, kFleetDescriptionColumn), HasSubstr("(not readable: "));
    EXPECT_THAT(overview.CellTooltip(attic, kMassColumn), HasSubstr("it is a folder"));
    EXPECT_EQ(overview.CellText(attic, kMassColumn), "");
}

TEST_F(FleetOverviewTest, AModelReadOtherThanItsTextIsMarkedByItsName) {
    std::string van = ModelFileBytes(testing::WorkedExample(), ModelFileVariant::SaveChanges);
    van.replace(van.find(".mass\t\t\t\t\t"), 10, ".mass\t");
    van.erase(van.find(".bumpyFactor"));
    testing::WriteBytes(folder / "van.zrb", van);
    window.ListClear();
    window.ListAdd(SearchModelFolder(folder.path()));
    FakeFleetView otherView;
    FleetOverviewController again(otherView, controller);
    again.OnShow();
    while (again.OnTimer()) {
    }
    EXPECT_EQ(otherView.status, "6 models, 1 not readable, 1 not read as written (marked \"!\")");
    for (int row = 0; row < again.RowCount(); ++row) {
        const bool misread = again.Row(row).name == "van.zrb";
        EXPECT_EQ(again.CellMarked(row, kFleetNameColumn), misread) << again.Row(row).name;
        EXPECT_EQ(again.CellText(row, kFleetNameColumn),
                  (misread ? "! " : "") + again.Row(row).name);
        if (misread) {
            EXPECT_EQ(again.CellTooltip(row, kFleetNameColumn),
                      "Not read as its text says: The file's .mass line says 950.00, but the "
                      "editor reads 0. The file lacks .bumpyFactor, which reads as 0.");
            EXPECT_EQ(again.CellText(row, kMassColumn), "! 0");
        }
    }
}

struct OpenCase {
    const char* name;
    bool edited;
    bool answer;
    const char* loaded;  // the editor's file afterwards
    bool asked;
    bool closed;
};

TEST_F(FleetOverviewTest, OpeningAModelAsksFirstWhenEditsWouldBeLost) {
    const OpenCase cases[] = {
        {"unedited", false, false, "car.zrb", false, true},
        {"edited, Yes", true, true, "car.zrb", true, true},
        {"edited, No", true, false, "bus.zrb", true, false},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        window.ListSelect(1);
        controller.editor().LoadSelectedModel();
        if (c.edited) {
            controller.OnBoxEdited(ids::kMass, "5");
        }
        view = FakeFleetView();
        view.answers = {c.answer};
        overview.OnActivate(RowOf("car.zrb"));
        EXPECT_EQ(controller.editor().workspace.currentFile, c.loaded);
        EXPECT_EQ(!view.questions.empty(), c.asked);
        EXPECT_EQ(view.closed, c.closed);
        EXPECT_EQ(controller.editor().HasUnsavedEdits(), c.edited && !c.answer);
    }
    // The model being edited: nothing to load, nothing to ask.
    view = FakeFleetView();
    overview.OnActivate(RowOf("bus.zrb"));
    EXPECT_TRUE(view.questions.empty());
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(controller.editor().HasUnsavedEdits());
}

TEST_F(FleetOverviewTest, CompareShowsWhatZrbDiffListsForTheReadableRows) {
    overview.OnCompare({RowOf("car.zrb"), RowOf("attic.zrb")});
    ASSERT_EQ(view.messages.size(), 1u);  // one readable model is not a comparison
    EXPECT_TRUE(view.comparisons.empty());

    overview.OnCompare({RowOf("car.zrb"), RowOf("attic.zrb"), RowOf("bus.zrb")});
    ASSERT_EQ(view.comparisons.size(), 1u);
    const FleetComparison& c = view.comparisons[0];
    EXPECT_THAT(c.models, ElementsAre("car.zrb", "bus.zrb"));
    std::vector<std::string> differing;
    for (const FleetComparison::Line& line : c.lines) {
        if (line.differs[1]) {
            differing.push_back(line.label + ": " + line.cells[1]);
        }
        EXPECT_FALSE(line.differs[0]);
    }
    EXPECT_THAT(differing, ElementsAre("description: * //bus.zrb", "mass: * 300 (+200)"));
    // Text to the left, numbers (the speed too) to the right, in both builds.
    std::vector<std::string> leftAligned;
    for (const FleetComparison::Line& line : c.lines) {
        if (!line.rightAligned) {
            leftAligned.push_back(line.label);
        }
    }
    EXPECT_THAT(leftAligned, ElementsAre("description"));
}

TEST_F(FleetOverviewTest, ExportWritesTheShownRowsInTheirOrder) {
    overview.OnFilterEdited("u");  // bus and Truck
    overview.OnHeaderClicked(kMassColumn);
    view.fileAnswer = {true, folder / "fleet.csv", "fleet.csv"};
    overview.OnExport();
    const std::string csv = testing::ReadBytes(folder / "fleet.csv");
    const std::size_t truck = csv.find("\r\nTruck.zrb,");
    const std::size_t bus = csv.find("\r\nbus.zrb,");
    EXPECT_NE(truck, std::string::npos) << csv;
    EXPECT_LT(truck, bus);
    EXPECT_EQ(csv.find("car.zrb"), std::string::npos);
    EXPECT_THAT(view.messages, ElementsAre(HasSubstr("saved as")));

    view.messages.clear();
    view.fileAnswer = {true, folder / "no-such-folder/fleet.csv", "fleet.csv"};
    overview.OnExport();
    EXPECT_THAT(view.messages, ElementsAre(HasSubstr("was not saved")));
}

// Field indexes of the change dialog's list: the description, then the keys.
constexpr int kDescriptionField = 0;
constexpr int kMassField = 5;

// Runs the change dialog's choices to a complete preview.
void Choose(FleetChangeController& change, int operation, std::vector<int> fields,
            const std::string& value, int source = -1) {
    change.OnOperationChosen(operation);
    change.OnFieldsChosen(std::move(fields));
    change.OnValueEdited(value);
    change.OnSourceChosen(source);
    while (change.OnTimer()) {
    }
}

// The preview's lines as "model field: now -> after note".
std::vector<std::string> PreviewLines(const FleetChangeController& change) {
    std::vector<std::string> lines;
    for (int line = 0; line < change.PreviewCount(); ++line) {
        std::string text = change.PreviewCell(line, 0) + " " + change.PreviewCell(line, 1) + ": " +
                           change.PreviewCell(line, 2) + " -> " + change.PreviewCell(line, 3);
        if (const std::string note = change.PreviewCell(line, 4); !note.empty()) {
            text += " [" + note + "]";
        }
        lines.push_back(text);
    }
    return lines;
}

struct ChoiceCase {
    const char* name;
    int operation;
    std::vector<int> fields;
    const char* value;
    const char* source;  // a model's name, or nullptr
    const char* summary;
    std::vector<std::string> lines;
};

TEST_F(FleetOverviewTest, TheChangeDialogPreviewsWhatEachFileWillHold) {
    using C = FleetChangeController;
    const ChoiceCase cases[] = {
        {"no field chosen", C::kSet, {}, "5", nullptr, "Choose the fields to change.", {}},
        {"set, rounded as the file keeps it",
         C::kSet,
         {kMassField},
         " 1234.567 ",
         nullptr,
         "2 models to write",
         {"bus.zrb mass: 300.00 -> 1234.57", "car.zrb mass: 100.00 -> 1234.57"}},
        {"set to what one holds already",
         C::kSet,
         {kMassField},
         "100",
         nullptr,
         "1 model to write, 1 unchanged",
         {"bus.zrb mass: 300.00 -> 100.00", "car.zrb mass: 100.00 -> 100.00 [unchanged]"}},
        {"no plain number",
         C::kSet,
         {kMassField},
         "1,5",
         nullptr,
         "Type the value as a plain number.",
         {}},
        {"multiply",
         C::kMultiply,
         {kMassField},
         "1.1",
         nullptr,
         "2 models to write",
         {"bus.zrb mass: 300.00 -> 330.00", "car.zrb mass: 100.00 -> 110.00"}},
        {"a factor that is no number",
         C::kMultiply,
         {kMassField},
         "x",
         nullptr,
         "Type the factor as a plain number.",
         {}},
        {"add a negative amount",
         C::kAdd,
         {kMassField},
         "-50",
         nullptr,
         "2 models to write",
         {"bus.zrb mass: 300.00 -> 250.00", "car.zrb mass: 100.00 -> 50.00"}},
        {"the description, in Windows-1252",
         C::kSet,
         {kDescriptionField},
         "Bus \xC3\xBC",
         nullptr,
         "2 models to write",
         {"bus.zrb description: //bus.zrb -> //Bus \xC3\xBC",
          "car.zrb description: //car.zrb -> //Bus \xC3\xBC"}},
        {"a character Windows-1252 lacks",
         C::kSet,
         {kDescriptionField},
         "\xE2\x98\x83",
         nullptr,
         "A description cannot hold \"\xE2\x98\x83\".",
         {}},
        {"copy without a model to copy from",
         C::kCopy,
         {kMassField},
         "",
         nullptr,
         "Choose the model to copy from.",
         {}},
        {"copy from a model",
         C::kCopy,
         {kMassField, kDescriptionField},
         "",
         "Truck.zrb",
         "2 models to write",
         {"bus.zrb description: //bus.zrb -> //Truck.zrb", "bus.zrb mass: 300.00 -> 200.00",
          "car.zrb description: //car.zrb -> //Truck.zrb", "car.zrb mass: 100.00 -> 200.00"}},
        {"revert without a reference",
         C::kRevert,
         {kMassField},
         "",
         nullptr,
         "Compare with a folder first: it holds the values to revert to.",
         {}},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        bool shown = false;
        view.onChange = [&](FleetChangeController& change) {
            shown = true;
            int source = -1;
            for (std::size_t i = 0; c.source != nullptr && i < change.SourceNames().size(); ++i) {
                if (change.SourceNames()[i] == c.source) {
                    source = static_cast<int>(i);
                }
            }
            Choose(change, c.operation, c.fields, c.value, source);
            EXPECT_EQ(change.Summary(), c.summary);
            EXPECT_EQ(PreviewLines(change), c.lines);
            EXPECT_EQ(change.CanApply(), !c.lines.empty());
            return false;  // Cancel: nothing is written
        };
        overview.OnChange({RowOf("bus.zrb"), RowOf("car.zrb")});
        EXPECT_TRUE(shown);
    }
    // The description cannot be multiplied: the core says why, and nothing is offered.
    view.onChange = [&](FleetChangeController& change) {
        Choose(change, C::kMultiply, {kDescriptionField}, "2");
        EXPECT_FALSE(change.CanApply());
        EXPECT_EQ(change.PreviewCount(), 0);
        return false;
    };
    overview.OnChange({RowOf("bus.zrb")});
    EXPECT_EQ(testing::ReadBytes(folder / "car.zrb").find("110.00"), std::string::npos);
}

TEST_F(FleetOverviewTest, ApplyWritesEveryModelNotSkippedAndTellsWhich) {
    // car.zrb changes on disk after the table read it; attic.zrb is no model at all.
    MotionModel outside = testing::WorkedExample();
    outside.mass = 111;
    outside.description = "//car.zrb";
    EXPECT_TRUE(WriteModelFile(folder / "car.zrb", outside, ModelFileVariant::SaveChanges));
    view.onChange = [&](FleetChangeController& change) {
        Choose(change, FleetChangeController::kMultiply, {kMassField}, "2");
        EXPECT_THAT(
            PreviewLines(change),
            ElementsAre("attic.zrb :  ->  [skipped: not readable (" +
                            change.preview().rows[0].reason + ")]",
                        "bus.zrb mass: 300.00 -> 600.00",
                        HasSubstr("car.zrb mass: 111.00 -> 222.00 [skipped: changed on disk"),
                        "Truck.zrb mass: 200.00 -> 400.00"));
        EXPECT_EQ(change.Summary(), "2 models to write, 2 skipped");
        EXPECT_TRUE(change.PreviewSkipped(0));
        EXPECT_FALSE(change.PreviewSkipped(1));
        return true;
    };
    controller.OnBoxEdited(ids::kMass, "5");  // bus.zrb, the editor's model, is edited
    view.answers = {false};
    overview.OnChange({RowOf("attic.zrb"), RowOf("bus.zrb"), RowOf("car.zrb"), RowOf("Truck.zrb")});
    EXPECT_THAT(view.questions, ElementsAre(HasSubstr("bus.zrb is open in the editor")));
    EXPECT_TRUE(view.messages.empty());  // No: nothing written
    EXPECT_NE(testing::ReadBytes(folder / "bus.zrb").find("300.00"), std::string::npos);

    view.answers = {true};
    overview.OnChange({RowOf("attic.zrb"), RowOf("bus.zrb"), RowOf("car.zrb"), RowOf("Truck.zrb")});
    EXPECT_TRUE(overview.Busy());  // written off the window's thread
    while (overview.OnTimer()) {
    }
    EXPECT_NE(testing::ReadBytes(folder / "bus.zrb").find(".mass\t\t\t\t\t600.00\r\n"),
              std::string::npos);
    EXPECT_NE(testing::ReadBytes(folder / "Truck.zrb").find("400.00"), std::string::npos);
    EXPECT_NE(testing::ReadBytes(folder / "car.zrb").find("111.00"), std::string::npos);
    ASSERT_EQ(view.messages.size(), 1u);
    for (const char* name : {"bus.zrb", "Truck.zrb", "car.zrb", "attic.zrb"}) {
        EXPECT_THAT(view.messages[0], HasSubstr(name));
    }
    // The table and the editor show what the files hold now; the change is one step.
    EXPECT_EQ(overview.CellText(RowOf("bus.zrb"), kMassColumn), "600");
    EXPECT_EQ(controller.editor().model.mass, 600);
    EXPECT_FALSE(controller.editor().HasUnsavedEdits());
    ASSERT_EQ(overview.history().size(), 1u);
    EXPECT_EQ(overview.history().step(0).files.size(), 2u);
}

// A reference folder: bus.zrb as here, car.zrb with another mass, old.zrb that this
// folder lacks; Truck.zrb, zero.zrb and attic.zrb are new here.
class FleetReferenceTest : public FleetOverviewTest {
  protected:
    FleetReferenceTest() {
        std::filesystem::create_directory(reference / "originals");
        const std::pair<const char*, double> masses[] = {
            {"bus.zrb", 300}, {"car.zrb", 150}, {"old.zrb", 80}};
        for (const auto& [name, mass] : masses) {
            MotionModel model = testing::WorkedExample();
            model.mass = mass;
            model.description = std::string("//") + name;
            EXPECT_TRUE(WriteModelFile(Original(name), model, ModelFileVariant::SaveChanges));
        }
        view.fileAnswer = {true, Original("bus.zrb"), "bus.zrb"};
        overview.OnCompareFolder();
        while (overview.OnTimer()) {
        }
    }
    std::string Original(const std::string& name) const {
        return JoinPath(reference / "originals", name);
    }

    TestFolder reference;
};

TEST_F(FleetReferenceTest, EveryRowShowsHowItStandsAgainstTheReference) {
    EXPECT_GT(view.timersStarted, 0);
    EXPECT_EQ(view.referenceStatus, "originals: 1 identical, 1 differ, 3 new, 1 missing");
    struct Expected {
        const char* name;
        const char* text;  // of the name cell
        bool marked;
        bool missing;
    };
    const Expected expected[] = {
        {"bus.zrb", "bus.zrb (identical)", false, false},
        {"car.zrb", "car.zrb (differs)", true, false},
        {"Truck.zrb", "Truck.zrb (new)", true, false},
        {"old.zrb", "old.zrb (missing)", true, true},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const int row = RowOf(e.name);
        ASSERT_GE(row, 0);
        EXPECT_EQ(overview.CellText(row, kFleetNameColumn), e.text);
        EXPECT_EQ(overview.CellDiffers(row, kFleetNameColumn), e.marked);
        EXPECT_EQ(overview.RowMissing(row), e.missing);
    }
    const int car = RowOf("car.zrb");
    EXPECT_EQ(overview.CellText(car, kMassColumn), "~ 100");
    EXPECT_TRUE(overview.CellDiffers(car, kMassColumn));
    EXPECT_EQ(overview.CellTooltip(car, kMassColumn), "Reference: 150");
    EXPECT_FALSE(overview.CellDiffers(car, kMassColumn + 1));
    EXPECT_EQ(ShownNames().back(), "old.zrb");  // after the folder's own

    // A missing model is the reference's: it opens nothing and changes nothing.
    overview.OnActivate(RowOf("old.zrb"));
    EXPECT_FALSE(view.closed);
    overview.OnChange({RowOf("old.zrb")});
    EXPECT_THAT(view.messages.back(), HasSubstr("Select the models to change"));

    overview.OnOnlyChanged(true);
    // attic.zrb is no model, but the reference has nothing of that name either.
    EXPECT_THAT(ShownNames(), ElementsAre("attic.zrb", "car.zrb", "Truck.zrb", "zero.zrb"));
    overview.OnOnlyChanged(false);
    EXPECT_EQ(overview.RowCount(), 6);
}

TEST_F(FleetReferenceTest, RevertingToTheReferenceMakesARowIdentical) {
    view.onChange = [&](FleetChangeController& change) {
        Choose(change, FleetChangeController::kRevert, {kMassField}, "");
        EXPECT_THAT(
            PreviewLines(change),
            ElementsAre("car.zrb mass: 100.00 -> 150.00",
                        "Truck.zrb :  ->  [skipped: not in the reference (The reference has no "
                        "model named Truck.zrb.)]"));
        return true;
    };
    overview.OnChange({RowOf("car.zrb"), RowOf("Truck.zrb")});
    while (overview.OnTimer()) {
    }
    EXPECT_EQ(overview.CellText(RowOf("car.zrb"), kFleetNameColumn), "car.zrb (identical)");
    EXPECT_THAT(view.referenceStatus, HasSubstr(": 2 identical, 0 differ"));
    // The revert is a step of the history like any other, and its undo is compared anew.
    EXPECT_THAT(view.history, ElementsAre("1. mass reverted to the reference on car.zrb"));
    overview.OnUndo();
    while (overview.OnTimer()) {
    }
    EXPECT_EQ(overview.CellText(RowOf("car.zrb"), kFleetNameColumn), "car.zrb (differs)");
}

TEST_F(FleetReferenceTest, ExportCanAddTheReferencesValues) {
    view.answers = {true};
    view.fileAnswer = {true, folder / "fleet.csv", "fleet.csv"};
    overview.OnExport();
    const std::string csv = testing::ReadBytes(folder / "fleet.csv");
    EXPECT_THAT(csv, HasSubstr("mass (reference)"));
    EXPECT_THAT(csv, HasSubstr("old.zrb"));
    EXPECT_EQ(view.questions.size(), 1u);

    view.answers = {false};
    overview.OnExport();
    EXPECT_EQ(testing::ReadBytes(folder / "fleet.csv").find("(reference)"), std::string::npos);
}

TEST_F(FleetOverviewTest, EscapeStopsReadingAReferenceBeforeItClosesTheWindow) {
    EXPECT_FALSE(overview.OnCancel());
    view.fileAnswer = {true, folder / "bus.zrb", "bus.zrb"};
    overview.OnCompareFolder();
    EXPECT_TRUE(overview.OnCancel());  // the reader is there until a tick takes it
    while (overview.OnTimer()) {
    }
    EXPECT_FALSE(overview.OnCancel());
}

TEST_F(FleetOverviewTest, ADoubleClickEditsAValueAndOpensOtherwise) {
    struct Case {
        const char* name;
        int column;
        bool edits;
    };
    const Case cases[] = {
        {"bus.zrb", kFleetNameColumn, false},
        {"bus.zrb", kFleetDescriptionColumn, true},
        {"bus.zrb", kMassColumn, true},
        {"bus.zrb", kFleetSpeedColumn, false},
        {"attic.zrb", kFleetDescriptionColumn, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " column " + std::to_string(c.column));
        view = FakeFleetView();
        overview.OnDoubleClick(RowOf(c.name), c.column);
        ASSERT_EQ(view.edits.size(), c.edits ? 1u : 0u);
        EXPECT_EQ(view.closed, !c.edits);  // opened: the overview closes
        if (c.edits) {
            EXPECT_EQ(view.edits[0].text, c.column == kMassColumn ? "300" : "//bus.zrb");
        }
    }
}

// Edits mass or the description of car.zrb in the table; the file is written at once,
// as Save Changes writes it.
TEST_F(FleetOverviewTest, ACellEditWritesThatFileByTheEditorsRules) {
    struct Case {
        const char* what;
        int column;
        const char* typed;  // UTF-8
        const char* line;   // the line the file then holds; nullptr: unchanged
        bool reopened;      // told why, and the editor opened again
    };
    const Case cases[] = {
        {"a plain number", kMassColumn, " 1200 ", ".mass\t\t\t\t\t1200.00\r\n", false},
        {"rounded as the file keeps it", kMassColumn, "12.345", ".mass\t\t\t\t\t12.35\r\n", false},
        {"no plain number", kMassColumn, "12abc", nullptr, true},
        {"empty", kMassColumn, "", nullptr, true},
        {"the value the file holds", kMassColumn, "12.350", nullptr, false},
        {"1252 text", kFleetDescriptionColumn, "Caf\xC3\xA9 \xE2\x82\xAC", "//Caf\xE9 \x80\r\n",
         false},
        {"beyond 1252", kFleetDescriptionColumn, "Car \xE2\x9C\x93", nullptr, true},
    };
    const std::string path = folder / "car.zrb";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = testing::ReadBytes(path);
        view.messages.clear();
        view.edits.clear();
        overview.OnCellEdited(RowOf("car.zrb"), c.column, c.typed);
        const std::string after = testing::ReadBytes(path);
        if (c.line == nullptr) {
            EXPECT_EQ(after, before);
        } else {
            EXPECT_NE(after.find(c.line), std::string::npos) << after;
            EXPECT_EQ(overview.Row(RowOf("car.zrb")).bytes, after);
            EXPECT_EQ(view.shownCell, std::make_pair(RowOf("car.zrb"), c.column));
        }
        EXPECT_EQ(view.messages.size(), c.reopened ? 1u : 0u);
        ASSERT_EQ(view.edits.size(), c.reopened ? 1u : 0u);
        if (c.reopened) {
            EXPECT_EQ(view.edits[0].text, c.typed);
        }
    }
    EXPECT_EQ(view.history.size(), 3u);
}

// Before a cell edit writes: a file misread or changed on disk since the table read it,
// and the editor's own model with unsaved edits, are asked about; No writes nothing.
TEST_F(FleetOverviewTest, ACellEditAsksFirstWhereSaveChangesWould) {
    struct Case {
        const char* what;
        const char* name;
        bool answer;
    };
    const Case cases[] = {
        {"changed on disk, No", "car.zrb", false}, {"changed on disk, Yes", "car.zrb", true},
        {"misread, No", "Truck.zrb", false},       {"misread, Yes", "Truck.zrb", true},
        {"editor's edits, No", "bus.zrb", false},  {"editor's edits, Yes", "bus.zrb", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder / c.name;
        std::string bytes = ModelFileBytes(testing::WorkedExample(), ModelFileVariant::SaveChanges);
        if (std::string(c.name) == "Truck.zrb") {
            bytes.replace(bytes.find(".mass\t\t\t\t\t"), 10, ".mass\t");
        }
        testing::WriteBytes(path, bytes);
        if (std::string(c.name) == "bus.zrb") {
            window.ListSelect(1);
            controller.editor().LoadSelectedModel();
            controller.OnBoxEdited(ids::kBumpyFactor, "0.5");
        }
        FakeFleetView fresh;
        FleetOverviewController table(fresh, controller);
        table.OnShow();
        while (table.OnTimer()) {
        }
        if (std::string(c.name) == "car.zrb") {
            bytes += "// changed meanwhile\r\n";
            testing::WriteBytes(path, bytes);
        }
        int row = 0;
        while (table.Row(row).name != c.name) {
            ++row;
        }
        fresh.answers = {c.answer};
        table.OnCellEdited(row, kMassColumn, "4321");
        EXPECT_EQ(fresh.questions.size(), 1u);
        EXPECT_THAT(fresh.questions, ElementsAre(HasSubstr(c.name)));
        const bool written = testing::ReadBytes(path).find("4321.00") != std::string::npos;
        EXPECT_EQ(written, c.answer);
        if (std::string(c.name) == "bus.zrb") {
            // The editor shows what the file now holds, or keeps its own edits.
            EXPECT_EQ(controller.editor().model.mass == 4321, c.answer);
            EXPECT_EQ(controller.editor().HasUnsavedEdits(), !c.answer);
        }
    }
}

// Undo and Redo give each file its exact bytes back; a file changed on disk since the
// change is asked about, by name.
TEST_F(FleetOverviewTest, UndoAndRedoRestoreExactBytesAndAskAboutOutsideChanges) {
    const std::string car = folder / "car.zrb";
    const std::string truck = folder / "Truck.zrb";
    const std::string carBefore = testing::ReadBytes(car);
    const std::string truckBefore = testing::ReadBytes(truck);
    const auto finish = [this] {
        while (overview.OnTimer()) {
        }
    };
    overview.OnCellEdited(RowOf("car.zrb"), kMassColumn, "111");
    overview.OnCellEdited(RowOf("Truck.zrb"), kFleetDescriptionColumn, "Lorry");
    const std::string carAfter = testing::ReadBytes(car);
    const std::string truckAfter = testing::ReadBytes(truck);
    EXPECT_THAT(view.history,
                ElementsAre("1. mass = 111 on car.zrb", "2. description = \"Lorry\" on Truck.zrb"));
    EXPECT_EQ(view.current, 1);

    overview.OnUndo();
    EXPECT_TRUE(overview.Busy());
    EXPECT_FALSE(overview.CanUndo());
    finish();
    EXPECT_EQ(testing::ReadBytes(truck), truckBefore);
    EXPECT_EQ(overview.CellText(RowOf("Truck.zrb"), kFleetDescriptionColumn), "//Truck.zrb");
    EXPECT_EQ(view.shownCell, std::make_pair(RowOf("Truck.zrb"), -1));
    EXPECT_THAT(view.history, ElementsAre("1. mass = 111 on car.zrb",
                                          "2. (undone) description = \"Lorry\" on Truck.zrb"));
    EXPECT_EQ(view.current, 0);
    overview.OnUndo();
    finish();
    EXPECT_EQ(testing::ReadBytes(car), carBefore);
    EXPECT_FALSE(overview.CanUndo());
    overview.OnRedo();
    finish();
    overview.OnRedo();
    finish();
    EXPECT_EQ(testing::ReadBytes(car), carAfter);
    EXPECT_EQ(testing::ReadBytes(truck), truckAfter);
    EXPECT_TRUE(view.asked.empty());

    // Changed outside since: Cancel leaves it as it is, Overwrite gives it its bytes
    // from before the change.
    const std::string outside = truckAfter + "// by hand\r\n";
    testing::WriteBytes(truck, outside);
    const std::pair<int, std::string> answers[] = {{2, outside}, {0, truckBefore}};
    for (const auto& [answer, afterwards] : answers) {
        SCOPED_TRACE(answer);
        view.asked.clear();
        view.choices = {answer};
        overview.OnUndo();
        finish();
        EXPECT_THAT(view.asked, ElementsAre(HasSubstr("Truck.zrb was changed on disk")));
        EXPECT_EQ(testing::ReadBytes(truck), afterwards);
    }
}

// A change of many models undone off the window's thread: it shows how far it is, and
// Escape stops it between files, every file then holding either of its two texts.
TEST_F(FleetOverviewTest, AnUndoOfManyFilesRunsAsideAndStopsBetweenFiles) {
    std::vector<ChangeTarget> targets;
    std::vector<std::string> before;
    for (int i = 0; i < 60; ++i) {
        std::string name = "m";
        name += std::to_string(i);
        name += ".zrb";
        const std::string path = folder / name;
        EXPECT_TRUE(SaveFileAtomically(path, testing::ReadBytes(folder / "car.zrb")));
        before.push_back(testing::ReadBytes(path));
        targets.push_back({path, name, std::nullopt, nullptr});
    }
    std::string problem;
    const std::optional<FleetChange> change = CellEditChange(kMassColumn, "5", problem);
    ASSERT_TRUE(change);
    ChangeStep step;
    ApplyChange(PreviewChange(*change, targets), step);
    std::vector<std::string> after;
    for (const ChangeTarget& target : targets) {
        after.push_back(testing::ReadBytes(target.path));
    }
    overview.OnChangeApplied(step);
    ASSERT_THAT(view.history, ElementsAre("1. mass = 5 on 60 models"));

    // Stopped while it reads the files: nothing is written, the step stays.
    overview.OnUndo();
    EXPECT_FALSE(overview.OnCloseRequested());
    while (overview.OnTimer()) {
    }
    EXPECT_TRUE(overview.CanUndo());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(testing::ReadBytes(targets[i].path), after[i]);
    }

    // Stopped while it writes them.
    overview.OnUndo();
    while (overview.Busy() && view.status.find(": reading") != std::string::npos) {
        overview.OnTimer();
    }
    EXPECT_THAT(view.status, HasSubstr("Undo mass = 5 on 60 models: "));
    EXPECT_FALSE(overview.OnCloseRequested());
    view.messages.clear();
    while (overview.OnTimer()) {
    }
    EXPECT_TRUE(overview.OnCloseRequested());
    std::size_t undone = 0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::string now = testing::ReadBytes(targets[i].path);
        EXPECT_TRUE(now == before[i] || now == after[i]) << targets[i].name;
        undone += now == before[i] ? 1 : 0;
    }
    // Told unless the stop came too late to keep any file.
    EXPECT_EQ(view.messages.size(), undone < targets.size() ? 1u : 0u);
}

TEST(FleetCommandTest, NeedsAnOpenFolder) {
    FakeWindow window;
    EditorController controller(window, "/start");
    controller.OnCommand(ids::kFleetOverview);
    EXPECT_EQ(window.overviewsShown, 0);
    EXPECT_EQ(window.messages.size(), 1u);
    controller.editor().workspace.modelsFolder = "/models";
    controller.OnCommand(ids::kFleetOverview);
    EXPECT_EQ(window.overviewsShown, 1);
}

}  // namespace
}  // namespace zrb
