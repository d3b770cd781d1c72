// The party's piece for Udonarium: the selected dolls read and written as
// one ZIP away from the window's thread, while the line under the list
// counts them; Esc or closing the list stops it, and nothing is written.
#include "dolls/DollListState.h"

#include "editor/FileDialogs.h"
#include "export/PieceSaving.h"
#include "res/resource.h"
#include "sheet/WindowsText.h"

#include <thread>
#include <utility>

namespace doll_list {

// One save, shared by the window and the thread that does it: the window
// lets go of it when it closes, and the thread when it is done.
struct PartyPiece {
    HWND window = nullptr;
    std::string folder; // UTF-8
    std::vector<std::string> relativePaths;
    std::string zipPath; // as the dialog gave it
    std::atomic<bool> stop{false};
    // Written by the thread before it posts pieceSavedMessage.
    PieceOutcome outcome;
    std::vector<std::string> names;      // of the dolls given to the piece
    std::vector<std::string> unreadable; // relative paths
};

namespace {

// The sheets that can be read, in the order chosen, without their portraits
// loaded: the piece reads its pictures itself.
std::vector<std::unique_ptr<CharacterSheet>> readSheets(PartyPiece& piece, std::vector<PieceDoll>& dolls) {
    std::vector<std::unique_ptr<CharacterSheet>> sheets;
    for (const std::string& relativePath : piece.relativePaths) {
        if (piece.stop)
            break;
        const std::string path = dollFilePath(piece.folder, relativePath);
        std::optional<SheetContents> contents =
            namesFileBelowFolder(relativePath)
                ? readSheetContents(openUtf8ForReading(path), dollSheetByteLimit)
                : std::nullopt;
        if (!contents) {
            piece.unreadable.push_back(relativePath);
            continue;
        }
        auto sheet = std::make_unique<CharacterSheet>(std::move(*contents));
        piece.names.push_back(sheet->getDollName());
        dolls.push_back({sheet.get(), path, PathCode::utf8});
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

void savePiece(const std::shared_ptr<PartyPiece>& piece) {
    std::vector<PieceDoll> dolls;
    const std::vector<std::unique_ptr<CharacterSheet>> sheets = readSheets(*piece, dolls);
    const auto stillWanted = [&piece](std::size_t done, std::size_t total) {
        PostMessageA(piece->window, pieceProgressMessage, done, static_cast<LPARAM>(total));
        return !piece->stop;
    };
    if (piece->stop)
        piece->outcome.result = PieceOutcome::Result::stopped;
    else if (!dolls.empty())
        piece->outcome = writeUdonariumPiece(dolls, piece->zipPath, PathCode::codePage932, stillWanted);
    PostMessageA(piece->window, pieceSavedMessage, 0, 0);
}

// The folder's own name, as the dialog's name box can hold it.
std::string partyFileName(const DollList& list) {
    const std::wstring folder = wideOfUtf8(list.folder);
    const std::wstring name = folder.substr(folder.find_last_of(L"\\/:") + 1);
    return pieceFileName(narrowPath(name).value_or(std::string()));
}

std::string shownSavedPath(const DollList& list) {
    return list.piece == nullptr ? std::string() : shownPath(wideOfNarrow(list.piece->zipPath));
}

std::string unreadableText(const std::vector<std::string>& relativePaths) {
    std::string text;
    for (const std::string& path : relativePaths)
        text += (text.empty() ? "" : "、") + shownFolderPath(path);
    return text.empty() ? text : " ･ " + text + " を読めませんでした";
}

} // namespace

void savePartyPiece(DollList& list) {
    if (list.piece != nullptr)
        return;
    std::vector<std::string> chosen = selectedFiles(list);
    if (chosen.empty())
        return;
    const HWND window = list.window;
    const std::string folder = narrowPath(wideOfUtf8(list.folder)).value_or(std::string());
    const std::string zipPath = askSaveFileNameIn(window, "ユドナリウム用コマを保存", zipFileFilter, "zip",
                                                  folder, partyFileName(list));
    // The dialog ran the list's messages: the list may have closed meanwhile.
    if (zipPath.empty() || IsWindow(window) == FALSE ||
        GetWindowLongPtrA(window, DWLP_USER) != reinterpret_cast<LONG_PTR>(&list))
        return;
    auto piece = std::make_shared<PartyPiece>();
    piece->window = window;
    piece->folder = list.folder;
    piece->relativePaths = std::move(chosen);
    piece->zipPath = zipPath;
    list.piece = piece;
    showPieceProgress(list, 0, piece->relativePaths.size());
    std::thread(savePiece, std::move(piece)).detach();
}

void showPieceProgress(DollList& list, std::size_t done, std::size_t total) {
    if (list.piece == nullptr)
        return;
    list.outcome = "コマを保存中 " + std::to_string(done) + " / " + std::to_string(total);
    showSummary(list);
}

void takeSavedPiece(DollList& list) {
    if (list.piece == nullptr)
        return;
    const PartyPiece& piece = *list.piece;
    list.outcome = piece.names.empty() && !piece.stop
                       ? "ユドナリウム用コマを保存できませんでした" + unreadableText(piece.unreadable)
                       : pieceOutcomeText(piece.outcome, piece.names, shownSavedPath(list)) +
                             unreadableText(piece.unreadable);
    list.piece.reset();
    showSummary(list);
}

bool stopPartyPiece(DollList& list) {
    if (list.piece == nullptr)
        return false;
    list.piece->stop = true;
    return true;
}

} // namespace doll_list
