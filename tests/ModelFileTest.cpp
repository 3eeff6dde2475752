#include "model/ModelFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <ostream>

#include "TestFolder.h"
#include "WorkedExample.h"
#include "model/InputFile.h"
#include "platform/SafeFile.h"

namespace {

using namespace std::string_literals;
using zrb::ModelFileVariant;
using zrb::MotionModel;
using zrb::testing::ReadBytes;
using zrb::testing::TestFolder;
using zrb::testing::WriteBytes;

// The worked example as the user typed it, before the writer adds "//".
MotionModel AsTyped() {
    return zrb::testing::ExampleModel("Small city car");
}

std::string WorkedExampleBytes(const std::string& horsePower) {
    return "//Small city car\r\n"
           "// ----------------------------------------------\r\n"
           "// Info required for motion model data files:\r\n"
           "// .gasScaleFactor is a multiplier so you can scale the max speed of this object\r\n"
           "// Maximum recommended .gasScaleFactor for this object is 0.2500\r\n"
           "// .maxTurnRate is the sharpest turn the veh can make.\r\n"
           "\r\n"
           ".gasScaleFactor\t\t\t0.2500\r\n"
           ".maxTurnRate\t\t\t60.0000\r\n"
           ".maxAccel\t\t\t\t0.4000\r\n"
           ".turnTightness\t\t\t0.0200\r\n"
           ".mass\t\t\t\t\t950.00\r\n"
           ".coeffStaticFriction\t0.70\r\n"
           ".coeffKineticFriction\t0.50\r\n"
           ".coefficientOfRestitution 0.3\r\n"
           ".horsePower\t\t\t\t" +
           horsePower +
           "\r\n"
           ".momentOfInertia\t\t520.0\r\n"
           ".bumpyFactor\t\t\t0.1\r\n";
}

struct VariantCase {
    ModelFileVariant variant;
    std::string horsePower;
    std::size_t size;
};

void PrintTo(const VariantCase& c, std::ostream* out) {
    *out << c.size << " bytes";
}

class WorkedExampleTest : public testing::TestWithParam<VariantCase> {};

TEST_P(WorkedExampleTest, WritesExactBytesAndReadsThemBack) {
    const VariantCase& c = GetParam();
    TestFolder folder;
    const std::string path = folder / "car.zrb";
    MotionModel model = AsTyped();
    ASSERT_TRUE(zrb::WriteModelFile(path, model, c.variant));
    EXPECT_EQ(model.description, "//Small city car");
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.size(), c.size);
    EXPECT_EQ(bytes, WorkedExampleBytes(c.horsePower));

    MotionModel read;
    std::string speed = "unchanged";
    ASSERT_TRUE(zrb::ReadModelFile(path, read, speed));
    EXPECT_EQ(read, model);
    EXPECT_EQ(speed, "150");

