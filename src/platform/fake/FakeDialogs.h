#pragma once
// Message boxes, pickers and clipboard for tests: answers are queued by the test, and
// every question asked is recorded.

#include <deque>
#include <string>
#include <vector>

#include "platform/Interfaces.h"

namespace qm {

class FakeMessageBox : public IMessageBox {
  public:
    struct Shown {
        std::u16string text;
        MsgButtons buttons;
        MsgIcon icon;
    };
    MsgAnswer Show(std::u16string_view text, MsgButtons buttons, MsgIcon icon) override;

    // Answers given in order; when none is queued, Ok / Yes is the answer.
    std::deque<MsgAnswer> answers;
    std::vector<Shown> shown;
};

class FakeFileDialogs : public IFileDialogs {
  public:
    std::u16string BrowseForFolder(std::u16string_view prompt,
                                   std::u16string_view preselect) override;
    std::u16string GetOpenFileName(std::u16string_view initialFolder,
                                   std::u16string_view filterLabel,
                                   std::u16string_view pattern) override;

    // Results given in order; when none is queued the dialog is cancelled (empty).
    std::deque<std::u16string> folders;
    std::deque<std::u16string> files;
    struct Asked {
        std::u16string prompt, preselect, pattern;
    };
    std::vector<Asked> folderPrompts, filePrompts;
};

class FakeClipboard : public IClipboard {
  public:
    void Clear() override { text.clear(); }
    void SetText(std::u16string_view t) override { text = t; }
    std::u16string GetText() override { return text; }
    std::u16string text;
};

class FakeInstanceChannel : public IInstanceChannel {
  public:
    bool AnotherCopyRunning(std::function<void()> onActivate) override {
        activate = std::move(onActivate);
        return otherRunning;
    }
    void ActivateOtherCopy() override { ++activationRequests; }
    bool otherRunning = false;
    int activationRequests = 0;
    std::function<void()> activate;
};

class FakeShellFolders : public IShellFolders {
  public:
    std::u16string GetSpecialFolderPath(int csidl) override;
    std::u16string GetTempFolderPath() override { return temp; }
    std::u16string music, windows, pictures, commonMusic, temp;
};

}  // namespace qm
