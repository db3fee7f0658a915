#include "platform/linux/LazySoundPlayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace qm {

LazySoundPlayer::LazySoundPlayer(QString module)
    : module_(module.isEmpty() ? DefaultModulePath() : std::move(module)) {}

LazySoundPlayer::~LazySoundPlayer() = default;  // the module stays loaded to the end

QString LazySoundPlayer::DefaultModulePath() {
    // Beside the program in a build folder; in an installation, where CMake installs
    // it relative to the program's folder.
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + QStringLiteral("/libquillmor_sound.so");
    if (QFileInfo::exists(beside)) return beside;
    return dir + QStringLiteral("/" QUILLMOR_SOUND_MODULE_FROM_BIN "/libquillmor_sound.so");
}

ISoundPlayer* LazySoundPlayer::Player() {
    if (tried_) return player_.get();
    tried_ = true;
    QLibrary library(module_);
    using Create = ISoundPlayer* (*)();
    if (auto create = reinterpret_cast<Create>(library.resolve("QuillmorCreateSoundPlayer")))
        player_.reset(create());
    else
        qWarning("quillmor: no sounds: %s", qPrintable(library.errorString()));
    return player_.get();
}

void LazySoundPlayer::Stop() {
    if (player_) player_->Stop();
}

void LazySoundPlayer::PlayAsync(std::u16string_view path) {
    if (ISoundPlayer* player = Player()) player->PlayAsync(path);
}

}  // namespace qm
