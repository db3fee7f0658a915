#include "editor/MacroTab.h"
#include "platform/QtText.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <algorithm>
#include <optional>
#include <utility>

#include "editor/BookTitleDialog.h"
#include "editor/CharacterState.h"
#include "editor/EditHistory.h"
#include "editor/FieldBox.h"
#include "editor/LineOps.h"
#include "editor/LostCharacters.h"
#include "editor/SetBackup.h"
#include "editor/SetCopyDrag.h"
#include "editor/SetDragHandle.h"
#include "editor/TabHost.h"
#include "editor/TextForms.h"
#include "macro/BookTitles.h"
#include "macro/Cp932.h"
#include "macro/FieldText.h"
#include "macro/Md5.h"
#include "platform/Platform.h"
#include "preview/PreviewBoxes.h"
#include "settings/ToolPreferences.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"

namespace qm {

namespace {

const QColor kHighlight(204, 204, 255);
const QColor kDropTarget(204, 238, 204);  // a set button a dragged set would go to
constexpr std::size_t kLineCapacity = kLineFieldSize - 1;

const char* const kSetCaptions[10] = {
    QT_TRANSLATE_NOOP("qm::MacroTab", "セット１"), QT_TRANSLATE_NOOP("qm::MacroTab", "セット２"),
    QT_TRANSLATE_NOOP("qm::MacroTab", "セット３"), QT_TRANSLATE_NOOP("qm::MacroTab", "セット４"),
    QT_TRANSLATE_NOOP("qm::MacroTab", "セット５"), QT_TRANSLATE_NOOP("qm::MacroTab", "セット６"),
    QT_TRANSLATE_NOOP("qm::MacroTab", "セット７"), QT_TRANSLATE_NOOP("qm::MacroTab", "セット８"),
    QT_TRANSLATE_NOOP("qm::MacroTab", "セット９"), QT_TRANSLATE_NOOP("qm::MacroTab", "セット10")};

// Caret position as the editor counts it: the start of the selection, if any.
int CaretOf(const QLineEdit* box) {
    return box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
}

}  // namespace

QValidator::State Cp932ByteValidator::validate(QString& input, int&) const {
    return FieldTextLength(U(input)) <= std::size_t(maxBytes_) ? Acceptable : Invalid;
}

void Cp932ByteValidator::fixup(QString& input) const {
    input = Q(TruncateToCp932Bytes(U(input), std::size_t(maxBytes_)));
}

MacroTab::MacroTab(TabHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    auto* titleLabel = new QLabel(tr("タイトル"), this);
    titleLabel->move(88, 0);
    auto* macroLabel = new QLabel(tr("マクロ"), this);
    macroLabel->move(280, 0);

    // The book chooser sits above the set buttons, which move down to make room for it.
    cboBook = new BookChooser(this);
    cboBook->setObjectName(QStringLiteral("cboBook"));
    // One point smaller than the other controls, so that 「ブック40」 fits the column.
    QFont small = cboBook->font();
    small.setPointSizeF(small.pointSizeF() - 1);
    cboBook->setFont(small);
    cboBook->setGeometry(0, 16, 76, 24);
    for (int b = 1; b <= kBookCount; ++b) cboBook->addItem(QString::number(b));
    cboBook->setToolTip(
        tr("マクロブック（Ctrl+PageUp / Ctrl+PageDown で切り替え、ダブルクリックで名前を変更）"));
    connect(cboBook, &QComboBox::currentIndexChanged, this, [this](int b) { cboBook_Click(b); });
    connect(cboBook, &BookChooser::RenameRequested, this, [this](int b) { RenameBook(b); });
    new SetDropTarget(
        cboBook, true,
        [this](const DraggedSet& from) { return from.character == host_.ShownCharacter(); },
        [this](const DraggedSet& from, QPoint at, bool move) {
            cboBook_OLEDragDrop(from.book, from.set, at, move);
        });
    auto addBookKey = [this](QKeyCombination key, int step) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this, step] {
            int next = cboBook->currentIndex() + step;
            if (cboBook->isEnabled() && next >= 0 && next < kBookCount)
                cboBook->setCurrentIndex(next);
        });
    };
    addBookKey(Qt::CTRL | Qt::Key_PageUp, -1);
    addBookKey(Qt::CTRL | Qt::Key_PageDown, 1);

    constexpr int kSetTop = 44;
    for (int n = 0; n < 10; ++n) {
        auto* button = new SetButton(tr(kSetCaptions[n]), this);
        button->setObjectName(QStringLiteral("pbSet%1").arg(n));
        button->setGeometry(24, kSetTop + 24 * n, 49, 17);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, n] { pbSet_Click(n); });
        pbSet[std::size_t(n)] = button;
        // Sets of the book on show, dragged from another button of this tab.
        auto* target = new SetDropTarget(
            button, true,
            [this, n](const DraggedSet& from) {
                return from.character == host_.ShownCharacter() &&
                       !(from.book == CurrentBookIndex && from.set == n);
            },
            [this, n](const DraggedSet& from, QPoint, bool move) {
                pbSet_OLEDragDrop(from.book, from.set, n, move);
            });
        // The button a drop would go to shows it meanwhile.
        target->OnHover([this, n](bool on) {
            if (on)
                pbSet[std::size_t(n)]->SetFace(kDropTarget);
            else
                HighlightSet(CurrentSetIndex);
        });

        auto* handle = new SetDragHandle(host, *this, n, this);
        handle->setObjectName(QStringLiteral("pctSetDragger%1").arg(n));
        handle->setGeometry(0, kSetTop + 24 * n, 17, 17);
        pctSetDragger[std::size_t(n)] = handle;
    }
    for (int i = 0; i < 20; ++i) {
        auto* box = new FieldBox(this);
        box->setObjectName(QStringLiteral("efTitle%1").arg(i));
        if (i < 10)
            box->setGeometry(80, 16 + 32 * i, 81, 25);
        else
            box->setGeometry(168, 16 + 32 * (i - 10), 81, 25);
        box->setValidator(new Cp932ByteValidator(int(kTitleFieldSize - 1), box));
        box->setAutoFillBackground(true);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this, i] { efTitle_Change(i); });
        efTitle[std::size_t(i)] = box;
    }
    for (int k = 0; k < 6; ++k) {
        auto* box = new FieldBox(this);
        box->setObjectName(QStringLiteral("efLine%1").arg(k));
        box->setGeometry(272, 16 + 32 * k, 409, 25);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this, k] { efLine_Change(k); });
        efLine[std::size_t(k)] = box;
    }
    pctMacro = new MacroPreviewBox(
        host,
        [this] {
            return MacroPreviewText{LineTexts(), U(efMyname->text())};
        },
        this);
    pctMacro->setObjectName(QStringLiteral("pctMacro"));
    pctMacro->setGeometry(272, 208, 409, 145);

    efMyname = new QLineEdit(this);
    efMyname->setObjectName(QStringLiteral("efMyname"));
    efMyname->setGeometry(8, 304, 65, 25);
    efMyname->setValidator(new Cp932ByteValidator(15, efMyname));
    efMyname->setToolTip(tr("マクロの実行サンプルに表示される自分の名前を設定します"));
    efMyname->installEventFilter(this);
    connect(efMyname, &QLineEdit::textChanged, this, [this] { efMyname_Change(); });

    pbCheckMD5 = new QPushButton(QStringLiteral("MD5Check"), this);
    pbCheckMD5->setObjectName(QStringLiteral("pbCheckMD5"));
    pbCheckMD5->setGeometry(8, 336, 65, 25);
    connect(pbCheckMD5, &QPushButton::clicked, this, [this] { pbCheckMD5_Click(); });

    popSetMenu = new QMenu(tr("セット"), this);
    popSetMenu->setObjectName(QStringLiteral("popSetMenu"));
    // The window puts the set commands ahead of this.
    popSetMenu->addSeparator();
    QAction* renameBook = popSetMenu->addAction(tr("ブック名を変更..."));
    renameBook->setObjectName(QStringLiteral("popSetRenameBook"));
    connect(renameBook, &QAction::triggered, this, [this] { RenameBook(CurrentBookIndex); });

    // The widget that had the focus last, kept while the window is inactive.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now) lastFocus_ = now;
    });

    SetEditorEnabled(false);
    HighlightSet(0);
    SetTitleHighlight(0, true);
}

