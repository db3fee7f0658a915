#include "app/MainWindow.h"
#include "platform/QtText.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/EditCommands.h"
#include "app/StatusLine.h"
#include "app/Texts.h"
#include "app/Translations.h"
#include "app/Wording.h"
#include "capture/CaptureTab.h"
#include "config/ColorTab.h"
#include "config/GameSettingsTab.h"
#include "document/CharacterList.h"
#include "editor/CopyTargetDialog.h"
#include "editor/EditHistory.h"
#include "editor/MacroTab.h"
#include "editor/SetCopyDrag.h"
#include "editor/TextForms.h"
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
    WatchDocument();
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
    history->AddToWindow(*EditMenu);
}

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
    FileSaveAll = FileMenu->addAction(tr("すべてのキャラクターを保存"));
    FileSaveAll->setObjectName(QStringLiteral("FileSaveAll"));
    FileSaveAll->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(FileSaveAll, &QAction::triggered, this, [this] { FileSaveAll_Click(); });
    FileCharacterLabelAction = add(FileMenu, "FileCharacterLabel", tr("キャラクターの表示名..."),
                                   {}, &wMenu::FileCharacterLabel_Click);
    FileMenu->addSeparator();
    FilePlayOnline = add(FileMenu, "FilePlayOnline", QStringLiteral("&PlayOnline"),
                         QKeySequence(Qt::Key_F5), &wMenu::FilePlayOnline_Click);
    FileMenu->addSeparator();
    FileQuit = add(FileMenu, "FileQuit", tr("終了(&X)"), {}, &wMenu::FileQuit_Click);
    FileSave->setEnabled(false);
    FileSaveAs->setEnabled(false);
    FileSaveAll->setEnabled(false);
    FileCharacterLabelAction->setEnabled(false);
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
    EditMenu->addSeparator();
    EditFind = add(EditMenu, "EditFind", tr("検索(&F)..."), QKeySequence(Qt::CTRL | Qt::Key_F),
                   &wMenu::EditFind_Click);
    EditReplace = add(EditMenu, "EditReplace", tr("置換(&R)..."),
                      QKeySequence(Qt::CTRL | Qt::Key_H), &wMenu::EditReplace_Click);
    EditFind->setEnabled(false);
    EditReplace->setEnabled(false);
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
    // The tab strip shares its row with the list of characters.
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(tsMenu);
    top->addStretch(1);
    auto* characterCaption = new QLabel(tr("キャラクター:"), central);
    top->addWidget(characterCaption);
    top->addSpacing(4);
    cbCharacter = new QComboBox(central);
    cbCharacter->setObjectName(QStringLiteral("cbCharacter"));
    cbCharacter->setMinimumContentsLength(14);
    cbCharacter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbCharacter->setToolTip(
        tr("編集するキャラクター。切り替えても、それぞれの変更と元に戻す履歴は残ります。"));
    cbCharacter->setPlaceholderText(tr("キャラクターを選択"));
    characterCaption->setBuddy(cbCharacter);
    top->addWidget(cbCharacter);
    layout->addLayout(top);
    connect(cbCharacter, &QComboBox::activated, this, [this](int index) {
        if (!Filling && !ShowCharacter(index)) FillCharacterList();
    });
    // Copies only: a move would be an undo step in each of two characters.
    new SetDropTarget(
        cbCharacter, false,
        [this](const DraggedSet& from) {
            return from.character == shownCharacter_ && characters_.size() > 1;
        },
        [this](const DraggedSet& from, QPoint at, bool) {
            cbCharacter_OLEDragDrop(from.book, from.set, at);
        });
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
    BuildSetMenu(macroTab->popSetMenu, *this);
    colorTab = new ColorTab(*this, fTab[1]);
    colorTab->setGeometry(0, 0, kFrameWidth, kFrameHeight - 8);
    // The macro preview paints on the colour tab's window texture.
    macroTab->UsePreviewTexture(&colorTab->WindowTexture);
    connect(colorTab, &ColorTab::WindowTextureChanged, macroTab, &MacroTab::RepaintPreview);
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
    FillGameSettingChoices();
    LoadGameSettings();
    MakeSoundItems();
    TraceLine(u"LoadPreferences()");
    LoadPreferences();
    TraceLine(u"ShowPreferences()");
    ShowPreferences();
    TraceLine(u"InitPath()");
    InitPath();
    LoadCharacterList();
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
    // Measuring text is the cost here; the same folder in the same room fits as it did.
    if (!message && laidOut_.room == room && laidOut_.text == shown &&
        laidOut_.host == statusHost->text())
        return shown;
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
    if (message)
        laidOut_ = {};
    else
        laidOut_ = {room, shown, statusHost->text()};
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
        // Another character opened stays open with its edits; only reading again the one
        // on show would lose them.
        const int slot = SlotOfFolder(folder);
        if (slot >= 0 && characters_[std::size_t(slot)].open) {
            if (slot != shownCharacter_ && !ShowCharacter(slot)) return;
            if (ContentModified) {
                MsgAnswer a =
                    ShowMessage(U(AskSaveChanges()), MsgIcon::Question, MsgButtons::YesNoCancel);
                if (a == MsgAnswer::Cancel) return;
                // A save that could not write, or was called off, keeps the folder and its
                // edits.
                if (a == MsgAnswer::Yes && FileSave_Click() != SaveResult::Saved) return;
            }
        }
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
    OpenCharacterFolder(folder, content, emptyBook, SlotOfFolder(folder));
}

