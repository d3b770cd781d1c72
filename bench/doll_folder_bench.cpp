// What the doll list's reading costs without its window: walking a folder of
// 1,000 sheets in 20 subfolders and reading each one's summary, against
// listing the same tree with std::filesystem and loading every file with the
// sheet loader; and the thumbnails of the first 30 rows, against the reduced
// decode of their photographs alone. Each floor is measured in the same run,
// alternating with its figure. Prints figures and ratios; asserts nothing.

#include "dolls/DollFolder.h"
#include "dolls/DollThumbnail.h"

#include "DollFolderMaking.h"
#include "Figures.h"
#include "NativeClock.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

// More than the seven runs asked for: the machine is shared, and the
// median of more runs moves less.
constexpr int runs = 11;
constexpr std::size_t firstScreenful = 30;

// Figure and floor take turns going first, so that neither always finds
// the caches as the other left them.
template <class Figure, class Floor> FigureRuns measure(Figure figure, Floor floor) {
    int run = 0;
    return takeRuns(
        [&] {
            const bool figureFirst = run++ % 2 == 0;
            const double first = figureFirst ? timedMs(figure) : timedMs(floor);
            const double second = figureFirst ? timedMs(floor) : timedMs(figure);
            return figureFirst ? std::pair{first, second} : std::pair{second, first};
        },
        runs);
}

// The list's own reading: the walk, then every sheet's summary.
std::vector<DollRow> readFolder(const std::string& folder) {
    const std::atomic<bool> going{false};
    const FolderWalk walk = walkDollFolder(folder, listFolder, going);
    std::vector<DollRow> rows;
    for (const FoundSheetFile& file : walk.files) {
        DollRow row{file.relativePath, file.look, {}};
        if (readDollSheet(dollFilePath(folder, file.relativePath), row.summary) == DollRead::sheet)
            rows.push_back(std::move(row));
    }
    return rows;
}

// The plain loop: the tree listed, each .txt file loaded by the sheet loader.
std::size_t loadFolderPlainly(const std::string& folder) {
    std::size_t loaded = 0;
    CharacterSheet sheet;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".txt")
            loaded += sheet.loadSheet(entry.path().string()) ? 1 : 0;
    }
    return loaded;
}

// The first screenful's thumbnails against decoding their photographs, as
// reduced, in a plain loop.
void compareThumbnails(const std::string& folder, const std::vector<DollRow>& rows) {
    std::vector<FoldedDoll> folded;
    for (const DollRow& row : rows)
        folded.push_back(foldDoll(row));
    std::vector<std::size_t> shown = shownDolls(rows, folded, {}, DollOrder{});
    shown.resize(std::min(shown.size(), firstScreenful));
    std::vector<std::string> sheets, photos;
    for (std::size_t index : shown) {
        sheets.push_back(dollFilePath(folder, rows[index].relativePath));
        photos.push_back(rows[index].summary.portraitPath);
    }
    std::size_t made = 0;
    const auto makeThumbnails = [&] {
        for (std::size_t i = 0; i < sheets.size(); ++i)
            made += makeThumbnail(sheets[i], photos[i], dollThumbnailSize).has_value() ? 1 : 0;
    };
    std::vector<std::uint8_t> raster;
    const RasterAllocator allocate = [&raster](int, int height, std::size_t stride) {
        raster.assign(stride * static_cast<std::size_t>(height), 0);
        return raster.data();
    };
    const auto decodePhotos = [&] {
        for (const std::string& photo : photos)
            decodeJpegFile(photo, allocate, dollThumbnailSize);
    };
    measure(makeThumbnails, decodePhotos).print("doll folder: thumbnails of the first 30 rows", 1.5);
    std::printf("%zu thumbnails made over %d runs of %zu\n", made, runs, sheets.size());
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "dolls";
    std::filesystem::remove_all(folder);
    makeDollFolder(folder);
    std::vector<DollRow> rows = readFolder(folder);
    std::printf("%zu sheets read, %zu loaded plainly\n", rows.size(), loadFolderPlainly(folder));
    const auto readRows = [&] { rows = readFolder(folder); };
    const auto loadPlainly = [&] { loadFolderPlainly(folder); };
    measure(readRows, loadPlainly).print("doll folder: walk and read 1,000 sheets", 1.2);
    compareThumbnails(folder, rows);
    std::filesystem::remove_all(folder);
}
