#include "pack/PackCommands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "pack/PackPlan.h"
#include "platform/Platform.h"
#include "tests/pack/PackTestSupport.h"

namespace zrb {
namespace {

using packtest::Exists;
using packtest::ReadBytes;
using packtest::Snapshot;
using packtest::WriteBytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

const std::string kArchiver =
    "\x7F"
    "ELF pretend archiver";

// Real folders: start (with the archiver), models (a, b, c), archive (empty).
class PackCommandsTest : public ::testing::Test {
  public:
    PackCommandsTest() {
        start = root / "start";
        models = root / "models";
        archive = root / "archive";
        for (const std::string& folder : {start, models, archive}) {
            fs::create_directory(folder);
        }
        WriteBytes(JoinPath(start, "sqzip.exe"), kArchiver);
        WriteBytes(JoinPath(models, "a.zrb"), "//model a\r\n.mass 1\r\n");
        WriteBytes(JoinPath(models, "b.zrb"), "//model b\r\n.mass 2\r\n");
        WriteBytes(JoinPath(models, "c.zrb"), "//model c\r\n.mass 3\r\n");
        window.SetList({"a.zrb", "b.zrb", "c.zrb"});
        workspace.modelsFolder = models;
        workspace.currentFile = "b.zrb";
        workspace.startFolder = start;
        originals = Snapshot(models);
    }

    void DefineArchive(const std::string& folder, const std::string& name = "vehicles.sqs") {
        window.dialogAnswers.push_back({true, JoinPath(folder, name), name});
        DefineArchiveLocation(workspace, window);
    }

    // What every refused or failed pack leaves: no launch, no script, no model copies,
    // the models untouched.
    void ExpectNothingPacked() {
        EXPECT_TRUE(launcher.launches.empty());
        EXPECT_FALSE(Exists(JoinPath(archive, "Install_ZRB.bat")));
        for (const char* name : {"a.zrb", "b.zrb", "c.zrb"}) {
            EXPECT_FALSE(Exists(JoinPath(archive, name))) << name;
        }
        EXPECT_EQ(Snapshot(models), originals);
    }