bool wMenu::OpenCharacterFolder(const std::u16string& folder, MacroFolderContent& content,
                                bool emptyBook, int slot) {
    if (int bad = content.FirstUnreadable(); bad >= 0) {
        ShowMessage(U(tr("「%1」を読み込めませんでした。\r\n"
                         "ファイルではないか、読み込みが許可されていません。\r\n"
                         "このフォルダは開きません。")
                          .arg(Q(folder + MacroFileName(bad)))),
                    MsgIcon::Critical);
        return false;
    }
    std::error_code cnfError;
    StoredHead cnfStored;
    CnfRecord cnf = LoadCnf(folder, &cnfError, &cnfStored);
    if (cnfError) {
        ShowMessage(U(tr("「%1」を読み込めませんでした。\r\n%2\r\nこのフォルダは開きません。")
                          .arg(Q(folder + u"cnf.dat"), Wording::FileError(cnfError))),
                    MsgIcon::Critical);
        return false;
    }
    BookTitles titles = ReadBookTitles(PathFromText(folder), &content);

    // Everything is read: the character on show makes room, unless it is this one read
    // again (its buffers are then reused).
    if (slot < 0) slot = AddCharacterSlot(folder);
    const bool another = slot != shownCharacter_;
    if (another) {
        EditHistory* kept = history;  // the window's first history serves its first character
        if (EditorEnabled) {
            ParkShownCharacter();
            kept = new EditHistory(*this);
        }
        static_cast<CharacterState&>(*this) = CharacterState{};
        WatchDocument();
        history = kept;
        shownCharacter_ = slot;
        characters_[std::size_t(slot)].open = true;
    } else {
        shownBook = shownSet = shownMacro = 0;
        unstoredBoxes.clear();
    }

    CurrentFolder = folder;
    CharacterDocument::Read read{
        folder, std::move(titles), cnf, std::move(cnfStored), ReadAcqNames(folder), emptyBook};
    document->Adopt(std::move(read), content);
    // An empty book has no file whose format could be unknown.
    if (document->IncompatibleMacro()) {
        ShowMessage(U(tr("警告！\r\nこのマクロは現在のバージョンと互換性がありません。"
                         "保存をすると使えなくなる可能性があります。")),
                    MsgIcon::Warning);
    }
    history->Clear();
    ShowCharacterState(another);
    ShowUnknownTitleFiles();
    return true;
}

void wMenu::ParkShownCharacter() {
    if (shownCharacter_ < 0) return;
    history->Seal();
    shownBook = macroTab->CurrentBookIndex;
    shownSet = macroTab->CurrentSetIndex;
    shownMacro = macroTab->CurrentMacroIndex;
    unstoredBoxes = history->UnstoredBoxes();
    characters_[std::size_t(shownCharacter_)].parked =
        std::make_unique<CharacterState>(std::move(static_cast<CharacterState&>(*this)));
}

