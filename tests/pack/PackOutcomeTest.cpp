// The one message a pack ends with, from the runner's report or from what the archive
// folder shows.

#include "pack/PackOutcome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zrb {
namespace {

// A report line as the runner writes it for `.\SQZIP -a -f MODEL .\vehicles.sqs`.
std::string Call(int status, const std::string& words, const std::string& model) {
    return "call\t" + std::to_string(status) + "\t" + words + "\t.\\\\SQZIP\t-a\t-f\t" + model +
           "\t.\\\\vehicles.sqs\n";
}

const std::string kWine =
    "zrb-batch: /sim/sqzip.exe is a Windows program, and wine, which could run it, is not "
    "installed.\\n";
const std::string kNotZip = "sqzip: cannot open archive '.\\\\vehicles.sqs': Not a zip archive\\n";

struct ReportCase {
    const char* label;
    std::vector<std::string> models;
    std::string report;
    bool allPacked;
    std::string message;
};

void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << c.label;
}

class OutcomeFromReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(OutcomeFromReportTest, OneMessage) {
    const ReportCase& c = GetParam();
    const PackOutcome outcome = OutcomeFromReport(
        ParsePackReport(c.report),
        PackFacts{"vehicles.sqs", "/sim", c.models, "sqzip.exe copied from /opt/zrb"});
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_EQ(outcome.allPacked, c.allPacked);
}

const std::string kArchiver = "\n\nArchiver: sqzip.exe copied from /opt/zrb.";
const std::string kRemoved =
    "\n\nThe script removed their copies from /sim; the models themselves are unchanged.";
const std::vector<std::string> kEight = {"a.zrb", "b.zrb", "c.zrb", "d.zrb",
                                         "e.zrb", "f.zrb", "g.zrb", "h.zrb"};

std::string AllCalls(const std::vector<std::string>& models, int status, const std::string& words) {
    std::string calls;
    for (const std::string& model : models) {
        calls += Call(status, words, model);
    }
    return calls;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, OutcomeFromReportTest,
    ::testing::Values(
        ReportCase{"success", kEight, "start\n" + AllCalls(kEight, 0, "") + "end\n", true,
                   "Packed 8 models into vehicles.sqs." + kArchiver},
        ReportCase{"one model",
                   {"my car.zrb"},
                   "start\n" + Call(0, "", "my car.zrb") + "end\n",
                   true,
                   "Packed my car.zrb into vehicles.sqs." + kArchiver},
        ReportCase{"failed archiver",
                   {"a.zrb", "b.zrb"},
                   "start\n" + AllCalls({"a.zrb", "b.zrb"}, 1, kNotZip) + "end\n",
                   false,
                   "No model was packed into vehicles.sqs. For every model:\n\nsqzip: cannot open "
                   "archive '.\\vehicles.sqs': Not a zip archive" +
                       kRemoved + kArchiver},
        ReportCase{"missing wine, one model",
                   {"car.zrb"},
                   "start\n" + Call(-1, kWine, "car.zrb") + "end\n",
                   false,
                   "No model was packed into vehicles.sqs.\n\ncar.zrb: zrb-batch: /sim/sqzip.exe "
                   "is a Windows program, and wine, which could run it, is not installed." +
                       kRemoved + kArchiver},
        ReportCase{"partly failed, grouped by the words, each model's last call counts", kEight,
                   "start\n" + Call(1, "disk full", "a.zrb") + Call(0, "", "a.zrb") +
                       AllCalls({"b.zrb", "c.zrb", "d.zrb", "e.zrb", "f.zrb", "g.zrb"}, 1,
                                "sqzip: cannot read\\r\\n\\n  the file") +
                       Call(7, "", "h.zrb") + "end\n",
                   false,
                   "Packed 1 of 8 models into vehicles.sqs. Not packed:\n\nb.zrb, c.zrb, d.zrb, "
                   "e.zrb, f.zrb and 1 more: sqzip: cannot read the file\n\nh.zrb: the archiver "
                   "failed (exit status 7) and said nothing" +
                       kRemoved + kArchiver},
        ReportCase{"the runner stopped; its last line only half written",
                   {"a.zrb", "b.zrb", "c.zrb"},
                   "start\n" + Call(0, "", "a.zrb") + "call\t0\t",
                   false,
                   "The pack script for vehicles.sqs stopped before its end. Packed 1 of 3 "
                   "models into vehicles.sqs. Not packed:\n\nb.zrb, c.zrb: the script stopped "
                   "before it got to it\n\nCopies of models it did not get to are still in "
                   "/sim; the models themselves are unchanged." +
                       kArchiver},
        ReportCase{"calls all fine but the script not to its end",
                   {"a.zrb"},
                   "start\n" + Call(0, "", "a.zrb"),
                   false,
                   "The pack script for vehicles.sqs stopped before its end. Packed 1 of 1 model "
                   "into vehicles.sqs.\n\nCopies of models it did not get to are still in /sim; "
                   "the models themselves are unchanged." +
                       kArchiver}));

