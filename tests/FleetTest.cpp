// The fleet table: reading a folder's entries, sorting, filtering, the advice marks and
// the CSV export.

#include "model/Fleet.h"
#include "model/FleetChange.h"
#include "model/FleetReference.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "WorkedExample.h"

namespace zrb {
namespace {

using ::testing::ElementsAre;
using testing::TestFolder;

FleetRow Row(std::string name, double mass, std::string description = "//x") {
    FleetRow row;
    row.name = std::move(name);
    row.read = true;
    row.model.mass = mass;
    row.model.description = std::move(description);
    return row;
}

FleetRow Unreadable(std::string name) {
    FleetRow row;
    row.name = std::move(name);
    row.reason = "Could not read: it is a folder";
    return row;
}

std::vector<std::string> Names(const std::vector<FleetRow>& rows,
                               const std::vector<std::size_t>& order) {
    std::vector<std::string> names;
    for (const std::size_t i : order) {
        names.push_back(rows[i].name);
    }
    return names;
}

constexpr int kMassColumn = kFleetFirstFieldColumn + 4;  // the fifth key, .mass

TEST(FleetSortTest, ByValueTiesInListOrderUnreadableLast) {
    const std::vector<FleetRow> rows = {Row("a.zrb", 900), Row("B.zrb", 100), Unreadable("c.zrb"),
                                        Row("d.zrb", 900), Row("e.zrb", -5)};
    const struct {
        int column;
        bool ascending;
        std::vector<std::string> order;
    } cases[] = {
        {kMassColumn, true, {"e.zrb", "B.zrb", "a.zrb", "d.zrb", "c.zrb"}},
        // Descending reverses the values; equal ones stay in list order, unreadable last.
        {kMassColumn, false, {"a.zrb", "d.zrb", "B.zrb", "e.zrb", "c.zrb"}},
        // Names without regard to case, the unreadable one among them.
        {kFleetNameColumn, false, {"e.zrb", "d.zrb", "c.zrb", "B.zrb", "a.zrb"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Names(rows, SortFleet(rows, c.column, c.ascending)), c.order)
            << FleetColumnTitle(c.column) << (c.ascending ? " up" : " down");
    }
}

TEST(FleetFilterTest, NameOrDescriptionWithoutRegardToCase) {
    const FleetRow truck = Row("Truck_7.zrb", 1,
                               "//Delivery TRUCK, 7.5 t, f\xFC"
                               "r Br\xFC"
                               "cken");
    const struct {
        const char* filter;
        bool matches;
    } cases[] = {
        {"", true},     {"truck", true},    {"delivery", true},  {"7.5 T", true},
        {"bus", false}, {"truck_8", false}, {"f\xC3\xBCr", true}};  // typed "für", held in 1252
    for (const auto& c : cases) {
        EXPECT_EQ(FleetRowMatches(truck, c.filter), c.matches) << c.filter;
    }
    EXPECT_FALSE(FleetRowMatches(Unreadable("dir.zrb"), "folder"));  // its reason is no text
}

TEST(FleetAdviceTest, MarksValuesOutsideTheWindowsAdvice) {
    FleetRow row = Row("a.zrb", 0);   // mass must be above 0
    row.model.maxAccel = 1.5;         // 0 to 1
    row.model.bumpyFactor = 1;        // 0 to 1, the bound itself allowed
    row.model.momentOfInertia = 700;  // above 0
    std::vector<std::string> marked;
    for (int column = 0; column < kFleetColumns; ++column) {
        if (FleetOutsideAdvice(row, column)) {
            marked.push_back(FleetColumnTitle(column));
        }
    }
    // turnTightness 0 is below its 0.001; gasScaleFactor 0 and the rest are within.
    EXPECT_THAT(marked, ElementsAre("maxAccel", "turnTightness", "mass"));
    EXPECT_EQ(FleetAdviceText(kMassColumn), "advised: above 0 (in Kg)");
    EXPECT_FALSE(FleetOutsideAdvice(Unreadable("b.zrb"), kMassColumn));
}

TEST(FleetReadTest, EntriesInListOrderAFolderWithItsReason) {
    TestFolder folder;
    MotionModel car;
    car.description = "//car";
    car.mass = 950;
    car.gasScaleFactor = 0.25;
    ASSERT_TRUE(WriteModelFile(folder / "car.zrb", car, ModelFileVariant::SaveChanges));
    std::filesystem::create_directory(folder / "old.zrb");
    const std::vector<FleetRow> rows = ReadFleet(folder.path(), {"old.zrb", "car.zrb"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0].read);
    EXPECT_EQ(rows[0].reason, "Could not read \"" + (folder / "old.zrb") + "\": it is a folder");
    EXPECT_EQ(FleetCellText(rows[0], kMassColumn), "");
    EXPECT_TRUE(rows[1].read);
    EXPECT_EQ(FleetCellText(rows[1], kMassColumn), "950");
    EXPECT_EQ(FleetCellText(rows[1], kFleetSpeedColumn), "150");
}

TEST(FleetCsvTest, QuotesWhatNeedsItAndDecodes1252) {
    std::vector<FleetRow> rows = {Row("a,b.zrb", 1.5, "//say \"hi\", \xfc\x80"),
                                  Unreadable("dir.zrb")};
    const std::string csv = FleetCsv(rows, {0, 1});
    const std::string header =
        "name,description,gasScaleFactor,maxTurnRate,maxAccel,turnTightness,mass,"
        "coeffStaticFriction,coeffKineticFriction,coefficientOfRestitution,horsePower,"
        "momentOfInertia,bumpyFactor,speed\r\n";
    EXPECT_EQ(
        csv,
        header +
            // \xfc is u-umlaut, \x80 the euro sign, in UTF-8.
            "\"a,b.zrb\",\"//say \"\"hi\"\", \xc3\xbc\xe2\x82\xac\",0,0,0,0,1.5,0,0,0,0,0,0,\r\n"
            "dir.zrb,Could not read: it is a folder,,,,,,,,,,,,\r\n");

    // Text a spreadsheet would run as a formula is kept text; numbers never change.
    rows = {Row("=cmd.zrb", -5, "-1+1"), Row("@a.zrb", 1, "+x"), Row("b.zrb", 1, "\tx"),
            Row("c.zrb", 1, "\rx,y")};
    std::string lines = FleetCsv(rows, {0, 1, 2, 3}).substr(header.size());
    EXPECT_EQ(lines,
              "'=cmd.zrb,'-1+1,0,0,0,0,-5,0,0,0,0,0,0,\r\n"
              "'@a.zrb,'+x,0,0,0,0,1,0,0,0,0,0,0,\r\n"
              "b.zrb,'\tx,0,0,0,0,1,0,0,0,0,0,0,\r\n"
              "c.zrb,\"'\rx,y\",0,0,0,0,1,0,0,0,0,0,0,\r\n");
}

struct DifferenceCase {
    double MotionModel::*field;
    double from;
    double to;
    std::string text;
};

void PrintTo(const DifferenceCase& c, std::ostream* out) {
    *out << c.text;
}

class DifferenceTest : public ::testing::TestWithParam<DifferenceCase> {};

TEST_P(DifferenceTest, IsShownAtThePrecisionTheFileKeeps) {
    MotionModel first;
    MotionModel other;
    first.*GetParam().field = GetParam().from;
    other.*GetParam().field = GetParam().to;
    const std::vector<ModelDifference> differences = CompareModels(first, other);
    ASSERT_EQ(differences.size(), 1u);
    ASSERT_TRUE(differences[0].difference.has_value());
    EXPECT_EQ(DifferenceText(*differences[0].difference), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DifferenceTest,
    ::testing::Values(DifferenceCase{&MotionModel::gasScaleFactor, 0.25, 0.2507, "+0.0007"},
                      DifferenceCase{&MotionModel::maxTurnRate, 126.8, 123.4, "-3.4"},
                      DifferenceCase{&MotionModel::mass, 950, 946.6, "-3.4"},
                      DifferenceCase{&MotionModel::bumpyFactor, 0.3, 0.1, "-0.2"},
                      // "Save as New" keeps horsepower as 7.5e-002: three decimals there.
                      DifferenceCase{&MotionModel::horsePower, 75, 0.075, "-74.925"},
                      DifferenceCase{&MotionModel::horsePower, 120.3, 75, "-45.3"},
                      // Finer than the file keeps: no "-0".
                      DifferenceCase{&MotionModel::mass, 950.001, 950.002, "0"}));

}  // namespace
}  // namespace zrb

// --- Changing many models, undo, and the reference ---------------------------------

namespace zrb {
namespace {

const ModelKey& Key(double MotionModel::*field) {
    for (const ModelKey& key : ModelKeys()) {
        if (key.field == field) {
            return key;
        }
    }
    return ModelKeys()[0];
}

FieldEdit Edit(double MotionModel::*field, FieldOp op, double number = 0) {
    return {&Key(field), op, number, {}};
}

FieldEdit DescriptionEdit(FieldOp op, std::string text = {}) {
    return {nullptr, op, 0, std::move(text)};
}

std::string WrittenBytes(MotionModel model) {
    EnsureDescriptionPrefix(model);
    return ModelFileBytes(model, ModelFileVariant::SaveChanges);
}

// A folder with the worked example saved as "car.zrb".
struct CarFolder {
    CarFolder() { testing::WriteBytes(folder / "car.zrb", WrittenBytes(testing::WorkedExample())); }
    ChangeTarget Target(const MotionModel* reference = nullptr) const {
        return {folder / "car.zrb", "car.zrb", std::nullopt, reference};
    }
    testing::TestFolder folder;
};

struct OperationCase {
    const char* label;
    std::vector<FieldEdit> edits;
    ChangeSkip skip;
    std::vector<std::string> newTexts;  // one per edit, as the file will hold it
};

void PrintTo(const OperationCase& c, std::ostream* out) {
    *out << c.label;
}

class ChangeOperationTest : public ::testing::TestWithParam<OperationCase> {};

// Each operation on the worked example: the new text as Save Changes writes it, the file
// written with exactly those bytes, and the rows that cannot be written skipped.
TEST_P(ChangeOperationTest, PreviewsTheFilesTextAndApplyWritesIt) {
    CarFolder car;
    MotionModel truck = testing::WorkedExample();
    truck.description = "//Truck";
    truck.mass = 7500.126;
    truck.maxTurnRate = 126.8;
    FleetChange change{GetParam().edits, truck, "truck.zrb"};
    ASSERT_FALSE(ChangeProblem(change));
    const bool revertWithout = GetParam().skip == ChangeSkip::NoReference;
    const ChangePreviewRow row =
        PreviewChangeRow(change, car.Target(revertWithout ? nullptr : &truck));
    EXPECT_EQ(row.skip, GetParam().skip) << row.reason;
    std::vector<std::string> newTexts;
    for (const ChangeCell& cell : row.cells) {
        newTexts.push_back(cell.newText);
    }
    EXPECT_EQ(newTexts, GetParam().newTexts);

    const std::string before = testing::ReadBytes(car.folder / "car.zrb");
    ChangeStep step;
    const FileOutcome outcome = ApplyChangeRow(row, step);
    if (GetParam().skip != ChangeSkip::None) {
        EXPECT_EQ(outcome.kind, FileOutcome::Kind::Skipped);
        EXPECT_EQ(testing::ReadBytes(car.folder / "car.zrb"), before);
        EXPECT_TRUE(step.files.empty());
        return;
    }
    ASSERT_EQ(outcome.kind, FileOutcome::Kind::Written) << outcome.reason;
    EXPECT_EQ(testing::ReadBytes(car.folder / "car.zrb"), row.after);
    ASSERT_EQ(step.files.size(), 1u);
    EXPECT_EQ(step.files[0].before, before);
    // What the row says the file holds is what the reader reads from it.
    const FleetRow reread = ReadFleetRow(car.folder / "car.zrb", "car.zrb");
    const FleetRow written = WrittenRow(row);
    EXPECT_EQ(reread.model, written.model);
    EXPECT_EQ(reread.speedText, written.speedText);
    EXPECT_EQ(reread.bytes, written.bytes);
    EXPECT_EQ(reread.misread, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChangeOperationTest,
    ::testing::Values(
        OperationCase{"set rounded to 2 decimals",
                      {Edit(&MotionModel::mass, FieldOp::Set, 950.456)},
                      ChangeSkip::None,
                      {"950.46"}},
        OperationCase{"set to 4 decimals",
                      {Edit(&MotionModel::gasScaleFactor, FieldOp::Set, 0.123456)},
                      ChangeSkip::None,
                      {"0.1235"}},
        OperationCase{"multiply",
                      {Edit(&MotionModel::mass, FieldOp::Multiply, 1.1)},
                      ChangeSkip::None,
                      {"1045.00"}},
        OperationCase{"add a negative amount",
                      {Edit(&MotionModel::maxAccel, FieldOp::Add, -0.5)},
                      ChangeSkip::None,
                      {"-0.1000"}},
        // Horsepower keeps one decimal with Save Changes: +0.04 does not reach the file.
        OperationCase{"add below the file's precision",
                      {Edit(&MotionModel::horsePower, FieldOp::Add, 0.04)},
                      ChangeSkip::Unchanged,
                      {"75.0"}},
        OperationCase{"set the description",
                      {DescriptionEdit(FieldOp::Set, "Van \xE9t\xE9")},
                      ChangeSkip::None,
                      {"//Van \xE9t\xE9"}},
        OperationCase{
            "copy fields and description",
            {Edit(&MotionModel::mass, FieldOp::CopyFrom), DescriptionEdit(FieldOp::CopyFrom)},
            ChangeSkip::None,
            {"7500.13", "//Truck"}},
        OperationCase{"revert to the reference",
                      {Edit(&MotionModel::maxTurnRate, FieldOp::Revert)},
                      ChangeSkip::None,
                      {"126.8000"}},
        OperationCase{"revert without a reference model",
                      {Edit(&MotionModel::maxTurnRate, FieldOp::Revert)},
                      ChangeSkip::NoReference,
                      {}},
        OperationCase{"multiply past the largest number",
                      {Edit(&MotionModel::mass, FieldOp::Multiply, 1e306)},
                      ChangeSkip::NotFinite,
                      {"inf"}},
        OperationCase{"a line break in the description",
                      {DescriptionEdit(FieldOp::Set, "two\r\nlines")},
                      ChangeSkip::NotRepresentable,
                      {"//two\r\nlines"}},
        OperationCase{"a description read back cut",
                      {DescriptionEdit(FieldOp::Set, std::string(1022, 'x'))},
                      ChangeSkip::NotRepresentable,
                      {"//" + std::string(1022, 'x')}}));

TEST(ChangeTest, RefusesChangesThatCannotBeMadeAndDescribesTheRest) {
    FleetChange change;
    EXPECT_TRUE(ChangeProblem(change));
    change.edits = {DescriptionEdit(FieldOp::Multiply)};
    EXPECT_TRUE(ChangeProblem(change));
    change.edits = {Edit(&MotionModel::mass, FieldOp::Set, 1),
                    Edit(&MotionModel::mass, FieldOp::Add, 1)};
    EXPECT_TRUE(ChangeProblem(change));
    const struct {
        std::vector<FieldEdit> edits;
        std::string text;
    } cases[] = {
        {{Edit(&MotionModel::mass, FieldOp::Multiply, 1.1)},
         "mass \xC3\x97"
         "1.1"},
        {{Edit(&MotionModel::mass, FieldOp::Add, -50),
          Edit(&MotionModel::horsePower, FieldOp::Add, 5)},
         "mass -50, horsePower +5"},
        {{Edit(&MotionModel::mass, FieldOp::CopyFrom), DescriptionEdit(FieldOp::CopyFrom),
          Edit(&MotionModel::bumpyFactor, FieldOp::CopyFrom)},
         "mass, description and bumpyFactor from truck.zrb"},
        {{Edit(&MotionModel::mass, FieldOp::Revert)}, "mass reverted to the reference"},
        {{DescriptionEdit(FieldOp::Set, "//Caf\xE9")}, "description = \"//Caf\xC3\xA9\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeChange({c.edits, {}, "truck.zrb"}), c.text);
    }
    // A cell edit takes the box's plain-number rule.
    std::string problem;
    const std::optional<FleetChange> typed = CellEditChange(kMassColumn, " 12.5 ", problem);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->edits[0].number, 12.5);
    EXPECT_FALSE(CellEditChange(kMassColumn, "1,5", problem));
    EXPECT_FALSE(CellEditChange(kMassColumn, "1e999", problem));
    EXPECT_FALSE(CellEditChange(kFleetSpeedColumn, "1", problem));
    FieldEdit factor = Edit(&MotionModel::mass, FieldOp::Multiply);
    EXPECT_FALSE(ParseEditNumber("x1.1", factor, problem));
    EXPECT_EQ(problem,
              "\"x1.1\" is not a number as the factor for mass. Enter a plain number such as 950 "
              "or 0.25.");
    ASSERT_TRUE(ParseEditNumber("1.1\t", factor, problem));
    EXPECT_EQ(factor.number, 1.1);
}

// The rows that are skipped, why, and which of them the user may have written anyway.
TEST(ChangeSkipTest, EachReasonAndWhetherItCanBeForced) {
    testing::TestFolder folder;
    const std::string good = WrittenBytes(testing::WorkedExample());
    std::string misread = good;
    misread.replace(misread.find(".mass\t\t\t\t\t"), 10, ".mass\t");  // reads "00" as 0
    testing::WriteBytes(folder / "good.zrb", good);
    testing::WriteBytes(folder / "misread.zrb", misread);
    testing::WriteBytes(folder / "outside.zrb", good);
    testing::WriteBytes(folder / "both.zrb", misread);
    std::filesystem::create_directory(folder / "dir.zrb");
    const struct {
        std::string name;
        std::optional<std::string> shown;
        ChangeSkip skip;
        bool forceable;
    } cases[] = {
        {"good.zrb", good, ChangeSkip::None, false},
        {"misread.zrb", std::nullopt, ChangeSkip::Misread, true},
        {"outside.zrb", "older bytes", ChangeSkip::ChangedOnDisk, true},
        {"both.zrb", "older bytes", ChangeSkip::Misread, true},
        {"dir.zrb", std::nullopt, ChangeSkip::Unreadable, false},
        {"gone.zrb", std::nullopt, ChangeSkip::Unreadable, false},
    };
    std::vector<ChangeTarget> targets;
    for (const auto& c : cases) {
        targets.push_back({folder / c.name, c.name, c.shown, nullptr});
    }
    const FleetChange change{{Edit(&MotionModel::horsePower, FieldOp::Set, 80)}, {}, {}};
    ChangePreview preview = PreviewChange(change, targets);
    ASSERT_EQ(preview.rows.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const ChangePreviewRow& row = preview.rows[i];
        EXPECT_EQ(row.skip, cases[i].skip) << row.name << ": " << row.reason;
        EXPECT_EQ(row.forceable, cases[i].forceable) << row.name;
        EXPECT_EQ(row.reason.empty(), cases[i].skip == ChangeSkip::None) << row.name;
        EXPECT_EQ(Force(preview.rows[i]), cases[i].forceable) << row.name;
    }
    EXPECT_NE(preview.rows[3].reason.find("changed on disk"), std::string::npos);
    // Forced: the misread file is written as the editor reads it.
    ChangeStep step;
    const ChangeOutcome outcome = ApplyChange(preview, step);
    EXPECT_EQ(outcome.Count(FileOutcome::Kind::Written), 4u);
    EXPECT_EQ(outcome.Count(FileOutcome::Kind::Skipped), 2u);
    EXPECT_EQ(step.description, "horsePower = 80 on 4 models");
    EXPECT_NE(outcome.Message().find("dir.zrb (not readable): Could not read"), std::string::npos)
        << outcome.Message();
    MotionModel expected = testing::WorkedExample();
    expected.horsePower = 80;
    EXPECT_EQ(testing::ReadBytes(folder / "outside.zrb"), WrittenBytes(expected));
    expected.mass = 0;
    EXPECT_EQ(testing::ReadBytes(folder / "misread.zrb"), WrittenBytes(expected));
}

TEST(ChangeApplyTest, AFileChangedAfterThePreviewOrAStopIsLeftAndReported) {
    testing::TestFolder folder;
    std::vector<ChangeTarget> targets;
    for (const char* name : {"a.zrb", "b.zrb", "c.zrb"}) {
        testing::WriteBytes(folder / name, WrittenBytes(testing::WorkedExample()));
        targets.push_back({folder / name, name, std::nullopt, nullptr});
    }
    const FleetChange change{{Edit(&MotionModel::mass, FieldOp::Add, 50)}, {}, {}};
    const ChangePreview preview = PreviewChange(change, targets);
    testing::WriteBytes(folder / "b.zrb", "edited elsewhere");
    ChangeStep step;
    // Stopped before the third file.
    const ChangeOutcome outcome =
        ApplyChange(preview, step, [](std::size_t done, std::size_t) { return done < 2; });
    EXPECT_TRUE(outcome.cancelled);
    ASSERT_EQ(outcome.files.size(), 3u);
    EXPECT_EQ(outcome.files[0].kind, FileOutcome::Kind::Written);
    EXPECT_EQ(outcome.files[1].skip, ChangeSkip::ChangedOnDisk);
    EXPECT_EQ(outcome.files[2].skip, ChangeSkip::Cancelled);
    EXPECT_EQ(testing::ReadBytes(folder / "b.zrb"), "edited elsewhere");
    EXPECT_EQ(testing::ReadBytes(folder / "c.zrb"), preview.rows[2].before);
    EXPECT_EQ(outcome.summary, "Changed 1 of 3 models.");
    EXPECT_EQ(outcome.Message(),
              "Changed 1 of 3 models.\n\nWritten: a.zrb.\n\nSkipped:\n- b.zrb (changed on disk): "
              "The file was changed on disk since the preview; it was left as it is.\n\nStopped "
              "before 1 model, which was left as it was.");
    EXPECT_EQ(step.description, "mass +50 on a.zrb");
}

// Undo and redo give back each file's exact bytes; a file changed outside since is left
// unless the user says to overwrite it.
TEST(ChangeHistoryTest, UndoRedoAgainstOutsideChanges) {
    const struct {
        const char* label;
        bool changeOutside;
        OutsideChange outside;
        bool restored;
    } cases[] = {
        {"untouched", false, OutsideChange::Skip, true},
        {"changed outside, left", true, OutsideChange::Skip, false},
        {"changed outside, overwritten", true, OutsideChange::Overwrite, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        testing::TestFolder folder;
        // Bare line feeds: undo must give back these bytes, not the writer's.
        const std::string original = "//Old\n.mass\t\t\t\t\t900\n";
        testing::WriteBytes(folder / "a.zrb", original);
        testing::WriteBytes(folder / "b.zrb", original);
        std::vector<ChangeTarget> targets = {{folder / "a.zrb", "a.zrb", std::nullopt, nullptr},
                                             {folder / "b.zrb", "b.zrb", std::nullopt, nullptr}};
        ChangeHistory history;
        ChangeStep step;
        ChangePreview preview =
            PreviewChange({{Edit(&MotionModel::mass, FieldOp::Multiply, 2)}, {}, {}}, targets);
        for (ChangePreviewRow& row : preview.rows) {
            Force(row);  // the missing keys read as 0
        }
        ASSERT_EQ(ApplyChange(preview, step).Count(FileOutcome::Kind::Written), 2u);
        const std::string written = testing::ReadBytes(folder / "a.zrb");
        history.Record(std::move(step));
        EXPECT_EQ(history.Descriptions(), std::vector<std::string>{"mass \xC3\x97"
                                                                   "2 on 2 models"});

        if (c.changeOutside) {
            testing::WriteBytes(folder / "b.zrb", "edited elsewhere");
        }
        EXPECT_EQ(history.ChangedOutside(false),
                  c.changeOutside ? std::vector<std::string>{"b.zrb"} : std::vector<std::string>{});
        const ChangeOutcome undone = history.Undo(c.outside);
        EXPECT_EQ(testing::ReadBytes(folder / "a.zrb"), original);
        EXPECT_EQ(testing::ReadBytes(folder / "b.zrb"), c.restored ? original : "edited elsewhere");
        EXPECT_EQ(undone.Count(FileOutcome::Kind::Written), c.restored ? 2u : 1u);
        EXPECT_EQ(history.done(), 0u);
        EXPECT_TRUE(history.CanRedo());

        // Redo forward again: a file left by the undo is not part of it.
        EXPECT_TRUE(history.ChangedOutside(true).empty());
        const ChangeOutcome redone = history.Redo(OutsideChange::Skip);
        EXPECT_EQ(redone.Count(FileOutcome::Kind::Written), c.restored ? 2u : 1u);
        EXPECT_EQ(testing::ReadBytes(folder / "a.zrb"), written);
        EXPECT_EQ(testing::ReadBytes(folder / "b.zrb"), c.restored ? written : "edited elsewhere");
        EXPECT_EQ(history.done(), 1u);
    }
}

TEST(ChangeHistoryTest, AStoppedUndoGoesOnWhereItStoppedAndANewStepDropsTheUndone) {
    testing::TestFolder folder;
    std::vector<ChangeTarget> targets;
    for (const char* name : {"a.zrb", "b.zrb"}) {
        testing::WriteBytes(folder / name, WrittenBytes(testing::WorkedExample()));
        targets.push_back({folder / name, name, std::nullopt, nullptr});
    }
    ChangeHistory history;
    for (double mass : {1000.0, 2000.0}) {
        ChangeStep step;
        (void)ApplyChange(
            PreviewChange({{Edit(&MotionModel::mass, FieldOp::Set, mass)}, {}, {}}, targets), step);
        history.Record(std::move(step));
    }
    ASSERT_EQ(history.done(), 2u);
    const ChangeOutcome stopped =
        history.Undo(OutsideChange::Skip, [](std::size_t done, std::size_t) { return done < 1; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(history.done(), 2u);
    EXPECT_EQ(history.Undo(OutsideChange::Skip).Count(FileOutcome::Kind::Written), 1u);
    EXPECT_EQ(history.done(), 1u);
    EXPECT_EQ(ReadFleetRow(folder / "b.zrb", "b.zrb").model.mass, 1000);
    ChangeStep step;
    (void)ApplyChange(PreviewChange({{Edit(&MotionModel::mass, FieldOp::Set, 5)}, {}, {}}, targets),
                      step);
    history.Record(std::move(step));
    EXPECT_EQ(history.Descriptions(),
              (std::vector<std::string>{"mass = 1000 on 2 models", "mass = 5 on 2 models"}));
    EXPECT_FALSE(history.CanRedo());
}

// Every state a model can have against the reference, the names matched as the list's
// search matches them.
TEST(ReferenceTest, StatesCellsAndMissingModels) {
    const auto row = [](std::string name, double mass, bool read = true) {
        FleetRow r = Row(std::move(name), mass);
        r.read = read;
        return r;
    };
    const std::vector<FleetRow> rows = {row("Same.zrb", 950), row("heavier.zrb", 990),
                                        row("new.zrb", 1),    row("A.zrb", 2),
                                        row("a.zrb", 3),      row("broken.zrb", 0, false)};
    std::vector<FleetRow> reference = {row("a.zrb", 3), row("broken.zrb", 0), row("gone.zrb", 5),
                                       row("heavier.zrb", 950), row("same.zrb", 950)};
    reference[3].model.description = "//older";
    const ReferenceComparison comparison = MatchReference(rows, "ref", reference);
    const ReferenceState expected[] = {ReferenceState::Identical, ReferenceState::Differs,
                                       ReferenceState::New,       ReferenceState::New,
                                       ReferenceState::Identical, ReferenceState::Unreadable};
    ASSERT_EQ(comparison.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(ReferenceStateText(comparison.rows[i].state), ReferenceStateText(expected[i]))
            << rows[i].name;
    }
    ASSERT_EQ(comparison.missing.size(), 1u);
    EXPECT_EQ(comparison.referenceRows[comparison.missing[0].reference].name, "gone.zrb");
    EXPECT_TRUE(comparison.AnyDifference());
    std::vector<std::string> differing;
    for (int column = 0; column < kFleetColumns; ++column) {
        if (comparison.CellDiffers(1, column)) {
            differing.push_back(FleetColumnTitle(column) + "=" +
                                comparison.ReferenceCellText(1, column));
        }
    }
    EXPECT_THAT(differing, ElementsAre("description=//older", "mass=950"));

    const std::string csv = FleetCsvWithReference(rows, {1, 2}, comparison, true);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "name,reference,description,description (reference),gasScaleFactor,"
              "gasScaleFactor (reference),maxTurnRate,maxTurnRate (reference),maxAccel,maxAccel "
              "(reference),turnTightness,turnTightness (reference),mass,mass (reference),"
              "coeffStaticFriction,coeffStaticFriction (reference),coeffKineticFriction,"
              "coeffKineticFriction (reference),coefficientOfRestitution,coefficientOfRestitution "
              "(reference),horsePower,horsePower (reference),momentOfInertia,momentOfInertia "
              "(reference),bumpyFactor,bumpyFactor (reference),speed");
    EXPECT_EQ(csv.substr(csv.find("\r\n") + 2),
              "heavier.zrb,differs,//x,//older,0,,0,,0,,0,,990,950,0,,0,,0,,0,,0,,0,,\r\n"
              "new.zrb,new,//x,,0,,0,,0,,0,,1,,0,,0,,0,,0,,0,,0,,\r\n"
              "gone.zrb,missing,,//x,,0,,0,,0,,0,,5,,0,,0,,0,,0,,0,,0,\r\n");
}

TEST(ReferenceTest, ReadsTheReferenceFolderAndNamesOneThatCannotBeRead) {
    testing::TestFolder folder;
    std::filesystem::create_directory(folder / "ref");
    testing::WriteBytes(folder / "ref/car.zrb", WrittenBytes(testing::WorkedExample()));
    testing::WriteBytes(folder / "ref/notes.txt", "not a model");
    ReferenceComparison comparison;
    ASSERT_TRUE(CompareWithReference({ReadFleetRow(folder / "ref/car.zrb", "CAR.zrb")},
                                     folder / "ref", comparison));
    ASSERT_EQ(comparison.referenceRows.size(), 1u);
    EXPECT_EQ(comparison.rows[0].state, ReferenceState::Identical);
    const Result failed = CompareWithReference({}, folder / "none", comparison);
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.message().find(folder / "none"), std::string::npos);
}

}  // namespace
}  // namespace zrb
