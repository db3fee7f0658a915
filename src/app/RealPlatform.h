#pragma once
// The real platform services of this machine, owned for the whole run.

#include <memory>

#include "platform/Platform.h"

class QWidget;

namespace qm {

class RealPlatform {
  public:
    RealPlatform();
    ~RealPlatform();
    // Dialogs and message boxes belong to the main window.
    void SetOwner(QWidget* window);

    Platform platform;

  private:
    struct Backends;
    std::unique_ptr<Backends> backends_;
};

}  // namespace qm
