#include "tools/datawriters/LocaSource.h"

#include <map>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// Resolves the escapes; empty `error` on success.
std::string Unescape(std::string_view text, std::string& error) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        switch (next) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 's': out += ' '; break;
            case '\\': out += '\\'; break;
            default:
                error = "unknown escape '\\" + std::string(next ? 1 : 0, next) +
                        "' (use \\n, \\t, \\s or \\\\)";
                return {};
        }
        ++i;
    }
    return out;
}

std::string KeyFault(std::string_view key) {
    if (key.empty()) return "missing key before '='";
    if (key.front() == '#') return "a key may not begin with '#'";
    if (key.size() > LocaSource::kMaxKeyLength) return "key longer than 255 bytes";
    for (char c : key) {
        if (IsBlank(c)) return "blank space inside the key '" + std::string(key) + "'";
    }
    if (!LocaSource::IsShowableUtf8(key)) return "key is not valid UTF-8";
    return {};
}

}  // namespace

bool LocaSource::IsShowableUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead == 0) return false;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const size_t length = lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t code = lead & (length == 2 ? 0x1F : 0x0F);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        const bool overlong = length == 3 && code < 0x800;
        const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
        if (overlong || surrogate) return false;
        i += length;
    }
    return true;
}

std::string LocaSource::Read(std::string_view source, LocaTableWriter& table) {
    if (source.starts_with(kByteOrderMark)) source.remove_prefix(kByteOrderMark.size());
    std::map<std::string, int, std::less<>> firstLine;
    int lineNumber = 0;
    while (!source.empty()) {
        ++lineNumber;
        const size_t end = source.find('\n');
        const std::string_view raw = source.substr(0, end);
        source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') continue;
        auto fault = [&](const std::string& what) {
            return "line " + std::to_string(lineNumber) + ": " + what;
        };
        if (!IsShowableUtf8(raw)) {
            return fault("not valid UTF-8, or a character the game cannot show (beyond U+FFFF)");
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return fault("expected 'key = text'");
        const std::string_view key = Trim(line.substr(0, equals));
        if (std::string why = KeyFault(key); !why.empty()) return fault(why);
        std::string error;
        const std::string text = Unescape(Trim(line.substr(equals + 1)), error);
        if (!error.empty()) return fault(error);
        const auto [seen, added] = firstLine.emplace(std::string(key), lineNumber);
        if (!added) {
            return fault("key '" + std::string(key) + "' already given on line " +
                         std::to_string(seen->second));
        }
        table.Add(key, text);
    }
    if (table.Count() == 0) return "the source holds no texts";
    return {};
}
