#include "export/PagePortrait.h"
#include "export/SheetOutputs.h"
#include "portrait/JpegDecoder.h"

#include "JpegEncoding.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using namespace std::string_literals;

// The expected pages were made by this program, then opened and printed in
// Chromium and read through by hand.
TEST(SheetPage, MatchesTheCheckedPages) {
    for (const std::string name : {"new-sheet", "full-sheet"}) {
        CharacterSheet sheet;
        ASSERT_TRUE(sheet.loadSheet(fixturePath(name + ".txt")));
        EXPECT_EQ(sheetPage(sheet), readBytes(fixturePath(name + "-page.html"))) << name;
    }
}

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

struct Picture {
    PictureSize size;
    std::vector<std::uint8_t> pixels; // the decoder's layout: bottom row first, blue, green, red
};

// The picture in the portrait frame of a page, if there is one.
std::optional<Picture> portraitOnPage(const std::string& portraitPath) {
    CharacterSheet sheet;
    sheet.setPortrait(portraitPath);
    const std::string page = sheetPage(sheet),
                      start = "<div class=\"portrait\"><img alt=\"\" src=\"data:image/jpeg;base64,";
    const std::size_t at = page.find(start);
    if (at == std::string::npos) {
        EXPECT_NE(page.find("<div class=\"portrait\"></div>"), std::string::npos) << portraitPath;
        return std::nullopt;
    }
    const std::string jpeg = base64Decoded(std::string_view(page).substr(
        at + start.size(), page.find('"', at + start.size()) - at - start.size()));
    Picture picture;
    const bool decoded = decodeJpegMemory(reinterpret_cast<const std::uint8_t*>(jpeg.data()), jpeg.size(),
                                          [&picture](int width, int height, std::size_t stride) {
                                              picture.size = {width, height};
                                              picture.pixels.resize(stride * height);
                                              return picture.pixels.data();
                                          });
    EXPECT_TRUE(decoded) << portraitPath;
    return picture;
}

// Red in the top half, blue below, as the fixture pictures are.
std::string redOverBlueJpeg(int width, int height) {
    PictureToEncode picture;
    picture.width = width;
    picture.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.samples.insert(picture.samples.end(), {JSAMPLE(y < height / 2 ? 220 : 30), 30,
                                                           JSAMPLE(y < height / 2 ? 30 : 220)});
    return encodeJpeg(picture);
}

TEST(PagePortrait, EmbedsALocalPictureNoLargerThanThePage) {
    ScratchFolder folder;
    writeBytes(folder.file("large.jpg"), redOverBlueJpeg(1000, 1400));
    const std::pair<std::string, PictureSize> cases[] = {
        {fixturePath("portrait-red-over-blue.jpg"), {16, 16}},
        {fixturePath("portrait-red-over-blue.bmp"), {16, 16}},
        {folder.file("large.jpg"), {429, 600}},
    };
    for (const auto& [path, size] : cases) {
        const std::optional<Picture> picture = portraitOnPage(path);
        ASSERT_TRUE(picture) << path;
        EXPECT_EQ(picture->size.width, size.width) << path;
        EXPECT_EQ(picture->size.height, size.height) << path;
        const std::uint8_t* top = &picture->pixels[bitmapStride(size.width) * (size.height - 1)];
        EXPECT_TRUE(top[2] > 180 && top[0] < 70) << path << ": not red at the top";
        EXPECT_TRUE(picture->pixels[0] > 180 && picture->pixels[2] < 70)
            << path << ": not blue at the bottom";
    }
}

TEST(PagePortrait, LeavesTheFrameEmptyForAnythingButALocalPicture) {
    ScratchFolder folder;
    writeBytes(folder.file("notes.jpg"), "no picture");
    writeBytes(folder.file("damaged.jpg"), "\xFF\xD8\xFF\xC0\x00\x04garbage"s);
    std::vector<std::string> paths = {"\\\\server\\share\\portrait.jpg",
                                      "//server/share/portrait.jpg",
                                      folder.file("missing.jpg"),
                                      folder.file("notes.jpg"),
                                      folder.file("damaged.jpg"),
                                      folder.file(""),
                                      "NUL"};
#ifndef _WIN32
    // Opening a pipe would wait for a writer for ever.
    ASSERT_EQ(mkfifo(folder.file("pipe.jpg").c_str(), 0600), 0);
    paths.insert(paths.end(), {folder.file("pipe.jpg"), "/dev/zero"});
#endif
    for (const std::string& path : paths)
        EXPECT_FALSE(portraitOnPage(path)) << path;
}

} // namespace
