// Uses the built program from outside, as a user would: starts it in a
// fresh folder, opens and saves sheets through its own file dialogs, types
// into the sheet form, answers the close question, and compares the saved
// files byte for byte.
//
//   e2e_driver <program.exe> <Database folder> <handshake folder> [<dots an inch>]
//
// It expects the program to draw its lists for a screen of the dots an inch
// given (96 when none is), and works whatever code page it runs in itself.
//
// At the moments worth a picture, the driver leaves "shot-NAME" in the
// handshake folder and waits for "shot-NAME.taken" there, so that the script
// running it can take a screenshot.

#include "ProgramWindows.h"
#include "TestFiles.h"
#include "ZipEntries.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* mainWindowTitle = "Velmoraキャラ管理ツール ver 1.002";
constexpr const char* closeQuestionCaption = "終了確認";
constexpr const char* closeQuestion = "終了してもよろしいですか？";
constexpr const char* saveQuestionCaption = "変更の保存";
constexpr const char* saveQuestionEnd = " への変更を保存しますか？";
constexpr const char* savedMessageEnd = " データが保存されました";
constexpr const char* dialogClass = "#32770";

// Sheet file lines that the typing changes, counted from 1.
constexpr int portraitLine = 2;
constexpr int dollNameLine = 3;
constexpr int playerNameLine = 4;
constexpr int favorPointsLine = 5;
constexpr int mainClassLine = 10;
constexpr int skillLine = 14;
constexpr int regretLine = 15;
constexpr int headPartsLine = 18;
// The second byte of "ソ" is that of a backslash, which text handling that
// ignores code page 932 takes for a character of its own.
constexpr const char* explorerSheetName = "私の人形 リリィ.txt";
constexpr const char* typedDollName = "ソフィア・ノワール";
constexpr const char* typedFavorPoints = "15";
// Typed with the keyboard, so plain ASCII: Wine reads the bytes of a
// character message in the keyboard layout's code page.
constexpr const char* typedPlayerName = "Mika";

void check(bool holds, const std::string& failure) {
    if (!holds)
        throw CheckFailed{failure};
}

std::string windowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::vector<std::string> sheetLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    check(start == bytes.size(), "the example sheet does not end with CR LF");
    return lines;
}

std::string joinSheetLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// The first difference between two files, told by line.
std::string describeDifference(const std::string& expected, const std::string& actual) {
    const auto expectedAt =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
    const std::size_t offset = expectedAt - expected.begin();
    const std::size_t previousLineEnd = offset == 0 ? std::string::npos : expected.rfind('\n', offset - 1);
    const std::size_t from = previousLineEnd == std::string::npos ? 0 : previousLineEnd + 1;
    auto lineAt = [from](const std::string& bytes) {
        return forLog(bytes.substr(from, std::min(bytes.find("\r\n", from), bytes.size()) - from));
    };
    return "the saved file (" + std::to_string(actual.size()) + " bytes, " + std::to_string(expected.size()) +
           " expected) differs from byte " + std::to_string(offset) + " in line " +
           std::to_string(std::count(expected.begin(), expectedAt, '\n') + 1) + ": \"" + lineAt(actual) +
           "\" instead of \"" + lineAt(expected) + "\"";
}

void checkFileBytes(const std::string& path, const std::string& expected) {
    check(fileExists(path), "no file was saved at " + forLog(path));
    const std::string actual = readBytes(path);
    check(actual == expected, describeDifference(expected, actual));
}

// The names of a reference list: one a line, a last line without its line
// end included, each ending at its first ':'.
std::vector<std::string> referenceNames(const std::string& path) {
    const std::string bytes = readBytes(path);
    std::vector<std::string> names;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        std::string line = bytes.substr(start, end - start);
        if (line.ends_with('\r'))
            line.pop_back();
        names.push_back(line.substr(0, line.find(':')));
        start = end + 1;
    }
    return names;
}

int secondsOfDay() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return (now.wHour * 60 + now.wMinute) * 60 + now.wSecond;
}

// Everything the scenario's steps share: the folder the program runs in,
// the running program and the windows found in it.
struct Session {
    Session(std::string program, std::string database, std::string handshake)
        : program(std::move(program)), database(std::move(database)), handshake(std::move(handshake)) {}

    std::string program;
    std::string database;
    std::string handshake;
    ScratchFolder folder;
    std::string exampleSheet;
    int dpi = 96;
    std::string openedPath = folder.file("example-sheet.txt");
    // Japanese names, which only a program running in code page 932 can
    // save under and open again on a Windows of another language.
    std::string savedPath = folder.file("保存したシート.txt");
    std::string newSheetPath = folder.file("新しい人形.txt");
    std::string pickedClass;
    // A Japanese name with a space, as Explorer hands it over.
    std::string explorerSheet = folder.file(std::string("my sheets\\") + explorerSheetName);
    // A sheet with a portrait beside it, as another player passes it on.
    std::string sharedSheet = folder.file("shared\\from a friend.txt");
    std::string installedProgram;
    std::unique_ptr<ProgramProcess> process;
    HWND mainWindow = nullptr;
    HWND form = nullptr;
    HWND statusBar = nullptr;

    DWORD processId() const { return process->id(); }

    HWND formControl(int id) const {
        HWND control = GetDlgItem(form, id);
        check(control != nullptr, "the sheet form has no control " + std::to_string(id));
        return control;
    }

    void checkFormText(int id, const std::string& expected) const {
        const std::string shown = readText(formControl(id));
        check(shown == expected, "control " + std::to_string(id) + " shows \"" + forLog(shown) +
                                     "\" instead of \"" + forLog(expected) + "\"");
    }

    // Runs a command that opens a file dialog and answers the dialog with
    // `path`; returns once the command has finished.
    void useFileDialog(WORD command, const char* dialogTitle, const std::string& path) const {
        postCommand(mainWindow, command);
        HWND dialog = waitForProcessWindow(processId(), dialogClass, dialogTitle,
                                           "the dialog \"" + forLog(dialogTitle) + "\"");
        answerFileDialog(dialog, path);
        waitUntilGone(processId(), dialog, "the dialog \"" + forLog(dialogTitle) + "\" to close");
        settle(mainWindow);
    }

    // Checks that the status bar tells of a save made between the two
    // times (seconds of the day, `from` read before the save).
    void checkSavedMessage(int from, int to) const {
        const std::string shown = readText(statusBar);
        const std::string end = savedMessageEnd;
        auto twoDigitsAt = [&shown](std::size_t at) {
            auto digit = [&shown](std::size_t i) {
                return std::isdigit(static_cast<unsigned char>(shown[i])) != 0;
            };
            return digit(at) && digit(at + 1) ? (shown[at] - '0') * 10 + (shown[at + 1] - '0') : -1;
        };
        const bool wellFormed =
            shown.size() == 8 + end.size() && shown.ends_with(end) && shown[2] == ':' && shown[5] == ':';
        const int hour = wellFormed ? twoDigitsAt(0) : -1;
        const int minute = wellFormed ? twoDigitsAt(3) : -1;
        const int second = wellFormed ? twoDigitsAt(6) : -1;
        check(hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60,
              "the status bar shows \"" + forLog(shown) + "\" instead of \"HH:MM:SS" + forLog(end) + "\"");
        const int at = (hour * 60 + minute) * 60 + second;
        // A save just before midnight is told with the new day's time.
        const bool inTime = from <= to ? from <= at && at <= to : at >= from || at <= to;
        check(inTime,
              "the status bar tells of a save at " + shown.substr(0, 8) + ", not at the time of the save");
    }

    // Checks that the message box `caption` asks `question` with these
    // buttons, and presses `button`.
    void answerQuestion(const char* caption, const std::string& question, std::initializer_list<int> buttons,
                        int button) const {
        HWND box = waitForProcessWindow(processId(), dialogClass, caption, "the question " + forLog(caption));
        check(hasDescendantWithText(box, "Static", question),
              "the question " + forLog(caption) + " does not ask \"" + forLog(question) + "\"");
        for (int id : buttons)
            check(GetDlgItem(box, id) != nullptr,
                  "the question " + forLog(caption) + " has no button " + std::to_string(id));
        clickButton(box, button);
        waitUntilGone(processId(), box, "the question " + forLog(caption) + " to close");
    }

    void answerCloseQuestion(int button) const {
        answerQuestion(closeQuestionCaption, closeQuestion, {IDYES, IDNO}, button);
    }

    void answerSaveQuestion(const std::string& sheetName, int button) const {
        answerQuestion(saveQuestionCaption, sheetName + saveQuestionEnd, {IDYES, IDNO, IDCANCEL}, button);
    }

