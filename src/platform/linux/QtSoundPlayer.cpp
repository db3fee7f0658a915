#include "platform/linux/QtSoundPlayer.h"

#include <QEventLoop>
#include <QTimer>
#include <QUrl>

namespace qm {

namespace {
constexpr int kLoadWaitMs = 3000;
}

// Qt reads a sound on a loader thread of its own. A program that ends while that thread
// is starting a load crashes in the exit handlers, which tear down what the thread is
// using; so the player is not gone until the load has ended (or a few seconds passed).
QtSoundPlayer::~QtSoundPlayer() {
    if (effect_.status() != QSoundEffect::Loading) return;
    QEventLoop loop;
    QObject::connect(&effect_, &QSoundEffect::statusChanged, &loop, [this, &loop] {
        if (effect_.status() != QSoundEffect::Loading) loop.quit();
    });
    QTimer::singleShot(kLoadWaitMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void QtSoundPlayer::Stop() {
    effect_.stop();
}

void QtSoundPlayer::PlayAsync(std::u16string_view path) {
    const QUrl url = QUrl::fromLocalFile(QString::fromStdU16String(std::u16string(path)));
    if (effect_.source() != url) {
        effect_.setSource(url);  // loads in the background; play() waits for it
    }
    effect_.play();
}

}  // namespace qm

extern "C" Q_DECL_EXPORT qm::ISoundPlayer* QuillmorCreateSoundPlayer() {
    return new qm::QtSoundPlayer;
}
