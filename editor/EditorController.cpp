#include "editor/EditorController.h"

#include <algorithm>

#include "editor/ControlIds.h"
#include "model/FieldAdvice.h"
#include "pack/PackCommands.h"
#include "pack/PackOutcome.h"
#include "platform/Platform.h"

namespace zrb {

const std::vector<Binding>& EditorBindings() {
    static const std::vector<Binding> bindings = {
        {ids::kMaxAccel, BoxKind::Number, &MotionModel::maxAccel},
        {ids::kBumpyFactor, BoxKind::Number, &MotionModel::bumpyFactor},
        {ids::kDescription, BoxKind::Description, nullptr},
        {ids::kKineticFriction, BoxKind::Number, &MotionModel::coeffKineticFriction},
        {ids::kStaticFriction, BoxKind::Number, &MotionModel::coeffStaticFriction},
        {ids::kGasScaleFactor, BoxKind::Number, &MotionModel::gasScaleFactor},
        {ids::kHorsePower, BoxKind::Number, &MotionModel::horsePower},
        {ids::kMomentOfInertia, BoxKind::Number, &MotionModel::momentOfInertia},
        {ids::kMass, BoxKind::Number, &MotionModel::mass},
        {ids::kRestitution, BoxKind::Number, &MotionModel::coefficientOfRestitution},
        {ids::kMaxTurnRate, BoxKind::Number, &MotionModel::maxTurnRate},
        {ids::kTurnTightness, BoxKind::Number, &MotionModel::turnTightness},
        {ids::kSpeed, BoxKind::Speed, nullptr},
    };
    return bindings;
}

std::string EditorBoxTooltip(int id) {
    for (const Binding& b : EditorBindings()) {
        if (b.id != id) {
            continue;
        }
        switch (b.kind) {
            case BoxKind::Description:
                return "The model's one-line description, the file's first line. Saving "
                       "starts it with // when it does not.";
            case BoxKind::Speed:
                return "Approximate top speed in km/h: the gas scale factor times 600, "
                       "rounded. It is not stored in the file.";
            case BoxKind::Number:
                for (const FieldAdvice& advice : ModelFieldAdvice()) {
                    if (advice.field == b.field) {
                        std::string tip(advice.meaning);
                        tip += " Advised: ";
                        tip += AdvisedRangeText(advice);
                        tip += ' ';
                        tip += advice.advice;
                        return tip;
                    }
                }
                break;
        }
    }
    return {};
}

EditorController::EditorController(EditorView& view, std::string startFolder,
                                   std::string programFolder)
    : view_(view), editor_(view, *this), programFolder_(std::move(programFolder)) {
    editor_.workspace.startFolder = std::move(startFolder);
    // Started from the menu, the start folder is the install folder, which is no place
    // for models. A folder the user can write (a build folder, an unpacked zip) holds the
    // samples beside the program, so the dialogs keep opening there.
    if (!IsWritableFolder(editor_.workspace.startFolder)) {
        editor_.firstDialogFolder = HomeFolder();
    }
}

void EditorController::OnShow() {
    ModelToBoxes();
    ShowLoadFindings();
}

void EditorController::OnBoxEdited(int id, std::string_view text) {
    for (const Binding& b : EditorBindings()) {
        if (b.id != id) {
            continue;
        }
        if (b.kind == BoxKind::Description) {
            editor_.SetDescription(text);
        } else if (b.kind == BoxKind::Number) {
            editor_.SetNumberFromText(b.field, text);
            if (id == ids::kGasScaleFactor) {
                view_.SetBoxText(ids::kSpeed, editor_.speedText);
            }
        }
        return;
    }
}

void EditorController::OnSelectionChanged() {
    // A click on the entry shown already replaces nothing.
    const std::optional<int> selected = view_.ListSelection();
    if (selected && !editor_.workspace.currentFile.empty() &&
        view_.ListText(*selected) == editor_.workspace.currentFile) {
        return;
    }
    if (!MayDiscardEdits()) {
        // The list goes back to the model the window still shows.
        const std::optional<int> current = view_.ListFindExact(editor_.workspace.currentFile);
        view_.ListSelect(current ? *current : -1);
        return;
    }
    editor_.LoadSelectedModel();
}

void EditorController::OnCommand(int id) {
    switch (id) {
        case ids::kSaveChanges:
            editor_.SaveChanges();
            break;
        case ids::kSaveAsNew:
            editor_.SaveAsNew();
            break;
        case ids::kCalculateInertia:
            OnCalculateInertia();
            break;
        case ids::kOpenMotionModel:
            if (MayDiscardEdits()) {
                editor_.OpenMotionModel();
            }
            break;
        case ids::kReload:
            OnReload();
            break;
        case ids::kExit:
            OnCancel();
            break;
        case ids::kDefineArchiveLocation:
            DefineArchiveLocation(editor_.workspace, view_);
            break;
        case ids::kPackSelected:
        case ids::kPackAll:
            if (MayPack()) {
                StartPack(id);
            }
            break;
        case ids::kHelp:
            OnHelp();
            break;
        case ids::kFleetOverview:
            if (editor_.workspace.modelsFolder.empty()) {
                view_.MessageBox(
                    "Open a model first (File, Open Motion Model): the overview shows the "
                    "models of its folder.",
                    MessageIcon::None);
            } else {
                view_.ShowFleetOverview();
            }
            break;
        case ids::kAbout:
            view_.ShowAbout();
            break;
        default:
            break;
    }
}

void EditorController::OnCalculateInertia() {
    const std::optional<double> inertia = view_.CalculateInertia(editor_.model.mass);
    if (!inertia) {
        return;
    }
    editor_.model.momentOfInertia = *inertia;
    ModelToBoxes();
}

void EditorController::OnReload() {
    if (editor_.workspace.modelsFolder.empty()) {
        view_.MessageBox(
            "Open a model first (File, Open Motion Model): Reload reads its folder "
            "and the model again.",
            MessageIcon::None);
        return;
    }
    if (MayDiscardEdits()) {
        editor_.Reload();
    }
}

bool EditorController::MayPack() {
    const ModelWorkspace& workspace = editor_.workspace;
    if (workspace.modelsFolder.empty() || workspace.currentFile.empty() ||
        !editor_.HasUnsavedEdits()) {
        return true;
    }
    const int answer = view_.Ask(
        workspace.currentFile +
            " has unsaved changes, and packing takes the model files as they are on disk."
            "\n\nSave the changes first and pack them, or pack the file as it was last saved?",
        {"&Save and Pack", "&Pack Saved File", "Cancel"}, 2);
    switch (answer) {
        case 0:
            return editor_.SaveChanges();
        case 1:
            return true;
        default:
            return false;
    }
}

void EditorController::OnHelp() {
    // Started from a file manager or a terminal elsewhere, the start folder lacks the
    // page that lies beside the program.
    std::vector<std::string> places{JoinPath(editor_.workspace.startFolder, "Help.htm")};
    if (!programFolder_.empty() && !IsSameFolder(programFolder_, editor_.workspace.startFolder)) {
        places.push_back(JoinPath(programFolder_, "Help.htm"));
    }
    std::string page;
    for (const std::string& place : places) {
        if (KindOf(place) == EntryKind::File) {
            page = place;
            break;
        }
    }
    if (page.empty()) {
        std::string text = places.size() == 1
                               ? "The help page was not found. It is looked for in the folder "
                                 "the program was started from:"
                               : "The help page was not found. It is looked for in the folder "
                                 "the program was started from, then in the program's own "
                                 "folder:";
        for (const std::string& place : places) {
            text += "\n" + place;
        }
        view_.MessageBox(text, MessageIcon::Warning);
        return;
    }
    if (!view_.OpenDocument(page)) {
        view_.MessageBox("The help page " + page +
                             " could not be opened: no program to show web pages was found.",
                         MessageIcon::Warning);
    }
}

std::string EditorController::DiscardQuestion() const {
    if (!editor_.HasUnsavedEdits()) {
        return {};
    }
    const std::string file =
        editor_.workspace.currentFile.empty() ? "the model" : editor_.workspace.currentFile;
    return "Discard the unsaved changes to " + file + "?";
}

std::vector<std::string> EditorController::ListedModels() const {
    std::vector<std::string> names;
    const int count = view_.ListCount();
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        names.push_back(view_.ListText(i));
    }
    return names;
}

