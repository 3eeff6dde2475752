// The fleet overview's logic against a fake view: reading on its own thread, sort and
// filter together, the marks, opening a model with the unsaved-edits question, compare
// and export.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "FakeWindow.h"
#include "TestFolder.h"
#include "WorkedExample.h"
#include "editor/ControlIds.h"
#include "editor/EditorController.h"
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
