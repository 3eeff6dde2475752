#pragma once
// The Pack menu: choose the target archive, and pack the current model or every listed
// model into it through a generated script that runs the archiver.
//
// The script is written into the archive folder and started there, whatever the
// process's current directory: its DEL lines name the model copies relatively. Every
// failure is shown through PackOps::MessageBox with a warning icon, and then nothing
// is started.

#include "model/Workspace.h"
#include "pack/PackWatch.h"
#include "pack/ScriptLauncher.h"

namespace zrb {

// Pack, Define Archive Location: asks for the .sqs archive and remembers its folder and
// name in the workspace. Refuses the models folder as archive folder, and a name that
// cannot go into the script; the archive fields then stay as they were.
void DefineArchiveLocation(ModelWorkspace& workspace, PackOps& window);

// Pack, Pack Selected ZRB to Archive: packs workspace.currentFile.
void PackSelected(const ModelWorkspace& workspace, PackOps& window);

// Pack, Pack All ZRBs to Archive: packs every entry of the model list, showing progress
// while it copies; a cancel there starts nothing.
void PackAll(const ModelWorkspace& workspace, PackOps& window);

// The same with the script started by `launcher` instead of the system's launcher; when
// a script was started and `started` is given, what is needed to watch it goes there.
// Refused, with a message, while another pack's script still runs in the archive folder
// (as the launcher can tell).
void PackSelected(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher);
void PackAll(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher);
void PackSelected(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher,
                  RunningPack* started);
void PackAll(const ModelWorkspace& workspace, PackOps& window, ScriptLauncher& launcher,
             RunningPack* started);

}  // namespace zrb
