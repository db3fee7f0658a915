// The chat line interpreter over six lines: the same seed gives the same log lines, and
// each macro line adds at most one.

#include "FuzzCheck.h"
#include "platform/Interfaces.h"
#include "preview/ChatInterpreter.h"
#include "preview/MacroSampleSetup.h"
#include "preview/RandomSource.h"
#include "storage/Utf.h"

using namespace qm;
using qm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const uint8_t seed = input.Byte();
    const auto rest = input.Rest();
    std::vector<std::u16string> lines;
    std::string current;
    for (uint8_t b : rest) {
        if (b != '\n') {
            current.push_back(char(b));
            continue;
        }
        lines.push_back(Utf8ToUtf16(current));
        current.clear();
        if (lines.size() == 6) break;
    }
    if (lines.size() < 6) lines.push_back(Utf8ToUtf16(current));

    const LocalDateTime now{2030, 1, 2, 3, 4, 5};
    SeededRandom a(seed), b(seed);
    MacroSample first = MakeMacroSample(u"Taro", {}, a);
    MacroSample second = MakeMacroSample(u"Taro", {}, b);
    for (const auto& line : lines) {
        const std::size_t before = first.output.size();
        PrintMacroLine(first, line, a, now);
        Check(first.output.size() <= before + 1, "one macro line adds at most one log line");
        PrintMacroLine(second, line, b, now);
    }
    Check(first.output == second.output, "the same seed gives the same lines");
    return 0;
}
