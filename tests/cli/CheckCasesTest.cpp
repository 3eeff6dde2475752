// "zrb check" against the folder of cases: each case is an input.zrb and the findings
// expected for it, one per line, in expected.txt.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "CliRun.h"
#include "TestFolder.h"

namespace {

namespace fs = std::filesystem;
using zrb::testing::ReadBytes;
using zrb::testing::Zrb;

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ZRB_CHECK_CASES_DIR, ec)) {
        if (entry.is_directory()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class CheckCaseTest : public testing::TestWithParam<std::string> {};

TEST_P(CheckCaseTest, ReportsExactlyTheExpectedFindings) {
    const std::string folder = std::string(ZRB_CHECK_CASES_DIR) + "/" + GetParam();
    const std::string input = folder + "/input.zrb";
    ASSERT_TRUE(fs::exists(input)) << input;
    const std::vector<std::string> expected = Lines(ReadBytes(folder + "/expected.txt"));

    const auto run = Zrb({"check", input});
    // Findings name the file as given; the expectations name it input.zrb.
    std::vector<std::string> actual = Lines(run.out);
    for (std::string& line : actual) {
        ASSERT_EQ(line.compare(0, folder.size() + 1, folder + "/"), 0) << line;
        line.erase(0, folder.size() + 1);
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(run.status, expected.empty() ? 0 : 1);
    EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckCaseTest, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(CheckCasesFolderTest, HoldsCleanAndFaultyCases) {
    // Guards against a moved folder silently leaving the table empty.
    const auto names = CaseNames();
    EXPECT_GE(names.size(), 15u);
    EXPECT_NE(std::find(names.begin(), names.end(), "clean-worked-example"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "value-cut-by-column"), names.end());
}

TEST(CheckOptionsTest, NoWarningsLeavesOutOnlyTheAdvice) {
    const std::string folder = ZRB_CHECK_CASES_DIR;
    const auto advice = Zrb({"check", "--no-warnings", folder + "/advice-warnings/input.zrb"});
    EXPECT_EQ(advice.status, 0);
    EXPECT_EQ(advice.out, "");
    const auto cut = Zrb({"check", "--no-warnings", folder + "/value-cut-by-column/input.zrb"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.out.find("is cut"), std::string::npos);
}

}  // namespace
