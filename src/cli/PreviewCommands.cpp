// preview and chat: the chat log lines the window's preview would show.

#include <chrono>
#include <random>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "config/CnfRecord.h"
#include "macro/AcqNames.h"
#include "macro/Cp932.h"
#include "platform/SystemClock.h"
#include "preview/ChatInterpreter.h"
#include "preview/LogPieces.h"
#include "preview/MacroSampleSetup.h"
#include "preview/RandomSource.h"
#include "settings/ToolPreferences.h"

namespace qm::cli {

namespace {

// What the options common to both commands decide: own name, random source, clock.
struct SampleOptions {
    std::u16string name;
    SeededRandom random;
    LocalDateTime now;
};

std::optional<SampleOptions> ReadSampleOptions(const ParsedArgs& args) {
    SampleOptions options;
    // The window starts with this name in its own-name box until the player changes it.
    options.name = ToolPreferences{}.Myname;
    if (const std::string* name = args.Value("name")) options.name = Utf8ToUtf16(*name);

    if (const std::string* text = args.Value("seed")) {
        auto seed = ParseSeed(*text);
        if (!seed) {
            ArgumentError("--seed must be a whole number from 0 to 18446744073709551615, not '" +
                          *text + "'");
            return std::nullopt;
        }
        options.random.Seed(*seed);
    } else {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        options.random.Seed((uint64_t(std::random_device{}()) << 32) ^ uint64_t(tick));
    }

    if (const std::string* text = args.Value("clock")) {
        auto now = ParseClock(*text);
        if (!now) {
            ArgumentError("--clock must be a time like 2024-05-01T13:45:00, not '" + *text + "'");
            return std::nullopt;
        }
        options.now = *now;
    } else {
        options.now = SystemClock().Now();
    }
    return options;
}

}  // namespace

int RunPreview(const ParsedArgs& args) {
    auto options = ReadSampleOptions(args);
    if (!options) return kExitUsage;
    auto folder = FolderOperand(args.operands[0]);
    auto set = NumberOperand(args.operands[1], "SET", kSetCount);
    auto macro = NumberOperand(args.operands[2], "MACRO", kMacrosPerSet);
    auto book = BookOption(args);
    if (!folder || !set || !macro || !book) return kExitUsage;

    const MacroOnDisk disk = ReadMacroOnDisk(*folder, MacroFileNumber(*book, *set - 1));
    if (disk.state == MacroOnDisk::State::Unreadable) {
        Error(CannotRead(disk));
        return kExitUsage;
    }
    std::error_code cnfError;
    const CnfRecord cnf = LoadCnfIn(*folder, &cnfError);
    if (cnf.readFailed) {
        Error("cannot read the colours in '" + Shown(*folder / "cnf.dat") +
              "': " + cnfError.message());
        return kExitUsage;
    }
    const AcqNames names = ReadAcqNamesIn(*folder);

    std::vector<std::u16string> lines;
    for (int k = 0; k < kLinesPerMacro; ++k)
        lines.push_back(ReadFieldText(disk.file.Line(*macro - 1, k)));

    const auto output = RunMacroPreview(options->name, lines, names, options->random, options->now);
    for (const OutputLine& line : output) {
        const TextColor c = cnf.Color(line.colourEntry);
        const uint8_t rgb[] = {c.red, c.green, c.blue};
        Out(Hex(rgb) + "\t" + ForDisplay(LogText(line.text)) + "\n");
    }
    return FlushOut() ? kExitOk : kExitUsage;
}

// The sample starts as the preview's does without a name list (the same draws for
// position and TP, so a seed gives the same numbers as a preview of a folder without
// "acq.dat"); the options then replace what they name.
int RunChat(const ParsedArgs& args) {
    auto options = ReadSampleOptions(args);
    if (!options) return kExitUsage;
    std::optional<int16_t> tp;
    if (const std::string* text = args.Value("tp")) {
        auto value = ParseInteger(*text, -32768, 32767);
        if (!value) {
            ArgumentError("--tp must be a whole number from -32768 to 32767, not '" + *text + "'");
            return kExitUsage;
        }
        tp = int16_t(*value);
    }

    MacroSample sample = MakeMacroSample(options->name, {}, options->random);
    if (const std::string* target = args.Value("target")) sample.targetText = Utf8ToUtf16(*target);
    if (const std::string* pos = args.Value("pos")) sample.positionText = Utf8ToUtf16(*pos);
    if (tp) sample.tp = *tp;

    for (const std::string& line : args.operands) {
        PrintMacroLine(sample, Utf8ToUtf16(line), options->random, options->now);
    }
    for (const OutputLine& line : sample.output) {
        Out(std::to_string(line.colourEntry) + "\t" + ForDisplay(LogText(line.text)) + "\n");
    }
    return FlushOut() ? kExitOk : kExitUsage;
}

}  // namespace qm::cli
