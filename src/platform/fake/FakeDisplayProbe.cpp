#include "platform/fake/FakeDisplayProbe.h"

namespace qm {

std::vector<DisplayMode> FakeDisplayProbe::Modes() {
    ++modeQueries;
    return modes;
}

void FakeDisplayProbe::AskVertexShaderVersion(std::function<void(std::optional<uint32_t>)> done) {
    ++vertexShaderQuestions;
    if (deferAnswer)
        pending.push_back(std::move(done));
    else
        done(vertexShaderVersion);
}

void FakeDisplayProbe::Answer() {
    auto waiting = std::move(pending);
    pending.clear();
    for (auto& done : waiting) done(vertexShaderVersion);
}

void FakeDisplayProbe::AddMode(int width, int height, int format, int refreshRates) {
    int bits = 32;
    if (format == 20)
        bits = 24;
    else if (format == 23 || format == 24 || format == 30)
        bits = 16;
    for (int i = 0; i < refreshRates; ++i) modes.push_back({width, height, bits, format});
}

}  // namespace qm
