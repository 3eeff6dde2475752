// The model core under faults, a killed writer and hostile files.

#include <gtest/gtest.h>
#include <malloc.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "FakeWindow.h"
#include "TestFolder.h"
#include "WorkedExample.h"
#include "model/InputFile.h"
#include "model/ModelFile.h"
#include "model/Workspace.h"

namespace {

using zrb::ModelEditor;
using zrb::ModelFileVariant;
using zrb::MotionModel;
using zrb::testing::ExampleModel;
using zrb::testing::FakeWindow;
using zrb::testing::ReadBytes;
using zrb::testing::TestFolder;
using zrb::testing::WriteBytes;

// A child saves two different models in turn as fast as it can; it is killed at random
// moments. After every kill the file holds exactly one of the two, and the model list
// never shows a leftover temporary file.
TEST(CrashSafetyTest, KilledWriterLeavesOldOrNewBytes) {
    TestFolder folder;
    const std::string path = folder / "car.zrb";
    MotionModel a = ExampleModel("//model A", 1000);
    // A long description makes each write take longer, so kills land inside writes.
    MotionModel b = ExampleModel("//model B " + std::string(200000, 'b'), 2000);
    const std::string bytesA = zrb::ModelFileBytes(a, ModelFileVariant::SaveChanges);
    const std::string bytesB = zrb::ModelFileBytes(b, ModelFileVariant::SaveChanges);
    ASSERT_TRUE(zrb::WriteModelFile(path, a, ModelFileVariant::SaveChanges));

    std::mt19937 random(12345);
    constexpr int kKills = 300;
    int sawA = 0;
    int sawB = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                MotionModel& model = (i % 2 == 0) ? b : a;
                (void)zrb::WriteModelFile(path, model, ModelFileVariant::SaveChanges);
            }
        }
        ::usleep(static_cast<useconds_t>(random() % 3000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const std::string bytes = ReadBytes(path);
        ASSERT_TRUE(bytes == bytesA || bytes == bytesB)
            << "after kill " << kill << " the file holds " << bytes.size() << " other bytes";
        (bytes == bytesA ? sawA : sawB)++;
    }
    // Both models were seen, so the kills really interrupted a working writer.
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
    const auto listed = zrb::SearchModelFolder(folder.path());
    EXPECT_EQ(listed, std::vector<std::string>{"car.zrb"});
}

TEST(FaultTest, RealFullDiskKeepsTheOldFile) {
    TestFolder folder;
    const std::string mountPoint = folder / "small";
    std::filesystem::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    }
    const std::string path = mountPoint + "/car.zrb";
    MotionModel small = ExampleModel("//small", 1);
    ASSERT_TRUE(zrb::WriteModelFile(path, small, ModelFileVariant::SaveChanges));
    const std::string before = ReadBytes(path);
    MotionModel big = ExampleModel("//" + std::string(64 * 1024, 'x'), 2);
    const zrb::Result result = zrb::WriteModelFile(path, big, ModelFileVariant::SaveChanges);
    const std::string after = ReadBytes(path);
    const auto left = std::distance(std::filesystem::directory_iterator(mountPoint),
                                    std::filesystem::directory_iterator());
    ::umount(mountPoint.c_str());
    EXPECT_FALSE(result);
    EXPECT_NE(result.message().find("disk is full"), std::string::npos) << result.message();
    EXPECT_EQ(after, before);
    EXPECT_EQ(left, 1);
}

class FolderFaultTest : public testing::Test {
  protected:
    void SetUp() override {
        models = folder / "models";
        std::filesystem::create_directory(models);
        MotionModel a = ExampleModel("//a", 100);
        MotionModel b = ExampleModel("//b", 200);
        ASSERT_TRUE(zrb::WriteModelFile(models + "/a.zrb", a, ModelFileVariant::SaveChanges));
        ASSERT_TRUE(zrb::WriteModelFile(models + "/b.zrb", b, ModelFileVariant::SaveChanges));
        window.AnswerNextDialog(models + "/a.zrb");
        editor.OpenMotionModel();
        window.messages.clear();
    }

