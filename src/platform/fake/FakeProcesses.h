#pragma once
// Other programs' windows and process starts, for tests: a launcher that runs or not,
// and a record of every start asked for.

#include <string>
#include <vector>

#include "platform/Interfaces.h"

namespace qm {

class FakeProcesses : public IWindowsAndProcesses {
  public:
    bool ActivateLauncherWindow() override {
        if (launcherRunning) ++activations;
        return launcherRunning;
    }
    bool StartProcess(std::u16string_view path, Reason* error) override {
        started.emplace_back(path);
        if (startFails && error) *error = startFails;
        return !startFails;
    }

    bool IsGameRunning() override {
        ++gameQueries;
        return gameRunning;
    }

    bool launcherRunning = false;
    bool gameRunning = false;
    int gameQueries = 0;
    int activations = 0;
    std::vector<std::u16string> started;
    Reason startFails;  // when set, starts fail with this reason
};

}  // namespace qm