void MacroTab::SetEditorEnabled(bool enabled) {
    cboBook->setEnabled(enabled);
    for (auto* b : pbSet) b->setEnabled(enabled);
    for (auto* b : efTitle) b->setEnabled(enabled);
    for (auto* b : efLine) b->setEnabled(enabled);
}

void MacroTab::HighlightSet(int index) {
    const QColor normal = palette().color(QPalette::Button);
    for (int n = 0; n < 10; ++n) pbSet[std::size_t(n)]->SetFace(n == index ? kHighlight : normal);
}

void MacroTab::SetTitleHighlight(int index, bool on) {
    QLineEdit* box = efTitle[std::size_t(index)];
    const QColor base = on ? kHighlight : palette().color(QPalette::Base);
    if (box->palette().color(QPalette::Base) == base) return;  // a palette change restyles
    QPalette p = box->palette();
    p.setColor(QPalette::Base, base);
    box->setPalette(p);
}

void MacroTab::ShowTitles(MacroFile& file) {
    const FillGuard filling(filling_);
    for (int i = 0; i < 20; ++i) efTitle[std::size_t(i)]->setText(Q(ReadFieldText(file.Title(i))));
}

void MacroTab::ShowMacro(MacroFile& file, int index) {
    if (index > 19 || index < 0) return;
    const FillGuard filling(filling_);
    if (index != CurrentMacroIndex) SetTitleHighlight(CurrentMacroIndex, false);
    CurrentMacroIndex = int16_t(index);
    SetTitleHighlight(index, true);
    for (int k = 0; k < 6; ++k)
        efLine[std::size_t(k)]->setText(Q(ReadFieldText(file.Line(index, k))));
    RepaintPreview();
}

