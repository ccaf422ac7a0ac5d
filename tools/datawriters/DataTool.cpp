#include "tools/datawriters/DataTool.h"

#include "platform/SavedFile.h"
#include "tools/datawriters/CbsiEncoder.h"
#include "tools/datawriters/LocaSource.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace DataTool {
namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kBadCommandLine = 2;

struct PictureOptions {
    CbsiFormat format = CbsiFormat::kAuto;
    bool raw = false;
    int rawWidth = 0, rawHeight = 0;
    std::vector<std::string> operands;
};

// Empty `error` on success.
std::string ReadInput(const std::string& path, std::string& error) {
    std::error_code code;
    if (std::filesystem::exists(path, code) && !std::filesystem::is_regular_file(path, code)) {
        error = "not a file";
        return {};
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = "cannot open";
        return {};
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxInputBytes) {
        error = "too large to be a picture or text source";
        return {};
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) error = "cannot read";
    return bytes;
}

bool WriteOutput(const std::string& path, std::string_view bytes, std::ostream& messages) {
    std::error_code ignored;
    const auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
    if (SavedFile::WriteAtomically(path, bytes)) return true;
    messages << "tavrin-data: " << path << ": cannot write\n";
    return false;
}

bool ParseSize(std::string_view text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    auto number = [](std::string_view digits, int& value) {
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return ec == std::errc() && end == digits.data() + digits.size();
    };
    return number(text.substr(0, x), width) && number(text.substr(x + 1), height);
}

// Empty when the options are bad (the reason is already reported).
std::optional<PictureOptions> ParsePictureOptions(int argc, const char* const* argv,
                                                  std::ostream& messages) {
    PictureOptions options;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--format" && hasValue) {
            const CbsiFormat* format = CbsiEncoder::FormatByName(argv[++i]);
            if (!format) {
                messages << "tavrin-data: unknown format '" << argv[i] << "'\n";
                return std::nullopt;
            }
            options.format = *format;
        } else if (arg == "--raw" && hasValue) {
            options.raw = true;
            if (!ParseSize(argv[++i], options.rawWidth, options.rawHeight)) {
                messages << "tavrin-data: --raw wants WIDTHxHEIGHT, not '" << argv[i] << "'\n";
                return std::nullopt;
            }
        } else if (arg.starts_with("--")) {
            messages << "tavrin-data: unknown option '" << arg << "'\n";
            return std::nullopt;
        } else {
            options.operands.emplace_back(arg);
        }
    }
    return options;
}

// The container bytes of one input; empty after reporting a refusal.
std::vector<uint8_t> EncodeInput(const std::string& input, const PictureOptions& options,
                                 std::ostream& messages) {
    std::string error;
    const std::string bytes = ReadInput(input, error);
    Picture picture;
    const char* refusal = nullptr;
    if (error.empty()) {
        refusal = options.raw ? ReadRawPicture(bytes.data(), bytes.size(), options.rawWidth,
                                               options.rawHeight, picture)
                              : ReadTgaPicture(bytes.data(), bytes.size(), picture);
    }
    std::vector<uint8_t> out;
    if (error.empty() && !refusal) refusal = CbsiEncoder::Encode(picture, options.format, out);
    if (!error.empty() || refusal) {
        messages << "tavrin-data: " << input << ": " << (refusal ? refusal : error.c_str()) << "\n";
        return {};
    }
    const CbsiFormat used = CbsiEncoder::Resolve(options.format, picture);
    if ((used == CbsiFormat::kDxt1 || used == CbsiFormat::kRgb) && picture.HasTransparency()) {
        messages << "tavrin-data: " << input << ": note: transparency dropped by the format\n";
    }
    return out;
}

std::string_view AsText(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

int ConvertPicture(int argc, const char* const* argv, std::ostream& messages) {
    const auto options = ParsePictureOptions(argc, argv, messages);
    if (!options) return kBadCommandLine;
    if (options->operands.size() != 2) {
        messages << kUsage;
        return kBadCommandLine;
    }
    const auto bytes = EncodeInput(options->operands[0], *options, messages);
    if (bytes.empty()) return kRefused;
    return WriteOutput(options->operands[1], AsText(bytes), messages) ? kDone : kRefused;
}

int Frames(int argc, const char* const* argv, std::ostream& messages) {
    const auto options = ParsePictureOptions(argc, argv, messages);
    if (!options) return kBadCommandLine;
    const auto& operands = options->operands;
    if (operands.size() < 2) {
        messages << kUsage;
        return kBadCommandLine;
    }
    if (operands.size() - 1 > static_cast<size_t>(kMaxFrames)) {
        messages << "tavrin-data: more than 99 frames\n";
        return kBadCommandLine;
    }
    // Every frame is checked before any is written, so a set never ends up
    // half new and half old.
    std::vector<std::vector<uint8_t>> frames;
    for (size_t i = 1; i < operands.size(); ++i) {
        frames.push_back(EncodeInput(operands[i], *options, messages));
        if (frames.back().empty()) return kRefused;
    }
    for (size_t i = 0; i < frames.size(); ++i) {
        char number[24];
        std::snprintf(number, sizeof number, "%02zu", i + 1);
        if (!WriteOutput(operands[0] + number + ".cbi", AsText(frames[i]), messages)) return kRefused;
    }
    return kDone;
}

int Loca(int argc, const char* const* argv, std::ostream& messages) {
    if (argc != 4) {
        messages << kUsage;
        return kBadCommandLine;
    }
    std::string error;
    const std::string source = ReadInput(argv[2], error);
    LocaTableWriter table;
    if (error.empty()) error = LocaSource::Read(source, table);
    if (!error.empty()) {
        messages << "tavrin-data: " << argv[2] << ": " << error << "\n";
        return kRefused;
    }
    return WriteOutput(argv[3], table.Build(), messages) ? kDone : kRefused;
}

}  // namespace

int Run(int argc, const char* const* argv, std::ostream& messages) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "cbi") return ConvertPicture(argc, argv, messages);
    if (command == "frames") return Frames(argc, argv, messages);
    if (command == "loca") return Loca(argc, argv, messages);
    messages << kUsage;
    return kBadCommandLine;
}

}  // namespace DataTool
