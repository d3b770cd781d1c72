// The doll list's commands on the selected dolls: open, copy, move to the
// Recycle Bin, copy as text and print. Each takes the files chosen, by
// path, before anything can run in between, and looks at each again just
// before it acts.
#include "dolls/DollListState.h"

#include "editor/OwnerDataList.h"
#include "editor/SheetSharing.h"
#include "export/SheetOutputs.h"
#include "res/resource.h"
#include "sheet/CharacterSheet.h"
#include "sheet/WindowsText.h"

#include <shellapi.h>
#include <windowsx.h>

#include <memory>

namespace doll_list {

namespace {

// A doll a command acts on, as the player chose it: its file and how the
// row showed the file. A box that the command shows runs the list's
// messages, and the rows may change under it; these do not.
struct ChosenDoll {
    std::string relativePath;
    FileLook look;
};

std::vector<ChosenDoll> chosenDolls(const DollList& list) {
    std::vector<ChosenDoll> dolls;
    for (std::string& file : selectedFiles(list)) {
        const FileLook look = list.rows[list.rowOf.at(file)].look;
        dolls.push_back({std::move(file), look});
    }
    return dolls;
}

// Whether the file is still the one chosen, looked at just before a
// command acts on it: below the folder, there, and of the size and time the
// row showed. Anything else (gone, renamed, another file in its place) is
// left alone.
bool stillChosen(const DollList& list, const ChosenDoll& doll) {
    if (!namesFileBelowFolder(doll.relativePath))
        return false;
    const FileLook now = lookAtUtf8File(dollFilePath(list.folder, doll.relativePath));
    return now.kind == FileLook::Kind::file && now == doll.look;
}

std::string fileNameOf(const std::string& relativePath) {
    return relativePath.substr(relativePath.find_last_of('\\') + 1);
}

std::string folderPartOf(const std::string& relativePath) {
    const std::size_t separator = relativePath.find_last_of('\\');
    return separator == std::string::npos ? std::string() : relativePath.substr(0, separator + 1);
}

// The files a command names in a question or an outcome: one by its name,
// several by their number.
std::string dollsNamed(const std::vector<ChosenDoll>& dolls) {
    return dolls.size() == 1 ? shownFolderPath(fileNameOf(dolls.front().relativePath))
                             : std::to_string(dolls.size()) + " 個のシート";
}

// A box owned by the list leaves the main window enabled, and closing that
// window destroys the list while the box is open: the answer, or nothing
// once the list is gone, when the command must not go on.
std::optional<int> askInList(const DollList& list, const std::string& text, UINT style) {
    HWND window = list.window;
    const int answer = MessageBoxA(window, text.c_str(), "ドール一覧", style);
    if (IsWindow(window) == FALSE ||
        GetWindowLongPtrA(window, DWLP_USER) != reinterpret_cast<LONG_PTR>(&list))
        return std::nullopt;
    return answer;
}

// What a command did with each file it was given; the line under the list
// says it until the next command.
struct DollsActedOn {
    std::vector<ChosenDoll> done, deleted, left, failed;
};

void tellOutcome(DollList& list, const DollsActedOn& acted, const char* doneText, const char* failedText) {
    const std::pair<const std::vector<ChosenDoll>*, const char*> parts[] = {
        {&acted.done, doneText},
        {&acted.deleted, "を完全に削除しました"},
        {&acted.left, "は選んだ後で変わったため、そのままにしました"},
        {&acted.failed, failedText},
    };
    list.outcome.clear();
    for (const auto& [dolls, text] : parts) {
        if (!dolls->empty())
            list.outcome += (list.outcome.empty() ? "" : " ･ ") + dollsNamed(*dolls) + " " + text;
    }
    showSummary(list);
}

bool fileIsAt(const DollList& list, const std::string& relativePath) {
    return GetFileAttributesW(wideFilePath(list, relativePath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Copies beside each original; the first that cannot be made stops the
// rest, and its box is the command's last step.
void duplicateSelected(DollList& list) {
    DollsActedOn acted;
    std::vector<std::string> copies;
    for (const ChosenDoll& doll : chosenDolls(list)) {
        if (!acted.failed.empty() || !stillChosen(list, doll)) {
            (acted.failed.empty() ? acted.left : acted.failed).push_back(doll);
            continue;
        }
        const std::string folder = folderPartOf(doll.relativePath);
        const std::string name = copyFileName(fileNameOf(doll.relativePath), [&](const std::string& taken) {
            return fileIsAt(list, folder + taken);
        });
        if (name.empty() || CopyFileW(wideFilePath(list, doll.relativePath).c_str(),
                                      wideFilePath(list, folder + name).c_str(), TRUE) == 0) {
            acted.failed.push_back(doll);
            continue;
        }
        acted.done.push_back(doll);
        copies.push_back(folder + name);
    }
    list.selectAfter = std::move(copies);
    list.worker->lookAgain();
    tellOutcome(list, acted, "を複製しました", "を複製できませんでした");
    if (!acted.failed.empty())
        askInList(list, shownFolderPath(acted.failed.front().relativePath) + " を複製できませんでした。",
                  MB_OK | MB_ICONWARNING);
}

std::optional<int> askToRecycle(const DollList& list, const std::vector<ChosenDoll>& dolls) {
    return askInList(list, dollsNamed(dolls) + " をごみ箱に移動しますか？",
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

std::optional<int> askToDeleteForGood(const DollList& list, const std::vector<ChosenDoll>& dolls) {
    return askInList(list, dollsNamed(dolls) + " はごみ箱に入らないため、完全に削除されます。削除しますか？",
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
}

// A share, a stick or a card has no Recycle Bin: the shell would delete
// from it for good.
bool hasRecycleBin(const std::wstring& path) {
    wchar_t volume[MAX_PATH] = {};
    return GetVolumePathNameW(path.c_str(), volume, MAX_PATH) != 0 && GetDriveTypeW(volume) == DRIVE_FIXED;
}

// Through the shell, with undo allowed. Should the shell find no Recycle
// Bin after all, it asks before deleting rather than deleting unasked.
void moveToRecycleBin(const DollList& list, const std::vector<ChosenDoll>& dolls, DollsActedOn& acted) {
    std::wstring from;
    for (const ChosenDoll& doll : dolls)
        from += wideFilePath(list, doll.relativePath) + L'\0';
    if (from.empty())
        return;
    from += L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = list.window;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&operation);
    for (const ChosenDoll& doll : dolls)
        (fileIsAt(list, doll.relativePath) ? acted.failed : acted.done).push_back(doll);
}

void deleteForGood(const DollList& list, const std::vector<ChosenDoll>& dolls, DollsActedOn& acted) {
    for (const ChosenDoll& doll : dolls) {
        if (!stillChosen(list, doll))
            acted.left.push_back(doll);
        else
            (DeleteFileW(wideFilePath(list, doll.relativePath).c_str()) != 0 ? acted.deleted : acted.failed)
                .push_back(doll);
    }
}

// The files still chosen, each where it can go: to the Recycle Bin, or
// deleted for good once that is asked.
struct RecycleSorting {
    std::vector<ChosenDoll> recyclable, notRecyclable;
};

RecycleSorting sortForRecycling(const DollList& list, const std::vector<ChosenDoll>& dolls,
                                DollsActedOn& acted) {
    RecycleSorting sorted;
    for (const ChosenDoll& doll : dolls) {
        if (!stillChosen(list, doll))
            acted.left.push_back(doll);
        else if (hasRecycleBin(wideFilePath(list, doll.relativePath)))
            sorted.recyclable.push_back(doll);
        else
            sorted.notRecyclable.push_back(doll);
    }
    return sorted;
}

void recycleSelected(DollList& list) {
    const std::vector<ChosenDoll> chosen = chosenDolls(list);
    if (chosen.empty() || askToRecycle(list, chosen) != IDYES)
        return;
    DollsActedOn acted;
    RecycleSorting sorted = sortForRecycling(list, chosen, acted);
    if (!sorted.notRecyclable.empty()) {
        const std::optional<int> forGood = askToDeleteForGood(list, sorted.notRecyclable);
        if (!forGood)
            return;
        if (*forGood == IDYES)
            deleteForGood(list, sorted.notRecyclable, acted);
        else
            acted.left.insert(acted.left.end(), sorted.notRecyclable.begin(), sorted.notRecyclable.end());
        // The box ran the folder's news: look at the others again too.
        std::erase_if(sorted.recyclable, [&](const ChosenDoll& doll) {
            const bool changed = !stillChosen(list, doll);
            if (changed)
                acted.left.push_back(doll);
            return changed;
        });
    }
    moveToRecycleBin(list, sorted.recyclable, acted);
    list.worker->lookAgain();
    tellOutcome(list, acted, "をごみ箱に移動しました", "を削除できませんでした");
    if (!acted.failed.empty())
        askInList(list, dollsNamed(acted.failed) + " を削除できませんでした。", MB_OK | MB_ICONWARNING);
}

// The selected sheets read in full, their portraits too; none when one of
// them cannot be read, which the user is told.
std::vector<std::unique_ptr<CharacterSheet>> readSelectedSheets(const DollList& list) {
    std::vector<std::unique_ptr<CharacterSheet>> sheets;
    for (const ChosenDoll& doll : chosenDolls(list)) {
        const std::wstring path = wideFilePath(list, doll.relativePath);
        auto sheet = std::make_unique<CharacterSheet>();
        if (!namesFileBelowFolder(doll.relativePath) ||
            !sheet->loadSheetCopy(path, narrowPath(path).value_or(std::string()))) {
            list.host->tellCouldNotRead(path);
            return {};
        }
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

void copySelectedTexts(const DollList& list) {
    const std::vector<std::unique_ptr<CharacterSheet>> sheets = readSelectedSheets(list);
    if (sheets.empty())
        return;
    std::string texts;
    for (const auto& sheet : sheets) {
        std::string text = sheetText(*sheet);
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        texts += (texts.empty() ? "" : "\n\n") + text;
    }
    list.host->tell(copyToClipboard(list.window, texts + "\n") ? "クリップボードにコピーしました"
                                                               : "クリップボードにコピーできませんでした");
}

void openSelectedPage(const DollList& list) {
    const std::vector<std::unique_ptr<CharacterSheet>> sheets = readSelectedSheets(list);
    if (sheets.empty())
        return;
    std::vector<const CharacterSheet*> printed;
    for (const auto& sheet : sheets)
        printed.push_back(sheet.get());
    list.host->tell(openPrintablePage(printablePagePath("ドール一覧.txt"), sheetsPage(printed)));
}

} // namespace

void openSelected(DollList& list, bool newWindow) {
    const std::vector<ChosenDoll> dolls = chosenDolls(list);
    if (dolls.empty() || !namesFileBelowFolder(dolls.front().relativePath))
        return;
    list.host->openSheet(wideFilePath(list, dolls.front().relativePath), newWindow);
}

void runDollCommand(DollList& list, int command) {
    switch (command) {
    case IDM_DOLL_OPEN: openSelected(list, false); break;
    case IDM_DOLL_OPEN_NEW_WINDOW: openSelected(list, true); break;
    case IDM_DOLL_DUPLICATE: duplicateSelected(list); break;
    case IDM_DOLL_RECYCLE: recycleSelected(list); break;
    case IDM_DOLL_COPY_TEXT: copySelectedTexts(list); break;
    case IDM_DOLL_OPEN_PAGE: openSelectedPage(list); break;
    case IDM_DOLL_SAVE_UDONARIUM: savePartyPiece(list); break;
    }
}

// The list's keys, where the focus is in the list.
int commandOfKey(WORD key) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_DELETE: return control ? 0 : IDM_DOLL_RECYCLE;
    case 'C': return control ? IDM_DOLL_COPY_TEXT : 0;
    case 'D': return control ? IDM_DOLL_DUPLICATE : 0;
    case 'P': return control ? IDM_DOLL_OPEN_PAGE : 0;
    }
    return 0;
}

void showDollMenu(DollList& list, HWND from, LPARAM at) {
    HWND rows = rowList(list);
    if (from != rows)
        return;
    POINT place = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1)
        place = keyboardMenuPlace(rows);
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(list.window, GWLP_HINSTANCE));
    HMENU menus = LoadMenuA(instance, "DOLLMENU");
    const int command = TrackPopupMenu(GetSubMenu(menus, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       place.x, place.y, 0, list.window, nullptr);
    DestroyMenu(menus);
    if (command != 0 && !selectedRows(rows).empty())
        runDollCommand(list, command);
}

} // namespace doll_list
