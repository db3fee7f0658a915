#include "preview/ChatInterpreter.h"

#include <array>
#include <initializer_list>

#include "app/TraceLog.h"
#include "platform/Interfaces.h"
#include "preview/RandomSource.h"

namespace qm {

namespace {

constexpr auto npos = std::u16string_view::npos;

std::u16string Decimal(long long value) {
    std::u16string text;
    const bool negative = value < 0;
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value)
                                            : static_cast<unsigned long long>(value);
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) text.insert(text.begin(), u'-');
    return text;
}

bool IsOneOf(std::u16string_view word, std::initializer_list<std::u16string_view> words) {
    for (auto w : words) {
        if (word == w) return true;
    }
    return false;
}

struct ModeWords {
    ChatMode mode;
    std::array<std::u16string_view, 4> words;
};

constexpr std::array<ModeWords, 6> kModeWords{{
    {ChatMode::Say, {u"/say", u"/s", u"say", u"s"}},
    {ChatMode::Shout, {u"/shout", u"/sh", u"shout", u"sh"}},
    {ChatMode::Tell, {u"/tell", u"/t", u"tell", u"t"}},
    {ChatMode::Party, {u"/party", u"/p", u"party", u"p"}},
    {ChatMode::LinkShell, {u"/linkshell", u"/l", u"linkshell", u"l"}},
    {ChatMode::Emote, {u"/emote", u"/em", u"emote", u"em"}},
}};

const ModeWords* FindModeWord(std::u16string_view r) {
    for (const auto& row : kModeWords) {
        for (auto w : row.words) {
            if (r == w) return &row;
        }
    }
    return nullptr;
}

// The length of a call sound token ("<call0>" to "<call21>") at the start of text, or 0.
// The game plays the sound and shows nothing for it.
std::size_t CallTokenLength(std::u16string_view text) {
    constexpr std::u16string_view kOpen = u"<call";
    if (!text.starts_with(kOpen)) return 0;
    std::size_t i = kOpen.size();
    int number = 0;
    const std::size_t digits = i;
    while (i < text.size() && i - digits < 2 && text[i] >= u'0' && text[i] <= u'9')
        number = number * 10 + (text[i++] - u'0');
    const std::size_t count = i - digits;
    if (count == 0 || (count == 2 && text[digits] == u'0')) return 0;
    if (i >= text.size() || text[i] != u'>' || number > 21) return 0;
    return i + 1;
}

// A spell or ability name as typed: one pair of double quotes around it is not part of
// the name, and inside them the name may hold spaces.
struct ActionName {
    std::u16string_view name;
    bool found = false;  // a second space follows the name
};
ActionName ActionNameAfter(std::u16string_view line, std::size_t space) {
    if (space == npos) return {};
    const std::u16string_view rest = line.substr(space + 1);
    if (rest.starts_with(u'"')) {
        // A quoted name ends at its closing quote, and a space must follow it.
        const std::size_t close = rest.find(u'"', 1);
        if (close != npos) {
            if (close + 1 < rest.size() && rest[close + 1] == u' ')
                return {rest.substr(1, close - 1), true};
            if (close + 1 == rest.size()) return {};
        }
    }
    const std::size_t second = rest.find(u' ');
    if (second == npos) return {};
    std::u16string_view name = rest.substr(0, second);
    if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"')
        name = name.substr(1, name.size() - 2);
    return {name, true};
}

void Emit(MacroSample& sample, int entry, std::u16string text) {
    sample.output.push_back(OutputLine{entry, std::move(text)});
}

void ChatModeCommand(MacroSample& sample, std::u16string_view line, std::size_t space) {
    if (space == npos) {
        std::u16string report;
        switch (sample.chatMode) {
            case ChatMode::Say:
                report = u"/say";
                break;
            case ChatMode::Shout:
                report = u"/shout";
                break;
            case ChatMode::Tell:
                report = u"/tell " + sample.tellTarget;
                break;
            case ChatMode::Party:
                report = u"/party";
                break;
            case ChatMode::LinkShell:
                report = u"/linkshell";
                break;
            case ChatMode::Emote:
                report = u"/emote";
                break;
            default:
                return;  // a mode without a name has nothing to report
        }
        Emit(sample, chat_colour::kMessage, std::move(report));
        return;
    }
    const std::u16string_view r = line.substr(space + 1);
    if (const ModeWords* row = FindModeWord(r)) {
        sample.chatMode = row->mode;
        return;
    }
    const std::size_t inner = r.find(u' ');
    if (inner == npos) return;
    const ModeWords* row = FindModeWord(r.substr(0, inner));
    if (row != nullptr && row->mode == ChatMode::Tell) {
        sample.chatMode = ChatMode::Tell;
        sample.tellTarget = std::u16string(r.substr(inner + 1));
    }
}