    TestFolder folder;
    std::string models;
    FakeWindow window;
    ModelEditor editor{window, window};
};

TEST_F(FolderFaultTest, FolderDeletedWhileOpen) {
    std::filesystem::remove_all(models);
    editor.SaveChanges();  // the file has gone: asked, and Cancel, the default, writes nothing
    ASSERT_EQ(window.asked.size(), 1u);
    EXPECT_TRUE(window.messages.empty());
    window.choices = {0};  // Save
    editor.SaveChanges();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].first.find("folder does not exist"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(models));
    editor.RefreshModelList();
    EXPECT_EQ(window.ListCount(), 0);
}

TEST_F(FolderFaultTest, ModelReplacedByAFolder) {
    std::filesystem::remove(models + "/a.zrb");
    std::filesystem::create_directory(models + "/a.zrb");
    editor.model.mass = 5;
    window.choices = {0};  // Save
    editor.SaveChanges();
    ASSERT_EQ(window.asked.size(), 1u);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].first.find("is a folder"), std::string::npos);
    // Loading it reads like an empty file: the description empties, numbers stay.
    window.selection = 0;
    editor.LoadSelectedModel();
    EXPECT_EQ(editor.model.description, "");
    EXPECT_EQ(editor.model.mass, 5);
    EXPECT_TRUE(std::filesystem::is_directory(models + "/a.zrb"));
}

TEST_F(FolderFaultTest, FileVanishesBetweenListingAndLoading) {
    std::filesystem::remove(models + "/b.zrb");
    window.selection = 1;
    editor.LoadSelectedModel();
    EXPECT_EQ(editor.workspace.currentFile, "b.zrb");
    EXPECT_EQ(editor.model.description, "");
    EXPECT_EQ(editor.model.mass, 100);
    // Saving it creates it again from what the window shows, once the user agrees.
    editor.SaveChanges();
    EXPECT_FALSE(std::filesystem::exists(models + "/b.zrb"));
    window.yesNoAnswers = {true};
    editor.SaveChanges();
    ASSERT_EQ(window.questions.size(), 2u);
    EXPECT_EQ(window.questions[1], "Could not read \"" + models +
                                       "/b.zrb\": No such file or directory. The boxes show "
                                       "the values carried over from the model shown before. "
                                       "Save anyway?");
    EXPECT_EQ(window.messages.back().first, "Changes saved");
    EXPECT_TRUE(std::filesystem::exists(models + "/b.zrb"));
}

long MaxResidentKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Maps every page of the program's files, its code and constants, into this process, so
// that code run for the first time does not count as memory a reader takes. Not checked
// by AddressSanitizer: the pages hold the poisoned gaps it puts between globals.
__attribute__((no_sanitize("address"))) void MapProgramFiles() {
    const unsigned long pageSize = static_cast<unsigned long>(::sysconf(_SC_PAGESIZE));
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        unsigned long start = 0;
        unsigned long end = 0;
        char permissions[5] = {};
        if (std::sscanf(line.c_str(), "%lx-%lx %4s", &start, &end, permissions) != 3 ||
            permissions[0] != 'r' || line.find(" /") == std::string::npos) {
            continue;
        }
        for (unsigned long page = start; page < end; page += pageSize) {
            (void)*reinterpret_cast<const volatile char*>(page);
        }
    }
}