    // Write, read, write gives the same bytes again.
    ASSERT_TRUE(zrb::WriteModelFile(path, read, c.variant));
    EXPECT_EQ(ReadBytes(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(Variants, WorkedExampleTest,
                         testing::Values(VariantCase{ModelFileVariant::SaveChanges, "75.0", 588},
                                         VariantCase{ModelFileVariant::SaveAsNew, "7.5e+001",
                                                     592}));

TEST(DescriptionRuleTest, PutsSlashesInFrontOnlyWhenMissing) {
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {{"Small city car", "//Small city car"},
                 {"//already", "//already"},
                 {"", "//"},
                 {"/", "///"},
                 {" //x", "// //x"},
                 {"/x", "///x"}};
    TestFolder folder;
    for (const auto& c : cases) {
        MotionModel model;
        model.description = c.typed;
        ASSERT_TRUE(zrb::WriteModelFile(folder / "d.zrb", model, ModelFileVariant::SaveChanges));
        EXPECT_EQ(model.description, c.stored);
        const std::string bytes = ReadBytes(folder / "d.zrb");
        EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), c.stored);
    }
}

TEST(DescriptionRuleTest, AppliesEvenWhenTheWriteFails) {
    MotionModel model;
    model.description = "x";
    EXPECT_FALSE(
        zrb::WriteModelFile("/nonexistent-folder-zrb/a.zrb", model, ModelFileVariant::SaveChanges));
    EXPECT_EQ(model.description, "//x");
}

TEST(WriterTest, RoundsEachFieldToItsDigits) {
    TestFolder folder;
    MotionModel model;
    model.gasScaleFactor = 0.123456;
    model.momentOfInertia = 612.37;
    model.horsePower = 123;
    ASSERT_TRUE(zrb::WriteModelFile(folder / "a.zrb", model, ModelFileVariant::SaveAsNew));
    const std::string bytes = ReadBytes(folder / "a.zrb");
    EXPECT_NE(bytes.find("for this object is 0.1235\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(".gasScaleFactor\t\t\t0.1235\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(".horsePower\t\t\t\t1.2e+002\r\n"), std::string::npos);

    MotionModel read;
    std::string speed;
    ASSERT_TRUE(zrb::ReadModelFile(folder / "a.zrb", read, speed));
    EXPECT_EQ(read.gasScaleFactor, 0.1235);
    EXPECT_EQ(read.momentOfInertia, 612.4);
    EXPECT_EQ(read.horsePower, 120);

    ASSERT_TRUE(zrb::WriteModelFile(folder / "b.zrb", model, ModelFileVariant::SaveChanges));
    ASSERT_TRUE(zrb::ReadModelFile(folder / "b.zrb", read, speed));
    EXPECT_EQ(read.horsePower, 123);
}

TEST(WriterTest, RefusesValuesThatCannotBeReadBack) {
    TestFolder folder;
    const std::string path = folder / "a.zrb";
    WriteBytes(path, "old");
    for (double bad :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        MotionModel model;
        model.mass = bad;
        const zrb::Result result = zrb::WriteModelFile(path, model, ModelFileVariant::SaveChanges);
        EXPECT_FALSE(result);
        EXPECT_NE(result.message().find("mass"), std::string::npos) << result.message();
        EXPECT_EQ(ReadBytes(path), "old");
    }
}

// --- Reader -----------------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string content;
    std::string description;
    double mass;  // the model held 7 before reading
    double gas;   // likewise 3
    std::string speed;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class ReaderTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReaderTest, FollowsTheLineRules) {
    const ReadCase& c = GetParam();
    TestFolder folder;
    WriteBytes(folder / "m.zrb", c.content);
    MotionModel model;
    model.mass = 7;
    model.gasScaleFactor = 3;
    model.description = "old";
    std::string speed = "old speed";
    EXPECT_TRUE(zrb::ReadModelFile(folder / "m.zrb", model, speed));
    EXPECT_EQ(model.description, c.description);
    EXPECT_EQ(model.mass, c.mass);
    EXPECT_EQ(model.gasScaleFactor, c.gas);
    EXPECT_EQ(speed, c.speed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReaderTest,
    testing::Values(
        ReadCase{"ValueColumn", "d\r\n.mass\t\t\t\t\t950.00\r\n", "d", 950, 3, "old speed"},
        ReadCase{"ShorterSeparatorLosesDigits", "d\r\n.mass\t950.00\r\n", "d", 0, 3, "old speed"},
        ReadCase{"LongerSeparatorIsHarmless", "d\r\n.mass\t\t\t\t\t\t  950.5\r\n", "d", 950.5, 3,
                 "old speed"},
        ReadCase{"IndentedKeyIsNotRecognised",
                 "d\r\n .mass\t\t\t\t\t950.00\r\n\t.mass\t\t\t\t\t1\n", "d", 7, 3, "old speed"},
        ReadCase{"KeyPrefixCounts", "d\r\n.massive\t9\r\n", "d", 0, 3, "old speed"},
        ReadCase{"KeyPrefixValueFromColumn", "d\r\n.massive\t\t\t\t\t9\r\n", "d", 9, 3,
                 "old speed"},
        ReadCase{"KeyAloneGivesZero", "d\r\n.mass\r\n.gasScaleFactor", "d", 0, 0, "0"},
        ReadCase{"WrongCaseIsNotAKey", "d\r\n.Mass\t\t\t\t\t5\r\n", "d", 7, 3, "old speed"},
        ReadCase{"LastOccurrenceWins",
                 "d\r\n.mass\t\t\t\t\t1\r\n.gasScaleFactor\t\t\t0.1\r\n.mass\t\t\t\t\t2\r\n", "d",
                 2, 0.1, "60"},
        ReadCase{"BareLineFeedsAndNoFinalLineEnd", "d\n.mass\t\t\t\t\t5\n.gasScaleFactor\t\t\t0.2",
                 "d", 5, 0.2, "120"},
        ReadCase{"FirstLineIsAlwaysTheDescription", ".mass\t\t\t\t\t5\r\n", ".mass\t\t\t\t\t5", 7,
                 3, "old speed"},
        ReadCase{"EmptyFileEmptiesOnlyTheDescription", "", "", 7, 3, "old speed"},
        ReadCase{"LoneCarriageReturnStaysInTheLine", "a\rb\r\n.mass\t\t\t\t\t5\r\r\n", "a\rb", 5, 3,
                 "old speed"},
        ReadCase{"NumberPrefixTaken", "d\r\n.mass\t\t\t\t\t12abc\r\n", "d", 12, 3, "old speed"},
        ReadCase{"NotANumber", "d\r\n.mass\t\t\t\t\tabc\r\n", "d", 0, 3, "old speed"},
        ReadCase{"NulBytesKept", "a\0b\r\n.mass\t\t\t\t\t5\0x\r\n"s, "a\0b"s, 5, 3, "old speed"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ReaderTest, LongLinesComeInPiecesOf1023) {
    TestFolder folder;
    // The second piece of the description is a key line: it counts as a line of its own.
    const std::string description = std::string(1023, 'x') + ".mass\t\t\t\t\t8";
    WriteBytes(folder / "m.zrb", description + "\r\n" + std::string(1023, 'y') + "\r\n" +
                                     std::string(2046, 'z') + "\n.gasScaleFactor\t\t\t1");
    MotionModel model;
    std::string speed;
    ASSERT_TRUE(zrb::ReadModelFile(folder / "m.zrb", model, speed));
    EXPECT_EQ(model.description, std::string(1023, 'x'));
    EXPECT_EQ(model.mass, 8);
    // A line of exactly 1023 characters, and one of 2046, leave no empty piece behind
    // that could swallow the next key.
    EXPECT_EQ(model.gasScaleFactor, 1);
    EXPECT_EQ(speed, "600");
}

TEST(ReaderTest, LongDescriptionIsWrittenWholeAndReadBackCut) {
    TestFolder folder;
    MotionModel model;
    model.description = "//" + std::string(2000, 'd');
    model.mass = 5;
    ASSERT_TRUE(zrb::WriteModelFile(folder / "m.zrb", model, ModelFileVariant::SaveChanges));
    EXPECT_EQ(ReadBytes(folder / "m.zrb").find("\r\n"), 2002u);
    MotionModel read;
    std::string speed;
    ASSERT_TRUE(zrb::ReadModelFile(folder / "m.zrb", read, speed));
    EXPECT_EQ(read.description, model.description.substr(0, 1023));
    EXPECT_EQ(read.mass, 5);
}

TEST(ReaderTest, MissingFileReadsLikeOneEmptyLine) {
    MotionModel model;
    model.description = "keep?";
    model.mass = 4;
    std::string speed = "42";
    EXPECT_FALSE(zrb::ReadModelFile("/nonexistent-folder-zrb/x.zrb", model, speed));
    EXPECT_EQ(model.description, "");
    EXPECT_EQ(model.mass, 4);
    EXPECT_EQ(speed, "42");
}

// Special files, modes, owners and the write seam are POSIX's; Windows has its own
// cases in tests/win32/.
#ifndef _WIN32
TEST(ReaderTest, RefusesWhatIsNoRegularFileWithoutWaitingOrReadingForEver) {
    TestFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe.zrb").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "zero.zrb");
    std::filesystem::create_directory(folder / "dir.zrb");
    WriteBytes(folder / "huge.zrb", "//huge\r\n" + std::string(zrb::kMaxModelFileBytes, '\n'));
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"pipe.zrb", "it is not a regular file"},
        {"zero.zrb", "it is not a regular file"},
        {"dir.zrb", "it is a folder"},
        {"huge.zrb", "it is far too large to be a motion model"},
    };
    for (const auto& c : cases) {
        MotionModel model;
        model.description = "old";
        std::string speed;
        const zrb::Result read = zrb::ReadModelFile(folder / c.name, model, speed);
        EXPECT_FALSE(read) << c.name;
        EXPECT_NE(read.message().find("\"" + (folder / c.name) + "\": " + c.reason),
                  std::string::npos)
            << read.message();
        EXPECT_EQ(model.description, "");
    }
}

#endif

TEST(ReaderTest, KeysMissingFromTheFileKeepTheEarlierValues) {
    TestFolder folder;
    MotionModel full = AsTyped();
    ASSERT_TRUE(zrb::WriteModelFile(folder / "full.zrb", full, ModelFileVariant::SaveChanges));
    WriteBytes(folder / "part.zrb", "//part\r\n.mass\t\t\t\t\t1.00\r\n");
    MotionModel model;
    std::string speed;
    ASSERT_TRUE(zrb::ReadModelFile(folder / "full.zrb", model, speed));
    ASSERT_TRUE(zrb::ReadModelFile(folder / "part.zrb", model, speed));
    EXPECT_EQ(model.description, "//part");
    EXPECT_EQ(model.mass, 1);
    EXPECT_EQ(model.horsePower, 75);
    EXPECT_EQ(model.gasScaleFactor, 0.25);
    EXPECT_EQ(speed, "150");
}

// --- Failures of the writer ---------------------------------------------------------

#ifndef _WIN32
TEST(WriterFailureTest, ReportsWhyAndKeepsTheOldFile) {
    TestFolder folder;
    const std::string readOnly = folder / "ro.zrb";
    WriteBytes(readOnly, "old bytes");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    std::filesystem::create_directory(folder / "dir.zrb");

    const struct {
        std::string path;
        const char* reason;
    } cases[] = {{readOnly, "read-only"},
                 {folder / "missing/a.zrb", "folder does not exist"},
                 {folder / "dir.zrb", "is a folder"},
                 {"", "no file name"},
                 {folder.path() + "/", "no file name"},
                 // 256 bytes: one more than the system allows in a name.
                 {folder / (std::string(252, 'n') + ".zrb"), "the name is too long"}};
    for (const auto& c : cases) {
        MotionModel model = AsTyped();
        const zrb::Result result =
            zrb::WriteModelFile(c.path, model, ModelFileVariant::SaveChanges);
        EXPECT_FALSE(result) << c.path;
        EXPECT_NE(result.message().find(c.reason), std::string::npos) << result.message();
        EXPECT_NE(result.message().find(c.path), std::string::npos) << result.message();
    }
    EXPECT_EQ(ReadBytes(readOnly), "old bytes");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              2);
}

int g_writesBeforeFault = 0;
int g_faultErrno = 0;

long FailingWrite(int fd, const void* data, unsigned long size) {
    if (g_writesBeforeFault-- <= 0) {
        errno = g_faultErrno;
        return -1;
    }
    // Write only part of what was asked, so the writer has to carry on.
    const unsigned long part = size > 10 ? 10 : size;
    return static_cast<long>(::write(fd, data, part));
}

TEST(WriterFailureTest, FaultMidWriteLeavesTheOldBytesAndNoTemporaryFile) {
    const struct {
        int writesBefore;
        int error;
        const char* reason;
    } cases[] = {
        {0, ENOSPC, "disk is full"}, {3, ENOSPC, "disk is full"}, {5, EIO, "Input/output"}};
    for (const auto& c : cases) {
        TestFolder folder;
        const std::string path = folder / "car.zrb";
        WriteBytes(path, "old bytes");
        ::chmod(path.c_str(), 0640);
        g_writesBeforeFault = c.writesBefore;
        g_faultErrno = c.error;
        zrb::SetWriteFunctionForTesting(&FailingWrite);
        MotionModel model = AsTyped();
        const zrb::Result result = zrb::WriteModelFile(path, model, ModelFileVariant::SaveChanges);
        zrb::SetWriteFunctionForTesting(nullptr);
        EXPECT_FALSE(result);
        EXPECT_NE(result.message().find(c.reason), std::string::npos) << result.message();
        EXPECT_EQ(ReadBytes(path), "old bytes");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

TEST(WriterTest, ShortWritesAreCompletedAndPermissionsKept) {
    TestFolder folder;
    const std::string path = folder / "car.zrb";
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0640);
    g_writesBeforeFault = 1000;
    zrb::SetWriteFunctionForTesting(&FailingWrite);
    MotionModel model = AsTyped();
    const zrb::Result result = zrb::WriteModelFile(path, model, ModelFileVariant::SaveChanges);
    zrb::SetWriteFunctionForTesting(nullptr);
    ASSERT_TRUE(result) << result.message();
    EXPECT_EQ(ReadBytes(path), WorkedExampleBytes("75.0"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(WriterTest, SymbolicLinkStaysALink) {
    TestFolder folder;
    std::filesystem::create_directory(folder / "real");
    WriteBytes(folder / "real/car.zrb", "old");
    std::filesystem::create_symlink("real/car.zrb", folder / "link.zrb");
    MotionModel model = AsTyped();
    ASSERT_TRUE(zrb::WriteModelFile(folder / "link.zrb", model, ModelFileVariant::SaveChanges));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.zrb"));
    EXPECT_EQ(ReadBytes(folder / "real/car.zrb"), WorkedExampleBytes("75.0"));
}

TEST(WriterTest, RefusesToReplaceAFileInAFolderWithoutNewFiles) {
    TestFolder folder;
    const std::string sub = folder / "locked";
    std::filesystem::create_directory(sub);
    const std::string path = sub + "/car.zrb";
    WriteBytes(path, "old");
    // Root may create files in any folder, so the writer runs as an ordinary user then.
    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
    ASSERT_EQ(::chown(path.c_str(), user, user), 0);
    ASSERT_EQ(::chown(sub.c_str(), user, user), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(user) != 0 || ::setuid(user) != 0)) {
            ::_exit(3);
        }
        MotionModel model = AsTyped();
        const zrb::Result result = zrb::WriteModelFile(path, model, ModelFileVariant::SaveChanges);
        const bool told =
            result.message().find("\"" + sub +
                                  "\" does not allow new files, so the file cannot "
                                  "be replaced safely; it was not changed") != std::string::npos;
        ::_exit(!result && told ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(path), "old");
}

#endif

TEST(WriterTest, SaveRemovesOnlyItsOwnStaleTemporaryFiles) {
    TestFolder folder;
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    const struct {
        const char* name;
        bool old;
        bool removed;
    } cases[] = {
        {".car.zrb.tmp-a1B2c3", true, true},
        {".car.zrb.tmp-Zz9900", true, true},
        {".car.zrb.tmp-a1B2c4", false, false},  // may belong to a save still running
        {".bus.zrb.tmp-a1B2c3", true, false},   // another file's
        {".car.zrb.tmp-a1B2c", true, false},    // not the pattern
        {".car.zrb.tmp-a1B2c3d", true, false},
        {"car.zrb.tmp-a1B2c3", true, false},
        {".car.zrb.tmp-a1-2c3", true, false},
        // The short form of a name too long for the other: it could be any file's.
        {".zrb-a1B2c3.tmp", true, true},
        {".zrb-Q1w2E3.tmp", false, false},
        {".zrb-a1B2c.tmp", true, false},
        {".zrb-a1B2c3.tmpx", true, false},
    };
    for (const auto& c : cases) {
        WriteBytes(folder / c.name, "partial");
        if (c.old) {
            std::filesystem::last_write_time(folder / c.name, old);
        }
    }
    MotionModel model = AsTyped();
    ASSERT_TRUE(zrb::WriteModelFile(folder / "car.zrb", model, ModelFileVariant::SaveChanges));
    for (const auto& c : cases) {
        EXPECT_EQ(std::filesystem::exists(folder / c.name), !c.removed) << c.name;
    }
}

TEST(WriterTest, NamesTooLongForTheTemporaryFilesUsualNameAreSaved) {
    // ".<name>.tmp-XXXXXX" passes 255 bytes from a name of 244 on.
    for (const std::size_t length : {243u, 244u, 255u}) {
        TestFolder folder;
        const std::string path = folder / (std::string(length - 4, 'm') + ".zrb");
        MotionModel model = AsTyped();
        ASSERT_TRUE(zrb::WriteModelFile(path, model, ModelFileVariant::SaveChanges)) << length;
        ASSERT_TRUE(zrb::WriteModelFile(path, model, ModelFileVariant::SaveAsNew)) << length;
        EXPECT_EQ(ReadBytes(path), zrb::ModelFileBytes(model, ModelFileVariant::SaveAsNew));
        // No temporary file is left behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

}  // namespace
