#include "editor/CellList.h"
#include "editor/ControlText.h"
#include "editor/SheetForm.h"
#include "portrait/PortraitImage.h"
#include "portrait/PortraitView.h"
#include "res/resource.h"

#include "JpegEncoding.h"
#include "ShownSheetForm.h"
#include "TestFiles.h"
#include "WindowTesting.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <random>

namespace {

// The failure message, read from the message box and answered with OK.
class LoadFailureMessage {
public:
    LoadFailureMessage()
        : answer("画像の読み込み", IDOK, [this](HWND box) {
              for (HWND child = FindWindowExA(box, nullptr, "Static", nullptr); child != nullptr;
                   child = FindWindowExA(box, child, "Static", nullptr))
                  text += readControlText(child);
          }) {}
    // Whether the message came; its text is then in `text`.
    bool shown() { return answer.answered(); }
    std::string text;

private:
    DialogAnswer answer;
};

// A record with the real image loader, as the program has it.
class PortraitTest : public testing::Test {
protected:
    void SetUp() override { installPortraitLoader(&windowsPortraitLoader); }
    void TearDown() override { installPortraitLoader(nullptr); }

    // A copy of a fixture under another name, to show that the content and
    // not the name decides.
    std::string copyAs(const char* fixture, const char* name) {
        const std::string path = folder.file(name);
        writeBytes(path, readBytes(fixturePath(fixture)));
        return path;
    }

    void expectLoadFails(CharacterSheet& sheet, const std::string& path) {
        LoadFailureMessage message;
        sheet.setPortrait(path);
        ASSERT_TRUE(message.shown()) << path;
        EXPECT_EQ(message.text, path + "の読み込みに失敗しました");
        EXPECT_EQ(sheet.getPortraitDc(), nullptr);
        EXPECT_EQ(sheet.getPortraitPath(), path);
    }

    ScratchFolder folder;
};

TEST_F(PortraitTest, LoadsBitmapsAndJpegsByContentNotByName) {
    const struct {
        const char* fixture;
        const char* name;
        bool fromJpeg;
    } cases[] = {{"portrait-red-over-blue.bmp", "a.bmp", false},
                 {"portrait-red-over-blue.jpg", "b.jpg", true},
                 {"portrait-red-over-blue.bmp", "c.jpg", false},
                 {"portrait-red-over-blue.jpg", "d.bmp", true}};
    for (const auto& c : cases) {
        CharacterSheet sheet;
        sheet.setPortrait(copyAs(c.fixture, c.name));
        ASSERT_NE(sheet.getPortraitDc(), nullptr) << c.name;
        const PortraitBitmap bitmap = sheet.getPortraitBitmap();
        EXPECT_EQ(bitmap.width, 16) << c.name;
        EXPECT_EQ(bitmap.height, 16) << c.name;
        // Only the JPEG decoder makes a DIB section, whose bits are at hand.
        EXPECT_EQ(bitmap.bits != nullptr, c.fromJpeg) << c.name;
    }
}

TEST_F(PortraitTest, JpegBitmapIsBottomUpBlueGreenRed) {
    HBITMAP bitmap = loadJpegBitmap(fixturePath("portrait-red-over-blue.jpg"), true);
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, 24);
    EXPECT_EQ(info.bmPlanes, 1);
    EXPECT_EQ(info.bmWidthBytes, 48);
    const auto* bits = static_cast<const unsigned char*>(info.bmBits);
    // The first row in memory is the picture's bottom row: blue.
    EXPECT_GT(bits[0], 180);
    EXPECT_LT(bits[2], 80);
    // The last is its top row: red, stored as blue, green, red.
    const unsigned char* top = bits + 15 * 48;
    EXPECT_LT(top[0], 80);
    EXPECT_GT(top[2], 180);
    DeleteObject(bitmap);
}

TEST_F(PortraitTest, LoadsImagesBuiltIntoTheProgram) {
    CharacterSheet sheet;
    sheet.setPortrait("TESTJPEG");
    ASSERT_NE(sheet.getPortraitDc(), nullptr);
    EXPECT_NE(sheet.getPortraitBitmap().bits, nullptr) << "decoded from the JPEG resource";
    sheet.setPortrait("TESTBITMAP");
    ASSERT_NE(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitBitmap().width, 16);
}

