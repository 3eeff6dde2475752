#include "tools/sqzip/Sqzip.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <random>
#include <set>
#include <sstream>

#include "ToolsTestSupport.h"

namespace zrb {
namespace {

using testing::FolderEntries;
using testing::ReadFile;
using testing::ReadZipEntries;
using testing::TempDir;
using testing::WriteFile;
using testing::ZipEntries;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Sqzip(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = SqzipMain(args, out, err);
    return {status, out.str(), err.str()};
}

// Makes a folder the current one for the life of the guard.
class CurrentDir {
  public:
    explicit CurrentDir(const std::string& path) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~CurrentDir() { std::filesystem::current_path(old_); }

  private:
    std::filesystem::path old_;
};

class SqzipTest : public ::testing::Test {
  protected:
    // Adds a file named `name` with `content` (written into a sub-folder, so that only
    // the bare name can reach the archive) and returns sqzip's outcome.
    Outcome AddFile(const std::string& name, const std::string& content, bool create = true) {
        std::filesystem::create_directories(dir_ / "models");
        const std::string path = dir_ / ("models/" + name);
        WriteFile(path, content);
        std::vector<std::string> args = {"-a"};
        if (create) {
            args.push_back("-f");
        }
        args.push_back(path);
        args.push_back(archive_);
        return Sqzip(args);
    }

    TempDir dir_;
    std::string archive_ = dir_ / "vehicles.sqs";
};

TEST_F(SqzipTest, AddCreatesArchiveAndKeepsEarlierEntries) {
    const Outcome first = AddFile("a.zrb", "model a\r\n");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(ReadZipEntries(archive_), (ZipEntries{{"a.zrb", "model a\r\n"}}));

    const Outcome second = AddFile("b.zrb", "model b\r\n", /*create=*/false);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(ReadZipEntries(archive_),
              (ZipEntries{{"a.zrb", "model a\r\n"}, {"b.zrb", "model b\r\n"}}));
}

TEST_F(SqzipTest, AddReplacesEntryOfSameName) {
    ASSERT_EQ(AddFile("a.zrb", "old content that is rather longer\r\n").status, 0);
    ASSERT_EQ(AddFile("b.zrb", "b\r\n").status, 0);
    const Outcome replaced = AddFile("a.zrb", "new\r\n");
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_EQ(ReadZipEntries(archive_), (ZipEntries{{"a.zrb", "new\r\n"}, {"b.zrb", "b\r\n"}}));
}

TEST_F(SqzipTest, AddTakesEmptyAndBinaryFiles) {
    std::string binary;
    for (int i = 0; i < 256; ++i) {
        binary += static_cast<char>(i);
    }
    ASSERT_EQ(AddFile("empty.zrb", "").status, 0);
    ASSERT_EQ(AddFile("binary.bin", binary).status, 0);
    EXPECT_EQ(ReadZipEntries(archive_), (ZipEntries{{"empty.zrb", ""}, {"binary.bin", binary}}));
}

TEST_F(SqzipTest, ListWritesOneEntryPerLine) {
    ASSERT_EQ(AddFile("my car.zrb", "x").status, 0);
    ASSERT_EQ(AddFile("b.zrb", "y").status, 0);
    const Outcome listed = Sqzip({"-l", archive_});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "my car.zrb\nb.zrb\n");
    EXPECT_EQ(listed.err, "");
}

TEST_F(SqzipTest, WindowsStylePathsAndUpperCaseOptions) {
    std::filesystem::create_directories(dir_ / "sub");
    WriteFile(dir_ / "sub/a.zrb", "a");
    CurrentDir here(dir_.path());
    const Outcome added = Sqzip({"-A", "-F", "sub\\a.zrb", ".\\vehicles.sqs"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(ReadZipEntries(archive_), (ZipEntries{{"a.zrb", "a"}}));
    EXPECT_EQ(Sqzip({"-L", ".\\vehicles.sqs"}).out, "a.zrb\n");

    // As the pack script names a model whose name begins with "-": a file, not an option.
    WriteFile(dir_ / "-x.zrb", "x");
    const Outcome dashed = Sqzip({"-a", "-f", "-x.zrb", ".\\vehicles.sqs"});
    ASSERT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_EQ(ReadZipEntries(archive_), (ZipEntries{{"a.zrb", "a"}, {"-x.zrb", "x"}}));
}

TEST_F(SqzipTest, ALinkedArchiveIsUpdatedWhereItPointsAndStaysALink) {
    namespace fs = std::filesystem;
    fs::create_directories(dir_ / "game");
    const std::string real = dir_ / "game/vehicles.sqs";
    ASSERT_EQ(AddFile("a.zrb", "a").status, 0);
    fs::rename(archive_, real);
    fs::create_symlink(real, archive_);

    const Outcome added = AddFile("b.zrb", "b");
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_TRUE(fs::is_symlink(archive_));
    EXPECT_EQ(ReadZipEntries(real), (ZipEntries{{"a.zrb", "a"}, {"b.zrb", "b"}}));

    // A link that leads nowhere is refused, and stays as it was.
    fs::remove(real);
    const Outcome dangling = AddFile("c.zrb", "c");
    EXPECT_EQ(dangling.status, 1);
    EXPECT_NE(dangling.err.find("symbolic link"), std::string::npos) << dangling.err;
    EXPECT_TRUE(fs::is_symlink(archive_));
    EXPECT_FALSE(fs::exists(real));
}

TEST_F(SqzipTest, MissingArchiveWithoutCreateFails) {
    WriteFile(dir_ / "a.zrb", "a");
    const Outcome outcome = Sqzip({"-a", dir_ / "a.zrb", archive_});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("cannot open archive '" + archive_ + "'"), std::string::npos)
        << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(archive_));

    const Outcome listed = Sqzip({"-l", archive_});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.err.find(archive_), std::string::npos) << listed.err;
}

