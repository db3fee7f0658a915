#pragma once
// The main window wMenu: menus, the tab strip and the state of the whole run. The
// tabs do their work through the core; this class owns what they share.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "app/TraceLog.h"
#include "config/CnfRecord.h"
#include "config/GameSettingsHistory.h"
#include "editor/CharacterState.h"
#include "editor/HistoryWindow.h"
#include "editor/LostCharacters.h"
#include "editor/TooLongFields.h"
#include "macro/AcqNames.h"
#include "macro/BookTitles.h"
#include "macro/MacroFile.h"
#include "macro/MacroFolder.h"
#include "platform/Platform.h"
#include "preview/RandomSource.h"
#include "settings/ToolPreferences.h"

class QAction;
class QComboBox;
class QMenu;
class QTabBar;
class QLabel;
class QTimer;

namespace qm {

class SavePlan;
struct SaveReport;
class MacroTab;
class ColorTab;
class GameSettingsTab;
class CaptureTab;
class EditHistory;
class FindDialog;
class WindowFindHost;

enum class SaveResult { Saved, Declined, Failed };

struct WindowOptions {
    std::filesystem::path traceFile = "Debug.txt";  // relative: the working directory
    int statusMessageMs = 10000;  // how long a passing message stays in the status line
};

// A character folder the window knows: under the game's USER folder, or opened elsewhere.
struct CharacterSlot {
    std::u16string folder;  // ending in a separator
    std::u16string name;    // the folder's own name
    std::u16string label;   // the player's name for it; empty: none given
    bool open = false;      // read into the window (on show, or waiting in `parked`)
    std::unique_ptr<CharacterState> parked;  // while another character is on show
};

// The window's own state is the character on show (its CharacterState part).
class wMenu : public QMainWindow, public CharacterState, public HistoryWindow {
    Q_OBJECT
  public:
    wMenu(Platform& platform, WindowOptions options = {}, QWidget* parent = nullptr);
    ~wMenu() override;

    // Start-up up to the point where the character folder is asked for. False when
    // another copy runs: this copy must then end without doing anything else.
    bool Form_Load();
    // The last start-up steps, once the window is on the screen: the bump-mapping
    // question goes out, the watch for the game's window starts, then the folder is
    // asked for.
    void FinishStartup();

    // File menu
    void FileOpen_Click();
    SaveResult FileSave_Click();
    void FileSaveAs_Click();
    void FilePlayOnline_Click();
    void FileQuit_Click();
    // Stores the editor's boxes into the current set and adds the macro files that change
    // to the plan: compared with what the open folder held when read or last saved, or
    // with what `disk` (another folder, for Save As) holds now.
    void SaveMacroFiles(SavePlan& plan, std::u16string_view folder, MacroFolderContent* disk);
    // Stores the macro tab's boxes into the set on show (what it already holds records
    // nothing).
    void StoreShownBoxes();
    // Edit menu (the commands act on the focused text box)
    void EditMenu_Click();
    void EditCut_Click();
    void EditCopy_Click();
    void EditPaste_Click();
    void EditDelete_Click();
    // Find and replace in the open characters' books (Ctrl+F, Ctrl+H).
    void EditFind_Click();
    void EditReplace_Click();
    FindDialog* Finder() const { return findDialog_; }

    void tsMenu_Click();
    // Stores the window's language ("ja", "en", empty: the system's) for the next start.
    void LanguageMenu_Click(std::u16string_view language);
    void ShowLanguageChoice();  // checks the menu entry of the stored choice
    // Asks the close question; true when the window may close.
    bool Form_QueryUnload();

    void TraceLine(std::u16string_view text) const { trace_->TraceLine(text); }
    const TraceLog& Trace() const { return *trace_; }
    MsgAnswer ShowMessage(std::u16string_view text, MsgIcon icon,
                          MsgButtons buttons = MsgButtons::Ok) override;
    // A passing message in the status line; the open folder shows again after it. Its
    // words are never cut: when it is too long, the part `path` (a path within the text)
    // loses its middle, and the labels at the right end give up their room first.
    void ShowStatus(std::u16string_view text, std::u16string_view path = {}) override;
    void ShowFolderStatus();
    void ShowUnknownTitleFiles();
    void ShowHostStatus(std::u16string_view text);  // where the game's data lives
    // Looks for the game's window and shows the answer in the status bar.
    bool tGameWatch_Timer();
    IRandom& Random() override { return random_; }