void wMenu::ShowCharacterState(bool another) {
    SelectedColorEntry = -1;
    {
        const FillGuard filling(Filling);
        macroTab->ShowBookAndSet(shownBook, shownSet);
        if (shownMacro != 0) macroTab->ShowSet(shownBook, shownSet, shownMacro);
        macroTab->ShowBoxTexts(unstoredBoxes);
    }
    unstoredBoxes.clear();
    OnFolderOpened();
    if (!EditorEnabled) {
        EditorEnabled = true;
        FileSave->setEnabled(true);
        FileSaveAs->setEnabled(true);
        FileSaveAll->setEnabled(true);
        FileCharacterLabelAction->setEnabled(true);
        EditFind->setEnabled(true);
        EditReplace->setEnabled(true);

        macroTab->SetEditorEnabled(true);
    }
    history->BoxChanged();
    if (another) {
        FillCharacterList();
    } else {
        ShowCharacterItem(shownCharacter_);
    }
    ShowFolderStatus();
}

bool wMenu::ShowCharacter(int index) {
    if (index < 0 || index >= int(characters_.size())) return false;
    if (index == shownCharacter_) return true;
    CharacterSlot& slot = characters_[std::size_t(index)];
    if (!slot.open) {
        MacroFolderContent& content = macroFilesRead_;
        ReadMacroFolderInto(slot.folder, content);
        const bool empty =
            std::none_of(content.state.begin(), content.state.end(),
                         [](MacroFileState s) { return s != MacroFileState::Missing; });
        if (!OpenCharacterFolder(slot.folder, content, empty, index)) {
            FillCharacterList();
            return false;
        }
        return true;
    }
    ParkShownCharacter();
    static_cast<CharacterState&>(*this) = std::move(*slot.parked);
    slot.parked.reset();
    shownCharacter_ = index;
    ShowCharacterState(true);
    return true;
}

const CharacterState* wMenu::CharacterData(int index) const {
    if (index < 0 || index >= int(characters_.size())) return nullptr;
    if (index == shownCharacter_) return this;
    return characters_[std::size_t(index)].parked.get();
}

CharacterState* wMenu::CharacterData(int index) {
    return const_cast<CharacterState*>(std::as_const(*this).CharacterData(index));
}

QString wMenu::CharacterLabel(int index) const {
    const CharacterSlot& slot = characters_[std::size_t(index)];
    return Q(slot.label.empty() ? slot.name : slot.label);
}

int wMenu::SlotOfFolder(std::u16string_view folder) const {
    for (std::size_t i = 0; i < characters_.size(); ++i)
        if (characters_[i].folder == folder) return int(i);
    return -1;
}

int wMenu::AddCharacterSlot(const std::u16string& folder) {
    CharacterSlot slot;
    slot.folder = folder;
    if (!slot.folder.ends_with(PathSeparator())) slot.folder += PathSeparator();
    std::u16string_view trimmed(slot.folder);
    trimmed.remove_suffix(1);
    const std::size_t cut = trimmed.find_last_of(PathSeparator());
    slot.name =
        std::u16string(cut == std::u16string_view::npos ? trimmed : trimmed.substr(cut + 1));
    characters_.push_back(std::move(slot));
    return int(characters_.size()) - 1;
}

QString wMenu::CharacterItemText(int index) const {
    const CharacterSlot& slot = characters_[std::size_t(index)];
    const CharacterState* state = CharacterData(index);
    QString text = CharacterLabel(index);
    if (!slot.label.empty()) text += QStringLiteral("（%1）").arg(Q(slot.name));
    if (state && state->CharacterModified) text += QStringLiteral(" *");
    return text;
}

void wMenu::ShowCharacterItem(int index) {
    if (!cbCharacter || index < 0 || index >= cbCharacter->count()) return;
    const QString text = CharacterItemText(index);
    if (cbCharacter->itemText(index) != text) cbCharacter->setItemText(index, text);
}

void wMenu::FillCharacterList() {
    if (!cbCharacter) return;
    const FillGuard filling(Filling);
    cbCharacter->clear();
    for (int i = 0; i < int(characters_.size()); ++i) {
        cbCharacter->addItem(CharacterItemText(i));
        cbCharacter->setItemData(i, Q(characters_[std::size_t(i)].folder), Qt::ToolTipRole);
    }
    cbCharacter->setCurrentIndex(shownCharacter_);
    cbCharacter->setEnabled(!characters_.empty());
}

