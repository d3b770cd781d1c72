#include "app/MainWindow.h"
#include "app/OtherWindows.h"
#include "app/SheetDocument.h"
#include "app/WaysIn.h"
#include "dolls/DollList.h"
#include "editor/CellList.h"
#include "editor/Clipboard.h"
#include "editor/ControlText.h"
#include "editor/SheetForm.h"
#include "editor/SheetLists.h"
#include "editor/SheetSharing.h"
#include "export/PieceArchive.h"
#include "export/SheetOutputs.h"
#include "refdata/Catalogue.h"
#include "refdata/ChoiceBinding.h"
#include "refdata/ReferenceData.h"
#include "res/resource.h"
#include "sheet/CodePage932.h"
#include "sheet/TextFile.h"
#include "store/RecentSheets.h"
#include "store/RecoveryRecord.h"
#include "store/VersionStore.h"

#include "TestFiles.h"
#include "WindowTesting.h"
#include "ZipEntries.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

namespace {

// The real main window, started in a working folder that holds a Database
// folder, as the program is.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        writeDatabase("ガーディアン\r\nミラージュ\r\n", "ノクターン\r\n");
        startMainWindow();
    }

    static void writeDatabase(const std::string& positions, const std::string& classes) {
        std::filesystem::create_directory("Database");
        writeBytes("Database\\ポジション.txt", positions);
        writeBytes("Database\\クラス.txt", classes);
    }

    void startMainWindow() {
        static const bool registered = registerMainWindowClass(GetModuleHandleA(nullptr));
        ASSERT_TRUE(registered);
        currentSheetPath.clear();
        window = createMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        pumpMessages();
    }

    void TearDown() override {
        if (IsWindow(window))
            DestroyWindow(window);
        // Take the quit message that the destruction posts, so that no
        // later modal loop ends on it.
        pumpMessages();
        positionTable.clear();
        classTable.clear();
    }

    void command(int id) const { SendMessageA(window, WM_COMMAND, id, 0); }

    std::string statusText() const {
        char text[512] = {};
        SendMessageA(GetDlgItem(window, IDC_STATUSBAR), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::string formText(int id) const { return readControlText(GetDlgItem(sheetForm.form, id)); }

    // Opens a copy of the example sheet through the open dialog; answers its path.
    std::string openExampleSheet() {
        const std::string path = folder.file("example.txt");
        writeBytes(path, readBytes(fixturePath("example-sheet.txt")));
        DialogAnswer ok("ファイルを開く", IDOK, path);
        command(IDM_OPEN);
        EXPECT_TRUE(ok.answered());
        return path;
    }

    ScratchFolder folder{true};
    HWND window = nullptr;
};

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(MainWindowTest, HasItsTitleAndFitsTheFormAndStatusBar) {
    EXPECT_EQ(readControlText(window), "Velmoraキャラ管理ツール ver 1.002");
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    RECT client, form, status;
    GetClientRect(window, &client);
    GetClientRect(sheetForm.form, &form);
    GetClientRect(GetDlgItem(window, IDC_STATUSBAR), &status);
    EXPECT_EQ(client.right, form.right);
    EXPECT_EQ(client.bottom, form.bottom + status.bottom);
    EXPECT_GT(form.right, 500);
    EXPECT_EQ(statusText(), "ステータスバー");
}

// Before the window shows; the message names the code page in use.
TEST_F(MainWindowTest, WarnsOnceOfLostJapaneseWhereTheCodePageIsNotJapanese) {
    DestroyWindow(window);
    pumpMessages();
    const std::pair<UINT, bool> cases[] = {{932, false}, {1252, true}, {65001, true}};
    for (const auto& [codePage, warns] : cases) {
        bool windowShown = true;
        std::wstring message;
        DialogAnswer ok(
            "Velmoraキャラ管理ツール", IDOK,
            [&](HWND box) {
                windowShown = IsWindowVisible(FindWindowA("toolbase", nullptr)) != FALSE;
                wchar_t text[1024] = {};
                GetDlgItemTextW(box, 0xFFFF, text, static_cast<int>(std::size(text)));
                message = text;
            },
            warns ? 20 : 2);
        window = createMainWindow(GetModuleHandleA(nullptr), codePage);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(ok.answered(), warns) << codePage;
        if (warns) {
            EXPECT_FALSE(windowShown);
            EXPECT_NE(message.find(L"コードページ " + std::to_wstring(codePage)), std::wstring::npos);
            EXPECT_NE(message.find(L"code page " + std::to_wstring(codePage)), std::wstring::npos);
        }
        EXPECT_EQ(FindWindowA("#32770", "Velmoraキャラ管理ツール"), nullptr);
        DestroyWindow(window);
        pumpMessages();
    }
}

TEST_F(MainWindowTest, FileMenuOffersItsCommands) {
    HMENU file = GetSubMenu(GetMenu(window), 0);
    char text[128];
    GetMenuStringA(GetMenu(window), 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "ファイル(&F)");
    ASSERT_EQ(GetMenuItemCount(file), 15);
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(IDM_NEW));
    const struct {
        int id;
        const char* text;
    } items[] = {{IDM_NEW, "新規作成(&N)\tCtrl+N"},
                 {IDM_OPEN, "開く(&O)\tCtrl+O"},
                 {IDM_SAVE, "上書き保存(&S)\tCtrl+S"},
                 {IDM_SAVE_AS, "名前をつけて保存(&A)\tCtrl+Shift+S"},
                 {IDM_VERSIONS, "以前の版(&V)..."},
                 {IDM_COPY_TEXT, "テキストをコピー(&T)"},
                 {IDM_COPY_PIECE, "ココフォリア駒をコピー(&C)"},
                 {IDM_OPEN_PAGE, "印刷用ページを開く(&P)"},
                 {IDM_DOLL_LIST, "ドール一覧(&L)...\tCtrl+L"},
                 {IDM_SAVE_UDONARIUM, "ユドナリウム用コマを保存(&U)..."},
                 {IDM_EXIT, "終了(&X)\tAlt+Shift+X"}};
    for (const auto& item : items) {
        GetMenuStringA(file, item.id, text, sizeof text, MF_BYCOMMAND);
        EXPECT_STREQ(text, item.text);
    }
}

TEST_F(MainWindowTest, AcceleratorsGiveTheFileAndEditCommands) {
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), "ACCEL");
    const ACCEL expected[] = {{FVIRTKEY | FCONTROL | FNOINVERT, 'S', IDM_SAVE},
                              {FVIRTKEY | FCONTROL | FSHIFT | FNOINVERT, 'S', IDM_SAVE_AS},
                              {FVIRTKEY | FALT | FSHIFT | FNOINVERT, 'X', IDM_EXIT},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'O', IDM_OPEN},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'N', IDM_NEW},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'L', IDM_DOLL_LIST},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'Z', IDM_UNDO},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'Y', IDM_REDO},
                              {FVIRTKEY | FCONTROL | FSHIFT | FNOINVERT, 'Z', IDM_REDO},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'X', IDM_EDIT_CUT},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'C', IDM_EDIT_COPY},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'V', IDM_EDIT_PASTE},
                              {FVIRTKEY | FNOINVERT, VK_DELETE, IDM_EDIT_DELETE},
                              {FVIRTKEY | FNOINVERT, VK_INSERT, IDM_ADD_ENTRY},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'K', IDM_ADD_FROM_CATALOGUE},
                              {FVIRTKEY | FCONTROL | FSHIFT | FNOINVERT, 'K', IDM_REGISTER_IN_CATALOGUE},
                              {FVIRTKEY | FALT | FNOINVERT, VK_UP, IDM_MOVE_UP},
                              {FVIRTKEY | FALT | FNOINVERT, VK_DOWN, IDM_MOVE_DOWN}};
    constexpr int count = static_cast<int>(std::size(expected));
    ACCEL entries[count + 1];
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, count + 1), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(entries[i].fVirt, expected[i].fVirt) << i;
        EXPECT_EQ(entries[i].key, expected[i].key) << i;
        EXPECT_EQ(entries[i].cmd, expected[i].cmd) << i;
    }
}

TEST_F(MainWindowTest, CtrlOInATextBoxOpensTheOpenDialog) {
    HWND box = GetDlgItem(sheetForm.form, IDC_DOLL_NAME);
    SetFocus(box);
    {
        const HeldKey control(VK_CONTROL);
        MSG key = {box, WM_KEYDOWN, 'O', 1, 0, {}};
        DialogAnswer cancel("ファイルを開く", IDCANCEL);
        EXPECT_TRUE(
            TranslateAcceleratorA(window, LoadAcceleratorsA(GetModuleHandleA(nullptr), "ACCEL"), &key));
        EXPECT_TRUE(cancel.answered());
    }
    EXPECT_EQ(currentSheetPath, "");
}

TEST_F(MainWindowTest, FillsTheChoicesFromTheDatabaseFolder) {
    EXPECT_EQ(SendMessageA(sheetForm.positionCombo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(sheetForm.mainClassCombo, CB_GETCOUNT, 0, 0), 1);
}

// The lists as today's Notepad saves them: UTF-8, with or without the
// byte-order mark.
class MainWindowWithUtf8ListsTest : public MainWindowTest {
protected:
    void SetUp() override {
        writeDatabase(utf8Bytes(u8"ガーディアン\r\nミラージュ～\r\n"),
                      std::string(utf8ByteOrderMark) + utf8Bytes(u8"ノクターン\r\nルミナス😀:x\r\n"));
        startMainWindow();
    }

    static std::vector<std::string> items(HWND combo) {
        std::vector<std::string> texts;
        for (LRESULT i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
            std::string text(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)), '\0');
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            texts.push_back(text);
        }
        return texts;
    }
};

TEST_F(MainWindowWithUtf8ListsTest, FillTheChoicesWithCodePage932NamesAndSaveAPick) {
    // FULLWIDTH TILDE is 81 60 in Windows' code page 932; an emoji has no code.
    const std::vector<std::string> positions{"ガーディアン", "ミラージュ\x81\x60"};
    const std::vector<std::string> classes{"ノクターン", "ルミナス\x81\x48"};
    EXPECT_EQ(items(sheetForm.positionCombo), positions);
    EXPECT_EQ(items(sheetForm.mainClassCombo), classes);
    EXPECT_EQ(items(sheetForm.subClassCombo), classes);

    for (HWND combo : {sheetForm.positionCombo, sheetForm.subClassCombo}) {
        SendMessageA(combo, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageA(combo, WM_KEYDOWN, VK_DOWN, 0);
    }
    EXPECT_EQ(characterSheet.getPosition(), positions[1]);
    EXPECT_EQ(characterSheet.getSubClass(), classes[1]);
    const std::string path = folder.file("doll.txt");
    DialogAnswer ok("名前を付けてファイルを保存", IDOK, path);
    command(IDM_SAVE_AS);
    ASSERT_TRUE(ok.answered());
    const std::string saved = readBytes(path);
    EXPECT_NE(saved.find("\r\n" + positions[1] + "\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n" + classes[1] + "\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, CloseAsksFirstAndNoKeepsTheProgram) {
    {
        DialogAnswer no("終了確認", IDNO);
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(no.answered());
    }
    EXPECT_TRUE(IsWindow(window));
    DialogAnswer yes("終了確認", IDYES);
    command(IDM_EXIT);
    EXPECT_TRUE(yes.answered());
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, SaveWithoutAPathAsksForOneAndCancelChangesNothing) {
    DialogAnswer cancel("名前を付けてファイルを保存", IDCANCEL);
    command(IDM_SAVE);
    EXPECT_TRUE(cancel.answered());
    EXPECT_EQ(currentSheetPath, "");
    EXPECT_EQ(statusText(), "ステータスバー");
}

TEST_F(MainWindowTest, SaveAsWritesTheChosenFileAndSaveUsesItAgain) {
    const std::string path = folder.file("doll.txt");
    {
        DialogAnswer ok("名前を付けてファイルを保存", IDOK, path);
        command(IDM_SAVE_AS);
        EXPECT_TRUE(ok.answered());
    }
    EXPECT_EQ(currentSheetPath, path);
    EXPECT_TRUE(fileExists(path));
    EXPECT_TRUE(endsWith(statusText(), " データが保存されました")) << statusText();
    SetWindowTextA(GetDlgItem(sheetForm.form, IDC_DOLL_NAME), "Lily");
    command(IDM_SAVE);
    EXPECT_NE(readBytes(path).find("\r\nLily\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, AFailedSaveIsReportedWithItsPath) {
    currentSheetPath = folder.file("no such folder\\doll.txt");
    command(IDM_SAVE);
    const std::string status = statusText();
    EXPECT_NE(status.find("保存できませんでした"), std::string::npos) << status;
    EXPECT_NE(status.find(currentSheetPath), std::string::npos) << status;
    EXPECT_EQ(status.find("データが保存されました"), std::string::npos) << status;
}

TEST_F(MainWindowTest, OpenReadsTheChosenSheetIntoTheForm) {
    const std::string path = openExampleSheet();
    EXPECT_EQ(currentSheetPath, path);
    EXPECT_EQ(formText(IDC_DOLL_NAME), "リリィ");
    EXPECT_EQ(formText(IDC_MAX_ACTION), "7");
    EXPECT_EQ(statusText(), "ステータスバー");
}

// A file that another program holds open without sharing it.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() { CloseHandle(handle); }
    bool isHeld() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

// "hh:mm:ss 読み込めませんでした: <path>".
void expectOpenFailedMessage(const std::string& status, const std::string& path) {
    const std::string text = " 読み込めませんでした: " + path;
    ASSERT_EQ(status.size(), 8 + text.size()) << status;
    EXPECT_EQ(status.substr(8), text);
    EXPECT_EQ(status[2], ':');
    EXPECT_EQ(status[5], ':');
}

TEST_F(MainWindowTest, AFileThatCannotBeReadLeavesTheOpenSheetAndItsPath) {
    const std::string sheetPath = openExampleSheet();
    const std::string held = folder.file("held.txt");
    writeBytes(held, readBytes(fixturePath("new-sheet.txt")));
    const std::string picture = folder.file("doll.jpg");
    writeBytes(picture, readBytes(fixturePath("portrait-red-over-blue.jpg")));
    const std::string heldBytes = readBytes(held), pictureBytes = readBytes(picture);
    {
        HeldFile holding(held);
        ASSERT_TRUE(holding.isHeld());
        for (const std::string& unreadable : {held, picture}) {
            {
                DialogAnswer ok("ファイルを開く", IDOK, unreadable);
                command(IDM_OPEN);
                ASSERT_TRUE(ok.answered());
            }
            expectOpenFailedMessage(statusText(), unreadable);
            EXPECT_EQ(currentSheetPath, sheetPath);
            EXPECT_EQ(characterSheet.getDollName(), "リリィ");
            EXPECT_EQ(formText(IDC_DOLL_NAME), "リリィ");
        }
        SetWindowTextA(GetDlgItem(sheetForm.form, IDC_DOLL_NAME), "Lily");
        command(IDM_SAVE);
    }
    EXPECT_NE(readBytes(sheetPath).find("\r\nLily\r\n"), std::string::npos);
    EXPECT_EQ(readBytes(held), heldBytes);
    EXPECT_EQ(readBytes(picture), pictureBytes);
}

std::string narrowOfWide(const std::wstring& text, UINT codePage) {
    const int size = static_cast<int>(text.size());
    std::string narrow(static_cast<std::size_t>(size) * 3, '\0');
    narrow.resize(
        WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(), size * 3, nullptr, nullptr));
    return narrow;
}

// The clipboard's Unicode text as UTF-8, its lines ending in LF again.
std::string clipboardText() {
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
            text = narrowOfWide(static_cast<const wchar_t*>(GlobalLock(memory)), CP_UTF8);
            GlobalUnlock(memory);
        }
        CloseClipboard();
    }
    std::erase(text, '\r');
    return text;
}

std::wstring openedPage;

bool recordOpenedPage(const std::wstring& path) {
    openedPage = path;
    return true;
}

// The record, through what a save would write.
std::string savedRecord(const ScratchFolder& folder) {
    const std::string path = folder.file("record.txt");
    characterSheet.saveSheet(path);
    return readBytes(path);
}

TEST_F(MainWindowTest, CopiesTheSheetAndOpensItsPageWithoutChangingIt) {
    const std::string path = openExampleSheet();
    const std::string record = savedRecord(folder), file = readBytes(path);
    const std::string dollName = codePage932ToUtf8(characterSheet.getDollName());
    command(IDM_COPY_TEXT);
    EXPECT_EQ(clipboardText(), sheetText(characterSheet));
    EXPECT_EQ(statusText().substr(8), " クリップボードにコピーしました");
    command(IDM_COPY_PIECE);
    const nlohmann::json piece = nlohmann::json::parse(clipboardText());
    EXPECT_EQ(piece["kind"], "character");
    EXPECT_EQ(piece["data"]["name"], dollName);

    const auto opener = std::exchange(openInBrowser, recordOpenedPage);
    command(IDM_OPEN_PAGE);
    openInBrowser = opener;
    EXPECT_TRUE(openedPage.ends_with(L"\\Velmora\\example.html"));
    const std::string page = readBytes(narrowOfWide(openedPage, 932));
    EXPECT_NE(page.find(dollName), std::string::npos);
    EXPECT_EQ(statusText().substr(8), " 印刷用ページを開きました: " + narrowOfWide(openedPage, 932));
    EXPECT_EQ(currentSheetPath, path);
    EXPECT_EQ(savedRecord(folder), record);
    EXPECT_EQ(readBytes(path), file);
}

// The File menu's piece for Udonarium: the dialog offers the doll's name,
// as a file name holds it, in the sheet's folder, and the ZIP holds the doll
// and its portrait under the SHA-256 of its bytes.
TEST_F(MainWindowTest, SavesTheUdonariumPieceBesideTheSheet) {
    std::filesystem::create_directory(folder.file("dolls"));
    const std::string sheetPath = folder.file("dolls\\lily.txt"),
                      portrait = fixturePath("portrait-red-over-blue.jpg");
    CharacterSheet sheet;
    sheet.setDollName("リリィ/ソ?");
    std::string text = sheet.sheetFileText();
    writeBytes(sheetPath, text.insert(text.find('\n') + 1, portrait));
    DialogAnswer opened("ファイルを開く", IDOK, sheetPath);
    command(IDM_OPEN);
    ASSERT_TRUE(opened.answered());
    std::string offered;
    DialogAnswer save("ユドナリウム用コマを保存", IDOK, [&offered](HWND dialog) {
        offered = readControlText(fileNameBox(dialog));
        SetWindowTextA(fileNameBox(dialog), "piece");
    });
    command(IDM_SAVE_UDONARIUM);
    ASSERT_TRUE(save.answered());
    EXPECT_EQ(offered, "リリィ_ソ_");
    const std::string saved = folder.file("dolls\\piece.zip");
    EXPECT_EQ(statusText().substr(8), " ユドナリウム用コマを保存しました: " + saved);
    const std::string picture = sha256Hex(readBytes(portrait)) + ".jpg";
    const std::optional<std::map<std::string, std::string>> entries = zipEntries(saved);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 2u);
    EXPECT_EQ(entries->at(picture), readBytes(portrait));
    EXPECT_NE(entries->at("1.xml").find(codePage932ToUtf8("リリィ/ソ?")), std::string::npos);
}

// Another program holding the clipboard open: the copy says it failed and
// leaves what the clipboard had.
TEST_F(MainWindowTest, AClipboardHeldElsewhereIsReportedAndKept) {
    ASSERT_TRUE(copyToClipboard(window, "kept"));
    std::atomic<int> held = -1;
    std::atomic<bool> release = false;
    std::thread holder([&] {
        held = OpenClipboard(nullptr) ? 1 : 0;
        while (!release)
            Sleep(5);
        CloseClipboard();
    });
    while (held < 0)
        Sleep(5);
    EXPECT_EQ(held, 1);
    command(IDM_COPY_PIECE);
    release = true;
    holder.join();
    EXPECT_EQ(statusText().substr(8), " クリップボードにコピーできませんでした");
    EXPECT_EQ(clipboardText(), "kept");
}

TEST_F(MainWindowTest, AfterAFailedFirstOpenSaveStillAsksForAName) {
    const std::string empty = folder.file("empty.txt");
    writeBytes(empty, "");
    {
        DialogAnswer ok("ファイルを開く", IDOK, empty);
        command(IDM_OPEN);
        ASSERT_TRUE(ok.answered());
    }
    expectOpenFailedMessage(statusText(), empty);
    DialogAnswer cancel("名前を付けてファイルを保存", IDCANCEL);
    command(IDM_SAVE);
    EXPECT_TRUE(cancel.answered());
    EXPECT_EQ(currentSheetPath, "");
    EXPECT_EQ(readBytes(empty), "");
}

// A double click in the middle of the portrait frame.
void doubleClickPortraitFrame() {
    RECT frame;
    GetWindowRect(sheetForm.portraitFrame, &frame);
    MapWindowPoints(nullptr, sheetForm.form, reinterpret_cast<POINT*>(&frame), 2);
    SendMessageA(sheetForm.form, WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2));
}

