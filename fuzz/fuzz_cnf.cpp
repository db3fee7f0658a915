// "cnf.dat": loaded and saved untouched it keeps its bytes (those past the record too); a
// colour set reads back after a save.

#include "FuzzCheck.h"
#include "FuzzFolder.h"
#include "config/CnfRecord.h"
#include "storage/Paths.h"

using namespace qm;
using qm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const uint8_t entry = input.Byte(), blue = input.Byte(), green = input.Byte(),
                  red = input.Byte();
    const auto file = input.Rest();
    const auto& folder = fuzz::Folder();
    const std::filesystem::path path = folder / "cnf.dat";
    fuzz::WriteFile(path, file);
    const std::u16string folderText = TextFromPath(folder) + u"/";

    CnfRecord record = LoadCnf(folderText);
    Check(!record.readFailed, "a readable cnf.dat loads");
    Check(SaveCnf(folderText, record), "an untouched record saves");
    std::vector<uint8_t> expected(file.begin(), file.end());
    if (expected.size() < kCnfRecordSize) expected.resize(kCnfRecordSize, 0);
    Check(fuzz::ReadFile(path) == expected, "an untouched record keeps the file's bytes");

    const int e = entry % kTextColorCount;
    TextColor color = record.Color(e);
    color.blue = blue, color.green = green, color.red = red;
    record.SetColor(e, color);
    Check(SaveCnf(folderText, record), "a changed record saves");
    Check(LoadCnfIn(folder).Color(e) == color, "a set colour reads back");
    const auto after = fuzz::ReadFile(path);
    Check(after.size() == expected.size() && std::equal(after.begin() + kCnfRecordSize, after.end(),
                                                        expected.begin() + kCnfRecordSize),
          "bytes past the record are kept");
    return 0;
}
