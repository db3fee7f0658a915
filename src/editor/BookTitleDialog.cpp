#include "editor/BookTitleDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Texts.h"
#include "editor/LostCharacters.h"
#include "editor/MacroTab.h"
#include "macro/BookTitles.h"
#include "platform/QtText.h"

namespace qm {

BookTitleDialog::BookTitleDialog(int book, const QString& title, QWidget* parent)
    : QDialog(parent), book_(book), original_(title) {
    setObjectName(QStringLiteral("dBookTitle"));
    setWindowTitle(ProgramTitle());
    auto* layout = new QVBoxLayout(this);
    auto* label =
        new QLabel(tr("ブック%1 の名前（全角7文字、半角15文字まで）").arg(book + 1), this);
    layout->addWidget(label);
    box_ = new QLineEdit(title, this);
    box_->setObjectName(QStringLiteral("efBookTitle"));
    box_->setValidator(new Cp932ByteValidator(int(kBookTitleCapacity), box_));
    box_->setMinimumWidth(220);
    box_->selectAll();
    label->setBuddy(box_);
    layout->addWidget(box_);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("stBookTitleNote"));
    note_->setWordWrap(true);
    note_->hide();
    layout->addWidget(note_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("pbBookTitleOk"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(box_, &QLineEdit::textChanged, this, [this] { ShowMarks(); });
}

QString BookTitleDialog::Title() const {
    return box_->text();
}

// As in the title boxes: characters with no Shift_JIS form are pointed out; the text the
// book had is not, so that bytes the game keeps there are not taken for the player's.
void BookTitleDialog::ShowMarks() {
    const QString text = box_->text();
    const std::u16string lost =
        text == original_ ? std::u16string() : UnencodableCharacters(U(text));
    if (lost.empty()) {
        box_->setStyleSheet(QString());
        box_->setToolTip(QString());
        note_->hide();
        return;
    }
    const QString problem =
        tr("Shift_JIS にない文字「%1」は「?」として保存されます。").arg(Q(lost));
    box_->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(255, 170, 170); }"));
    box_->setToolTip(problem);
    note_->setText(problem);
    note_->show();
}

}  // namespace qm