TEST_F(MainWindowTest, ThePortraitIsChosenThroughTheOpenDialog) {
    const std::string sheetPath = openExampleSheet();
    // The portrait's dialog starts with the name last chosen in an open dialog.
    std::string offered;
    {
        DialogAnswer cancel("ファイルを開く", IDCANCEL,
                            [&offered](HWND dialog) { offered = readControlText(fileNameBox(dialog)); });
        doubleClickPortraitFrame();
        ASSERT_TRUE(cancel.answered());
    }
    EXPECT_NE(sheetPath.find(offered), std::string::npos) << offered;
    EXPECT_EQ(characterSheet.getPortraitDc(), nullptr);

    const std::string picture = folder.file("doll.jpg");
    writeBytes(picture, readBytes(fixturePath("portrait-red-over-blue.jpg")));
    {
        DialogAnswer ok("ファイルを開く", IDOK, picture);
        doubleClickPortraitFrame();
        ASSERT_TRUE(ok.answered());
    }
    EXPECT_NE(characterSheet.getPortraitDc(), nullptr);
    EXPECT_EQ(characterSheet.getPortraitPath(), picture);
    command(IDM_SAVE);
    EXPECT_NE(readBytes(sheetPath).find("\r\n" + picture + "\r\n"), std::string::npos);
    doubleClickPortraitFrame();
    EXPECT_EQ(characterSheet.getPortraitDc(), nullptr);
}

// ---- The keyboard, through the program's own message loop ----

class KeyboardTest : public MainWindowTest {
protected:
    HWND formControl(int id) const { return GetDlgItem(sheetForm.form, id); }

    // Gives a list the focus with exactly `rows` selected.
    void select(HWND list, const std::vector<int>& rows) const {
        SetFocus(list);
        runProgramLoop();
        selectRows(list, rows);
    }

    // Handles every waiting message as the program's loop does.
    void runProgramLoop() const {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            deliverMessage(message, window, accelerators);
    }

    // A key pressed and released in the window with the focus.
    void press(WPARAM key) const {
        HWND focus = GetFocus();
        PostMessageA(focus, WM_KEYDOWN, key, 1);
        PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        runProgramLoop();
    }

    // ASCII text typed into the window with the focus. (Wine converts a
    // character message's bytes with the keyboard layout's code page, which
    // under Xvfb is not 932.)
    void type(const std::string& text) const {
        for (char c : text)
            PostMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 1);
        runProgramLoop();
    }

    // A click on a list's row, which gives the list the focus.
    void clickRow(HWND list, int row) const {
        RECT place{};
        ListView_GetItemRect(list, row, &place, LVIR_LABEL);
        const LPARAM at = MAKELPARAM(place.left + 20, place.top + 2);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        runProgramLoop();
    }

    // The record's file, to compare records whole.
    std::string savedSheet() const {
        EXPECT_TRUE(characterSheet.saveSheet(folder.file("check.txt")));
        return readBytes(folder.file("check.txt"));
    }

    // An item of the Edit menu as it shows once opened, "(grey)" after a
    // greyed one.
    std::string editMenuItem(int id) const {
        HMENU edit = GetSubMenu(GetMenu(window), 1);
        SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
        char text[128] = {};
        GetMenuStringA(edit, static_cast<UINT>(id), text, sizeof text, MF_BYCOMMAND);
        return text + std::string((GetMenuState(edit, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0
                                      ? "(grey)"
                                      : "");
    }

    HACCEL accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), "ACCEL");
};

TEST_F(KeyboardTest, TabAndShiftTabMoveThroughTheFormInTemplateOrder) {
    SetFocus(formControl(IDC_DOLL_NAME));
    const std::string before = savedSheet();
    const int forward[] = {IDC_PLAYER_NAME, IDC_FAVOR_POINTS, IDC_AGE_AT_DEATH};
    for (int id : forward) {
        press(VK_TAB);
        EXPECT_EQ(GetFocus(), formControl(id)) << id;
    }
    const HeldKey shift(VK_SHIFT);
    const int backward[] = {IDC_FAVOR_POINTS, IDC_PLAYER_NAME, IDC_DOLL_NAME};
    for (int id : backward) {
        press(VK_TAB);
        EXPECT_EQ(GetFocus(), formControl(id)) << id;
    }
    EXPECT_EQ(savedSheet(), before) << "a key that moves the focus wrote to the record";
}

TEST_F(KeyboardTest, TypingAfterTabGoesIntoTheNextBox) {
    SetFocus(formControl(IDC_DOLL_NAME));
    type("Lily");
    press(VK_TAB);
    type("Mika");
    EXPECT_EQ(characterSheet.getDollName(), "Lily");
    EXPECT_EQ(characterSheet.getPlayerName(), "Mika");
}

TEST_F(KeyboardTest, EnterInAListReachedByTabOrClickOpensItsDialogOnTheSelectedRow) {
    const struct {
        const char* way;
        std::function<void()> reach;
        const char* shownName;
    } cases[] = {
        {"Tab from the last placement box",
         [this] {
             SetFocus(formControl(IDC_PLACEMENT_FIRST + 2));
             press(VK_TAB);
         },
         "のうみそ"},
        {"a click on the second row", [this] { clickRow(sheetForm.headList, 1); }, "めだま"},
    };
    for (const auto& c : cases) {
        SetFocus(formControl(IDC_DOLL_NAME));
        c.reach();
        ASSERT_EQ(GetFocus(), sheetForm.headList) << c.way;
        std::string shown;
        DialogAnswer cancel("パーツ", IDCANCEL, [&shown](HWND dialog) {
            shown = readControlText(GetDlgItem(dialog, IDC_PART_NAME));
        });
        press(VK_RETURN);
        EXPECT_TRUE(cancel.answered()) << c.way;
        EXPECT_EQ(shown, c.shownName) << c.way;
    }
}

TEST_F(KeyboardTest, CtrlSInATextBoxSaves) {
    currentSheetPath = folder.file("doll.txt");
    SetFocus(formControl(IDC_DOLL_NAME));
    type("Lily");
    {
        const HeldKey control(VK_CONTROL);
        press('S');
    }
    EXPECT_NE(readBytes(currentSheetPath).find("\r\nLily\r\n"), std::string::npos);
    EXPECT_TRUE(endsWith(statusText(), " データが保存されました")) << statusText();
    EXPECT_EQ(formText(IDC_DOLL_NAME), "Lily");
}

// Rows named by their first letter: a list of "abc" holds entries a, b, c.
std::vector<PartEntry> lettered(const std::string& letters) {
    std::vector<PartEntry> parts;
    for (char letter : letters)
        parts.push_back({letter == 'a' ? 1 : 0, std::string(1, letter), "t", "c", "r", "e"});
    return parts;
}

template <class Entry> std::string recordedLetters(const std::vector<Entry>& entries) {
    std::string letters;
    for (const Entry& entry : entries)
        letters += entry.name;
    return letters;
}

std::string shownLetters(HWND list) {
    std::string letters;
    char text[64];
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        ListView_GetItemText(list, row, 0, text, sizeof text);
        letters += text;
    }
    return letters;
}

// Each command on a part list and on the skill list, by its key (held
// modifier, key) or posted by its id: what the list shows and selects, what
// the record holds and whether the title has its star.
TEST_F(KeyboardTest, ListCommandsActOnTheSelectedEntries) {
    currentSheetPath = folder.file("lists.txt");
    const struct {
        const char* what;
        bool skills;
        std::vector<int> selected;
        BYTE modifier;
        WPARAM key; // 0: the command posted by its id
        int id;
        const char* after;
        std::vector<int> selectedAfter;
    } cases[] = {
        {"Del", false, {0, 2}, 0, VK_DELETE, 0, "b", {0}},
        {"delete with no row", true, {}, 0, 0, IDM_EDIT_DELETE, "abc", {}},
        {"Alt+Up", false, {1, 2}, VK_MENU, VK_UP, 0, "bca", {0, 1}},
        {"move up at the top", true, {0}, 0, 0, IDM_MOVE_UP, "abc", {0}},
        {"Alt+Down", true, {0}, VK_MENU, VK_DOWN, 0, "bac", {1}},
        {"move down at the bottom", false, {1, 2}, 0, 0, IDM_MOVE_DOWN, "abc", {1, 2}},
        {"Ctrl+X", false, {0, 1}, VK_CONTROL, 'X', 0, "c", {0}},
        {"paste after the last selected row",
         true,
         {0},
         0,
         0,
         IDM_EDIT_PASTE,
         "axyb"
         "c",
         {1, 2}},
        {"Ctrl+V with no row", false, {}, VK_CONTROL, 'V', 0, "abcxy", {3, 4}},
        {"Ins adds after the last selected row", false, {0, 1}, 0, VK_INSERT, 0, "abnc", {2}},
        {"add with no row", true, {}, 0, 0, IDM_ADD_ENTRY, "abcn", {3}},
    };
    for (const auto& c : cases) {
        HWND list = c.skills ? sheetForm.skillList : sheetForm.headList;
        characterSheet.setSkills({});
        characterSheet.setHeadParts(lettered("xy"));
        refreshList(sheetForm.headList);
        select(sheetForm.headList, {0, 1});
        command(IDM_EDIT_COPY);
        characterSheet.setSkills({{"a", "", "", "", ""}, {"b", "", "", "", ""}, {"c", "", "", "", ""}});
        characterSheet.setHeadParts(lettered("abc"));
        refreshList(sheetForm.skillList);
        refreshList(sheetForm.headList);
        command(IDM_SAVE);
        select(list, c.selected);
        std::optional<DialogAnswer> add;
        if (c.id == IDM_ADD_ENTRY || c.key == VK_INSERT)
            add.emplace(c.skills ? "スキル" : "パーツ", IDOK, [](HWND dialog) {
                SetDlgItemTextA(dialog, IDC_PART_NAME, "n");
                SetDlgItemTextA(dialog, IDC_SKILL_NAME, "n");
            });
        if (c.key == 0) {
            PostMessageA(window, WM_COMMAND, c.id, 0);
            runProgramLoop();
        } else {
            std::optional<HeldKey> held;
            if (c.modifier != 0)
                held.emplace(c.modifier);
            press(c.key);
        }
        EXPECT_EQ(shownLetters(list), c.after) << c.what;
        EXPECT_EQ(selectedRows(list), c.selectedAfter) << c.what;
        EXPECT_EQ(c.skills ? recordedLetters(characterSheet.getSkills())
                           : recordedLetters(characterSheet.getHeadParts()),
                  c.after)
            << c.what;
        EXPECT_EQ(readControlText(window)[0] == '*', std::string(c.after) != "abc") << c.what;
    }
}

