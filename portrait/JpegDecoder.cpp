#include "portrait/JpegDecoder.h"

#include "portrait/JpegErrorExit.h"

#include <cstring>

namespace {

// Feeds the decoder from bytes already in memory (a JPEG resource). Past
// their end it answers an end-of-image marker for ever, as the library's file
// source does at the end of a file, so a cut-off picture still finishes.
struct resourceJpegSource {
    jpeg_source_mgr source;
    JOCTET endOfImage[2];
};

void doNothing(j_decompress_ptr) {}

boolean supplyEndOfImage(j_decompress_ptr decoder) {
    auto* resource = reinterpret_cast<resourceJpegSource*>(decoder->src);
    resource->endOfImage[0] = 0xFF;
    resource->endOfImage[1] = JPEG_EOI;
    resource->source.next_input_byte = resource->endOfImage;
    resource->source.bytes_in_buffer = sizeof resource->endOfImage;
    return TRUE;
}

void skipResourceBytes(j_decompress_ptr decoder, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr& source = *decoder->src;
    const std::size_t skipped = static_cast<std::size_t>(count) < source.bytes_in_buffer
                                    ? static_cast<std::size_t>(count)
                                    : source.bytes_in_buffer;
    source.next_input_byte += skipped;
    source.bytes_in_buffer -= skipped;
}

void attachResourceSource(j_decompress_ptr decoder, const std::uint8_t* data, std::size_t size) {
    if (decoder->src == nullptr) {
        void* memory = (*decoder->mem->alloc_small)(reinterpret_cast<j_common_ptr>(decoder), JPOOL_PERMANENT,
                                                    sizeof(resourceJpegSource));
        decoder->src = &static_cast<resourceJpegSource*>(memory)->source;
    }
    jpeg_source_mgr& source = *decoder->src;
    source.next_input_byte = data;
    source.bytes_in_buffer = size;
    source.init_source = doNothing;
    source.fill_input_buffer = supplyEndOfImage;
    source.skip_input_data = skipResourceBytes;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = doNothing;
}

// Where the compressed bytes come from: an open file, or else memory.
struct JpegInput {
    std::FILE* file = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// How the library's samples for one row become the bitmap's blue, green,
// red. The samples may be the row itself.
using RowConversion = void (*)(const JSAMPLE* samples, std::uint8_t* row, JDIMENSION width);

void rgbToBgr(const JSAMPLE* samples, std::uint8_t* row, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, samples += 3, row += 3) {
        const JSAMPLE red = samples[0], green = samples[1], blue = samples[2];
        row[0] = blue;
        row[1] = green;
        row[2] = red;
    }
}

void greyToBgr(const JSAMPLE* samples, std::uint8_t* row, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, row += 3)
        row[0] = row[1] = row[2] = samples[x];
}

// The library gives CMYK as Adobe's programs write it, every sample
// inverted: 255 is no ink. Each colour is then its own channel's share of
// the light the black ink lets through.
std::uint8_t throughInk(unsigned sample, unsigned black) {
    return static_cast<std::uint8_t>((sample * black + 127) / 255);
}

void invertedCmykToBgr(const JSAMPLE* samples, std::uint8_t* row, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, samples += 4, row += 3) {
        row[0] = throughInk(samples[2], samples[3]);
        row[1] = throughInk(samples[1], samples[3]);
        row[2] = throughInk(samples[0], samples[3]);
    }
}

struct OutputLayout {
    J_COLOR_SPACE colorSpace;
    int components;
    RowConversion toBgr;
};

// The library's default output for every kind of JPEG it can decode: colour
// as red, green, blue; grey; CMYK and YCCK both as CMYK. Anything else (say
// a two-channel picture) is no portrait.
constexpr OutputLayout outputLayouts[] = {
    {JCS_RGB, 3, rgbToBgr},
    {JCS_GRAYSCALE, 1, greyToBgr},
    {JCS_CMYK, 4, invertedCmykToBgr},
};

const OutputLayout* layoutFor(J_COLOR_SPACE colorSpace) {
    for (const OutputLayout& layout : outputLayouts) {
        if (layout.colorSpace == colorSpace)
            return &layout;
    }
    return nullptr;
}

// A picture decoded at full size keeps every parameter as the library sets
// it, so that it is the library's own picture to the pixel.
void reduceWhileDecoding(jpeg_decompress_struct& decoder, PictureSize atLeast) {
    const PictureSize picture = {static_cast<int>(decoder.image_width),
                                 static_cast<int>(decoder.image_height)};
    const int reduction = jpegReduction(picture, atLeast);
    if (reduction == 1)
        return;
    decoder.scale_num = 1;
    decoder.scale_denom = static_cast<unsigned>(reduction);
}

