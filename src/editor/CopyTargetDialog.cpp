#include "editor/CopyTargetDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Texts.h"

namespace qm {

CopyTargetDialog::CopyTargetDialog(std::vector<CopyTargetCharacter> characters, int character,
                                   int book, int set, QWidget* parent)
    : QDialog(parent), characters_(std::move(characters)) {
    setObjectName(QStringLiteral("dCopyTarget"));
    setWindowTitle(ProgramTitle());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        tr("ブック%1 セット%2 のコピー先を選んでください。").arg(book + 1).arg(set + 1), this));
    auto* form = new QFormLayout;
    character_ = new QComboBox(this);
    character_->setObjectName(QStringLiteral("cbCopyCharacter"));
    for (const CopyTargetCharacter& c : characters_) character_->addItem(c.label);
    form->addRow(tr("キャラクター"), character_);
    book_ = new QComboBox(this);
    book_->setObjectName(QStringLiteral("cbCopyBook"));
    form->addRow(tr("ブック"), book_);
    set_ = new QComboBox(this);
    set_->setObjectName(QStringLiteral("cbCopySet"));
    for (int s = 0; s < kSetCount; ++s) set_->addItem(tr("セット%1").arg(s + 1));
    set_->addItem(tr("ブック全体（10セットとブック名）"));
    form->addRow(tr("セット"), set_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("pbCopyOk"));
    buttons->button(QDialogButtonBox::Ok)->setText(tr("コピー"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    character_->setCurrentIndex(character);
    FillBooks();
    book_->setCurrentIndex(book);
    set_->setCurrentIndex(set);
    connect(character_, &QComboBox::currentIndexChanged, this, [this] {
        const int keep = book_->currentIndex();
        FillBooks();
        book_->setCurrentIndex(keep);
    });
}

void CopyTargetDialog::FillBooks() {
    book_->clear();
    const int c = character_->currentIndex();
    for (int b = 0; b < kBookCount; ++b) {
        const QString title =
            c >= 0 ? characters_[std::size_t(c)].bookTitles[std::size_t(b)] : QString();
        book_->addItem(title.isEmpty() ? tr("ブック%1").arg(b + 1)
                                       : tr("ブック%1: %2").arg(b + 1).arg(title));
    }
}

int CopyTargetDialog::Character() const {
    return character_->currentIndex();
}

int CopyTargetDialog::Book() const {
    return book_->currentIndex();
}

int CopyTargetDialog::Set() const {
    const int s = set_->currentIndex();
    return s >= kSetCount ? -1 : s;
}

}  // namespace qm
