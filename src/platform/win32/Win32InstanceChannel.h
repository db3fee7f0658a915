#pragma once
// The single-instance guard of the window on Windows: Win32InstanceLock, with the
// activation event watched by the toolkit's event loop.
#ifdef _WIN32

#include <QObject>

#include "platform/Interfaces.h"
#include "platform/win32/Win32InstanceLock.h"

class QWinEventNotifier;

namespace qm {

class Win32InstanceChannel : public QObject, public IInstanceChannel {
    Q_OBJECT
  public:
    explicit Win32InstanceChannel(QObject* parent = nullptr) : QObject(parent) {}
    bool AnotherCopyRunning(std::function<void()> onActivate) override;
    void ActivateOtherCopy() override { lock_.ActivateOtherCopy(); }

  private:
    Win32InstanceLock lock_;
    QWinEventNotifier* notifier_ = nullptr;
    std::function<void()> onActivate_;
};

}  // namespace qm

#endif  // _WIN32
