#include "export/PagePortrait.h"

#include "export/PortraitPicture.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// What the JPEG encoder trades for size; plenty for a print.
constexpr int pageJpegQuality = 85;

std::string base64(std::string_view bytes) {
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i)
            group = (group << 8) | (i < count ? static_cast<std::uint8_t>(bytes[at + i]) : 0u);
        for (std::size_t i = 0; i < 4; ++i)
            text += i <= count ? digits[(group >> (18 - 6 * i)) & 63] : '=';
    }
    return text;
}

} // namespace

std::string portraitDataUrl(const std::string& portraitPath, const std::string& sheetPath) {
    const std::optional<std::string> file = readSheetPortrait(sheetPath, PathCode::codePage932, portraitPath);
    const std::string jpeg =
        file ? jpegNoLargerThan(*file, pagePortraitSide, pageJpegQuality) : std::string();
    if (jpeg.empty())
        return {};
    return "data:image/jpeg;base64," + base64(jpeg);
}
