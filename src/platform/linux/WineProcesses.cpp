#include "platform/linux/WineProcesses.h"
#include "platform/QtText.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <functional>

#include "platform/linux/WinePrefix.h"
#include "storage/Paths.h"

namespace qm {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::u16string Upper(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out)
        if (c >= u'a' && c <= u'z') c = char16_t(c - 0x20);
    return out;
}

// A window Wine (or Proton) made for a Windows program.
bool IsWineWindow(const WineWindowInfo& w) {
    const std::string_view instance = w.instance;
    return (instance.size() > 4 &&
            EqualsIgnoringCase(instance.substr(instance.size() - 4), ".exe")) ||
           std::string_view(w.wmClass).starts_with("steam_app_");
}

std::optional<X11WindowId> FindWindow(X11Windows& windows,
                                      const std::function<bool(const WineWindowInfo&)>& match) {
    std::optional<X11WindowId> hidden;
    for (X11WindowId id : windows.TopLevelWindows()) {
        X11ClassHint hint = windows.ClassHint(id);
        const WineWindowInfo info{std::move(hint.instance), std::move(hint.wmClass),
                                  windows.Title(id)};
        if (!match(info)) continue;
        if (windows.Viewable(id)) return id;
        if (!hidden) hidden = id;
    }
    return hidden;
}

}  // namespace

bool IsPlayOnlineWindow(const WineWindowInfo& w) {
    if (EqualsIgnoringCase(w.wmClass, "PlayOnline") ||
        EqualsIgnoringCase(w.instance, "PlayOnline") || EqualsIgnoringCase(w.instance, "pol.exe"))
        return true;
    if (IsGameWindow(w)) return true;
    return IsWineWindow(w) && Upper(w.title).starts_with(u"PLAYONLINE");
}

bool IsGameWindow(const WineWindowInfo& w) {
    if (EqualsIgnoringCase(w.wmClass, "FFXiClass") || EqualsIgnoringCase(w.instance, "FFXiClass"))
        return true;
    return IsWineWindow(w) && Upper(w.title) == u"FINAL FANTASY XI";
}

std::optional<X11WindowId> FindPlayOnlineWindow(X11Windows& windows) {
    return FindWindow(windows, IsPlayOnlineWindow);
}

std::optional<X11WindowId> FindGameWindow(X11Windows& windows) {
    return FindWindow(windows, IsGameWindow);
}

bool WineProcesses::ActivateLauncherWindow() {
    // A running game counts too: starting a second pol.exe beside it would only fail.
    if (auto window = FindPlayOnlineWindow(windows_)) return windows_.Activate(*window);
    return false;
}

bool WineProcesses::IsGameRunning() {
    return FindGameWindow(windows_).has_value();
}

bool WineProcesses::StartProcess(std::u16string_view path, Reason* error) {
    const QFileInfo file(Q(path));
    if (!host_ || file.suffix().compare(QStringLiteral("exe"), Qt::CaseInsensitive) != 0 ||
        !file.isFile())
        return plain_.StartProcess(path, error);
    // Wine given no prefix, or one that is gone, quietly makes a new empty one: the game
    // is not in it, and the editor would take it for the game's at its next start.
    const std::u16string prefix = host_->LauncherPrefix(path);
    if (prefix.empty() || !IsWinePrefix(PathFromText(prefix))) {
        if (error) {
            *error = prefix.empty()
                         ? Reason{.kind = ReasonKind::LauncherPrefixUnknown}
                         : Reason{.kind = ReasonKind::LauncherNotAPrefix, .subject = prefix};
        }
        return false;
    }
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty()) {
        if (error) *error = Reason{.kind = ReasonKind::WineMissing};
        return false;
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), Q(prefix));
    process.setProcessEnvironment(environment);
    process.setProgram(wine);
    process.setArguments({file.absoluteFilePath()});
    process.setWorkingDirectory(file.absolutePath());
    if (!process.startDetached()) {
        if (error)
            *error = Reason{.kind = ReasonKind::StartFailed,
                            .detail = process.errorString().toStdU16String()};
        return false;
    }
    return true;
}

}  // namespace qm
