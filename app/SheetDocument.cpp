#include "app/SheetDocument.h"

#include "app/FileDialogs.h"
#include "app/ProgramStart.h"
#include "app/RecentMenu.h"
#include "app/RecoveryCopy.h"
#include "app/SheetTitle.h"
#include "app/StatusBar.h"
#include "editor/SheetForm.h"
#include "sheet/CharacterSheet.h"

std::string currentSheetPath;

namespace {

struct DocumentState {
    HWND mainWindow = nullptr;
    SheetHistory history;
    bool copyStale = false; // a change came since the recovery copy was written
};
DocumentState document;

// The title and the recovery copy follow whether the sheet holds unsaved
// edits.
void followUnsavedState() {
    showSheetTitle();
    if (hasUnsavedEdits())
        return;
    removeOwnCopy();
    document.copyStale = false;
}

void onChange(const MemberChange& change) {
    const bool wasUnsaved = hasUnsavedEdits();
    document.history.record(change);
    document.copyStale = true;
    if (hasUnsavedEdits() != wasUnsaved)
        followUnsavedState();
}

// "YYYY-MM-DD hh:mm:ss", local time.
std::string localTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond);
    return text;
}

bool startForCopy(const std::wstring& copyName) {
    return startProgramWith(L"/recover:" + copyName);
}

// While the program itself puts values into the record and the form (an
// open, a new sheet, an undo), the form's handlers copy them back
// half-shown: none of that is a change of the user's.
class ChangesUnheard {
public:
    ChangesUnheard() : listener(characterSheet.changesListener()) { characterSheet.listenToChanges({}); }
    ~ChangesUnheard() { characterSheet.listenToChanges(std::move(listener)); }
    ChangesUnheard(const ChangesUnheard&) = delete;
    ChangesUnheard& operator=(const ChangesUnheard&) = delete;

private:
    std::function<void(const MemberChange&)> listener;
};

// A sheet that now matches a file (or no file, new) starts a history.
void startHistory() {
    document.history.clear();
    followUnsavedState();
}

