#pragma once
// A window for the workspace commands without any widgets: it records what it is asked
// to do and answers file dialogs from a queue the test fills.

#include <deque>
#include <string>
#include <vector>

#include "model/Workspace.h"

namespace zrb::testing {

class FakeWindow : public WindowOps {
  public:
    // What the window was asked, in order: "clear", "add 3", "select 0", "pull", "push",
    // "title ...", "dialog open", "wait on", "wait off", "message ...".
    std::vector<std::string> log;
    std::deque<FileDialogAnswer> dialogAnswers;
    std::vector<FileDialogRequest> dialogRequests;
    std::vector<std::pair<std::string, MessageIcon>> messages;
    std::string title = "ZRB Editor";
    SortedNameList list;
    std::optional<int> selection;
    bool pullSucceeds = true;
    bool cancelProgress = false;

    void ListClear() override {
        log.push_back("clear");
        list.Clear();
        selection.reset();
    }
    void ListAdd(std::vector<std::string> names) override {
        log.push_back("add " + std::to_string(names.size()));
        list.AddMany(std::move(names));
    }
    std::optional<int> ListSelection() const override { return selection; }
    std::string ListText(int index) const override { return list[static_cast<std::size_t>(index)]; }
    void ListSelect(int index) override {
        log.push_back("select " + std::to_string(index));
        if (index >= 0 && index < ListCount()) {
            selection = index;
        } else {
            selection.reset();
        }
    }
    std::optional<int> ListFindExact(const std::string& name) const override {
        const auto found = list.FindExact(name);
        return found ? std::optional<int>(static_cast<int>(*found)) : std::nullopt;
    }
    int ListCount() const override { return static_cast<int>(list.size()); }
    bool BoxesToModel() override {
        log.push_back("pull");
        return pullSucceeds;
    }
    void ModelToBoxes() override { log.push_back("push"); }
    void SetWindowTitle(const std::string& text) override {
        log.push_back("title " + text);
        title = text;
    }
    FileDialogAnswer FileDialog(const FileDialogRequest& request) override {
        log.push_back(request.type == FileDialogType::Open ? "dialog open" : "dialog save");
        dialogRequests.push_back(request);
        if (dialogAnswers.empty()) {
            return {};
        }
        FileDialogAnswer answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    void WaitCursor(bool on) override { log.push_back(on ? "wait on" : "wait off"); }
    void MessageBox(const std::string& text, MessageIcon icon) override {
        log.push_back("message " + text);
        messages.emplace_back(text, icon);
    }
    std::vector<std::string> FolderSearch(const std::string& folder) override {
        return SearchModelFolder(folder);
    }
    bool Progress(std::size_t, std::size_t) override { return !cancelProgress; }

    // Answers the next file dialog with `path` (the bare name is cut from it).
    void AnswerNextDialog(const std::string& path) {
        dialogAnswers.push_back({true, path, path.substr(path.rfind('/') + 1)});
    }
};

}  // namespace zrb::testing