void wMenu::SetCharacterLabel(int index, std::u16string_view label) {
    if (index < 0 || index >= int(characters_.size())) return;
    characters_[std::size_t(index)].label = std::u16string(label);
    // Tabs and line ends would break the stored list.
    std::erase_if(characters_[std::size_t(index)].label,
                  [](char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r'; });
    FillCharacterList();
}

void wMenu::FileCharacterLabel_Click() {
    if (shownCharacter_ < 0) return;
    auto* dialog = new QInputDialog(this);
    dialog->setObjectName(QStringLiteral("dlgCharacterLabel"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(ProgramTitle());
    dialog->setLabelText(tr("「%1」の表示名（空にするとフォルダ名）:")
                             .arg(Q(characters_[std::size_t(shownCharacter_)].name)));
    dialog->setTextValue(Q(characters_[std::size_t(shownCharacter_)].label));
    const int index = shownCharacter_;
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, index] { SetCharacterLabel(index, U(dialog->textValue())); });
    dialog->open();
}

std::vector<int> wMenu::UnsavedCharacters() const {
    std::vector<int> unsaved;
    for (int i = 0; i < int(characters_.size()); ++i)
        if (const CharacterState* state = CharacterData(i); state && state->CharacterModified)
            unsaved.push_back(i);
    return unsaved;
}

QString wMenu::CharacterLines(const std::vector<int>& characters) const {
    QString lines;
    for (int i : characters) lines += QStringLiteral("\r\n・") + CharacterLabel(i);
    return lines;
}

SaveResult wMenu::FileSaveAll_Click(bool asked) {
    const int shown = shownCharacter_;
    const std::vector<int> unsaved = UnsavedCharacters();
    // Characters that are not on show are written too: they are named first, once.
    if (!asked && (unsaved.size() > 1 || (unsaved.size() == 1 && unsaved.front() != shown))) {
        if (ShowMessage(U(tr("次のキャラクターを保存します。よろしいですか？%1")
                              .arg(CharacterLines(unsaved))),
                        MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
            return SaveResult::Declined;
    }
    for (int i : unsaved) {
        // Each is saved on show, so that its questions and its report name what they
        // are about.
        if (!ShowCharacter(i)) return SaveResult::Failed;
        if (const SaveResult r = FileSave_Click(); r != SaveResult::Saved) return r;
    }
    ShowCharacter(shown);
    // The game settings go with every save; with no character to save, they go alone.
    if (gameHistory_.Modified()) return FileSave_Click();
    return SaveResult::Saved;
}

// Said once, at opening: the names of that half of the books are not shown, and the file
// stays as it is.
void wMenu::ShowUnknownTitleFiles() {
    QString text;
    for (int f : Titles().UnknownFiles()) {
        const TitleFileOnDisk& disk = Titles().disk[std::size_t(f)];
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
    return document->BookHasFiles(book);
}

MacroBook& wMenu::ShownBook() {
    return Books().Book(macroTab->CurrentBookIndex);
}

void wMenu::SaveMacroFiles(SavePlan& plan, std::u16string_view folder, MacroFolderContent* disk) {
    StoreShownBoxes();
    // The open folder is compared with what it held when read or last saved, so a file
    // the game rewrote meanwhile and the player did not touch stays as the game left it;
    // another folder (Save As) with what it holds now, and every file the open folder has
    // is made there too.
    if (disk)
        document->PlanSaveAs(plan, folder, *disk);
    else
        document->PlanSave(plan);
}

void wMenu::StoreShownBoxes() {
    // What the boxes show is in the book already; storing again changes nothing then,
    // and records no step.
    const SetRef shown{macroTab->CurrentBookIndex, macroTab->CurrentSetIndex};
    EditHistory::Edit edit(*history, QString(), EditScope{{shown}});
    MacroFile& current = ShownBook()[std::size_t(shown.set)];
    macroTab->StoreTitles(current);
    macroTab->StoreLines(current, macroTab->CurrentMacroIndex);
}

SaveResult wMenu::FileSave_Click() {
    return SaveCharacter(CurrentFolder, false);
}

SaveResult wMenu::SaveCharacter(std::u16string_view folder, bool elsewhere) {
    // Only macro files are at stake: before a folder is open nothing asks.
    if (EditorEnabled && !ConfirmSaveWhileGameRuns()) return SaveResult::Declined;
    if (document->IncompatibleMacro()) {
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
    const bool openFolder = folder == document->Folder();
    std::optional<MacroFolderContent> other;
    // Before any folder was opened there is no character folder to write into; only
    // the game settings are saved then.
    if (EditorEnabled) {
        if (!openFolder) other = ReadMacroFolder(folder);
        SaveMacroFiles(plan, folder, other ? &*other : nullptr);
    }
    SaveGameSettings(plan);
    const SaveReport report = plan.Run();
    // The document's clean point follows what its own folder now holds.
    if (!elsewhere) history->Saved(report);
    if (report.AllSaved()) {
        // Saved, but the folder could not be synced: the player should know.
        if (report.folderSync)
            ShowStatus(U(Wording::SaveMessage(report)));
        else
            ShowStatus(SavedStatus(report, elsewhere ? folder : std::u16string_view(), notStored));
        return SaveResult::Saved;
    }
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
        CharactersLostOnSave(Lossy(), ShownBook()[std::size_t(macroTab->CurrentSetIndex)],
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
        CharactersLostOnSave(Lossy(), ShownBook()[std::size_t(macroTab->CurrentSetIndex)],
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
    const std::vector<int> unsaved = UnsavedCharacters();
    if (unsaved.size() > 1) {
        // One question for them all, naming each.
        MsgAnswer a = ShowMessage(
            U(tr("次のキャラクターに保存していない変更があります。すべて保存しますか？%1")
                  .arg(CharacterLines(unsaved))),
            MsgIcon::Question, MsgButtons::YesNoCancel);
        if (a == MsgAnswer::Cancel) return false;
        if (a == MsgAnswer::Yes && FileSaveAll_Click(true) != SaveResult::Saved) return false;
    } else if (ContentModified || !unsaved.empty()) {
        if (!unsaved.empty() && !ShowCharacter(unsaved.front())) return false;
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

void wMenu::LoadCharacterList() {
    UserFolder = CurrentFolder;
    if (!UserFolder.empty()) {
        for (CharacterFolder& found : ListCharacterFolders(UserFolder))
            if (SlotOfFolder(found.folder) < 0) AddCharacterSlot(found.folder);
    }
    // The folders opened before, and the labels given: "folder<TAB>label" lines.
    std::u16string_view stored = prefs.Characters;
    while (!stored.empty()) {
        const std::size_t end = std::min(stored.find(u'\n'), stored.size());
        const std::u16string_view line = stored.substr(0, end);
        stored.remove_prefix(std::min(end + 1, stored.size()));
        const std::size_t tab = line.find(u'\t');
        if (tab == std::u16string_view::npos || tab == 0) continue;
        std::u16string folder(line.substr(0, tab));
        if (!folder.ends_with(PathSeparator())) folder += PathSeparator();
        int slot = SlotOfFolder(folder);
        if (slot < 0) {
            std::error_code error;
            if (!std::filesystem::is_directory(PathFromText(folder), error)) continue;
            slot = AddCharacterSlot(folder);
        }
        characters_[std::size_t(slot)].label = std::u16string(line.substr(tab + 1));
    }
    FillCharacterList();
}

std::u16string wMenu::CharacterListPreference() const {
    std::u16string text;
    for (const CharacterSlot& slot : characters_) {
        const bool underUser =
            !UserFolder.empty() && slot.folder.starts_with(UserFolder) &&
            slot.folder.find(PathSeparator(), UserFolder.size() + 1) == slot.folder.size() - 1;
        // The USER folder's characters are found again; others are kept when opened.
        if (slot.label.empty() && (underUser || !slot.open)) continue;
        text += slot.folder + u'\t' + slot.label + u'\n';
    }
    return text;
}

bool wMenu::CopyShownTo(int target, int book, int set) {
    return CopySetTo(macroTab->CurrentBookIndex, macroTab->CurrentSetIndex, target, book, set);
}

bool wMenu::CopySetTo(int fromBook, int fromSet, int target, int book, int set, bool move) {
    if (!EditorEnabled || target < 0 || target >= int(characters_.size()) || book < 0 ||
        book >= kBookCount || set < -1 || set >= kSetCount || fromBook < 0 ||
        fromBook >= kBookCount || fromSet < 0 || fromSet >= kSetCount)
        return false;
    // A move stays within the character on show, so that one undo puts both sets back.
    if (move && (target != shownCharacter_ || set < 0 || (book == fromBook && set == fromSet)))
        return false;
    // The source stays where it is while another character is shown: each document
    // keeps its place when the window parks it.
    const CharacterDocument& source = *document;
    const bool title = set < 0 && source.Titles().Known(fromBook);
    if (!ShowCharacter(target)) return false;
    EditScope scope;
    for (int s = set < 0 ? 0 : set; s < (set < 0 ? kSetCount : set + 1); ++s)
        scope.sets.push_back(SetRef{book, s});
    if (move) scope.sets.push_back(SetRef{fromBook, fromSet});
    scope.titles = title && Titles().Known(book);
    {
        const QString name = move      ? tr("セットの移動")
                             : set < 0 ? tr("ブックのコピー")
                                       : tr("セットのコピー");
        EditHistory::Edit edit(*history, name, scope);
        edit.Always().Showing(SetRef{book, set < 0 ? 0 : set});
        // Byte for byte, the target's reserved bytes kept; the document's own steps are
        // part of this one.
        if (set < 0) {
            document->CopyBook(source, fromBook, book);
        } else {
            document->CopySet(source, fromBook, fromSet, book, set);
            if (move) document->EmptySet(fromBook, fromSet, U(name));
        }
    }
    macroTab->ShowSet(book, set < 0 ? 0 : set, 0);
    // One arg() for all: a label holding "%3" is not a place for the next number.
    const QString label = CharacterLabel(target);
    if (move) {
        ShowStatus(U(tr("ブック%1 セット%2をブック%3 セット%4に移動しました")
                         .arg(QString::number(fromBook + 1), QString::number(fromSet + 1),
                              QString::number(book + 1), QString::number(set + 1))));
        return true;
    }
    ShowStatus(U(set < 0 ? tr("ブック%1を「%2」のブック%3にコピーしました")
                               .arg(QString::number(fromBook + 1), label, QString::number(book + 1))
                         : tr("セット%1を「%2」のブック%3 セット%4にコピーしました")
                               .arg(QString::number(fromSet + 1), label, QString::number(book + 1),
                                    QString::number(set + 1))));
    return true;
}

void wMenu::cbCharacter_OLEDragDrop(int fromBook, int fromSet, QPoint globalPos) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("popDropCharacter"));
    menu->addSection(tr("ブック%1 セット%2のコピー先").arg(fromBook + 1).arg(fromSet + 1));
    for (int i = 0; i < int(characters_.size()); ++i) {
        if (i == shownCharacter_) continue;
        QAction* item = menu->addAction(tr("「%1」のブック%2 セット%3")
                                            .arg(CharacterLabel(i), QString::number(fromBook + 1),
                                                 QString::number(fromSet + 1)));
        connect(item, &QAction::triggered, this, [this, fromBook, fromSet, i] {
            CopySetTo(fromBook, fromSet, i, fromBook, fromSet);
        });
    }
    menu->popup(globalPos);
}

void wMenu::popSetCopyTo_Click() {
    if (!EditorEnabled) return;
    std::vector<CopyTargetCharacter> targets;
    for (int i = 0; i < int(characters_.size()); ++i) {
        CopyTargetCharacter t;
        t.label = CharacterLabel(i);
        const CharacterState* state = CharacterData(i);
        const BookTitles* titles = state ? &state->Titles() : nullptr;
        std::optional<BookTitles> read;
        if (!titles)
            titles =
                &read.emplace(ReadBookTitles(PathFromText(characters_[std::size_t(i)].folder)));
        for (int b = 0; b < kBookCount; ++b) t.bookTitles[std::size_t(b)] = Q(titles->Title(b));
        targets.push_back(std::move(t));
    }
    // The set whose menu this is, as for the menu's other commands; not the one on show.
    const int book = macroTab->CurrentBookIndex;
    const int set = macroTab->MenuSet;
    auto* dialog = new CopyTargetDialog(targets, shownCharacter_, book, set, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog, book, set] {
        CopySetTo(book, set, dialog->Character(), dialog->Book(), dialog->Set());
    });
    dialog->open();
}

void wMenu::WatchDocument() {
    // Pauses in typing by the platform's clock, as the tests' fake one.
    IClock* clock = platform.clock;
    document->SetClock([clock] { return clock ? clock->TickMs() : int64_t(0); });
    // A parked character's document changes only while it is on show again.
    document->Subscribe([this](const CharacterDocument& changed, const DocumentChange& change) {
        if (&changed == document.get()) DocumentChanged(change);
    });
}

// What the tabs show of a change, whoever made it: an edit, an undo, a redo or a save.
void wMenu::DocumentChanged(const DocumentChange& change) {
    if (!macroTab) return;
    // A save makes the first files of a book, which its caption then shows.
    if (change.titles || change.cause == DocumentChange::Cause::Saved) macroTab->ShowBookNames();
    if (change.colors) macroTab->RepaintPreview();
}

}  // namespace qm
