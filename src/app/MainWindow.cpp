#include "app/MainWindow.h"
#include "platform/QtText.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/StatusLine.h"
#include "app/Texts.h"
#include "app/Translations.h"
#include "app/Wording.h"
#include "capture/CaptureTab.h"
#include "config/ColorTab.h"
#include "config/GameSettingsTab.h"
#include "editor/EditCommands.h"
#include "editor/EditHistory.h"
#include "editor/MacroTab.h"
#include "editor/TooLongFields.h"
#include "storage/Paths.h"
#include "storage/SavePlan.h"
#include "storage/Utf.h"

// The artwork lives in the static gui library; this pulls it into every program.
// (The macro must not be used inside a namespace.)
static void InitQuillmorResources() {
    Q_INIT_RESOURCE(quillmor);
}

namespace qm {

namespace {

constexpr int kFrameWidth = 700;
constexpr int kFrameHeight = 370;
constexpr int kGameWatchMs = 3000;
}  // namespace

wMenu::wMenu(Platform& p, WindowOptions options, QWidget* parent)
    : QMainWindow(parent),
      platform(p),
      options_(std::move(options)),
      trace_(std::make_unique<TraceLog>(options_.traceFile, false)) {
    InitQuillmorResources();
    setWindowTitle(ProgramTitle());
    setObjectName(QStringLiteral("wMenu"));
    history = new EditHistory(*this);
    BuildMenus();
    BuildTabs();
    statusText = new ElidedLabel(this);
    statusText->setObjectName(QStringLiteral("statusText"));
    statusBar()->addWidget(statusText, 1);
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) {
            statusBar()->setToolTip(QString());
            statusMessage_.clear();
            statusMessagePath_.clear();
            LayOutStatusLine();
        }
    });
    statusGame = new QLabel(GameRunningStatus(), this);
    statusGame->setObjectName(QStringLiteral("statusGame"));
    statusGame->setToolTip(
        tr("ログイン中のキャラクターのマクロは、ゲームがログアウトやエリア移動のときに"
           "上書きします。"));
    QPalette red = statusGame->palette();
    red.setColor(QPalette::WindowText, QColor(176, 0, 0));
    statusGame->setPalette(red);
    statusGame->hide();
    statusBar()->addPermanentWidget(statusGame);
    statusHost = new ElidedLabel(this);
    statusHost->setObjectName(QStringLiteral("statusHost"));
    statusBar()->addPermanentWidget(statusHost);
    tGameWatch = new QTimer(this);
    tGameWatch->setObjectName(QStringLiteral("tGameWatch"));
    tGameWatch->setInterval(kGameWatchMs);
    connect(tGameWatch, &QTimer::timeout, this, [this] { tGameWatch_Timer(); });
    history->AddToWindow();
}

wMenu::~wMenu() = default;