    void checkTitle(const std::string& sheetTitle) const {
        const std::string expected =
            sheetTitle.empty() ? mainWindowTitle : sheetTitle + " - " + mainWindowTitle;
        const std::string title = readText(mainWindow);
        check(title == expected,
              "the main window's title is \"" + forLog(title) + "\" instead of \"" + forLog(expected) + "\"");
    }
};

void startProgram(Session& s) {
    // The recent sheets' list goes into the test's own folder.
    std::filesystem::create_directory(s.folder.file("AppData"));
    check(SetEnvironmentVariableA("APPDATA", s.folder.file("AppData").c_str()) != 0,
          "APPDATA could not be set");
    // So do the recovery copies of sheets with unsaved edits.
    std::filesystem::create_directory(s.folder.file("LocalAppData"));
    check(SetEnvironmentVariableA("LOCALAPPDATA", s.folder.file("LocalAppData").c_str()) != 0,
          "LOCALAPPDATA could not be set");
    s.exampleSheet = readBytes(fixturePath("example-sheet.txt"));
    std::filesystem::copy(s.database, s.folder.file("Database"), std::filesystem::copy_options::recursive);
    writeBytes(s.openedPath, s.exampleSheet);
    s.process = std::make_unique<ProgramProcess>(s.program, s.folder.file(""));
}

void findWindows(Session& s) {
    s.mainWindow = waitForProcessWindow(s.processId(), "toolbase", nullptr, "the main window");
    s.form = FindWindowExA(s.mainWindow, nullptr, dialogClass, nullptr);
    check(s.form != nullptr && IsWindowVisible(s.form), "the main window shows no sheet form");
    s.statusBar = GetDlgItem(s.mainWindow, IDC_STATUSBAR);
    check(s.statusBar != nullptr && windowClass(s.statusBar) == STATUSCLASSNAMEA,
          "the main window has no status bar");
}

void findMainWindow(Session& s) {
    findWindows(s);
    s.checkTitle("");
}

// Each entry is shown in the box in turn, since a pointer to the program's
// memory cannot be handed over; the box is left without a choice.
void checkChoiceNames(HWND box, int id, const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        sendAndWait(box, CB_SETCURSEL, i, 0, "showing an entry");
        const std::string shown = readText(box);
        check(shown == names[i], "entry " + std::to_string(i) + " of box " + std::to_string(id) + " is \"" +
                                     forLog(shown) + "\" instead of \"" + forLog(names[i]) + "\"");
    }
    sendAndWait(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0, "clearing the box");
}

void checkReferenceChoices(Session& s) {
    const std::pair<int, const char*> boxes[] = {
        {IDC_POSITION, "ポジション.txt"}, {IDC_MAIN_CLASS, "クラス.txt"}, {IDC_SUB_CLASS, "クラス.txt"}};
    for (const auto& [id, file] : boxes) {
        const std::vector<std::string> names = referenceNames(s.database + "\\" + file);
        const auto expected = static_cast<int>(names.size());
        const auto shown =
            static_cast<int>(sendAndWait(s.formControl(id), CB_GETCOUNT, 0, 0, "counting entries"));
        check(shown == expected, "box " + std::to_string(id) + " offers " + std::to_string(shown) +
                                     " entries instead of the " + std::to_string(expected) + " lines of " +
                                     forLog(file));
        checkChoiceNames(s.formControl(id), id, names);
    }
}

// The last class of the list, picked as the box tells the form of a pick.
void pickMainClass(Session& s) {
    HWND box = s.formControl(IDC_MAIN_CLASS);
    const std::vector<std::string> classes = referenceNames(s.database + "\\クラス.txt");
    check(!classes.empty(), "the Database copy lists no class");
    sendAndWait(box, CB_SETCURSEL, classes.size() - 1, 0, "showing the picked class");
    sendAndWait(s.form, WM_COMMAND, MAKEWPARAM(IDC_MAIN_CLASS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box),
                "taking the picked class");
    s.pickedClass = classes.back();
}

void askForScreenshot(Session& s, const std::string& name) {
    s.process->waitUntilIdle();
    settle(s.mainWindow);
    const std::string request = s.handshake + "\\shot-" + name;
    writeBytes(request, "");
    waitUntil(s.processId(), "the screenshot \"" + name + "\"",
              [&] { return fileExists(request + ".taken"); });
}

void waitForScreenshot(Session& s) {
    askForScreenshot(s, "started");
}

// A double click below the last row, where a new entry is asked for.
void doubleClickBelowRows(HWND list) {
    RECT client;
    GetClientRect(list, &client);
    const LPARAM at = MAKELPARAM(client.left + 10, client.bottom - 4);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
}

void addSkillThroughTheDialog(Session& s) {
    doubleClickBelowRows(s.formControl(IDC_SKILL_LIST));
    HWND dialog = waitForProcessWindow(s.processId(), dialogClass, "スキル", "the skill dialog");
    const std::pair<int, const char*> typed[] = {{IDC_SKILL_NAME, "加速"},
                                                 {IDC_SKILL_TIMING, "オート"},
                                                 {IDC_SKILL_COST, "なし"},
                                                 {IDC_SKILL_RANGE, "自身"},
                                                 {IDC_SKILL_EFFECT, "移動1"}};
    for (const auto& [id, text] : typed) {
        HWND box = GetDlgItem(dialog, id);
        check(box != nullptr && readText(box).empty(),
              "the skill dialog has no empty box " + std::to_string(id));
        writeText(box, text);
    }
    clickButton(dialog, IDOK);
    waitUntilGone(s.processId(), dialog, "the skill dialog to close");
    settle(s.mainWindow);
}

// The box of the first row's name cell: the shown check box nearest the
// list's top left corner.
HWND firstRowNameBox(HWND list) {
    HWND nearest = nullptr;
    RECT nearestRect{};
    for (HWND child = FindWindowExA(list, nullptr, "Button", nullptr); child != nullptr;
         child = FindWindowExA(list, child, "Button", nullptr)) {
        RECT rect;
        GetWindowRect(child, &rect);
        const bool nearer = nearest == nullptr || rect.top < nearestRect.top ||
                            (rect.top == nearestRect.top && rect.left < nearestRect.left);
        if (IsWindowVisible(child) && nearer) {
            nearest = child;
            nearestRect = rect;
        }
    }
    check(nearest != nullptr, "the head list shows no check box");
    return nearest;
}

void tickFirstHeadPart(Session& s) {
    HWND box = firstRowNameBox(s.formControl(IDC_HEAD_LIST));
    sendAndWait(box, BM_CLICK, 0, 0, "the click on the head part's box");
    check(sendAndWait(box, BM_GETCHECK, 0, 0, "reading the box") == BST_CHECKED,
          "the head part's box is not ticked after a click");
    askForScreenshot(s, "lists");
}

RECT rectInside(HWND window, HWND parent) {
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) +
           ", " + std::to_string(r.bottom) + ")";
}

// The shown boxes must have the screen's size, stand below the header inside
// the list, and not overlap: rows lower than a box would stack them.
void checkBoxesOfList(HWND list, int boxSize) {
    RECT rows;
    GetClientRect(list, &rows);
    rows.top = rectInside(FindWindowExA(list, nullptr, WC_HEADERA, nullptr), list).bottom;
    std::vector<RECT> boxes;
    for (HWND box = FindWindowExA(list, nullptr, "Button", nullptr); box != nullptr;
         box = FindWindowExA(list, box, "Button", nullptr)) {
        if (!IsWindowVisible(box))
            continue;
        const RECT at = rectInside(box, list);
        check(at.right - at.left == boxSize && at.bottom - at.top == boxSize,
              "a check box is " + describe(at) + ", not " + std::to_string(boxSize) + " pixels square");
        check(at.left >= rows.left && at.top >= rows.top && at.right <= rows.right &&
                  at.bottom <= rows.bottom,
              "a check box at " + describe(at) + " is outside its list's rows " + describe(rows));
        for (const RECT& other : boxes) {
            RECT overlap;
            check(!IntersectRect(&overlap, &at, &other),
                  "the check boxes at " + describe(at) + " and " + describe(other) + " overlap");
        }
        boxes.push_back(at);
    }
}

