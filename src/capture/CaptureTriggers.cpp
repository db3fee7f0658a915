#include "capture/CaptureTriggers.h"

#include "capture/CaptureSettings.h"
#include "capture/CaptureSounds.h"
#include "settings/ToolPreferences.h"

namespace qm {

CaptureTriggers::CaptureTriggers(ToolPreferences& prefs, CaptureServices services)
    : prefs_(prefs), services_(services) {}

void CaptureTriggers::SelectMode(int option) {
    switch (option) {
        case 0:
            prefs_.CaptureMode = 0;
            intervalEnabled_ = false;
            SetTimers(false, false);
            break;
        case 1:
            prefs_.CaptureMode = 1;
            intervalEnabled_ = false;
            SetTimers(false, true);
            break;
        case 2:
            prefs_.CaptureMode = 2;
            intervalEnabled_ = true;
            SetTimers(captureTimerOn_, true);
            break;
        default:
            break;
    }
}

void CaptureTriggers::CaptureTick() {
    if (!captureTimerOn_) return;
    elapsedMs_ += kCapturePeriodMs;
    if (elapsedMs_ >= prefs_.CaptureInterval) {
        Shoot();
        elapsedMs_ = 0;
    }
}

void CaptureTriggers::KeyTick() {
    if (!keyTimerOn_ || services_.keys == nullptr) return;
    const int key = prefs_.CaptureKeyCode;
    if (key < 1 || key > kMaxCaptureKeyCode) return;
    if (heldKey_ != key) heldKey_ = 0;  // the key was changed while the old one was held

    const bool pressed = services_.keys->GetAsyncKeyState(key) != 0;
    if (heldKey_ != 0) {
        if (!pressed) heldKey_ = 0;
        return;
    }
    if (!pressed) return;

    Shoot();
    if (prefs_.CaptureMode == 2) {
        elapsedMs_ = 0;
        Play(captureTimerOn_ ? prefs_.CaptureStopSE : prefs_.CaptureStartSE);
        SetTimers(!captureTimerOn_, keyTimerOn_);
    } else {
        Play(prefs_.CaptureStartSE);
    }
    heldKey_ = key;
}

void CaptureTriggers::Shoot() {
    if (services_.screen == nullptr || services_.images == nullptr) return;
    const LocalDateTime now = services_.clock ? services_.clock->Now() : LocalDateTime{};
    const ShotResult result =
        TakeScreenshot(CaptureBasePath(prefs_, now), prefs_, *services_.screen, *services_.images);
    if (onShot) onShot(result);
}

void CaptureTriggers::Play(const std::u16string& path) {
    if (services_.sound != nullptr) PlaySoundFile(path, *services_.sound);
}

void CaptureTriggers::SetTimers(bool capture, bool key) {
    if (!key) heldKey_ = 0;
    if (capture == captureTimerOn_ && key == keyTimerOn_) return;
    captureTimerOn_ = capture;
    keyTimerOn_ = key;
    if (onTimersChanged) onTimersChanged();
}

}  // namespace qm