// Each kind of step undone and done again: the record (as its file), what
// the control shows, which control has the focus, the title's star and the
// step's name in the Edit menu.
TEST_F(KeyboardTest, UndoAndRedoPutBackEachKindOfStep) {
    command(IDM_NEW);
    currentSheetPath = folder.file("undo.txt");
    EXPECT_EQ(editMenuItem(IDM_UNDO), "元に戻す(&U)\tCtrl+Z(grey)");
    EXPECT_EQ(editMenuItem(IDM_REDO), "やり直し(&R)\tCtrl+Y(grey)");
    const struct {
        const char* what;
        const char* step;
        int focused; // the control that shows the step
        std::function<void()> change;
        std::function<std::string()> shown;
    } cases[] = {
        {"typing in one box, undone by Ctrl+Z in it", "ドール名の入力", IDC_DOLL_NAME,
         [this] {
             SetFocus(formControl(IDC_DOLL_NAME));
             type("Lily");
         },
         [this] { return formText(IDC_DOLL_NAME); }},
        {"a madness box", "狂気点のチェック", IDC_MADNESS_1_FIRST + 2,
         [this] { SendMessageA(formControl(IDC_MADNESS_1_FIRST + 2), BM_CLICK, 0, 0); },
         [this] {
             return std::to_string(SendMessageA(formControl(IDC_MADNESS_1_FIRST + 2), BM_GETCHECK, 0, 0));
         }},
        {"a placement", "初期配置の選択", IDC_PLACEMENT_FIRST + 1,
         [this] { SendMessageA(formControl(IDC_PLACEMENT_FIRST + 1), BM_CLICK, 0, 0); },
         [this] {
             return std::to_string(SendMessageA(formControl(IDC_PLACEMENT_FIRST + 1), BM_GETCHECK, 0, 0));
         }},
        {"a choice", "ポジションの選択", IDC_POSITION,
         [this] {
             SendMessageA(sheetForm.positionCombo, CB_SETCURSEL, 1, 0);
             SendMessageA(sheetForm.form, WM_COMMAND, MAKEWPARAM(IDC_POSITION, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(sheetForm.positionCombo));
         },
         [] { return readComboText(sheetForm.positionCombo); }},
        {"two parts deleted", "頭のパーツの削除", IDC_HEAD_LIST,
         [this] {
             select(sheetForm.headList, {0, 1});
             press(VK_DELETE);
         },
         [] { return shownLetters(sheetForm.headList); }},
    };
    for (const auto& c : cases) {
        command(IDM_SAVE);
        const std::string before = savedSheet(), shownBefore = c.shown();
        c.change();
        const std::string after = savedSheet(), shownAfter = c.shown();
        ASSERT_NE(after, before) << c.what;
        EXPECT_EQ(editMenuItem(IDM_UNDO), "元に戻す(&U): " + std::string(c.step) + "\tCtrl+Z") << c.what;
        SetFocus(formControl(IDC_DOLL_NAME));
        {
            const HeldKey control(VK_CONTROL);
            press('Z');
        }
        EXPECT_EQ(savedSheet(), before) << c.what;
        // A choice's box has the focus inside it.
        EXPECT_TRUE(GetFocus() == formControl(c.focused) || GetParent(GetFocus()) == formControl(c.focused))
            << c.what;
        EXPECT_EQ(readControlText(window)[0] == '*', false) << c.what;
        EXPECT_EQ(c.shown(), shownBefore) << c.what;
        EXPECT_EQ(editMenuItem(IDM_REDO), "やり直し(&R): " + std::string(c.step) + "\tCtrl+Y") << c.what;
        command(IDM_REDO);
        EXPECT_EQ(savedSheet(), after) << c.what;
        EXPECT_EQ(c.shown(), shownAfter) << c.what;
        EXPECT_EQ(readControlText(window)[0], '*') << c.what;
    }
    // The parts that came back are selected.
    command(IDM_UNDO);
    EXPECT_EQ(selectedRows(sheetForm.headList), (std::vector<int>{0, 1}));
}

// A letter undone leaves the text and the caret as Backspace would, and
// done again as the keystroke did; only a text past the box's limit is set
// whole, as it was read.
TEST_F(KeyboardTest, AnUndoneLetterLeavesTheCaretWhereAKeystrokeWould) {
    const struct {
        const char* what;
        const char* name;
        int caret; // characters from the start
        char key;
        int limit; // 0: the box's own
    } cases[] = {
        {"a letter amid a Japanese name", "人形リリィ", 2, 'a', 0},
        {"a letter after it", "人形リリィ", 5, 'b', 0},
        {"a letter before it", "リリィ", 0, 'c', 0},
        {"the same letter beside its twin", "リリィaa", 4, 'a', 0},
        {"a Backspace amid it", "人形リリィ", 3, '\b', 0},
        {"a Backspace in a name longer than the box takes", "人形リリィabc", 3, '\b', 4},
    };
    HWND box = formControl(IDC_DOLL_NAME);
    const auto selection = [box] { return SendMessageA(box, EM_GETSEL, 0, 0); };
    for (const auto& c : cases) {
        SetFocus(formControl(IDC_PLAYER_NAME));
        SetWindowTextA(box, c.name);
        SendMessageA(box, EM_LIMITTEXT, static_cast<WPARAM>(c.limit), 0);
        SetFocus(box);
        press(VK_HOME);
        for (int i = 0; i < c.caret; ++i)
            press(VK_RIGHT);
        const LRESULT caretBefore = selection();
        type(std::string(1, c.key));
        const std::string typed = formText(IDC_DOLL_NAME);
        const LRESULT caretTyped = selection();
        ASSERT_NE(typed, c.name) << c.what;
        command(IDM_UNDO);
        EXPECT_EQ(formText(IDC_DOLL_NAME), c.name) << c.what;
        EXPECT_EQ(characterSheet.getDollName(), c.name) << c.what;
        command(IDM_REDO);
        EXPECT_EQ(formText(IDC_DOLL_NAME), typed) << c.what;
        EXPECT_EQ(characterSheet.getDollName(), typed) << c.what;
        if (c.limit != 0)
            continue;
        command(IDM_UNDO);
        EXPECT_EQ(selection(), caretBefore) << c.what << ": undone";
        command(IDM_REDO);
        EXPECT_EQ(selection(), caretTyped) << c.what << ": done again";
    }
}

// A part keeps its tick in another part list and leaves it in the skill
// list; the clipboard's text is the entries' texts between tabs.
TEST_F(KeyboardTest, PastedPartsKeepTheirTickInPartListsOnly) {
    characterSheet.setHeadParts(lettered("ab"));
    refreshList(sheetForm.headList);
    select(sheetForm.headList, {0});
    command(IDM_EDIT_COPY);
    EXPECT_EQ(clipboardText(window), "a\tt\tc\tr\te\r\n");
    select(sheetForm.armList, {});
    command(IDM_EDIT_PASTE);
    EXPECT_EQ(characterSheet.getArmParts().back(), lettered("a").front());
    EXPECT_EQ(getCellCheck(sheetForm.armList, 3, 0), 1);
    select(sheetForm.skillList, {});
    command(IDM_EDIT_PASTE);
    EXPECT_EQ(characterSheet.getSkills().back(), (SkillEntry{"a", "t", "c", "r", "e"}));
}

// The point `part` of a row (its upper or lower half, or below the rows for
// row -1) of `list`, in the client coordinates of `from`.
LPARAM rowPoint(HWND list, int row, double part, HWND from) {
    RECT place{};
    if (row >= 0) {
        ListView_GetItemRect(list, row, &place, LVIR_BOUNDS);
    } else {
        GetClientRect(list, &place);
        place.top = place.bottom - 6;
    }
    POINT at = {place.left + 30, place.top + static_cast<LONG>((place.bottom - place.top) * part)};
    MapWindowPoints(list, from, &at, 1);
    return MAKELPARAM(at.x, at.y);
}

// Waits on another thread for a list's menu to show, tells where it stands
// and what `list` has selected then, and types `key` into it.
class MenuAnswer {
public:
    MenuAnswer(HWND list, char key)
        : worker([this, list, key] {
              for (int wait = 0; wait < 500 && menu == nullptr; ++wait) {
                  Sleep(10);
                  HWND found = FindWindowA("#32768", nullptr);
                  menu = found != nullptr && IsWindowVisible(found) ? found : nullptr;
              }
              if (menu == nullptr)
                  return;
              GetWindowRect(menu, &shownAt);
              selected = selectedRows(list);
              PostMessageA(menu, key == VK_ESCAPE ? WM_KEYDOWN : WM_CHAR, key, 0);
          }) {}
    ~MenuAnswer() { answered(); }
    bool answered() {
        if (worker.joinable())
            worker.join();
        return menu != nullptr;
    }

    HWND menu = nullptr;
    RECT shownAt{};
    std::vector<int> selected;

private:
    std::thread worker;
};

// The list's menu, opened by a right-click on a row or below the rows, by
// Shift+F10 and by the menu key: where it shows, which rows it acts on, and
// its "削除" (L) on them.
TEST_F(KeyboardTest, TheListMenuOpensOnTheRowsItActsOn) {
    const struct {
        const char* what;
        std::vector<int> selected;
        int clicked; // the row right-clicked, -1 below the rows, -2 no click but a key
        WPARAM key;
        char choice;
        std::vector<int> actedOn;
        const char* after;
    } cases[] = {
        {"a row not selected becomes the only one", {0, 2}, 1, 0, 'l', {1}, "ac"},
        {"a selected row keeps the selection", {0, 2}, 2, 0, 'l', {0, 2}, "b"},
        {"below the rows the selection stays", {1}, -1, 0, VK_ESCAPE, {1}, "abc"},
        {"Shift+F10 under the focused row", {0, 1}, -2, VK_F10, 'l', {0, 1}, "c"},
        {"the menu key", {2}, -2, VK_APPS, 'l', {2}, "ab"},
    };
    HWND list = sheetForm.headList;
    for (const auto& c : cases) {
        characterSheet.setHeadParts(lettered("abc"));
        refreshList(list);
        select(list, c.selected);
        // At the pointer, or under the focused row.
        const int row = c.clicked >= 0 ? c.clicked : c.actedOn.back();
        POINT expectedTop = {0, HIWORD(rowPoint(list, row, c.clicked >= 0 ? 0.5 : 1.0, list))};
        ClientToScreen(list, &expectedTop);
        MenuAnswer menu(list, c.choice);
        if (c.clicked >= -1) {
            const LPARAM at = rowPoint(list, c.clicked, 0.5, list);
            PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
            PostMessageA(list, WM_RBUTTONUP, 0, at);
            runProgramLoop();
        } else {
            std::optional<HeldKey> shift;
            if (c.key == VK_F10)
                shift.emplace(VK_SHIFT);
            PostMessageA(list, c.key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN, c.key, 1);
            runProgramLoop();
        }
        ASSERT_TRUE(menu.answered()) << c.what;
        EXPECT_EQ(menu.selected, c.actedOn) << c.what;
        EXPECT_EQ(shownLetters(list), c.after) << c.what;
        EXPECT_EQ(recordedLetters(characterSheet.getHeadParts()), c.after) << c.what;
        if (c.clicked != -1) {
            EXPECT_NEAR(menu.shownAt.top, expectedTop.y, 2) << c.what;
        }
    }
}

// Rows dragged with the left button: within a list, to another list, to the
// skills, copied with Ctrl, cancelled by Esc or by a release outside the
// lists. Each drop is one step, named, and one undo takes it back whole.
TEST_F(KeyboardTest, DraggedRowsLandWhereTheMarkShowsAndOneUndoTakesThemBack) {
    command(IDM_NEW);
    const struct {
        const char* what;
        std::vector<int> selected;
        int pressed;
        HWND* to;
        int row; // -1: below the rows
        double part;
        int how; // 0 a drop, MK_CONTROL a copy, VK_ESCAPE Esc, -1 released outside the lists
        const char* head;
        const char* arms;
        const char* skills;
        std::vector<int> selectedAfter;
        const char* step;
    } cases[] = {
        {"after a row's lower half",
         {0},
         0,
         &sheetForm.headList,
         1,
         0.8,
         0,
         "bac",
         "xyz",
         "s",
         {1},
         "頭のパーツの移動"},
        {"two rows before the first",
         {1, 2},
         2,
         &sheetForm.headList,
         0,
         0.2,
         0,
         "bca",
         "xyz",
         "s",
         {0, 1},
         "頭のパーツの移動"},
        {"below the rows, a row not selected",
         {0},
         1,
         &sheetForm.headList,
         -1,
         0,
         0,
         "acb",
         "xyz",
         "s",
         {2},
         "頭のパーツの移動"},
        {"to another list",
         {0, 1},
         0,
         &sheetForm.armList,
         1,
         0.2,
         0,
         "c",
         "xabyz",
         "s",
         {1, 2},
         "パーツの移動"},
        {"copied with Ctrl",
         {2},
         2,
         &sheetForm.armList,
         2,
         0.9,
         MK_CONTROL,
         "abc",
         "xyzc",
         "s",
         {3},
         "腕のパーツのコピー"},
        {"to the skills", {0}, 0, &sheetForm.skillList, 0, 0.1, 0, "bc", "xyz", "as", {0}, "パーツの移動"},
        // Nothing changes: the last step is still the skills set before.
        {"cancelled by Esc", {0}, 0, &sheetForm.armList, 1, 0.7, VK_ESCAPE, "abc", "xyz", "s", {}, ""},
        {"released outside the lists", {0}, 0, &sheetForm.armList, 1, 0.5, -1, "abc", "xyz", "s", {}, ""},
    };
    for (const auto& c : cases) {
        characterSheet.setHeadParts(lettered("abc"));
        characterSheet.setArmParts(lettered("xyz"));
        characterSheet.setSkills({{"s", "", "", "", ""}});
        refreshSheetForm();
        const std::string before = savedSheet();
        HWND from = sheetForm.headList, to = *c.to;
        select(from, c.selected);
        const LPARAM pressed = rowPoint(from, c.pressed, 0.5, from);
        LPARAM target = rowPoint(to, c.row, c.part, from);
        if (c.how == -1) {
            POINT outside = {5, 5};
            MapWindowPoints(formControl(IDC_DOLL_NAME), from, &outside, 1);
            target = MAKELPARAM(outside.x, outside.y);
        }
        PostMessageA(from, WM_LBUTTONDOWN, MK_LBUTTON, pressed);
        PostMessageA(from, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(LOWORD(pressed) + 10, HIWORD(pressed)));
        PostMessageA(from, WM_MOUSEMOVE, MK_LBUTTON, target);
        runProgramLoop();
        if (c.how != -1) {
            // The mark: a dark line across the rows where they would land.
            const HDC dc = GetDC(to);
            const int markAt = HIWORD(rowPoint(to, c.row < 0 ? ListView_GetItemCount(to) - 1 : c.row,
                                               c.row < 0 || c.part >= 0.5 ? 1.0 : 0.0, to));
            EXPECT_EQ(GetPixel(dc, 60, markAt), GetSysColor(COLOR_WINDOWTEXT)) << c.what;
            ReleaseDC(to, dc);
        }
        if (c.how == VK_ESCAPE)
            PostMessageA(from, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageA(from, WM_LBUTTONUP, c.how == MK_CONTROL ? MK_CONTROL : 0, target);
        runProgramLoop();
        EXPECT_EQ(shownLetters(sheetForm.headList), c.head) << c.what;
        EXPECT_EQ(recordedLetters(characterSheet.getHeadParts()), c.head) << c.what;
        EXPECT_EQ(recordedLetters(characterSheet.getArmParts()), c.arms) << c.what;
        EXPECT_EQ(recordedLetters(characterSheet.getSkills()), c.skills) << c.what;
        EXPECT_EQ(documentHistory().undoName(), *c.step != '\0' ? c.step : "スキルの変更") << c.what;
        if (std::string(c.step).empty()) {
            EXPECT_EQ(savedSheet(), before) << c.what;
            continue;
        }
        EXPECT_EQ(GetFocus(), to) << c.what;
        EXPECT_EQ(selectedRows(to), c.selectedAfter) << c.what;
        {
            const HeldKey control(VK_CONTROL);
            press('Z');
        }
        EXPECT_EQ(savedSheet(), before) << c.what << ": one undo";
    }
    // Held near the bottom edge, the pointer scrolls the list.
    characterSheet.setHeadParts(lettered("abcdefghijklmnopqrstuvwxyz"));
    refreshList(sheetForm.headList);
    select(sheetForm.headList, {0});
    RECT rows;
    GetClientRect(sheetForm.headList, &rows);
    const LPARAM pressed = rowPoint(sheetForm.headList, 0, 0.5, sheetForm.headList);
    PostMessageA(sheetForm.headList, WM_LBUTTONDOWN, MK_LBUTTON, pressed);
    PostMessageA(sheetForm.headList, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(LOWORD(pressed), rows.bottom - 3));
    for (int wait = 0; wait < 40 && ListView_GetTopIndex(sheetForm.headList) < 3; ++wait) {
        Sleep(25);
        runProgramLoop();
    }
    EXPECT_GE(ListView_GetTopIndex(sheetForm.headList), 3);
    PostMessageA(sheetForm.headList, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(sheetForm.headList, WM_LBUTTONUP, 0, MAKELPARAM(LOWORD(pressed), rows.bottom - 3));
    runProgramLoop();
    EXPECT_EQ(recordedLetters(characterSheet.getHeadParts()), "abcdefghijklmnopqrstuvwxyz");
}

// The lists' keys stay a text box's own, and the Edit menu acts on its text.
TEST_F(KeyboardTest, ATextBoxKeepsItsEditingKeys) {
    const std::vector<PartEntry> head = characterSheet.getHeadParts();
    SetFocus(formControl(IDC_DOLL_NAME));
    type("Lily");
    SendMessageA(formControl(IDC_DOLL_NAME), EM_SETSEL, 0, 2);
    {
        const HeldKey control(VK_CONTROL);
        press('C');
    }
    EXPECT_EQ(clipboardText(window), "Li");
    press(VK_DELETE);
    EXPECT_EQ(formText(IDC_DOLL_NAME), "ly");
    SendMessageA(formControl(IDC_DOLL_NAME), EM_SETSEL, 0, 1);
    command(IDM_EDIT_CUT);
    EXPECT_EQ(characterSheet.getDollName(), "y");
    EXPECT_EQ(characterSheet.getHeadParts(), head);
}

TEST_F(KeyboardTest, EnterAndEscapeInATextBoxChangeNothing) {
    SetFocus(formControl(IDC_DOLL_NAME));
    type("Lily");
    const std::string before = savedSheet();
    press(VK_RETURN);
    press(VK_ESCAPE);
    EXPECT_EQ(GetFocus(), formControl(IDC_DOLL_NAME));
    EXPECT_EQ(formText(IDC_DOLL_NAME), "Lily");
    EXPECT_EQ(savedSheet(), before);
    EXPECT_TRUE(IsWindowVisible(sheetForm.form));
    EXPECT_EQ(statusText(), "ステータスバー");
}

} // namespace

namespace {

// ---- Unsaved edits ----

std::string startTitle() {
    return "Velmoraキャラ管理ツール ver 1.002";
}

// Each case starts with a sheet of its own: the example opened from a file,
// or a new sheet never saved.
class UnsavedEditsTest : public MainWindowTest {
protected:
    void SetUp() override {
        characterSheet.clear();
        MainWindowTest::SetUp();
    }

    // As the program starts: the record as constructed, too.
    void restart() {
        DestroyWindow(window);
        pumpMessages();
        characterSheet.clear();
        startMainWindow();
    }

    std::string title() const { return readControlText(window); }

    void typeDollName() const { SetWindowTextA(GetDlgItem(sheetForm.form, IDC_DOLL_NAME), "Lily"); }

    // A copy of the example sheet named `name` in the scratch folder's
    // `subfolder` (plain ASCII, as the folder functions here want it).
    std::string exampleSheetAt(const std::string& subfolder, const std::string& name) const {
        std::filesystem::create_directories(folder.file(subfolder));
        const std::string path = folder.file(subfolder + "\\" + name);
        RemoveDirectoryA(path.c_str()); // left by a case that made the file unwritable
        writeBytes(path, readBytes(fixturePath("example-sheet.txt")));
        return path;
    }

    void open(const std::string& path) {
        DialogAnswer ok("ファイルを開く", IDOK, path);
        command(IDM_OPEN);
        ASSERT_TRUE(ok.answered());
    }
};

// For each way the sheet goes (closed, replaced by an opened one, by a new
// one, or Windows ending the session) and each answer to the question.
TEST_F(UnsavedEditsTest, AreAskedAboutBeforeTheSheetGoes) {
    enum class Way { close, open, newSheet, endSession };
    const struct {
        const char* answer;
        bool edited, hasFile, unwritable;
        int reply; // to the question, 0 where none is to come
        bool sheetGoes;
    } answers[] = {
        {"nothing unsaved", false, true, false, 0, true},
        {"Yes with a file", true, true, false, IDYES, true},
        {"Yes never saved, the dialog cancelled", true, false, false, IDYES, false},
        {"Yes with a failing save", true, true, true, IDYES, false},
        {"No", true, true, false, IDNO, true},
        {"Cancel", true, true, false, IDCANCEL, false},
    };
    const std::string other = exampleSheetAt("other", "ソ.txt");
    for (Way way : {Way::close, Way::open, Way::newSheet, Way::endSession}) {
        for (const auto& a : answers) {
            const std::string where =
                a.answer + std::string(" / way ") + std::to_string(static_cast<int>(way));
            restart();
            const std::string sheet = exampleSheetAt("sheets", "リリィ.txt");
            if (a.hasFile)
                open(sheet);
            if (a.edited)
                typeDollName();
            const std::string name = a.hasFile ? "リリィ.txt" : "無題";
            EXPECT_EQ(title(), a.edited ? "*" + name + " - " + startTitle() : name + " - " + startTitle())
                << where;
            const std::string before = readBytes(sheet);
            // A folder where the file was: nothing can be saved there.
            if (a.unwritable) {
                ASSERT_TRUE(DeleteFileA(sheet.c_str()) && CreateDirectoryA(sheet.c_str(), nullptr)) << where;
            }

            std::string asked;
            bool defaultIsYes = false;
            DialogAnswer question(
                "変更の保存", a.reply != 0 ? a.reply : IDCANCEL,
                [&](HWND box) {
                    asked = readControlText(GetDlgItem(box, 0xFFFF));
                    defaultIsYes =
                        (GetWindowLongA(GetDlgItem(box, IDYES), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
                },
                a.reply != 0 ? 20 : 1);
            DialogAnswer exitQuestion(
                "終了確認", IDYES, [](HWND) {}, way == Way::close && !a.edited ? 20 : 1);
            DialogAnswer saveDialog(
                "名前を付けてファイルを保存", IDCANCEL, [](HWND) {}, a.hasFile ? 1 : 20);
            // A folder in the file's place cannot be compared with the file read.
            std::optional<DialogAnswer> overwrite;
            if (a.unwritable)
                overwrite.emplace("ファイルの変更", IDYES);
            const bool opens = way == Way::open && a.sheetGoes;
            DialogAnswer openDialog(
                "ファイルを開く", IDOK,
                [&](HWND dialog) {
                    SendMessageA(fileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()));
                },
                opens ? 20 : 1);
            LRESULT endSession = 0;
            switch (way) {
            case Way::close: SendMessageA(window, WM_CLOSE, 0, 0); break;
            case Way::open: command(IDM_OPEN); break;
            case Way::newSheet: command(IDM_NEW); break;
            case Way::endSession: endSession = SendMessageA(window, WM_QUERYENDSESSION, 0, 0); break;
            }
            EXPECT_EQ(question.answered(), a.reply != 0) << where;
            if (a.reply != 0) {
                EXPECT_EQ(asked, name + " への変更を保存しますか？") << where;
                EXPECT_TRUE(defaultIsYes) << where;
            }
            EXPECT_EQ(exitQuestion.answered(), way == Way::close && !a.edited) << where;
            EXPECT_EQ(saveDialog.answered(), !a.hasFile) << where;
            EXPECT_EQ(openDialog.answered(), opens) << where;

            const bool saved = a.reply == IDYES && a.sheetGoes;
            if (!a.unwritable) {
                const std::string after = readBytes(sheet);
                EXPECT_EQ(after.find("\r\nLily\r\n") != std::string::npos, saved) << where;
                EXPECT_EQ(after == before, !saved) << where;
            }
            EXPECT_EQ(IsWindow(window) != FALSE, way != Way::close || !a.sheetGoes) << where;
            if (!IsWindow(window))
                continue;
            EXPECT_EQ(endSession, way == Way::endSession && a.sheetGoes ? TRUE : FALSE) << where;
            std::string expected = (a.edited && !saved ? "*" : "") + name + " - " + startTitle();
            if (a.sheetGoes && way == Way::open)
                expected = "ソ.txt - " + startTitle();
            else if (a.sheetGoes && way == Way::newSheet)
                expected = startTitle();
            EXPECT_EQ(title(), expected) << where;
            EXPECT_EQ(statusText().find("保存できませんでした") != std::string::npos, a.unwritable) << where;
        }
    }
}

TEST_F(UnsavedEditsTest, EveryKindOfEditStarsTheTitleButAKarmaTick) {
    const std::string picture = folder.file("doll.jpg");
    writeBytes(picture, readBytes(fixturePath("portrait-red-over-blue.jpg")));
    const struct {
        const char* edit;
        std::function<void()> make;
        bool stars;
    } edits[] = {
        {"a text box", [this] { typeDollName(); }, true},
        {"a choice in a list", [] { SendMessageA(sheetForm.positionCombo, WM_KEYDOWN, VK_DOWN, 0); }, true},
        {"a tick in a part's cell",
         [] {
             RedrawWindow(sheetForm.headList, nullptr, nullptr,
                          RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
             pumpMessages();
             HWND box = cellCheckBoxes[sheetForm.headList][0][0].box;
             SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
             SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         },
         true},
        {"a skill added through its dialog",
         [] {
             DialogAnswer ok("スキル", IDOK,
                             [](HWND dialog) { SetDlgItemTextA(dialog, IDC_SKILL_NAME, "加速"); });
             RECT client;
             GetClientRect(sheetForm.skillList, &client);
             const LPARAM at = MAKELPARAM(3, client.bottom - 2);
             SendMessageA(sheetForm.skillList, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
             SendMessageA(sheetForm.skillList, WM_LBUTTONUP, 0, at);
             EXPECT_TRUE(ok.answered());
         },
         true},
        {"a portrait chosen",
         [&picture] {
             DialogAnswer ok("ファイルを開く", IDOK, picture);
             doubleClickPortraitFrame();
             EXPECT_TRUE(ok.answered());
         },
         true},
        {"a karma tick",
         [] { SendMessageA(GetDlgItem(sheetForm.form, IDC_KARMA_MARK_FIRST), BM_CLICK, 0, 0); }, false},
    };
    for (const auto& e : edits) {
        ASSERT_EQ(title(), startTitle()) << e.edit;
        e.make();
        EXPECT_EQ(title(), e.stars ? "*無題 - " + startTitle() : startTitle()) << e.edit;
        DialogAnswer no(
            "変更の保存", IDNO, [](HWND) {}, e.stars ? 20 : 1);
        command(IDM_NEW);
        EXPECT_EQ(no.answered(), e.stars) << e.edit;
    }
}

// Every control's text, tick and choice, and every list's rows.
std::string shownForm() {
    std::string shown;
    for (HWND child = GetWindow(sheetForm.form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        shown += std::to_string(GetDlgCtrlID(child)) + "=" + readControlText(child) + "/" +
                 std::to_string(SendMessageA(child, BM_GETCHECK, 0, 0)) + "/" +
                 std::to_string(SendMessageA(child, CB_GETCURSEL, 0, 0)) + "\n";
        for (int row = 0; row < ListView_GetItemCount(child); ++row) {
            char text[256] = {};
            ListView_GetItemText(child, row, 0, text, sizeof text);
            shown += std::string("  ") + text + " " + std::to_string(getCellCheck(child, row, 0)) + "\n";
        }
    }
    return shown;
}

// Each save keeps what it writes over; "以前の版" lists the versions newest
// first with what each has that the window does not, and one opened is an
// edit of the window's sheet that one undo takes back, the file untouched.
TEST_F(UnsavedEditsTest, AnEarlierVersionOpensAsAnEditOfTheSheet) {
    const std::wstring profile = wideOfNarrow(folder.file("")) + L"versions-profile";
    std::filesystem::create_directories(profile);
    wchar_t previous[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", previous, MAX_PATH);
    SetEnvironmentVariableW(L"LOCALAPPDATA", profile.c_str());
    HMENU file = GetSubMenu(GetMenu(window), 0);
    const auto versionsGreyed = [&] {
        SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        return (GetMenuState(file, IDM_VERSIONS, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    EXPECT_TRUE(versionsGreyed()) << "a sheet never saved";
    const std::string path = exampleSheetAt("versions", "lily.txt");
    open(path);
    EXPECT_FALSE(versionsGreyed());
    for (const char* name : {"Lily", "Rose"}) {
        SetWindowTextA(GetDlgItem(sheetForm.form, IDC_DOLL_NAME), name);
        command(IDM_SAVE);
    }
    command(IDM_SAVE); // the same bytes again keep nothing
    const std::string saved = readBytes(path);
    std::vector<std::string> differences;
    DialogAnswer versions("以前の版 - lily.txt", IDOK, [&differences](HWND dialog) {
        HWND rows = GetDlgItem(dialog, IDC_VERSION_LIST);
        for (int row = 0; row < ListView_GetItemCount(rows); ++row) {
            char text[256] = {};
            ListView_GetItemText(rows, row, 2, text, sizeof text);
            differences.push_back(text);
        }
    });
    command(IDM_VERSIONS);
    ASSERT_TRUE(versions.answered());
    ASSERT_EQ(differences.size(), 2u);
    EXPECT_TRUE(differences[0].starts_with("ドール名 Lily")) << differences[0];
    EXPECT_FALSE(differences[1].starts_with("ドール名 Lily")) << differences[1];
    EXPECT_EQ(formText(IDC_DOLL_NAME), "Lily");
    EXPECT_TRUE(title().starts_with("*lily.txt")) << title();
    EXPECT_EQ(readBytes(path), saved);
    command(IDM_UNDO);
    EXPECT_EQ(formText(IDC_DOLL_NAME), "Rose");
    EXPECT_TRUE(title().starts_with("lily.txt")) << title();

    // A profile where no store can be made: the save goes on and says so.
    const std::string blocked = folder.file("a file, no folder");
    writeBytes(blocked, "");
    SetEnvironmentVariableW(L"LOCALAPPDATA", wideOfNarrow(blocked).c_str());
    SetWindowTextA(GetDlgItem(sheetForm.form, IDC_DOLL_NAME), "Iris");
    command(IDM_SAVE);
    EXPECT_EQ(statusText().substr(8), " データが保存されました（以前の版は残せませんでした）");
    EXPECT_NE(readBytes(path).find("\r\nIris\r\n"), std::string::npos);
    SetEnvironmentVariableW(L"LOCALAPPDATA", previous);
}

TEST_F(UnsavedEditsTest, ANewSheetIsTheSheetAtStart) {
    const std::string atStart = shownForm();
    const std::string sheet = exampleSheetAt("sheets", "リリィ.txt");
    open(sheet);
    const std::string picture = folder.file("doll.jpg");
    writeBytes(picture, readBytes(fixturePath("portrait-red-over-blue.jpg")));
    {
        DialogAnswer ok("ファイルを開く", IDOK, picture);
        doubleClickPortraitFrame();
        ASSERT_TRUE(ok.answered());
    }
    SendMessageA(GetDlgItem(sheetForm.form, IDC_KARMA_MARK_FIRST), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(sheetForm.form, IDC_PLACEMENT_FIRST + 1), BM_CLICK, 0, 0);
    SendMessageA(sheetForm.subClassCombo, WM_KEYDOWN, VK_DOWN, 0);
    const std::string status = statusText();
    {
        DialogAnswer no("変更の保存", IDNO);
        command(IDM_NEW);
        ASSERT_TRUE(no.answered());
    }
    EXPECT_EQ(shownForm(), atStart);
    EXPECT_EQ(characterSheet.getPortraitDc(), nullptr);
    EXPECT_EQ(savedRecord(folder), readBytes(fixturePath("new-sheet.txt")));
    EXPECT_EQ(title(), startTitle());
    EXPECT_EQ(statusText(), status);
    EXPECT_EQ(readBytes(sheet), readBytes(fixturePath("example-sheet.txt")));
    DialogAnswer cancel("名前を付けてファイルを保存", IDCANCEL);
    command(IDM_SAVE);
    EXPECT_TRUE(cancel.answered());
}

} // namespace

namespace {

// ---- Sheets from outside: drops and the recent list ----

std::wstring wideOf(const std::string& path) {
    return wideOfNarrow(path);
}

// A drop handle as Explorer makes it: DROPFILES, then the wide paths, each
// ended by a NUL and the list by another.
HDROP dropOf(const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths)
        names += path + L'\0';
    names += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(drop + 1));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

HDROP dropOf(const std::vector<std::string>& paths) {
    std::vector<std::wstring> wide;
    for (const std::string& path : paths)
        wide.push_back(wideOf(path));
    return dropOf(wide);
}

std::vector<std::wstring> ownWindows;

bool recordOwnWindow(const std::wstring& path) {
    ownWindows.push_back(path);
    return true;
}

// The recent list in a folder of the test's own, as %APPDATA%.
class SheetsFromOutsideTest : public UnsavedEditsTest {
protected:
    void SetUp() override {
        char previous[MAX_PATH] = {};
        GetEnvironmentVariableA("APPDATA", previous, sizeof previous);
        previousAppData = previous;
        std::filesystem::create_directory(appData.file("Velmora"));
        SetEnvironmentVariableA("APPDATA", appData.file("").substr(0, appData.file("").size() - 1).c_str());
        ownWindows.clear();
        opener = std::exchange(openInOwnWindow, recordOwnWindow);
        UnsavedEditsTest::SetUp();
    }
    void TearDown() override {
        UnsavedEditsTest::TearDown();
        openInOwnWindow = opener;
        SetEnvironmentVariableA("APPDATA", previousAppData.c_str());
    }

    std::string listFile() const { return appData.file("Velmora\\recent.txt"); }

    // The File menu's recent items as it opens.
    std::vector<std::string> recentItems() const {
        HMENU file = GetSubMenu(GetMenu(window), 0);
        SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        std::vector<std::string> items;
        for (int command = IDM_RECENT_FIRST; command < IDM_RECENT_FIRST + 8; ++command) {
            char text[300] = {};
            if (GetMenuStringA(file, command, text, sizeof text, MF_BYCOMMAND) > 0)
                items.push_back(text);
        }
        return items;
    }

    ScratchFolder appData;
    std::string previousAppData;
    bool (*opener)(const std::wstring&) = nullptr;
};

TEST_F(SheetsFromOutsideTest, DropsOpenSheetsAndTakePicturesAndRefuseTheRest) {
    const std::string lily = exampleSheetAt("drop", "リリィ.txt");
    const std::string second = exampleSheetAt("drop", "二人目.txt");
    const std::string picture = folder.file("drop\\doll.jpg");
    writeBytes(picture, readBytes(fixturePath("portrait-red-over-blue.jpg")));
    const std::string notASheet = folder.file("drop\\memo.txt");
    writeBytes(notASheet, "a note, no sheet\r\n");
    const std::string aFolder = folder.file("drop");
    const struct {
        const char* what;
        std::vector<std::string> dropped;
        const char* title; // of the window afterwards
        std::vector<std::string> inOwnWindows;
        std::string portrait;
        std::string refused;
    } cases[] = {
        {"a sheet", {lily}, "リリィ.txt", {}, "", ""},
        {"two sheets", {second, lily}, "二人目.txt", {lily}, "", ""},
        {"a JPEG", {picture}, "*無題", {}, picture, ""},
        {"a folder", {aFolder}, "", {}, "", aFolder},
        {"a text that is no sheet", {notASheet}, "", {}, "", notASheet},
    };
    for (const auto& c : cases) {
        restart();
        ownWindows.clear();
        SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(c.dropped)), 0);
        EXPECT_EQ(readControlText(window), std::string(c.title) + (*c.title ? " - " : "") + startTitle())
            << c.what;
        std::vector<std::wstring> expectedOwn;
        for (const std::string& path : c.inOwnWindows)
            expectedOwn.push_back(wideOf(path));
        EXPECT_EQ(ownWindows, expectedOwn) << c.what;
        EXPECT_EQ(characterSheet.getPortraitPath(), c.portrait) << c.what;
        EXPECT_EQ(characterSheet.getPortraitDc() != nullptr, !c.portrait.empty()) << c.what;
        if (!c.refused.empty())
            expectOpenFailedMessage(statusText(), c.refused);
        else
            EXPECT_EQ(statusText(), "ステータスバー") << c.what;
    }
    // A name that code page 932 cannot hold is refused, never opened under
    // a mangled one.
    restart();
    const std::wstring korean = wideOf(folder.file("drop\\")) + L"\uD55C\uAD6D.txt";
    CopyFileW(wideOf(lily).c_str(), korean.c_str(), FALSE);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(std::vector<std::wstring>{korean})),
                 0);
    expectOpenFailedMessage(statusText(), shownPath(korean));
    EXPECT_EQ(readControlText(window), startTitle());

    // Over unsaved edits, the drop asks first; Cancel keeps them.
    typeDollName();
    DialogAnswer cancel("変更の保存", IDCANCEL);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf({lily})), 0);
    EXPECT_TRUE(cancel.answered());
    EXPECT_EQ(characterSheet.getDollName(), "Lily");
}

TEST_F(SheetsFromOutsideTest, TheRecentListOffersTheLastSheetsAndForgetsAVanishedOne) {
    const std::string nine = recentSheetsText(std::vector<std::string>(9, "C:\\x.txt"));
    const struct {
        const char* what;
        std::string file;
        std::size_t items;
    } files[] = {
        {"missing", "", 0},
        {"damaged", "\x89PNG\r\n\x1a\n\0\0", 0},
        {"nine entries, two alike", nine, 1},
    };
    for (const auto& f : files) {
        if (f.file.empty())
            std::filesystem::remove(listFile());
        else
            writeBytes(listFile(), f.file);
        EXPECT_EQ(recentItems().size(), f.items) << f.what;
    }
    std::string text;
    std::vector<std::string> sheets;
    for (int i = 1; i <= 9; ++i) {
        sheets.push_back(exampleSheetAt("recent", "人形" + std::to_string(i) + ".txt"));
        text += utf8OfWide(wideOf(sheets.back())) + "\r\n";
    }
    writeBytes(listFile(), text);
    const std::vector<std::string> items = recentItems();
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items.front(), "&1 人形1.txt");
    EXPECT_EQ(items.back(), "&8 人形8.txt");
    HMENU file = GetSubMenu(GetMenu(window), 0);
    EXPECT_EQ(GetMenuItemID(file, GetMenuItemCount(file) - 1), static_cast<UINT>(IDM_EXIT));
    SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(IDM_RECENT_FIRST + 1, MF_HILITE),
                 reinterpret_cast<LPARAM>(file));
    EXPECT_EQ(statusText(), sheets[1]);
    SendMessageA(window, WM_EXITMENULOOP, 0, 0);
    EXPECT_EQ(statusText(), "ステータスバー");

    // The second chosen opens and goes first; the third, gone, is refused
    // and leaves the list.
    command(IDM_RECENT_FIRST + 1);
    EXPECT_EQ(readControlText(window), "人形2.txt - " + startTitle());
    EXPECT_EQ(recentItems().front(), "&1 人形2.txt");
    DeleteFileA(sheets[2].c_str());
    command(IDM_RECENT_FIRST + 2);
    expectOpenFailedMessage(statusText(), sheets[2]);
    EXPECT_EQ(readControlText(window), "人形2.txt - " + startTitle());
    const std::vector<std::string> after = recentItems();
    EXPECT_EQ(std::count(after.begin(), after.end(), "&3 人形3.txt"), 0);
    EXPECT_EQ(readBytes(listFile()).find(utf8OfWide(wideOf(sheets[2]))), std::string::npos);
}

TEST_F(SheetsFromOutsideTest, TheRecentListLivesInAProfileThatCodePage932CannotName) {
    const std::filesystem::path profile = std::filesystem::path(wideOf(appData.file(""))) / L"Zo\u00EB";
    std::filesystem::create_directory(profile);
    SetEnvironmentVariableW(L"APPDATA", profile.c_str());
    open(exampleSheetAt("recent", "人形.txt"));
    restart();
    EXPECT_EQ(recentItems(), std::vector<std::string>{"&1 人形.txt"});
    EXPECT_TRUE(std::filesystem::exists(profile / L"Velmora" / L"recent.txt"));
}

} // namespace

namespace {

// The main window with its recovery copies in a folder of the test's own.
class RecoveryTest : public KeyboardTest {
protected:
    void SetUp() override {
        // A profile named in characters that code page 932 lacks.
        SetEnvironmentVariableW(L"LOCALAPPDATA", (wideOfNarrow(folder.file("")) + L"Zoë").c_str());
        std::filesystem::create_directories(recoveryFile(L""));
        characterSheet.clear();
        ownWindows.clear();
        starter = std::exchange(recoverInOwnWindow, recordOwnWindow);
        KeyboardTest::SetUp();
        currentSheetPath = folder.file("doll.txt");
        command(IDM_SAVE);
    }
    void TearDown() override {
        KeyboardTest::TearDown();
        recoverInOwnWindow = starter;
    }

    std::wstring recoveryFile(const std::wstring& name) const {
        return wideOfNarrow(folder.file("")) + L"Zoë\\Velmora\\Recovery\\" + name;
    }

    // The copies' records in the folder.
    std::size_t copies() const {
        const std::filesystem::path recovery = recoveryFile(L"");
        if (!std::filesystem::exists(recovery))
            return 0;
        return static_cast<std::size_t>(
            std::ranges::count_if(std::filesystem::directory_iterator(recovery),
                                  [](const auto& entry) { return entry.path().extension() == ".about"; }));
    }

    // Runs the program's loop, its timer included, until `count` copies are
    // there; answers how long that took.
    double waitForCopies(std::size_t count) const {
        const DWORD start = GetTickCount();
        while (copies() != count && GetTickCount() - start < 8000) {
            runProgramLoop();
            Sleep(50);
        }
        return (GetTickCount() - start) / 1000.0;
    }

    // A copy that a window no longer running left of the sheet at `sheetPath`.
    void leaveCopy(const std::wstring& name, const std::string& sheetPath,
                   const std::string& dollName) const {
        CharacterSheet left;
        left.setDollName(dollName);
        ASSERT_TRUE(replaceFileContents(recoveryFile(name + L".txt"), left.sheetFileText()));
        replaceFileContents(
            recoveryFile(name + L".about"),
            recoveryRecordText({sheetPath, "2026-12-09 14:03:0" + std::string(name.begin(), name.end())}));
    }

    static bool recordOwnWindow(const std::wstring& name) {
        ownWindows.push_back(name);
        return true;
    }

    inline static std::vector<std::wstring> ownWindows;
    bool (*starter)(const std::wstring&) = nullptr;
};

// The copy comes within 5 seconds of an edit and goes as soon as nothing is
// unsaved.
TEST_F(RecoveryTest, ACopyFollowsTheUnsavedEdits) {
    const std::string other = folder.file("other.txt");
    ASSERT_TRUE(characterSheet.saveSheet(other));
    const struct {
        const char* what;
        std::function<void()> giveUp;
    } cases[] = {
        {"a save", [this] { command(IDM_SAVE); }},
        {"an undo to the saved state", [this] { command(IDM_UNDO); }},
        {"No, then a new sheet",
         [this] {
             DialogAnswer no("変更の保存", IDNO);
             command(IDM_NEW);
         }},
        {"No, then an open",
         [&] {
             DialogAnswer no("変更の保存", IDNO);
             DialogAnswer open("ファイルを開く", IDOK, other);
             command(IDM_OPEN);
         }},
    };
    for (const auto& c : cases) {
        // Named here without the window reading it, a file there would be
        // one the window does not know, and Ctrl+S would ask first.
        std::filesystem::remove(folder.file("doll.txt"));
        currentSheetPath = folder.file("doll.txt");
        command(IDM_SAVE);
        SetFocus(formControl(IDC_DOLL_NAME));
        type("Lily");
        EXPECT_LE(waitForCopies(1), 5.0) << c.what;
        ASSERT_EQ(copies(), 1u) << c.what;
        c.giveUp();
        EXPECT_EQ(copies(), 0u) << c.what;
    }
}

// Yes shows the copy here with its edits unsaved, No removes it, Cancel
// keeps it for the next start.
TEST_F(RecoveryTest, ALeftCopyIsOfferedWithEachAnswer) {
    const std::string sheet = folder.file("リリィ.txt");
    const struct {
        int answer;
        std::size_t copiesAfter;
        const char* shownName;
    } cases[] = {{IDCANCEL, 1, ""}, {IDNO, 0, ""}, {IDYES, 1, "Lily"}};
    for (const auto& c : cases) {
        leaveCopy(L"1", sheet, "Lily");
        std::string question;
        DialogAnswer offered("変更の復元", c.answer,
                             [&question](HWND box) { question = readControlText(GetDlgItem(box, 0xFFFF)); });
        offerRecoveryCopies(window, true);
        EXPECT_TRUE(offered.answered()) << c.answer;
        EXPECT_TRUE(question.starts_with("リリィ.txt の保存されていない変更が残っています（12月9日 14:03）"))
            << question;
        EXPECT_EQ(copies(), c.copiesAfter) << c.answer;
        EXPECT_EQ(characterSheet.getDollName(), c.shownName) << c.answer;
    }
    EXPECT_EQ(readControlText(window), "*リリィ.txt - Velmoraキャラ管理ツール ver 1.002");
    EXPECT_EQ(formText(IDC_DOLL_NAME), "Lily");
    command(IDM_SAVE);
    EXPECT_EQ(copies(), 0u) << "the saved sheet's copy stays";
    CharacterSheet saved;
    ASSERT_TRUE(saved.loadSheet(sheet));
    EXPECT_EQ(saved.getDollName(), "Lily");
}

// A copy whose window still runs is not offered, one that is no sheet is
// removed, and of two accepted the second opens in a window of its own.
TEST_F(RecoveryTest, OnlyCopiesOfWindowsGoneAreOffered) {
    leaveCopy(L"1", "", "Lily");
    leaveCopy(L"2", "", "Mika");
    leaveCopy(L"3", "", "Nana");
    replaceFileContents(recoveryFile(L"4.txt"), "no sheet");
    replaceFileContents(recoveryFile(L"4.about"), recoveryRecordText({"", "2026-12-09 14:03:04"}));
    HANDLE running = CreateFileW(recoveryFile(L"3.lock").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);
    int offered = 0;
    {
        DialogAnswer both("変更の復元", 0, [&offered](HWND box) {
            for (HWND next = box; next != nullptr && offered < 3;) {
                ++offered;
                SendMessageA(GetDlgItem(next, IDYES), BM_CLICK, 0, 0);
                const HWND answered = next;
                next = nullptr;
                for (int wait = 0; wait < 20 && next == nullptr; ++wait) {
                    Sleep(50);
                    HWND found = FindWindowA("#32770", "変更の復元");
                    next = found != answered ? found : nullptr;
                }
            }
        });
        offerRecoveryCopies(window, true);
    }
    CloseHandle(running);
    EXPECT_EQ(offered, 2) << "the copy of a running window was offered";
    EXPECT_EQ(characterSheet.getDollName(), "Mika") << "the newest first";
    EXPECT_EQ(ownWindows, std::vector<std::wstring>{L"1"});
    EXPECT_FALSE(std::filesystem::exists(recoveryFile(L"4.about")));
    EXPECT_NE(statusText().find("復元できない変更のコピーを削除しました（1 件）"), std::string::npos)
        << statusText();
}

} // namespace

namespace {

// ---- One window a sheet; a file changed elsewhere ----

// Another main window of the program, as a second process would show it: of
// the class "toolbase" (registered for another module, the test's own being
// the program's), holding `sheet` and answering the program's question as
// the program's windows do.
class OtherMainWindow {
public:
    explicit OtherMainWindow(std::string sheet) : sheet(wideOfNarrow(sheet)) {
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = procedure;
            windowClass.hInstance = GetModuleHandleA("kernel32.dll");
            windowClass.lpszClassName = "toolbase";
            return RegisterClassA(&windowClass) != 0;
        }();
        EXPECT_TRUE(registered);
        window = CreateWindowExA(0, "toolbase", "other", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, GetModuleHandleA("kernel32.dll"), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~OtherMainWindow() { DestroyWindow(window); }
    OtherMainWindow(const OtherMainWindow&) = delete;
    OtherMainWindow& operator=(const OtherMainWindow&) = delete;

    std::vector<std::wstring> asked;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<OtherMainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_COPYDATA || self == nullptr)
            return DefWindowProcA(window, message, wParam, lParam);
        const std::optional<std::wstring> path = askedSheetPath(*reinterpret_cast<COPYDATASTRUCT*>(lParam));
        if (path)
            self->asked.push_back(*path);
        return path && isSameFile(*path, self->sheet);
    }

    std::wstring sheet;
    HWND window = nullptr;
};

// The program's window holds a sheet with an unsaved edit; the other window
// holds another sheet, which each way in asks for, spelled otherwise: the
// program's window keeps its sheet and asks nothing.
TEST_F(SheetsFromOutsideTest, ASheetHeldByAnotherWindowBringsThatOneForward) {
    const std::string held = exampleSheetAt("other", "ソ.txt");
    const std::string link = folder.file("other\\link.txt");
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), held.c_str(), nullptr));
    std::string upper = folder.file("");
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return std::toupper(c); });
    upper += "other\\ソ.TXT";
    const std::string roundabout = folder.file("other\\..\\other\\ソ.txt");
    const struct {
        const char* way;
        std::string asked;
        std::function<void()> ask;
        bool questionFirst; // the question about unsaved edits comes before the way is chosen
    } ways[] = {
        {"the command line", held, [&] { EXPECT_TRUE(sheetsHeldNowhere({wideOf(held)}).empty()); }, false},
        {"a drop of a hard link", link,
         [&] { SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf({link})), 0); }, false},
        {"the recent list", upper,
         [&] {
             writeBytes(listFile(), utf8OfWide(wideOf(upper)) + "\r\n");
             recentItems();
             command(IDM_RECENT_FIRST);
         },
         false},
        {"the open dialog, which takes \"..\" out", held,
         [&] {
             DialogAnswer no("変更の保存", IDNO);
             DialogAnswer ok("ファイルを開く", IDOK, roundabout);
             command(IDM_OPEN);
             EXPECT_TRUE(ok.answered());
         },
         true},
    };
    const std::string mine = exampleSheetAt("sheets", "リリィ.txt");
    for (const auto& w : ways) {
        OtherMainWindow other(held);
        open(mine);
        typeDollName();
        other.asked.clear();
        {
            std::optional<DialogAnswer> none;
            if (!w.questionFirst)
                none.emplace(
                    "変更の保存", IDCANCEL, [](HWND) {}, 1);
            w.ask();
            EXPECT_FALSE(none && none->answered()) << w.way;
        }
        EXPECT_EQ(other.asked, std::vector<std::wstring>{wideOf(w.asked)}) << w.way;
        EXPECT_EQ(title(), "*リリィ.txt - " + startTitle()) << w.way;
        EXPECT_EQ(characterSheet.getDollName(), "Lily") << w.way;
        EXPECT_TRUE(ownWindows.empty()) << w.way;
        DialogAnswer no("変更の保存", IDNO);
        command(IDM_NEW);
    }
}