void checkListsScaledToScreen(Session& s) {
    constexpr int columnWidths[] = {100, 60, 40, 40, 124};
    for (int id = IDC_SKILL_LIST; id <= IDC_LEG_LIST; ++id) {
        HWND list = s.formControl(id);
        for (int column = 0; column < static_cast<int>(std::size(columnWidths)); ++column) {
            const auto width = static_cast<int>(
                sendAndWait(list, LVM_GETCOLUMNWIDTH, column, 0, "telling a column's width"));
            const int expected = MulDiv(columnWidths[column], s.dpi, 96);
            check(width == expected, "column " + std::to_string(column) + " of list " + std::to_string(id) +
                                         " is " + std::to_string(width) + " pixels wide, not " +
                                         std::to_string(expected));
        }
        checkBoxesOfList(list, MulDiv(12, s.dpi, 96));
    }
}

void saveTheNewSheet(Session& s) {
    s.useFileDialog(IDM_SAVE_AS, "名前を付けてファイルを保存", s.newSheetPath);
    std::vector<std::string> lines = sheetLines(readBytes(fixturePath("new-sheet.txt")));
    lines.at(mainClassLine - 1) = s.pickedClass;
    lines.at(skillLine - 1) = "加速,オート,なし,自身,移動1";
    std::string& headParts = lines.at(headPartsLine - 1);
    check(headParts.starts_with("0,"), "the new-sheet fixture's head parts do not start unticked");
    headParts.front() = '1';
    checkFileBytes(s.newSheetPath, joinSheetLines(lines));
}

void openExampleSheet(Session& s) {
    s.useFileDialog(IDM_OPEN, "ファイルを開く", s.openedPath);
    s.checkTitle("example-sheet.txt");
    const std::vector<std::string> lines = sheetLines(s.exampleSheet);
    s.checkFormText(IDC_DOLL_NAME, lines.at(dollNameLine - 1));
    s.checkFormText(IDC_PLAYER_NAME, lines.at(playerNameLine - 1));
    s.checkFormText(IDC_FAVOR_POINTS, lines.at(favorPointsLine - 1));
}

void saveUnderNewName(Session& s) {
    const int before = secondsOfDay();
    s.useFileDialog(IDM_SAVE_AS, "名前を付けてファイルを保存", s.savedPath);
    checkFileBytes(s.savedPath, s.exampleSheet);
    s.checkSavedMessage(before, secondsOfDay());
}

// Clicks the doll name, presses Tab and types into the box that then has
// the focus, which must be the player name.
void tabToThePlayerNameAndType(Session& s) {
    HWND dollName = s.formControl(IDC_DOLL_NAME);
    HWND playerName = s.formControl(IDC_PLAYER_NAME);
    postClick(dollName);
    waitUntil(s.processId(), "the doll name to take the focus on a click",
              [&] { return focusInThreadOf(s.mainWindow) == dollName; });
    postKey(dollName, VK_TAB);
    waitUntil(s.processId(), "Tab to move the focus from the doll name to the player name",
              [&] { return focusInThreadOf(s.mainWindow) == playerName; });
    // Tab selects the whole text of the box it reaches, so typing replaces it.
    postText(playerName, typedPlayerName);
    waitUntil(s.processId(), "the player name to show the typed \"" + std::string(typedPlayerName) + "\"",
              [&] { return readText(playerName) == typedPlayerName; });
}

// The example sheet with the typed names and favour points.
std::string typedSheet(const Session& s) {
    std::vector<std::string> lines = sheetLines(s.exampleSheet);
    lines.at(dollNameLine - 1) = typedDollName;
    lines.at(playerNameLine - 1) = typedPlayerName;
    lines.at(favorPointsLine - 1) = typedFavorPoints;
    return joinSheetLines(lines);
}

void saveTypedValues(Session& s) {
    writeText(s.formControl(IDC_DOLL_NAME), typedDollName);
    writeText(s.formControl(IDC_FAVOR_POINTS), typedFavorPoints);
    s.checkTitle("*保存したシート.txt");
    const int before = secondsOfDay();
    // Ctrl+S; a save dialog, which must not come, would keep the command
    // from finishing.
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    checkFileBytes(s.savedPath, typedSheet(s));
    s.checkSavedMessage(before, secondsOfDay());
    s.checkTitle("保存したシート.txt");
}

// The clipboard's Unicode text as UTF-8; empty when it holds none.
std::string clipboardUtf8() {
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
            text = bytesOfWide(static_cast<const wchar_t*>(GlobalLock(memory)), CP_UTF8);
            GlobalUnlock(memory);
        }
        CloseClipboard();
    }
    return text;
}

// Alt+F opens the File menu and C picks the item, as a user does.
void copyPieceThroughTheMenu(Session& s) {
    const std::string copied = "クリップボードにコピーしました";
    check(PostMessageA(s.mainWindow, WM_SYSCOMMAND, SC_KEYMENU, 'f') != 0, "Alt+F could not be pressed");
    waitForProcessWindow(s.processId(), "#32768", nullptr, "the File menu to open");
    postText(s.mainWindow, "c");
    waitUntil(s.processId(), "the status bar to tell of the copy",
              [&] { return readText(s.statusBar).ends_with(copied); });
    const std::string piece = clipboardUtf8();
    check(piece.starts_with("{\"kind\":\"character\",\"data\":{\"name\":\"" + forLog(typedDollName) + "\""),
          "the clipboard holds \"" + piece.substr(0, 80) + "\" instead of the doll's piece");
}

// A file that this process holds open without sharing, as another program may.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
        check(handle != INVALID_HANDLE_VALUE, "the test could not hold " + forLog(path) + " open");
    }
    ~HeldFile() { CloseHandle(handle); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    HANDLE handle;
};

void keepSheetWhenAnOpenFails(Session& s) {
    const std::string held = s.folder.file("held-sheet.txt");
    const std::string heldBytes = readBytes(fixturePath("new-sheet.txt"));
    writeBytes(held, heldBytes);
    {
        HeldFile holding(held);
        s.useFileDialog(IDM_OPEN, "ファイルを開く", held);
        const std::string shown = readText(s.statusBar);
        const std::string end = " 読み込めませんでした: " + held;
        check(shown.size() == 8 + end.size() && shown.ends_with(end) && shown[2] == ':' && shown[5] == ':',
              "the status bar shows \"" + forLog(shown) + "\" instead of \"HH:MM:SS" + forLog(end) + "\"");
        s.checkFormText(IDC_DOLL_NAME, typedDollName);
        sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    }
    checkFileBytes(s.savedPath, typedSheet(s));
    checkFileBytes(held, heldBytes);
}

// A double click in the middle of the portrait frame asks for a picture.
void choosePortraitByDoubleClick(Session& s) {
    const std::string picture = s.folder.file("doll.jpg");
    writeBytes(picture, readBytes(fixturePath("portrait-red-over-blue.jpg")));
    RECT frame;
    GetWindowRect(s.formControl(IDC_PORTRAIT_FRAME), &frame);
    MapWindowPoints(nullptr, s.form, reinterpret_cast<POINT*>(&frame), 2);
    PostMessageA(s.form, WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2));
    HWND dialog =
        waitForProcessWindow(s.processId(), dialogClass, "ファイルを開く", "the portrait's open dialog");
    answerFileDialog(dialog, picture);
    waitUntilGone(s.processId(), dialog, "the portrait's open dialog to close");
    settle(s.mainWindow);
    askForScreenshot(s, "portrait");
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    const std::vector<std::string> lines = sheetLines(readBytes(s.savedPath));
    check(lines.at(portraitLine - 1) == picture,
          "the saved portrait line is \"" + forLog(lines.at(portraitLine - 1)) + "\"");
}

// Through the File menu's dialog into the sheet's folder, as a user saves
// the file to drop onto Udonarium's table; read back, it holds the doll
// under its name and the portrait byte for byte under the name the doll's
// XML gives it.
void saveUdonariumPiece(Session& s) {
    const std::string piece = s.folder.file("piece.zip");
    s.useFileDialog(IDM_SAVE_UDONARIUM, "ユドナリウム用コマを保存", piece);
    const std::string told = readText(s.statusBar);
    check(told.ends_with(" ユドナリウム用コマを保存しました: " + piece),
          "the status bar shows \"" + forLog(told) + "\" after the piece was saved");
    const std::optional<std::map<std::string, std::string>> entries = zipEntries(piece);
    check(entries && entries->size() == 2 && entries->contains("1.xml"),
          "the piece does not read back as a doll and its picture");
    const std::string xml = entries->at("1.xml");
    const std::string picture = std::prev(entries->end())->first == "1.xml"
                                    ? entries->begin()->first
                                    : std::prev(entries->end())->first;
    const std::string identifier = picture.substr(0, picture.find('.'));
    check(xml.find(">" + forLog(typedDollName) + "<") != std::string::npos &&
              xml.find(">" + identifier + "</data>") != std::string::npos && identifier.size() == 64,
          "the piece's XML does not name the doll and its picture " + picture);
    check(entries->at(picture) == readBytes(s.folder.file("doll.jpg")),
          "the piece's picture is not the portrait's bytes");
}