    // What the tabs and the edit history are given of the window.
    CharacterState& Shown() override { return *this; }
    EditHistory& History() override { return *history; }
    ToolPreferences& Prefs() override { return prefs; }
    Platform& Services() override { return platform; }
    bool EditingAllowed() const override { return EditorEnabled; }
    bool FillingControls() const override { return Filling; }
    QMainWindow& Frame() override { return *this; }
    QTabBar* TabStrip() override { return tsMenu; }
    MacroTab* Macros() override { return macroTab; }
    ColorTab* Colors() override { return colorTab; }
    GameSettingsTab* GameTab() override { return gameSettingsTab; }
    QAction* UndoItem() override { return EditUndo; }
    QAction* RedoItem() override { return EditRedo; }
    void UnsavedChanged() override { ShowCharacterItem(shownCharacter_); }
    GameSettingsHistory& GameHistory() override { return gameHistory_; }
    uint64_t NextStepOrder() override { return ++stepOrder_; }
    void SetUndoItems(QAction* undo, QAction* redo) override {
        EditUndo = undo;
        EditRedo = redo;
    }

    // State of the run, shared by the tabs; the character on show is the CharacterState
    // part of the window.
    Platform& platform;
    bool Filling = false;
    bool EditorEnabled = false;
    // Whether the open folder holds a macro file of book 0 to 39.
    bool BookHasFiles(int book) const override;
    // The book on show in the macro tab.
    MacroBook& ShownBook();
    ToolPreferences prefs;
    std::u16string PlayOnlinePath;
    std::u16string UserFolder;  // the game's USER folder, where the characters live

    // --- several characters ---
    const std::vector<CharacterSlot>& Characters() const { return characters_; }
    int ShownCharacter() const override { return shownCharacter_; }
    // What the list and the questions call a character: its label, else its folder name.
    QString CharacterLabel(int index) const;
    // Shows character `index` in every tab, reading its folder the first time. False when
    // it could not be read (the character on show stays).
    bool ShowCharacter(int index);
    // The state of character `index`, on show or waiting; null when not read yet.
    const CharacterState* CharacterData(int index) const;
    CharacterState* CharacterData(int index);
    // Names the character on show (a preference; empty: its folder name).
    void SetCharacterLabel(int index, std::u16string_view label);
    void FileCharacterLabel_Click();
    // Saves every character with unsaved changes; stops at the first that is not saved.
    // Names the characters first, unless the player was just asked about them (`asked`).
    SaveResult FileSaveAll_Click(bool asked = false);
    // Copies the set on show (`set` >= 0: into that set; -1: the whole book with its
    // title) into a book of character `target`, byte for byte, as one undo step there;
    // the target is shown afterwards.
    bool CopyShownTo(int target, int book, int set);
    bool CopySetTo(int fromBook, int fromSet, int target, int book, int set,
                   bool move = false) override;
    // A set dropped on the character list: a menu of the other characters to copy it
    // into, at the same book and set.
    void cbCharacter_OLEDragDrop(int fromBook, int fromSet, QPoint globalPos);
    void popSetCopyTo_Click();

    // Controls
    QTabBar* tsMenu = nullptr;
    std::array<QWidget*, 4> fTab{};
    MacroTab* macroTab = nullptr;
    ColorTab* colorTab = nullptr;
    GameSettingsTab* gameSettingsTab = nullptr;
    CaptureTab* captureTab = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* LanguageMenu = nullptr;  // its title is in both languages, whichever is shown
    QAction* LanguageSystem = nullptr;
    QAction* LanguageJapanese = nullptr;
    QAction* LanguageEnglish = nullptr;
    QAction* FileOpen = nullptr;
    QAction* FileSave = nullptr;
    QAction* FileSaveAs = nullptr;
    QAction* FileSaveAll = nullptr;
    QAction* FileCharacterLabelAction = nullptr;
    QComboBox* cbCharacter = nullptr;
    QAction* FilePlayOnline = nullptr;
    QAction* FileQuit = nullptr;
    QAction* EditUndo = nullptr;
    QAction* EditRedo = nullptr;
    QAction* EditCut = nullptr;
    QAction* EditCopy = nullptr;
    QAction* EditPaste = nullptr;
    QAction* EditDelete = nullptr;
    QAction* EditFind = nullptr;
    QAction* EditReplace = nullptr;

