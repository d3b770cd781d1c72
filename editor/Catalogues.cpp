#include "editor/Catalogues.h"

#include "sheet/FileSystem.h"

#include <windows.h>

#include <array>
#include <utility>

namespace {

struct CachedCatalogue {
    const char* fileName;
    std::string path; // the full path it was read from: another folder reads anew
    FileLook look;    // its last write and size tell that it changed
    std::shared_ptr<const LoadedCatalogue> loaded;
};

std::array<CachedCatalogue, 2> cache = {{{"パーツ.txt", {}, {}, {}}, {"スキル.txt", {}, {}, {}}}};

// As the program set them when it started.
std::string referenceFolder;
void (*tellUser)(const std::string& text) = nullptr;

std::string fullPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

// A missing file is no fault of the user's: the dialog says it is missing,
// the status bar stays as it is.
void tellOfUnreadFile(const LoadedCatalogue& loaded) {
    const CatalogueProblem problem = loaded.catalogue.problem;
    if (problem == CatalogueProblem::none || problem == CatalogueProblem::missing || tellUser == nullptr)
        return;
    tellUser("カタログを読めませんでした: " + loaded.path + ": " + catalogueProblemText(problem));
}

std::shared_ptr<const LoadedCatalogue> readLoaded(const std::string& path) {
    auto loaded = std::make_shared<LoadedCatalogue>();
    loaded->path = path;
    loaded->catalogue = readCatalogue(path);
    loaded->folded.reserve(loaded->catalogue.entries.size());
    for (const CatalogueEntry& entry : loaded->catalogue.entries)
        loaded->folded.push_back(foldEntry(entry));
    tellOfUnreadFile(*loaded);
    return loaded;
}

} // namespace

std::string cataloguePath(CatalogueKind kind) {
    return fullPath(referenceFolder + "Database\\" + cache[kind == CatalogueKind::parts ? 0 : 1].fileName);
}

void useCatalogueFolder(std::string folder, void (*tell)(const std::string& text)) {
    referenceFolder = std::move(folder);
    tellUser = tell;
}

std::shared_ptr<const LoadedCatalogue> catalogueOf(CatalogueKind kind) {
    CachedCatalogue& cached = cache[kind == CatalogueKind::parts ? 0 : 1];
    const std::string path = cataloguePath(kind);
    const FileLook look = lookAtFile(path);
    if (cached.loaded == nullptr || path != cached.path || look != cached.look) {
        cached.loaded = readLoaded(path);
        cached.path = path;
        cached.look = look;
    }
    return cached.loaded;
}