// A copy accepted at start whose sheet another window holds: that window
// comes forward, and the copy waits for a later start.
TEST_F(RecoveryTest, ACopyOfASheetHeldElsewhereWaits) {
    const std::string held = folder.file("リリィ.txt");
    writeBytes(held, readBytes(fixturePath("example-sheet.txt")));
    OtherMainWindow other(held);
    leaveCopy(L"1", held, "Lily");
    const std::string title = readControlText(window);
    DialogAnswer yes("変更の復元", IDYES);
    offerRecoveryCopies(window, true);
    EXPECT_TRUE(yes.answered());
    EXPECT_EQ(other.asked, std::vector<std::wstring>{wideOfNarrow(held)});
    EXPECT_EQ(readControlText(window), title);
    EXPECT_NE(characterSheet.getDollName(), "Lily");
    EXPECT_EQ(copies(), 1u);
    EXPECT_TRUE(ownWindows.empty());
}

// A sheet written after its copy was: saving the recovered edits over it
// asks first.
TEST_F(RecoveryTest, ACopyOfASheetWrittenSinceAsksBeforeItsSave) {
    const std::string sheet = folder.file("リリィ.txt");
    for (const bool writtenSince : {false, true}) {
        writeBytes(sheet, readBytes(fixturePath("example-sheet.txt")));
        Sleep(50);
        // Each a copy of its own: the window keeps the name of one it took on.
        leaveCopy(writtenSince ? L"2" : L"1", sheet, "Lily");
        Sleep(50);
        if (writtenSince)
            writeBytes(sheet, readBytes(fixturePath("example-sheet.txt")));
        {
            DialogAnswer yes("変更の復元", IDYES);
            offerRecoveryCopies(window, true);
            ASSERT_TRUE(yes.answered());
        }
        DialogAnswer overwrite(
            "ファイルの変更", IDYES, [](HWND) {}, writtenSince ? 20 : 1);
        command(IDM_SAVE);
        EXPECT_EQ(overwrite.answered(), writtenSince);
        EXPECT_NE(readBytes(sheet).find("\r\nLily\r\n"), std::string::npos) << writtenSince;
    }
}

