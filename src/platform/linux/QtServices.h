#pragma once
// Services the window toolkit provides the same way on every desktop: message boxes,
// folder and file pickers, the clipboard, and the user's folders.

#include <QPointer>
#include <QWidget>

#include "platform/Interfaces.h"

namespace qm {

class QtMessageBox : public IMessageBox {
  public:
    MsgAnswer Show(std::u16string_view text, MsgButtons buttons, MsgIcon icon) override;
    void SetOwner(QWidget* owner) { owner_ = owner; }

  private:
    QPointer<QWidget> owner_;
};

class QtFileDialogs : public IFileDialogs {
  public:
    std::u16string BrowseForFolder(std::u16string_view prompt,
                                   std::u16string_view preselect) override;
    std::u16string GetOpenFileName(std::u16string_view initialFolder,
                                   std::u16string_view filterLabel,
                                   std::u16string_view pattern) override;
    void SetOwner(QWidget* owner) { owner_ = owner; }

  private:
    QPointer<QWidget> owner_;
};

class QtClipboard : public IClipboard {
  public:
    void Clear() override;
    void SetText(std::u16string_view text) override;
    std::u16string GetText() override;
};

// XDG user folders on Linux: 13 music, 39 pictures, 36 the system sound folder itself
// (where Windows keeps its sounds in the Windows folder's "media"), 53 a shared music folder.
class DesktopShellFolders : public IShellFolders {
  public:
    std::u16string GetSpecialFolderPath(int csidl) override;
    std::u16string GetTempFolderPath() override;
    std::vector<std::u16string> SoundThemeFolders() override;
};

}  // namespace qm
