// The conversions of lists saved as UTF-8 and of the sheet's outputs, held
// against Windows' own conversions from and to code page 932.
#include "sheet/CodePage932.h"

#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <set>

namespace {

// Windows' code page 932 bytes of a character, without best-fit stand-ins;
// none when code page 932 has no code for it.
std::optional<std::string> windowsCodePage932(wchar_t character) {
    char bytes[4];
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &character, 1, bytes, sizeof bytes,
                                           nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    return std::string(bytes, static_cast<std::size_t>(length));
}

std::string utf8Of(wchar_t character) {
    char bytes[4];
    const int length = WideCharToMultiByte(CP_UTF8, 0, &character, 1, bytes, sizeof bytes, nullptr, nullptr);
    return std::string(bytes, static_cast<std::size_t>(length));
}

TEST(Utf8ToCodePage932, GivesEveryCharacterOfTheBasicPlaneWhatWindowsGivesIt) {
    std::set<unsigned> differing;
    std::set<unsigned> givenALookAlike;
    for (unsigned code = 1; code <= 0xFFFF; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue; // surrogates are no characters
        const auto character = static_cast<wchar_t>(code);
        const std::string ours = utf8ToCodePage932(utf8Of(character));
        if (const std::optional<std::string> windows = windowsCodePage932(character)) {
            if (ours != *windows)
                differing.insert(code);
        } else if (ours != "\x81\x48") {
            givenALookAlike.insert(code);
        }
    }
    EXPECT_EQ(differing, std::set<unsigned>{});
    // The characters of the JIS mappings that Windows lacks.
    EXPECT_EQ(givenALookAlike,
              (std::set<unsigned>{0x00A2, 0x00A3, 0x00A5, 0x00AC, 0x2014, 0x2016, 0x203E, 0x2212, 0x301C}));
}

// Windows' character for a code read with the flags given; none when it
// refuses the code or gives its default character, U+30FB, for it.
std::optional<std::string> windowsCharacter(const std::string& code, DWORD flags) {
    wchar_t wide[2];
    const int length = MultiByteToWideChar(932, flags, code.data(), static_cast<int>(code.size()), wide, 2);
    if (length != 1 || (wide[0] == 0x30FB && (flags & MB_ERR_INVALID_CHARS) == 0))
        return std::nullopt;
    return utf8Of(wide[0]);
}

// With MB_ERR_INVALID_CHARS Windows gives no character for a code that has
// none. It refuses four single bytes that way too, which it otherwise reads
// as the characters it writes them for: those are read as it reads them then.
TEST(CodePage932ToUtf8, GivesEveryCodeTheCharacterWindowsGivesIt) {
    std::set<std::string> differing;
    std::set<std::string> readOnlyWithoutStrictness;
    for (const std::string& code : codePage932Codes()) {
        std::optional<std::string> windows = windowsCharacter(code, MB_ERR_INVALID_CHARS);
        if (!windows) {
            windows = windowsCharacter(code, 0);
            if (windows)
                readOnlyWithoutStrictness.insert(code);
        }
        if (codePage932ToUtf8(code) != windows.value_or("\xEF\xBF\xBD"))
            differing.insert(code);
    }
    EXPECT_EQ(differing, std::set<std::string>{});
    EXPECT_EQ(readOnlyWithoutStrictness, (std::set<std::string>{"\xA0", "\xFD", "\xFE", "\xFF"}));
}

} // namespace
