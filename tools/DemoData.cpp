#include "DemoData.h"

#include "config/CnfRecord.h"
#include "macro/BookTitles.h"
#include "macro/Cp932.h"
#include "macro/MacroFile.h"
#include "macro/MacroFolder.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm::demo {

namespace {

struct Macro {
    const char16_t* title;
    std::vector<const char16_t*> lines;
};

// Example macros: chat modes, placeholders, spells and abilities, Japanese and English.
const std::vector<std::vector<Macro>> kSets = {
    {
        {u"ケアル", {u"/ma ケアル <t>", u"/p ケアルを<t>に！ <pos>"}},
        {u"挨拶", {u"こんにちは！", u"/em はおじぎをした。", u"/random"}},
        {u"Hello", {u"/s Hello everyone!", u"/sh Looking for party <pos>", u"hi again"}},
        {u"TP", {u"/p TP:<tp> <pos>", u"/ws ファストブレード <t>"}},
        {u"Tell", {u"/cm t Aldwin", u"hi, are you free?", u"/cm", u"/cm s", u"back to say"}},
        {u"LS", {u"/l <me> is online", u"/linkshell LS event at 21:00"}},
        {u"救援", {u"/h", u"/p 助けて！ <pos>"}},
        {u"時刻", {u"/clock", u"/playtime", u"/ver"}},
        {u"検索", {u"/sea", u"/check", u"/map"}},
        {u"歌", {u"/so 魔道士のバラード <t>", u"/ja 挑発 <t>"}},
    },
    {
        {u"ストスキ", {u"/ja ストンスキン <me>", u"/p ストンスキン！"}},
        {u"ファイア", {u"/ma ファイア <t>", u"/p <t>にファイア"}},
        {u"Shout", {u"/cm sh", u"Selling crystals!", u"Still selling?"}},
    },
    {{u"pull", {u"/p Pulling <t>! <pos>", u"/ja 挑発 <t>"}}},
    {},
    {},
    {},
    {},
    {},
    {},
    {{u"10", {u"/s セット10の例です"}}},
};

// Book 2: a second job's macros; book 40: the last book, where players keep spares.
const std::vector<std::vector<Macro>> kBook2Sets = {
    {
        {u"挑発", {u"/ja 挑発 <t>", u"/p 挑発 → <t>"}},
        {u"WS", {u"/ws レイジングラッシュ <t>", u"/p WS！ TP:<tp>"}},
        {u"Pull", {u"/ra <t>", u"/p Pulling <t> <pos>"}},
    },
    {{u"ボイス", {u"/p 敵をひきつけます"}}},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {{u"B2S10", {u"/s book 2, set 10"}}},
};
const std::vector<std::vector<Macro>> kBook40Sets = {
    {{u"予備", {u"/s ブック40の例です"}}},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {{u"最後", {u"/s mcr399.dat", u"/p <me> <pos>"}}},
};

MacroFile MakeSet(const std::vector<Macro>& macros) {
    MacroFile file;
    for (std::size_t m = 0; m < macros.size() && m < 20; ++m) {
        StoreFieldText(file.Title(int(m)), macros[m].title);
        for (std::size_t k = 0; k < macros[m].lines.size() && k < 6; ++k)
            StoreFieldText(file.Line(int(m), int(k)), macros[m].lines[k]);
    }
    return file;
}

CnfRecord MakeColours(int32_t background) {
    CnfRecord cnf;
    // Blue, green, red, alpha of the 23 log colours.
    const uint8_t rgb[23][3] = {{255, 255, 255}, {255, 170, 60},  {255, 130, 200}, {110, 220, 255},
                                {140, 255, 140}, {210, 210, 210}, {255, 255, 200}, {200, 230, 255},
                                {120, 255, 160}, {255, 120, 120}, {170, 230, 255}, {230, 170, 255},
                                {255, 230, 120}, {200, 200, 200}, {100, 230, 140}, {230, 110, 110},
                                {150, 210, 255}, {210, 150, 255}, {240, 220, 110}, {180, 180, 180},
                                {255, 250, 220}, {255, 110, 90},  {190, 255, 255}};
    for (int i = 0; i < kTextColorCount; ++i)
        cnf.SetColor(i, TextColor{rgb[i][2], rgb[i][1], rgb[i][0], 0x80});
    for (int i = 0; i < 4; ++i)
        cnf.bytes[kCnfBackgroundOffset + std::size_t(i)] = uint8_t(uint32_t(background) >> (8 * i));
    for (std::size_t i = 0; i < 56; ++i) cnf.bytes[i] = uint8_t(i * 3);  // other game settings
    return cnf;
}

std::vector<uint8_t> MakeAcq() {
    std::vector<uint8_t> bytes(24, 0);
    for (const char16_t* name : {u"Aldwin", u"Belna", u"Corvin", u"ミサキ", u"Tessaly"}) {
        std::vector<uint8_t> field = Cp932Encode(name);
        field.resize(16, 0);
        bytes.insert(bytes.end(), field.begin(), field.end());
    }
    return bytes;
}

bool WriteBook(const std::u16string& folder, int book,
               const std::vector<std::vector<Macro>>& sets) {
    for (int k = 0; k < kSetCount; ++k) {
        MacroFile set = MakeSet(sets[std::size_t(k)]);
        if (!WriteMacroFile(folder + MacroFileName(MacroFileNumber(book, k)), set)) return false;
    }
    return true;
}

// Names of books (index, name), as players give them: by job or role, some for books
// without files yet, in both title files.
using BookNames = std::vector<std::pair<int, const char16_t*>>;
const BookNames kTitles = {
    {0, u"白魔道士"}, {1, u"ナイト"}, {2, u"BLM"}, {20, u"合成・釣り"}, {39, u"予備"}};
const BookNames kDamagedTitles = {{0, u"戦士"}, {29, u"Mog House"}};

bool WriteTitles(const std::filesystem::path& folder, const BookNames& names) {
    BookTitles titles = ReadBookTitles(folder);
    for (const auto& [book, name] : names)
        if (titles.SetTitle(book, name) != TitleChange::Stored) return false;
    SavePlan plan;
    PlanBookTitles(plan, folder, titles);
    return plan.Run().AllSaved();
}

bool WriteCharacter(const std::filesystem::path& folder, int32_t background, bool damageDigest,
                    bool moreBooks) {
    std::filesystem::create_directories(folder);
    std::u16string text = TextFromPath(folder) + std::u16string(PathSeparator());
    if (!WriteBook(text, 0, kSets)) return false;
    if (moreBooks && !(WriteBook(text, 1, kBook2Sets) && WriteBook(text, 39, kBook40Sets)))
        return false;
    if (!SaveCnf(text, MakeColours(background))) return false;
    if (!WriteTitles(folder, moreBooks ? kTitles : kDamagedTitles)) return false;
    std::vector<uint8_t> acq = MakeAcq();
    if (!WriteWholeFile(folder / "acq.dat", acq)) return false;
    if (damageDigest) {
        auto bytes = ReadFileHead(folder / "mcr.dat", kMacroFileSize);
        if (!bytes) return false;
        (*bytes)[8] ^= 0xFF;
        if (!WriteWholeFile(folder / "mcr.dat", *bytes)) return false;
    }
    return true;
}

}  // namespace

bool WriteDemoGame(const std::filesystem::path& gameFolder) {
    std::filesystem::path user = gameFolder / "USER";
    return WriteCharacter(user / kCleanCharacter, 0, false, true) &&
           WriteCharacter(user / kDamagedCharacter, 2, true, false);
}

}  // namespace qm::demo
