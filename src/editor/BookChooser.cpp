#include "editor/BookChooser.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStylePainter>
#include <algorithm>
#include <utility>

namespace qm {

BookChooser::BookChooser(QWidget* parent) : QComboBox(parent) {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("popBookMenu"));
    QAction* rename = menu_->addAction(tr("ブック名を変更..."));
    rename->setObjectName(QStringLiteral("popBookRename"));
    connect(rename, &QAction::triggered, this, [this] { emit RenameRequested(menuBook_); });
    view()->viewport()->installEventFilter(this);
}

void BookChooser::showPopup() {
    opened_.start();
    // The list may be wider than the chooser, which shows as much of the name as fits;
    // measured here, when it opens, rather than at each change of a caption.
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        const QVariant font = itemData(i, Qt::FontRole);
        const QFontMetrics metrics(font.isValid() ? font.value<QFont>() : this->font());
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    }
    view()->setMinimumWidth(widest + 24);
    QComboBox::showPopup();
}

void BookChooser::OfferRename(int book, QPoint globalPos) {
    if (!isEnabled() || book < 0) return;
    menuBook_ = book;
    menu_->popup(globalPos);
}

void BookChooser::contextMenuEvent(QContextMenuEvent* event) {
    OfferRename(currentIndex(), event->globalPos());
    event->accept();
}

void BookChooser::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QComboBox::mouseDoubleClickEvent(event);
    hidePopup();
    emit RenameRequested(currentIndex());
}

// A long name ends in "…" rather than being cut off inside a character.
void BookChooser::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect text =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, text.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

bool BookChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view()->viewport()) return QComboBox::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::RightButton) {
                const int book = view()->indexAt(me->position().toPoint()).row();
                hidePopup();
                OfferRename(book, me->globalPosition().toPoint());
                return true;
            }
            if (me->button() == Qt::LeftButton && opened_.isValid() &&
                opened_.elapsed() < QApplication::doubleClickInterval()) {
                opened_.invalidate();
                swallowRelease_ = true;
                hidePopup();
                emit RenameRequested(currentIndex());
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            if (std::exchange(swallowRelease_, false)) return true;
            break;
        default:
            break;
    }
    return QComboBox::eventFilter(watched, event);
}

}  // namespace qm