void MacroTab::StoreTitles(MacroFile& file) {
    for (int i = 0; i < 20; ++i)
        StoreBox(file, i * kFieldsPerMacro, file.Title(i), U(efTitle[std::size_t(i)]->text()));
}

void MacroTab::StoreLines(MacroFile& file, int index) {
    for (int k = 0; k < 6; ++k) {
        StoreBox(file, index * kFieldsPerMacro + 1 + k, file.Line(index, k),
                 U(efLine[std::size_t(k)]->text()));
    }
}

// A box going into its field; what it writes there with "?" for lost characters is
// remembered, so that the save can say so.
void MacroTab::StoreBox(MacroFile& file, int field, std::span<uint8_t> bytes,
                        std::u16string_view text) {
    if (ReadFieldText(bytes) == text) return;
    if (!StoreFieldText(bytes, text)) return;
    int number = MacroFileNumber(CurrentBookIndex, CurrentSetIndex);
    if (&host_.Shown().Books().File(number) != &file) {
        number = -1;
        for (int n = 0; n < kMacroFileCount && number < 0; ++n)
            if (&host_.Shown().Books().File(n) == &file) number = n;
        if (number < 0) return;
    }
    host_.Shown().Lossy().Stored(number, field, text);
}

void MacroTab::ShowBookAndSet(int book, int set) {
    {
        QSignalBlocker quiet(cboBook);
        cboBook->setCurrentIndex(book);
    }
    CurrentBookIndex = int16_t(book);
    CurrentSetIndex = int16_t(set);
    ShowBookNames();
    HighlightSet(set);
    ShowTitles(Book()[std::size_t(set)]);
    ShowMacro(Book()[std::size_t(set)], 0);
}

