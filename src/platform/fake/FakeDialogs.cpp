#include "platform/fake/FakeDialogs.h"

namespace qm {

MsgAnswer FakeMessageBox::Show(std::u16string_view text, MsgButtons buttons, MsgIcon icon) {
    shown.push_back({std::u16string(text), buttons, icon});
    if (!answers.empty()) {
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
}

std::u16string FakeFileDialogs::BrowseForFolder(std::u16string_view prompt,
                                                std::u16string_view preselect) {
    folderPrompts.push_back({std::u16string(prompt), std::u16string(preselect), {}});
    if (folders.empty()) return {};
    std::u16string f = folders.front();
    folders.pop_front();
    return f;
}

std::u16string FakeFileDialogs::GetOpenFileName(std::u16string_view initialFolder,
                                                std::u16string_view filterLabel,
                                                std::u16string_view pattern) {
    filePrompts.push_back(
        {std::u16string(filterLabel), std::u16string(initialFolder), std::u16string(pattern)});
    if (files.empty()) return {};
    std::u16string f = files.front();
    files.pop_front();
    return f;
}

std::u16string FakeShellFolders::GetSpecialFolderPath(int csidl) {
    switch (csidl) {
        case 13:
            return music;
        case 36:
            return windows;
        case 39:
            return pictures;
        case 53:
            return commonMusic;
        default:
            return {};
    }
}

}  // namespace qm