// Asked by another window, with the sheet spelled otherwise, the program's
// window comes forward from the taskbar; it answers no for another file and
// while its sheet has no file.
TEST_F(UnsavedEditsTest, AnotherWindowAskingForTheSheetBringsThisOneForward) {
    const std::string sheet = exampleSheetAt("sheets", "リリィ.txt");
    const std::string other = exampleSheetAt("sheets", "ソ.txt");
    HWND asking = createHostWindow(200, 100);
    EXPECT_FALSE(shownElsewhere(asking, wideOf(sheet))) << "a sheet never saved";
    open(sheet);
    const struct {
        std::string asked;
        bool held;
    } cases[] = {{other, false}, {folder.file("sheets\\..\\sheets\\リリィ.txt"), true}};
    for (const auto& c : cases) {
        ShowWindow(window, SW_MINIMIZE);
        SetForegroundWindow(asking);
        pumpMessages();
        const std::string status = statusText();
        EXPECT_EQ(shownElsewhere(asking, wideOf(c.asked)), c.held) << c.asked;
        pumpMessages();
        EXPECT_EQ(IsIconic(window) == FALSE, c.held) << c.asked;
        EXPECT_EQ(GetForegroundWindow() == window, c.held) << c.asked;
        if (c.held)
            EXPECT_TRUE(endsWith(statusText(), " このシートはこのウィンドウで開いています")) << statusText();
        else
            EXPECT_EQ(statusText(), status);
    }
    DestroyWindow(asking);
}

