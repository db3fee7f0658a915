#pragma once
// A display adapter for tests: any modes, formats included, a chosen vertex shader
// version and desktop size.

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Interfaces.h"

namespace qm {

class FakeDisplayProbe : public IDisplayProbe {
  public:
    bool Available() override { return available; }
    std::vector<DisplayMode> Modes() override;
    std::optional<uint32_t> VertexShaderVersion() override { return vertexShaderVersion; }
    // Answers at once, unless deferAnswer: then the question waits in `pending` until the
    // test calls Answer() (or never, as a probe that hangs).
    void AskVertexShaderVersion(std::function<void(std::optional<uint32_t>)> done) override;
    void Answer();
    std::optional<std::pair<int, int>> DesktopSize() override { return desktopSize; }

    // Adds one mode per refresh rate, as an adapter lists them.
    void AddMode(int width, int height, int format, int refreshRates = 1);

    bool available = true;
    std::vector<DisplayMode> modes;
    std::optional<uint32_t> vertexShaderVersion;
    std::optional<std::pair<int, int>> desktopSize;
    int modeQueries = 0;
    bool deferAnswer = false;
    std::vector<std::function<void(std::optional<uint32_t>)>> pending;
    int vertexShaderQuestions = 0;
};

}  // namespace qm
