// The main window with the game in Wine prefixes made by the test: the status line, the
// File menu's prefix command, and a save while the prefix's wineserver runs.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "config/GameSettingsTab.h"
#include "settings/GameRegistry.h"
#include "settings/RegistryRouter.h"
#include "settings/WineHost.h"
#include "support/NoWineTool.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

namespace fs = std::filesystem;

const std::string kJapanese =
    "WINE REGISTRY Version 2\n#arch=win32\n\n"
    "[Software\\\\PlayOnline\\\\InstallFolder] 1700000000\n#time=1d9000000000000\n"
    "\"0001\"=\"C:\\\\Games\\\\FINAL FANTASY XI\\\\\"\n"
    "\"1000\"=\"C:\\\\Games\\\\PlayOnlineViewer\"\n\n"
    "[Software\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1700000000\n#time=1d9000000000000\n"
    "\"0018\"=dword:00000002\n";
const std::string kAmerican =
    "WINE REGISTRY Version 2\n#arch=win64\n\n"
    "[Software\\\\Wow6432Node\\\\PlayOnlineUS\\\\InstallFolder] 1700000000\n#time=1d9000000000000\n"
    "\"0001\"=\"C:\\\\Games\\\\FINAL FANTASY XI\\\\\"\n\n"
    "[Software\\\\Wow6432Node\\\\PlayOnlineUS\\\\SquareEnix\\\\FinalFantasyXI] 1700000000\n"
    "#time=1d9000000000000\n\"0018\"=dword:00000001\n";

QString Status(wMenu& w) {
    return w.findChild<QLabel*>(QStringLiteral("statusHost"))->text();
}

}  // namespace

class WineWindowTest : public QObject {
    Q_OBJECT

    struct Setup {
        WindowFixture f;
        NoWineTool tool;
        std::unique_ptr<WineHost> host;
        std::unique_ptr<RegistryRouter> router;

        fs::path MakePrefix(const std::string& name, const std::string& systemReg) {
            f.dir.Write(name + "/system.reg",
                        std::vector<uint8_t>(systemReg.begin(), systemReg.end()));
            fs::create_directories(f.dir.Path(name + "/drive_c/Games/FINAL FANTASY XI/USER"));
            f.dir.Write(name + "/drive_c/Games/PlayOnlineViewer/pol.exe", {'M', 'Z'});
            fs::create_directories(f.dir.Path(name + "/dosdevices"));
            fs::create_symlink("../drive_c", f.dir.Path(name + "/dosdevices/c:"));
            return f.dir.Path(name);
        }
        wMenu& Start(const fs::path& prefix) {
            WinePrefixRegistry::Options options;
            options.tmpRoot = f.dir.Path("tmp");
            host = std::make_unique<WineHost>(
                f.fake.registry, tool, WineEnvironment{prefix.string(), std::nullopt}, options);
            router = std::make_unique<RegistryRouter>(f.fake.registry);
            for (auto root : kGameRoots) router->Route(root, &host->GameKeys());
            f.fake.platform.registry = router.get();
            f.fake.platform.gameHost = host.get();
            return f.Start();
        }
        std::string SystemReg(const std::string& name) {
            auto bytes = f.dir.Read(name + "/system.reg");
            return {bytes.begin(), bytes.end()};
        }
    };

