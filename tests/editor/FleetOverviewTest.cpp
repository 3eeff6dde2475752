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