void wMenu::BuildMenus() {
    FileMenu = menuBar()->addMenu(tr("ファイル(&F)"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    auto add = [this](QMenu* menu, const char* name, QString caption, QKeySequence key,
                      void (wMenu::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) action->setShortcut(key);
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };
    FileOpen = add(FileMenu, "FileOpen", tr("開く(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                   &wMenu::FileOpen_Click);
    FileSave = FileMenu->addAction(tr("保存(&S)"));
    FileSave->setObjectName(QStringLiteral("FileSave"));
    FileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(FileSave, &QAction::triggered, this, [this] { FileSave_Click(); });
    FileSaveAs = add(FileMenu, "FileSaveAs", tr("名前をつけて保存"), {}, &wMenu::FileSaveAs_Click);
    FileMenu->addSeparator();
    FilePlayOnline = add(FileMenu, "FilePlayOnline", QStringLiteral("&PlayOnline"),
                         QKeySequence(Qt::Key_F5), &wMenu::FilePlayOnline_Click);
    FileMenu->addSeparator();
    FileQuit = add(FileMenu, "FileQuit", tr("終了(&X)"), {}, &wMenu::FileQuit_Click);
    FileSave->setEnabled(false);
    FileSaveAs->setEnabled(false);
    FilePlayOnline->setEnabled(false);

    EditMenu = menuBar()->addMenu(tr("編集(&E)"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    EditCut = add(EditMenu, "EditCut", tr("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X),
                  &wMenu::EditCut_Click);
    EditCopy = add(EditMenu, "EditCopy", tr("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C),
                   &wMenu::EditCopy_Click);
    EditPaste = add(EditMenu, "EditPaste", tr("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V),
                    &wMenu::EditPaste_Click);
    EditDelete = add(EditMenu, "EditDelete", tr("削除(&D)"), QKeySequence(Qt::Key_Delete),
                     &wMenu::EditDelete_Click);
    connect(EditMenu, &QMenu::aboutToShow, this, [this] { EditMenu_Click(); });

    // The same title in both languages, so that a player who cannot read the one shown
    // still finds it; the languages are named in their own.
    LanguageMenu = menuBar()->addMenu(QStringLiteral("表示言語 / Language"));
    LanguageMenu->setObjectName(QStringLiteral("LanguageMenu"));
    auto* languages = new QActionGroup(this);
    const auto addLanguage = [&](const char* name, const QString& caption,
                                 std::u16string_view language) {
        QAction* action = LanguageMenu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        languages->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, language] { LanguageMenu_Click(language); });
        return action;
    };
    LanguageSystem = addLanguage("LanguageSystem", tr("システムの言語に合わせる"), u"");
    LanguageMenu->addSeparator();
    LanguageJapanese = addLanguage("LanguageJapanese", QStringLiteral("日本語"), kLanguageJapanese);
    LanguageEnglish = addLanguage("LanguageEnglish", QStringLiteral("English"), kLanguageEnglish);
    LanguageSystem->setChecked(true);
    // The Delete key stays with the text boxes, which take it before any shortcut: in a
    // line box it joins the next line (caret at the end, nothing selected) or deletes as
    // usual; the Edit menu's Delete is reached from the menu. Ctrl+X/C/V go to the menu.
    InstallEditKeyRouting(*this);
}

void wMenu::BuildTabs() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);
    tsMenu = new QTabBar(central);
    tsMenu->setObjectName(QStringLiteral("tsMenu"));
    tsMenu->setExpanding(false);
    for (const QString& caption :
         {tr("マクロ"), tr("文字カラー"), tr("環境設定"), tr("スクリーンショット")})
        tsMenu->addTab(caption);
    layout->addWidget(tsMenu);
    auto* frames = new QWidget(central);
    frames->setFixedSize(kFrameWidth, kFrameHeight);
    layout->addWidget(frames);
    for (int i = 0; i < 4; ++i) {
        fTab[std::size_t(i)] = new QWidget(frames);
        fTab[std::size_t(i)]->setObjectName(QStringLiteral("fTab%1").arg(i));
        fTab[std::size_t(i)]->setGeometry(0, 8, kFrameWidth, kFrameHeight - 8);
        fTab[std::size_t(i)]->setVisible(i == 0);
    }
    macroTab = new MacroTab(*this, fTab[0]);
    macroTab->setGeometry(8, 0, kFrameWidth - 8, kFrameHeight - 8);
    colorTab = new ColorTab(*this, fTab[1]);
    colorTab->setGeometry(0, 0, kFrameWidth, kFrameHeight - 8);
    gameSettingsTab = new GameSettingsTab(*this, fTab[2]);
    gameSettingsTab->setGeometry(8, 0, kFrameWidth - 16, kFrameHeight - 8);
    captureTab = new CaptureTab(*this, fTab[3]);
    captureTab->setGeometry(0, 0, kFrameWidth, kFrameHeight - 8);
    connect(tsMenu, &QTabBar::currentChanged, this, [this] { tsMenu_Click(); });
    setCentralWidget(central);
}

bool wMenu::Form_Load() {
    bool tracing = platform.keyState && platform.keyState->GetAsyncKeyState(16) != 0;
    trace_ = std::make_unique<TraceLog>(options_.traceFile, tracing);
    TraceLine(u"");
    TraceLine(kVersion);
    TraceLine(u"実行開始:" + FormatDateTime(platform.clock->Now()));

    auto activate = [this] {
        showNormal();
        raise();
        activateWindow();
    };
    if (platform.instance && platform.instance->AnotherCopyRunning(activate)) {
        TraceLine(u"多重起動");
        // Our own title changes so that a search by title can only find the other copy.
        setWindowTitle(ProgramTitle() + QStringLiteral(" "));
        platform.instance->ActivateOtherCopy();
        ended_ = true;
        return false;
    }

    LocalDateTime now = platform.clock->Now();
    random_.Seed(uint64_t(platform.clock->TickMs()) * 1000003u +
                 uint64_t(now.hour * 3600 + now.minute * 60 + now.second));
    CheckD3D();
    macroBooks = MacroBooks{};
    FillGameSettingChoices();
    LoadGameSettings();
    MakeSoundItems();
    TraceLine(u"LoadPreferences()");
    LoadPreferences();
    TraceLine(u"ShowPreferences()");
    ShowPreferences();
    TraceLine(u"InitPath()");
    InitPath();
    TraceLine(u"InitTextColor()");
    InitTextColor();
    InitSetDraggers();
    LoadWindowTexture();
    // Filling the controls is not an edit.
    ContentModified = false;
    history->Clear();
    return true;
}

void wMenu::FinishStartup() {
    CheckBumpMap();
    // The search for the game's window asks the X server about every window: it waits
    // until the window is drawn.
    tGameWatch_Timer();
    tGameWatch->start();
    FileOpen_Click();
}

void wMenu::tsMenu_Click() {
    int selected = tsMenu->currentIndex();
    if (selected == 2) gameSettingsTab->BeforeFirstShow();
    if (selected == 3 && captureTab) captureTab->BeforeFirstShow();
    for (int i = 0; i < 4; ++i) {
        bool on = i == selected;
        fTab[std::size_t(i)]->setVisible(on);
        if (on) prefs.TabIndex = int16_t(i);
    }
    GetDisplayMode();
}

MsgAnswer wMenu::ShowMessage(std::u16string_view text, MsgIcon icon, MsgButtons buttons) {
    return platform.messageBox->Show(text, buttons, icon);
}

void wMenu::ShowStatus(std::u16string_view text, std::u16string_view path) {
    statusMessage_ = Q(text);
    statusMessagePath_ = text.find(path) == std::u16string_view::npos ? QString() : Q(path);
    statusBar()->setToolTip(statusMessage_);
    statusShown_.start();
    statusBar()->showMessage(LayOutStatusLine(), options_.statusMessageMs);
}

void wMenu::ShowFolderStatus() {
    statusText->setText(Q(CurrentFolder));
    statusText->setToolTip(Q(CurrentFolder));
    LayOutStatusLine();
}

void wMenu::ShowHostStatus(std::u16string_view text) {
    statusHost->setText(Q(text));
    statusHost->setToolTip(statusHost->text());
    LayOutStatusLine();
}

QString wMenu::LayOutStatusLine() {
    QStatusBar* bar = statusBar();
    const QFontMetrics metrics = bar->fontMetrics();
    // The bar's own margins and the gaps between its widgets.
    constexpr int kSpacing = 36;
    int room = bar->width() - kSpacing;
    for (QWidget* label : {static_cast<QWidget*>(statusGame),
                           bar->findChild<QWidget*>(QStringLiteral("stModified"))})
        if (label && label->isVisibleTo(this)) room -= label->sizeHint().width() + 6;
    const bool message = !statusMessage_.isEmpty();
    QString shown = message ? statusMessage_ : statusText->text();
    const int hostNatural = metrics.horizontalAdvance(statusHost->text()) + 8;
    // A message keeps all its words; only a path within it may lose its middle. The
    // host label gives up its room first, to the message or to the open folder.
    int textWidth = metrics.horizontalAdvance(shown) + 8;
    if (message && textWidth > room && !statusMessagePath_.isEmpty()) {
        const int rest =
            metrics.horizontalAdvance(QString(statusMessage_).remove(statusMessagePath_));
        const QString path =
            metrics.elidedText(statusMessagePath_, Qt::ElideMiddle, std::max(room - rest - 8, 40));
        shown = QString(statusMessage_).replace(statusMessagePath_, path);
        textWidth = metrics.horizontalAdvance(shown) + 8;
    }
    const int hostRoom =
        statusHost->text().isEmpty() ? 0 : std::clamp(room - textWidth, 0, hostNatural);
    statusHost->setFixedWidth(hostRoom);
    // A message on show is fitted again to the new room, for the rest of its time.
    if (message && !bar->currentMessage().isEmpty() && bar->currentMessage() != shown)
        bar->showMessage(shown,
                         std::max<int>(1, options_.statusMessageMs - int(statusShown_.elapsed())));
    return shown;
}

void wMenu::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayOutStatusLine();
}

bool wMenu::tGameWatch_Timer() {
    bool running = platform.processes && platform.processes->IsGameRunning();
    if (statusGame->isVisibleTo(this) != running) {
        statusGame->setVisible(running);
        LayOutStatusLine();
    }
    return running;
}

// The game keeps the logged-in character's macros in memory and writes them over the
// files at logout or a zone change, so a save made meanwhile may be lost.
bool wMenu::ConfirmSaveWhileGameRuns() {
    if (!tGameWatch_Timer()) return true;
    return ShowMessage(U(AskSaveWhileGameRuns()), MsgIcon::Warning, MsgButtons::YesNo) ==
           MsgAnswer::Yes;
}

void wMenu::FileOpen_Click() {
    if (ContentModified) {
        MsgAnswer a = ShowMessage(U(AskSaveChanges()), MsgIcon::Question, MsgButtons::YesNoCancel);
        if (a == MsgAnswer::Cancel) return;
        // A save that could not write, or was called off, keeps the open folder and its edits.
        if (a == MsgAnswer::Yes && FileSave_Click() != SaveResult::Saved) return;
    }
    // Read everything first: a file that is there but cannot be read would otherwise
    // be shown empty, and the next save would overwrite it. A folder without any macro
    // file is most likely not a character's: say so, rather than warn about an
    // incompatible macro file that is not there.
    std::u16string folder;
    MacroFolderContent& content = macroFilesRead_;
    bool emptyBook = false;
    for (std::u16string start = CurrentFolder;;) {
        std::u16string chosen = platform.dialogs->BrowseForFolder(
            U(tr("編集するキャラクターのフォルダを選択してください")), start);
        if (chosen.empty()) return;
        folder = chosen;
        if (!folder.ends_with(PathSeparator())) folder += PathSeparator();
        ReadMacroFolderInto(folder, content);
        if (std::any_of(content.state.begin(), content.state.end(),
                        [](MacroFileState s) { return s != MacroFileState::Missing; }))
            break;
        const MsgAnswer a = ShowMessage(
            U(tr("「%1」にはキャラクターのマクロファイル（mcr.dat など）がありません。\r\n\r\n"
                 "このフォルダを空のマクロとして開きますか？\r\n"
                 "「いいえ」を選ぶと、フォルダを選び直せます。")
                  .arg(Q(chosen))),
            MsgIcon::Question, MsgButtons::YesNoCancel);
        if (a == MsgAnswer::Cancel) return;
        if (a == MsgAnswer::Yes) {
            emptyBook = true;
            break;
        }
        start = chosen;
    }

    if (int bad = content.FirstUnreadable(); bad >= 0) {
        ShowMessage(U(tr("「%1」を読み込めませんでした。\r\n"
                         "ファイルではないか、読み込みが許可されていません。\r\n"
                         "このフォルダは開きません。")
                          .arg(Q(folder + MacroFileName(bad)))),
                    MsgIcon::Critical);
        return;
    }
    std::error_code cnfError;
    StoredHead cnfStored;
    CnfRecord cnf = LoadCnf(folder, &cnfError, &cnfStored);
    if (cnfError) {
        ShowMessage(U(tr("「%1」を読み込めませんでした。\r\n%2\r\nこのフォルダは開きません。")
                          .arg(Q(folder + u"cnf.dat"), Wording::FileError(cnfError))),
                    MsgIcon::Critical);
        return;
    }

    BookTitles titles = ReadBookTitles(PathFromText(folder), &content);
    CurrentFolder = folder;
    bookTitles = std::move(titles);
    std::swap(macroFilesOnDisk_, macroFilesRead_);
    AdoptFolderBooks(macroBooks, macroFilesOnDisk_);
    macroFilesFolder_ = folder;
    lossyFields.Clear();
    // An empty book has no file whose format could be unknown.
    IncompatibleMacro = MacroDigestMismatch(macroBooks.File(0)) && !emptyBook;
    if (IncompatibleMacro) {
        ShowMessage(U(tr("警告！\r\nこのマクロは現在のバージョンと互換性がありません。"
                         "保存をすると使えなくなる可能性があります。")),
                    MsgIcon::Warning);
    }
    macroTab->ShowBookAndSet(0, 0);
    cnfRecord = cnf;
    cnfOnDisk = std::move(cnfStored);
    acqNames = ReadAcqNames(CurrentFolder);
    SelectedColorEntry = -1;
    OnFolderOpened();
    ContentModified = false;
    history->Clear();
    if (!EditorEnabled) {
        EditorEnabled = true;
        FileSave->setEnabled(true);
        FileSaveAs->setEnabled(true);
        macroTab->SetEditorEnabled(true);
    }
    ShowFolderStatus();
    ShowUnknownTitleFiles();
}

// Said once, at opening: the names of that half of the books are not shown, and the file
// stays as it is.
void wMenu::ShowUnknownTitleFiles() {
    QString text;
    for (int f : bookTitles.UnknownFiles()) {
        const TitleFileOnDisk& disk = bookTitles.disk[std::size_t(f)];
        const QString why = disk.state == TitleFileState::WrongSize
                                ? tr("大きさが344バイトではありません")
                            : disk.state == TitleFileState::WrongDigest ? tr("MD5 が合いません")
                                                                        : tr("読み込めません");
        const int first = f * kBooksPerTitleFile + 1;
        if (!text.isEmpty()) text += tr("　");
        text += tr("「%1」は%2。ブック%3〜%4の名前は表示も保存もしません。")
                    .arg(Q(TitleFileName(f)), why)
                    .arg(first)
                    .arg(first + kBooksPerTitleFile - 1);
    }
    if (!text.isEmpty()) ShowStatus(U(text));
}

bool wMenu::BookHasFiles(int book) const {
    for (int s = 0; s < kSetCount; ++s)
        if (macroFilesOnDisk_.state[std::size_t(MacroFileNumber(book, s))] !=
            MacroFileState::Missing)
            return true;
    return false;
}

MacroBook& wMenu::ShownBook() {
    return macroBooks.Book(macroTab->CurrentBookIndex);
}

void wMenu::SaveMacroFiles(SavePlan& plan, std::u16string_view folder, MacroFolderContent* disk) {
    MacroFile& current = ShownBook()[std::size_t(macroTab->CurrentSetIndex)];
    macroTab->StoreTitles(current);
    macroTab->StoreLines(current, macroTab->CurrentMacroIndex);
    // The open folder is compared with what it held when read or last saved, so a file
    // the game rewrote meanwhile and the player did not touch stays as the game left it;
    // another folder (Save As) with what it holds now, and every file the open folder has
    // is made there too.
    if (disk)
        PlanMacroFolder(plan, folder, macroBooks, *disk, &macroFilesOnDisk_);
    else
        PlanMacroFolder(plan, folder, macroBooks, macroFilesOnDisk_);
}

SaveResult wMenu::FileSave_Click() {
    return SaveCharacter(CurrentFolder, false);
}

SaveResult wMenu::SaveCharacter(std::u16string_view folder, bool elsewhere) {
    // Only macro files are at stake: before a folder is open nothing asks.
    if (EditorEnabled && !ConfirmSaveWhileGameRuns()) return SaveResult::Declined;
    if (IncompatibleMacro) {
        MsgAnswer a =
            ShowMessage(U(tr("警告！\r\nこのマクロは現在のバージョンと互換性がありません。"
                             "保存をすると使えなくなる可能性がありますがよろしいですか？")),
                        MsgIcon::Warning, MsgButtons::YesNo);
        if (a != MsgAnswer::Yes) return SaveResult::Declined;
    }
    std::vector<TooLongField> notStored;
    if (EditorEnabled && !AcceptFieldsNotStored(notStored)) return SaveResult::Declined;
    // One plan for everything: what cannot be saved stops the save before any file is
    // written, and the report says exactly what was saved.
    SavePlan plan;
    const bool openFolder = folder == macroFilesFolder_;
    std::optional<MacroFolderContent> other;
    // Before any folder was opened there is no character folder to write into; only
    // the game settings are saved then.
    if (EditorEnabled) {
        if (!openFolder) other = ReadMacroFolder(folder);
        SaveMacroFiles(plan, folder, other ? &*other : nullptr);
        std::optional<BookTitles> otherTitles;
        if (!openFolder) otherTitles = ReadBookTitles(PathFromText(folder));
        PlanBookTitles(plan, PathFromText(folder), bookTitles,
                       otherTitles ? &otherTitles->disk : nullptr);
        PlanCnf(plan, folder, cnfRecord, openFolder ? &cnfOnDisk : nullptr);
    }
    SaveGameSettings(plan);
    const SaveReport report = plan.Run();
    if (EditorEnabled) macroTab->ShowBookNames();  // books whose first files were made
    if (report.AllSaved()) {
        if (!elsewhere) {
            ContentModified = false;
            lossyFields.Clear();
            history->MarkClean();
        }
        // Saved, but the folder could not be synced: the player should know.
        if (report.folderSync)
            ShowStatus(U(Wording::SaveMessage(report)));
        else
            ShowStatus(SavedStatus(report, elsewhere ? folder : std::u16string_view(), notStored));
        return SaveResult::Saved;
    }
    // Part of the open folder now holds the edits: no step of the history matches its disk.
    if (report.outcome == SaveReport::Outcome::Partial && !elsewhere) history->ForgetClean();
    std::u16string message = U(Wording::SaveMessage(report));
    // What the stores have to say besides (a damaged settings file set aside, say).
    if (const QString notice = Wording::Notices(platform.registry->TakeNotice()); !notice.isEmpty())
        message += u"\r\n\r\n" + U(notice);
    ShowMessage(message, report.outcome == SaveReport::Outcome::Refused ? MsgIcon::Warning
                                                                        : MsgIcon::Critical);
    return SaveResult::Failed;
}

bool wMenu::AcceptLostCharacters() {
    std::vector<std::u16string> titles;
    for (QLineEdit* box : macroTab->efTitle) titles.push_back(U(box->text()));
    const std::vector<LostCharacters> lost =
        CharactersLostOnSave(lossyFields, ShownBook()[std::size_t(macroTab->CurrentSetIndex)],
                             MacroFileNumber(macroTab->CurrentBookIndex, macroTab->CurrentSetIndex),
                             macroTab->CurrentMacroIndex, titles, macroTab->LineTexts());
    if (lost.empty()) return true;
    return ShowMessage(U(Wording::LostCharactersQuestion(lost)), MsgIcon::Warning,
                       MsgButtons::YesNoDefaultNo) == MsgAnswer::Yes;
}

// Text too long for its field is left out of a save only when the player says so; the
// question also names the characters that would become "?".
bool wMenu::AcceptFieldsNotStored(std::vector<TooLongField>& notStored) {
    std::vector<std::u16string> titles;
    for (QLineEdit* box : macroTab->efTitle) titles.push_back(U(box->text()));
    notStored = TooLongBoxes(macroTab->CurrentBookIndex, macroTab->CurrentSetIndex,
                             macroTab->CurrentMacroIndex, titles, macroTab->LineTexts());
    if (notStored.empty()) return AcceptLostCharacters();
    const std::vector<LostCharacters> lost =
        CharactersLostOnSave(lossyFields, ShownBook()[std::size_t(macroTab->CurrentSetIndex)],
                             MacroFileNumber(macroTab->CurrentBookIndex, macroTab->CurrentSetIndex),
                             macroTab->CurrentMacroIndex, titles, macroTab->LineTexts());
    QString question = Wording::TooLongFieldsText(notStored);
    question +=
        lost.empty() ? tr("ほかの内容を保存しますか？") : Wording::LostCharactersQuestion(lost);
    return ShowMessage(U(question), MsgIcon::Warning, MsgButtons::YesNoDefaultNo) == MsgAnswer::Yes;
}

std::u16string wMenu::SavedStatus(const SaveReport& report, std::u16string_view elsewhere,
                                  const std::vector<TooLongField>& notStored) const {
    QString text = elsewhere.empty() ? tr("保存しました（%1 ファイル）").arg(report.filesWritten)
                                     : tr("名前をつけて保存しました: %1").arg(Q(elsewhere));
    if (!notStored.empty())
        text += tr("　保存されなかった欄: %1").arg(Wording::NotStoredList(notStored));
    return U(text);
}

void wMenu::FileSaveAs_Click() {
    std::u16string chosen =
        platform.dialogs->BrowseForFolder(U(tr("保存する場所を選択してください")), CurrentFolder);
    if (chosen.empty()) return;
    // The whole character goes to the chosen folder; the open folder stays open, and its
    // edits stay marked as unsaved: they are not on its disk yet.
    if (!chosen.ends_with(PathSeparator())) chosen += PathSeparator();
    SaveCharacter(chosen, true);
}

void wMenu::FileQuit_Click() {
    close();
}

bool wMenu::Form_QueryUnload() {
    if (ContentModified) {
        MsgAnswer a = ShowMessage(U(AskSaveChanges()), MsgIcon::Question, MsgButtons::YesNoCancel);
        if (a == MsgAnswer::Cancel) return false;
        // A save that could not write, or was called off, keeps the program running, so
        // nothing is lost.
        if (a == MsgAnswer::Yes && FileSave_Click() != SaveResult::Saved) return false;
    }
    SavePreferences();
    TraceLine(u"実行終了:" + FormatDateTime(platform.clock->Now()));
    ended_ = true;
    return true;
}

void wMenu::closeEvent(QCloseEvent* event) {
    if (ended_ || Form_QueryUnload()) {
        event->accept();
        // The modeless key-code dialog must not keep the program alive.
        QApplication::quit();
    } else {
        event->ignore();
    }
}

}  // namespace qm