void MacroTab::ShowBookNames() {
    // Only the books whose caption changed are touched: each item change repaints and
    // re-lays the list, and an open or a switch of characters changes few of the 40.
    QFont normal = cboBook->font();
    QFont bold = normal;
    bold.setBold(true);
    const QBrush empty = palette().brush(QPalette::Disabled, QPalette::WindowText);
    for (int b = 0; b < kBookCount; ++b) {
        BookCaption now{host_.Shown().Titles().Title(b), host_.BookHasFiles(b),
                        host_.Shown().Titles().Known(b)};
        std::optional<BookCaption>& was = bookCaptions_[std::size_t(b)];
        if (was && *was == now) continue;
        const QString title = Q(now.title);
        const QString caption = title.isEmpty() ? QString::number(b + 1)
                                                : QStringLiteral("%1 %2").arg(b + 1).arg(title);
        cboBook->setItemText(b, caption);
        cboBook->setItemData(b, now.files ? bold : normal, Qt::FontRole);
        cboBook->setItemData(b, now.files ? QVariant() : QVariant(empty), Qt::ForegroundRole);
        QString tip = tr("ブック%1").arg(b + 1);
        if (!title.isEmpty()) tip += tr("「%1」").arg(title);
        tip += now.files ? tr("：マクロファイルあり") : tr("：マクロファイルなし");
        if (!now.known) tip += tr("（名前のファイルを読めません）");
        cboBook->setItemData(b, tip, Qt::ToolTipRole);
        was = std::move(now);
    }
}

void MacroTab::RenameBook(int book) {
    if (!host_.EditingAllowed() || book < 0 || book >= kBookCount) return;
    if (!host_.Shown().Titles().Known(book)) {
        const int first = TitleFileOfBook(book) * kBooksPerTitleFile + 1;
        host_.ShowMessage(U(tr("「%1」はブック名のファイルとして読めないため、ブック%2〜%"
                               "3の名前は変更できません。")
                                .arg(Q(TitleFileName(TitleFileOfBook(book))))
                                .arg(first)
                                .arg(first + kBooksPerTitleFile - 1)),
                          MsgIcon::Warning);
        return;
    }
    auto* dialog = new BookTitleDialog(book, Q(host_.Shown().Titles().Title(book)), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { SetBookTitle(dialog->Book(), U(dialog->Title())); });
    dialog->open();
}

bool MacroTab::SetBookTitle(int book, std::u16string_view title) {
    const std::u16string lost = title == host_.Shown().Titles().Title(book)
                                    ? std::u16string()
                                    : UnencodableCharacters(title);
    if (!lost.empty() &&
        host_.ShowMessage(
            U(tr("Shift_JIS にない文字「%1」は「?」として保存されます。この名前にしますか？")
                  .arg(Q(lost))),
            MsgIcon::Warning, MsgButtons::YesNo) != MsgAnswer::Yes)
        return false;
    TitleChange result;
    {
        EditHistory::Edit edit(host_.History(), tr("ブック名の変更"), EditScope{.titles = true});
        result = host_.Shown().Titles().SetTitle(book, title);
    }
    if (result == TitleChange::TooLong)
        host_.ShowMessage(U(tr("ブック名は Shift_JIS で15バイトまでです。")), MsgIcon::Warning);
    return result == TitleChange::Stored;
}

void MacroTab::efTitle_GotFocus(int index) {
    MacroFile& set = Book()[std::size_t(CurrentSetIndex)];
    StoreLines(set, CurrentMacroIndex);
    ShowMacro(set, index);
}

void MacroTab::cboBook_Click(int index) {
    if (index < 0 || index >= kBookCount) return;
    MacroFile& current = Book()[std::size_t(CurrentSetIndex)];
    StoreTitles(current);
    StoreLines(current, CurrentMacroIndex);
    CurrentBookIndex = int16_t(index);
    // A title box keeps the focus through the change (Ctrl+PageUp/PageDown): its macro is
    // the one shown, or a click into that box would not choose it.
    auto title = std::find(efTitle.begin(), efTitle.end(), QApplication::focusWidget());
    int macro = title == efTitle.end() ? 0 : int(title - efTitle.begin());
    ShowTitles(Book()[std::size_t(CurrentSetIndex)]);
    ShowMacro(Book()[std::size_t(CurrentSetIndex)], macro);
}