void RunCommand(MacroSample& sample, std::u16string_view line, IRandom& random,
                const LocalDateTime& now) {
    const std::size_t space = line.find(u' ');
    const std::u16string_view word = space == npos ? line : line.substr(0, space);
    // A bare command word has no message; the message starts after the first space.
    const std::u16string_view message =
        space == npos ? std::u16string_view{} : line.substr(space + 1);
    const bool hasMessage = !message.empty();
    const std::u16string& name = sample.ownName;

    // The word and tail of tell, magic and ability commands: the text between the first
    // and second space, and what follows the second.
    std::u16string_view w, tail;
    bool hasSecondSpace = false;
    if (space != npos) {
        const std::size_t second = line.find(u' ', space + 1);
        if (second != npos) {
            hasSecondSpace = true;
            w = line.substr(space + 1, second - space - 1);
            tail = line.substr(second + 1);
        }
    }

    using namespace chat_colour;
    if (IsOneOf(word, {u"/s", u"/say"})) {
        if (hasMessage) Emit(sample, kSay, name + u" : " + std::u16string(message));
    } else if (IsOneOf(word, {u"/sh", u"/shout"})) {
        if (hasMessage) {
            Emit(sample, kShout, name + u" : " + std::u16string(message));
            // Shout mode lasts for one line only.
            if (sample.chatMode == ChatMode::Shout) sample.chatMode = ChatMode::Say;
        }
    } else if (IsOneOf(word, {u"/l", u"/linkshell"})) {
        if (hasMessage) Emit(sample, kLinkShell, u"<" + name + u"> " + std::u16string(message));
    } else if (IsOneOf(word, {u"/p", u"/party"})) {
        Emit(sample, kParty, u"(" + name + u") " + std::u16string(message));
    } else if (IsOneOf(word, {u"/t", u"/tell"})) {
        if (hasSecondSpace) Emit(sample, kTell, std::u16string(w) + u">> " + std::u16string(tail));
    } else if (IsOneOf(word, {u"/em", u"/emote"})) {
        Emit(sample, kEmote, name + u" " + std::u16string(message));
    } else if (IsOneOf(word, {u"/ma", u"/magic", u"/so", u"/song"})) {
        if (const ActionName action = ActionNameAfter(line, space); action.found)
            Emit(sample, kBattle, name + u"は" + std::u16string(action.name) + u"を唱えた。");
    } else if (IsOneOf(word, {u"/ws", u"/weaponskill", u"/ja", u"/jobability"})) {
        if (const ActionName action = ActionNameAfter(line, space); action.found)
            Emit(sample, kBattle, name + u"の" + std::u16string(action.name) + u"！");
    } else if (word == u"/echo") {
        // The game prints the text to the player's own log only.
        if (hasMessage) Emit(sample, kMessage, std::u16string(message));
    } else if (IsOneOf(word, {u"/sea", u"/search"})) {
        Emit(sample, kSystem,
             u"検索結果：" + Decimal(RandomBelow(random, 500)) + u"人見つかりました。");
    } else if (word == u"/random") {
        Emit(sample, kSystem,
             u"ダイス！" + name + u"は、" + Decimal(RandomBelow(random, 1000)) + u"を出した！");
    } else if (IsOneOf(word, {u"/cm", u"/st.chatMode"})) {
        ChatModeCommand(sample, line, space);
    } else if (word == u"/ver") {
        Emit(sample, kMessage, u"ver " + std::u16string(kToolVersion));
    } else if (word == u"/clock") {
        Emit(sample, kSystem, FormatDateTime(now));
    } else if (IsOneOf(word, {u"/playtime", u"/playlog"})) {
        Emit(sample, kSystem, Decimal(RandomBelow(random, 1000) + 1) + u"時間");
    } else if (IsOneOf(word, {u"/h", u"/help"})) {
        Emit(sample, kCallForHelp, name + u"は助けを求めている！");
    } else if (IsOneOf(word, {u"/c", u"/check"})) {
        Emit(sample, kMessage, u"称号[クイルモアのご主人様]");
    } else if (word == u"/map") {
        Emit(sample, kSystem, u"この地方のマップは存在しません。");
    } else if (IsOneOf(word, {u"/smes", u"/servmes"})) {
        Emit(sample, kCallForHelp, u"< Quillmor >");
    }
    // Any other word, the empty one included, produces nothing.
}

// Runs a line that already has its placeholders filled in.
void RunFilledLine(MacroSample& sample, std::u16string_view line, IRandom& random,
                   const LocalDateTime& now) {
    if (!line.empty() && line.front() != u'/') {
        // A plain line goes out on the current channel. The composed line is not filled
        // in again: a name or tell target that happens to contain "<pos>" stays as it is.
        std::u16string composed;
        switch (sample.chatMode) {
            case ChatMode::Say:
                composed = u"/s ";
                break;
            case ChatMode::Shout:
                composed = u"/sh ";
                break;
            case ChatMode::Tell:
                composed = u"/t " + sample.tellTarget + u" ";
                break;
            case ChatMode::Party:
                composed = u"/p ";
                break;
            case ChatMode::LinkShell:
                composed = u"/l ";
                break;
            case ChatMode::Emote:
                composed = u"/em ";
                break;
            default:
                return;
        }
        composed += line;
        RunCommand(sample, composed, random, now);
        return;
    }
    RunCommand(sample, line, random, now);
}

}  // namespace

std::u16string SubstitutePlaceholders(const MacroSample& sample, std::u16string_view line) {
    struct Placeholder {
        std::u16string_view token;
        std::u16string value;
    };
    const std::array<Placeholder, 4> placeholders{{
        {u"<t>", sample.targetText},
        {u"<pos>", sample.positionText},
        {u"<tp>", Decimal(sample.tp) + u"%"},
        {u"<me>", sample.ownName},
    }};
    // The four tokens (and the call sounds, which are dropped) cannot overlap one another,
    // so one left-to-right pass over the line as written replaces each of them exactly
    // where the user typed it.
    std::u16string result;
    result.reserve(line.size());
    std::size_t i = 0;
    while (i < line.size()) {
        bool replaced = false;
        if (line[i] == u'<') {
            if (const std::size_t call = CallTokenLength(line.substr(i)); call > 0) {
                i += call;
                continue;
            }
            for (const auto& p : placeholders) {
                if (line.substr(i, p.token.size()) == p.token) {
                    result += p.value;
                    i += p.token.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) result += line[i++];
    }
    return result;
}

void PrintMacroLine(MacroSample& sample, std::u16string_view line, IRandom& random,
                    const LocalDateTime& now) {
    const std::u16string filled = SubstitutePlaceholders(sample, line);
    RunFilledLine(sample, filled, random, now);
}

}  // namespace qm