// How far the peak resident set grows while `path` is read, in kilobytes; -1 when it
// could not be read. ru_maxrss is a peak over the whole life of a process, so the read
// runs in a forked child, whose peak starts at its size when forked. Free heap memory is
// handed back first: a reader reusing pages this process once touched would not show.
long ReadPeakGrowthKilobytes(const std::string& path) {
    ::malloc_trim(0);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        MapProgramFiles();
        MotionModel model;
        std::string speed;
        const long before = MaxResidentKilobytes();
        const bool read = static_cast<bool>(zrb::ReadModelFile(path, model, speed));
        const long growth = read ? MaxResidentKilobytes() - before : -1;
        const bool sent = ::write(pipeEnds[1], &growth, sizeof growth) == sizeof growth;
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    long growth = -1;
    if (child > 0) {
        if (::read(pipeEnds[0], &growth, sizeof growth) != sizeof growth) {
            growth = -1;
        }
        ::waitpid(child, nullptr, 0);
    }
    ::close(pipeEnds[0]);
    return growth;
}

TEST(HostileInputTest, HugeAndStrangeFilesReadWithBoundedMemory) {
    // Every input is about twice the allowance, so a reader holding the file, or a whole
    // long line, goes over it. None is above kMaxModelFileBytes, which the reader refuses.
    constexpr long kAllowanceKilobytes = 512;
    constexpr std::size_t kSize = zrb::kMaxModelFileBytes;
    TestFolder folder;
    std::mt19937 random(99);
    std::string randomBytes(kSize, '\0');
    for (char& c : randomBytes) {
        c = static_cast<char>(random());
    }
    std::string manyKeys = "//many\r\n";
    for (int i = 0; i < 60000; ++i) {
        manyKeys += ".mass\t\t\t\t\t" + std::to_string(i) + "\r\n";
    }
    const struct {
        const char* name;
        std::string bytes;
        double mass;
        std::size_t descriptionSize;
    } cases[] = {
        {"one 1 MB line", std::string(kSize, 'x'), 7, 1023},
        {"random bytes", randomBytes, -1, 0},
        {"60,000 key lines", manyKeys, 59999, 6},
        {"only line feeds", std::string(kSize, '\n'), 7, 0},
        {"only CRs", std::string(kSize, '\r'), 7, 1023},
    };
    for (const auto& c : cases) {
        WriteBytes(folder / "m.zrb", c.bytes);
        MotionModel model;
        model.mass = 7;
        std::string speed;
        ASSERT_TRUE(zrb::ReadModelFile(folder / "m.zrb", model, speed)) << c.name;
        if (c.mass >= 0) {
            EXPECT_EQ(model.mass, c.mass) << c.name;
            EXPECT_EQ(model.description.size(), c.descriptionSize) << c.name;
        } else {
            EXPECT_LE(model.description.size(), 1023u) << c.name;
        }
        // Reading never holds the file, or a whole long line, in memory.
        const long growth = ReadPeakGrowthKilobytes(folder / "m.zrb");
        ASSERT_GE(growth, 0) << c.name;
        EXPECT_LT(growth, kAllowanceKilobytes) << c.name;
    }
}

TEST(HostileInputTest, OddFileNamesAreListedAndSaved) {
    TestFolder folder;
    const std::vector<std::string> names = {"my car.zrb",     "a&b.zrb", "100%.zrb",
                                            "say \"hi\".zrb", "x^y.zrb", "line\nbreak.zrb",
                                            "\xe9t\xe9.zrb"};
    auto descriptionOf = [](std::string name) {
        std::replace(name.begin(), name.end(), '\n', ' ');
        return "//" + name;
    };
    for (const std::string& name : names) {
        MotionModel model = ExampleModel(descriptionOf(name), 1);
        ASSERT_TRUE(zrb::WriteModelFile(folder / name, model, ModelFileVariant::SaveChanges))
            << name;
    }
    FakeWindow window;
    ModelEditor editor(window, window);
    window.AnswerNextDialog(folder / "my car.zrb");
    editor.OpenMotionModel();
    ASSERT_EQ(window.ListCount(), static_cast<int>(names.size()));
    for (int i = 0; i < window.ListCount(); ++i) {
        window.selection = i;
        editor.LoadSelectedModel();
        EXPECT_EQ(editor.model.description, descriptionOf(window.ListText(i)));
    }
}

}  // namespace