// Everything here may be left through the error exit's jump: no object with
// a destructor, and what must be released afterwards is released by the
// caller. Rows are written from the top of the picture into the last row in
// memory upwards, which stands the picture upright in a bottom-up bitmap.
bool decodeRows(jpeg_decompress_struct& decoder, const RasterAllocator& allocate, PictureSize atLeast) {
    if (jpeg_read_header(&decoder, TRUE) != JPEG_HEADER_OK)
        return false;
    if (std::uint64_t{decoder.image_width} * decoder.image_height > maxPortraitPixels)
        return false;
    reduceWhileDecoding(decoder, atLeast);
    const OutputLayout* layout = layoutFor(decoder.out_color_space);
    if (layout == nullptr || !jpeg_start_decompress(&decoder))
        return false;
    // The rows have room for three samples a pixel and the conversions read
    // exactly their layout's count.
    if (decoder.output_components != layout->components)
        return false;

    const JDIMENSION width = decoder.output_width;
    const std::size_t stride = bitmapStride(static_cast<int>(width));
    const std::size_t pixelBytes = std::size_t{width} * 3;
    std::uint8_t* const pixels =
        allocate(static_cast<int>(width), static_cast<int>(decoder.output_height), stride);
    if (pixels == nullptr)
        return false;
    for (JDIMENSION y = 0; y < decoder.output_height; ++y)
        std::memset(pixels + y * stride + pixelBytes, 0, stride - pixelBytes);

    // Grey and CMYK rows are decoded beside the bitmap, in the decoder's own
    // memory, which goes with it on every path.
    JSAMPROW scratch = nullptr;
    if (layout->components != 3)
        scratch = (*decoder.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decoder), JPOOL_IMAGE,
                                               width * static_cast<JDIMENSION>(layout->components), 1)[0];
    std::uint8_t* row = pixels + stride * decoder.output_height;
    while (decoder.output_scanline < decoder.output_height) {
        row -= stride;
        JSAMPROW samples = scratch != nullptr ? scratch : row;
        if (jpeg_read_scanlines(&decoder, &samples, 1) != 1)
            return false;
        layout->toBgr(samples, row, width);
    }
    jpeg_finish_decompress(&decoder);
    return true;
}

// The decoder and its error manager live outside the frame that calls
// setjmp: the library changes them between the call and a jump back, which
// would leave them undefined were they that frame's own locals.
struct JpegDecompression {
    jpeg_decompress_struct decoder;
    JpegErrorExit errors;
};

bool decodeReturningOnError(JpegDecompression& jpeg, const JpegInput& input, const RasterAllocator& allocate,
                            PictureSize atLeast) {
    jpeg_decompress_struct* const decoder = &jpeg.decoder;
    decoder->err = jumpBackOnJpegError(jpeg.errors);
    if (setjmp(jpeg.errors.start) != 0) {
        jpeg_destroy_decompress(decoder);
        return false;
    }
    jpeg_create_decompress(decoder);
    if (input.file != nullptr)
        jpeg_stdio_src(decoder, input.file);
    else
        attachResourceSource(decoder, input.data, input.size);
    const bool decoded = decodeRows(*decoder, allocate, atLeast);
    jpeg_destroy_decompress(decoder);
    return decoded;
}

bool decodeJpeg(const JpegInput& input, const RasterAllocator& allocate, PictureSize atLeast) {
    JpegDecompression jpeg;
    return decodeReturningOnError(jpeg, input, allocate, atLeast);
}

// The library's side of a picture reduced by `reduction`.
int reducedSide(int side, int reduction) {
    return side / reduction + (side % reduction != 0);
}

} // namespace

int jpegReduction(PictureSize picture, PictureSize atLeast) {
    int reduction = 1;
    for (int larger : {2, 4, 8}) {
        if (reducedSide(picture.width, larger) < atLeast.width ||
            reducedSide(picture.height, larger) < atLeast.height)
            break;
        reduction = larger;
    }
    return reduction;
}

std::size_t bitmapStride(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

bool decodeJpegFile(const std::string& path, const RasterAllocator& allocate, PictureSize atLeast) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    const bool decoded = decodeJpegStream(file, allocate, atLeast);
    std::fclose(file);
    return decoded;
}

bool decodeJpegStream(std::FILE* file, const RasterAllocator& allocate, PictureSize atLeast) {
    return decodeJpeg({.file = file}, allocate, atLeast);
}

bool decodeJpegMemory(const std::uint8_t* data, std::size_t size, const RasterAllocator& allocate,
                      PictureSize atLeast) {
    return decodeJpeg({.data = data, .size = size}, allocate, atLeast);
}
