// Watching the command interpreter: it tells nothing of the archiver's exit status, so
// once its window is closed the archive folder is looked at.

#include "pack/PackWatch.h"
#include "platform/Platform.h"

namespace zrb {

PackState PollPack(const RunningPack& /*pack*/) {
    return {};  // the process is waited for instead
}

PackOutcome FinishPack(const RunningPack& pack) {
    ArchiveSeen seen;
    seen.existedBefore = pack.archiveExisted;
    seen.sizeBefore = pack.archiveSize;
    seen.timeBefore = pack.archiveTime;
    ReadOnlyFile archive;
    if (archive.Open(JoinPath(pack.archiveFolder, pack.archiveFile))) {
        seen.existsAfter = true;
        seen.sizeAfter = archive.size();
        seen.timeAfter = archive.modifiedTime();
    }
    for (const std::string& model : pack.models) {
        if (KindOf(JoinPath(pack.archiveFolder, model)) != EntryKind::Missing) {
            seen.copiesLeft.push_back(model);
        }
    }
    if (!pack.copiedArchiver.empty()) {
        RemoveFileIfPresent(pack.copiedArchiver);
    }
    RemoveFileIfPresent(pack.scriptPath);
    RemoveFileIfPresent(JoinPath(pack.archiveFolder, kScriptLogName));
    return OutcomeFromArchive(
        seen, PackFacts{pack.archiveFile, pack.archiveFolder, pack.models, pack.archiver});
}

}  // namespace zrb
