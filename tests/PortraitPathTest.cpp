#include "portrait/PortraitPath.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using Kind = PortraitPathKind;

TEST(PortraitPath, OnlyPlainLocalNamesAreFiles) {
    // "ソ" and "表" end in the byte 0x5C, the backslash.
    const std::string so = "\x83\x5C", hyo = "\x95\x5C";
    const struct {
        std::string path;
        Kind kind;
    } cases[] = {
        // Plain files, relative and absolute.
        {"doll.jpg", Kind::localFile},
        {"C:\\dolls\\doll.jpg", Kind::localFile},
        {"c:/dolls/doll.jpg", Kind::localFile},
        {"..\\doll.jpg", Kind::localFile},
        {"\\dolls\\doll.jpg", Kind::localFile},
        {"C:doll.jpg", Kind::localFile},
        {"\\\\?\\C:\\dolls\\doll.jpg", Kind::localFile},
        {"doll.jpg. . ", Kind::localFile},
        {"C:\\" + std::string(5000, 'a') + "\\doll.jpg", Kind::localFile},
        {"C:\\人形\\リリィ.jpg", Kind::localFile},
        // Names that only start like a device.
        {"COM10.jpg", Kind::localFile},
        {"CONSOLE.jpg", Kind::localFile},
        {"com.jpg", Kind::localFile},
        {"icon.bmp", Kind::localFile},
        {"C:\\CON\\doll.jpg", Kind::localFile},
        // A trail byte 0x5C is part of its character, not a separator.
        {"C:\\dolls\\" + so + "CON.jpg", Kind::localFile},
        {"C:\\" + hyo + "\\CON", Kind::notAFile},
        {"C:\\dolls\\" + hyo + "COM3", Kind::localFile},
        {"C:\\dolls\\" + hyo + "NUL.txt", Kind::localFile},
        {"C:\\dolls\\\x81\\LPT1", Kind::localFile},    // "―LPT1"
        {"C:\\dolls\\\x81\x81\\COM3", Kind::notAFile}, // "＝", then a separator
        // A lead byte before a byte that ends no character: such a path is
        // split differently by the readers of code page 932.
        {"C:\\p\\\x81/COM3", Kind::notAFile},
        {"C:\\p\\\x81/CON", Kind::notAFile},
        {"C:\\p\\\x9F/LPT1", Kind::notAFile},
        {"C:\\p\\\xFC/NUL.txt", Kind::notAFile},
        {"\xE0/aux.jpg", Kind::notAFile},
        {"C:\\p\\\x81/doll.jpg", Kind::notAFile},
        {"C:\\p\\COM3.\x81/doll.jpg", Kind::notAFile},
        {"C:\\p\\\x81 doll.jpg", Kind::notAFile},
        // Shares on other machines.
        {"\\\\server\\share\\doll.jpg", Kind::network},
        {"//server/share/doll.jpg", Kind::network},
        {"\\/server\\share\\doll.jpg", Kind::network},
        {"\\\\?\\UNC\\server\\share\\doll.jpg", Kind::network},
        {"\\\\?\\unc\\server\\share\\doll.jpg", Kind::network},
        {"\\??\\UNC\\server\\share\\doll.jpg", Kind::network},
        // The device and object namespaces.
        {"\\\\.\\pipe\\something", Kind::notAFile},
        {"//./pipe/something", Kind::notAFile},
        {"\\\\.\\C:\\dolls\\doll.jpg", Kind::notAFile},
        {"\\\\.", Kind::notAFile},
        {"\\\\?\\pipe\\something", Kind::notAFile},
        {"\\\\?\\GLOBALROOT\\Device\\Null", Kind::notAFile},
        {"\\\\?\\Volume{12345678-0000-0000-0000-000000000000}\\doll.jpg", Kind::notAFile},
        {"\\??\\pipe\\something", Kind::notAFile},
        {"\\\\?\\C:\\dolls\\CON", Kind::notAFile},
        // Reserved device names in any folder, case, extension or trailer.
        {"CON", Kind::notAFile},
        {"con.jpg", Kind::notAFile},
        {"C:\\dolls\\Nul.txt", Kind::notAFile},
        {"dolls/COM1", Kind::notAFile},
        {"lpt9.jpeg", Kind::notAFile},
        {"COM0", Kind::notAFile},
        {"LPT0.bmp", Kind::notAFile},
        {"PRN", Kind::notAFile},
        {"aux", Kind::notAFile},
        {"CONIN$", Kind::notAFile},
        {"conout$.jpg", Kind::notAFile},
        {"CON.", Kind::notAFile},
        {"CON  ", Kind::notAFile},
        {"AUX .jpg", Kind::notAFile},
        {"C:PRN", Kind::notAFile},
        {"C:\\dolls\\CON:stream", Kind::notAFile},
        {"C:\\" + std::string(5000, 'a') + "\\COM3.jpg", Kind::notAFile},
        // A NUL would cut the name the file functions see.
        {std::string("CON\0.jpg", 8), Kind::notAFile},
        {std::string("doll.jpg\0\\\\server\\share", 24), Kind::notAFile},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classifyPortraitPath(c.path), c.kind) << c.path;
}

// A sheet passed to another player names its portrait by the path on the
// first player's disk; the picture travels beside the sheet.
TEST(PortraitPath, ASheetsPortraitIsFoundAtItsPathElseBesideTheSheet) {
    enum Where { atPath, besideSheet, nowhere };
    const ScratchFolder elsewhere;
    writeBytes(elsewhere.file("a.jpg"), "");
    std::filesystem::create_directory(elsewhere.file("folder.jpg"));
    const std::string so = "\x83\x5C", farAway = "C:\\Users\\ほかの人\\Pictures\\";
    const struct {
        std::string portrait;
        std::string beside; // a file put beside the sheet
        Where found;
    } cases[] = {
        {elsewhere.file("a.jpg"), "a.jpg", atPath},
        {elsewhere.file("folder.jpg"), "folder.jpg", besideSheet}, // a folder is no portrait
        {farAway + "リリィ.jpg", "リリィ.jpg", besideSheet},
        {farAway + "リリィ.jpg", "", nowhere},
        {"\\\\server\\share\\リリィ.jpg", "リリィ.jpg", besideSheet},
        {"\\\\.\\pipe\\リリィ.jpg", "リリィ.jpg", besideSheet},
        {farAway + "CON", "", nowhere},
        {farAway + so + ".jpg", so + ".jpg", besideSheet},
        {farAway + "\x81/COM3", "", nowhere},
        {farAway + "\x81/a.jpg", "a.jpg", besideSheet},
        {farAway, "", nowhere},
    };
    for (const auto& c : cases) {
        const ScratchFolder sheetFolder;
        if (!c.beside.empty())
            writeBytes(sheetFolder.file(c.beside), "");
        const std::optional<std::string> expected = c.found == atPath        ? c.portrait
                                                    : c.found == besideSheet ? sheetFolder.file(c.beside)
                                                                             : std::optional<std::string>();
        EXPECT_EQ(findSheetPortrait(sheetFolder.file("doll.txt"), c.portrait), expected) << c.portrait;
    }
}

} // namespace