    packtest::TempFolder root;
    std::string start, models, archive;
    packtest::FakeWindow window;
    packtest::RecordingLauncher launcher;
    ModelWorkspace workspace;
    std::map<std::string, std::string> originals;
};

TEST_F(PackCommandsTest, DefineArchiveLocationAsksForASqsFileThatMayNotExistYet) {
    DefineArchive(archive);
    ASSERT_EQ(window.dialogRequests.size(), 1u);
    const FileDialogRequest& request = window.dialogRequests[0];
    EXPECT_EQ(request.type, FileDialogType::Save);
    EXPECT_EQ(request.defaultExtension, "sqs");
    EXPECT_EQ(request.initialName, "*.sqs");
    EXPECT_FALSE(request.fileMustExist);
    EXPECT_EQ(request.filter, "SQS Archive (*.sqs)|*.sqs||");
    EXPECT_EQ(workspace.archiveFolder, archive);
    EXPECT_EQ(workspace.archiveFile, "vehicles.sqs");
    EXPECT_TRUE(window.Warnings().empty());

    // A cancelled dialog keeps the archive.
    window.dialogAnswers.push_back({false, root / "other/x.sqs", "x.sqs"});
    DefineArchiveLocation(workspace, window);
    EXPECT_EQ(workspace.archiveFolder, archive);
    EXPECT_EQ(workspace.archiveFile, "vehicles.sqs");
}

TEST_F(PackCommandsTest, DefineArchiveLocationRefusesTheModelsFolderHoweverItIsWritten) {
    std::vector<std::string> spellings = {models, JoinPath(models, "../models"),
                                          JoinPath(models, "."), root / "archive/../models"};
#ifndef _WIN32
    fs::create_directory_symlink(models, root / "link-to-models");
    spellings.push_back(root / "link-to-models");
#endif
    DefineArchive(archive);
    for (const std::string& folder : spellings) {
        window.messages.clear();
        DefineArchive(folder);
        ASSERT_EQ(window.Warnings().size(), 1u) << folder;
        EXPECT_THAT(window.Warnings()[0], HasSubstr("models folder")) << folder;
        EXPECT_EQ(workspace.archiveFolder, archive) << folder;
        EXPECT_EQ(workspace.archiveFile, "vehicles.sqs") << folder;
    }
}

TEST_F(PackCommandsTest, DefineArchiveLocationRefusesANameTheScriptCannotHold) {
    DefineArchive(archive);
    DefineArchive(root / "other", "100%.sqs");
    ASSERT_EQ(window.Warnings().size(), 1u);
    EXPECT_THAT(window.Warnings()[0], HasSubstr("\"100%.sqs\""));
    EXPECT_EQ(workspace.archiveFile, "vehicles.sqs");
}

TEST_F(PackCommandsTest, PackSelectedCopiesWritesTheScriptInTheArchiveFolderAndLaunchesIt) {
    WriteBytes(JoinPath(models, "Install_ZRB.bat"), "left over");
    originals = Snapshot(models);
    originals.erase("Install_ZRB.bat");
    DefineArchive(archive);
    // The current directory no longer decides where the script goes.
    packtest::CurrentDirectory inModels(models);

    PackSelected(workspace, window, launcher);

    EXPECT_TRUE(window.Warnings().empty()) << window.Warnings().front();
    EXPECT_EQ(ReadBytes(JoinPath(archive, "b.zrb")), originals["b.zrb"]);
    EXPECT_FALSE(Exists(JoinPath(archive, "a.zrb")));
    EXPECT_EQ(ReadBytes(JoinPath(archive, "sqzip.exe")), kArchiver);
#ifndef _WIN32
    EXPECT_EQ(::access((JoinPath(archive, "sqzip.exe")).c_str(), X_OK), 0);
#endif
    const std::string script = PackScript("vehicles.sqs", {"b.zrb"});
    EXPECT_EQ(ReadBytes(JoinPath(archive, "Install_ZRB.bat")), script);
    ASSERT_EQ(launcher.launches.size(), 1u);
    EXPECT_EQ(
        launcher.launches[0],
        (ScriptLaunch{start, archive, JoinPath(archive, "Install_ZRB.bat"), "Install_ZRB.bat"}));
    EXPECT_EQ(launcher.scriptsAtLaunch[0], script);
    EXPECT_FALSE(Exists(JoinPath(models, "Install_ZRB.bat")));
    EXPECT_EQ(Snapshot(models), originals);
    EXPECT_TRUE(window.progress.empty());
}

TEST_F(PackCommandsTest, PackAllCopiesEveryListedModelWithProgress) {
    DefineArchive(archive);
    PackAll(workspace, window, launcher);

    EXPECT_TRUE(window.Warnings().empty());
    for (const char* name : {"a.zrb", "b.zrb", "c.zrb"}) {
        EXPECT_EQ(ReadBytes(JoinPath(archive, name)), originals[name]) << name;
    }
    EXPECT_EQ(ReadBytes(JoinPath(archive, "sqzip.exe")), kArchiver);
    EXPECT_EQ(ReadBytes(JoinPath(archive, "Install_ZRB.bat")),
              PackScript("vehicles.sqs", {"a.zrb", "b.zrb", "c.zrb"}));
    ASSERT_EQ(launcher.launches.size(), 1u);
    EXPECT_EQ(launcher.launches[0].workingFolder, archive);
    ASSERT_FALSE(window.progress.empty());
    EXPECT_EQ(window.progress.front(), std::make_pair(std::size_t{0}, std::size_t{4}));
    EXPECT_EQ(window.progress.back(), std::make_pair(std::size_t{4}, std::size_t{4}));
    EXPECT_EQ(Snapshot(models), originals);
}

TEST_F(PackCommandsTest, PackAllSkipsEntriesThatAreNoFilesAndSaysWhich) {
    fs::create_directory(JoinPath(models, "old.zrb"));
#ifdef _WIN32
    window.SetList({"a.zrb", "b.zrb", "c.zrb", "old.zrb"});
    const std::string skipped = "This entry is not a model file and was not packed: \"old.zrb\".";
    const std::vector<std::string> packed = {"a.zrb", "b.zrb", "c.zrb"};
#else
    ASSERT_EQ(::mkfifo((JoinPath(models, "pipe.zrb")).c_str(), 0644), 0);
    // A downloaded folder's link to a private file stays out; a link within the folder
    // is a model like any other.
    WriteBytes(root / "id_rsa", "private key");
    fs::create_symlink(root / "id_rsa", JoinPath(models, "key.zrb"));
    fs::create_symlink("a.zrb", JoinPath(models, "same.zrb"));
    window.SetList({"a.zrb", "b.zrb", "c.zrb", "key.zrb", "old.zrb", "pipe.zrb", "same.zrb"});
    const std::string skipped =
        "These entries are not model files and were not packed: \"old.zrb\", \"pipe.zrb\". "
        "This entry is a symbolic link to a file outside the models folder and was not "
        "packed: \"key.zrb\".";
    const std::vector<std::string> packed = {"a.zrb", "b.zrb", "c.zrb", "same.zrb"};
#endif
    DefineArchive(archive);
    PackAll(workspace, window, launcher);

    ASSERT_EQ(launcher.launches.size(), 1u);
    EXPECT_EQ(ReadBytes(JoinPath(archive, "Install_ZRB.bat")), PackScript("vehicles.sqs", packed));
    EXPECT_FALSE(Exists(JoinPath(archive, "key.zrb")));
    EXPECT_THAT(window.Warnings(), ElementsAre(skipped));
}

TEST_F(PackCommandsTest, ASecondShorterPackLeavesNoTraceOfTheFirstScript) {
    DefineArchive(archive);
    PackAll(workspace, window, launcher);
    PackSelected(workspace, window, launcher);
    EXPECT_EQ(ReadBytes(JoinPath(archive, "Install_ZRB.bat")),
              PackScript("vehicles.sqs", {"b.zrb"}));
    EXPECT_EQ(launcher.launches.size(), 2u);
}

TEST_F(PackCommandsTest, RefusalsAndFailuresPackNothing) {
    struct Case {
        const char* what;
        void (*pack)(const ModelWorkspace&, PackOps&, ScriptLauncher&);
        std::function<void(PackCommandsTest&)> arrange;
        std::string message;  // a part of the one warning
    };
    const std::vector<Case> cases = {
        {"no archive", PackAll, [](PackCommandsTest&) {}, "Define Archive Location first"},
        {"no archive, selected", PackSelected, [](PackCommandsTest&) {},
         "Define Archive Location first"},
        {"no model loaded", PackSelected,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             t.workspace.currentFile.clear();
         },
         "No motion model is loaded"},
        {"archiver missing", PackAll,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             fs::remove(JoinPath(t.start, "sqzip.exe"));
         },
         "\"" + JoinPath(root / "start", "sqzip.exe") + "\" is missing"},
#ifndef _WIN32
        {"archive folder is the models folder through a link", PackSelected,
         [](PackCommandsTest& t) {
             fs::create_directory_symlink(t.models, t.root / "alias");
             t.workspace.archiveFolder = t.root / "alias";
             t.workspace.archiveFile = "vehicles.sqs";
         },
         "models folder"},
#endif
        {"archive folder is the models folder through ..", PackAll,
         [](PackCommandsTest& t) {
             t.workspace.archiveFolder = JoinPath(t.archive, "../models");
             t.workspace.archiveFile = "vehicles.sqs";
         },
         "models folder"},
        {"a listed name the script cannot hold", PackAll,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             WriteBytes(JoinPath(t.models, "50%.zrb"), "x");
             t.originals = Snapshot(t.models);
             t.window.SetList({"50%.zrb", "a.zrb", "b.zrb", "c.zrb"});
         },
         "\"50%.zrb\""},
        {"runner missing", PackSelected,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             t.launcher.readyFailure = "The script runner was not found";
         },
         "The script runner was not found"},
        {"a model that cannot be copied", PackAll,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             t.window.SetList({"a.zrb", "b.zrb", "c.zrb", "gone.zrb"});
         },
         "Could not copy \"" + JoinPath(root / "models", "gone.zrb") + "\""},
        {"the archive folder does not exist", PackSelected,
         [](PackCommandsTest& t) { t.DefineArchive(t.root / "nowhere"); }, "Could not copy"},
        {"the script cannot be written", PackAll,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             fs::create_directory(JoinPath(t.archive, "Install_ZRB.bat"));
             WriteBytes(JoinPath(t.archive, "Install_ZRB.bat/keep"), "x");
         },
         "Install_ZRB.bat"},
        {"a batch file beside the archive that cmd would run instead", PackAll,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             WriteBytes(JoinPath(t.archive, "SQZIP.bat"), "@echo planted");
         },
         "\"" + JoinPath(root / "archive", "SQZIP.bat") + "\" lies beside the archive"},
        {"an archiver named sqzip.com beside the archive", PackSelected,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             WriteBytes(JoinPath(t.archive, "sqzip.exe"), kArchiver);
             WriteBytes(JoinPath(t.archive, "sqzip.com"), "planted");
         },
         "sqzip.com\" lies beside the archive"},
        {"the current model is a folder", PackSelected,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             fs::create_directory(JoinPath(t.models, "dir.zrb"));
             t.workspace.currentFile = "dir.zrb";
         },
         "The model \"dir.zrb\" cannot be packed: it is a folder."},