// Under a new name, three saves, the second over a file that another
// program wrote meanwhile: "以前の版" keeps what each replaced, and the
// oldest, opened from it and saved, gives the first bytes back as they were.
void openTheOldestVersion(Session& s) {
    const std::string sheet = s.folder.file("版のシート.txt");
    s.useFileDialog(IDM_SAVE_AS, "名前を付けてファイルを保存", sheet);
    const std::string first = readBytes(sheet);
    writeText(s.formControl(IDC_DOLL_NAME), "Version A");
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    std::vector<std::string> lines = sheetLines(first);
    lines.at(dollNameLine - 1) = "Another program's";
    writeBytes(sheet, joinSheetLines(lines));
    writeText(s.formControl(IDC_DOLL_NAME), "Version B");
    postCommand(s.mainWindow, IDM_SAVE);
    clickButton(
        waitForProcessWindow(s.processId(), dialogClass, "ファイルの変更", "the question about the file"),
        IDYES);
    waitUntil(s.processId(), "the sheet saved over the other program's",
              [&] { return sheetLines(readBytes(sheet)).at(dollNameLine - 1) == "Version B"; });
    postCommand(s.mainWindow, IDM_VERSIONS);
    HWND dialog = waitForProcessWindow(s.processId(), dialogClass, "以前の版 - 版のシート.txt",
                                       "the dialog of earlier versions");
    HWND list = GetDlgItem(dialog, IDC_VERSION_LIST);
    check(ListView_GetItemCount(list) == 2,
          "the dialog lists " + std::to_string(ListView_GetItemCount(list)) + " versions instead of 2");
    postKey(list, VK_END);
    waitUntil(s.processId(), "the oldest version to be selected",
              [&] { return ListView_GetNextItem(list, -1, LVNI_SELECTED) == 1; });
    clickButton(dialog, IDOK);
    waitUntilGone(s.processId(), dialog, "the dialog of earlier versions to close");
    settle(s.mainWindow);
    s.checkTitle("*版のシート.txt");
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    checkFileBytes(sheet, first);
}

void reopenSavedSheet(Session& s) {
    const std::string saved = readBytes(s.savedPath);
    s.useFileDialog(IDM_OPEN, "ファイルを開く", s.savedPath);
    s.checkFormText(IDC_DOLL_NAME, sheetLines(saved).at(dollNameLine - 1));
    s.checkFormText(IDC_PLAYER_NAME, typedPlayerName);
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    checkFileBytes(s.savedPath, saved);
}

void checkOpenedFileKept(Session& s) {
    checkFileBytes(s.openedPath, s.exampleSheet);
}

void declineClose(Session& s) {
    check(PostMessageA(s.mainWindow, WM_CLOSE, 0, 0) != 0, "the main window could not be asked to close");
    s.answerCloseQuestion(IDNO);
    settle(s.mainWindow);
    check(s.process->isRunning() && IsWindowVisible(s.mainWindow),
          "the program ended although No was answered");
    s.checkFormText(IDC_DOLL_NAME, typedDollName);
}

void confirmExit(Session& s) {
    postCommand(s.mainWindow, IDM_EXIT);
    s.answerCloseQuestion(IDYES);
    const DWORD exitCode = s.process->waitForExit();
    check(exitCode == 0, "the program ended with exit code " + std::to_string(exitCode));
}

// The program started once more in the same folder.
void restartProgram(Session& s) {
    s.process = std::make_unique<ProgramProcess>(s.program, s.folder.file(""));
    findMainWindow(s);
}

std::vector<std::filesystem::path> filesIn(const ScratchFolder& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.file("")))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// A name typed into a new sheet: closing asks about it, Cancel keeps the
// program, No ends it without writing anything.
void askAboutANewSheetsEditsOnClose(Session& s) {
    restartProgram(s);
    const std::vector<std::filesystem::path> before = filesIn(s.folder);
    writeText(s.formControl(IDC_DOLL_NAME), typedDollName);
    s.checkTitle("*無題");
    check(PostMessageA(s.mainWindow, WM_CLOSE, 0, 0) != 0, "the main window could not be asked to close");
    s.answerSaveQuestion("無題", IDCANCEL);
    settle(s.mainWindow);
    check(s.process->isRunning(), "the program ended although Cancel was answered");
    s.checkTitle("*無題");
    s.checkFormText(IDC_DOLL_NAME, typedDollName);
    check(PostMessageA(s.mainWindow, WM_CLOSE, 0, 0) != 0, "the main window could not be asked to close");
    s.answerSaveQuestion("無題", IDNO);
    const DWORD exitCode = s.process->waitForExit();
    check(exitCode == 0, "the program ended with exit code " + std::to_string(exitCode));
    check(filesIn(s.folder) == before, "the program wrote a file although No was answered");
}

// The question comes before the open dialog, and Yes saves the edit.
void askBeforeOpeningOverEdits(Session& s) {
    restartProgram(s);
    s.useFileDialog(IDM_OPEN, "ファイルを開く", s.savedPath);
    s.checkTitle("保存したシート.txt");
    std::vector<std::string> lines = sheetLines(readBytes(s.savedPath));
    lines.at(playerNameLine - 1) = "Nana";
    writeText(s.formControl(IDC_PLAYER_NAME), "Nana");
    s.checkTitle("*保存したシート.txt");
    postCommand(s.mainWindow, IDM_OPEN);
    waitForProcessWindow(s.processId(), dialogClass, saveQuestionCaption,
                         "the question before the open dialog");
    check(findProcessWindow(s.processId(), dialogClass, "ファイルを開く") == nullptr,
          "the open dialog came before the question about unsaved edits");
    s.answerSaveQuestion("保存したシート.txt", IDYES);
    HWND dialog = waitForProcessWindow(s.processId(), dialogClass, "ファイルを開く", "the open dialog");
    checkFileBytes(s.savedPath, joinSheetLines(lines));
    clickButton(dialog, IDCANCEL);
    waitUntilGone(s.processId(), dialog, "the open dialog to close");
    settle(s.mainWindow);
    s.checkTitle("保存したシート.txt");
}

// As Explorer starts it for a sheet: from the sheet's folder, which holds
// no Database; the program's own folder does.
void openASheetNamedOnTheCommandLine(Session& s) {
    const std::string programFolder = s.folder.file("Velmora Program");
    std::filesystem::create_directory(programFolder);
    std::filesystem::copy_file(s.program, programFolder + "\\velmora.exe");
    std::filesystem::copy(s.database, programFolder + "\\Database", std::filesystem::copy_options::recursive);
    s.installedProgram = programFolder + "\\velmora.exe";
    std::filesystem::create_directory(s.folder.file("my sheets"));
    writeBytes(s.explorerSheet, s.exampleSheet);
    s.process = std::make_unique<ProgramProcess>(s.installedProgram, s.folder.file("my sheets"),
                                                 "\"" + s.explorerSheet + "\"");
    findWindows(s);
    waitUntil(s.processId(), "the title to name the sheet", [&] {
        return readText(s.mainWindow) == std::string(explorerSheetName) + " - " + mainWindowTitle;
    });
    s.checkFormText(IDC_DOLL_NAME, sheetLines(s.exampleSheet).at(dollNameLine - 1));
    checkReferenceChoices(s);
    std::vector<std::string> lines = sheetLines(s.exampleSheet);
    lines.at(playerNameLine - 1) = "Nana";
    writeText(s.formControl(IDC_PLAYER_NAME), "Nana");
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    checkFileBytes(s.explorerSheet, joinSheetLines(lines));
    const std::string recent = readBytes(s.folder.file("AppData\\Velmora\\recent.txt"));
    const std::string first = bytesOfWide(wideOfCodePage932(s.explorerSheet), CP_UTF8) + "\r\n";
    check(recent.starts_with(first), "the recent list begins \"" + recent.substr(0, 120) + "\"");
}