void EditorController::LoadListedModel(const std::string& name) {
    const std::optional<int> index = view_.ListFindExact(name);
    if (!index) {
        view_.MessageBox(name + " is no longer in the model list.", MessageIcon::Warning);
        return;
    }
    view_.ListSelect(*index);
    editor_.LoadSelectedModel();
}

bool EditorController::MayDiscardEdits() {
    const std::string question = DiscardQuestion();
    return question.empty() || view_.AskYesNo(question);
}

void EditorController::OnOk() {
    if (BoxesToModel() && MayDiscardEdits()) {
        view_.EndDialog(true);
    }
}

void EditorController::OnCancel() {
    if (MayDiscardEdits()) {
        view_.EndDialog(false);
    }
}

bool EditorController::BoxesToModel() {
    for (const Binding& b : EditorBindings()) {
        switch (b.kind) {
            case BoxKind::Number:
                if (!PullNumber(view_, b.id, editor_.model.*b.field)) {
                    return false;
                }
                break;
            case BoxKind::Description:
                editor_.model.description = view_.BoxText(b.id);
                break;
            case BoxKind::Speed:
                editor_.speedText = view_.BoxText(b.id);
                break;
        }
    }
    return true;
}

void EditorController::ModelToBoxes() {
    for (const Binding& b : EditorBindings()) {
        switch (b.kind) {
            case BoxKind::Number:
                PushNumber(view_, b.id, editor_.model.*b.field);
                break;
            case BoxKind::Description:
                view_.SetBoxText(b.id, editor_.model.description);
                break;
            case BoxKind::Speed:
                view_.SetBoxText(b.id, editor_.speedText);
                break;
        }
    }
}