TEST_F(PortraitTest, WhatDoesNotLoadIsReportedWithItsWholePath) {
    CharacterSheet sheet;
    writeBytes(folder.file("note.jpg"), "これは画像ではありません\r\n");
    expectLoadFails(sheet, folder.file("note.jpg"));
    expectLoadFails(sheet, folder.file("missing.bmp"));
    const std::string longPath = folder.file(std::string(1500, 'x') + "\\人形.jpg");
    expectLoadFails(sheet, longPath);
    // A JPEG cut short after its header is no failure: the library fills in
    // what is missing.
    const std::string jpeg = readBytes(fixturePath("portrait-red-over-blue.jpg"));
    writeBytes(folder.file("cut.jpg"), jpeg.substr(0, jpeg.size() - 30));
    sheet.setPortrait(folder.file("cut.jpg"));
    EXPECT_NE(sheet.getPortraitDc(), nullptr);
}

TEST_F(PortraitTest, AFailedLoadLeavesNoPortraitBehind) {
    CharacterSheet sheet;
    sheet.setPortrait(fixturePath("portrait-red-over-blue.jpg"));
    ASSERT_NE(sheet.getPortraitDc(), nullptr);
    expectLoadFails(sheet, folder.file("gone.jpg"));
}

TEST_F(PortraitTest, ABitmapHeaderBeyondAnyPortraitIsRefusedAtOnce) {
    // A 54-byte file that claims 200000 x 200000 pixels of 24 bits.
    std::string bmp = readBytes(fixturePath("portrait-red-over-blue.bmp")).substr(0, 54);
    for (int offset : {18, 22}) {
        const unsigned value = 200000;
        for (int i = 0; i < 4; ++i)
            bmp[offset + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    }
    writeBytes(folder.file("huge.bmp"), bmp);
    CharacterSheet sheet;
    expectLoadFails(sheet, folder.file("huge.bmp"));
}

// ---- The portrait frame on the form ----

std::string chosenPortrait;
int choices = 0;
std::string choosePortrait() {
    ++choices;
    return chosenPortrait;
}

class PortraitFrameTest : public PortraitTest {
protected:
    void SetUp() override {
        PortraitTest::SetUp();
        form = shown.emplace(sheet).form();
        sheetForm.choosePortraitFile = choosePortrait;
        frame = GetDlgItem(form, IDC_PORTRAIT_FRAME);
        GetWindowRect(frame, &frameRect);
        screenRectToClient(form, &frameRect);
        choices = 0;
        chosenPortrait.clear();
    }

    void TearDown() override {
        sheetForm.choosePortraitFile = nullptr;
        shown.reset();
        PortraitTest::TearDown();
    }

    void repaint() const {
        RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpMessages();
    }

    COLORREF pixel(int x, int y) const {
        HDC dc = GetDC(form);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(form, dc);
        return colour;
    }

    // A point of the frame, as fractions of its width and height.
    COLORREF framePixel(double across, double down) const {
        return pixel(frameRect.left + static_cast<int>((frameRect.right - frameRect.left - 1) * across),
                     frameRect.top + static_cast<int>((frameRect.bottom - frameRect.top - 1) * down));
    }

    void doubleClick(int x, int y) const {
        SendMessageA(form, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    }

    CharacterSheet sheet;
    std::optional<ShownSheetForm> shown;
    HWND form = nullptr;
    HWND frame = nullptr;
    RECT frameRect{};
};

bool isReddish(COLORREF c) {
    return GetRValue(c) > 170 && GetBValue(c) < 90;
}
bool isBluish(COLORREF c) {
    return GetBValue(c) > 170 && GetRValue(c) < 90;
}

TEST_F(PortraitFrameTest, ThePortraitCoversTheWholeFrame) {
    sheet.setPortrait(fixturePath("portrait-red-over-blue.jpg"));
    repaint();
    for (double across : {0.0, 0.5, 1.0}) {
        EXPECT_TRUE(isReddish(framePixel(across, 0.0))) << across;
        EXPECT_TRUE(isReddish(framePixel(across, 0.35))) << across;
        EXPECT_TRUE(isBluish(framePixel(across, 0.65))) << across;
        EXPECT_TRUE(isBluish(framePixel(across, 1.0))) << across;
    }
}

TEST_F(PortraitFrameTest, ADoubleClickOnTheEdgeRemovesAShownPortrait) {
    repaint();
    const COLORREF outline = framePixel(0.0, 0.5), inside = framePixel(0.5, 0.5);
    ASSERT_NE(outline, inside);
    sheet.setPortrait(fixturePath("portrait-red-over-blue.bmp"));
    repaint();
    ASSERT_TRUE(isReddish(framePixel(0.5, 0.2)));
    doubleClick(frameRect.right, frameRect.bottom);
    repaint();
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitPath(), "");
    EXPECT_EQ(choices, 0) << "no question is asked";
    // The frame looks again as it did before any portrait: its outline and
    // the form inside it.
    EXPECT_EQ(framePixel(0.0, 0.5), outline);
    EXPECT_EQ(framePixel(0.5, 0.5), inside);
}

TEST_F(PortraitFrameTest, ADoubleClickWithoutPortraitAsksForOne) {
    chosenPortrait = fixturePath("portrait-red-over-blue.jpg");
    doubleClick(frameRect.left, frameRect.top);
    EXPECT_EQ(choices, 1);
    EXPECT_NE(sheet.getPortraitDc(), nullptr);
    repaint();
    EXPECT_TRUE(isBluish(framePixel(0.5, 0.9)));
    // A cancelled choice changes nothing.
    doubleClick(frameRect.right, frameRect.bottom);
    chosenPortrait.clear();
    doubleClick(frameRect.left + 3, frameRect.top + 3);
    EXPECT_EQ(choices, 2);
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitPath(), "");
}