  private slots:
    void statusNamesThePrefixAndAnotherOneCanBeChosen() {
        Setup s;
        const fs::path jp = s.MakePrefix("jp", kJapanese);
        const fs::path us = s.MakePrefix("us", kAmerican);
        wMenu& w = s.Start(jp);
        QCOMPARE(Status(w), Q(u"Wineプレフィックス: " + TextFromPath(jp) +
                              u"　レジストリ: HKLM\\SOFTWARE\\PlayOnline"));
        QCOMPARE(w.gameSettingsTab->cboGeneral->currentIndex(), 2);
        QVERIFY(w.FilePlayOnline->isEnabled());
        QCOMPARE(w.PlayOnlinePath,
                 TextFromPath(fs::canonical(jp / "drive_c")) + u"/Games/PlayOnlineViewer/pol.exe");
        // The picker opened in the game's USER folder inside the prefix.
        QCOMPARE(s.f.fake.dialogs.folderPrompts.back().preselect,
                 TextFromPath(fs::canonical(jp / "drive_c")) + u"/Games/FINAL FANTASY XI/USER");

        auto* command = w.findChild<QAction*>(QStringLiteral("FileWinePrefix"));
        QVERIFY(command);
        QVERIFY(w.FileMenu->actions().contains(command));
        QCOMPARE(command->text(), QStringLiteral("Wineプレフィックスを選択..."));

        // An unsaved change is offered for saving first; Cancel keeps everything.
        QTest::mouseClick(w.gameSettingsTab->cbSound, Qt::LeftButton);
        QVERIFY(w.ContentModified);
        s.f.fake.messageBox.answers.push_back(MsgAnswer::Cancel);
        s.f.fake.dialogs.folders.push_back(TextFromPath(us));
        command->trigger();
        QCOMPARE(s.f.fake.dialogs.folders.size(), std::size_t(1));
        QVERIFY(Status(w).contains(Q(TextFromPath(jp))));

        // No: the edit is dropped with the old prefix; the new one's settings are shown.
        s.f.fake.messageBox.answers.push_back(MsgAnswer::No);
        command->trigger();
        QCOMPARE(Status(w), Q(u"Wineプレフィックス: " + TextFromPath(us) +
                              u"　レジストリ: HKLM\\SOFTWARE\\PlayOnlineUS"));
        QCOMPARE(w.gameSettingsTab->cboGeneral->currentIndex(), 1);
        QVERIFY(!w.FilePlayOnline->isEnabled());  // the US install has no "1000"
        QCOMPARE(w.CurrentFolder,
                 TextFromPath(fs::canonical(us / "drive_c")) + u"/Games/FINAL FANTASY XI/USER");
        QCOMPARE(s.SystemReg("jp"), kJapanese);
        QCOMPARE(RememberedWinePrefix(s.f.fake.registry), TextFromPath(us));

        // A folder that is no prefix is refused and changes nothing.
        s.f.fake.dialogs.folders.push_back(s.f.dir.Text("jp/drive_c"));
        command->trigger();
        QVERIFY(s.f.fake.messageBox.shown.back().text.find(u"system.reg") != std::u16string::npos);
        QVERIFY(Status(w).contains(Q(TextFromPath(us))));
    }

    void aSaveWhileTheServerRunsKeepsTheEditUnsaved() {
        Setup s;
        const fs::path jp = s.MakePrefix("jp", kJapanese);
        wMenu& w = s.Start(jp);
        struct stat st {};
        ::stat(jp.c_str(), &st);
        char server[64];
        std::snprintf(server, sizeof server, "server-%llx-%llx", (unsigned long long)st.st_dev,
                      (unsigned long long)st.st_ino);
        const fs::path folder =
            s.f.dir.Path("tmp") / (".wine-" + std::to_string(::getuid())) / server;
        fs::create_directories(folder);
        const int fd = ::open((folder / "lock").c_str(), O_RDWR | O_CREAT, 0600);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_len = 1;
        QCOMPARE(::fcntl(fd, F_OFD_SETLK, &lock), 0);

        w.gameSettingsTab->cboGeneral->setCurrentIndex(0);
        QVERIFY(w.ContentModified);
        w.FileSave_Click();
        QVERIFY(w.ContentModified);
        QVERIFY(!s.f.fake.messageBox.shown.empty());
        QCOMPARE(s.SystemReg("jp"), kJapanese);

        ::close(fd);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QVERIFY(!w.ContentModified);
        QVERIFY(s.SystemReg("jp").find("\"0018\"=dword:00000000") != std::string::npos);
    }
};

QTEST_MAIN(WineWindowTest)
#include "WineWindowTest.moc"
