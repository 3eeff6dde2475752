#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <map>
#include <sstream>

#include "CliRun.h"
#include "TestFolder.h"
#include "model/Workspace.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

namespace {

using zrb::ModelFileBytes;
using zrb::ModelFileVariant;
using zrb::MotionModel;
using zrb::testing::ReadBytes;
using zrb::testing::SmallCityCar;
using zrb::testing::TestFolder;
using zrb::testing::WriteBytes;
using zrb::testing::Zrb;

void WriteModel(const std::string& path, MotionModel model,
                ModelFileVariant variant = ModelFileVariant::SaveChanges) {
    ASSERT_TRUE(zrb::WriteModelFile(path, model, variant));
}

// The worked example with one line replaced (lines counted from 1).
std::string WithLine(int number, const std::string& text) {
    const std::string bytes = ModelFileBytes(SmallCityCar(), ModelFileVariant::SaveChanges);
    std::size_t start = 0;
    for (int i = 1; i < number; ++i) {
        start = bytes.find("\r\n", start) + 2;
    }
    const std::size_t end = bytes.find("\r\n", start);
    return bytes.substr(0, start) + text + bytes.substr(end);
}

// --- arguments -------------------------------------------------------------------

struct UsageCase {
    std::vector<std::string> args;
    std::string message;
};

void PrintTo(const UsageCase& c, std::ostream* out) {
    *out << c.message;
}

class UsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, BadArgumentsGiveUsageAndStatus2) {
    const auto run = Zrb(GetParam().args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("zrb"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UsageTest,
    testing::Values(UsageCase{{}, "no command given"},
                    UsageCase{{"frobnicate"}, "unknown command \"frobnicate\""},
                    UsageCase{{"show"}, "Usage: zrb show"},
                    UsageCase{{"check"}, "Usage: zrb check"},
                    UsageCase{{"show", "--bogus", "a.zrb"}, "unknown option \"--bogus\""},
                    UsageCase{{"check", "--json", "a.zrb"}, "unknown option \"--json\""},
                    UsageCase{{"diff", "a.zrb"}, "exactly two files"},
                    UsageCase{{"diff", "a.zrb", "b.zrb", "c.zrb"}, "exactly two files"},
                    UsageCase{{"set", "a.zrb"}, "no NAME=VALUE given"},
                    UsageCase{{"set", "mass=1"}, "no file given"},
                    UsageCase{{"set", "a.zrb", "mass", "--from"}, "--from needs a value"},
                    UsageCase{{"set", "--from", "t.zrb", "a.zrb"}, "no field to copy given"},
                    UsageCase{{"diff", ".", "a.zrb"}, "not one of each"},
                    UsageCase{{"help", "frobnicate"}, "unknown command"}));

// The overview's usage lines are made from the command table; the descriptions in the
// overview and each command's help are written by hand and must keep up with it.
TEST(HelpTest, EveryCommandInTheOverviewIsDescribedWithItsOptions) {
    const auto overview = Zrb({"--help"});
    EXPECT_EQ(overview.status, 0);
    EXPECT_EQ(overview.err, "");
    std::istringstream lines(overview.out);
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  zrb ", 0) != 0 || line.rfind("  zrb --help", 0) == 0) {
            continue;
        }
        const std::string synopsis = line.substr(2);
        const std::string name = synopsis.substr(4, synopsis.find(' ', 4) - 4);
        names.push_back(name);
        EXPECT_NE(overview.out.find("\n  " + name + " "), std::string::npos)
            << name << " is not described in the overview";

        const auto help = Zrb({name, "--help"});
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_EQ(help.err, "") << name;
        EXPECT_EQ(help.out.rfind("Usage: " + synopsis + "\n\n", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("\nExit status: "), std::string::npos) << help.out;
        for (std::size_t open = synopsis.find("[--"); open != std::string::npos;
             open = synopsis.find("[--", open + 1)) {
            const std::string option =
                synopsis.substr(open + 1, synopsis.find(']', open) - open - 1);
            EXPECT_NE(help.out.find("\n  " + option + "  "), std::string::npos)
                << option << " is not described in the help of " << name;
        }
        const auto helpCommand = Zrb({"help", name});
        EXPECT_EQ(helpCommand.status, 0) << name;
        EXPECT_EQ(helpCommand.out, help.out) << name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"show", "check", "set", "diff", "table"}));
    EXPECT_NE(Zrb({"set", "--help"}).out.find("coefficientOfRestitution"), std::string::npos);
    EXPECT_NE(Zrb({"help", "check"}).out.find("turnTightness 0.001 to 0.1"), std::string::npos);
}

