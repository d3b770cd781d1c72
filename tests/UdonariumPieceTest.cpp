#include "export/UdonariumPiece.h"
#include "export/PieceArchive.h"
#include "export/PieceSaving.h"
#include "export/SheetCommand.h"
#include "export/SheetOutputs.h"
#include "export/StoredZip.h"
#include "portrait/JpegDecoder.h"

#include "JpegEncoding.h"
#include "TestFiles.h"
#include "ZipEntries.h"

#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <pugixml.hpp>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>

namespace {

pugi::xml_document parsed(const std::string& xml) {
    pugi::xml_document document;
    // Whitespace is kept as it stands: a leaf's text must be its value alone.
    EXPECT_TRUE(document.load_string(xml.c_str(), pugi::parse_default | pugi::parse_ws_pcdata)) << xml;
    return document;
}

std::string leafText(const pugi::xml_document& document, const std::string& xpath) {
    return document.select_node(xpath.c_str()).node().text().get();
}

constexpr const char* imageXpath = "character/data/data[@name='image']/data[@name='imageIdentifier']";

std::string withoutControls(std::string text) {
    std::erase_if(text,
                  [](char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F; });
    return text;
}

std::vector<Regret> regretsWithTargets(int count) {
    std::vector<Regret> rows(regretCount);
    for (int at = 0; at < count; ++at)
        rows[static_cast<std::size_t>(at)] = {"対象" + std::to_string(at), "依存", at % 5, ""};
    return rows;
}

TEST(UdonariumCharacter, ParsesBackWithTheSheetsValuesAndTheSamePalette) {
    const struct {
        const char* what;
        std::string dollName;
        std::u8string name;
        int regretsWithTarget;
        std::int32_t placement;
        std::u8string placementName;
    } cases[] = {
        {"markup", "<b>&amp;\"'</b>]]>", u8"<b>&amp;\"'</b>]]>", 0, -1, u8""},
        {"control bytes", "\x01Li\tl\x7Fy\r\n\x1B", u8"Lily", 6, 0, u8"煉獄"},
        {"blanks kept", "  リリィ  ", u8"  リリィ  ", 3, 1, u8"花園"},
        {"empty", "", u8"", 0, 2, u8"楽園"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CharacterSheet sheet;
        sheet.setDollName(c.dollName);
        sheet.setRegrets(regretsWithTargets(c.regretsWithTarget));
        sheet.setInitialPlacement(c.placement);
        sheet.setMaxActionBonus(3);
        sheet.setSkills({{"加速<", "オート", "なし", "自身", "移動1\x02"}});
        sheet.setArmParts({{1, "こぶし&", "アクション", "2", "0", "肉弾攻撃1"}});
        const std::string identifier(64, 'a');
        const pugi::xml_document document = parsed(udonariumCharacter(sheet, identifier));
        const pugi::xml_node character = document.child("character");
        EXPECT_STREQ(character.attribute("location.name").value(), "table");
        EXPECT_EQ(leafText(document, imageXpath), identifier);
        EXPECT_EQ(character.select_node("data/data[@name='common']/data[@name='name']").node().text().get(),
                  utf8Bytes(c.name));
        const std::string info = "data/data[@name='detail']/data[@name='" + utf8Bytes(u8"情報") + "']/data";
        const pugi::xpath_node placement =
            character.select_node((info + "[@name='" + utf8Bytes(u8"初期配置") + "']").c_str());
        EXPECT_EQ(placement.node().text().get(), utf8Bytes(c.placementName));
        const pugi::xpath_node_set resources =
            character.select_nodes("data/data[@name='detail']/data/data[@type='numberResource']");
        ASSERT_EQ(resources.size(), 1u + static_cast<std::size_t>(c.regretsWithTarget));
        EXPECT_STREQ(resources[0].node().text().get(), "9");
        EXPECT_STREQ(resources[0].node().attribute("currentValue").value(), "9");
        for (std::size_t at = 1; at < resources.size(); ++at) {
            EXPECT_STREQ(resources[at].node().text().get(), "4");
            EXPECT_EQ(resources[at].node().attribute("currentValue").as_int(), static_cast<int>(at - 1) % 5);
        }
        const std::string commands = sheetPiece(sheet)["data"]["commands"];
        EXPECT_EQ(character.child("chat-palette").text().get(), withoutControls(commands));
    }
}

// The document byte for byte as the rooms have read it: indented two blanks
// a level, each leaf's text between its tags on their line, markup escaped
// as a text and as an attribute each have it, line feeds kept in the notes
// and the palette only, and the long lists' rows in both.
TEST(UdonariumCharacter, IsWrittenByteForByteAsTheRoomsHaveReadIt) {
    CharacterSheet sheet;
    sheet.setDollName("<b>&\"'</b>");
    sheet.setPlayerName("a\nb");
    sheet.setKarma({"x\ny", "", "z"});
    std::vector<Regret> regrets(regretCount);
    regrets[0] = {"a\"&<>", "依存", 2, ""};
    sheet.setRegrets(regrets);
    sheet.setInitialPlacement(1);
    sheet.setSkills({{"加速<", "オート", "なし", "自身", "移動1\x02"}});
    sheet.setArmParts({{1, "こぶし&", "アクション", "2", "0", "肉弾攻撃"}, {0, "b", "c", "d", "e", "f"}});
    EXPECT_EQ(udonariumCharacter(sheet, "0123abcd"), utf8Bytes(u8R"xml(<?xml version="1.0" encoding="UTF-8"?>
<character location.name="table" location.x="0" location.y="0" posZ="0" rotate="0" roll="0">
  <data name="character">
    <data name="image">
      <data type="image" name="imageIdentifier">0123abcd</data>
    </data>
    <data name="common">
      <data name="name">&lt;b&gt;&amp;"'&lt;/b&gt;</data>
      <data name="size">1</data>
    </data>
    <data name="detail">
      <data name="リソース">
        <data type="numberResource" name="行動値" currentValue="6">6</data>
        <data type="numberResource" name="a&quot;&amp;&lt;>" currentValue="2">4</data>
      </data>
      <data name="情報">
        <data name="プレイヤー名">ab</data>
        <data name="享年"></data>
        <data name="暗示"></data>
        <data name="ポジション"></data>
        <data name="メインクラス"></data>
        <data name="サブクラス"></data>
        <data name="初期配置">花園</data>
        <data name="寵愛点">0</data>
        <data name="武装">0</data>
        <data name="変異">0</data>
        <data name="改造">0</data>
      </data>
      <data name="カルマ">
        <data type="note" name="カルマ">・x
y
・z</data>
      </data>
      <data name="記憶のカケラ">
        <data type="note" name="記憶のカケラ"></data>
      </data>
      <data name="未練">
        <data type="note" name="未練">a"&amp;&lt;&gt;への依存 発狂2/4 </data>
      </data>
      <data name="スキル">
        <data type="note" name="スキル">【加速&lt;】オート/なし/自身：移動1</data>
      </data>
      <data name="頭">
        <data type="note" name="頭"></data>
      </data>
      <data name="腕">
        <data type="note" name="腕">■【こぶし&amp;】アクション/2/0：肉弾攻撃
□【b】c/d/e：f</data>
      </data>
      <data name="胴">
        <data type="note" name="胴"></data>
      </data>
      <data name="脚">
        <data type="note" name="脚"></data>
      </data>
    </data>
  </data>
  <chat-palette dicebot="">スキル
【加速&lt;】オート/なし/自身：移動1
腕
【こぶし&amp;】アクション/2/0：肉弾攻撃
【b】c/d/e：f
</chat-palette>
</character>
)xml"));
}

TEST(Sha256, GivesTheStandardsTestVectors) {
    const struct {
        std::string message, digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const auto& [message, digest] : cases)
        EXPECT_EQ(sha256Hex(message), digest) << message;
}

// Every entry of the ZIP, which must read back whole.
std::map<std::string, std::string> entriesOf(const std::string& path) {
    const std::optional<std::map<std::string, std::string>> entries = zipEntries(path);
    EXPECT_TRUE(entries) << path;
    return entries.value_or(std::map<std::string, std::string>());
}

// A noisy photo whose JPEG is well over the room's limit.
std::string largeJpeg() {
    PictureToEncode photo;
    photo.width = 1600;
    photo.height = 1200;
    std::mt19937 noise(7);
    photo.samples.resize(std::size_t{1600} * 1200 * 3);
    for (JSAMPLE& sample : photo.samples)
        sample = static_cast<JSAMPLE>(noise());
    return encodeJpeg(photo);
}

// minizip's own archive of the same entries.
std::string minizipArchive(const std::string& path,
                           const std::vector<std::pair<std::string, std::string>>& entries) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, bytes] : entries) {
        zip_fileinfo info{};
        info.tmz_date.tm_mday = 1;
        info.tmz_date.tm_year = 1980;
        zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return readBytes(path);
}

TEST(StoredZip, LaysOutItsEntriesAsMinizipDoes) {
    ScratchFolder folder;
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"picture.jpg", std::string(100000, '\xFF')}, {"1.xml", "<character/>"}, {"2.xml", ""}};
    const std::string path = folder.file("stored.zip");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    StoredZip zip(file);
    for (const auto& [name, bytes] : entries)
        EXPECT_TRUE(zip.add(name, bytes)) << name;
    EXPECT_TRUE(zip.finish());
    std::fclose(file);
    EXPECT_EQ(readBytes(path), minizipArchive(folder.file("minizip.zip"), entries));
}