struct ArchiveCase {
    const char* label;
    ArchiveSeen seen;
    std::string message;
};

void PrintTo(const ArchiveCase& c, std::ostream* out) {
    *out << c.label;
}

class OutcomeFromArchiveTest : public ::testing::TestWithParam<ArchiveCase> {};

TEST_P(OutcomeFromArchiveTest, NeverClaimsWhatItCouldNotSee) {
    const ArchiveCase& c = GetParam();
    const PackOutcome outcome = OutcomeFromArchive(
        c.seen,
        PackFacts{
            "vehicles.sqs", "C:\\sim", {"a.zrb", "b.zrb"}, "the archive folder's own sqzip.exe"});
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_FALSE(outcome.allPacked);
}

const std::string kOwn = "\n\nArchiver: the archive folder's own sqzip.exe.";
const std::string kWords = "\n\nThe archiver's words were in the script's window.";

INSTANTIATE_TEST_SUITE_P(
    Seen, OutcomeFromArchiveTest,
    ::testing::Values(
        ArchiveCase{"unchanged",
                    {true, true, 100, 100, 5, 5, {}},
                    "The pack script for vehicles.sqs has ended. The archive was not changed: no "
                    "model was packed." +
                        kWords + kOwn},
        ArchiveCase{"same size, new time",
                    {true, true, 100, 100, 5, 6, {}},
                    "The pack script for vehicles.sqs has ended. The archive was changed and no "
                    "model copies were left behind; whether the archiver took every model, only "
                    "its words in the script's window can tell." +
                        kOwn},
        ArchiveCase{"never made",
                    {false, false, 0, 0, 0, 0, {"a.zrb", "b.zrb"}},
                    "The pack script for vehicles.sqs has ended. The archive does not exist: no "
                    "model was packed.\n\nThese model copies were left in C:\\sim, so they were "
                    "not packed: a.zrb, b.zrb." +
                        kWords + kOwn},
        ArchiveCase{"made, one copy left",
                    {false, true, 0, 300, 0, 7, {"b.zrb"}},
                    "The pack script for vehicles.sqs has ended. The archive was changed.\n\nThese "
                    "model copies were left in C:\\sim, so they were not packed: b.zrb." +
                        kWords + kOwn}));

TEST(PackProgressTextTest, CountsWhenKnown) {
    EXPECT_EQ(PackProgressText(120, 5000, "vehicles.sqs"),
              "Packing: 120 of 5000 models into vehicles.sqs");
    EXPECT_EQ(PackProgressText(0, 1, "vehicles.sqs"), "Packing: 0 of 1 model into vehicles.sqs");
    EXPECT_EQ(PackProgressText(0, 0, "vehicles.sqs"), "Packing into vehicles.sqs");
}

}  // namespace
}  // namespace zrb