// The copy's sheet with its edits unsaved, standing for the sheet's own file.
bool showCopiedSheet(HWND window, LeftCopy& copy) {
    {
        const ChangesUnheard loading;
        if (!characterSheet.loadSheetCopy(sheetFileOf(copy), copy.record.sheetPath))
            return false;
        refreshSheetForm();
    }
    currentSheetPath = copy.record.sheetPath;
    document.history.clear();
    document.history.forgetSavedPoint();
    adoptCopy(copy);
    showSheetTitle();
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

void answerCopyOffer(HWND window, LeftCopy& copy, bool& hereFirst) {
    switch (MessageBoxA(window, recoveryQuestion(copy.record).c_str(), "変更の復元",
                        MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES:
        if (hereFirst && showCopiedSheet(window, copy)) {
            hereFirst = false;
            return;
        }
        releaseCopy(copy);
        if (!recoverInOwnWindow(copy.name))
            tellUser("変更を復元するウィンドウを開けませんでした");
        return;
    case IDNO: removeCopy(copy); return;
    }
    releaseCopy(copy);
}

void showSavedMessage() {
    tellUser("データが保存されました");
}

// A failed save must not look like a successful one: the user learns that
// the sheet, and where, is not on the disk.
void showSaveFailedMessage(const std::string& path) {
    tellUser("保存できませんでした: " + path);
}

// On success the sheet stands for the file at `path` from here on; a failed
// save leaves the sheet's file and its unsaved edits as they were. A save
// keeps the history.
bool saveTo(const std::string& path) {
    if (!characterSheet.saveSheet(path)) {
        showSaveFailedMessage(path);
        return false;
    }
    currentSheetPath = path;
    document.history.markSaved();
    followUnsavedState();
    showSavedMessage();
    rememberRecentSheet(path);
    return true;
}

bool openSheet(HWND window, const std::string& path) {
    {
        const ChangesUnheard loading;
        if (!characterSheet.loadSheet(path)) {
            showOpenFailedMessage(path);
            return false;
        }
        refreshSheetForm();
    }
    currentSheetPath = path;
    startHistory();
    InvalidateRect(window, nullptr, FALSE);
    rememberRecentSheet(path);
    return true;
}

// The focus goes where the step's last change put back shows; the title
// follows the history.
void putBack(const std::vector<MemberChange>& step, bool undone) {
    if (step.empty())
        return;
    for (const MemberChange& change : step) {
        const ChangesUnheard puttingBack;
        const MemberValue& value = undone ? change.before : change.after;
        characterSheet.setMember(change.member, value);
        showChangedMember(change.member, undone ? change.after : change.before);
        characterSheet.setMember(change.member, value);
    }
    document.copyStale = true;
    followUnsavedState();
}

} // namespace

bool (*recoverInOwnWindow)(const std::wstring& copyName) = startForCopy;

void startDocument(HWND mainWindow) {
    document.mainWindow = mainWindow;
    currentSheetPath.clear();
    characterSheet.listenToChanges(onChange);
    startHistory();
}

SheetHistory& documentHistory() {
    return document.history;
}

bool hasUnsavedEdits() {
    return !document.history.isAtSaved();
}

void showSheetTitle() {
    SetWindowTextA(document.mainWindow, mainWindowTitle(currentSheetPath, hasUnsavedEdits()).c_str());
}

bool saveUnderNewName() {
    const std::string path = askSaveFileName("名前を付けてファイルを保存", sheetFileFilter, "txt");
    return !path.empty() && saveTo(path);
}

bool saveToSheetFile() {
    return currentSheetPath.empty() ? saveUnderNewName() : saveTo(currentSheetPath);
}

bool maySheetGo(HWND window) {
    if (!hasUnsavedEdits())
        return true;
    const std::string question = sheetName(currentSheetPath) + " への変更を保存しますか？";
    switch (MessageBoxA(window, question.c_str(), "変更の保存", MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES: return saveToSheetFile();
    case IDNO: return true;
    }
    return false;
}

void openChosenSheet(HWND window) {
    if (!maySheetGo(window))
        return;
    const std::string path = askOpenFileName("ファイルを開く", sheetFileFilter, "txt");
    if (!path.empty())
        openSheet(window, path);
}

OpenOutcome openSheetInPlace(HWND window, const std::string& path) {
    if (!maySheetGo(window))
        return OpenOutcome::kept;
    return openSheet(window, path) ? OpenOutcome::opened : OpenOutcome::refused;
}

void startNewSheet(HWND window) {
    if (!maySheetGo(window))
        return;
    {
        const ChangesUnheard emptying;
        showNewSheet();
    }
    currentSheetPath.clear();
    startHistory();
}

void undoStep() {
    putBack(document.history.undo(), true);
}

void redoStep() {
    putBack(document.history.redo(), false);
}

void writeRecoveryCopy() {
    if (!document.copyStale || !hasUnsavedEdits())
        return;
    // A copy that cannot be written is not tried again until the next change.
    document.copyStale = false;
    writeOwnCopy(characterSheet.sheetFileText(), {currentSheetPath, localTimeText()});
}

void endDocument() {
    removeOwnCopy();
}

void offerRecoveryCopies(HWND window, bool hereFirst) {
    constexpr std::size_t offeredAtOneStart = 8;
    LeftCopies left = takeLeftCopies(offeredAtOneStart);
    if (left.damaged > 0)
        tellUser("復元できない変更のコピーを削除しました（" + std::to_string(left.damaged) + " 件）");
    for (LeftCopy& copy : left.copies)
        answerCopyOffer(window, copy, hereFirst);
}

void showRecoveryCopy(HWND window, const std::wstring& name) {
    LeftCopy copy;
    // The window that started this one lets go of the copy just before.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (takeLeftCopy(name, copy)) {
            if (!showCopiedSheet(window, copy))
                releaseCopy(copy);
            return;
        }
        Sleep(20);
    }
}
