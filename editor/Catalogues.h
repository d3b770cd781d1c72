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

// The catalogue of `kind` as its file holds it now. A file that cannot be
// read gives an empty catalogue, and the status bar says which and why.
// What a caller holds stays valid when a later call reads the file again.
std::shared_ptr<const LoadedCatalogue> catalogueOf(CatalogueKind kind);

// The full path of the file of `kind`, which may not exist yet.
std::string cataloguePath(CatalogueKind kind);

// The doll's position and classes as the catalogues match headings with them.
DollChoices dollChoices();