void EditorController::ShowLoadFindings() {
    const LoadFindings& findings = editor_.loadFindings();
    view_.ShowFileWarning(LoadWarningText(findings));
    for (const Binding& b : EditorBindings()) {
        const ModelKey* key = nullptr;
        if (b.kind == BoxKind::Number) {
            for (const ModelKey& k : ModelKeys()) {
                key = k.field == b.field ? &k : key;
            }
        } else if (b.kind != BoxKind::Description) {
            continue;
        }
        const std::string note = BoxFindingText(findings, key);
        const std::string tip = EditorBoxTooltip(b.id);
        view_.MarkBox(b.id, !note.empty(), note.empty() ? tip : note + "\n\n" + tip);
    }
}

void EditorController::OnCharactersLeftOut(int id, std::u32string_view characters) {
    if (id == ids::kDescription && !characters.empty()) {
        view_.MessageBox(CharactersLeftOutMessage(characters), MessageIcon::Warning);
    }
}

void EditorController::StartPack(int command) {
    const ModelWorkspace& workspace = editor_.workspace;
    for (const RunningPack& pack : packs_) {
        if (!workspace.archiveFile.empty() &&
            (pack.archiveFolder == workspace.archiveFolder ||
             IsSameFolder(pack.archiveFolder, workspace.archiveFolder))) {
            view_.MessageBox(StillRunningMessage(workspace.archiveFolder), MessageIcon::Warning);
            return;
        }
    }
    ScriptLauncher& launcher = launcher_ != nullptr ? *launcher_ : SystemScriptLauncher();
    RunningPack started;
    started.id = 0;
    packTick_ = true;  // Pack All's progress lets the window run
    if (command == ids::kPackSelected) {
        PackSelected(workspace, view_, launcher, &started);
    } else {
        PackAll(workspace, view_, launcher, &started);
    }
    packTick_ = false;
    if (started.scriptPath.empty()) {
        return;  // nothing started; the user was told why
    }
    started.id = ++lastPackId_;
    packs_.push_back(started);
    ShowPackStatus();
    view_.WatchPack(started);
}

void EditorController::ShowPackStatus() {
    if (packs_.empty()) {
        view_.ShowPackStatus({});
        return;
    }
    // The latest pack is the one the user is waiting for.
    const RunningPack& pack = packs_.back();
    const PackState state = PollPack(pack);
    view_.ShowPackStatus(PackProgressText(state.done, state.total, pack.archiveFile));
}

void EditorController::OnPackTick() {
    if (packTick_) {
        return;
    }
    packTick_ = true;
    std::vector<int> ended;
    for (const RunningPack& pack : packs_) {
        if (PollPack(pack).ended) {
            ended.push_back(pack.id);
        }
    }
    packTick_ = false;
    for (const int id : ended) {
        OnPackEnded(id);
    }
    if (ended.empty() && !packs_.empty()) {
        ShowPackStatus();
    }
}

void EditorController::OnPackEnded(int id) {
    const auto found = std::find_if(packs_.begin(), packs_.end(),
                                    [id](const RunningPack& pack) { return pack.id == id; });
    if (found == packs_.end()) {
        return;
    }
    const RunningPack pack = *found;
    // Gone before the message is shown: the window runs while the message box is open.
    packs_.erase(found);
    ShowPackStatus();
    const PackOutcome outcome = FinishPack(pack);
    view_.MessageBox(outcome.message, outcome.allPacked ? MessageIcon::None : MessageIcon::Warning);
}

}  // namespace zrb
