#include "preview/MacroSampleSetup.h"

#include <algorithm>

#include "macro/Cp932.h"
#include "platform/Interfaces.h"
#include "preview/RandomSource.h"

namespace qm {

namespace {

// The name of entry k, or empty when its bytes are not valid CP932.
std::u16string DecodeName(const AcqEntry& entry) {
    const auto end = std::find(entry.begin(), entry.end(), uint8_t{0});
    std::u16string name = Cp932Decode(std::span<const uint8_t>(entry.begin(), end));
    if (name.find(u'\uFFFD') != std::u16string::npos) return {};
    return name;
}

std::u16string Decimal(int value) {
    std::u16string text;
    for (char c : std::to_string(value)) text += static_cast<char16_t>(c);
    return text;
}

}  // namespace

MacroSample MakeMacroSample(std::u16string_view ownName, std::span<const AcqEntry> acqNames,
                            IRandom& random) {
    MacroSample sample;
    sample.ownName = std::u16string(ownName);
    if (!acqNames.empty()) {
        // The list ends with one incomplete entry read past the last whole one, so the
        // pick runs over the entries before it.
        const int highest = static_cast<int>(acqNames.size()) - 1;
        const int k = RandomBelow(random, highest);
        sample.targetText = DecodeName(acqNames[static_cast<std::size_t>(k)]);
    }
    const int column = RandomBelow(random, 10);
    const int row = RandomBelow(random, 10) + 1;
    sample.positionText = u"(";
    sample.positionText += static_cast<char16_t>(u'A' + column);
    sample.positionText += u"-" + Decimal(row) + u")";
    sample.tp = static_cast<int16_t>(RandomBelow(random, 301));
    return sample;
}

std::vector<OutputLine> RunMacroPreview(std::u16string_view ownName,
                                        std::span<const std::u16string> lines,
                                        std::span<const AcqEntry> acqNames, IRandom& random,
                                        const LocalDateTime& now) {
    MacroSample sample = MakeMacroSample(ownName, acqNames, random);
    for (const auto& line : lines) PrintMacroLine(sample, line, random, now);
    return std::move(sample.output);
}

int WindowTextureNumber(int32_t backgroundValue) {
    return backgroundValue >= 0 && backgroundValue <= 7 ? 101 + backgroundValue : 101;
}

}  // namespace qm
