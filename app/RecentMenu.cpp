#include "app/RecentMenu.h"

#include "res/resource.h"
#include "sheet/WindowsText.h"
#include "store/RecentList.h"
#include "store/RecentSheets.h"

#include <optional>
#include <vector>

namespace {

// The code page 932 paths of the menu's items, as last listed.
std::vector<std::string> listed;

void removeListedItems(HMENU menu) {
    DeleteMenu(menu, IDM_RECENT_GROUP, MF_BYCOMMAND);
    for (int command = IDM_RECENT_FIRST; command < IDM_RECENT_FIRST + static_cast<int>(recentSheetCount);
         ++command)
        DeleteMenu(menu, command, MF_BYCOMMAND);
}

void insertItem(HMENU menu, UINT at, UINT type, int command, const std::string& text) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID | (type == MFT_STRING ? MIIM_STRING : 0);
    item.fType = type;
    item.wID = static_cast<UINT>(command);
    item.dwTypeData = const_cast<char*>(text.c_str());
    InsertMenuItemA(menu, at, TRUE, &item);
}

UINT positionOf(HMENU menu, int command) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu, i) == static_cast<UINT>(command))
            return static_cast<UINT>(i);
    }
    return static_cast<UINT>(count);
}

} // namespace

void listRecentSheets(HMENU fileMenu) {
    removeListedItems(fileMenu);
    listed.clear();
    // A path that code page 932 cannot hold is no sheet this program opens.
    for (const std::string& utf8 : readRecentList()) {
        if (const std::optional<std::string> path = narrowPath(wideOfUtf8(utf8)))
            listed.push_back(*path);
    }
    if (listed.empty())
        return;
    // Before the separator above "終了".
    UINT at = positionOf(fileMenu, IDM_EXIT) - 1;
    insertItem(fileMenu, at++, MFT_SEPARATOR, IDM_RECENT_GROUP, std::string());
    for (std::size_t i = 0; i < listed.size(); ++i)
        insertItem(fileMenu, at++, MFT_STRING, IDM_RECENT_FIRST + static_cast<int>(i),
                   recentSheetMenuText(i, listed[i]));
}

std::string recentSheetPath(int command) {
    const auto index = static_cast<std::size_t>(command - IDM_RECENT_FIRST);
    return command >= IDM_RECENT_FIRST && index < listed.size() ? listed[index] : std::string();
}