// The sheet's file as another program writes it: the example with another
// doll's name.
std::string otherProgramsBytes() {
    std::string bytes = readBytes(fixturePath("example-sheet.txt"));
    const std::size_t name = bytes.find("\r\nリリィ\r\n") + 2;
    return bytes.replace(name, std::string("リリィ").size(), "Mika");
}

bool isDefaultButton(HWND box, int id) {
    return (GetWindowLongA(GetDlgItem(box, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// What a message box asked, and which of its buttons was the default.
struct Asked {
    std::string text;
    int defaultButton = 0;
    void operator()(HWND box) {
        text = readControlText(GetDlgItem(box, 0xFFFF));
        for (int id : {IDYES, IDNO, IDCANCEL})
            defaultButton = isDefaultButton(box, id) ? id : defaultButton;
    }
};

class FileChangedElsewhereTest : public UnsavedEditsTest {
protected:
    void SetUp() override {
        UnsavedEditsTest::SetUp();
        sheet = exampleSheetAt("sheets", "リリィ.txt");
        open(sheet);
    }

    // The user goes to another window and comes back.
    void leaveAndComeBack() const {
        HWND elsewhere = createHostWindow(200, 100);
        SetForegroundWindow(elsewhere);
        pumpMessages();
        SetForegroundWindow(window);
        pumpMessages();
        DestroyWindow(elsewhere);
        SetForegroundWindow(window);
        pumpMessages();
    }

    std::string sheet;
};

// Ctrl+S, and the Yes of the question before the edits go (here, before a
// new sheet), on a file another program rewrote.
TEST_F(FileChangedElsewhereTest, ASaveOverItAsksFirst) {
    const std::string other = folder.file("sheets\\other.txt");
    const struct {
        int answer;
        bool viaNewSheet;
        std::string file; // what the sheet's file holds afterwards
        bool savedElsewhere;
        const char* title;
    } cases[] = {
        {IDYES, false, "Lily", false, "リリィ.txt"},
        {IDNO, false, "Mika", true, "other.txt"},
        {IDCANCEL, false, "Mika", false, "*リリィ.txt"},
        {IDCANCEL, true, "Mika", false, "*リリィ.txt"},
    };
    for (const auto& c : cases) {
        const std::string where = std::to_string(c.answer) + (c.viaNewSheet ? " via a new sheet" : "");
        restart();
        writeBytes(sheet, readBytes(fixturePath("example-sheet.txt")));
        open(sheet);
        std::filesystem::remove(other);
        typeDollName();
        writeBytes(sheet, otherProgramsBytes());
        Asked asked;
        DialogAnswer question("ファイルの変更", c.answer, std::ref(asked));
        DialogAnswer saveAs(
            "名前を付けてファイルを保存", IDOK,
            [&](HWND dialog) {
                SendMessageA(fileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()));
            },
            c.savedElsewhere ? 20 : 1);
        std::optional<DialogAnswer> goes;
        if (c.viaNewSheet)
            goes.emplace("変更の保存", IDYES);
        command(c.viaNewSheet ? IDM_NEW : IDM_SAVE);
        EXPECT_TRUE(question.answered()) << where;
        EXPECT_EQ(asked.text,
                  "リリィ.txt は、開いた後でほかのプログラムによって変更されています。上書きしますか？")
            << where;
        EXPECT_EQ(asked.defaultButton, IDCANCEL) << where;
        EXPECT_EQ(saveAs.answered(), c.savedElsewhere) << where;
        EXPECT_NE(readBytes(sheet).find("\r\n" + c.file + "\r\n"), std::string::npos) << where;
        EXPECT_EQ(fileExists(other), c.savedElsewhere) << where;
        EXPECT_EQ(title(), c.title + (" - " + startTitle())) << where;
    }
    // Written over, the file is the window's own again.
    {
        DialogAnswer yes("ファイルの変更", IDYES);
        command(IDM_SAVE);
        EXPECT_TRUE(yes.answered());
    }
    DialogAnswer none(
        "ファイルの変更", IDCANCEL, [](HWND) {}, 1);
    command(IDM_SAVE);
    EXPECT_FALSE(none.answered());
}

// Coming back to the window after another program rewrote its file, with
// and without an unsaved edit; No is remembered until the file changes
// again, and a later save asks first. A file gone asks nothing.
TEST_F(FileChangedElsewhereTest, ComingBackOffersToReadItAgain) {
    const std::string question =
        "リリィ.txt は、ほかのプログラムによって変更されました。読み込み直しますか？";
    const struct {
        bool edited;
        int answer;
        const char* shownName;
    } cases[] = {
        {false, IDYES, "Mika"}, {true, IDYES, "Mika"}, {false, IDNO, "リリィ"}, {true, IDNO, "Lily"}};
    for (const auto& c : cases) {
        const std::string where = std::to_string(c.edited) + "/" + std::to_string(c.answer);
        restart();
        writeBytes(sheet, readBytes(fixturePath("example-sheet.txt")));
        open(sheet);
        if (c.edited)
            typeDollName();
        writeBytes(sheet, otherProgramsBytes());
        Asked asked;
        {
            DialogAnswer answer("ファイルの変更", c.answer, std::ref(asked));
            leaveAndComeBack();
            EXPECT_TRUE(answer.answered()) << where;
        }
        EXPECT_EQ(asked.text, c.edited ? question + "\nこのウィンドウの変更は失われます。" : question)
            << where;
        EXPECT_EQ(asked.defaultButton, c.edited ? IDNO : IDYES) << where;
        EXPECT_EQ(characterSheet.getDollName(), c.shownName) << where;
        EXPECT_EQ(formText(IDC_DOLL_NAME), c.shownName) << where;
        EXPECT_EQ(title().starts_with("*"), c.edited && c.answer == IDNO) << where;
        {
            DialogAnswer none(
                "ファイルの変更", IDCANCEL, [](HWND) {}, 1);
            leaveAndComeBack();
            EXPECT_FALSE(none.answered()) << where << ": asked again";
        }
        DialogAnswer overwrite(
            "ファイルの変更", IDCANCEL, [](HWND) {}, c.answer == IDNO ? 20 : 1);
        command(IDM_SAVE);
        EXPECT_EQ(overwrite.answered(), c.answer == IDNO) << where;
    }
    std::filesystem::remove(sheet);
    DialogAnswer none(
        "ファイルの変更", IDCANCEL, [](HWND) {}, 1);
    leaveAndComeBack();
    command(IDM_SAVE);
    EXPECT_FALSE(none.answered());
    EXPECT_EQ(readBytes(sheet).find("\r\nMika\r\n"), std::string::npos);
    EXPECT_TRUE(fileExists(sheet));
}

// ---- The catalogues of parts and skills ----

// Parts under the four locations, skills in the chat palette's form with no
// heading.
constexpr char partCatalogue[] = "; 部位ごとに\r\n"
                                 "[頭]\r\nのうみそ\tオート\tなし\tなし\t最大行動値+2\r\n"
                                 "めだま\tオート\tなし\tなし\t最大行動値+1\r\n"
                                 "[腕]\r\nこぶし\tアクション\t2\t0\t白兵攻撃1\r\n"
                                 "[脚]\r\nほね\tアクション\t3\t自身\t移動1\r\n";
constexpr char skillCatalogue[] = "【加速】オート/なし/自身：移動+1\r\n【かばう】ダメージ/0/0：肩代わり\r\n";

class CatalogueTest : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        writeBytes("Database\\パーツ.txt", partCatalogue);
        writeBytes("Database\\スキル.txt", skillCatalogue);
        characterSheet.setSkills({{"a", "", "", "", ""}, {"b", "", "", "", ""}, {"c", "", "", "", ""}});
        for (BodyLocation location : {BodyLocation::head, BodyLocation::arms, BodyLocation::legs})
            characterSheet.setParts(location, lettered("abc"));
        refreshSheetForm();
        currentSheetPath = folder.file("catalogue.txt");
        command(IDM_SAVE);
    }
};

// What a dialog showed, read on the answering thread.
struct ShownCatalogue {
    std::string group;
    std::string names;
    std::vector<int> selected;
    std::string summary;
};

ShownCatalogue shownCatalogue(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_CATALOGUE_ENTRIES);
    ShownCatalogue shown{readControlText(GetDlgItem(dialog, IDC_CATALOGUE_GROUP)), shownLetters(list),
                         selectedRows(list), readControlText(GetDlgItem(dialog, IDC_CATALOGUE_SUMMARY))};
    return shown;
}