    QLabel* statusText = nullptr;
    QLabel* statusHost = nullptr;  // elided in its middle when room is short
    QLabel* statusGame = nullptr;  // says when the game runs
    QTimer* tGameWatch = nullptr;

    // Start-up steps that belong to the other tabs.
    void CheckD3D();
    void CheckBumpMap();  // the probe's second half; its answer may come later
    void FillGameSettingChoices();
    void LoadGameSettings();
    void SaveGameSettings(SavePlan& plan);  // the tab's values, or a refusal, into the plan
    void MakeSoundItems();
    void LoadPreferences();
    void ShowPreferences();
    void SavePreferences();
    void ShowCapturePreferences();  // the capture controls' part of ShowPreferences
    void InitPath();
    void GetDisplayMode();
    void InitTextColor();
    void OnFolderOpened();  // what the other tabs take from a newly opened folder
    void InitSetDraggers();
    void LoadWindowTexture();

    bool Ended() const { return ended_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildMenus();
    void BuildTabs();
    // Shares the status line between its text (a message, or the open folder) and the
    // label naming where the game's data live: the text keeps its room, the label is
    // shortened in its middle.
    // Returns the text to show for the message on show.
    QString LayOutStatusLine();
    // Saves into the open folder, or the whole character into another (Save As).
    SaveResult SaveCharacter(std::u16string_view folder, bool elsewhere);
    bool ConfirmSaveWhileGameRuns();
    // False when characters would become "?" and the player does not want that.
    bool AcceptLostCharacters();
    // Asks before a save that would leave out text too long for its field (and names
    // the characters that would become "?"); notStored gets those fields.
    bool AcceptFieldsNotStored(std::vector<TooLongField>& notStored);
    std::u16string SavedStatus(const SaveReport& report, std::u16string_view elsewhere,
                               const std::vector<TooLongField>& notStored) const;

    // Reads a folder into a fresh state and shows it; false (nothing changed) when it
    // cannot be read. `slot`: the character it becomes, or -1 for a new one.
    bool OpenCharacterFolder(const std::u16string& folder, MacroFolderContent& content,
                             bool emptyBook, int slot);
    // The character on show goes to its slot to wait; the window's state is then free.
    void ParkShownCharacter();
    // Subscribes the window to the document on show, once, when it becomes a character's.
    void WatchDocument();
    void DocumentChanged(const DocumentChange& change);
    // Fills every tab from the character state now in the window.
    // another: a character other than the one on show before (else the same read again).
    void ShowCharacterState(bool another);
    QString CharacterItemText(int index) const;
    void ShowCharacterItem(int index);  // its text in the list, after its state changed
    // The characters' labels, a line each, for a question that names them.
    QString CharacterLines(const std::vector<int>& characters) const;
    int SlotOfFolder(std::u16string_view folder) const;
    int AddCharacterSlot(const std::u16string& folder);
    void FillCharacterList();
    void LoadCharacterList();  // the USER folder's characters and those opened before
    std::u16string CharacterListPreference() const;
    std::vector<int> UnsavedCharacters() const;

    // Where an open reads a folder before it is taken; it then changes places with the
    // character's, so that neither is allocated or cleared whole again.
    MacroFolderContent macroFilesRead_;
    void OpenFindDialog(bool replacing);
    struct FindHostDeleter {
        void operator()(WindowFindHost* host) const;
    };
    std::unique_ptr<WindowFindHost, FindHostDeleter> findHost_;
    FindDialog* findDialog_ = nullptr;
    std::vector<CharacterSlot> characters_;
    int shownCharacter_ = -1;
    WindowOptions options_;
    QString statusMessage_;      // the passing message, whole
    QString statusMessagePath_;  // the part of it that may be shortened
    // What the status line was last fitted to, when it showed the folder.
    struct LaidOut {
        int room = -1;
        QString text, host;
    } laidOut_;
    QElapsedTimer statusShown_;
    std::unique_ptr<TraceLog> trace_;
    SeededRandom random_;
    GameSettingsHistory gameHistory_;
    uint64_t stepOrder_ = 0;
    bool ended_ = false;
    bool adapterFound_ = false;  // the probe answered at start-up: bump mapping may be asked
    bool bumpMapAsked_ = false;
};

}  // namespace qm
