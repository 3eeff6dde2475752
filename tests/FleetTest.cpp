// The fleet table: reading a folder's entries, sorting, filtering, the advice marks and
// the CSV export.

#include "model/Fleet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestFolder.h"

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
