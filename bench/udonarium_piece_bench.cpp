// What the Udonarium piece costs against the work it cannot avoid: for a
// sheet of 3,000 entries a list whose portrait is a 6000 x 4000 noisy photo,
// reading the sheet and writing its piece, against loadSheet of it plus the
// photo decoded, shrunk and encoded by libjpeg-turbo in a plain loop; and
// the same for a party of 20 such dolls sharing 5 photos, against 20 reads
// and 5 photos. Prints figures and ratios; asserts nothing.

#include "export/PieceArchive.h"
#include "sheet/TextFile.h"

#include "Figures.h"
#include "JpegEncoding.h"
#include "LongSheet.h"
#include "NativeClock.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int entries = 3000, photoWidth = 6000, photoHeight = 4000;

// Smooth shading with grain, as a camera gives it, compressed as a camera
// does.
std::string noisyPhoto(unsigned seed) {
    PictureToEncode photo;
    photo.width = photoWidth;
    photo.height = photoHeight;
    photo.quality = 90;
    photo.fullResolution = false;
    photo.samples.resize(std::size_t{photoWidth} * photoHeight * 3);
    std::mt19937 grain(seed);
    std::normal_distribution<double> noise(0, 12);
    for (int y = 0; y < photoHeight; ++y)
        for (int x = 0; x < photoWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                const double shade = 60 + 130.0 * (x + (c + 1) * y) / (photoWidth + 3 * photoHeight);
                photo.samples[(std::size_t{static_cast<unsigned>(y)} * photoWidth + x) * 3 + c] =
                    static_cast<JSAMPLE>(std::clamp(shade + (seed % 5) * 10 + noise(grain), 0.0, 255.0));
            }
    return encodeJpeg(photo);
}

// ---- The floor: libjpeg-turbo alone ----

struct Rows {
    int width = 0, height = 0;
    std::vector<JSAMPLE> samples; // RGB, top row first
};

// Decoded at the smallest of the library's reductions that still gives the
// piece's size.
Rows decodeReduced(const std::string& path, int longerSide) {
    jpeg_decompress_struct decoder;
    jpeg_error_mgr errors;
    decoder.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decoder);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_stdio_src(&decoder, file);
    jpeg_read_header(&decoder, TRUE);
    const unsigned longer = std::max(decoder.image_width, decoder.image_height);
    decoder.scale_num = 1;
    decoder.scale_denom = 1;
    while (decoder.scale_denom < 8 && (longer + decoder.scale_denom * 2 - 1) / (decoder.scale_denom * 2) >=
                                          static_cast<unsigned>(longerSide))
        decoder.scale_denom *= 2;
    jpeg_start_decompress(&decoder);
    Rows rows{static_cast<int>(decoder.output_width), static_cast<int>(decoder.output_height), {}};
    rows.samples.resize(std::size_t{decoder.output_width} * decoder.output_height * 3);
    while (decoder.output_scanline < decoder.output_height) {
        JSAMPROW row = &rows.samples[std::size_t{decoder.output_scanline} * decoder.output_width * 3];
        jpeg_read_scanlines(&decoder, &row, 1);
    }
    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    std::fclose(file);
    return rows;
}

// Each pixel the mean of the block of the picture it covers.
Rows shrunk(const Rows& from, int longerSide) {
    const int longer = std::max(from.width, from.height);
    Rows to{from.width * longerSide / longer, from.height * longerSide / longer, {}};
    to.samples.resize(std::size_t{static_cast<unsigned>(to.width)} * to.height * 3);
    for (int y = 0; y < to.height; ++y)
        for (int x = 0; x < to.width; ++x) {
            const int top = y * from.height / to.height, bottom = (y + 1) * from.height / to.height;
            const int left = x * from.width / to.width, right = (x + 1) * from.width / to.width;
            for (int c = 0; c < 3; ++c) {
                unsigned sum = 0;
                for (int fy = top; fy < bottom; ++fy)
                    for (int fx = left; fx < right; ++fx)
                        sum +=
                            from.samples[(std::size_t{static_cast<unsigned>(fy)} * from.width + fx) * 3 + c];
                to.samples[(std::size_t{static_cast<unsigned>(y)} * to.width + x) * 3 + c] =
                    static_cast<JSAMPLE>(sum / static_cast<unsigned>((bottom - top) * (right - left)));
            }
        }
    return to;
}

