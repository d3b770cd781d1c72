#include "export/SheetOutputs.h"
#include "portrait/JpegDecoder.h"

#include "JpegEncoding.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using namespace std::string_literals;

// Every text the page shows, set to `text`: 66 places, the title included.
void setEveryText(CharacterSheet& sheet, const std::string& text) {
    for (auto setter :
         {&CharacterSheet::setDollName, &CharacterSheet::setPlayerName, &CharacterSheet::setAgeAtDeath,
          &CharacterSheet::setSuggestion, &CharacterSheet::setPosition, &CharacterSheet::setMainClass,
          &CharacterSheet::setSubClass})
        (sheet.*setter)(text);
    sheet.setKarma({text, text, text});
    sheet.setMemories(std::vector<MemoryFragment>(6, {text, 1, text}));
    sheet.setRegrets(std::vector<Regret>(6, {text, text, 1, text}));
    sheet.setSkills({{text, text, text, text, text}});
    for (BodyLocation location : bodyLocations)
        sheet.setParts(location, {{1, text, text, text, text, text}});
}

std::size_t occurrences(const std::string& page, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = page.find(part); at != std::string::npos; at = page.find(part, at + 1))
        ++count;
    return count;
}

TEST(SheetPage, ShowsMarkupInEveryTextAsText) {
    const std::pair<std::string, std::string> cases[] = {
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"\" onmouseover=\"alert(1)", "&quot; onmouseover=&quot;alert(1)"},
        {"' onmouseover='alert(1)", "&#39; onmouseover=&#39;alert(1)"},
        {"&lt;b&gt;", "&amp;lt;b&amp;gt;"},
    };
    for (const auto& [markup, escaped] : cases) {
        CharacterSheet sheet;
        setEveryText(sheet, markup);
        const std::string page = sheetPage(sheet);
        EXPECT_EQ(occurrences(page, escaped), 66u) << markup;
        EXPECT_EQ(occurrences(page, markup), 0u) << markup;
    }
}

TEST(SheetPage, SeveralSheetsEachStartANewSheetOfPaper) {
    CharacterSheet first, second, third;
    setEveryText(first, "<first>");
    setEveryText(second, "<second>");
    setEveryText(third, "<third>");
    const std::string page = sheetsPage({&first, &second, &third});
    for (const char* escaped : {"&lt;first&gt;", "&lt;second&gt;", "&lt;third&gt;"})
        EXPECT_EQ(occurrences(page, escaped), 65u) << escaped;
    EXPECT_EQ(occurrences(page, "<main class=\"sheet\">"), 1u);
    EXPECT_EQ(occurrences(page, "<main class=\"sheet\" style=\"break-before: page\">"), 2u);
    EXPECT_EQ(occurrences(page, "<style>"), 1u);
    EXPECT_LT(page.find("&lt;first&gt;"), page.find("&lt;second&gt;"));
    EXPECT_LT(page.find("&lt;second&gt;"), page.find("&lt;third&gt;"));
}

std::string base64Decoded(std::string_view text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned bits = 0, count = 0;
    for (char c : text.substr(0, text.find('='))) {
        bits = (bits << 6) | static_cast<unsigned>(digits.find(c));
        if ((count += 6) >= 8)
            bytes += static_cast<char>((bits >> (count -= 8)) & 0xFF);
    }
    return bytes;
}

// The picture in a page's portrait frame, in the decoder's layout (bottom
// row first, blue, green, red); none for an empty frame.
struct Picture {
    PictureSize size;
    std::vector<std::uint8_t> pixels;
};

Picture portraitOnPage(const std::string& portraitPath) {
    CharacterSheet sheet;
    sheet.setPortrait(portraitPath);
    const std::string page = sheetPage(sheet), start = "<img alt=\"\" src=\"data:image/jpeg;base64,";
    Picture picture;
    const std::size_t at = page.find(start) + start.size();
    if (at < start.size())
        return picture;
    const std::string jpeg = base64Decoded(std::string_view(page).substr(at, page.find('"', at) - at));
    EXPECT_TRUE(decodeJpegMemory(reinterpret_cast<const std::uint8_t*>(jpeg.data()), jpeg.size(),
                                 [&picture](int width, int height, std::size_t stride) {
                                     picture.size = {width, height};
                                     picture.pixels.resize(stride * height);
                                     return picture.pixels.data();
                                 }));
    return picture;
}

// Red in the top half, blue below, as the fixture pictures are.
std::string redOverBlueJpeg(int width, int height) {
    PictureToEncode picture;
    picture.width = width;
    picture.height = height;
    for (int at = 0; at < width * height; ++at) {
        const bool top = at < width * height / 2;
        picture.samples.insert(picture.samples.end(), {JSAMPLE(top ? 220 : 30), 30, JSAMPLE(top ? 30 : 220)});
    }
    return encodeJpeg(picture);
}

TEST(PagePortrait, EmbedsALocalPictureNoLargerThanThePageAndNothingElse) {
    ScratchFolder folder;
    writeBytes(folder.file("large.jpg"), redOverBlueJpeg(1000, 1400));
    writeBytes(folder.file("notes.jpg"), "no picture");
    writeBytes(folder.file("damaged.jpg"), "\xFF\xD8\xFF\xC0\x00\x04garbage"s);
    std::vector<std::pair<std::string, PictureSize>> cases = {
        {fixturePath("portrait-red-over-blue.jpg"), {16, 16}},
        {fixturePath("portrait-red-over-blue.bmp"), {16, 16}},
        {folder.file("large.jpg"), {429, 600}},
        {"\\\\server\\share\\portrait.jpg", {}},
        {"//server/share/portrait.jpg", {}},
        {folder.file("missing.jpg"), {}},
        {folder.file("notes.jpg"), {}},
        {folder.file("damaged.jpg"), {}},
        {folder.file(""), {}},
        {"NUL", {}},
    };
#ifndef _WIN32
    // Opening a pipe would wait for a writer for ever.
    ASSERT_EQ(mkfifo(folder.file("pipe.jpg").c_str(), 0600), 0);
    cases.insert(cases.end(), {{folder.file("pipe.jpg"), {}}, {"/dev/zero", {}}});
#endif
    for (const auto& [path, size] : cases) {
        const Picture picture = portraitOnPage(path);
        EXPECT_EQ(picture.size.width, size.width) << path;
        ASSERT_EQ(picture.size.height, size.height) << path;
        if (size.height == 0)
            continue;
        const std::uint8_t* top = &picture.pixels[bitmapStride(size.width) * (size.height - 1)];
        EXPECT_TRUE(top[2] > 180 && top[0] < 70) << path << ": not red at the top";
        EXPECT_TRUE(picture.pixels[0] > 180 && picture.pixels[2] < 70) << path << ": not blue at the bottom";
    }
}

} // namespace
