// The tool's registry.reg: a parsed file written back untouched reads the same; a value
// set reads back after a reparse, and setting it again changes nothing.

#include "FuzzCheck.h"
#include "platform/linux/RegFileFormat.h"

using namespace qm;
using qm::fuzz::Check;

namespace {

bool Same(const std::optional<RegRawValue>& a, const RegRawValue& b) {
    return a && a->type == b.type && a->data == b.data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const uint8_t choice = input.Byte();
    const auto valueBytes = input.Take(input.Byte() % 40);
    const auto rest = input.Rest();
    auto text = DecodeRegFileBytes(rest);
    if (!text) return 0;
    auto doc = RegFileDocument::Parse(*text);
    if (!doc) return 0;

    const std::u16string once = doc->Serialize();
    auto again = RegFileDocument::Parse(once);
    Check(again.has_value(), "a written file parses");
    Check(again->Serialize() == once, "an untouched document keeps its text");

    static const char16_t* const kKeys[] = {u"SOFTWARE\\Tavrel\\Quillmor", u"K", u"A\\B",
                                            u"SOFTWARE\\PlayOnline\\SQUARE\\FinalFantasyXI"};
    static const char16_t* const kNames[] = {u"Myname", u"TabIndex", u"", u"a\"b\\c"};
    const std::u16string key = kKeys[choice & 3], name = kNames[(choice >> 2) & 3];
    RegRawValue value;
    switch ((choice >> 4) & 3) {
        case 0:  // a number
            value.type = REG_DWORD_TYPE;
            value.data = {0, 0, 0, 0};
            for (std::size_t i = 0; i < 4 && i < valueBytes.size(); ++i)
                value.data[i] = valueBytes[i];
            break;
        case 1:  // printable text, as the tool's preferences hold
            value.type = REG_SZ_TYPE;
            for (uint8_t b : valueBytes) value.data.push_back(uint8_t(0x20 + b % 0x5F));
            value.data.push_back(0);
            break;
        default:  // bytes of any other type
            value.type = 3;
            value.data.assign(valueBytes.begin(), valueBytes.end());
            break;
    }
    doc->Set(key, name, value);
    Check(Same(doc->Query(key, name), value), "a set value reads back");
    const std::u16string written = doc->Serialize();
    auto reread = RegFileDocument::Parse(written);
    Check(reread.has_value(), "a written file parses after a set");
    Check(Same(reread->Query(key, name), value), "a set value reads back from the file");
    reread->Set(key, name, value);
    Check(reread->Serialize() == written, "setting the same value again changes nothing");
    return 0;
}