// Waits a while for what a posted message does on the dialog's thread.
bool eventually(const std::function<bool()>& done) {
    for (int wait = 0; wait < 100 && !done(); ++wait)
        Sleep(20);
    return done();
}

// Ctrl+K on a list, a search typed, then the dialog answered by a key in the
// search box, or by 追加 with every row selected (key 0): what it showed,
// what the list and the record hold after, the title's star and one undo
// putting the list back.
TEST_F(CatalogueTest, AddsTheChosenEntriesAfterTheSelectionAsOneStep) {
    const struct {
        const char* what;
        bool skills;
        std::vector<int> selected;
        bool allGroups; // the group choice set to "すべて"
        const char* search;
        WPARAM key;
        ShownCatalogue shown;
        const char* after;
        std::vector<int> selectedAfter;
    } cases[] = {
        {"a part list on its location, katakana searched",
         false,
         {0},
         false,
         "メダマ",
         VK_RETURN,
         {"頭", "めだま", {0}, "1 件: "},
         "aめだまbc",
         {1}},
        {"the skill list, both added",
         true,
         {},
         false,
         "",
         0,
         {"すべて", "加速かばう", {0}, "2 件: "},
         "abc加速かばう",
         {3, 4}},
        {"every group, a timing in half-width searched",
         false,
         {1, 2},
         true,
         "ｵｰﾄ",
         VK_RETURN,
         {"すべて", "のうみそめだま", {0}, "2 件: "},
         "abcのうみそ",
         {3}},
        {"Escape", false, {0}, false, "", VK_ESCAPE, {"頭", "のうみそめだま", {0}, "2 件: "}, "abc", {0}},
    };
    for (const auto& c : cases) {
        HWND list = c.skills ? sheetForm.skillList : sheetForm.headList;
        select(list, c.selected);
        ShownCatalogue shown;
        bool searchFocused = false;
        {
            DialogAnswer answer("カタログ", 0, [&](HWND dialog) {
                searchFocused = eventually([&] {
                    GUITHREADINFO thread{};
                    thread.cbSize = sizeof thread;
                    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
                    return thread.hwndFocus == GetDlgItem(dialog, IDC_CATALOGUE_SEARCH);
                });
                HWND group = GetDlgItem(dialog, IDC_CATALOGUE_GROUP);
                if (c.allGroups) {
                    SendMessageA(group, CB_SETCURSEL, 1, 0);
                    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CATALOGUE_GROUP, CBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(group));
                }
                SetDlgItemTextA(dialog, IDC_CATALOGUE_SEARCH, c.search);
                shown = shownCatalogue(dialog);
                if (c.key != 0) {
                    PostMessageA(GetDlgItem(dialog, IDC_CATALOGUE_SEARCH), WM_KEYDOWN, c.key, 1);
                    return;
                }
                ListView_SetItemState(GetDlgItem(dialog, IDC_CATALOGUE_ENTRIES), -1, LVIS_SELECTED,
                                      LVIS_SELECTED);
                SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            });
            const HeldKey control(VK_CONTROL);
            press('K');
            ASSERT_TRUE(answer.answered()) << c.what;
        }
        EXPECT_TRUE(searchFocused) << c.what;
        EXPECT_EQ(shown.group, c.shown.group) << c.what;
        EXPECT_EQ(shown.names, c.shown.names) << c.what;
        EXPECT_EQ(shown.selected, c.shown.selected) << c.what;
        EXPECT_EQ(shown.summary.rfind(c.shown.summary, 0), 0u) << c.what << ": " << shown.summary;
        EXPECT_TRUE(
            endsWith(shown.summary, "\\Database\\" + std::string(c.skills ? "スキル" : "パーツ") + ".txt"))
            << shown.summary;
        EXPECT_EQ(shownLetters(list), c.after) << c.what;
        EXPECT_EQ(c.skills ? recordedLetters(characterSheet.getSkills())
                           : recordedLetters(characterSheet.getHeadParts()),
                  c.after)
            << c.what;
        EXPECT_EQ(selectedRows(list), c.selectedAfter) << c.what;
        const bool added = std::string(c.after) != "abc";
        EXPECT_EQ(readControlText(window)[0] == '*', added) << c.what;
        if (added)
            command(IDM_UNDO);
        EXPECT_EQ(shownLetters(list), "abc") << c.what << ": more than one step to undo";
        EXPECT_EQ(readControlText(window)[0] == '*', false) << c.what;
    }
}

// Start-up leaves the catalogues alone: one that is no text is told of only
// when the catalogue dialog first needs it.
TEST_F(MainWindowTest, StartsWithoutReadingTheCatalogues) {
    writeBytes("Database\\パーツ.txt", std::string("\0", 1));
    DestroyWindow(window);
    pumpMessages();
    startMainWindow();
    EXPECT_EQ(statusText(), "ステータスバー");
    SetFocus(sheetForm.headList);
    DialogAnswer close("カタログ", IDCANCEL);
    command(IDM_ADD_FROM_CATALOGUE);
    ASSERT_TRUE(close.answered());
    EXPECT_NE(statusText().find("パーツ.txt"), std::string::npos) << statusText();
}

// A missing file, one over the size limit and one that is no text: the
// dialog opens empty and says why; the status bar names the file that
// could not be read.
TEST_F(CatalogueTest, AnUnreadableCatalogueOpensEmptyAndSaysWhy) {
    const struct {
        const char* what;
        std::optional<std::string> bytes;
        CatalogueProblem problem;
        bool told;
    } cases[] = {
        {"missing", std::nullopt, CatalogueProblem::missing, false},
        {"over the limit", std::string(catalogueByteLimit + 1, 'a'), CatalogueProblem::tooLarge, true},
        {"a NUL byte", std::string("こぶし\0\r\n", 9), CatalogueProblem::notText, true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove("Database\\パーツ.txt");
        if (c.bytes)
            writeBytes("Database\\パーツ.txt", *c.bytes);
        select(sheetForm.armList, {});
        ShownCatalogue shown;
        {
            DialogAnswer close("カタログ", IDCANCEL, [&](HWND dialog) { shown = shownCatalogue(dialog); });
            command(IDM_ADD_FROM_CATALOGUE);
            ASSERT_TRUE(close.answered()) << c.what;
        }
        EXPECT_EQ(shown.names, "") << c.what;
        EXPECT_EQ(shown.summary.rfind(catalogueProblemText(c.problem) + ": ", 0), 0u) << shown.summary;
        EXPECT_EQ(statusText().find("パーツ.txt: " + catalogueProblemText(c.problem)) != std::string::npos,
                  c.told)
            << c.what << ": " << statusText();
        EXPECT_EQ(recordedLetters(characterSheet.getArmParts()), "abc") << c.what;
    }
}

// The name box of an entry dialog: a catalogue name fills the boxes still
// empty; the names that begin with what is typed are offered under it.
TEST_F(CatalogueTest, ACatalogueNameFillsOnlyTheEmptyBoxes) {
    const struct {
        const char* what;
        const char* cost; // typed before the name
        const char* name;
        std::vector<std::string> boxes; // timing, cost, range, effect
    } cases[] = {
        {"a name of the catalogue", "", "こぶし", {"アクション", "2", "0", "白兵攻撃1"}},
        {"a cost already typed", "1", "こぶし", {"アクション", "1", "0", "白兵攻撃1"}},
        {"a name that no entry has", "", "こぶし改", {"", "", "", ""}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> boxes;
        DialogAnswer cancel("パーツ", IDCANCEL, [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_PART_COST, c.cost);
            SetDlgItemTextA(dialog, IDC_PART_NAME, c.name);
            for (int id : {IDC_PART_TIMING, IDC_PART_COST, IDC_PART_RANGE, IDC_PART_EFFECT})
                boxes.push_back(readControlText(GetDlgItem(dialog, id)));
        });
        select(sheetForm.armList, {});
        command(IDM_ADD_ENTRY);
        ASSERT_TRUE(cancel.answered()) << c.what;
        EXPECT_EQ(boxes, c.boxes) << c.what;
    }
}

TEST_F(CatalogueTest, TheNameBoxOffersNamesToTakeWithTheKeys) {
    bool offered = false, closedByEscape = false, stillOpen = false;
    std::string taken, effect;
    DialogAnswer ok("パーツ", 0, [&](HWND dialog) {
        HWND name = GetDlgItem(dialog, IDC_PART_NAME);
        HWND suggestions = FindWindowExA(dialog, nullptr, "ListBox", nullptr);
        SetWindowTextA(name, "め");
        offered = IsWindowVisible(suggestions) && ListBox_GetCount(suggestions) == 1;
        PostMessageA(name, WM_KEYDOWN, VK_ESCAPE, 1);
        closedByEscape = eventually([&] { return !IsWindowVisible(suggestions); });
        stillOpen = IsWindowVisible(dialog) != FALSE;
        SetWindowTextA(name, "ノ");
        PostMessageA(name, WM_KEYDOWN, VK_DOWN, 1);
        PostMessageA(name, WM_KEYDOWN, VK_RETURN, 1);
        eventually([&] { return readControlText(name) == "のうみそ"; });
        taken = readControlText(name);
        effect = readControlText(GetDlgItem(dialog, IDC_PART_EFFECT));
        PostMessageA(name, WM_KEYDOWN, VK_RETURN, 1);
    });
    select(sheetForm.headList, {});
    command(IDM_ADD_ENTRY);
    ASSERT_TRUE(ok.answered());
    EXPECT_TRUE(offered);
    EXPECT_TRUE(closedByEscape);
    EXPECT_TRUE(stillOpen) << "Escape in the list closed the dialog";
    EXPECT_EQ(taken, "のうみそ");
    EXPECT_EQ(effect, "最大行動値+2");
    EXPECT_EQ(characterSheet.getHeadParts().back(),
              (PartEntry{0, "のうみそ", "オート", "なし", "なし", "最大行動値+2"}));
}

// ---- Registering entries in the catalogues ----

// What the register dialog showed, and the message box it showed over
// itself after 登録, if any.
struct ShownRegistration {
    std::string heading, headings, summary, message;
};

ShownRegistration registerBy(int button, const std::function<void()>& press) {
    ShownRegistration shown;
    DialogAnswer answer("カタログに登録", 0, [&](HWND dialog) {
        HWND heading = GetDlgItem(dialog, IDC_REGISTER_HEADING);
        shown.heading = readControlText(heading);
        for (int i = 0; i < ComboBox_GetCount(heading); ++i) {
            char item[64] = {};
            ComboBox_GetLBText(heading, i, item);
            shown.headings += item + std::string(";");
        }
        shown.summary = readControlText(GetDlgItem(dialog, IDC_REGISTER_SUMMARY));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        HWND box = nullptr;
        eventually([&] {
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", "カタログに登録")) != nullptr;)
                box = w != dialog && IsWindowVisible(w) ? w : box;
            return box != nullptr;
        });
        if (box != nullptr) {
            shown.message = readControlText(GetDlgItem(box, 0xFFFF));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    });
    press();
    EXPECT_TRUE(answer.answered());
    return shown;
}

// Ctrl+Shift+K on a list: the heading it starts on, the file's headings,
// what it says, the message box after 登録 on a read-only file, and the file
// after; the sheet is not edited.
TEST_F(CatalogueTest, RegistersTheSelectedEntriesUnderTheListsHeading) {
    const std::string added =
        std::string(partCatalogue)
            .insert(std::string(partCatalogue).find("[腕]"), "a\tt\tc\tr\te\r\nb\tt\tc\tr\te\r\n");
    const std::string readOnly = "パーツ.txt\n" + catalogueProblemText(CatalogueProblem::readOnly);
    const struct {
        bool skills;
        const char* mainClass;
        bool readOnly;
        int button;
        ShownRegistration shown; // the summary's end
        std::string fileAfter;
    } cases[] = {
        // clang-format off
        {false, "", false, IDOK, {"頭", "頭;腕;脚;", "パーツ.txt の [頭] に登録します", ""}, added},
        {true, "ノクターン", false, IDCANCEL, {"ノクターン", "", "スキル.txt の [ノクターン] に登録します", ""}, skillCatalogue},
        {false, "", true, IDOK, {"頭", "頭;腕;脚;", "パーツ.txt の [頭] に登録します", readOnly}, partCatalogue},
        // clang-format on
    };
    for (const auto& c : cases) {
        const char* file = c.skills ? "Database\\スキル.txt" : "Database\\パーツ.txt";
        writeBytes(file, c.skills ? skillCatalogue : partCatalogue);
        SetFileAttributesA(file, c.readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        characterSheet.setMainClass(c.mainClass);
        const std::string title = readControlText(window);
        select(c.skills ? sheetForm.skillList : sheetForm.headList, {0, 1});
        const ShownRegistration shown = registerBy(c.button, [&] {
            const HeldKey control(VK_CONTROL), shift(VK_SHIFT);
            press('K');
        });
        SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(shown.heading, c.shown.heading) << file;
        EXPECT_EQ(shown.headings, c.shown.headings) << file;
        EXPECT_TRUE(shown.summary.starts_with("2 件を ") && endsWith(shown.summary, c.shown.summary))
            << shown.summary;
        EXPECT_TRUE(endsWith(shown.message, c.shown.message)) << shown.message;
        EXPECT_EQ(shown.message.empty(), c.shown.message.empty()) << file;
        EXPECT_EQ(readBytes(file), c.fileAfter) << file;
        EXPECT_EQ(readControlText(window), title) << file;
        EXPECT_EQ(recordedLetters(characterSheet.getHeadParts()), "abc") << file;
    }
}

// A heading that names the doll's class: the skill catalogue starts on the
// doll's entries, those under no heading with them.
TEST_F(CatalogueTest, StartsTheSkillCatalogueOnTheDollsEntries) {
    writeBytes("Database\\スキル.txt", "共通\r\n[ルミナス]\r\n光\r\n[ﾉｸﾀｰﾝ]\r\n夜想\r\n");
    characterSheet.setSubClass("ノクターン");
    ShownCatalogue shown;
    DialogAnswer close("カタログ", IDCANCEL, [&](HWND dialog) { shown = shownCatalogue(dialog); });
    select(sheetForm.skillList, {});
    command(IDM_ADD_FROM_CATALOGUE);
    ASSERT_TRUE(close.answered());
    EXPECT_EQ(shown.group, "このドール向け");
    EXPECT_EQ(shown.names, "共通夜想");
}

// ---- The doll list ----

// A made folder of dolls, the list opened on it from the folder of the
// window's sheet, as the first time.
class DollListTest : public SheetsFromOutsideTest {
protected:
    void SetUp() override {
        SheetsFromOutsideTest::SetUp();
        std::filesystem::create_directories(dolls("キャンペーンB"));
        writeBytes(dolls("キャンペーンB\\ソフィア.bmp"),
                   readBytes(fixturePath("portrait-red-over-blue.bmp")));
        writeDoll("キャンペーンB\\ソフィア.txt", "ソフィア", "Mio", 5, "ソフィア.bmp");
        writeDoll("リリィ.txt", "リリィ", "Ken", 10, fixturePath("portrait-red-over-blue.jpg"));
        writeDoll("名無し.txt", "", "", 20);
        writeBytes(dolls("メモ.txt"), "買い物: 糸、ボタン\r\n");
        open(dolls("リリィ.txt"));
        command(IDM_DOLL_LIST);
        list = dollListOf(window);
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(pumpUntil([this] { return shown().size() == 3; }));
    }

    std::string dolls(const std::string& relativePath) const { return folder.file("dolls\\" + relativePath); }

    // The portrait line goes in by hand: a record would load the picture.
    void writeDoll(const std::string& relativePath, const std::string& name, const std::string& player,
                   int minutesAgo, const std::string& portrait = std::string()) const {
        CharacterSheet sheet;
        sheet.setDollName(name);
        sheet.setPlayerName(player);
        std::string text = sheet.sheetFileText();
        text.insert(text.find('\n') + 1, portrait);
        writeBytes(dolls(relativePath), text);
        HANDLE file = CreateFileA(dolls(relativePath).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
        time.QuadPart -= static_cast<ULONGLONG>(minutesAgo) * 60 * 10'000'000;
        const FILETIME written{time.LowPart, time.HighPart};
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }

    // Handles this thread's messages until `done`, or for `rounds` of 20 ms.
    static bool pumpUntil(const std::function<bool()>& done, int rounds = 250) {
        for (int wait = 0; wait < rounds && !done(); ++wait) {
            pumpMessages();
            Sleep(20);
        }
        return done();
    }

    HWND rows() const { return GetDlgItem(list, IDC_DOLL_ROWS); }
    std::string summary() const { return readControlText(GetDlgItem(list, IDC_DOLL_SUMMARY)); }

    std::vector<std::string> shown(int column = 0) const {
        std::vector<std::string> texts;
        for (int row = 0; row < ListView_GetItemCount(rows()); ++row) {
            char text[300] = {};
            ListView_GetItemText(rows(), row, column, text, sizeof text);
            texts.push_back(text);
        }
        return texts;
    }

    void select(int row) const {
        markSelection(rows(), {row});
        SetFocus(rows());
    }

    // A key pressed in the list, through the program's own loop.
    void press(WPARAM key) const {
        for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
            MSG pressed{rows(), message, key, 1, 0, {}};
            deliverMessage(pressed, window, LoadAcceleratorsA(GetModuleHandleA(nullptr), "ACCEL"));
        }
    }

    HWND list = nullptr;
};

// Newest first, then each search typed: the rows, the first one selected,
// and the line under the list; then a header's clicks.
TEST_F(DollListTest, ShowsTheFolderSortedAndSearched) {
    EXPECT_EQ(readControlText(list), "ドール一覧 - " + folder.file("dolls"));
    EXPECT_EQ(shown(5),
              (std::vector<std::string>{"キャンペーンB\\ソフィア.txt", "リリィ.txt", "名無し.txt"}));
    const struct {
        const char* typed;
        std::vector<std::string> names;
        const char* count;
    } searches[] = {
        {"", {"ソフィア", "リリィ", "名無し"}, "3 体 ･ シートでないファイル 1 件 ･ "},
        {"りりぃ", {"リリィ"}, "3 体中 1 体 ･ シートでないファイル 1 件 ･ "},
        {"MIO", {"ソフィア"}, "3 体中 1 体 ･ シートでないファイル 1 件 ･ "},
        {"きゃんぺーん", {"ソフィア"}, "3 体中 1 体 ･ シートでないファイル 1 件 ･ "},
        {"ken 名無し", {}, "3 体中 0 体 ･ シートでないファイル 1 件 ･ "},
    };
    for (const auto& search : searches) {
        SetDlgItemTextA(list, IDC_DOLL_SEARCH, search.typed);
        EXPECT_EQ(shown(), search.names) << search.typed;
        EXPECT_EQ(selectedRows(rows()), search.names.empty() ? std::vector<int>{} : std::vector<int>{0});
        EXPECT_EQ(summary(), search.count + folder.file("dolls")) << search.typed;
    }
    SetDlgItemTextA(list, IDC_DOLL_SEARCH, "");
    HWND header = ListView_GetHeader(rows());
    RECT player;
    Header_GetItemRect(header, 4, &player);
    const LPARAM at = MAKELPARAM((player.left + player.right) / 2, (player.top + player.bottom) / 2);
    for (const auto& order : {std::vector<std::string>{"名無し", "リリィ", "ソフィア"},
                              std::vector<std::string>{"ソフィア", "リリィ", "名無し"}}) {
        SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(header, WM_LBUTTONUP, 0, at);
        EXPECT_EQ(shown(), order);
    }
}

// Enter asks first about the window's unsaved edits; a copy becomes the
// selection and goes to the Recycle Bin after its question; a sheet written
// by someone else comes in; a portrait naming a pipe never opens it.
TEST_F(DollListTest, OpensCopiesRecyclesAndFollowsTheFolder) {
    typeDollName();
    select(0);
    {
        DialogAnswer no("変更の保存", IDNO);
        press(VK_RETURN);
        EXPECT_TRUE(no.answered());
    }
    EXPECT_EQ(formText(IDC_DOLL_NAME), "ソフィア");
    EXPECT_EQ(currentSheetPath, dolls("キャンペーンB\\ソフィア.txt"));
    EXPECT_TRUE(IsWindowVisible(list));
    // The blank frame, and the two portraits.
    EXPECT_TRUE(pumpUntil([this] { return dollThumbnailBytes(list) == 3 * 48 * 64 * 3; }));

    select(1);
    {
        const HeldKey control(VK_CONTROL);
        press('D');
    }
    EXPECT_EQ(readBytes(dolls("リリィ - コピー.txt")), readBytes(dolls("リリィ.txt")));
    ASSERT_TRUE(pumpUntil([this] { return shown().size() == 4; }));
    const std::vector<int> copy = selectedRows(rows());
    ASSERT_EQ(copy.size(), 1u);
    EXPECT_EQ(shown(5)[static_cast<std::size_t>(copy.front())], "リリィ - コピー.txt");

    Asked asked;
    {
        DialogAnswer yes("ドール一覧", IDYES, std::ref(asked));
        press(VK_DELETE);
        EXPECT_TRUE(yes.answered());
    }
    EXPECT_EQ(asked.text, "リリィ - コピー.txt をごみ箱に移動しますか？");
    EXPECT_EQ(asked.defaultButton, IDNO);
    EXPECT_FALSE(fileExists(dolls("リリィ - コピー.txt")));
    EXPECT_TRUE(pumpUntil([this] { return shown().size() == 3; }));

    const std::wstring pipeName = L"\\\\.\\pipe\\velmora-doll-list-test";
    HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    writeDoll("パイプ.txt", "パイプ", "", 0, "\\\\.\\pipe\\velmora-doll-list-test");
    EXPECT_TRUE(pumpUntil([this] { return shown().front() == "パイプ"; }));
    pumpUntil([] { return false; }, 25);
    OVERLAPPED waiting{};
    waiting.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(ConnectNamedPipe(pipe, &waiting));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING)) << "the pipe was opened";
    CancelIo(pipe);
    CloseHandle(waiting.hEvent);
    CloseHandle(pipe);
}

// The bottom row's Del while the folder changes under its question (a sync,
// another window, Explorer): only the chosen sheet goes, and only while it
// is the file the player chose.
TEST_F(DollListTest, RecyclesOnlyTheChosenSheetWhateverTheFolderDoes) {
    const std::vector<std::string> others = {"キャンペーンB\\ソフィア.txt", "リリィ.txt", "名無し.txt"};
    const struct {
        const char* meanwhile;
        std::function<void()> change;
        std::function<bool(const std::vector<std::string>& shown)> seen;
        bool chosenGoes;
    } cases[] = {
        {"another sheet removed", [&] { DeleteFileA(dolls("リリィ.txt").c_str()); },
         [](const auto& shown) { return shown.size() == 3; }, true},
        {"another sheet added", [&] { writeDoll("あたらしい.txt", "あたらしい", "", 1); },
         [](const auto& shown) { return shown.size() == 5; }, true},
        {"another sheet renamed",
         [&] { MoveFileA(dolls("名無し.txt").c_str(), dolls("キャンペーンB\\名無し.txt").c_str()); },
         [this](const auto&) {
             const std::vector<std::string> files = shown(5);
             return std::find(files.begin(), files.end(), "キャンペーンB\\名無し.txt") != files.end();
         },
         true},
        {"the chosen sheet written anew", [&] { writeDoll("ふるい.txt", "あらた", "", 90); },
         [](const auto& shown) { return std::find(shown.begin(), shown.end(), "あらた") != shown.end(); },
         false},
    };
    for (const auto& c : cases) {
        writeDoll("ふるい.txt", "ふるい", "", 120);
        for (const std::string& other : others) {
            if (!fileExists(dolls(other)))
                writeDoll(other, "戻した", "", 30);
        }
        std::filesystem::remove(dolls("あたらしい.txt"));
        std::filesystem::remove(dolls("キャンペーンB\\名無し.txt"));
        ASSERT_TRUE(pumpUntil([this] { return shown().size() == 4 && shown().back() == "ふるい"; }))
            << c.meanwhile;
        select(3);
        Asked asked;
        {
            DialogAnswer yes("ドール一覧", IDYES, [&](HWND box) {
                asked(box);
                c.change();
                for (int wait = 0; wait < 250 && !c.seen(shown()); ++wait)
                    Sleep(20);
            });
            press(VK_DELETE);
            EXPECT_TRUE(yes.answered());
        }
        EXPECT_EQ(asked.text, "ふるい.txt をごみ箱に移動しますか？") << c.meanwhile;
        EXPECT_TRUE(std::filesystem::is_directory(dolls("キャンペーンB"))) << c.meanwhile;
        EXPECT_TRUE(fileExists(dolls("キャンペーンB\\ソフィア.txt"))) << c.meanwhile;
        EXPECT_TRUE(fileExists(dolls("メモ.txt"))) << c.meanwhile;
        EXPECT_NE(fileExists(dolls("ふるい.txt")), c.chosenGoes) << c.meanwhile;
        EXPECT_TRUE(summary().starts_with(c.chosenGoes
                                              ? "ふるい.txt をごみ箱に移動しました ･ "
                                              : "ふるい.txt は選んだ後で変わったため、そのままにしました ･ "))
            << summary();
    }

    // The main window closed while the question is open takes the list with
    // it; the command then does nothing.
    select(0);
    const std::string chosen = dolls(shown(5).front());
    DialogAnswer quit("終了確認", IDYES);
    DialogAnswer closed("ドール一覧", 0, [this](HWND box) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        for (int wait = 0; wait < 250 && IsWindow(box); ++wait)
            Sleep(20);
    });
    press(VK_DELETE);
    EXPECT_TRUE(closed.answered());
    EXPECT_TRUE(quit.answered());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(fileExists(chosen));
}

