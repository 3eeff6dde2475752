#include "model/Workspace.h"

#include <algorithm>
#include <iterator>

#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {

namespace {

bool EndsWithZrb(std::string_view name) {
    return name.size() >= 4 && ModelNameEqualsIgnoringCase(name.substr(name.size() - 4), ".zrb");
}

}  // namespace

const FileDialogRequest& ModelFileDialog(FileDialogType type) {
    static const FileDialogRequest open{FileDialogType::Open, "zrb", "*.zrb", true,
                                        "Motion Models (*.zrb)|*.zrb||"};
    static const FileDialogRequest save{FileDialogType::Save, "zrb", "new.zrb", false,
                                        "Motion Models (*.zrb)|*.zrb||"};
    return type == FileDialogType::Open ? open : save;
}

std::string FolderOfPickedFile(std::string_view path, std::string_view name) {
    if (path.size() <= name.size()) {
        return {};
    }
    return std::string(path.substr(0, path.size() - name.size() - 1));
}

bool ModelNameLess(std::string_view a, std::string_view b) {
    const int c = CompareIgnoringAsciiCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

bool ModelNameEqualsIgnoringCase(std::string_view a, std::string_view b) {
    return CompareIgnoringAsciiCase(a, b) == 0;
}

Result ListModelFolder(const std::string& folder, std::vector<std::string>& names) {
    std::vector<std::string> all;
    if (Result listed = ListFolder(folder, all); !listed) {
        return listed;
    }
    std::erase_if(all, [](const std::string& name) { return !EndsWithZrb(name); });
    names = std::move(all);
    return Result::Success();
}

std::vector<std::string> SearchModelFolder(const std::string& folder) {
    std::vector<std::string> names;
    // The window shows a folder it cannot search as an empty list.
    [[maybe_unused]] const Result ignored = ListModelFolder(folder, names);
    return names;
}

void SortByModelName(std::vector<std::string>& names) {
    // Sorted by lowered copies, all in one buffer, so that each of the n log n
    // comparisons is a memcmp rather than folding case byte by byte again.
    std::size_t total = 0;
    for (const std::string& name : names) {
        total += name.size();
    }
    std::string lowered;
    lowered.reserve(total);  // never grows below, so the views stay valid
    struct Key {
        std::string_view lowered;
        std::size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t start = lowered.size();
        for (const char c : names[i]) {
            lowered += AsciiLower(c);
        }
        keys.push_back({std::string_view(lowered).substr(start), i});
    }
    // The same order as ModelNameLess: lowered bytes first, then the bytes as they are.
    std::sort(keys.begin(), keys.end(), [&names](const Key& a, const Key& b) {
        const int c = a.lowered.compare(b.lowered);
        return c != 0 ? c < 0 : names[a.index] < names[b.index];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const Key& key : keys) {
        sorted.push_back(std::move(names[key.index]));
    }
    names = std::move(sorted);
}

std::size_t SortedNameList::Add(std::string name) {
    const auto at = std::upper_bound(
        names_.begin(), names_.end(), name,
        [](const std::string& a, const std::string& b) { return ModelNameLess(a, b); });
    return static_cast<std::size_t>(names_.insert(at, std::move(name)) - names_.begin());
}

void SortedNameList::AddMany(std::vector<std::string> names) {
    auto less = [](const std::string& a, const std::string& b) { return ModelNameLess(a, b); };
    SortByModelName(names);
    if (names_.empty()) {
        names_ = std::move(names);
        return;
    }
    const auto middle = static_cast<std::ptrdiff_t>(names_.size());
    names_.insert(names_.end(), std::make_move_iterator(names.begin()),
                  std::make_move_iterator(names.end()));
    std::inplace_merge(names_.begin(), names_.begin() + middle, names_.end(), less);
}

std::optional<std::size_t> SortedNameList::FindExact(std::string_view name) const {
    // Entries equal without regard to case stand together. The one equal byte for byte
    // wins, so that B.zrb is not taken for a just saved b.zrb; failing that, the first.
    const auto first = std::lower_bound(names_.begin(), names_.end(), name,
                                        [](const std::string& a, std::string_view b) {
                                            return CompareIgnoringAsciiCase(a, b) < 0;
                                        });
    auto end = first;
    while (end != names_.end() && ModelNameEqualsIgnoringCase(*end, name)) {
        if (*end == name) {
            return static_cast<std::size_t>(end - names_.begin());
        }
        ++end;
    }
    if (first != end) {
        return static_cast<std::size_t>(first - names_.begin());
    }
    return std::nullopt;
}

void ModelEditor::OpenMotionModel() {
    const FileDialogAnswer answer = window_.FileDialog(ModelFileDialog(FileDialogType::Open));
    if (!answer.confirmed) {
        return;
    }
    workspace.modelsFolder = FolderOfPickedFile(answer.path, answer.fileName);
    window_.SetWindowTitle("ZRB Editor - " + workspace.modelsFolder);
    RefreshModelList();
    window_.ListSelect(0);
    LoadSelectedModel();
}

void ModelEditor::RefreshModelList() {
    window_.ListClear();
    window_.ListAdd(window_.FolderSearch(workspace.modelsFolder));
}

void ModelEditor::LoadSelectedModel() {
    const std::optional<int> selection = window_.ListSelection();
    if (!selection || *selection < 0 || *selection >= window_.ListCount()) {
        return;
    }
    workspace.currentFile = window_.ListText(*selection);
    const Result read =
        ReadModelFile(JoinPath(workspace.modelsFolder, workspace.currentFile), model, speedText);
    unsaved_ = false;
    window_.ModelToBoxes();
    if (!read) {
        // The boxes show what was read, as always; the user learns why it is so little.
        window_.MessageBox(read.message(), MessageIcon::Warning);
    }
}

void ModelEditor::SaveChanges() {
    // Save As New names a current file even before any folder is open; writing it then
    // would go to the root folder.
    if (workspace.modelsFolder.empty() || workspace.currentFile.empty()) {
        window_.MessageBox(
            "There is no motion model to save yet. Open a motion model first "
            "(File, Open Motion Model).",
            MessageIcon::Warning);
        return;
    }
    window_.WaitCursor(true);
    if (!window_.BoxesToModel()) {
        // The window has told the user which box holds no number; saving the model
        // without that box's text would write what the user did not see.
        window_.WaitCursor(false);
        return;
    }
    WriteAndConfirm(JoinPath(workspace.modelsFolder, workspace.currentFile),
                    ModelFileVariant::SaveChanges);
}

void ModelEditor::SaveAsNew() {
    const FileDialogAnswer answer = window_.FileDialog(ModelFileDialog(FileDialogType::Save));
    if (!answer.confirmed) {
        return;
    }
    const std::string previousFile = workspace.currentFile;
    workspace.currentFile = answer.fileName;
    window_.WaitCursor(true);
    if (!window_.BoxesToModel()) {
        workspace.currentFile = previousFile;
        window_.WaitCursor(false);
        return;
    }
    const Result written = WriteModelFile(answer.path, model, ModelFileVariant::SaveAsNew);
    window_.WaitCursor(false);
    if (!written) {
        // Nothing was saved under the new name, so keep editing the old file.
        workspace.currentFile = previousFile;
        window_.MessageBox(written.message(), MessageIcon::Warning);
        return;
    }
    unsaved_ = false;
    // With no folder open there is no list to show the new file in.
    if (!workspace.modelsFolder.empty()) {
        RefreshModelList();
        if (const auto found = window_.ListFindExact(workspace.currentFile)) {
            window_.ListSelect(*found);
        }
        LoadSelectedModel();
    }
    window_.MessageBox("Changes saved", MessageIcon::None);
}

void ModelEditor::WriteAndConfirm(const std::string& path, ModelFileVariant variant) {
    const Result written = WriteModelFile(path, model, variant);
    window_.WaitCursor(false);
    if (!written) {
        window_.MessageBox(written.message(), MessageIcon::Warning);
        return;
    }
    unsaved_ = false;
    window_.MessageBox("Changes saved", MessageIcon::None);
}

void ModelEditor::SetNumberFromText(double MotionModel::*field, std::string_view text) {
    model.*field = ParseNumber(text);
    if (field == &MotionModel::gasScaleFactor) {
        speedText = SpeedText(model.gasScaleFactor);
    }
    unsaved_ = true;
}

void ModelEditor::SetDescription(std::string_view text) {
    model.description.assign(text);
    unsaved_ = true;
}

}  // namespace zrb