#ifndef _WIN32
        {"another user may change the archiver beside the archive", PackAll,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             WriteBytes(JoinPath(t.archive, "sqzip.exe"), kArchiver);
             fs::permissions(JoinPath(t.archive, "sqzip.exe"), fs::perms::others_write,
                             fs::perm_options::add);
         },
         "sqzip.exe\" beside the archive was not run: other users may change it"},
        {"another user may replace the archiver in its folder", PackAll,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             WriteBytes(JoinPath(t.archive, "sqzip.exe"), kArchiver);
             fs::permissions(t.archive, fs::perms::all);
         },
         "was not run: other users may replace it in its folder"},
        {"the current model is a FIFO", PackSelected,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             ASSERT_EQ(::mkfifo(JoinPath(t.models, "pipe.zrb").c_str(), 0644), 0);
             t.workspace.currentFile = "pipe.zrb";
         },
         "The model \"pipe.zrb\" cannot be packed: it is not a regular file."},
        {"the current model is a link to an endless device", PackSelected,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             fs::create_symlink("/dev/zero", JoinPath(t.models, "zero.zrb"));
             t.workspace.currentFile = "zero.zrb";
         },
         "\"zero.zrb\" cannot be packed: it is a symbolic link to a file outside"},
        {"the current model is a link out of the models folder", PackSelected,
         [](PackCommandsTest& t) {
             t.DefineArchive(t.archive);
             WriteBytes(t.root / "secret", "key");
             fs::create_symlink(t.root / "secret", JoinPath(t.models, "out.zrb"));
             t.originals = Snapshot(t.models);
             t.workspace.currentFile = "out.zrb";
         },
         "\"out.zrb\" cannot be packed: it is a symbolic link to a file outside"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PackCommandsTest& t = *this;
        fs::remove_all(root / "alias");
        fs::permissions(archive, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
        for (const auto& entry : fs::directory_iterator(archive)) {
            fs::remove_all(entry.path());
        }
        WriteBytes(JoinPath(start, "sqzip.exe"), kArchiver);
        window = packtest::FakeWindow();
        window.SetList({"a.zrb", "b.zrb", "c.zrb"});
        launcher = packtest::RecordingLauncher();
        workspace.currentFile = "b.zrb";
        workspace.archiveFolder.clear();
        workspace.archiveFile.clear();
        c.arrange(t);
        window.messages.clear();

        c.pack(workspace, window, launcher);

        ASSERT_EQ(window.Warnings().size(), 1u);
        EXPECT_THAT(window.Warnings()[0], HasSubstr(c.message));
        EXPECT_TRUE(launcher.launches.empty());
        EXPECT_FALSE(Exists(JoinPath(archive, "Install_ZRB.bat")) &&
                     !fs::is_directory(JoinPath(archive, "Install_ZRB.bat")));
        for (const char* name : {"a.zrb", "b.zrb", "c.zrb"}) {
            EXPECT_FALSE(Exists(JoinPath(archive, name))) << name;
        }
        EXPECT_EQ(Snapshot(models), originals);
        fs::remove(JoinPath(models, "50%.zrb"));
        originals.erase("50%.zrb");
        for (const char* special : {"dir.zrb", "pipe.zrb", "zero.zrb", "out.zrb"}) {
            fs::remove_all(JoinPath(models, special));
        }
        originals = Snapshot(models);
    }
}

