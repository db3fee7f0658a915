// A macro file (the first 7624 bytes) and a backup file (the rest). Its own backup
// restores a set to the same bytes; any accepted backup changes nothing but the fields it
// reaches.

#include <algorithm>

#include "FuzzCheck.h"
#include "editor/SetBackup.h"
#include "macro/Cp932.h"
#include "macro/FieldText.h"
#include "storage/Utf.h"

using namespace qm;
using qm::fuzz::Check;

namespace {

// Every byte of the file that is in no field: header and reserved bytes.
bool SameOutsideFields(const MacroFile& a, const MacroFile& b) {
    std::array<bool, kMacroFileSize> inField{};
    for (int f = 0; f < kFieldsPerSet; ++f) {
        auto field = SetField(a, f);
        const std::size_t at = std::size_t(field.data() - a.bytes.data());
        std::fill_n(inField.begin() + std::ptrdiff_t(at), field.size(), true);
    }
    for (std::size_t i = 0; i < kMacroFileSize; ++i)
        if (!inField[i] && a.bytes[i] != b.bytes[i]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    MacroFile set;
    const auto head = input.Take(kMacroFileSize);
    std::copy(head.begin(), head.end(), set.bytes.begin());

    // Any field's bytes read as text and tokens store back as the same bytes, also after
    // a trip through UTF-8 (the clipboard, export --utf8).
    for (int f = 0; f < kFieldsPerSet; ++f) {
        const auto bytes = FieldBytes(SetField(set, f));
        const std::u16string text = ReadFieldText(SetField(set, f));
        const std::vector<uint8_t> stored = EncodeFieldText(text);
        Check(std::equal(bytes.begin(), bytes.end(), stored.begin(), stored.end()),
              "a field's text stores back to its bytes");
        const std::vector<uint8_t> viaUtf8 = EncodeFieldText(Utf8ToUtf16(Utf16ToUtf8(text)));
        Check(viaUtf8 == stored, "a field's UTF-8 text stores back to its bytes");
    }

    if (FieldHoldingLineEnd(set) >= 0 || !BackupReadsBack(set)) {
        Reason error;
        Check(!WriteBackupFile("/nonexistent/x", set, &error),
              "a set whose backup would not read back is exported");
        // Text the game's own encoding can hold always goes out.
        Check(FieldHoldingLineEnd(set) >= 0 ||
                  Cp932Decode(BackupFileBytes(set)).find(u'\uFFFD') != std::u16string::npos,
              "a set of CP932 text is refused");
    } else {
        const BackupReadResult read =
            DecodeBackupBytes(BackupFileBytes(set), BackupEncoding::Cp932);
        Check(read.error == BackupReadError::None, "an export reads back");
        MacroFile same = set;
        Check(BackupBytesToSet(same, read.bytes).fieldsReached == kFieldsPerSet,
              "an export reaches every field");
        Check(same.bytes == set.bytes, "an export imports back to the same bytes");
        MacroFile blank;
        BackupBytesToSet(blank, read.bytes);
        for (int f = 0; f < kFieldsPerSet; ++f) {
            const auto original = FieldBytes(SetField(set, f));
            if (original.size() >= SetField(set, f).size()) continue;  // full width
            const auto restored = FieldBytes(SetField(blank, f));
            Check(std::equal(original.begin(), original.end(), restored.begin(), restored.end()),
                  "an export restores every field into an empty set");
        }
    }

    const auto encoding = (size & 1) ? BackupEncoding::Utf8 : BackupEncoding::Cp932;
    const auto rest = input.Rest();
    const BackupReadResult read =
        DecodeBackupBytes(std::vector<uint8_t>(rest.begin(), rest.end()), encoding);
    if (read.error != BackupReadError::None) return 0;
    MacroFile after = set;
    const TextToSetResult result = BackupBytesToSet(after, read.bytes);
    Check(result.fieldsReached >= 1, "an accepted backup reaches a field");
    Check(SameOutsideFields(set, after), "a restore changes only fields");
    for (int f = result.fieldsReached; f < kFieldsPerSet; ++f) {
        auto a = SetField(set, f), b = SetField(after, f);
        Check(std::equal(a.begin(), a.end(), b.begin(), b.end()),
              "fields the backup does not reach keep their bytes");
    }
    return 0;
}
