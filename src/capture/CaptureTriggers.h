#pragma once
// When screenshots are taken: the capture mode chosen on the screenshot tab, the capture
// key polled every 100 ms, and continuous capture counted in 1000 ms ticks. The window
// runs the two timers while CaptureTimerOn() / KeyTimerOn() say so and forwards their ticks.

#include <cstdint>
#include <functional>

#include "capture/CaptureEngine.h"
#include "platform/ImageWriter.h"
#include "platform/Interfaces.h"

namespace qm {

struct ToolPreferences;

struct CaptureServices {
    IKeyState* keys = nullptr;
    IClock* clock = nullptr;
    IScreenGrabber* screen = nullptr;
    IImageWriter* images = nullptr;
    ISoundPlayer* sound = nullptr;
};

class CaptureTriggers {
  public:
    static constexpr int kCapturePeriodMs = 1000;
    static constexpr int kKeyPollPeriodMs = 100;

    // prefs is read at every shot and must outlive this object.
    CaptureTriggers(ToolPreferences& prefs, CaptureServices services);

    // An option button was chosen: 0 none, 1 one shot per key press, 2 continuous capture
    // started and stopped by the key. Leaving mode 2 stops continuous capture silently;
    // choosing 2 neither starts nor stops it. Other values change nothing.
    void SelectMode(int option);

    // One tick of the continuous-capture timer: a shot once the interval is reached.
    void CaptureTick();

    // One poll of the capture key. A press gives one shot (and in mode 2 starts or stops
    // continuous capture with its sound); the key is then ignored until a poll sees it up,
    // so holding it gives one shot, and the window is never kept busy waiting.
    void KeyTick();

    bool CaptureTimerOn() const { return captureTimerOn_; }
    bool KeyTimerOn() const { return keyTimerOn_; }
    bool IntervalEnabled() const { return intervalEnabled_; }
    int64_t ElapsedMs() const { return elapsedMs_; }

    // Told after every shot, so the window can show a failed one.
    std::function<void(const ShotResult&)> onShot;
    // Told whenever CaptureTimerOn() or KeyTimerOn() changes.
    std::function<void()> onTimersChanged;

  private:
    void Shoot();
    void Play(const std::u16string& path);
    void SetTimers(bool capture, bool key);

    ToolPreferences& prefs_;
    CaptureServices services_;
    bool captureTimerOn_ = false;
    bool keyTimerOn_ = false;
    bool intervalEnabled_ = false;
    int64_t elapsedMs_ = 0;
    int heldKey_ = 0;  // the key of the last shot until a poll sees it released; 0: none
};

}  // namespace qm