// How zrb.exe splits its command line: as the C runtime does, except for a folder in
// quotes that ends in a backslash, which cmd users type as "C:\my models\".
struct CommandLineCase {
    std::string line;
    std::vector<std::string> args;
};

void PrintTo(const CommandLineCase& c, std::ostream* out) {
    *out << c.line;
}

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, SplitsAsTyped) {
    EXPECT_EQ(zrb::SplitWindowsCommandLine(GetParam().line), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineTest,
    testing::Values(
        CommandLineCase{R"(zrb show "C:\my models\")", {"show", R"(C:\my models\)"}},
        CommandLineCase{R"(zrb show "C:\my models\" b.zrb)", {"show", R"(C:\my models\)", "b.zrb"}},
        CommandLineCase{R"("C:\Program Files\zrb.exe" show C:\models\ "x y"  z)",
                        {"show", R"(C:\models\)", "x y", "z"}},
        // The C runtime's rules elsewhere: \" is a quote, \\" a backslash and a delimiter.
        CommandLineCase{R"(zrb a\"b "c\"d" e\\"f g")", {R"(a"b)", R"(c"d)", R"(e\f g)"}},
        CommandLineCase{R"(zrb "a""b" "")", {R"(a"b)", ""}},
        CommandLineCase{"zrb\tset\tmass=1", {"set", "mass=1"}}));

#ifdef _WIN32
TEST(WildcardTest, MatchesInTheListOrderAndNamesAPatternThatMatchesNothing) {
    TestFolder folder;
    for (const char* name : {"b.zrb", "a.zrb", "C.ZRB", "a.zrbak", "notes.txt"}) {
        WriteModel(folder / name, SmallCityCar());
    }
    const auto run = Zrb({"show", folder.path() + "\\*.zrb", folder.path() + "\\?.txt"});
    EXPECT_EQ(run.status, 2);
    std::vector<std::string> headers;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("==> ", 0) == 0) {
            headers.push_back(line);
        }
    }
    EXPECT_EQ(headers, (std::vector<std::string>{"==> " + folder.path() + "\\a.zrb <==",
                                                 "==> " + folder.path() + "\\b.zrb <==",
                                                 "==> " + folder.path() + "\\C.ZRB <=="}))
        << run.out;
    EXPECT_EQ(run.err, "zrb: no file matches \"" + folder.path() + "\\?.txt\"\n");
}
#endif

// --- show ------------------------------------------------------------------------

