#pragma once
// Turns one macro line into the chat log line the game would show for it: placeholders
// are filled in, the chat command at the start is recognised, and at most one coloured
// line is appended to the sample.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "QuillmorVersion.h"

namespace qm {

class IRandom;
struct LocalDateTime;

// The channel a line without a command is sent on. Stored as a 16-bit value, so a
// sample may hold a number outside the named ones; such a mode sends nothing.
enum class ChatMode : int16_t { Say = 0, Shout = 1, Tell = 2, Party = 3, LinkShell = 4, Emote = 5 };

// Colour entries of the text colour table that the chat log uses.
namespace chat_colour {
inline constexpr int kSay = 0;
inline constexpr int kShout = 1;
inline constexpr int kTell = 2;
inline constexpr int kParty = 3;
inline constexpr int kLinkShell = 4;
inline constexpr int kEmote = 5;
inline constexpr int kMessage = 6;
inline constexpr int kBattle = 20;
inline constexpr int kCallForHelp = 21;
inline constexpr int kSystem = 22;
}  // namespace chat_colour

// One produced log line: the text and the index of its entry in the colour table.
struct OutputLine {
    int colourEntry = 0;
    std::u16string text;
    bool operator==(const OutputLine&) const = default;
};

// The state of one preview pass over the six lines of a macro.
struct MacroSample {
    std::vector<OutputLine> output;
    std::u16string ownName;
    ChatMode chatMode = ChatMode::Say;
    std::u16string tellTarget;
    std::u16string targetText;    // replaces "<t>"
    std::u16string positionText;  // replaces "<pos>", e.g. "(C-7)"
    int16_t tp = 0;               // replaces "<tp>" as "150%"
};

// The version "/ver" reports.
inline constexpr std::u16string_view kToolVersion = kProgramVersion16;

// Interprets one line against the sample. Draws from random only for the commands that
// invent a number, one draw each; now is what "/clock" shows.
void PrintMacroLine(MacroSample& sample, std::u16string_view line, IRandom& random,
                    const LocalDateTime& now);

// The line with "<t>", "<pos>", "<tp>" and "<me>" filled in from the sample. Only the
// placeholders written in the line are replaced; inserted text is never searched again.
std::u16string SubstitutePlaceholders(const MacroSample& sample, std::u16string_view line);

}  // namespace qm
