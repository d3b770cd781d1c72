#include "store/RecentSheets.h"
#include "app/SheetTitle.h"
#include "store/RecoveryRecord.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> numberedPaths(int count) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i)
        paths.push_back("C:\\sheets\\" + std::to_string(i) + ".txt");
    return paths;
}

TEST(RecentSheets, ReadOnlyAListOfTheProgramsOwn) {
    const std::vector<std::string> nine = numberedPaths(9);
    const std::string japanese = utf8Bytes(u8"D:\\人形\\b.txt");
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> paths;
    } cases[] = {
        {"a missing or empty file", "", {}},
        {"two paths, blank lines left out", "C:\\a.txt\r\n\r\n" + japanese + "\n", {"C:\\a.txt", japanese}},
        {"nine paths, the oldest left out", recentSheetsText(nine), numberedPaths(8)},
        {"a path twice", "C:\\a.txt\r\nc:\\A.txt\r\n", {"C:\\a.txt"}},
        {"a NUL byte", std::string("C:\\a.txt\r\n\0x\r\n", 14), {}},
        {"a control character", "C:\\a.txt\r\nC:\\\x1b.txt\r\n", {}},
        {"no UTF-8: code page 932 bytes", "C:\\\x83\x5C.txt\r\n", {}},
        {"no UTF-8: a cut sequence", "C:\\a\xE3\x81", {}},
        {"no UTF-8: an overlong slash", "C:\\a\xC0\xAF", {}},
        {"larger than any list", std::string(recentSheetsFileLimit + 1, 'a'), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readRecentSheets(c.text), c.paths) << c.what;
    EXPECT_EQ(readRecentSheets(recentSheetsText(numberedPaths(8))), numberedPaths(8));
}

TEST(RecentSheets, PutTheNewestFirstOnceAndKeepEight) {
    std::vector<std::string> paths = numberedPaths(8);
    paths = withRecentSheet(paths, "c:\\SHEETS\\3.txt");
    EXPECT_EQ(paths.size(), 8u);
    EXPECT_EQ(paths[0], "c:\\SHEETS\\3.txt");
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "C:\\sheets\\3.txt"), 0);
    paths = withRecentSheet(paths, "C:\\new.txt");
    EXPECT_EQ(paths.size(), 8u);
    EXPECT_EQ(paths.front(), "C:\\new.txt");
    EXPECT_EQ(paths.back(), "C:\\sheets\\7.txt");
    // Letters beyond ASCII keep their case: Ａ and ａ are two names.
    paths = withoutRecentSheet(withRecentSheet(paths, "C:\\Ａ.txt"), "C:\\ａ.txt");
    EXPECT_EQ(paths.front(), "C:\\Ａ.txt");
}

TEST(RecentSheets, NameTheirMenuItemsAndTheWindowByTheFileName) {
    EXPECT_EQ(recentSheetMenuText(0, "C:\\人形\\リリィ.txt"), "&1 リリィ.txt");
    // "ソ" ends in the backslash's byte; an ampersand is doubled.
    EXPECT_EQ(recentSheetMenuText(7, "C:\\ソ\\A&B ソ.txt"), "&8 A&&B ソ.txt");
    EXPECT_EQ(mainWindowTitle("", false), "Velmoraキャラ管理ツール ver 1.002");
    EXPECT_EQ(mainWindowTitle("", true), "*無題 - Velmoraキャラ管理ツール ver 1.002");
    EXPECT_EQ(mainWindowTitle("D:\\表\\ソ.txt", false), "ソ.txt - Velmoraキャラ管理ツール ver 1.002");
}

} // namespace

TEST(RecoveryRecord, ReadsBackOnlyARecordOfTheProgramsOwn) {
    const std::string japanese = "C:\\人形\\ソフィア.txt"; // 0x5C ends ソ in code page 932
    const RecoveryRecord saved{japanese, "2026-12-09 14:03:05"};
    const std::string text = recoveryRecordText(saved);
    const struct {
        const char* what;
        std::string text;
        std::optional<RecoveryRecord> record;
    } cases[] = {
        {"a sheet's record", text, saved},
        {"a sheet never saved", recoveryRecordText({"", "2026-01-02 03:04:05"}),
         RecoveryRecord{"", "2026-01-02 03:04:05"}},
        {"a path code page 932 cannot hold",
         "Velmora recovery 1\r\nC:\\Zo\xC3\xAB\xF0\x9F\x98\x80.txt\r\n2026-12-09 14:03:05\r\n", std::nullopt},
        {"code page 932 bytes, no UTF-8", "Velmora recovery 1\r\n" + japanese + "\r\n2026-12-09 14:03:05\r\n",
         std::nullopt},
        {"another header", "Velmora recovery 2\r\n\r\n2026-12-09 14:03:05\r\n", std::nullopt},
        {"a cut record", text.substr(0, text.size() - 1), std::nullopt},
        {"a line more", text + "x\r\n", std::nullopt},
        {"a damaged time", "Velmora recovery 1\r\n\r\n2026-12-09 14:0x:05\r\n", std::nullopt},
        {"a control character", "Velmora recovery 1\r\nC:\\a\tb\r\n2026-12-09 14:03:05\r\n", std::nullopt},
        {"larger than any record", std::string(recoveryRecordLimit + 1, 'a'), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readRecoveryRecord(c.text), c.record) << c.what;
    EXPECT_EQ(recoveryQuestion(saved),
              "ソフィア.txt の保存されていない変更が残っています（12月9日 14:03）。復元しますか？\n\n"
              "はい: 復元します　いいえ: 破棄します　キャンセル: 次の起動まで残します");
    EXPECT_EQ(recoveryQuestion({"", "2026-01-02 03:04:05"}).substr(0, 4), "無題");
}