void MacroTab::pbSet_Click(int index) {
    MacroFile& current = CurrentFile();
    StoreTitles(current);
    StoreLines(current, CurrentMacroIndex);
    ShowSet(CurrentBookIndex, index, 0);
}

void MacroTab::ShowSet(int book, int set, int macro) {
    if (book != CurrentBookIndex) {
        QSignalBlocker quiet(cboBook);
        cboBook->setCurrentIndex(book);
        CurrentBookIndex = int16_t(book);
    }
    CurrentSetIndex = int16_t(set);  // ShowMacro moves the title's highlight
    HighlightSet(set);
    ShowTitles(CurrentFile());
    ShowMacro(CurrentFile(), macro);
}

MacroFile& MacroTab::CurrentFile() {
    return Book()[std::size_t(CurrentSetIndex)];
}

void MacroTab::pbSet_OLEDragDrop(int fromBook, int fromSet, int index, bool move) {
    host_.CopySetTo(fromBook, fromSet, host_.ShownCharacter(), CurrentBookIndex, index, move);
}

void MacroTab::cboBook_OLEDragDrop(int fromBook, int fromSet, QPoint globalPos, bool move) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("popDropBook"));
    menu->addSection((move ? tr("ブック%1 セット%2の移動先") : tr("ブック%1 セット%2のコピー先"))
                         .arg(fromBook + 1)
                         .arg(fromSet + 1));
    for (int b = 0; b < kBookCount; ++b) {
        if (b == fromBook) continue;
        const QString title = Q(host_.Shown().Titles().Title(b));
        QAction* item = menu->addAction(
            tr("ブック%1%2 セット%3")
                .arg(QString::number(b + 1), title.isEmpty() ? QString() : tr("「%1」").arg(title),
                     QString::number(fromSet + 1)));
        connect(item, &QAction::triggered, this, [this, fromBook, fromSet, b, move] {
            host_.CopySetTo(fromBook, fromSet, host_.ShownCharacter(), b, fromSet, move);
        });
    }
    menu->popup(globalPos);
}

void MacroTab::pbSet_MouseDown(int index, Qt::MouseButton button, QPoint globalPos) {
    if (button != Qt::RightButton) return;
    MenuSet = int16_t(index);
    popSetMenu->popup(globalPos);
}

// A change the player makes goes into the book at once, as one step of the history
// (typing in one box adds to the same step).
void MacroTab::efTitle_Change(int index) {
    QLineEdit* box = efTitle[std::size_t(index)];
    const QString before = std::exchange(boxText_[std::size_t(index)], box->text());
    ShowBoxMarks(box, std::nullopt, ReadFieldText(CurrentFile().Title(index)));
    if (!Filling())
        StoreTyped(index, before, CurrentFile().Title(index), {box, host_.History().CurrentSet()});
    MeasureBox(index);
    TooLongTextChanged();
}

void MacroTab::efLine_Change(int index) {
    QLineEdit* box = efLine[std::size_t(index)];
    const int number = kTitleBoxCount + index;
    const QString before = std::exchange(boxText_[std::size_t(number)], box->text());
    ShowBoxMarks(box, FieldTextLength(U(box->text())),
                 ReadFieldText(CurrentFile().Line(CurrentMacroIndex, index)));
    MeasureBox(number);
    TooLongTextChanged();
    if (Filling()) return;
    StoreTyped(number, before, CurrentFile().Line(CurrentMacroIndex, index),
               {box, host_.History().CurrentSet(), CurrentMacroIndex});
    // Lines a command changed (paste, cut) show in the preview at once; what the player
    // types shows when the box is left.
    if (box != QApplication::focusWidget()) RepaintPreview();
}