TEST_F(SqzipTest, UnreadableInputLeavesArchiveByteIdentical) {
    ASSERT_EQ(AddFile("a.zrb", "a").status, 0);
    const std::string before = ReadFile(archive_);
    std::filesystem::create_directories(dir_ / "folder.zrb");

    for (const std::string& input : {dir_ / "missing.zrb", dir_ / "folder.zrb"}) {
        const Outcome outcome = Sqzip({"-a", "-f", input, archive_});
        EXPECT_EQ(outcome.status, 1) << input;
        EXPECT_NE(outcome.err.find("cannot read '" + input + "'"), std::string::npos)
            << outcome.err;
        EXPECT_EQ(ReadFile(archive_), before) << input;
    }
    EXPECT_NE(Sqzip({"-a", "-f", dir_ / "missing.zrb", archive_}).err.find("No such file"),
              std::string::npos);
}

TEST_F(SqzipTest, CorruptArchiveIsLeftAlone) {
    const std::string garbage = "this is not a zip archive, only some text\r\n";
    WriteFile(archive_, garbage);
    WriteFile(dir_ / "a.zrb", "a");

    const Outcome added = Sqzip({"-a", "-f", dir_ / "a.zrb", archive_});
    EXPECT_EQ(added.status, 1);
    EXPECT_NE(added.err.find("cannot open archive '" + archive_ + "': Not a zip archive"),
              std::string::npos)
        << added.err;
    EXPECT_EQ(ReadFile(archive_), garbage);
    EXPECT_EQ(Sqzip({"-l", archive_}).status, 1);
}

TEST_F(SqzipTest, ArchiveInMissingFolderIsNotCreated) {
    WriteFile(dir_ / "a.zrb", "a");
    const std::string archive = dir_ / "no-such-folder/vehicles.sqs";
    const Outcome outcome = Sqzip({"-a", "-f", dir_ / "a.zrb", archive});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("cannot write archive '" + archive + "'"), std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find("no archive was created"), std::string::npos) << outcome.err;
    EXPECT_EQ(FolderEntries(dir_.path()), (std::vector<std::string>{"a.zrb"}));
}

