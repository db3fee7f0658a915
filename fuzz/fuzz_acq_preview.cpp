// "acq.dat" and the preview sample drawn from it: one entry per whole 16 bytes after the
// header plus one, each holding the file's bytes; the same seed gives the same lines.

#include <algorithm>

#include "FuzzCheck.h"
#include "FuzzFolder.h"
#include "macro/AcqNames.h"
#include "macro/MacroFile.h"
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
    const std::size_t fileSize = input.Byte() * 8u;
    const auto file = input.Take(fileSize);
    const auto& folder = fuzz::Folder();
    fuzz::WriteFile(folder / "acq.dat", file);

    const AcqNames names = ReadAcqNamesIn(folder);
    const std::size_t whole = file.size() > 24 ? (file.size() - 24) / 16 : 0;
    Check(names.size() == whole + 1, "one entry more than the whole entries");
    for (std::size_t k = 0; k < names.size(); ++k) {
        for (std::size_t i = 0; i < 16; ++i) {
            const std::size_t at = 24 + 16 * k + i;
            Check(names[k][i] == (at < file.size() ? file[at] : 0),
                  "entries hold the file's bytes");
        }
    }

    // Six macro lines from the rest, split at line feeds.
    std::vector<std::u16string> lines(kLinesPerMacro);
    const auto rest = input.Rest();
    std::size_t line = 0;
    std::string current;
    for (uint8_t b : rest) {
        if (b == '\n') {
            lines[line] = Utf8ToUtf16(current);
            current.clear();
            if (++line == lines.size()) break;
        } else {
            current.push_back(char(b));
        }
    }
    if (line < lines.size()) lines[line] = Utf8ToUtf16(current);

    const LocalDateTime now{2024, 5, 1, 13, 45, 0};
    SeededRandom a(seed), b(seed);
    const auto first = RunMacroPreview(u"Myname", lines, names, a, now);
    const auto second = RunMacroPreview(u"Myname", lines, names, b, now);
    Check(first == second, "the same seed gives the same lines");
    Check(first.size() <= lines.size(), "at most one log line per macro line");
    return 0;
}
