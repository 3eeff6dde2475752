#include "pack/PackWatch.h"

#include "platform/Platform.h"

namespace zrb {

RunningPack WatchFor(const ModelWorkspace& workspace, const PackPlan& plan,
                     const std::vector<std::string>& models) {
    RunningPack pack;
    pack.archiveFolder = workspace.archiveFolder;
    pack.archiveFile = workspace.archiveFile;
    pack.models = models;
    pack.scriptPath = plan.scriptPath;
    pack.launched = std::chrono::steady_clock::now();
    // The plan copies the archiver only where the archive folder lacks one of its own.
    pack.archiver = "the archive folder's own " + std::string(kArchiverName);
    for (const FileCopy& copy : plan.copies) {
        if (!copy.isModel) {
            pack.copiedArchiver = copy.destination;
            pack.archiver = std::string(kArchiverName) + " copied from " + FolderOf(copy.source);
        }
    }
    ReadOnlyFile archive;
    if (archive.Open(JoinPath(workspace.archiveFolder, workspace.archiveFile))) {
        pack.archiveExisted = true;
        pack.archiveSize = archive.size();
        pack.archiveTime = archive.modifiedTime();
    }
    return pack;
}

}  // namespace zrb