// Runs in a child process: adds `file` to `archive` while no file may grow beyond 64 KiB.
[[noreturn]] void AddUnderFileSizeLimit(const std::string& file, const std::string& archive) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::exit(SqzipMain({"-a", file, archive}, std::cout, std::cerr));
}

// A write that fails half-way (here: a file size limit, which holds even for root) must
// leave the old archive as it was and no temporary file behind.
TEST_F(SqzipTest, FailedWriteLeavesOldArchiveIntact) {
    ASSERT_EQ(AddFile("a.zrb", "a").status, 0);
    const std::string before = ReadFile(archive_);

    std::mt19937 random(42);
    std::string noise(256 * 1024, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    WriteFile(dir_ / "big.bin", noise);

    EXPECT_EXIT(AddUnderFileSizeLimit(dir_ / "big.bin", archive_), ::testing::ExitedWithCode(1),
                "cannot write archive .*the archive is unchanged");

    EXPECT_EQ(ReadFile(archive_), before);
    EXPECT_EQ(FolderEntries(dir_.path()),
              (std::vector<std::string>{"big.bin", "models", "vehicles.sqs"}));
}

// Two archivers adding to one archive at once take turns: each of 200 adds keeps its
// entry, also while the other replaces an entry, which rewrites the whole archive.
TEST_F(SqzipTest, TwoProcessesAddingAtOnceLoseNoEntry) {
    ASSERT_EQ(AddFile("shared.zrb", "first").status, 0);
    std::filesystem::create_directories(dir_ / "in/a");
    std::filesystem::create_directories(dir_ / "in/b");
    std::vector<pid_t> children;
    for (const char side : {'a', 'b'}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < 100; ++i) {
                const std::string name = std::string(1, side) + std::to_string(i) + ".zrb";
                WriteFile(dir_ / ("in/" + name), name);
                std::ostringstream out;
                std::ostringstream err;
                failures += SqzipMain({"-a", "-f", dir_ / ("in/" + name), archive_}, out, err);
                if (i % 25 == 0) {
                    failures += SqzipMain({"-a", dir_ / ("in/" + name), archive_ + "x"}, out,
                                          err) != 1;  // a missing archive fails, and only it
                    WriteFile(dir_ / ("in/shared-" + name), name);
                    std::filesystem::copy_file(
                        dir_ / ("in/shared-" + name),
                        dir_ / ("in/" + std::string(1, side) + "/shared.zrb"),
                        std::filesystem::copy_options::overwrite_existing);
                    failures += SqzipMain(
                        {"-a", dir_ / ("in/" + std::string(1, side) + "/shared.zrb"), archive_},
                        out, err);
                }
            }
            std::_Exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const ZipEntries entries = ReadZipEntries(archive_);
    std::set<std::string> names;
    for (const auto& [name, content] : entries) {
        EXPECT_TRUE(name == "shared.zrb" || content == name) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 201u);
    EXPECT_EQ(entries.size(), 201u);
}

// One process adding one entry after another keeps the directory it wrote; whatever
// changed the archive in between must be seen, not written over.
TEST_F(SqzipTest, AKeptDirectoryIsReadAgainWhenTheArchiveChanged) {
    namespace fs = std::filesystem;
    TempDir other;
    // Another archive, made by the full rewrite: its entry "x.zrb" is not the last added.
    ASSERT_EQ(
        Sqzip({"-a", "-f", (AddFile("x.zrb", "x"), dir_ / "models/x.zrb"), other / "x.sqs"}).status,
        0);
    ASSERT_EQ(Sqzip({"-a", dir_ / "models/x.zrb", other / "x.sqs"}).status, 0);
    const std::string otherBytes = ReadFile(other / "x.sqs");
    const struct {
        const char* label;
        void (*change)(const std::string& archive, const std::string& otherBytes);
        ZipEntries after;
    } cases[] = {
        {"replaced",
         [](const std::string& archive, const std::string& bytes) {
             WriteFile(archive + ".new", bytes);
             fs::rename(archive + ".new", archive);
         },
         ZipEntries{{"x.zrb", "x"}, {"b.zrb", "b"}}},
        {"overwritten in place",
         [](const std::string& archive, const std::string& bytes) { WriteFile(archive, bytes); },
         ZipEntries{{"x.zrb", "x"}, {"b.zrb", "b"}}},
        {"removed", [](const std::string& archive, const std::string&) { fs::remove(archive); },
         ZipEntries{{"b.zrb", "b"}}},
        {"added to by another",
         [](const std::string& archive, const std::string&) {
             const std::string input = archive + ".c.zrb";
             WriteFile(input, "c");
             std::ostringstream out;
             std::ostringstream err;
             // A process of its own: this one's kept directory must not see the add.
             if (fork() == 0) {
                 std::_Exit(SqzipMain({"-a", input, archive}, out, err));
             }
             int status = 0;
             wait(&status);
         },
         ZipEntries{{"a.zrb", "a"}, {"vehicles.sqs.c.zrb", "c"}, {"b.zrb", "b"}}},
    };
    for (const auto& c : cases) {
        fs::remove(archive_);
        ASSERT_EQ(AddFile("a.zrb", "a").status, 0) << c.label;
        c.change(archive_, otherBytes);
        const Outcome added = AddFile("b.zrb", "b");
        EXPECT_EQ(added.status, 0) << c.label << ": " << added.err;
        EXPECT_EQ(ReadZipEntries(archive_), c.after) << c.label;
    }
}

// Served calls answer as SqzipMain does; a call cut short or malformed ends the serving.
TEST_F(SqzipTest, ServesCallsUntilItsInputEnds) {
    const std::string a = (AddFile("a.zrb", "a"), dir_ / "models/a.zrb");
    const auto call = [](const std::vector<std::string>& args) {
        std::string bytes = std::to_string(args.size()) + "\n";
        for (const std::string& arg : args) {
            bytes += std::to_string(arg.size()) + "\n" + arg;
        }
        return bytes;
    };
    const auto answer = [](int status, const std::string& said) {
        return std::to_string(status) + " " + std::to_string(said.size()) + "\n" + said;
    };
    const struct {
        const char* label;
        std::string in;
        int status;
        std::string out;
    } cases[] = {
        {"nothing", "", 0, ""},
        {"a failure between adds",
         call({"-a", "-f", a, archive_}) + call({"-a", "no.zrb", archive_}) +
             call({"-a", "-f", a, archive_}),
         0,
         answer(0, "") + answer(1, "sqzip: cannot read 'no.zrb': No such file or directory\n") +
             answer(0, "")},
        {"an empty argument", call({"-l", ""}), 0,
         answer(1, "sqzip: cannot open archive '': No such file\n")},
        {"cut short", call({"-a", a, archive_}).substr(0, 9), 2, ""},
        {"not a count", "x\n", 2, ""},
        {"an empty line", call({"-a", "-f", a, archive_}) + "\n", 2, answer(0, "")},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(archive_);
        std::istringstream in(c.in);
        std::ostringstream out;
        EXPECT_EQ(SqzipServe(in, out), c.status) << c.label;
        const std::string greeting = std::string(kServeGreeting) + "\n";
        EXPECT_EQ(out.str(), greeting + c.out) << c.label;
    }
}

TEST(SqzipUsageTest, BadCommandLinesPrintUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"-a"},
        {"-a", "-f", "a.zrb"},
        {"-a", "a.zrb", "b.sqs", "c"},
        {"-l"},
        {"-l", "a.sqs", "b.sqs"},
        {"-l", "-f", "a.sqs"},
        {"-a", "-l", "a.zrb", "b.sqs"},
        {"-x", "a.zrb", "b.sqs"},
        {"a.zrb", "b.sqs"},
    };
    for (const auto& args : cases) {
        const Outcome outcome = Sqzip(args);
        std::string shown;
        for (const auto& arg : args) {
            shown += arg + " ";
        }
        EXPECT_EQ(outcome.status, 2) << shown;
        EXPECT_NE(outcome.err.find("usage: sqzip"), std::string::npos) << shown;
        EXPECT_EQ(outcome.out, "") << shown;
    }
}

}  // namespace
}  // namespace zrb
