#include "platform/linux/QtSoundPlayer.h"

#include <QUrl>

namespace qm {

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
