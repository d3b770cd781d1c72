#include "app/SheetDocument.h"

#include "app/OtherWindows.h"
#include "app/ProgramStart.h"
#include "app/RecentMenu.h"
#include "app/SheetTitle.h"
#include "app/StatusBar.h"
#include "app/VersionsDialog.h"
#include "editor/FileDialogs.h"
#include "editor/SheetForm.h"
#include "sheet/CharacterSheet.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"
#include "sheet/WindowsText.h"
#include "store/FileStamp.h"
#include "store/RecentList.h"
#include "store/RecoveryCopy.h"
#include "store/VersionStore.h"

std::string currentSheetPath;

namespace {

struct DocumentState {
    HWND mainWindow = nullptr;
    SheetHistory history;
    bool copyStale = false;  // a change came since the recovery copy was written
    FileStamp seen;          // the sheet's file as last read, written or kept unread
    bool behindFile = false; // its file changed and the window kept its own sheet
    int fileQuestions = 0;   // flows that ask about the file, underway
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

// Only a step across the saved point changes what the title and the copy
// follow.
void followCrossingOfSavedPoint(bool wasUnsaved) {
    if (hasUnsavedEdits() != wasUnsaved)
        followUnsavedState();
}

void onChange(const MemberChange& change) {
    const bool wasUnsaved = hasUnsavedEdits();
    document.history.record(change);
    document.copyStale = true;
    followCrossingOfSavedPoint(wasUnsaved);
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

// The sheet shown is what the file holds, as `stamp` saw it.
void matchFile(const FileStamp& stamp) {
    document.seen = stamp;
    document.behindFile = false;
}

// While the window asks about its file or writes it, a return to the window
// (the question's own closing among them) asks nothing more.
class FileQuestionsHeld {
public:
    FileQuestionsHeld() { ++document.fileQuestions; }
    ~FileQuestionsHeld() { --document.fileQuestions; }
    FileQuestionsHeld(const FileQuestionsHeld&) = delete;
    FileQuestionsHeld& operator=(const FileQuestionsHeld&) = delete;
};

// A sheet that now matches a file (or no file, new) starts a history.
void startHistory() {
    document.history.clear();
    followUnsavedState();
}

// The copy's edits are of the sheet's file as its window last had it: a
// file written after the copy was has been changed by another program since,
// and saving the recovered sheet over it asks first.
bool changedSinceCopy(const LeftCopy& copy, const FileStamp& file) {
    return file.state == FileStamp::State::present &&
           file.writeTime > lookAtFile(sheetFileOf(copy)).writeTime;
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
    matchFile(currentSheetPath.empty() ? FileStamp() : stampOfFile(currentSheetPath));
    document.behindFile = changedSinceCopy(copy, document.seen);
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
        // Its sheet open in another window: that one comes forward, and the
        // copy waits for a later start.
        if (!copy.record.sheetPath.empty() && shownElsewhere(window, wideOfNarrow(copy.record.sheetPath)))
            break;
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

// A version that could not be kept does not stop the save, but the user
// learns that the bytes it replaced are gone.
void showSavedMessage(VersionKept kept) {
    tellUser(kept == VersionKept::failed ? "データが保存されました（以前の版は残せませんでした）"
                                         : "データが保存されました");
}

// A failed save must not look like a successful one: the user learns that
// the sheet, and where, is not on the disk.
void showSaveFailedMessage(const std::string& path) {
    tellUser("保存できませんでした: " + path);
}

// On success the sheet stands for the file at `path` from here on; a failed
// save leaves the sheet's file and its unsaved edits as they were. A save
// keeps the history. The bytes written are the ones the file's stamp is
// taken from.
bool saveTo(const std::string& path) {
    const std::string bytes = characterSheet.sheetFileText();
    const VersionKept kept = keepVersionBeforeSave(path, bytes);
    if (!replaceFileContents(path, bytes)) {
        showSaveFailedMessage(path);
        return false;
    }
    currentSheetPath = path;
    matchFile(stampOfWritten(path, bytes));
    document.history.markSaved();
    followUnsavedState();
    showSavedMessage(kept);
    rememberRecentSheet(path);
    return true;
}

// The file is read once: the sheet is loaded from the bytes its stamp is
// taken from. Looked at before it is read, so that a change in between is
// asked about later rather than missed.
bool openSheet(HWND window, const std::string& path) {
    const FileLook look = lookAtFile(path);
    const FileBytes file = readFileBytes(path, LineReader::defaultByteLimit);
    {
        const ChangesUnheard loading;
        if (file.outcome != FileBytes::Outcome::read || !characterSheet.loadSheetText(file.bytes, path)) {
            showOpenFailedMessage(path);
            return false;
        }
        refreshSheetForm();
    }
    currentSheetPath = path;
    matchFile(stampOfBytes(look, file.bytes));
    startHistory();
    InvalidateRect(window, nullptr, FALSE);
    rememberRecentSheet(path);
    return true;
}

MemberValue memberNow(SheetMember member) {
    return characterSheet.getMember(member);
}

using HistoryMove = std::optional<HistoryStep> (SheetHistory::*)(const MemberNow&);

// The step `move` takes through the history shown: the focus goes where its
// last change shows.
void putBack(HistoryMove move, bool undone) {
    const bool wasUnsaved = hasUnsavedEdits();
    const std::optional<HistoryStep> step = (document.history.*move)(memberNow);
    if (!step)
        return;
    {
        const ChangesUnheard puttingBack;
        for (const MemberChange& change : step->changes) {
            const MemberValue& value = undone ? change.before : change.after;
            characterSheet.setMember(change.member, value);
            showChangedMember(change.member, undone ? change.after : change.before);
            characterSheet.setMember(change.member, value);
        }
    }
    document.copyStale = true;
    followCrossingOfSavedPoint(wasUnsaved);
}

int askAboutFile(const std::string& question, UINT buttons) {
    const FileQuestionsHeld asking;
    return MessageBoxA(document.mainWindow, question.c_str(), "ファイルの変更", buttons);
}

// Whether the sheet may go over its file: asked when another program changed
// the file since, or the window kept its sheet over such a change; No saves
// under a new name instead. A file gone is written anew.
enum class Overwrite { yes, elsewhere, no };
Overwrite mayOverwrite() {
    const FileChange change = changeSince(document.seen, currentSheetPath);
    if (change == FileChange::gone || (change == FileChange::unchanged && !document.behindFile))
        return Overwrite::yes;
    const std::string question = sheetName(currentSheetPath) +
                                 " は、開いた後でほかのプログラムによって変更されています。上書きしますか？";
    switch (askAboutFile(question, MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3)) {
    case IDYES: return Overwrite::yes;
    case IDNO: return Overwrite::elsewhere;
    }
    return Overwrite::no;
}

// Only the user back at the window is asked: not while another question or
// dialog of its own is up (its modal loop handles the posted check too) or
// the window is minimised, and never about a sheet without a file.
bool mayAskAboutFile(HWND window) {
    return document.fileQuestions == 0 && IsWindowEnabled(window) && GetActiveWindow() == window &&
           !IsIconic(window) && !currentSheetPath.empty();
}

// The file's sheet in place of the one shown; a file that cannot be read
// leaves the window as a No does.
void reloadOrKeep(HWND window, bool reload) {
    const std::string path = currentSheetPath;
    if (reload && openSheet(window, path))
        return;
    document.seen = stampOfFile(path);
    document.behindFile = true;
}

} // namespace

bool (*recoverInOwnWindow)(const std::wstring& copyName) = startForCopy;

void startDocument(HWND mainWindow) {
    document.mainWindow = mainWindow;
    currentSheetPath.clear();
    matchFile({});
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
    if (currentSheetPath.empty())
        return saveUnderNewName();
    const FileQuestionsHeld saving;
    switch (mayOverwrite()) {
    case Overwrite::yes: return saveTo(currentSheetPath);
    case Overwrite::elsewhere: return saveUnderNewName();
    case Overwrite::no: break;
    }
    return false;
}

void onWindowActive(HWND window) {
    if (document.fileQuestions == 0)
        PostMessageA(window, checkSheetFileMessage, 0, 0);
}

void checkSheetFile(HWND window) {
    if (!mayAskAboutFile(window) || changeSince(document.seen, currentSheetPath) != FileChange::changed)
        return;
    const bool edited = hasUnsavedEdits();
    std::string question =
        sheetName(currentSheetPath) + " は、ほかのプログラムによって変更されました。読み込み直しますか？";
    if (edited)
        question += "\nこのウィンドウの変更は失われます。";
    reloadOrKeep(window, askAboutFile(question, MB_YESNO | MB_ICONQUESTION |
                                                    (edited ? MB_DEFBUTTON2 : MB_DEFBUTTON1)) == IDYES);
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
    if (!path.empty() && !shownElsewhere(window, wideOfNarrow(path)))
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
    matchFile({});
    startHistory();
}

void openEarlierVersion(HWND window) {
    if (currentSheetPath.empty())
        return;
    const std::optional<std::string> bytes = chooseVersion(window, currentSheetPath, characterSheet);
    std::optional<SheetContents> contents = bytes ? sheetContentsOf(*bytes) : std::nullopt;
    if (!contents)
        return;
    const CharacterSheet version(std::move(*contents));
    {
        const NamedStep step("以前の版を開く");
        for (int member = 0; member <= static_cast<int>(SheetMember::legParts); ++member) {
            const auto which = static_cast<SheetMember>(member);
            characterSheet.setMember(which, version.getMember(which));
        }
    }
    const ChangesUnheard showing;
    refreshSheetForm();
    InvalidateRect(window, nullptr, FALSE);
}

void undoStep() {
    putBack(&SheetHistory::undo, true);
}

void redoStep() {
    putBack(&SheetHistory::redo, false);
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
