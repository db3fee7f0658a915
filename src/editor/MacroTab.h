#pragma once
// The tab "マクロ": book chooser, set buttons, title boxes, line boxes, own name and
// preview. The boxes are the working copy of the current set's titles and the current
// macro's lines; they go into the book only when another macro, set or book is chosen,
// on save, and by the set copy and cut commands.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QValidator>
#include <QWidget>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/BookChooser.h"
#include "editor/EditHistory.h"
#include "editor/SetButton.h"
#include "macro/MacroFile.h"
#include "macro/MacroFolder.h"

class QImage;
class QMenu;

namespace qm {

class TabHost;

// Accepts text whose CP932 form has at most maxBytes bytes, typed or pasted.
class Cp932ByteValidator : public QValidator {
  public:
    Cp932ByteValidator(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

  private:
    int maxBytes_;
};

class MacroTab : public QWidget {
    Q_OBJECT
  public:
    MacroTab(TabHost& host, QWidget* parent);

    // Editor operations
    void ShowTitles(MacroFile& file);
    void ShowMacro(MacroFile& file, int index);
    void StoreTitles(MacroFile& file);
    void StoreLines(MacroFile& file, int index);
    void HighlightSet(int index);  // the set button colours for a newly shown set
    // Shows a set of a book with its first macro, storing nothing (a folder was opened).
    void ShowBookAndSet(int book, int set);
    // Shows a set of a book with macro `macro` selected, storing nothing (an undo).
    void ShowSet(int book, int set, int macro);
    void SetEditorEnabled(bool enabled);
    // The chooser's captions: 「N タイトル」, the books holding macro files in bold.
    void ShowBookNames();
    // Asks for a new name of book 0 to 39 (a dialog; the rename happens when it is taken).
    void RenameBook(int book);
    // One undoable step; false (after telling the player) when the title cannot be stored.
    bool SetBookTitle(int book, std::u16string_view title);

    // Handlers
    void cboBook_Click(int index);  // another book chosen: stores the boxes, as a set change
    void pbSet_Click(int index);
    void pbSet_MouseDown(int index, Qt::MouseButton button, QPoint globalPos);
    // A set button dragged onto another copies (or moves) its set there; dropped on the
    // book chooser, a menu of the books to put it into (the same set of the book chosen).
    void pbSet_OLEDragDrop(int fromBook, int fromSet, int index, bool move);
    void cboBook_OLEDragDrop(int fromBook, int fromSet, QPoint globalPos, bool move);
    void efTitle_GotFocus(int index);
    void efTitle_Change(int index);
    bool efTitle_KeyDown(int index, int key);
    void efLine_Change(int index);
    bool efLine_KeyDown(int index, int key);  // true: the key was consumed
    void efLine_LostFocus(int index);
    void efMyname_Change();
    void efMyname_LostFocus();
    void pbCheckMD5_Click();

    // Macro box `box`: titles 0 to 19, then lines 20 to 25.
    QLineEdit* Box(int box) const;
    // Puts texts into macro boxes by number as the program's own fill, not as typing:
    // text too long for its field that an undo or a switch of characters brings back.
    void ShowBoxTexts(const std::vector<std::pair<int, QString>>& boxes);
    // The own name as the program sets it, not as typing.
    void ShowOwnName(const QString& name);

    // The texts of the six line boxes as they stand (the preview paints these).
    std::array<std::u16string, 6> LineTexts() const;
    // True when a title or line box holds text too long for its field (not stored).
    bool HoldsTooLongText() const;
    void RepaintPreview();
    // The window texture the preview paints on (the colour tab's).
    void UsePreviewTexture(const QImage* texture);

    // The book on show.
    MacroBook& Book();
    // Stores the boxes into the set on show: the set commands work from the book.
    void StoreShownSet();
    // Writes set text into set `set` of the book on show by position and, when that set
    // is the one on show, refills its title boxes and the current macro's lines from the
    // book (text typed there and not yet stored is replaced).
    void PutTextInSet(int set, std::u16string_view text);
    // The same for a backup file's checked bytes, restored byte for byte.
    void PutBackupInSet(int set, std::span<const uint8_t> bytes);
    // Refills the boxes from the book when set `set` is the one on show.
    void RefreshIfShown(int set);

    int16_t CurrentBookIndex = 0;  // 0 to 39
    int16_t CurrentSetIndex = 0;
    int16_t CurrentMacroIndex = 0;
    int16_t MenuSet = 0;

    BookChooser* cboBook = nullptr;
    std::array<SetButton*, 10> pbSet{};
    std::array<QLineEdit*, 20> efTitle{};
    std::array<QLineEdit*, 6> efLine{};
    std::array<QLabel*, 10> pctSetDragger{};
    QLineEdit* efMyname = nullptr;
    QWidget* pctMacro = nullptr;
    QPushButton* pbCheckMD5 = nullptr;
    QMenu* popSetMenu = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // True while the tab fills its boxes, or while the window fills controls itself.
    bool Filling() const;
    void SetTitleHighlight(int index, bool on);
    void TooLongTextChanged();
    void ShowBoxMarks(QLineEdit* box, std::optional<std::size_t> lineBytes,
                      std::u16string_view fieldText);
    void StoreBox(MacroFile& file, int field, std::span<uint8_t> bytes, std::u16string_view text);
    MacroFile& CurrentFile();
    void StoreTyped(int box, const QString& before, std::span<uint8_t> field, const MergeKey& key);
    TabHost& host_;
    QPointer<QWidget> lastFocus_;
    // What each title and line box held after its latest change, for the edit history.
    std::array<QString, kMacrosPerSet + kLinesPerMacro> boxText_;
    // The field being typed into, as it was before the typing began.
    MergeKey typingKey_;
    std::vector<uint8_t> typingBase_;
    bool holdsTooLong_ = false;
    // Whether each title and line box holds text too long for its field, as measured
    // at its latest change.
    std::array<bool, kMacrosPerSet + kLinesPerMacro> tooLong_{};
    void MeasureBox(int box);
    bool filling_ = false;  // while the tab fills its own boxes
    // Where a press on a set button began, to tell a drag from a click.
    int pressedSet_ = -1;
    QPoint pressedAt_;
    // What each book's caption was made from when last shown.
    struct BookCaption {
        std::u16string title;
        bool files = false;
        bool known = false;
        bool operator==(const BookCaption&) const = default;
    };
    std::array<std::optional<BookCaption>, kBookCount> bookCaptions_{};
};

}  // namespace qm
