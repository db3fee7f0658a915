#include "platform/linux/LinuxProcesses.h"
#include "platform/QtText.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "platform/linux/WineProcesses.h"
#include "platform/linux/X11Windows.h"

namespace qm {

namespace {
bool Fail(Reason* error, Reason reason) {
    if (error) *error = std::move(reason);
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

bool LinuxProcesses::StartProcess(std::u16string_view path, Reason* error) {
    const QFileInfo file(Q(path));
    if (!file.isFile()) return Fail(error, {.kind = ReasonKind::ProgramMissing});
    QProcess process;
    if (file.suffix().compare(QStringLiteral("exe"), Qt::CaseInsensitive) == 0) {
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (wine.isEmpty()) return Fail(error, {.kind = ReasonKind::WineMissing});
        process.setProgram(wine);
        process.setArguments({file.absoluteFilePath()});
    } else {
        if (!file.isExecutable()) return Fail(error, {.kind = ReasonKind::ProgramNotExecutable});
        process.setProgram(file.absoluteFilePath());
    }
    process.setWorkingDirectory(file.absolutePath());
    if (!process.startDetached()) {
        return Fail(error, {.kind = ReasonKind::StartFailed,
                            .detail = process.errorString().toStdU16String()});
    }
    return true;
}

}  // namespace qm
