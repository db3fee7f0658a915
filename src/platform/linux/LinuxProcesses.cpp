#include "platform/linux/LinuxProcesses.h"
#include "platform/QtText.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "platform/linux/WineProcesses.h"
#include "platform/linux/X11Windows.h"

namespace qm {

namespace {
bool Fail(std::u16string* error, std::u16string_view text) {
    if (error) *error = std::u16string(text);
    return false;
}
}  // namespace

bool LinuxProcesses::ActivateLauncherWindow() {
    X11Windows windows;
    if (!windows.Connected()) return false;
    // The launcher's own class, and the class wine gives the windows of pol.exe.
    for (const char* wmClass : {"PlayOnline", "pol.exe"}) {
        if (auto window = windows.FindByClass(wmClass)) return windows.Activate(*window);
    }
    return false;
}

bool LinuxProcesses::IsGameRunning() {
    X11Windows windows;
    return FindGameWindow(windows).has_value();
}

bool LinuxProcesses::StartProcess(std::u16string_view path, std::u16string* error) {
    const QFileInfo file(Q(path));
    if (!file.isFile()) return Fail(error, u"ファイルが見つかりません。");
    QProcess process;
    if (file.suffix().compare(QStringLiteral("exe"), Qt::CaseInsensitive) == 0) {
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (wine.isEmpty())
            return Fail(error, u"Windows のプログラムを起動するための wine が見つかりません。");
        process.setProgram(wine);
        process.setArguments({file.absoluteFilePath()});
    } else {
        if (!file.isExecutable()) return Fail(error, u"実行できるファイルではありません。");
        process.setProgram(file.absoluteFilePath());
    }
    process.setWorkingDirectory(file.absolutePath());
    if (!process.startDetached()) {
        std::u16string reason = u"起動に失敗しました。";
        if (!process.errorString().isEmpty())
            reason += u"（" + process.errorString().toStdU16String() + u"）";
        return Fail(error, reason);
    }
    return true;
}

}  // namespace qm