TEST_F(PackCommandsTest, ACancelledPackAllLaunchesNothingAndSaysNothing) {
    DefineArchive(archive);
    window.cancelAtProgressCall = 2;  // after two of the four copies
    PackAll(workspace, window, launcher);
    EXPECT_TRUE(window.Warnings().empty());
    EXPECT_TRUE(window.OtherMessages().empty());
    EXPECT_EQ(window.progress.size(), 3u);
    ExpectNothingPacked();

    window.progress.clear();
    fs::remove(JoinPath(archive, "sqzip.exe"));
    window.cancelAtProgressCall = 0;  // before the first copy
    PackAll(workspace, window, launcher);
    EXPECT_EQ(window.progress.size(), 1u);
    EXPECT_FALSE(Exists(JoinPath(archive, "sqzip.exe")));
    ExpectNothingPacked();
}

TEST_F(PackCommandsTest, AFailedLaunchIsReported) {
    DefineArchive(archive);
    launcher.launchFailure = "Could not start the pack script (No such file or directory).";
    PackSelected(workspace, window, launcher);
    ASSERT_EQ(window.Warnings().size(), 1u);
    EXPECT_EQ(window.Warnings()[0], launcher.launchFailure);
    EXPECT_EQ(launcher.launches.size(), 1u);
}