// Typing that goes on in one box is stored over the field as it was when the typing
// began, as if stored once: a character typed and taken back leaves the field's bytes
// exactly as they were, and no step.
void MacroTab::StoreTyped(int box, const QString& before, std::span<uint8_t> field,
                          const MergeKey& key) {
    EditHistory& history = host_.History();
    const bool goingOn = history.Continues(key) && typingKey_ == key;
    EditHistory::Edit edit(history, box < kTitleBoxCount ? tr("タイトルの入力") : tr("行の入力"),
                           {{key.set}});
    const QString now = boxText_[std::size_t(box)];
    edit.Merging(key).TypedInto(box, before, now);
    if (goingOn) {
        std::copy(typingBase_.begin(), typingBase_.end(), field.begin());
    } else {
        typingKey_ = key;
        typingBase_.assign(field.begin(), field.end());
    }
    if (!StoreEditedText(field, U(now))) return;
    // Remembered for the question before the save, should characters have become "?".
    const int number = box < kTitleBoxCount
                           ? box * kFieldsPerMacro
                           : CurrentMacroIndex * kFieldsPerMacro + 1 + (box - kTitleBoxCount);
    host_.Shown().Lossy().Stored(MacroFileNumber(CurrentBookIndex, CurrentSetIndex), number,
                                 U(now));
}

// What the box's field cannot hold is shown while the player types: a line longer than
// its field (not stored at all), and characters with no Shift_JIS form (stored as "?").
// lineBytes: the line's length, for a line box. A box showing its field's own text stores
// nothing, so bytes the game keeps there (which read as U+FFFD) are not marked.
void MacroTab::ShowBoxMarks(QLineEdit* box, std::optional<std::size_t> lineBytes,
                            std::u16string_view fieldText) {
    QStringList problems;
    if (lineBytes && *lineBytes > kLineCapacity) {
        problems
            << tr("%1 バイト：1行は60バイトまでです。このままでは保存されません。").arg(*lineBytes);
    }
    const std::u16string text = U(box->text());
    const std::u16string lost = text == fieldText ? std::u16string() : UnencodableCharacters(text);
    if (!lost.empty()) {
        problems << tr("Shift_JIS にない文字「%1」は「?」として保存されます。").arg(Q(lost));
    }
    if (!problems.isEmpty()) {
        box->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(255, 170, 170); }"));
        box->setToolTip(problems.join(QLatin1Char('\n')));
    } else if (!box->styleSheet().isEmpty()) {
        box->setStyleSheet(QString());
        box->setToolTip(QString());
    }
}

bool MacroTab::efTitle_KeyDown(int index, int key) {
    if (key == Qt::Key_Up && index >= 1) {
        efTitle[std::size_t(index - 1)]->setFocus(Qt::OtherFocusReason);
    } else if (key == Qt::Key_Down && index <= 18) {
        efTitle[std::size_t(index + 1)]->setFocus(Qt::OtherFocusReason);
    }
    return false;
}

bool MacroTab::efLine_KeyDown(int index, int key) {
    QLineEdit* box = efLine[std::size_t(index)];
    MacroLines lines = LineTexts();
    LineKeyResult result;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            result = SplitLineAtCaret(lines, index, CaretOf(box));
            break;
        case Qt::Key_Backspace:
            result = JoinWithLineAbove(lines, index, CaretOf(box));
            break;
        case Qt::Key_Delete:
            // The join wins only with the caret at the end and nothing selected; otherwise
            // the box deletes as usual (the Edit menu's Delete stays on the menu).
            if (box->hasSelectedText()) return false;
            result = JoinWithLineBelow(lines, index, CaretOf(box));
            break;
        case Qt::Key_Up:
            if (index >= 1) efLine[std::size_t(index - 1)]->setFocus(Qt::OtherFocusReason);
            return false;
        case Qt::Key_Down:
            if (index <= 4) efLine[std::size_t(index + 1)]->setFocus(Qt::OtherFocusReason);
            return false;
        default:
            return false;
    }
    if (!result.consumed) return false;
    const bool split = key == Qt::Key_Return || key == Qt::Key_Enter;
    EditHistory::Edit edit(host_.History(), split ? tr("行の分割") : tr("行の結合"),
                           {{host_.History().CurrentSet()}});
    for (int k = 0; k < 6; ++k) {
        QLineEdit* b = efLine[std::size_t(k)];
        if (U(b->text()) != lines[std::size_t(k)]) b->setText(Q(lines[std::size_t(k)]));
    }
    QLineEdit* target = efLine[std::size_t(result.focusLine)];
    target->setFocus(Qt::OtherFocusReason);
    target->setCursorPosition(result.caret);
    return true;
}