TEST_F(PortraitFrameTest, ASheetFileBringsItsPortrait) {
    // A sheet passed on names the picture on the first player's machine; the
    // picture came along beside the sheet.
    writeBytes(folder.file("リリィ.jpg"), readBytes(fixturePath("portrait-red-over-blue.jpg")));
    for (const std::string& portrait :
         {fixturePath("portrait-red-over-blue.bmp"), fixturePath("portrait-red-over-blue.jpg"),
          std::string("C:\\Users\\ほかの人\\Pictures\\リリィ.jpg"),
          std::string("\\\\server\\share\\リリィ.jpg")}) {
        const std::string sheetFile = "1002\r\n" + portrait + "\r\nリリィ\r\n";
        writeBytes(folder.file("doll.txt"), sheetFile);
        ASSERT_TRUE(sheet.loadSheet(folder.file("doll.txt")));
        refreshSheetForm();
        repaint();
        EXPECT_TRUE(isReddish(framePixel(0.5, 0.2))) << portrait;
        EXPECT_TRUE(isBluish(framePixel(0.5, 0.8))) << portrait;
        ASSERT_TRUE(sheet.saveSheet(folder.file("saved.txt")));
        EXPECT_EQ(readBytes(folder.file("saved.txt")).substr(0, sheetFile.size()), sheetFile) << portrait;
    }
    // A portrait that no longer loads is reported; the sheet keeps its path.
    writeBytes(folder.file("doll.txt"), "1002\r\n" + folder.file("moved.jpg") + "\r\nリリィ\r\n");
    {
        LoadFailureMessage message;
        ASSERT_TRUE(sheet.loadSheet(folder.file("doll.txt")));
        EXPECT_TRUE(message.shown());
    }
    EXPECT_EQ(sheet.getPortraitPath(), folder.file("moved.jpg"));
    EXPECT_EQ(sheet.getDollName(), "リリィ");
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
}

// Mean red, green and blue of the top left, top right, bottom left and
// bottom right quarter of a picture.
using QuarterMeans = std::array<std::array<double, 3>, 4>;

// `rgbAt(x, y)` gives a pixel's three samples, y counted from the top.
template <class RgbAt> QuarterMeans meansOfQuarters(int width, int height, RgbAt rgbAt) {
    QuarterMeans sums{};
    std::array<double, 4> counts{};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int quarter = (y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1);
            const std::array<int, 3> rgb = rgbAt(x, y);
            for (int c = 0; c < 3; ++c)
                sums[quarter][c] += rgb[c];
            ++counts[quarter];
        }
    }
    for (int quarter = 0; quarter < 4; ++quarter) {
        for (double& sum : sums[quarter])
            sum /= counts[quarter];
    }
    return sums;
}

// A camera-sized photo, its quarters four colours under a shading and a
// grain, compressed as a camera does, with its colour subsampled.
struct Photo {
    PictureToEncode picture;

    Photo() {
        picture.width = 2400;
        picture.height = 1800;
        picture.quality = 90;
        picture.fullResolution = false;
        constexpr std::array<std::array<int, 3>, 4> quarterColours = {
            {{200, 60, 40}, {60, 170, 70}, {40, 70, 190}, {220, 200, 60}}};
        std::mt19937 grain(9);
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const auto& colour =
                    quarterColours[(y < picture.height / 2 ? 0 : 2) + (x < picture.width / 2 ? 0 : 1)];
                const int shade = 20 * (x % (picture.width / 2)) / (picture.width / 2) - 10;
                for (int c = 0; c < 3; ++c)
                    picture.samples.push_back(
                        static_cast<JSAMPLE>(colour[c] + shade + static_cast<int>(grain() % 17) - 8));
            }
        }
    }

    QuarterMeans quarters() const {
        return meansOfQuarters(picture.width, picture.height, [this](int x, int y) {
            const JSAMPLE* rgb = &picture.samples[(static_cast<std::size_t>(y) * picture.width + x) * 3];
            return std::array<int, 3>{rgb[0], rgb[1], rgb[2]};
        });
    }
};