// Alt+F, then 1: the sheet last saved is the first of the recent list.
void openTheRecentSheet(Session& s) {
    s.process = std::make_unique<ProgramProcess>(s.installedProgram, s.folder.file("my sheets"));
    findMainWindow(s);
    check(PostMessageA(s.mainWindow, WM_SYSCOMMAND, SC_KEYMENU, 'f') != 0, "Alt+F could not be pressed");
    waitForProcessWindow(s.processId(), "#32768", nullptr, "the File menu to open");
    postText(s.mainWindow, "1");
    waitUntil(s.processId(), "the recent sheet to open", [&] {
        return readText(s.mainWindow) == std::string(explorerSheetName) + " - " + mainWindowTitle;
    });
    s.checkFormText(IDC_PLAYER_NAME, "Nana");
}

// A part list's line in the sheet file: unticked parts with names alone.
std::string partsLine(const std::vector<std::string>& names) {
    std::string line;
    for (const std::string& name : names)
        line += (line.empty() ? "0," : ":0,") + name + ",,,,";
    return line;
}

// Keys and commands posted to the program are carried out in their order,
// after any sent message: what they did is waited for.
void waitForList(const Session& s, HWND list, int rows, std::optional<int> selected,
                 const std::string& what) {
    waitUntil(s.processId(), what, [&] {
        return static_cast<int>(sendAndWait(list, LVM_GETITEMCOUNT, 0, 0, "the list")) == rows &&
               (!selected || static_cast<int>(sendAndWait(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                          LVNI_SELECTED, "the list")) == *selected);
    });
}

// Eight head parts fill their list's view: Ins adds a ninth after the
// selected row, Alt+Up (its command) moves it up, Del removes the first, and
// a part goes to the arms through the clipboard.
void orderPartsWithTheListCommands(Session& s) {
    std::vector<std::string> lines = sheetLines(s.exampleSheet);
    lines.at(headPartsLine - 1) = partsLine({"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8"});
    const std::string path = s.folder.file("eight parts.txt");
    writeBytes(path, joinSheetLines(lines));
    s.useFileDialog(IDM_OPEN, "ファイルを開く", path);
    HWND head = s.formControl(IDC_HEAD_LIST);
    postClick(head);
    for (WPARAM key : {VK_HOME, VK_DOWN, VK_DOWN, VK_INSERT})
        postKey(head, key);
    HWND dialog = waitForProcessWindow(s.processId(), dialogClass, "パーツ", "the part dialog");
    writeText(GetDlgItem(dialog, IDC_PART_NAME), "p9");
    clickButton(dialog, IDOK);
    waitUntilGone(s.processId(), dialog, "the part dialog to close");
    waitForList(s, head, 9, 3, "the new part to be selected after the third");
    postCommand(s.mainWindow, IDM_MOVE_UP);
    waitForList(s, head, 9, 2, "the new part to move up");
    postKey(head, VK_HOME);
    postKey(head, VK_DELETE);
    waitForList(s, head, 8, 0, "the first part to go");
    postCommand(s.mainWindow, IDM_EDIT_COPY);
    HWND arms = s.formControl(IDC_ARM_LIST);
    postClick(arms);
    postCommand(s.mainWindow, IDM_EDIT_PASTE);
    waitForList(s, arms, 1, 0, "the part to be pasted into the arms");
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    lines.at(headPartsLine - 1) = partsLine({"p2", "p9", "p3", "p4", "p5", "p6", "p7", "p8"});
    lines.at(headPartsLine) = partsLine({"p2"});
    checkFileBytes(path, joinSheetLines(lines));
}

// A name typed, a madness box ticked and a head part deleted through its
// dialog: three undos put the sheet back as it was saved, two redos bring
// the name and the tick again, and the part stays back. After a further
// edit undone, closing asks only whether to end.
void undoAndRedoEdits(Session& s) {
    const std::string path = s.folder.file("eight parts.txt");
    std::vector<std::string> lines = sheetLines(readBytes(path));
    writeText(s.formControl(IDC_DOLL_NAME), typedDollName);
    sendAndWait(s.formControl(IDC_MADNESS_1_FIRST + 1), BM_CLICK, 0, 0, "the madness box");
    HWND head = s.formControl(IDC_HEAD_LIST);
    postClick(head);
    // Home selects the first row only when another has the item focus.
    postKey(head, VK_END);
    postKey(head, VK_HOME);
    waitForList(s, head, 8, 0, "the first part to be selected");
    postKey(head, VK_RETURN);
    HWND dialog = waitForProcessWindow(s.processId(), dialogClass, "パーツ", "the part dialog");
    check(readText(GetDlgItem(dialog, IDC_PART_NAME)) == "p2",
          "the part dialog shows \"" + forLog(readText(GetDlgItem(dialog, IDC_PART_NAME))) +
              "\", not the first part");
    writeText(GetDlgItem(dialog, IDC_PART_NAME), "");
    clickButton(dialog, IDOK);
    waitUntilGone(s.processId(), dialog, "the part dialog to close");
    waitForList(s, head, 7, std::nullopt, "the part to go");
    for (int undo = 0; undo < 3; ++undo)
        postCommand(s.mainWindow, IDM_UNDO);
    waitUntil(s.processId(), "the three undos", [&] { return readText(s.mainWindow)[0] != '*'; });
    s.checkFormText(IDC_DOLL_NAME, lines.at(dollNameLine - 1));
    for (int redo = 0; redo < 2; ++redo)
        postCommand(s.mainWindow, IDM_REDO);
    waitUntil(s.processId(), "the two redos", [&] {
        return sendAndWait(s.formControl(IDC_MADNESS_1_FIRST + 1), BM_GETCHECK, 0, 0, "the box") != 0;
    });
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    lines.at(dollNameLine - 1) = typedDollName;
    std::string& regrets = lines.at(regretLine - 1);
    regrets.replace(regrets.find(":,,0,:"), 6, ":,,1,:");
    checkFileBytes(path, joinSheetLines(lines));
    writeText(s.formControl(IDC_PLAYER_NAME), "Nana");
    postCommand(s.mainWindow, IDM_UNDO);
    waitUntil(s.processId(), "the undo to the saved sheet", [&] { return readText(s.mainWindow)[0] != '*'; });
}

constexpr const char* recoveryCaption = "変更の復元";

// An opened sheet edited, and the program ended by force 6 seconds later, as
// by a power cut: started again, it offers the edit back, Yes shows it
// unsaved, and Ctrl+S writes it to the sheet's own file. Started once more,
// it offers nothing.
void recoverEditsAfterACrash(Session& s) {
    restartProgram(s);
    s.useFileDialog(IDM_OPEN, "ファイルを開く", s.savedPath);
    std::vector<std::string> lines = sheetLines(readBytes(s.savedPath));
    lines.at(playerNameLine - 1) = "Rin";
    writeText(s.formControl(IDC_PLAYER_NAME), "Rin");
    s.checkTitle("*保存したシート.txt");
    Sleep(6000);
    s.process.reset();
    s.process = std::make_unique<ProgramProcess>(s.program, s.folder.file(""));
    HWND box = waitForProcessWindow(s.processId(), dialogClass, recoveryCaption, "the recovery question");
    const std::string asked = "保存したシート.txt の保存されていない変更が残っています（";
    const std::string answers =
        "）。復元しますか？\n\nはい: 復元します　いいえ: 破棄します　キャンセル: 次の起動まで残します";
    const std::string question = readText(GetDlgItem(box, 0xFFFF));
    check(question.starts_with(asked) && question.ends_with(answers),
          "the recovery question asks \"" + forLog(question) + "\"");
    clickButton(box, IDYES);
    waitUntilGone(s.processId(), box, "the recovery question to close");
    findWindows(s);
    s.checkTitle("*保存したシート.txt");
    s.checkFormText(IDC_PLAYER_NAME, "Rin");
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    checkFileBytes(s.savedPath, joinSheetLines(lines));
    confirmExit(s);
    s.process = std::make_unique<ProgramProcess>(s.program, s.folder.file(""));
    s.process->waitUntilIdle();
    findMainWindow(s);
    check(findProcessWindow(s.processId(), dialogClass, recoveryCaption) == nullptr,
          "a saved sheet's edits are offered again");
}