void MacroTab::efLine_LostFocus(int) {
    RepaintPreview();
}

void MacroTab::efMyname_Change() {
    // The own name is not macro data: a step of the history, but not an unsaved change.
    std::optional<EditHistory::Edit> edit;
    if (!Filling())
        edit.emplace(host_.History(), tr("自分の名前の入力"), EditScope{.ownName = true});
    const QString before = Q(host_.Prefs().Myname);
    host_.Prefs().Myname = U(efMyname->text());
    if (edit) edit->Merging({efMyname}).TypedInto(-1, before, efMyname->text());
}

void MacroTab::efMyname_LostFocus() {
    RepaintPreview();
}

std::array<std::u16string, 6> MacroTab::LineTexts() const {
    std::array<std::u16string, 6> lines;
    for (int k = 0; k < 6; ++k) lines[std::size_t(k)] = U(efLine[std::size_t(k)]->text());
    return lines;
}

// The unsaved mark is recomputed when a box starts or stops holding text too long for
// its field, and only then.
void MacroTab::TooLongTextChanged() {
    const bool now = HoldsTooLongText();
    if (now == holdsTooLong_) return;
    holdsTooLong_ = now;
    host_.History().BoxChanged();
}

bool MacroTab::HoldsTooLongText() const {
    return std::find(tooLong_.begin(), tooLong_.end(), true) != tooLong_.end();
}

void MacroTab::MeasureBox(int box) {
    const std::size_t limit = box < kTitleBoxCount ? kTitleFieldSize - 1 : kLineCapacity;
    tooLong_[std::size_t(box)] = Cp932Length(U(Box(box)->text())) > limit;
}

QLineEdit* MacroTab::Box(int box) const {
    if (box < kTitleBoxCount) return efTitle[std::size_t(box)];
    return efLine[std::size_t(box - kTitleBoxCount)];
}

void MacroTab::ShowBoxTexts(const std::vector<std::pair<int, QString>>& boxes) {
    const FillGuard filling(filling_);
    for (const auto& [box, text] : boxes) Box(box)->setText(text);
}

void MacroTab::ShowOwnName(const QString& name) {
    const FillGuard filling(filling_);
    efMyname->setText(name);
}

bool MacroTab::Filling() const {
    return filling_ || host_.FillingControls();
}

void MacroTab::RepaintPreview() {
    pctMacro->update();
}

void MacroTab::UsePreviewTexture(const QImage* texture) {
    static_cast<MacroPreviewBox*>(pctMacro)->SetTexture(texture);
    RepaintPreview();
}

MacroBook& MacroTab::Book() {
    return host_.Shown().Books().Book(CurrentBookIndex);
}

void MacroTab::StoreShownSet() {
    MacroFile& current = Book()[std::size_t(CurrentSetIndex)];
    StoreTitles(current);
    StoreLines(current, CurrentMacroIndex);
}

void MacroTab::RefreshIfShown(int set) {
    if (set != CurrentSetIndex) return;
    ShowTitles(Book()[std::size_t(set)]);
    ShowMacro(Book()[std::size_t(set)], CurrentMacroIndex);
}

void MacroTab::PutTextInSet(int set, std::u16string_view text) {
    const int file = MacroFileNumber(CurrentBookIndex, set);
    TextToSet(Book()[std::size_t(set)], text, [this, file](int field, std::u16string_view stored) {
        host_.Shown().Lossy().Stored(file, field, stored);
    });
    RefreshIfShown(set);
}

void MacroTab::PutBackupInSet(int set, std::span<const uint8_t> bytes) {
    const TextToSetResult result = BackupBytesToSet(Book()[std::size_t(set)], bytes);
    // The backup's bytes replace what those fields lost; nothing of theirs becomes "?".
    const int file = MacroFileNumber(CurrentBookIndex, set);
    for (int field = 0; field < result.fieldsReached; ++field)
        host_.Shown().Lossy().Stored(file, field, u"");
    RefreshIfShown(set);
}

