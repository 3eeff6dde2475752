#pragma once
// A window without any widgets, for the workspace commands and the window logic: it
// records what it is asked to do, holds the boxes' texts, and answers file dialogs and
// questions from queues the test fills.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "editor/EditorController.h"
#include "model/Workspace.h"

namespace zrb::testing {

class FakeWindow : public EditorView, public ModelBoxes {
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
    std::vector<std::pair<std::size_t, std::size_t>> progress;  // done, total
    std::optional<std::size_t> cancelAtProgressCall;            // 0: the first call cancels
    bool waitCursor = false;
    // What pulling the boxes puts into the model (the user's typing), and what the test
    // notes when the boxes are filled; nothing when unset.
    std::function<void()> onPull;
    std::function<void()> onPush;

    // The dialog's side.
    std::map<int, std::string> boxes;
    std::map<int, std::string> labels;
    std::optional<int> focused;
    std::optional<bool> ended;  // true: OK
    std::deque<bool> yesNoAnswers;
    std::vector<std::string> questions;
    // The questions with named buttons, and the indexes they are answered with; with
    // none queued, the default answer.
    struct Asked {
        std::string question;
        std::vector<std::string> answers;
        int defaultAnswer;
    };
    std::vector<Asked> asked;
    std::deque<int> choices;
    std::optional<double> inertiaAnswer;  // what the calculator returns
    std::vector<double> calculatorMasses;
    std::vector<std::string> openedDocuments;
    bool openSucceeds = true;
    int aboutShown = 0;
    int overviewsShown = 0;
    std::vector<RunningPack> watched;       // the packs the window was asked to watch
    std::vector<std::string> packStatuses;  // each status line shown, "" when none runs

    std::string BoxText(int id) const override {
        const auto it = boxes.find(id);
        return it != boxes.end() ? it->second : std::string();
    }
    void SetBoxText(int id, std::string_view text) override { boxes[id] = std::string(text); }
    std::string BoxLabel(int id) const override {
        const auto it = labels.find(id);
        return it != labels.end() ? it->second : std::string();
    }
    void FocusBox(int id) override { focused = id; }
    void EndDialog(bool ok) override { ended = ok; }
    bool AskYesNo(const std::string& question) override {
        questions.push_back(question);
        if (yesNoAnswers.empty()) {
            return false;
        }
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    int Ask(const std::string& question, const std::vector<std::string>& answers,
            int defaultAnswer) override {
        log.push_back("ask " + question);
        asked.push_back({question, answers, defaultAnswer});
        if (choices.empty()) {
            return defaultAnswer;
        }
        const int choice = choices.front();
        choices.pop_front();
        return choice;
    }
    std::optional<double> CalculateInertia(double mass) override {
        calculatorMasses.push_back(mass);
        return inertiaAnswer;
    }
    void ShowAbout() override { ++aboutShown; }
    void ShowFleetOverview() override { ++overviewsShown; }
    bool OpenDocument(const std::string& path) override {
        openedDocuments.push_back(path);
        return openSucceeds;
    }
    void WatchPack(const RunningPack& pack) override { watched.push_back(pack); }
    void ShowPackStatus(const std::string& text) override { packStatuses.push_back(text); }

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
        if (onPull) {
            onPull();
        }
        return pullSucceeds;
    }
    void ModelToBoxes() override {
        log.push_back("push");
        if (onPush) {
            onPush();
        }
    }
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
    void WaitCursor(bool on) override {
        log.push_back(on ? "wait on" : "wait off");
        waitCursor = on;
    }
    void MessageBox(const std::string& text, MessageIcon icon) override {
        log.push_back("message " + text);
        messages.emplace_back(text, icon);
    }
    bool Progress(std::size_t done, std::size_t total) override {
        const bool cancel =
            cancelProgress || (cancelAtProgressCall && progress.size() == *cancelAtProgressCall);
        progress.emplace_back(done, total);
        return !cancel;
    }

    // The list's entries, in the list's order.
    void SetList(std::vector<std::string> names) {
        list.Clear();
        list.AddMany(std::move(names));
    }
    // The texts of the messages shown with a warning icon, and of the others.
    std::vector<std::string> Warnings() const { return Texts(true); }
    std::vector<std::string> OtherMessages() const { return Texts(false); }

    // Answers the next file dialog with `path` (the bare name is cut from it).
    void AnswerNextDialog(const std::string& path) {
        dialogAnswers.push_back({true, path, path.substr(path.find_last_of("/\\") + 1)});
    }

    // The warning above the boxes, and the marked boxes with their tooltips.
    std::string fileWarning;
    std::map<int, std::string> marks;
    void ShowFileWarning(const std::string& text) override { fileWarning = text; }
    void MarkBox(int id, bool marked, const std::string& tooltip) override {
        if (marked) {
            marks[id] = tooltip;
        } else {
            marks.erase(id);
        }
    }

  private:
    std::vector<std::string> Texts(bool warnings) const {
        std::vector<std::string> texts;
        for (const auto& [text, icon] : messages) {
            if ((icon == MessageIcon::Warning) == warnings) {
                texts.push_back(text);
            }
        }
        return texts;
    }
};

}  // namespace zrb::testing
