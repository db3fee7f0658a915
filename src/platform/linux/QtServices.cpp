#include "platform/linux/QtServices.h"
#include "platform/QtText.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStandardPaths>

#include "app/Texts.h"

namespace qm {

MsgAnswer QtMessageBox::Show(std::u16string_view text, MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(owner_.data());
    box.setWindowTitle(ProgramTitle());
    box.setText(Q(text));
    switch (icon) {
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::None:
            break;
    }
    switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNoDefaultNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        default:
            // Closing the box with Escape or the close button means Cancel where offered.
            return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Cancel
                   : buttons == MsgButtons::Ok        ? MsgAnswer::Ok
                                                      : MsgAnswer::No;
    }
}

std::u16string QtFileDialogs::BrowseForFolder(std::u16string_view prompt,
                                              std::u16string_view preselect) {
    QString start = Q(preselect);
    // A folder that no longer exists still opens the picker, at its own default.
    if (!QFileInfo(start).isDir()) start.clear();
    QString chosen = QFileDialog::getExistingDirectory(owner_.data(), Q(prompt), start,
                                                       QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return {};
    chosen = QDir::toNativeSeparators(QDir::cleanPath(chosen));
    return U(chosen);
}

std::u16string QtFileDialogs::GetOpenFileName(std::u16string_view initialFolder,
                                              std::u16string_view filterLabel,
                                              std::u16string_view pattern) {
    QString filter = Q(filterLabel) + QStringLiteral(" (") + Q(pattern) + QStringLiteral(")");
    QString chosen =
        QFileDialog::getOpenFileName(owner_.data(), QString(), Q(initialFolder), filter);
    return U(QDir::toNativeSeparators(chosen));
}

void QtClipboard::Clear() {
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::SetText(std::u16string_view text) {
    QGuiApplication::clipboard()->setText(Q(text));
}

std::u16string QtClipboard::GetText() {
    return U(QGuiApplication::clipboard()->text());
}

std::u16string DesktopShellFolders::GetSpecialFolderPath(int csidl) {
    QString path;
    switch (csidl) {
        case 13:
            path = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
            break;
        case 39:
            path = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
            break;
        case 36:
            // The Windows folder holds "media"; the nearest Linux counterpart is the
            // system sound folder itself.
            if (QFileInfo(QStringLiteral("/usr/share/sounds")).isDir())
                path = QStringLiteral("/usr/share/sounds");
            break;
        case 53:
            if (QFileInfo(QStringLiteral("/usr/share/music")).isDir())
                path = QStringLiteral("/usr/share/music");
            break;
        default:
            break;
    }
    return U(QDir::toNativeSeparators(path));
}

std::vector<std::u16string> DesktopShellFolders::SoundThemeFolders() {
    // $XDG_DATA_HOME/sounds, then "sounds" in each of $XDG_DATA_DIRS, where they exist.
    std::vector<std::u16string> folders;
    for (const QString& folder :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("sounds"),
                                   QStandardPaths::LocateDirectory)) {
        folders.push_back(U(QDir::toNativeSeparators(QDir::cleanPath(folder))));
    }
    return folders;
}

std::u16string DesktopShellFolders::GetTempFolderPath() {
    QString path = QDir::tempPath();
    if (!path.endsWith(QDir::separator())) path += QDir::separator();
    return U(QDir::toNativeSeparators(path));
}

}  // namespace qm