std::size_t plainPhotoLoop(const std::string& path) {
    const Rows piece = shrunk(decodeReduced(path, shrunkPictureSide), shrunkPictureSide);
    PictureToEncode picture;
    picture.width = piece.width;
    picture.height = piece.height;
    picture.quality = shrunkPictureQuality;
    picture.fullResolution = false;
    picture.samples = piece.samples;
    return encodeJpeg(picture).size();
}

// ---- The runs ----

struct Party {
    std::vector<std::string> sheets;
    std::vector<std::string> photos;
};

// {the piece, the floor} of the party's sheets, each naming photo i % 5.
std::pair<double, double> pieceAndFloor(const Party& party, const std::string& zip) {
    std::vector<CharacterSheet> sheets(party.sheets.size());
    const double pieceMs = timedMs([&] {
        std::vector<PieceDoll> dolls;
        for (std::size_t at = 0; at < sheets.size(); ++at) {
            sheets[at].loadSheet(party.sheets[at]);
            dolls.push_back({&sheets[at], party.sheets[at], PathCode::codePage932});
        }
        if (writeUdonariumPiece(dolls, zip, PathCode::codePage932).result != PieceOutcome::Result::written)
            std::fprintf(stderr, "the piece was not written\n");
    });
    std::vector<CharacterSheet> again(party.sheets.size());
    std::size_t bytes = 0;
    const double floorMs = timedMs([&] {
        for (std::size_t at = 0; at < again.size(); ++at)
            again[at].loadSheet(party.sheets[at]);
        for (const std::string& photo : party.photos)
            bytes += plainPhotoLoop(photo);
    });
    return {pieceMs, bytes > 0 ? floorMs : 0};
}

Party makeParty(const std::string& folder, int dolls, int photos) {
    Party party;
    for (int at = 0; at < photos; ++at) {
        party.photos.push_back(folder + "/photo" + std::to_string(at) + ".jpg");
        std::FILE* file = std::fopen(party.photos.back().c_str(), "wb");
        const std::string jpeg = noisyPhoto(static_cast<unsigned>(at));
        std::fwrite(jpeg.data(), 1, jpeg.size(), file);
        std::fclose(file);
    }
    for (int at = 0; at < dolls; ++at) {
        party.sheets.push_back(folder + "/doll" + std::to_string(at) + ".txt");
        CharacterSheet sheet;
        sheet.setPortrait(party.photos[static_cast<std::size_t>(at % photos)]);
        writeLongSheet(sheet, entries, party.sheets.back());
    }
    return party;
}

void removeParty(const Party& party) {
    for (const std::vector<std::string>* files : {&party.sheets, &party.photos})
        for (const std::string& file : *files)
            std::remove(file.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".", zip = folder + "/piece.zip";
    const Party party = makeParty(folder, 20, 5), one{{party.sheets.front()}, {party.photos.front()}};
    std::printf("  the photo: %dx%d, %zu bytes as a JPEG\n", photoWidth, photoHeight,
                readFileBytes(one.photos.front(), std::size_t{1} << 30).bytes.size());
    takeRuns([&] { return pieceAndFloor(one, zip); })
        .print(
            "the Udonarium piece of 3000 entries a list and a 6000x4000 photo, against loadSheet and libjpeg",
            1.2);
    takeRuns([&] { return pieceAndFloor(party, zip); })
        .print("the Udonarium piece of 20 such dolls sharing 5 photos, against their loadSheet and libjpeg",
               1.2);
    std::remove(zip.c_str());
    removeParty(party);
}
