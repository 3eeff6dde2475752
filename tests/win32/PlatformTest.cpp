// What only Windows has: drive roots and "\" in paths, names that differ only in case
// naming one file, the read-only attribute, and file names beyond the ANSI code page.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "model/ModelFile.h"
#include "model/Workspace.h"
#include "platform/Platform.h"
#include "platform/SafeFile.h"

namespace zrb {
namespace {

using ::testing::HasSubstr;
using testing::TestFolder;
using ::testing::UnorderedElementsAre;

std::string Read(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes, 1 << 20)) << path;
    return bytes;
}

TEST(WindowsPathTest, BackslashesAndDriveRoots) {
    EXPECT_EQ(JoinPath("C:", "car.zrb"), "C:\\car.zrb");
    EXPECT_EQ(JoinPath("D:\\models", "car.zrb"), "D:\\models\\car.zrb");
    // The folder of a picked file at a drive's root is the drive alone.
    EXPECT_EQ(FolderOfPickedFile("C:\\car.zrb", "car.zrb"), "C:");
    EXPECT_EQ(FolderOf("C:\\models\\car.zrb"), "C:\\models");
    EXPECT_EQ(BaseName("C:\\models\\car.zrb"), "car.zrb");
}

TEST(WindowsFileTest, SavesReplaceReadOnlyIsRefusedCaseIsOneFile) {
    TestFolder folder;
    const std::string path = folder / "Car.zrb";
    ASSERT_TRUE(SaveFileAtomically(path, "old"));
    ASSERT_TRUE(SaveFileAtomically(path, "new"));
    EXPECT_EQ(Read(path), "new");
    // Another spelling of the same name is the same file.
    EXPECT_EQ(Read(folder / "CAR.ZRB"), "new");
    std::vector<std::string> names;
    ASSERT_TRUE(ListModelFolder(folder.path(), names));
    EXPECT_THAT(names, UnorderedElementsAre("Car.zrb"));
    EXPECT_TRUE(IsSameFolder(folder.path(), folder.path() + "\\."));

    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const Result refused = SaveFileAtomically(path, "lost");
    EXPECT_FALSE(refused);
    EXPECT_THAT(refused.message(), HasSubstr("read-only"));
    EXPECT_EQ(Read(path), "new");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST(WindowsFileTest, NamesBeyondTheAnsiCodePage) {
    TestFolder folder;
    // UTF-8 inside: "Ła \xc3\xa9t\xc3\xa9 \xe8\xbb\x8a.zrb" holds Polish, French and a CJK
    // character, which no single ANSI code page has.
    const std::string name =
        "\xc5\x81"
        "a \xc3\xa9t\xc3\xa9 \xe8\xbb\x8a.zrb";
    const std::string path = folder.path() + "\\" + name;
    MotionModel model;
    model.description = "//far away";
    model.mass = 950;
    ASSERT_TRUE(WriteModelFile(path, model, ModelFileVariant::SaveChanges));
    std::vector<std::string> names;
    ASSERT_TRUE(ListModelFolder(folder.path(), names));
    EXPECT_THAT(names, UnorderedElementsAre(name));
    MotionModel read;
    std::string speed;
    ASSERT_TRUE(ReadModelFile(path, read, speed));
    EXPECT_EQ(read.mass, 950);
    EXPECT_EQ(read.description, "//far away");
}

}  // namespace
}  // namespace zrb
