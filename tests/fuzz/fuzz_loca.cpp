// Localisation tables and UTF-8 texts from arbitrary bytes. A damaged table
// must be refused; an accepted one must answer lookups without reading
// outside the file; decoding must never pass the terminating NUL, and
// encoding what was decoded must decode to the same units.

#include "platform/FileManager.h"
#include "platform/Loca.h"
#include "platform/Utf8.h"
#include "support/GlobalDataRoot.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void CheckUtf8RoundTrip(const std::string& text) {
    std::u16string units;
    Loca::AssignUtf8(text.c_str(), units);
    if (units.size() != Utf8::Length(text.c_str())) __builtin_trap();
    std::u16string again;
    Loca::AssignUtf8(Loca::WideToUtf8(units).c_str(), again);
    if (again != units) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckUtf8RoundTrip(bytes);

    testsupport::GlobalDataRoot().WriteFile("loca/loca_fuzz.bin", bytes);
    FileManager::Global().ResetDirectoryCaches();  // the folder is new on the first run
    Loca loca;
    if (!loca.Load("fuzz")) return 0;
    std::u16string out;
    for (size_t start = 0; start < size && start < 64; start += 7) {
        std::string key = "#" + bytes.substr(start, 12);
        loca.Translate(key.c_str(), out);
        loca.Translate(key.c_str() + 1, out);
    }
    return 0;
}
