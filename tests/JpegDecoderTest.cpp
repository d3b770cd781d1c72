#include "portrait/JpegDecoder.h"

#include "JpegEncoding.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// libjpeg-turbo's own test images, and the pictures the build made from
// them and from small PPMs with its cjpeg and djpeg.
std::string testImage(std::string_view name) {
    return std::string(TEST_IMAGES_DIR "/") + std::string(name);
}
std::string madeImage(std::string_view name) {
    return std::string(TEST_JPEG_DIR "/") + std::string(name);
}

const std::uint8_t* asBytes(const std::string& bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

// A byte the decoder has no reason to write: padding left as it was shows.
constexpr std::uint8_t untouched = 0xA5;

// Stands in for the DIB section the windowing layer allocates.
struct Raster {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    int allocations = 0;
    std::vector<std::uint8_t> bytes;

    RasterAllocator allocator() {
        return [this](int pictureWidth, int pictureHeight, std::size_t rowStride) {
            ++allocations;
            width = pictureWidth;
            height = pictureHeight;
            stride = rowStride;
            bytes.assign(rowStride * static_cast<std::size_t>(pictureHeight), untouched);
            return bytes.data();
        };
    }

    // Blue, green, red of the pixel at column x of picture row y, counted
    // from the top: a bottom-up bitmap keeps the top row last.
    const std::uint8_t* pixel(int x, int y) const {
        return bytes.data() + static_cast<std::size_t>(height - 1 - y) * stride +
               static_cast<std::size_t>(x) * 3;
    }

    bool paddingIsZero() const {
        for (int y = 0; y < height; ++y) {
            for (std::size_t at = static_cast<std::size_t>(width) * 3; at < stride; ++at) {
                if (bytes[static_cast<std::size_t>(y) * stride + at] != 0)
                    return false;
            }
        }
        return true;
    }
};

// A picture as djpeg writes it: a binary PPM, or a PGM for grey, whose
// samples are spread to red, green, blue here.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

Picture readReference(const std::string& path) {
    const std::string bytes = readBytes(path);
    std::istringstream header(bytes);
    char magic = 0;
    int kind = 0, maximum = 0;
    Picture picture;
    header >> magic >> kind >> picture.width >> picture.height >> maximum;
    header.get(); // the one white-space character before the samples
    EXPECT_TRUE(magic == 'P' && (kind == 5 || kind == 6) && maximum == 255) << path;
    const int channels = kind == 6 ? 3 : 1;
    const std::size_t samples = static_cast<std::size_t>(picture.width) * picture.height * channels;
    const std::size_t start = static_cast<std::size_t>(header.tellg());
    EXPECT_EQ(bytes.size(), start + samples) << path;
    for (std::size_t at = start; at < start + samples && at < bytes.size(); at += channels) {
        for (int c = 0; c < 3; ++c)
            picture.rgb.push_back(static_cast<std::uint8_t>(bytes[at + (channels == 3 ? c : 0)]));
    }
    return picture;
}

// Compares picture rows [firstRow, firstRow + rows) with the reference,
// reporting the count of differing pixels and the first of them.
testing::AssertionResult sameRows(const Raster& raster, const Picture& picture, int firstRow, int rows) {
    if (raster.width != picture.width || raster.height != picture.height)
        return testing::AssertionFailure() << raster.width << "x" << raster.height << " decoded, "
                                           << picture.width << "x" << picture.height << " expected";
    int differing = 0;
    std::string first;
    for (int y = firstRow; y < firstRow + rows; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* bgr = raster.pixel(x, y);
            const std::uint8_t* rgb = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
            if (bgr[0] == rgb[2] && bgr[1] == rgb[1] && bgr[2] == rgb[0])
                continue;
            if (differing++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    }
    if (differing == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << differing << " pixels differ, the first at " << first;
}

testing::AssertionResult samePicture(const Raster& raster, const Picture& picture) {
    return sameRows(raster, picture, 0, picture.height);
}

struct ReferenceCase {
    std::string jpeg;
    std::string reference;
};

// Baseline, optimised Huffman, arithmetic coding, progressive, a restart
// marker after every block, grey, and widths that need padding and none.
std::vector<ReferenceCase> referenceCases() {
    return {
        {testImage("testorig.jpg"), madeImage("testorig.pnm")},
        {testImage("testimgint.jpg"), madeImage("testimgint.pnm")},
        {testImage("testimgari.jpg"), madeImage("testimgari.pnm")},
        {madeImage("progressive.jpg"), madeImage("progressive.pnm")},
        {madeImage("restarts.jpg"), madeImage("restarts.pnm")},
        {madeImage("grey.jpg"), madeImage("grey.pnm")},
        {madeImage("three-by-two.jpg"), madeImage("three-by-two.pnm")},
        {madeImage("four-by-one.jpg"), madeImage("four-by-one.pnm")},
    };
}

TEST(BitmapStride, IsThreeBytesAPixelRoundedUpToFour) {
    const std::pair<int, std::size_t> cases[] = {{1, 4},  {2, 8},     {3, 12}, {4, 12},
                                                 {5, 16}, {227, 684}, {0, 0}};
    for (const auto& [width, stride] : cases)
        EXPECT_EQ(bitmapStride(width), stride) << width;
}

TEST(JpegDecoding, GivesTheLibrarysOwnPicturePixelForPixel) {
    for (const ReferenceCase& example : referenceCases()) {
        SCOPED_TRACE(example.jpeg);
        Raster raster;
        ASSERT_TRUE(decodeJpegFile(example.jpeg, raster.allocator()));
        EXPECT_EQ(raster.allocations, 1);
        EXPECT_EQ(raster.stride, bitmapStride(raster.width));
        EXPECT_TRUE(samePicture(raster, readReference(example.reference)));
        EXPECT_TRUE(raster.paddingIsZero());
    }
}

TEST(JpegDecoding, FromMemoryGivesTheSameBytesAsFromTheFile) {
    for (const ReferenceCase& example : referenceCases()) {
        SCOPED_TRACE(example.jpeg);
        Raster fromFile, fromMemory;
        ASSERT_TRUE(decodeJpegFile(example.jpeg, fromFile.allocator()));
        const std::string jpeg = readBytes(example.jpeg);
        ASSERT_TRUE(decodeJpegMemory(asBytes(jpeg), jpeg.size(), fromMemory.allocator()));
        EXPECT_EQ(fromMemory.width, fromFile.width);
        EXPECT_EQ(fromMemory.height, fromFile.height);
        EXPECT_EQ(fromMemory.stride, fromFile.stride);
        EXPECT_TRUE(fromMemory.bytes == fromFile.bytes);
    }
}

// A 150 x 185 portrait frame wants at least twice its size; the library
// rounds each reduced side up.
TEST(JpegReduction, IsTheLargestThatKeepsTheWantedSizeBothWays) {
    const PictureSize atLeast = {300, 370};
    const struct {
        PictureSize picture;
        int reduction;
    } cases[] = {
        {{300, 370}, 1},   {{598, 740}, 1},   {{600, 738}, 1},   {{599, 739}, 2},    {{1196, 1480}, 2},
        {{1200, 1476}, 2}, {{1197, 1477}, 4}, {{2392, 2960}, 4}, {{2400, 2952}, 4},  {{2393, 2953}, 8},
        {{6000, 4000}, 8}, {{4000, 6000}, 8}, {{6000, 700}, 1},  {{100, 50'000}, 1}, {{299, 369}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jpegReduction(c.picture, atLeast), c.reduction)
            << c.picture.width << "x" << c.picture.height;
    EXPECT_EQ(jpegReduction({6000, 4000}, fullSize), 1);
}

// The reduced picture is the library's own, as djpeg -scale gives it; a
// wanted size one pixel wider than half the picture keeps it whole.
TEST(JpegDecoding, ReducesAPictureAsFarAsItStaysTheWantedSize) {
    const struct {
        std::string jpeg;
        PictureSize atLeast;
        std::string reference;
    } cases[] = {
        {testImage("testorig.jpg"), {115, 75}, madeImage("testorig.pnm")},
        {testImage("testorig.jpg"), {114, 75}, madeImage("testorig-1-2.pnm")},
        {testImage("testorig.jpg"), {57, 38}, madeImage("testorig-1-4.pnm")},
        {testImage("testorig.jpg"), {29, 19}, madeImage("testorig-1-8.pnm")},
        {madeImage("grey.jpg"), {100, 38}, madeImage("grey-1-2.pnm")},
        {madeImage("grey.jpg"), {50, 38}, madeImage("grey-1-4.pnm")},
        {madeImage("grey.jpg"), {1, 1}, madeImage("grey-1-8.pnm")},
    };
    for (const auto& example : cases) {
        SCOPED_TRACE(example.reference);
        Raster fromFile, fromMemory;
        ASSERT_TRUE(decodeJpegFile(example.jpeg, fromFile.allocator(), example.atLeast));
        EXPECT_EQ(fromFile.stride, bitmapStride(fromFile.width));
        EXPECT_TRUE(samePicture(fromFile, readReference(example.reference)));
        EXPECT_TRUE(fromFile.paddingIsZero());
        const std::string jpeg = readBytes(example.jpeg);
        ASSERT_TRUE(decodeJpegMemory(asBytes(jpeg), jpeg.size(), fromMemory.allocator(), example.atLeast));
        EXPECT_TRUE(fromMemory.bytes == fromFile.bytes);
    }
}

// A marker segment of `type` holding `content`.
std::string markerSegment(unsigned char type, const std::string& content) {
    const std::size_t length = content.size() + 2;
    return std::string{'\xFF', static_cast<char>(type), static_cast<char>(length >> 8),
                       static_cast<char>(length)} +
           content;
}

// The library passes over segments it has no use for, comments and most
// application data, by asking the source to skip their bytes. These hold
// end-of-image markers, which a skip that went a byte wrong would find.
TEST(JpegDecoding, PassesOverSegmentsItDoesNotRead) {
    std::string endsOfImage;
    for (int i = 0; i < 150; ++i)
        endsOfImage += "\xFF\xD9";
    const std::string jpeg = readBytes(testImage("testorig.jpg"));
    const std::string annotated = jpeg.substr(0, 2) + markerSegment(0xFE, endsOfImage) +
                                  markerSegment(0xE5, endsOfImage.substr(0, 40)) + jpeg.substr(2);
    Raster plain, withSegments;
    ASSERT_TRUE(decodeJpegMemory(asBytes(jpeg), jpeg.size(), plain.allocator()));
    ASSERT_TRUE(decodeJpegMemory(asBytes(annotated), annotated.size(), withSegments.allocator()));
    EXPECT_TRUE(withSegments.bytes == plain.bytes);
}

struct Rgb {
    int red, green, blue;
};
constexpr Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, yellow{255, 255, 0}, cyan{0, 255, 255},
    white{255, 255, 255}, black{0, 0, 0};

// Whether the bitmap bytes at `bgr` are `colour` give or take `tolerance`.
testing::AssertionResult isColour(const std::uint8_t* bgr, Rgb colour, int tolerance) {
    if (std::abs(bgr[2] - colour.red) <= tolerance && std::abs(bgr[1] - colour.green) <= tolerance &&
        std::abs(bgr[0] - colour.blue) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "red " << int{bgr[2]} << ", green " << int{bgr[1]} << ", blue " << int{bgr[0]} << " where "
           << colour.red << ", " << colour.green << ", " << colour.blue << " was expected";
}

// The bytes of the bitmap as the windowing layer hands them to GDI, read
// without the raster's help: memory row 0 is the picture's bottom row.
TEST(JpegDecoding, LaysRowsOutBottomUpAsBlueGreenRedPaddedToFourBytes) {
    struct LayoutCase {
        const char* jpeg;
        int width, height;
        std::size_t stride;
        std::vector<std::vector<Rgb>> rowsFromTop;
    };
    const LayoutCase cases[] = {
        {"three-by-two.jpg", 3, 2, 12, {{red, green, blue}, {yellow, cyan, white}}},
        {"four-by-one.jpg", 4, 1, 12, {{red, green, blue, white}}},
    };
    for (const LayoutCase& example : cases) {
        SCOPED_TRACE(example.jpeg);
        Raster raster;
        ASSERT_TRUE(decodeJpegFile(madeImage(example.jpeg), raster.allocator()));
        ASSERT_EQ(raster.width, example.width);
        ASSERT_EQ(raster.height, example.height);
        ASSERT_EQ(raster.stride, example.stride);
        ASSERT_EQ(raster.bytes.size(), example.stride * example.height);
        for (int memoryRow = 0; memoryRow < example.height; ++memoryRow) {
            const std::uint8_t* row = raster.bytes.data() + memoryRow * example.stride;
            const std::vector<Rgb>& colours = example.rowsFromTop[example.height - 1 - memoryRow];
            for (int x = 0; x < example.width; ++x)
                EXPECT_TRUE(isColour(row + 3 * x, colours[x], 8))
                    << "memory row " << memoryRow << ", column " << x;
            for (std::size_t at = 3 * example.width; at < example.stride; ++at)
                EXPECT_EQ(row[at], 0) << "padding byte " << at << " of memory row " << memoryRow;
        }
    }
}

TEST(JpegDecoding, GivesGreyPicturesEqualBlueGreenRed) {
    Raster raster;
    ASSERT_TRUE(decodeJpegFile(madeImage("grey.jpg"), raster.allocator()));
    int coloured = 0;
    for (int y = 0; y < raster.height; ++y) {
        for (int x = 0; x < raster.width; ++x) {
            const std::uint8_t* bgr = raster.pixel(x, y);
            coloured += bgr[0] != bgr[1] || bgr[1] != bgr[2];
        }
    }
    EXPECT_EQ(coloured, 0);
}

// A picture of flat 8x8 blocks side by side, one a colour, made with the
// library's compressor at full quality and without subsampling, so that the
// blocks decode to their own samples (cjpeg writes no CMYK).
std::string encodeBlocks(J_COLOR_SPACE given, int components, J_COLOR_SPACE stored,
                         const std::vector<JSAMPLE>& blockSamples) {
    const std::size_t blocks = blockSamples.size() / static_cast<std::size_t>(components);
    PictureToEncode picture;
    picture.width = static_cast<int>(8 * blocks);
    picture.height = 8;
    picture.components = components;
    picture.given = given;
    picture.stored = stored;
    for (int y = 0; y < picture.height; ++y) {
        for (std::size_t block = 0; block < blocks; ++block) {
            for (int x = 0; x < 8; ++x)
                picture.samples.insert(picture.samples.end(), blockSamples.begin() + block * components,
                                       blockSamples.begin() + (block + 1) * components);
        }
    }
    return encodeJpeg(picture);
}

// Samples as the library gives CMYK, inverted as Adobe writes them: 255 is
// no ink. Each colour is its own sample's share of what the black lets
// through, rounded to nearest.
TEST(JpegDecoding, ConvertsInvertedCmykAndYcckToBlueGreenRed) {
    struct InkCase {
        std::array<JSAMPLE, 4> cmyk;
        Rgb colour;
    };
    const InkCase inks[] = {
        {{255, 255, 255, 255}, white},        {{0, 0, 0, 255}, black},
        {{255, 255, 255, 0}, black},          {{0, 255, 255, 255}, cyan},
        {{255, 255, 0, 255}, yellow},         {{200, 100, 50, 128}, {100, 50, 25}},
        {{100, 200, 30, 200}, {78, 157, 24}},
    };
    std::vector<JSAMPLE> samples;
    for (const InkCase& ink : inks)
        samples.insert(samples.end(), ink.cmyk.begin(), ink.cmyk.end());
    // YCCK goes through the library's colour conversion, which rounds.
    const std::pair<J_COLOR_SPACE, int> storedAs[] = {{JCS_CMYK, 0}, {JCS_YCCK, 1}};
    for (const auto& [stored, tolerance] : storedAs) {
        SCOPED_TRACE(stored == JCS_CMYK ? "CMYK" : "YCCK");
        const std::string jpeg = encodeBlocks(JCS_CMYK, 4, stored, samples);
        Raster raster;
        ASSERT_TRUE(decodeJpegMemory(asBytes(jpeg), jpeg.size(), raster.allocator()));
        ASSERT_EQ(raster.width, static_cast<int>(8 * std::size(inks)));
        EXPECT_TRUE(raster.paddingIsZero());
        for (int y = 0; y < raster.height; ++y) {
            for (int x = 0; x < raster.width; ++x)
                EXPECT_TRUE(isColour(raster.pixel(x, y), inks[x / 8].colour, tolerance)) << x << ", " << y;
        }
    }
}

// A file that ends early decodes as far as its data goes and the library
// fills in the rest; the windowing layer shows it like any other.
TEST(JpegDecoding, GivesAFileCutShortAsFarAsItGoes) {
    const std::string whole = readBytes(testImage("testorig.jpg"));
    const std::string half = whole.substr(0, whole.size() / 2);
    const Picture reference = readReference(madeImage("testorig.pnm"));
    ScratchFolder folder;
    const std::string path = folder.file("half.jpg");
    writeBytes(path, half);

    Raster fromFile, fromMemory;
    ASSERT_TRUE(decodeJpegFile(path, fromFile.allocator()));
    ASSERT_TRUE(decodeJpegMemory(asBytes(half), half.size(), fromMemory.allocator()));
    EXPECT_TRUE(fromMemory.bytes == fromFile.bytes);
    ASSERT_EQ(fromFile.width, reference.width);
    ASSERT_EQ(fromFile.height, reference.height);
    EXPECT_TRUE(fromFile.paddingIsZero());
    // The first band of 16 rows lies well before the cut.
    EXPECT_TRUE(sameRows(fromFile, reference, 0, 16));
    // Past the data every block decodes to mid-grey.
    for (int x = 0; x < fromFile.width; ++x)
        EXPECT_TRUE(isColour(fromFile.pixel(x, fromFile.height - 1), {128, 128, 128}, 0)) << x;
}

// The sample precision, height and width in a baseline frame header.
std::string withFrameSize(std::string jpeg, unsigned width, unsigned height) {
    std::size_t at = 2; // past the start-of-image marker
    while (at + 9 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        if (static_cast<unsigned char>(jpeg[at + 1]) == 0xC0) {
            jpeg[at + 5] = static_cast<char>(height >> 8);
            jpeg[at + 6] = static_cast<char>(height);
            jpeg[at + 7] = static_cast<char>(width >> 8);
            jpeg[at + 8] = static_cast<char>(width);
            return jpeg;
        }
        at += 2 + (static_cast<unsigned char>(jpeg[at + 2]) << 8 | static_cast<unsigned char>(jpeg[at + 3]));
    }
    ADD_FAILURE() << "no baseline frame header";
    return jpeg;
}

TEST(JpegDecoding, RefusesPicturesOverThePixelLimitBeforeAllocating) {
    struct SizeCase {
        unsigned width, height;
        bool asksForMemory;
    };
    const SizeCase cases[] = {
        {10'000, 10'000, true},
        {10'001, 10'000, false},
        {10'000, 10'001, false},
        {65'500, 65'500, false},
    };
    const std::string jpeg = readBytes(testImage("testorig.jpg"));
    for (const SizeCase& size : cases) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        const std::string patched = withFrameSize(jpeg, size.width, size.height);
        int calls = 0;
        // The one size within the limit is refused here, so that nothing of
        // that size is ever allocated.
        const RasterAllocator refuse = [&calls](int, int, std::size_t) -> std::uint8_t* {
            ++calls;
            return nullptr;
        };
        EXPECT_FALSE(decodeJpegMemory(asBytes(patched), patched.size(), refuse));
        EXPECT_EQ(calls, size.asksForMemory ? 1 : 0);
    }
}

TEST(JpegDecoding, FailsWhenTheMemoryIsRefused) {
    int calls = 0;
    const RasterAllocator refuse = [&calls](int width, int height, std::size_t stride) -> std::uint8_t* {
        ++calls;
        EXPECT_EQ(width, 227);
        EXPECT_EQ(height, 149);
        EXPECT_EQ(stride, 684u);
        return nullptr;
    };
    EXPECT_FALSE(decodeJpegFile(testImage("testorig.jpg"), refuse));
    const std::string jpeg = readBytes(testImage("testorig.jpg"));
    EXPECT_FALSE(decodeJpegMemory(asBytes(jpeg), jpeg.size(), refuse));
    EXPECT_EQ(calls, 2);
}

TEST(JpegDecoding, FailsOnFilesThatAreNoPictureItCanDecode) {
    ScratchFolder folder;
    writeBytes(folder.file("notes.jpg"), "This is a doll's diary, not her portrait.\r\n");
    writeBytes(folder.file("empty.jpg"), "");
    const std::string paths[] = {
        folder.file("notes.jpg"),        folder.file("empty.jpg"),           folder.file("missing.jpg"),
        testImage("vgl_6434_0018a.bmp"), testImage("nightshot_iso_100.bmp"),
        testImage("testorig12.jpg"), // 12-bit samples, which this 8-bit library does not decode
    };
    for (const std::string& path : paths) {
        Raster raster;
        EXPECT_FALSE(decodeJpegFile(path, raster.allocator())) << path;
        EXPECT_EQ(raster.allocations, 0) << path;
    }
}

std::string randomBytes(unsigned seed, std::size_t count) {
    std::mt19937 random(seed);
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>(random() & 0xFF));
    return bytes;
}

TEST(JpegDecoding, FailsOnBytesThatAreNoPictureItCanDecode) {
    const std::string startOfImage = "\xFF\xD8";
    const std::pair<const char*, std::string> inputs[] = {
        {"nothing", ""},
        {"a start-of-image marker alone", startOfImage},
        {"an image with no frame", startOfImage + "\xFF\xD9"},
        {"a comment longer than the bytes left",
         startOfImage + markerSegment(0xFE, std::string(1000, 'c')).substr(0, 20)},
        {"random bytes", randomBytes(1, 4096)},
        {"random bytes after a start-of-image marker", startOfImage + randomBytes(2, 4096)},
        {"a picture of two channels", encodeBlocks(JCS_UNKNOWN, 2, JCS_UNKNOWN, {0, 255, 255, 0})},
    };
    for (const auto& [what, bytes] : inputs) {
        Raster raster;
        EXPECT_FALSE(decodeJpegMemory(asBytes(bytes), bytes.size(), raster.allocator())) << what;
        EXPECT_EQ(raster.allocations, 0) << what;
    }
    Raster raster;
    EXPECT_FALSE(decodeJpegMemory(nullptr, 0, raster.allocator()));
    EXPECT_EQ(raster.allocations, 0);
}

} // namespace
