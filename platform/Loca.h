#pragma once
// The loaded localisation table ("loca/loca_%s.bin") and the small UTF-8 /
// UTF-16 conversions of the texts. UTF-16 text is std::u16string throughout.
//
// A text that begins with '#' is a key; any other text is looked up as it
// is. The table is used in place: lookups copy nothing and allocate only the
// caller's translated text.

#include "platform/LoadedFile.h"

#include <cstdint>
#include <string>
#include <string_view>

class Loca {
public:
    static constexpr const char* kTableName = "loca/loca_%s.bin";
    static constexpr uint32_t kHeaderSize = 16;
    static constexpr uint32_t kIndexEntrySize = 8;

    // The main thread's table.
    static Loca& Global();

    // Loads the language's table through the global file manager. A missing
    // or damaged table leaves the previous table and language code in place.
    bool Load(const char* languageCode);
    // The code of the table in use; empty before any table has loaded.
    const std::string& GetLanguageCode() const { return languageCode_; }
    uint32_t GetKeyCount() const { return count_; }

    int32_t Find(const char* key) const;
    int32_t Find(std::string_view key) const;
    // Fills `out` with the text's translation and answers its index; a text
    // the table does not hold is shown as it is (without the '#') and -1.
    int32_t Translate(const char* text, std::u16string& out) const;

    static void AssignUtf8(const char* utf8, std::u16string& out);
    // Encodes each unit on its own (surrogates too); a 0 unit ends the text.
    static std::string WideToUtf8(std::u16string_view text);
    // 8-bit text to UTF-8, each byte taken as the code point of its value.
    static std::string ToUtf8(std::string_view text);

private:
    bool Adopt(char* buffer, uint32_t size);
    static bool IsSound(const char* buffer, uint32_t size);
    uint32_t ReadWord(uint64_t offset) const;
    const char* KeyAt(uint32_t index) const;
    const char* ValueAt(uint32_t index) const;

    LoadedFile table_;
    uint32_t size_ = 0;
    uint32_t count_ = 0;
    uint32_t indexOffset_ = 0;
    std::string languageCode_;
};

// Each byte widened, as unsigned, to one unit: 0xE4 becomes U+00E4.
std::u16string WidenBytes(std::string_view text);

// A wide string from a 0-terminated UTF-16 text (empty for null).
std::u16string MakeWideString(const char16_t* text);