// What the form shows inside `rect`, read back from the screen.
QuarterMeans shownQuarters(HWND form, const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC screen = GetDC(form);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    const QuarterMeans means = meansOfQuarters(width, height, [&](int x, int y) {
        const std::uint8_t* bgrx = pixels + (static_cast<std::size_t>(y) * width + x) * 4;
        return std::array<int, 3>{bgrx[2], bgrx[1], bgrx[0]};
    });
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(form, screen);
    DeleteObject(copy);
    return means;
}

// Decoded at a fraction of its size and shrunk to the frame, the photo
// still stands upright, unmirrored, in its own colours: each quarter of the
// frame has the mean colour of the same quarter of the photo.
TEST_F(PortraitFrameTest, APhotoManyTimesTheFrameShowsUprightInItsOwnColours) {
    const Photo photo;
    writeBytes(folder.file("photo.jpg"), encodeJpeg(photo.picture));
    sheet.setPortrait(folder.file("photo.jpg"));
    ASSERT_NE(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitBitmap().width, frameRect.right - frameRect.left);
    EXPECT_EQ(sheet.getPortraitBitmap().height, frameRect.bottom - frameRect.top);
    repaint();
    const QuarterMeans shown = shownQuarters(form, frameRect), expected = photo.quarters();
    const char* names[] = {"top left", "top right", "bottom left", "bottom right"};
    for (int quarter = 0; quarter < 4; ++quarter) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(shown[quarter][c], expected[quarter][c], 8) << names[quarter] << ", channel " << c;
    }
}

// A pipe served by the test itself, waiting for a client that must never come.
class ServedPipe {
public:
    explicit ServedPipe(const std::string& name)
        : pipe(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 0,
                                0, 0, nullptr)) {
        waiting.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        listening = !ConnectNamedPipe(pipe, &waiting) && GetLastError() == ERROR_IO_PENDING;
    }
    ~ServedPipe() {
        CancelIo(pipe);
        CloseHandle(pipe);
        CloseHandle(waiting.hEvent);
    }
    bool isListening() const { return listening; }
    bool sawClient() const { return WaitForSingleObject(waiting.hEvent, 0) == WAIT_OBJECT_0; }

private:
    HANDLE pipe;
    OVERLAPPED waiting{};
    bool listening = false;
};

TEST_F(PortraitFrameTest, ASheetFileNamingNoPlainFileOpensNothing) {
    const std::string pipeName = "\\\\.\\pipe\\velmora-portrait-" + std::to_string(GetCurrentProcessId());
    ServedPipe pipe(pipeName);
    ASSERT_TRUE(pipe.isListening());
    CreateDirectoryA(folder.file("folder.jpg").c_str(), nullptr);
    for (const std::string& portrait : {pipeName, folder.file("folder.jpg")}) {
        const std::string sheetFile = "1002\r\n" + portrait + "\r\nリリィ\r\n";
        writeBytes(folder.file("doll.txt"), sheetFile);
        {
            LoadFailureMessage message;
            ASSERT_TRUE(sheet.loadSheet(folder.file("doll.txt")));
            ASSERT_TRUE(message.shown()) << portrait;
            EXPECT_EQ(message.text, portrait + "の読み込みに失敗しました");
        }
        EXPECT_EQ(sheet.getPortraitDc(), nullptr);
        EXPECT_FALSE(pipe.sawClient()) << portrait;
        ASSERT_TRUE(sheet.saveSheet(folder.file("saved.txt")));
        EXPECT_EQ(readBytes(folder.file("saved.txt")).substr(0, sheetFile.size()), sheetFile) << portrait;
    }
}

TEST_F(PortraitFrameTest, ADoubleClickOutsideTheFrameDoesNothing) {
    sheet.setPortrait(fixturePath("portrait-red-over-blue.bmp"));
    doubleClick(frameRect.right + 1, frameRect.top + 5);
    doubleClick(frameRect.left + 5, frameRect.bottom + 1);
    EXPECT_NE(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(choices, 0);
}

TEST(PointInRectInclusive, CountsAllFourEdges) {
    const RECT rect = {10, 20, 30, 40};
    const struct {
        POINT point;
        bool inside;
    } cases[] = {{{10, 20}, true},  {{30, 40}, true},  {{20, 30}, true}, {{9, 30}, false},
                 {{31, 30}, false}, {{20, 19}, false}, {{20, 41}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(pointInRectInclusive(&rect, &c.point), c.inside) << c.point.x << "," << c.point.y;
    EXPECT_FALSE(pointInRectInclusive(nullptr, &cases[0].point));
    EXPECT_FALSE(pointInRectInclusive(&rect, nullptr));
}

} // namespace