// The colour the screen shows at a point of the window's client area.
COLORREF screenColourAt(HWND window, POINT at) {
    ClientToScreen(window, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// A sheet passed on by another player names its portrait on that player's
// machine; the picture lies beside the sheet, and shows. The sheet keeps its
// portrait line.
void showASharedSheetsPortrait(Session& s) {
    std::filesystem::create_directory(s.folder.file("shared"));
    writeBytes(s.folder.file("shared\\doll.jpg"), readBytes(fixturePath("portrait-red-over-blue.jpg")));
    std::vector<std::string> lines = sheetLines(s.exampleSheet);
    lines.at(portraitLine - 1) = "\\\\otherpc\\pictures\\doll.jpg";
    const std::string& path = s.sharedSheet;
    writeBytes(path, joinSheetLines(lines));
    s.useFileDialog(IDM_OPEN, "ファイルを開く", path);
    settle(s.mainWindow);
    check(findProcessWindow(s.processId(), dialogClass, "画像の読み込み") == nullptr,
          "the portrait beside the sheet was not found");
    RECT frame;
    GetWindowRect(s.formControl(IDC_PORTRAIT_FRAME), &frame);
    MapWindowPoints(nullptr, s.form, reinterpret_cast<POINT*>(&frame), 2);
    const POINT top = {(frame.left + frame.right) / 2, frame.top + 10};
    waitUntil(s.processId(), "the portrait's red at the frame's top", [&] {
        const COLORREF colour = screenColourAt(s.form, top);
        return GetRValue(colour) > 160 && GetBValue(colour) < 100;
    });
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    checkFileBytes(path, joinSheetLines(lines));
}

POINT rowPoint(const Session& s, HWND list, int row, int percent) {
    const RECT bounds = listRowOnScreen(s.processId(), list, row);
    return {bounds.left + 40, bounds.top + (bounds.bottom - bounds.top) * percent / 100};
}

// The list's menu, opened with real input, waited for and closed by `key`.
void chooseFromListMenu(const Session& s, WORD key) {
    HWND menu = waitForProcessWindow(s.processId(), "#32768", nullptr, "the list's menu");
    pressKeys({key});
    waitUntil(s.processId(), "the list's menu to close", [&] { return !IsWindowVisible(menu); });
}

// A press on a row, moves of the mouse held down, and a release on the
// target's place.
void dragRow(const Session& s, HWND list, int row, POINT to) {
    const POINT from = rowPoint(s, list, row, 50);
    // A press soon after another at the same place is a double click.
    Sleep(GetDoubleClickTime());
    moveMouseTo(from);
    mouseButton(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 5; ++step)
        moveMouseTo({from.x + (to.x - from.x) * step / 5, from.y + 8 + (to.y - from.y - 8) * step / 5});
    mouseButton(MOUSEEVENTF_LEFTUP);
}

// Four head parts and an arm part, by the mouse: a right-click on the
// second head part and its menu's "削除" (L) remove it, Shift+F10 opens the
// menu again (Esc closes it), the first part is dragged below the third,
// the new first dragged onto the arms' first, and one Ctrl+Z takes that last
// drag back whole.
void useTheListsByMouse(Session& s) {
    std::vector<std::string> lines = sheetLines(s.exampleSheet);
    lines.at(headPartsLine - 1) = partsLine({"p1", "p2", "p3", "p4"});
    lines.at(headPartsLine) = partsLine({"a1"});
    const std::string path = s.folder.file("by mouse.txt");
    writeBytes(path, joinSheetLines(lines));
    s.useFileDialog(IDM_OPEN, "ファイルを開く", path);
    SetForegroundWindow(s.mainWindow);
    HWND head = s.formControl(IDC_HEAD_LIST), arms = s.formControl(IDC_ARM_LIST);
    moveMouseTo(rowPoint(s, head, 1, 50));
    mouseButton(MOUSEEVENTF_RIGHTDOWN);
    mouseButton(MOUSEEVENTF_RIGHTUP);
    chooseFromListMenu(s, 'L');
    waitForList(s, head, 3, 1, "the right-clicked part to go");
    pressKeys({VK_SHIFT, VK_F10});
    chooseFromListMenu(s, VK_ESCAPE);
    dragRow(s, head, 0, rowPoint(s, head, 2, 80));
    waitForList(s, head, 3, 2, "the first part to land below the third");
    dragRow(s, head, 0, rowPoint(s, arms, 0, 20));
    waitForList(s, arms, 2, 0, "the part to land before the arm part");
    waitForList(s, head, 2, std::nullopt, "the part to leave the head");
    pressKeys({VK_CONTROL, 'Z'});
    waitForList(s, head, 3, std::nullopt, "the part to come back to the head");
    waitForList(s, arms, 1, std::nullopt, "the part to leave the arms");
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    lines.at(headPartsLine - 1) = partsLine({"p3", "p4", "p1"});
    checkFileBytes(path, joinSheetLines(lines));
}

constexpr const char* fileChangeCaption = "ファイルの変更";

void minimise(Session& s) {
    check(PostMessageA(s.mainWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0) != 0,
          "the main window could not be minimised");
    waitUntil(s.processId(), "the main window to be minimised",
              [&] { return IsIconic(s.mainWindow) != FALSE; });
}

// From the taskbar, the minimised window is started again for its sheet, as
// Explorer does on a double click: the second start shows no window and
// ends, and the first comes forward.
void bringTheWindowOfAnOpenSheetForward(Session& s) {
    minimise(s);
    ProgramProcess second(s.program, s.folder.file(""), "\"" + s.sharedSheet + "\"");
    while (second.isRunning())
        check(findProcessWindow(second.id(), "toolbase", nullptr) == nullptr,
              "the second start showed a window");
    const DWORD exitCode = second.waitForExit();
    check(exitCode == 0, "the second start ended with exit code " + std::to_string(exitCode));
    waitUntil(s.processId(), "the first window to come forward",
              [&] { return !IsIconic(s.mainWindow) && GetForegroundWindow() == s.mainWindow; });
    const std::string told = "このシートはこのウィンドウで開いています";
    check(readText(s.statusBar).ends_with(told),
          "the status bar shows \"" + forLog(readText(s.statusBar)) + "\"");
}

// The sheet's file as another program leaves it: the same sheet with
// another doll's name.
std::string rewrittenSheet(const Session& s, const std::string& dollName) {
    std::vector<std::string> lines = sheetLines(readBytes(s.sharedSheet));
    lines.at(dollNameLine - 1) = dollName;
    return joinSheetLines(lines);
}

void askBeforeWritingOverAChangedFile(Session& s) {
    const std::string programs = readBytes(s.sharedSheet);
    const std::string others = rewrittenSheet(s, "ミカ");
    writeBytes(s.sharedSheet, others);
    const std::string question =
        "from a friend.txt は、開いた後でほかのプログラムによって変更されています。上書きしますか？";
    for (int answer : {IDCANCEL, IDYES}) {
        postCommand(s.mainWindow, IDM_SAVE);
        s.answerQuestion(fileChangeCaption, question, {IDYES, IDNO, IDCANCEL}, answer);
        settle(s.mainWindow);
        checkFileBytes(s.sharedSheet, answer == IDCANCEL ? others : programs);
    }
}

void offerToReadAChangedFileAgain(Session& s) {
    minimise(s);
    writeBytes(s.sharedSheet, rewrittenSheet(s, "ノワール"));
    check(PostMessageA(s.mainWindow, WM_SYSCOMMAND, SC_RESTORE, 0) != 0,
          "the main window could not be restored");
    s.answerQuestion(fileChangeCaption,
                     "from a friend.txt は、ほかのプログラムによって変更されました。読み込み直しますか？",
                     {IDYES, IDNO}, IDYES);
    waitUntil(s.processId(), "the sheet to be read again",
              [&] { return readText(s.formControl(IDC_DOLL_NAME)) == "ノワール"; });
    s.checkTitle("from a friend.txt");
}

// Ctrl held with `key`, as the keyboard sends them to the window in front.
void pressWithControl(WORD key) {
    INPUT inputs[4] = {};
    const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    check(SendInput(4, inputs, sizeof(INPUT)) == 4, "the keys could not be sent");
}

// From the arms of the example sheet: Ctrl+K opens the part catalogue on
// the arms, a search narrows it to one part, and Enter adds that part; Ins
// opens the part dialog, where a catalogue name fills the other boxes.
void addPartsFromTheCatalogue(Session& s) {
    std::vector<std::string> lines = sheetLines(s.exampleSheet);
    const std::string path = s.folder.file("カタログから.txt");
    writeBytes(path, s.exampleSheet);
    s.useFileDialog(IDM_OPEN, "ファイルを開く", path);
    // The keyboard's keys go to the window in front, and within it to the
    // list clicked.
    SetForegroundWindow(s.mainWindow);
    HWND arms = s.formControl(IDC_ARM_LIST);
    postClick(arms);
    waitUntil(s.processId(), "the arms to have the focus", [&] { return focusInThreadOf(arms) == arms; });
    pressWithControl('K');
    HWND dialog = waitForProcessWindow(s.processId(), dialogClass, "カタログ", "the catalogue dialog");
    // The dialog is found as soon as it exists, perhaps before it is set up.
    HWND group = GetDlgItem(dialog, IDC_CATALOGUE_GROUP);
    waitUntil(s.processId(), "the catalogue to open on the arms", [&] { return readText(group) == "腕"; });
    HWND search = GetDlgItem(dialog, IDC_CATALOGUE_SEARCH);
    writeText(search, "アクション");
    askForScreenshot(s, "catalogue");
    writeText(search, "アクション　カタ");
    const std::string summary = readText(GetDlgItem(dialog, IDC_CATALOGUE_SUMMARY));
    check(summary.starts_with("1 件: ") && summary.ends_with("\\Database\\パーツ.txt"),
          "the catalogue dialog says \"" + forLog(summary) + "\"");
    postKey(search, VK_RETURN);
    waitUntilGone(s.processId(), dialog, "the catalogue dialog to close");
    waitForList(s, arms, 1, 0, "the part from the catalogue to be added");
    postKey(arms, VK_INSERT);
    dialog = waitForProcessWindow(s.processId(), dialogClass, "パーツ", "the part dialog");
    writeText(GetDlgItem(dialog, IDC_PART_NAME), "こぶし");
    const std::string effect = readText(GetDlgItem(dialog, IDC_PART_EFFECT));
    check(effect == "肉弾攻撃1", "the part dialog's effect shows \"" + forLog(effect) + "\"");
    clickButton(dialog, IDOK);
    waitUntilGone(s.processId(), dialog, "the part dialog to close");
    waitForList(s, arms, 2, 1, "the part from its dialog to be added");
    sendAcceleratorCommand(s.mainWindow, IDM_SAVE);
    lines.at(headPartsLine) = "0,かた,アクション,4,自身,移動1:0,こぶし,アクション,2,0,肉弾攻撃1";
    checkFileBytes(path, joinSheetLines(lines));
}

// ---- Registering in the catalogue ----

// Two head parts, one that the catalogue has and one that it has not, go
// under [頭] by Ctrl+Shift+K: the first is replaced where it stands, the
// other follows the heading's last part, and no other byte changes; the
// catalogue dialog then finds the new one. The sheet has nothing to save.
void registerHeadPartsInTheCatalogue(Session& s) {
    std::vector<std::string> lines = sheetLines(s.exampleSheet);
    lines.at(headPartsLine - 1) = "0,つの,オート,なし,なし,威圧1:0,のうみそ,オート,なし,なし,最大行動値+3";
    const std::string path = s.folder.file("登録する.txt");
    writeBytes(path, joinSheetLines(lines));
    s.useFileDialog(IDM_OPEN, "ファイルを開く", path);
    SetForegroundWindow(s.mainWindow);
    HWND head = s.formControl(IDC_HEAD_LIST);
    postClick(head);
    waitUntil(s.processId(), "the head parts to have the focus",
              [&] { return focusInThreadOf(head) == head; });
    postKey(head, VK_END);
    // Shift with the arrow keys' own Down: the keypad's Down, which one
    // without the extended flag may be, gives up Shift where Num Lock is on.
    // The four events go in at once, and again should a busy desktop have
    // given them to another window before the program came to the front.
    INPUT shiftDown[4] = {};
    const WORD keys[4] = {VK_SHIFT, VK_DOWN, VK_DOWN, VK_SHIFT};
    for (int i = 0; i < 4; ++i) {
        shiftDown[i].type = INPUT_KEYBOARD;
        shiftDown[i].ki.wVk = keys[i];
        shiftDown[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(keys[i], MAPVK_VK_TO_VSC));
        shiftDown[i].ki.dwFlags =
            (keys[i] == VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0) | (i >= 2 ? KEYEVENTF_KEYUP : 0);
    }
    const auto bothSelected = [&] {
        return sendAndWait(head, LVM_GETSELECTEDCOUNT, 0, 0, "the head parts") == 2;
    };
    for (int attempt = 0; attempt < 5 && !bothSelected(); ++attempt) {
        SetForegroundWindow(s.mainWindow);
        postKey(head, VK_HOME);
        waitForList(s, head, 2, 0, "the first head part to be selected");
        check(SendInput(4, shiftDown, sizeof(INPUT)) == 4, "Shift+Down could not be pressed");
        for (DWORD start = GetTickCount(); GetTickCount() - start < 3000 && !bothSelected();)
            Sleep(50);
    }
    waitUntil(s.processId(), "both head parts to be selected", bothSelected);
    pressKeys({VK_CONTROL, VK_SHIFT, 'K'});
    HWND dialog = waitForProcessWindow(s.processId(), dialogClass, "カタログに登録", "the register dialog");
    HWND summary = GetDlgItem(dialog, IDC_REGISTER_SUMMARY);
    waitUntil(s.processId(), "the register dialog to say what it will do", [&] {
        return readText(GetDlgItem(dialog, IDC_REGISTER_HEADING)) == "頭" &&
               readText(summary).ends_with(
                   "\\Database\\パーツ.txt の [頭] に登録します（うち 1 件は置き換え）");
    });
    check(readText(summary).starts_with("2 件を "),
          "the register dialog says \"" + forLog(readText(summary)) + "\"");
    clickButton(dialog, IDOK);
    waitUntilGone(s.processId(), dialog, "the register dialog to close");
    std::string catalogue = readBytes(s.database + "\\パーツ.txt");
    const std::string brain = "【のうみそ】オート/なし/なし：最大行動値+2\r\n",
                      jaw = "【あご】アクション/2/0：肉弾攻撃1\r\n";
    catalogue.replace(catalogue.find(brain), brain.size(), "のうみそ\tオート\tなし\tなし\t最大行動値+3\r\n");
    catalogue.insert(catalogue.find(jaw) + jaw.size(), "つの\tオート\tなし\tなし\t威圧1\r\n");
    checkFileBytes(s.folder.file("Database\\パーツ.txt"), catalogue);
    s.checkTitle("登録する.txt");
    pressWithControl('K');
    dialog = waitForProcessWindow(s.processId(), dialogClass, "カタログ", "the catalogue dialog");
    writeText(GetDlgItem(dialog, IDC_CATALOGUE_SEARCH), "つの 威圧");
    const std::string found = readText(GetDlgItem(dialog, IDC_CATALOGUE_SUMMARY));
    check(found.starts_with("1 件: "), "the catalogue dialog says \"" + forLog(found) + "\"");
    clickButton(dialog, IDCANCEL);
    waitUntilGone(s.processId(), dialog, "the catalogue dialog to close");
}

// A portrait for a made doll: a 60 x 80 bitmap shading from `top` to
// `bottom` (red, green, blue each) with a pale face in its middle.
std::string shadedPortrait(const int (&top)[3], const int (&bottom)[3]) {
    constexpr int width = 60, height = 80, stride = width * 3;
    std::string bytes(54 + stride * height, '\0');
    const auto put32 = [&bytes](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    put32(26, 1 | (24 << 16));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 2, dy = y - height * 3 / 5;
            const bool face = dx * dx + dy * dy * 2 < 15 * 15 * 2;
            for (int c = 0; c < 3; ++c) {
                const int shade = bottom[c] + (top[c] - bottom[c]) * y / height;
                bytes[54 + y * stride + x * 3 + (2 - c)] = static_cast<char>(face ? 240 - c * 8 : shade);
            }
        }
    }
    return bytes;
}

// Ctrl+L lists the folder of the window's sheet, portraits and all; a
// player's name typed into the search narrows it; Enter opens the doll
// found in the window; a sheet another player's sync brings in shows up.
void useTheDollList(Session& s) {
    const std::string folder = s.folder.file("ドール");
    for (const std::string& made : {folder, folder + "\\キャンペーンB"})
        CreateDirectoryW(wideOfCodePage932(made).c_str(), nullptr);
    const struct {
        const char* file;
        const char* name;
        const char* player;
        int top[3], bottom[3];
    } dolls[] = {
        {"リリィ.txt", "リリィ", "Ken", {250, 200, 220}, {150, 60, 110}},
        {"キャンペーンB\\ソフィア.txt", "ソフィア", "Mio", {200, 220, 250}, {40, 60, 140}},
        {"キャンペーンB\\アリス.txt", "アリス", "Aya", {230, 240, 200}, {60, 110, 50}},
        {"ノワール.txt", "ノワール", "Rei", {200, 200, 200}, {30, 30, 40}},
    };
    const auto writeDoll = [&](const auto& doll) {
        const std::string path = folder + "\\" + doll.file;
        writeBytes(path.substr(0, path.size() - 4) + ".bmp", shadedPortrait(doll.top, doll.bottom));
        // Each file is named as its doll.
        std::vector<std::string> lines = sheetLines(s.exampleSheet);
        lines.at(portraitLine - 1) = std::string(doll.name) + ".bmp";
        lines.at(dollNameLine - 1) = doll.name;
        lines.at(playerNameLine - 1) = doll.player;
        writeBytes(path, joinSheetLines(lines));
        return path;
    };
    const std::string opened = writeDoll(dolls[0]);
    for (std::size_t i = 1; i < 3; ++i)
        writeDoll(dolls[i]);
    s.useFileDialog(IDM_OPEN, "ファイルを開く", opened);
    SetForegroundWindow(s.mainWindow);
    pressWithControl('L');
    const std::string caption = "ドール一覧 - " + folder;
    HWND list = waitForProcessWindow(s.processId(), dialogClass, caption.c_str(), "the doll list");
    HWND rows = GetDlgItem(list, IDC_DOLL_ROWS), summary = GetDlgItem(list, IDC_DOLL_SUMMARY);
    const auto waitForRows = [&](int count, const std::string& what) {
        waitUntil(s.processId(), what, [&] {
            return static_cast<int>(sendAndWait(rows, LVM_GETITEMCOUNT, 0, 0, "counting the dolls")) == count;
        });
    };
    waitForRows(3, "the folder's three dolls");
    SetForegroundWindow(list);
    HWND search = GetDlgItem(list, IDC_DOLL_SEARCH);
    waitUntil(s.processId(), "the search box to have the focus",
              [&] { return focusInThreadOf(list) == search; });
    pressKeys({'M'});
    pressKeys({'I'});
    pressKeys({'O'});
    waitForRows(1, "the search to narrow the list to Mio's doll");
    const std::string found = readText(summary);
    check(found == "3 体中 1 体 ･ " + folder, "the doll list says \"" + forLog(found) + "\"");
    pressKeys({VK_RETURN});
    waitUntil(s.processId(), "the doll found to open in the window", [&] {
        if (HWND failed = findProcessWindow(s.processId(), dialogClass, "画像の読み込み"))
            check(false, "the doll's portrait did not load: " + forLog(readText(GetDlgItem(failed, 0xFFFF))));
        return readText(s.mainWindow) == "ソフィア.txt - " + std::string(mainWindowTitle);
    });
    writeText(search, "");
    writeDoll(dolls[3]);
    waitForRows(4, "the sheet written into the folder to show up");
    check(readText(summary) == "4 体 ･ " + folder,
          "the doll list says \"" + forLog(readText(summary)) + "\"");
    // The thumbnails come in as they are made.
    Sleep(1000);
    SetForegroundWindow(list);
    askForScreenshot(s, "dolls");
}

struct Step {
    const char* behaviour;
    void (*run)(Session&);
};

// Each step builds on the ones before it, so the first failure ends the run.
constexpr Step steps[] = {
    {"starts in a folder holding a copy of Database", startProgram},
    {"shows the main window with its title, sheet form and status bar", findMainWindow},
    {"offers the positions and classes of the Database copy", checkReferenceChoices},
    {"holds still for the screenshot of the started program", waitForScreenshot},
    {"adds a skill through the skill dialog, opened by a double click on the list", addSkillThroughTheDialog},
    {"ticks the first head part by a click on its name box", tickFirstHeadPart},
    {"draws the lists' columns and check boxes for the screen's dots an inch", checkListsScaledToScreen},
    {"picks a main class from the Database copy's list", pickMainClass},
    {"saves the new sheet with the skill and the ticked part", saveTheNewSheet},
    {"opens the example sheet through the open dialog", openExampleSheet},
    {"saves it unchanged under a new name through the save dialog", saveUnderNewName},
    {"moves from the doll name to the player name with Tab and types a name there",
     tabToThePlayerNameAndType},
    {"saves the typed names and favour points to the same file without asking", saveTypedValues},
    {"copies the doll as an online table's piece through the File menu", copyPieceThroughTheMenu},
    {"keeps the sheet and where it saves when the file chosen to open is held by another program",
     keepSheetWhenAnOpenFails},
    {"leaves the opened file as it was", checkOpenedFileKept},
    {"shows a portrait chosen by a double click on its frame, and saves its path",
     choosePortraitByDoubleClick},
    {"saves the doll and its portrait as a piece for Udonarium through the File menu", saveUdonariumPiece},
    {"keeps what three saves replaced, one over another program's file, and saves the oldest back byte for "
     "byte",
     openTheOldestVersion},
    {"opens the sheet saved under a Japanese name again, and saves it unchanged", reopenSavedSheet},
    {"keeps running with the sheet untouched when the close question is answered No", declineClose},
    {"ends with exit code 0 when exit is confirmed with Yes", confirmExit},
    {"asks about a name typed into a new sheet on closing; Cancel keeps it, No ends without saving",
     askAboutANewSheetsEditsOnClose},
    {"asks about an opened sheet's edit before the open dialog, and Yes saves it", askBeforeOpeningOverEdits},
    {"ends again when exit is confirmed with Yes", confirmExit},
    {"opens a sheet named on its command line from a folder without Database, with the lists from its own "
     "folder, and saves it back",
     openASheetNamedOnTheCommandLine},
    {"ends once more when exit is confirmed with Yes", confirmExit},
    {"offers that sheet first among the recent sheets, and opens it from there", openTheRecentSheet},
    {"adds, moves, deletes, copies and pastes parts in lists that fill their view, and saves them",
     orderPartsWithTheListCommands},
    {"undoes a typed name, a madness tick and a part deleted through its dialog, redoes two, and saves",
     undoAndRedoEdits},
    {"ends for the last time when exit is confirmed with Yes", confirmExit},
    {"offers an opened sheet's edits back after being ended by force, shows them unsaved and saves them to "
     "the sheet's file; offers nothing after that",
     recoverEditsAfterACrash},
    {"shows the portrait of a sheet from another player's machine, found beside the sheet, and keeps its "
     "line",
     showASharedSheetsPortrait},
    {"ends without a window when started again for that sheet, and brings the window holding it forward",
     bringTheWindowOfAnOpenSheetForward},
    {"asks before Ctrl+S writes over the sheet rewritten by another program: Cancel keeps its bytes, Yes "
     "writes the window's",
     askBeforeWritingOverAChangedFile},
    {"offers to read the sheet again when it was rewritten while the window was minimised, and Yes shows the "
     "new doll's name",
     offerToReadAChangedFileAgain},
    {"removes a part through the menu of a right-click on it, opens the menu by Shift+F10, drags a part "
     "within the head parts and another to the arms, takes the second drag back by one Ctrl+Z, and saves",
     useTheListsByMouse},
    {"adds a part from the catalogue by Ctrl+K, a search and Enter, and one whose name in the part dialog "
     "fills its other boxes, and saves them",
     addPartsFromTheCatalogue},
    {"registers two selected head parts in the catalogue by Ctrl+Shift+K, under the head's heading with "
     "every other byte "
     "kept, and finds them in the catalogue dialog",
     registerHeadPartsInTheCatalogue},
    {"lists the sheet's folder by Ctrl+L, narrows it to a player typed into its search, opens the doll found "
     "by Enter, and shows a sheet written into the folder",
     useTheDollList},
    {"ends after all when exit is confirmed with Yes", confirmExit},
};

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 4 && argc != 5) {
        std::fprintf(
            stderr,
            "usage: e2e_driver <program.exe> <Database folder> <handshake folder> [<dots an inch>]\n");
        return 2;
    }
    Session session{windowsPath(argv[1]), windowsPath(argv[2]), windowsPath(argv[3])};
    if (argc == 5)
        session.dpi = std::atoi(argv[4]);
    int passed = 0, failed = 0;
    for (const Step& step : steps) {
        try {
            step.run(session);
            ++passed;
            std::printf("ok   %s\n", step.behaviour);
        } catch (const CheckFailed& failure) {
            ++failed;
            std::printf("FAIL %s: %s\n", step.behaviour, failure.what.c_str());
            break;
        } catch (const std::exception& error) {
            ++failed;
            std::printf("FAIL %s: %s\n", step.behaviour, error.what());
            break;
        }
    }
    const int notRun = static_cast<int>(std::size(steps)) - passed - failed;
    std::printf("e2e: %d passed, %d failed%s\n", passed, failed,
                notRun > 0 ? (", " + std::to_string(notRun) + " not run").c_str() : "");
    return failed == 0 ? 0 : 1;
}