// An archive that would need ZIP's 64-bit extension is no piece a room
// reads: the entry that would make it one is refused, and the archive
// without it still ends whole.
TEST(StoredZip, RefusesTheEntryThatWouldNeedTheZip64Extension) {
    ScratchFolder folder;
    const std::string path = folder.file("many.zip");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    StoredZip zip(file);
    constexpr int most = 0xFFFE;
    for (int at = 0; at < most; ++at)
        ASSERT_TRUE(zip.add(std::to_string(at), "")) << at;
    EXPECT_FALSE(zip.add("one more", ""));
    EXPECT_TRUE(zip.finish());
    std::fclose(file);
    EXPECT_EQ(entriesOf(path).size(), std::size_t{most});
}

PictureSize jpegSizeOf(const std::string& jpeg) {
    PictureSize size;
    std::vector<std::uint8_t> rows;
    decodeJpegMemory(reinterpret_cast<const std::uint8_t*>(jpeg.data()), jpeg.size(),
                     [&](int width, int height, std::size_t stride) {
                         size = {width, height};
                         rows.resize(stride * static_cast<std::size_t>(height));
                         return rows.data();
                     });
    return size;
}

TEST(UdonariumPiece, StoresEachPictureOnceUnderItsHashBesideTheDolls) {
    ScratchFolder folder;
    const std::string small = readBytes(fixturePath("portrait-red-over-blue.jpg")), large = largeJpeg();
    ASSERT_GT(large.size(), roomPictureBytes);
    writeBytes(folder.file("small.jpg"), small);
    writeBytes(folder.file("small.bmp"), readBytes(fixturePath("portrait-red-over-blue.bmp")));
    writeBytes(folder.file("large.jpg"), large);
    writeBytes(folder.file("text.jpg"), "no picture");
    const std::string bmp = readBytes(folder.file("small.bmp"));
    const struct {
        const char* what;
        std::vector<std::string> portraits;          // one a doll
        std::map<std::string, std::string> pictures; // stored name: its bytes, empty for the shrunk one
        std::vector<std::size_t> withoutPicture;
    } cases[] = {
        {"small JPEG", {folder.file("small.jpg")}, {{sha256Hex(small) + ".jpg", small}}, {}},
        {"small bitmap", {folder.file("small.bmp")}, {{sha256Hex(bmp) + ".bmp", bmp}}, {}},
        {"large JPEG", {folder.file("large.jpg")}, {{".jpg", ""}}, {}},
        {"no picture", {folder.file("text.jpg")}, {}, {0}},
        {"a pipe", {"\\\\.\\pipe\\portrait"}, {}, {0}},
        {"one photo, two dolls",
         {folder.file("small.jpg"), "small.jpg", ""},
         {{sha256Hex(small) + ".jpg", small}},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<CharacterSheet> sheets(c.portraits.size());
        std::vector<PieceDoll> dolls;
        for (std::size_t at = 0; at < sheets.size(); ++at) {
            sheets[at].setPortrait(c.portraits[at]);
            dolls.push_back({&sheets[at], folder.file("doll.txt"), PathCode::codePage932});
        }
        const std::string zip = folder.file("piece.zip");
        const PieceOutcome outcome = writeUdonariumPiece(dolls, zip, PathCode::codePage932);
        EXPECT_EQ(outcome.result, PieceOutcome::Result::written);
        EXPECT_EQ(outcome.withoutPicture, c.withoutPicture);
        std::map<std::string, std::string> entries = entriesOf(zip);
        std::vector<std::string> identifiers;
        for (std::size_t at = 1; at <= dolls.size(); ++at) {
            const std::string xml = std::to_string(at) + ".xml";
            identifiers.push_back(leafText(parsed(entries[xml]), imageXpath));
            entries.erase(xml);
        }
        ASSERT_EQ(entries.size(), c.pictures.size());
        for (std::size_t at = 0; at < identifiers.size(); ++at) {
            const std::string& identifier = identifiers[at];
            EXPECT_EQ(identifier.empty(), c.pictures.empty() || c.portraits[at].empty()) << at;
            const auto stored = std::ranges::find_if(
                entries, [&](const auto& entry) { return entry.first.starts_with(identifier + "."); });
            EXPECT_EQ(identifier.empty() || stored == entries.end() ? "" : sha256Hex(stored->second),
                      identifier);
        }
        for (const auto& [name, bytes] : c.pictures) {
            if (!bytes.empty()) {
                EXPECT_EQ(entries[name], bytes) << name;
                continue;
            }
            const std::string& shrunk = entries.begin()->second;
            EXPECT_TRUE(entries.begin()->first.ends_with(name));
            EXPECT_EQ(jpegSizeOf(shrunk).width, shrunkPictureSide);
            EXPECT_EQ(jpegSizeOf(shrunk).height, 768);
            EXPECT_LE(shrunk.size(), roomPictureBytes);
        }
    }
}

// Stopped, or unable to write, the piece leaves whatever was at its place.
TEST(UdonariumPiece, StopsOrFailsWithoutWritingAnything) {
    ScratchFolder folder;
    const std::string zip = folder.file("piece.zip");
    writeBytes(zip, "kept");
    const CharacterSheet sheets[2];
    const std::vector<PieceDoll> dolls{{&sheets[0], folder.file("a.txt")},
                                       {&sheets[1], folder.file("b.txt")}};
    std::vector<std::size_t> asked;
    const PieceOutcome stopped =
        writeUdonariumPiece(dolls, zip, PathCode::codePage932, [&](std::size_t done, std::size_t total) {
            asked.push_back(done);
            return done < total;
        });
    EXPECT_EQ(stopped.result, PieceOutcome::Result::stopped);
    EXPECT_EQ(asked, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(readBytes(zip), "kept");
    EXPECT_EQ(writeUdonariumPiece(dolls, folder.file("none/piece.zip"), PathCode::utf8).result,
              PieceOutcome::Result::notWritten);
}

// What Windows takes as a file name, whatever a stranger named the doll.
TEST(PieceFileName, IsTheDollsNameAsAFileNameHoldsIt) {
    const struct {
        std::string doll, file;
    } cases[] = {
        {"リリィ", "リリィ"},
        {"ソ表\\", "ソ表_"}, // a trail byte 0x5C ends its character; a backslash alone is a separator
        {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
        {"tab\there\x7F", "tab_here_"},
        {"dots. ..", "dots____"},
        {"\x81/", "__"}, // a lead byte without its trail byte
        {"CON", "_CON"},
        {"com1.txt", "_com1.txt"},
        {"", "無題"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pieceFileName(c.doll), c.file) << c.doll;
}

TEST(SheetCommand, WritesTheUdonariumPieceBesideTheFirstSheetOrToOut) {
    ScratchFolder folder;
    const std::string first = folder.file("リリィ.txt"), second = folder.file("second.txt");
    writeBytes(first, readBytes(fixturePath("example-sheet.txt")));
    writeBytes(second, readBytes(fixturePath("full-sheet.txt")));
    std::ostringstream out, err;
    EXPECT_EQ(runSheetCommand({"udonarium", first, second}, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), folder.file("リリィ.zip") + "\n");
    const std::map<std::string, std::string> party = entriesOf(folder.file("リリィ.zip"));
    EXPECT_EQ(party.size(), 2u);
    EXPECT_EQ(runSheetCommand({"udonarium", "-o", folder.file("one.zip"), second}, out, err), 0);
    EXPECT_EQ(entriesOf(folder.file("one.zip")).size(), 1u);
}

} // namespace
