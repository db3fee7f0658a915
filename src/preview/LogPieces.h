#pragma once
// How the game's log shows the tokens of a line: an auto-translate phrase between a
// green "{" and a red "}", bytes that are no text as their visible form.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class LogPieceKind { Text, PhraseOpen, PhraseClose };

struct LogPiece {
    LogPieceKind kind = LogPieceKind::Text;
    std::u16string text;
    bool operator==(const LogPiece&) const = default;
};

// The line cut into runs of text and the braces around each phrase; the program does not
// have the game's phrase dictionary, so a phrase shows its label.
std::vector<LogPiece> LogPieces(std::u16string_view line);

// The pieces joined into one text, braces included (the command line's preview).
std::u16string LogText(std::u16string_view line);

}  // namespace qm