// The party's piece: the selected dolls in one ZIP named after the folder,
// each with its portrait, the line under the list telling of it.
TEST_F(DollListTest, SavesTheSelectedDollsAsOnePiece) {
    markSelection(rows(), {0, 1});
    std::string offered;
    DialogAnswer save("ユドナリウム用コマを保存", IDOK,
                      [&offered](HWND dialog) { offered = readControlText(fileNameBox(dialog)); });
    SendMessageA(list, WM_COMMAND, IDM_DOLL_SAVE_UDONARIUM, 0);
    ASSERT_TRUE(save.answered());
    EXPECT_EQ(offered, "dolls");
    ASSERT_TRUE(pumpUntil([this] { return summary().starts_with("ユドナリウム用コマを保存しました: "); }))
        << summary();
    EXPECT_TRUE(summary().starts_with("ユドナリウム用コマを保存しました: " + dolls("dolls.zip") + " ･ "))
        << summary();
    const std::optional<std::map<std::string, std::string>> entries = zipEntries(dolls("dolls.zip"));
    ASSERT_TRUE(entries);
    std::vector<std::string> names;
    for (const auto& [name, bytes] : *entries)
        names.push_back(name.substr(name.find('.')));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".bmp", ".jpg", ".xml", ".xml"}));
    EXPECT_NE(entries->at("1.xml").find(codePage932ToUtf8("ソフィア")), std::string::npos);
    EXPECT_NE(entries->at("2.xml").find(codePage932ToUtf8("リリィ")), std::string::npos);
}

// Closed and opened again, the list shows the same folder in the same order,
// where it was; closed while reading, it leaves no thread behind.
TEST_F(DollListTest, KeepsItsFolderOrderAndPlace) {
    HWND header = ListView_GetHeader(rows());
    RECT player;
    Header_GetItemRect(header, 4, &player);
    const LPARAM at = MAKELPARAM((player.left + player.right) / 2, (player.top + player.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
    MoveWindow(list, 40, 30, 700, 400, TRUE);
    SendMessageA(list, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(dollListOf(window), nullptr);
    command(IDM_NEW);
    command(IDM_DOLL_LIST);
    list = dollListOf(window);
    ASSERT_TRUE(pumpUntil([this] { return shown().size() == 3; }));
    EXPECT_EQ(shown(), (std::vector<std::string>{"名無し", "リリィ", "ソフィア"}));
    RECT place;
    GetWindowRect(list, &place);
    EXPECT_EQ(place.left, 40);
    EXPECT_EQ(place.right - place.left, 700);

    // Closed while it reads a large folder, it tells its threads to stop,
    // and they end without being waited for.
    SendMessageA(list, WM_COMMAND, IDCANCEL, 0);
    std::filesystem::create_directories(dolls("多数"));
    // Enough sheets that even a loaded machine is still reading them when
    // the list closes.
    for (int doll = 0; doll < 3000; ++doll)
        writeDoll("多数\\" + std::to_string(doll) + ".txt", "ドール", "", 30);
    const auto threads = [] {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 thread{};
        thread.dwSize = sizeof thread;
        int count = 0;
        for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread))
            count += thread.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
        CloseHandle(snapshot);
        return count;
    };
    const int before = threads();
    command(IDM_DOLL_LIST);
    list = dollListOf(window);
    ASSERT_TRUE(pumpUntil([this] { return !shown().empty(); }));
    EXPECT_LT(shown().size(), 3003u);
    SendMessageA(list, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(dollListOf(window), nullptr);
    // A thread told to stop ends on its own, and may stay listed a moment
    // while Wine's server lets it go; a loaded machine takes longer.
    EXPECT_TRUE(pumpUntil([&] { return threads() == before; }, 750))
        << threads() << " threads, " << before << " before";
}

} // namespace

namespace {

// The versions of one sheet file reached by another spelling of its path,
// kept in a profile of the test's own.
TEST(SheetVersionsOfAFile, AnotherSpellingNamesTheSameSheet) {
    ScratchFolder folder;
    wchar_t previous[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", previous, MAX_PATH);
    SetEnvironmentVariableW(L"LOCALAPPDATA", (wideOfNarrow(folder.file("")) + L"Zoë").c_str());
    std::filesystem::create_directories(wideOfNarrow(folder.file("")) + L"Zoë");
    std::filesystem::create_directory(folder.file("sub"));
    const std::string sheet = folder.file("Lily Sheet.txt");
    writeBytes(sheet, "first");
    ASSERT_EQ(keepVersionBeforeSave(sheet, "second"), VersionKept::kept);
    writeBytes(sheet, "second");
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(sheet.c_str(), shortName, MAX_PATH);
    std::string otherCase = sheet;
    std::transform(otherCase.begin(), otherCase.end(), otherCase.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    const std::string spellings[] = {otherCase, shortName, folder.file("sub\\..\\Lily Sheet.txt")};
    for (const std::string& spelling : spellings) {
        EXPECT_EQ(sheetKeyOf(spelling), sheetKeyOf(sheet)) << spelling;
        ASSERT_EQ(versionsOf(spelling).size(), 1u) << spelling;
        EXPECT_EQ(versionBytes(spelling, versionsOf(spelling)[0].id), "first") << spelling;
    }
    EXPECT_EQ(keepVersionBeforeSave(otherCase, "third"), VersionKept::kept) << "the sheet's second version";
    EXPECT_EQ(sheetKeyOf(folder.file("sub\\..\\Gone.txt")), sheetKeyOf(folder.file("GONE.TXT")))
        << "a file not there yet";
    EXPECT_TRUE(versionsOf("").empty()) << "a sheet never saved";
    SetEnvironmentVariableW(L"LOCALAPPDATA", previous);
}

} // namespace