TEST(ShowTest, PrintsWhatTheReaderGetsInTheBoxFormat) {
    TestFolder folder;
    WriteModel(folder / "car.zrb", SmallCityCar(), ModelFileVariant::SaveAsNew);
    const auto run = Zrb({"show", folder / "car.zrb"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "description = //Small city car\n"
              "gasScaleFactor = 0.25\n"
              "maxTurnRate = 60\n"
              "maxAccel = 0.4\n"
              "turnTightness = 0.02\n"
              "mass = 950\n"
              "coeffStaticFriction = 0.7\n"
              "coeffKineticFriction = 0.5\n"
              "coefficientOfRestitution = 0.3\n"
              "horsePower = 75\n"
              "momentOfInertia = 520\n"
              "bumpyFactor = 0.1\n"
              "speed = 150\n");
}

TEST(ShowTest, ShowsTheMisreadValueAndEachFileFromAFreshModel) {
    TestFolder folder;
    WriteModel(folder / "a.zrb", SmallCityCar());
    // Lacks .gasScaleFactor and has its mass cut by the value column: a fresh model
    // gives 0 for both and no speed, not the previous file's values.
    WriteBytes(folder / "b.zrb", WithLine(8, "// no gas"));
    WriteBytes(folder / "c.zrb", WithLine(12, ".mass\t950.00"));
    const auto run = Zrb({"show", folder / "a.zrb", folder / "b.zrb", folder / "c.zrb"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("==> " + (folder / "b.zrb") +
                           " <==\ndescription = //Small city car\ngasScaleFactor = 0\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("bumpyFactor = 0.1\nspeed = \n\n==> " + (folder / "c.zrb")),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("mass = 0\n"), std::string::npos);
}

TEST(ShowTest, UnreadableFileIsReportedAndTheOthersShown) {
    TestFolder folder;
    WriteModel(folder / "car.zrb", SmallCityCar());
    const auto run = Zrb({"show", folder / "missing.zrb", folder / "car.zrb"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("\"" + (folder / "missing.zrb") + "\""), std::string::npos);
#ifdef _WIN32
    EXPECT_NE(run.err.find("File not found"), std::string::npos) << run.err;
#else
    EXPECT_NE(run.err.find("No such file"), std::string::npos) << run.err;
#endif
    EXPECT_NE(run.out.find("mass = 950"), std::string::npos);
}

// --- check -----------------------------------------------------------------------

TEST(CheckTest, FolderMeansItsModelsInTheListOrder) {
    TestFolder folder;
    const std::string unslashed = WithLine(1, "no slashes");
    for (const char* name : {"b.zrb", "a.zrb", "C.ZRB", "A.zrb"}) {
        WriteBytes(folder / name, unslashed);
    }
    WriteBytes(folder / "notes.txt", unslashed);
    const auto run = Zrb({"check", folder.path() + "/"});
    EXPECT_EQ(run.status, 1);
    const std::string tail =
        ":1: the description does not begin with \"//\"; saving puts \"//\" "
        "in front of it\n";
#ifdef _WIN32
    // Names that differ in case only are one file there.
    EXPECT_EQ(run.out,
              (folder / "a.zrb") + tail + (folder / "b.zrb") + tail + (folder / "C.ZRB") + tail);
#else
    EXPECT_EQ(run.out, (folder / "A.zrb") + tail + (folder / "a.zrb") + tail + (folder / "b.zrb") +
                           tail + (folder / "C.ZRB") + tail);
#endif
}

TEST(CheckTest, UnreadableFilesGiveStatus2AndTheRestIsStillChecked) {
    TestFolder folder;
    std::filesystem::create_directory(folder / "sub.zrb");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder / "pipe.zrb").c_str(), 0644), 0);  // would hang a blocking open
#endif
    WriteBytes(folder / "x.zrb", WithLine(12, ".mass\t950.00"));
    const auto run = Zrb({"check", folder.path(), folder / "missing.zrb"});
    EXPECT_EQ(run.status, 2);
    // A folder named like a model is named and left out; the models are still checked.
    EXPECT_NE(
        run.err.find("\"" + (folder / "sub.zrb") + "\" is a folder, not a model file; left out"),
        std::string::npos)
        << run.err;
#ifndef _WIN32
    EXPECT_NE(run.err.find("\"" + (folder / "pipe.zrb") + "\": it is not a regular file"),
              std::string::npos)
        << run.err;
#endif
    EXPECT_NE(run.err.find(folder / "missing.zrb"), std::string::npos);
    EXPECT_NE(run.out.find((folder / "x.zrb") + ":12: .mass value"), std::string::npos);
}

TEST(ExamplesTest, AreCleanAndIncludeTheWorkedExample) {
    const std::string examples = ZRB_EXAMPLES_DIR;
    const auto run = Zrb({"check", examples});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_GE(zrb::SearchModelFolder(examples).size(), 5u);
    const std::string bytes = ReadBytes(examples + "/small_city_car.zrb");
    EXPECT_EQ(bytes.size(), 588u);
    EXPECT_EQ(bytes, ModelFileBytes(SmallCityCar(), ModelFileVariant::SaveChanges));
}

// --- set -------------------------------------------------------------------------

class SetTest : public testing::Test {
  protected:
    void SetUp() override {
        MotionModel truck = SmallCityCar();
        truck.description = "//Truck";
        truck.mass = 7500;
        MotionModel bike = SmallCityCar();
        bike.description = "//Bike";
        bike.horsePower = 95;
        models_ = {{folder_ / "car.zrb", SmallCityCar()},
                   {folder_ / "truck.zrb", truck},
                   {folder_ / "models/bike.zrb", bike}};
        std::filesystem::create_directory(folder_ / "models");
        for (auto& [path, model] : models_) {
            // One written by "Save as New", whose horsepower "set" rewrites with one decimal.
            WriteModel(path, model,
                       path == folder_ / "truck.zrb" ? ModelFileVariant::SaveAsNew
                                                     : ModelFileVariant::SaveChanges);
        }
    }
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> bytes;
        for (const auto& [path, model] : models_) {
            bytes[path] = ReadBytes(path);
        }
        return bytes;
    }
    std::vector<std::string> Args(std::vector<std::string> settings) const {
        std::vector<std::string> args = {"set", folder_ / "car.zrb", folder_ / "truck.zrb",
                                         folder_ / "models"};
        args.insert(args.end(), settings.begin(), settings.end());
        return args;
    }

    TestFolder folder_;
    std::map<std::string, MotionModel> models_;
};

TEST_F(SetTest, ChangesTheNamedFieldsInEveryFileThroughTheWriter) {
    // The description is typed in UTF-8 and stored in Windows-1252, as the editor reads it.
    const auto run =
        Zrb(Args({"mass=1200", "horsePower=80.25", "description=T\xc3\xa9st \xe2\x82\xac"}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    for (auto& [path, model] : models_) {
        model.mass = 1200;
        model.horsePower = 80.25;
        model.description = "//T\xe9st \x80";
        EXPECT_EQ(ReadBytes(path), ModelFileBytes(model, ModelFileVariant::SaveChanges)) << path;
    }
}

struct RefusedCase {
    std::vector<std::string> settings;
    std::string message;
};

void PrintTo(const RefusedCase& c, std::ostream* out) {
    *out << c.message;
}

class SetRefusedTest : public SetTest, public testing::WithParamInterface<RefusedCase> {};

TEST_P(SetRefusedTest, NamesTheProblemAndChangesNoFile) {
    const auto before = Snapshot();
    const auto run = Zrb(Args(GetParam().settings));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No file was changed."), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetRefusedTest,
    testing::Values(
        RefusedCase{{"mass=1", "weight=2"}, "unknown field \"weight\""},
        RefusedCase{{"Mass=1"}, "unknown field \"Mass\" (did you mean mass?)"},
        RefusedCase{{"mass=heavy"}, "the value \"heavy\" for mass is not a plain number"},
        RefusedCase{{"mass=950kg"}, "the value \"950kg\" for mass is not a plain number"},
        RefusedCase{{"mass="}, "the value \"\" for mass is not a plain number"},
        RefusedCase{{"mass=1e999"}, "the value \"1e999\" for mass is too large"},
        // A value counts as a whole, however long: no cut after 31 characters.
        RefusedCase{{"mass=1.000000000000000000000000000000abc"},
                    "the value \"1.000000000000000000000000000000abc\" for mass is not a plain"},
        RefusedCase{{"mass=1" + std::string(400, '0')}, "for mass is too large"},
        RefusedCase{{"mass=1", "horsePower=2", "mass=3"}, "mass is given more than once"},
        RefusedCase{{"description=two\nlines"}, "the description must be one line"},
        RefusedCase{{"description=" + std::string(1022, 'x')}, "would be 1024 characters"},
        // Counted in the bytes of the file, one per character.
        RefusedCase{{"description=" + std::string(1020, 'x') + "\xc3\xa9\xc3\xa9"},
                    "would be 1024 characters"},
        RefusedCase{{"description=Left \xe2\x86\x92 right"},
                    "the description holds \"\xe2\x86\x92\" (U+2192), which a model file cannot "
                    "hold: it is written in Windows-1252"},
        RefusedCase{{"description=Caf\xe9"}, "the description is not UTF-8 text (the byte 0xE9)"},
        RefusedCase{{"mass*=heavy"}, "the value \"heavy\" for mass is not a plain number"},
        RefusedCase{{"mass+=1e999"}, "the value \"1e999\" for mass is too large"},
        RefusedCase{{"description+=x"}, "the description can only be set"},
        RefusedCase{{"mass*=2", "mass=1"}, "mass is given more than once"},
        // The factor is fine, the product is not: refused before any file is saved.
        RefusedCase{{"horsePower=1", "mass*=1e306"},
                    "The new value of mass would be inf, which a model file cannot hold."}));

TEST_F(SetTest, MultipliesAddsAndCopiesRoundedAsTheFileKeepsThem) {
    MotionModel source = SmallCityCar();
    source.description = "//Van";
    source.bumpyFactor = 0.7;
    WriteModel(folder_ / "van.zrb", source);
    const auto run = Zrb(Args({"--from", folder_ / "van.zrb", "mass*=1.1", "horsePower+=-0.5",
                               "description", "bumpyFactor"}));
    ASSERT_EQ(run.status, 0) << run.err;
    for (auto& [path, model] : models_) {
        model.mass *= 1.1;
        model.horsePower = model.horsePower - 0.5;
        model.description = "//Van";
        model.bumpyFactor = 0.7;
        EXPECT_EQ(ReadBytes(path), ModelFileBytes(model, ModelFileVariant::SaveChanges)) << path;
    }
    // A misread model to copy from is refused like a misread target.
    WriteBytes(folder_ / "van.zrb", WithLine(12, ".mass\t7500.00"));
    const auto before = Snapshot();
    const auto refused = Zrb(Args({"--from", folder_ / "van.zrb", "mass"}));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("copying would take what the editor reads"), std::string::npos)
        << refused.err;
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(SetTest, FolderEntryNamedLikeAModelIsNamedAndTheModelsAreSaved) {
    std::filesystem::create_directory(folder_ / "models/old.zrb");
    const auto run = Zrb(Args({"mass=1300"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "zrb: \"" + zrb::JoinPath(folder_ / "models", "old.zrb") +
                           "\" is a folder, not a model file; left out\n");
    for (auto& [path, model] : models_) {
        model.mass = 1300;
        EXPECT_EQ(ReadBytes(path), ModelFileBytes(model, ModelFileVariant::SaveChanges)) << path;
    }
}

TEST_F(SetTest, UnreadableFileChangesNoFile) {
    const auto before = Snapshot();
    auto args = Args({"mass=1"});
    args.insert(args.begin() + 2, folder_ / "missing.zrb");
    const auto run = Zrb(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(folder_ / "missing.zrb"), std::string::npos);
    EXPECT_NE(run.err.find("No file was changed."), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(SetTest, MisreadFileIsRefusedUnlessForced) {
    // The hand-edited mass reads as 0; saving would make that 0 permanent.
    WriteBytes(folder_ / "truck.zrb", WithLine(12, ".mass\t7500.00"));
    const auto before = Snapshot();
    const auto refused = Zrb(Args({"horsePower=100"}));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find((folder_ / "truck.zrb") + ":12: .mass value \"7500.00\" is cut"),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);

    auto forced = Args({"horsePower=100"});
    forced.insert(forced.begin() + 1, "--force");
    ASSERT_EQ(Zrb(forced).status, 0);
    MotionModel truck = SmallCityCar();
    truck.mass = 0;  // what the reader made of the cut value
    truck.horsePower = 100;
    EXPECT_EQ(ReadBytes(folder_ / "truck.zrb"),
              ModelFileBytes(truck, ModelFileVariant::SaveChanges));
}

TEST_F(SetTest, FileThatCannotBeSavedIsReportedAndTheOthersAreSaved) {
    static int writes = 0;
    writes = 0;
    zrb::SetWriteFunctionForTesting([](int fd, const void* data, unsigned long size) -> long {
        if (++writes == 1) {
            errno = ENOSPC;
            return -1;
        }
#ifdef _WIN32
        // The Windows writer asks the seam with no descriptor, before its own write.
        (void)fd;
        (void)data;
        return static_cast<long>(size);
#else
        return static_cast<long>(::write(fd, data, size));
#endif
    });
    const auto before = Snapshot();
    const auto run = Zrb(Args({"bumpyFactor=0.5"}));
    zrb::SetWriteFunctionForTesting(nullptr);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Could not save \"" + (folder_ / "car.zrb") + "\""), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadBytes(folder_ / "car.zrb"), before.at(folder_ / "car.zrb"));
    for (const std::string name : {"truck.zrb", "models/bike.zrb"}) {
        MotionModel expected = models_.at(folder_ / name);
        expected.bumpyFactor = 0.5;
        EXPECT_EQ(ReadBytes(folder_ / name),
                  ModelFileBytes(expected, ModelFileVariant::SaveChanges))
            << name;
    }
}

// --- table -----------------------------------------------------------------------

TEST(TableTest, ARowPerFileMarksAndTheUnreadableOnesReason) {
    TestFolder folder;
    MotionModel car = SmallCityCar();
    car.maxAccel = 1.5;                     // advised: 0 to 1
    car.description = "//Caf\xe9 \x1b[2J";  // 1252, and a terminal's clear-screen
    WriteModel(folder / "car.zrb", car);
    std::filesystem::create_directory(folder / "old.zrb");
    const auto text = Zrb({"table", folder.path()});
    EXPECT_EQ(text.status, 2);
    const auto lines = [](const std::string& out) {
        std::vector<std::string> result;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            result.push_back(line);
        }
        return result;
    };
    const std::vector<std::string> rows = lines(text.out);
    ASSERT_EQ(rows.size(), 3u) << text.out;
    EXPECT_EQ(rows[0].rfind("name", 0), 0u);
    EXPECT_NE(rows[1].find(" 1.5! "), std::string::npos) << rows[1];
    EXPECT_NE(rows[1].find(" 950 "), std::string::npos) << rows[1];
    EXPECT_NE(rows[1].find(" //Caf\xc3\xa9 \\x1b[2J "), std::string::npos) << rows[1];
    // Columns line up by characters, not bytes.
    // Columns line up by characters: the two bytes of the e acute are one.
    EXPECT_EQ(rows[0].find("gasScaleFactor") + 14 + 1, rows[1].find(" 0.25 ") + 5) << text.out;
    EXPECT_NE(rows[2].find("it is a folder"), std::string::npos) << rows[2];

    const auto csv = Zrb({"table", "--csv", folder / "car.zrb"});
    EXPECT_EQ(csv.status, 0);
    ASSERT_EQ(lines(csv.out).size(), 2u);
    EXPECT_EQ(lines(csv.out)[1],
              (folder / "car.zrb") +
                  ",//Caf\xc3\xa9 \x1b[2J,0.25,60,1.5,0.02,950,0.7,0.5,0.3,75,520,0.1,"
                  "150\r");
}

// --- diff ------------------------------------------------------------------------

struct DiffCase {
    std::string bytesB;
    int status;
    std::string out;
};

void PrintTo(const DiffCase& c, std::ostream* out) {
    *out << c.out;
}

class DiffTest : public testing::TestWithParam<DiffCase> {};

TEST_P(DiffTest, ListsEachDifferingFieldWithBothValues) {
    TestFolder folder;
    WriteModel(folder / "a.zrb", SmallCityCar());
    WriteBytes(folder / "b.zrb", GetParam().bytesB);
    const auto run = Zrb({"diff", folder / "a.zrb", folder / "b.zrb"});
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.out, GetParam().out);
    EXPECT_EQ(run.err, "");
}

MotionModel Changed() {
    MotionModel m = SmallCityCar();
    m.description = "//Big car";
    m.mass = 1200;
    m.coeffKineticFriction = 0.45;
    m.bumpyFactor = 0;
    return m;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DiffTest,
    testing::Values(
        // The other variant and other line ends read as the same model.
        DiffCase{ModelFileBytes(SmallCityCar(), ModelFileVariant::SaveAsNew), 0, ""},
        DiffCase{ModelFileBytes(Changed(), ModelFileVariant::SaveChanges), 1,
                 "description: \"//Small city car\" -> \"//Big car\"\n"
                 "mass: 950 -> 1200 (+250)\n"
                 "coeffKineticFriction: 0.5 -> 0.45 (-0.05)\n"
                 "bumpyFactor: 0.1 -> 0 (-0.1)\n"},
        DiffCase{WithLine(12, ".mass\t\t\t\t\t1e999"), 1, "mass: 950 -> inf\n"},
        // At the decimals the file keeps, not with the binary remainder.
        DiffCase{WithLine(8, ".gasScaleFactor\t\t\t0.2507"), 1,
                 "gasScaleFactor: 0.25 -> 0.2507 (+0.0007)\n"},
        DiffCase{WithLine(12, ".mass\t\t\t\t\t946.60"), 1, "mass: 950 -> 946.6 (-3.4)\n"},
        // The description as the editor shows it, control characters escaped.
        DiffCase{WithLine(1, "//Caf\xe9\x1b[2J\x81"), 1,
                 "description: \"//Small city car\" -> \"//Caf\xc3\xa9\\x1b[2J\\x81\"\n"}));

TEST(DiffFolderTest, ListsEachDifferingModelThenTheNewAndTheMissing) {
    TestFolder folder;
    std::filesystem::create_directories(folder / "mine");
    std::filesystem::create_directories(folder / "ref");
    WriteModel(folder / "mine/Car.zrb", Changed());
    WriteModel(folder / "ref/car.zrb", SmallCityCar());
    WriteModel(folder / "mine/same.zrb", SmallCityCar());
    WriteModel(folder / "ref/same.zrb", SmallCityCar(), ModelFileVariant::SaveAsNew);
    WriteModel(folder / "mine/bus.zrb", SmallCityCar());
    WriteModel(folder / "ref/tank.zrb", SmallCityCar());
    const auto run = Zrb({"diff", folder / "mine", folder / "ref"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out,
              "==> Car.zrb <==\n"
              "description: \"//Big car\" -> \"//Small city car\"\n"
              "mass: 1200 -> 950 (-250)\n"
              "coeffKineticFriction: 0.45 -> 0.5 (+0.05)\n"
              "bumpyFactor: 0 -> 0.1 (+0.1)\n"
              "new: bus.zrb\n"
              "missing: tank.zrb\n");
    std::filesystem::remove(folder / "mine/bus.zrb");
    std::filesystem::remove(folder / "ref/tank.zrb");
    WriteModel(folder / "mine/Car.zrb", SmallCityCar());
    const auto equal = Zrb({"diff", folder / "mine", folder / "ref"});
    EXPECT_EQ(equal.status, 0) << equal.err;
    EXPECT_EQ(equal.out, "");
    std::filesystem::remove(folder / "ref/same.zrb");
    std::filesystem::create_directories(folder / "ref/same.zrb");
    const auto unreadable = Zrb({"diff", folder / "mine", folder / "ref"});
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_NE(unreadable.err.find("same.zrb"), std::string::npos) << unreadable.err;
}

TEST(DiffErrorTest, UnreadableFileGivesStatus2) {
    TestFolder folder;
    WriteModel(folder / "a.zrb", SmallCityCar());
    const auto run = Zrb({"diff", folder / "a.zrb", folder / "missing.zrb"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(folder / "missing.zrb"), std::string::npos);
}

}  // namespace
