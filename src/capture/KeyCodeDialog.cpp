#include "capture/KeyCodeDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

#include "platform/Interfaces.h"

namespace qm {

dCheckKeyCode::dCheckKeyCode(IKeyState* keys) : QDialog(nullptr), keys_(keys) {
    setObjectName(QStringLiteral("dCheckKeyCode"));
    setWindowTitle(tr("コードを調べる"));
    setModal(false);

    auto* caption = new QLabel(tr("現在押されたキー："), this);
    stCaptured = new QLabel(this);
    stCaptured->setObjectName(QStringLiteral("stCaptured"));
    stCaptured->setMinimumWidth(48);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 16, 20, 16);
    row->addWidget(caption);
    row->addWidget(stCaptured, 1);
    setFixedSize(260, 64);

    tCheckKeyCode = new QTimer(this);
    tCheckKeyCode->setObjectName(QStringLiteral("tCheckKeyCode"));
    tCheckKeyCode->setInterval(100);
    connect(tCheckKeyCode, &QTimer::timeout, this, [this] { tCheckKeyCode_Timer(); });
}

void dCheckKeyCode::ShowOrRaise() {
    if (!isVisible()) stCaptured->clear();  // each opening starts empty
    show();
    raise();
    activateWindow();
}

void dCheckKeyCode::tCheckKeyCode_Timer() {
    if (keys_ == nullptr) return;
    for (int code = 0; code <= kHighestCode; ++code) {
        if (keys_->GetAsyncKeyState(code) != 0) stCaptured->setText(QString::number(code));
    }
}

void dCheckKeyCode::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    tCheckKeyCode->start();
}

void dCheckKeyCode::hideEvent(QHideEvent* event) {
    tCheckKeyCode->stop();
    QDialog::hideEvent(event);
}

}  // namespace qm
