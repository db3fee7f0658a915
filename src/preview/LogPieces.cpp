#include "preview/LogPieces.h"

#include "macro/FieldText.h"

namespace qm {

std::vector<LogPiece> LogPieces(std::u16string_view line) {
    std::vector<LogPiece> pieces;
    auto text = [&pieces](std::u16string_view t) {
        if (t.empty()) return;
        if (!pieces.empty() && pieces.back().kind == LogPieceKind::Text)
            pieces.back().text += t;
        else
            pieces.push_back({LogPieceKind::Text, std::u16string(t)});
    };
    std::size_t run = 0;
    for (const FieldToken& token : FindFieldTokens(line)) {
        text(line.substr(run, token.begin - run));
        if (token.kind == FieldTokenKind::Phrase) {
            pieces.push_back({LogPieceKind::PhraseOpen, u"{"});
            text(PhraseLabel(token));
            pieces.push_back({LogPieceKind::PhraseClose, u"}"});
        } else {
            text(line.substr(token.begin, token.end - token.begin));
        }
        run = token.end;
    }
    text(line.substr(run));
    return pieces;
}

std::u16string LogText(std::u16string_view line) {
    std::u16string joined;
    for (const LogPiece& piece : LogPieces(line)) joined += piece.text;
    return joined;
}

}  // namespace qm