TEST_F(PackCommandsTest, OldCopiesAreReplacedNeverWrittenThrough) {
    DefineArchive(archive);
    // A read-only leftover, a symbolic and a hard link to the very models being packed,
    // and a read-only old script.
    WriteBytes(JoinPath(archive, "a.zrb"), "stale");
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(JoinPath(archive, "a.zrb"), readOnly);
#ifndef _WIN32
    fs::create_symlink(JoinPath(models, "b.zrb"), JoinPath(archive, "b.zrb"));
#endif
    fs::create_hard_link(JoinPath(models, "c.zrb"), JoinPath(archive, "c.zrb"));
    WriteBytes(JoinPath(archive, "Install_ZRB.bat"),
               "old script that is much longer than the new one");
    fs::permissions(JoinPath(archive, "Install_ZRB.bat"), readOnly);

    PackAll(workspace, window, launcher);

    EXPECT_TRUE(window.Warnings().empty()) << window.Warnings().front();
    for (const char* name : {"a.zrb", "b.zrb", "c.zrb"}) {
        EXPECT_FALSE(fs::is_symlink(JoinPath(archive, name))) << name;
        EXPECT_EQ(ReadBytes(JoinPath(archive, name)), originals[name]) << name;
    }
    EXPECT_EQ(fs::hard_link_count(JoinPath(models, "c.zrb")), 1u);
    EXPECT_EQ(ReadBytes(JoinPath(archive, "sqzip.exe")), kArchiver);
    EXPECT_EQ(ReadBytes(JoinPath(archive, "Install_ZRB.bat")),
              PackScript("vehicles.sqs", {"a.zrb", "b.zrb", "c.zrb"}));
    EXPECT_EQ(Snapshot(models), originals);
}

TEST_F(PackCommandsTest, AnArchiveBesideTheArchiverStillPacks) {
    DefineArchive(start);
    PackSelected(workspace, window, launcher);
    EXPECT_TRUE(window.Warnings().empty()) << window.Warnings().front();
    EXPECT_EQ(ReadBytes(JoinPath(start, "sqzip.exe")), kArchiver);
    EXPECT_EQ(launcher.launches.size(), 1u);
}

TEST_F(PackCommandsTest, AnArchiverBesideTheArchiveRunsAsItIsNeverReplaced) {
    const std::string games = "MZ the simulation's own archiver";
    WriteBytes(JoinPath(archive, "sqzip.exe"), games);
    DefineArchive(archive);
    PackAll(workspace, window, launcher);
    PackSelected(workspace, window, launcher);
    EXPECT_TRUE(window.Warnings().empty()) << window.Warnings().front();
    EXPECT_EQ(launcher.launches.size(), 2u);
    EXPECT_EQ(ReadBytes(JoinPath(archive, "sqzip.exe")), games);
}

#ifndef _WIN32
TEST_F(PackCommandsTest, TheScriptIsNeverWrittenThroughALink) {
    DefineArchive(archive);
    WriteBytes(root / "elsewhere.txt", "not a script");
    fs::create_symlink(root / "elsewhere.txt", JoinPath(archive, "Install_ZRB.bat"));
    PackSelected(workspace, window, launcher);
    EXPECT_TRUE(window.Warnings().empty()) << window.Warnings().front();
    EXPECT_EQ(ReadBytes(root / "elsewhere.txt"), "not a script");
    EXPECT_FALSE(fs::is_symlink(JoinPath(archive, "Install_ZRB.bat")));
    EXPECT_EQ(ReadBytes(JoinPath(archive, "Install_ZRB.bat")),
              PackScript("vehicles.sqs", {"b.zrb"}));
}
#endif

// The command interpreter reads the script in the system's script code page: on Windows
// the console's (437 under Wine), elsewhere the names' own UTF-8.
TEST_F(PackCommandsTest, NamesReachTheScriptInTheSystemsCodePage) {
    const std::string cafe = "caf\xC3\xA9.zrb";
    const std::string path = JoinPath(models, cafe);
    // A path in UTF-8 whatever the system's narrow code page.
    std::ofstream(fs::path(std::u8string(path.begin(), path.end())), std::ios::binary)
        << "//model\r\n";
    workspace.currentFile = cafe;
    DefineArchive(archive);
    PackSelected(workspace, window, launcher);
    ASSERT_TRUE(window.Warnings().empty()) << window.Warnings().front();
    const unsigned codePage = ScriptCodePage();
    const std::string script = PackScript("vehicles.sqs", {cafe});
    EXPECT_EQ(ReadBytes(JoinPath(archive, "Install_ZRB.bat")),
              codePage == 0 ? script : ToCodePage(script, codePage).value_or("?"));
#ifdef _WIN32
    EXPECT_NE(codePage, 0u);
#endif
}

}  // namespace
}  // namespace zrb
