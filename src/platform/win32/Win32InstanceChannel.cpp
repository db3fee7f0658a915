#ifdef _WIN32

#include "platform/win32/Win32InstanceChannel.h"

#include <QWinEventNotifier>

namespace qm {

bool Win32InstanceChannel::AnotherCopyRunning(std::function<void()> onActivate) {
    if (lock_.AnotherCopyRunning()) return true;
    onActivate_ = std::move(onActivate);
    if (!notifier_ && lock_.ActivationEvent()) {
        notifier_ = new QWinEventNotifier(lock_.ActivationEvent(), this);
        connect(notifier_, &QWinEventNotifier::activated, this, [this] {
            if (onActivate_) onActivate_();
        });
    }
    return false;
}

}  // namespace qm

#endif  // _WIN32