void MacroTab::pbCheckMD5_Click() {
    std::u16string path = host_.Services().dialogs->GetOpenFileName(
        host_.Shown().CurrentFolder, U(tr("マクロファイル")), u"mcr*.dat mcr*.ttl");
    if (path.empty()) return;
    // A book title file has the same header over a shorter body.
    const bool titles = path.ends_with(u".ttl") || path.ends_with(u".TTL");
    const std::size_t size = titles ? kTitleFileSize : kMacroFileSize;
    auto data = ReadFileHead(PathFromText(path), size + (titles ? 1 : 0));
    if (!data) {
        host_.ShowMessage(U(tr("ファイルを読み込めませんでした。\r\n%1").arg(Q(path))),
                          MsgIcon::Warning);
        return;
    }
    if (titles && data->size() != size) {
        host_.ShowMessage(
            U(tr("ブック名のファイルではありません（%1 バイトではありません）。\r\n%2")
                  .arg(kTitleFileSize)
                  .arg(Q(path))),
            MsgIcon::Warning);
        return;
    }
    if (data->size() < size) {
        host_.ShowMessage(U(tr("マクロファイルではありません（%1 バイトしかありません）。\r\n%2")
                                .arg(data->size())
                                .arg(Q(path))),
                          MsgIcon::Warning);
        return;
    }
    std::span<const uint8_t> block(data->data() + kMacroBlockOffset, size - kMacroBlockOffset);
    host_.ShowMessage(Md5Hex(Md5Digest(block)), MsgIcon::None);
}

bool MacroTab::eventFilter(QObject* watched, QEvent* event) {
    auto indexIn = [watched](const auto& boxes) {
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i] == watched) return int(i);
        return -1;
    };
    switch (event->type()) {
        case QEvent::KeyPress: {
            int key = static_cast<QKeyEvent*>(event)->key();
            if (int i = indexIn(efLine); i >= 0) return efLine_KeyDown(i, key);
            if (int i = indexIn(efTitle); i >= 0) return efTitle_KeyDown(i, key);
            break;
        }
        case QEvent::FocusIn: {
            // Coming back from another window or a menu to the same box is not choosing a
            // macro; a click into another title box of an inactive window is.
            auto reason = static_cast<QFocusEvent*>(event)->reason();
            bool returning =
                reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
            if (int i = indexIn(efTitle); i >= 0 && !(returning && lastFocus_ == watched))
                efTitle_GotFocus(i);
            break;
        }
        case QEvent::FocusOut:
            if (int i = indexIn(efLine); i >= 0) efLine_LostFocus(i);
            if (watched == efMyname) efMyname_LostFocus();
            break;
        case QEvent::MouseButtonPress:
            if (int i = indexIn(pbSet); i >= 0) {
                auto* me = static_cast<QMouseEvent*>(event);
                if (me->button() == Qt::RightButton) {
                    pbSet_MouseDown(i, me->button(), me->globalPosition().toPoint());
                    return true;
                }
                pressedSet_ = me->button() == Qt::LeftButton ? i : -1;
                pressedAt_ = me->position().toPoint();
            }
            break;
        case QEvent::MouseMove:
            if (int i = indexIn(pbSet); i >= 0 && i == pressedSet_) {
                auto* me = static_cast<QMouseEvent*>(event);
                if (!(me->buttons() & Qt::LeftButton)) {
                    pressedSet_ = -1;
                    break;
                }
                if ((me->position().toPoint() - pressedAt_).manhattanLength() <
                    QApplication::startDragDistance())
                    break;
                pressedSet_ = -1;
                if (!host_.EditingAllowed()) break;
                // A drag is not a click: the button comes up without choosing its set.
                pbSet[std::size_t(i)]->setDown(false);
                StoreShownSet();
                DragSet(pbSet[std::size_t(i)],
                        DraggedSet{host_.ShownCharacter(), CurrentBookIndex, i});
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace qm
