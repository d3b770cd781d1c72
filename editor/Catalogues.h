#pragma once

// The catalogues of parts and skills as the windows use them: each read
// from the Database folder when first asked for, read again once its file
// has changed, and kept with its entries folded for searching.

#include "refdata/Catalogue.h"

#include <memory>
#include <string>
#include <vector>

enum class CatalogueKind { parts, skills };

struct LoadedCatalogue {
    std::string path; // the file, as the user is shown it
    Catalogue catalogue;
    std::vector<FoldedEntry> folded; // one for each entry, in the same order
};

// Where the catalogues are: the folder whose "Database" holds them, ending
// in a separator (empty for the working folder); and who tells the user of
// a file that cannot be read (nobody when null). Set as the program starts.
void useCatalogueFolder(std::string referenceFolder, void (*tellUser)(const std::string& text));

// The catalogue of `kind` as its file holds it now. A file that cannot be
// read gives an empty catalogue, and the status bar says which and why.
// What a caller holds stays valid when a later call reads the file again.
std::shared_ptr<const LoadedCatalogue> catalogueOf(CatalogueKind kind);

// The full path of the file of `kind`, which may not exist yet.
std::string cataloguePath(CatalogueKind kind);
