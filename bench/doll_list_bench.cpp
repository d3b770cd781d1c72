// The doll list's window on a folder of 1,000 sheets in 20 subfolders, each
// naming one of 50 noisy 1600 x 1200 photographs, against plain loops
// measured in the same run, figure and floor taking turns: the first
// screenful of names and all the rows (against a bare window of the list's
// template whose owner-data list shows those rows read in a plain loop, and
// for all the rows the first screenful's thumbnails made in a plain loop),
// the first screenful's thumbnails, and a search keystroke until painted
// (against a bare owner-data list showing the same rows with a search box);
// then, in openings of their own, the longest the window takes to answer a
// message while it reads, and the thumbnails' memory on 10,000 sheets.
// Prints figures and ratios; asserts nothing.

#include "app/MainWindow.h"
#include "dolls/DollList.h"
#include "dolls/DollListState.h"
#include "dolls/DollThumbnail.h"
#include "editor/OwnerDataList.h"
#include "portrait/PortraitImage.h"
#include "res/resource.h"

#include "BenchClock.h"
#include "DollFolderMaking.h"
#include "Figures.h"
#include "WindowTesting.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string_view>
#include <thread>

namespace {

void pumpUntil(const std::function<bool()>& done) {
    while (!done()) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
}

// The list opens on `folder` as on the folder it showed last.
void keepFolder(const std::string& folder) {
    wchar_t appData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    std::filesystem::create_directories(std::filesystem::path(appData) / "Velmora");
    dollfolder::writeFile((std::filesystem::path(appData) / "Velmora" / "dolls.txt").string(),
                          "folder=" + std::filesystem::absolute(folder).string() + "\r\n");
}

HWND rowsOf(HWND list) {
    return GetDlgItem(list, IDC_DOLL_ROWS);
}

int rowCount(HWND list) {
    return ListView_GetItemCount(rowsOf(list));
}

int perPage(HWND list) {
    return ListView_GetCountPerPage(rowsOf(list));
}

// Every row in view has its thumbnail (every sheet here has a portrait).
bool screenfulHasThumbnails(HWND list) {
    HWND rows = rowsOf(list);
    const int top = ListView_GetTopIndex(rows);
    for (int row = top; row < std::min(top + perPage(list), rowCount(list)); ++row) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        if (!ListView_GetItem(rows, &item) || item.iImage <= 0)
            return false;
    }
    return true;
}

// The line below the list names the folder once it has been read.
bool allRead(HWND list, int sheets) {
    return rowCount(list) == sheets;
}

// Another thread pings the window while it lives and keeps the longest
// answer; ended by `longest`, which answers the ping on its way first.
class Pings {
public:
    explicit Pings(HWND window)
        : thread([this, window] {
              while (wanted) {
                  const double sent = nowMs();
                  DWORD_PTR answer = 0;
                  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
                  longestMs = std::max(longestMs, nowMs() - sent);
                  Sleep(2);
              }
              pinging = false;
          }) {}
    double longest() {
        wanted = false;
        pumpUntil([this] { return !pinging; });
        thread.join();
        return longestMs;
    }

private:
    std::atomic<bool> wanted{true}, pinging{true};
    double longestMs = 0;
    std::thread thread;
};

struct ListTimes {
    double windowMade = 0, namesPainted = 0, firstNames = 0, allRows = 0, thumbnails = 0;
};

// One opening of the list, timed from Ctrl+L. Nothing pings it meanwhile:
// each ping is a few trips to the Wine server, which the reading needs too,
// and the floors are not pinged.
ListTimes openAndTime(HWND mainWindow, int sheets) {
    ListTimes times;
    const double start = nowMs();
    SendMessageA(mainWindow, WM_COMMAND, IDM_DOLL_LIST, 0);
    HWND list = dollListOf(mainWindow);
    UpdateWindow(list);
    times.windowMade = nowMs() - start;
    pumpUntil([&] { return rowCount(list) >= perPage(list); });
    const double painting = nowMs();
    UpdateWindow(list);
    times.firstNames = nowMs() - start;
    times.namesPainted = nowMs() - painting;
    const double namesShown = nowMs();
    pumpUntil([&] {
        if (times.thumbnails == 0 && screenfulHasThumbnails(list)) {
            UpdateWindow(list);
            times.thumbnails = nowMs() - namesShown;
        }
        if (times.allRows == 0 && allRead(list, sheets)) {
            UpdateWindow(list);
            times.allRows = nowMs() - start;
        }
        return times.allRows > 0 && times.thumbnails > 0;
    });
    return times;
}

// Another opening, while another thread pings the window: the longest
// answer until every row is read and the first thumbnails are shown.
double longestAnswerWhileReading(HWND mainWindow, int sheets) {
    SendMessageA(mainWindow, WM_COMMAND, IDM_DOLL_LIST, 0);
    HWND list = dollListOf(mainWindow);
    Pings pings(list);
    pumpUntil([&] { return allRead(list, sheets) && screenfulHasThumbnails(list); });
    const double longest = pings.longest();
    DestroyWindow(list);
    pumpMessages();
    return longest;
}

// The party's piece of the first `dolls` rows saved through the list's
// menu command, while another thread pings the window: the longest answer.
double longestAnswerWhileSaving(HWND list, int dolls, const std::string& zip) {
    std::vector<int> chosen(static_cast<std::size_t>(dolls));
    std::iota(chosen.begin(), chosen.end(), 0);
    markSelection(rowsOf(list), chosen);
    {
        DialogAnswer where("ユドナリウム用コマを保存", IDOK, zip);
        SendMessageA(list, WM_COMMAND, IDM_DOLL_SAVE_UDONARIUM, 0);
    }
    Pings pings(list);
    char line[512] = {};
    pumpUntil([&] {
        GetDlgItemTextA(list, IDC_DOLL_SUMMARY, line, sizeof line);
        return std::string_view(line).starts_with("ユドナリウム用コマを保存");
    });
    return pings.longest();
}

std::vector<std::filesystem::path> sheetFiles(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == ".txt")
            files.push_back(entry.path());
    return files;
}

// ---- The floor of the names and rows: a bare window of the list's template ----
// Its owner-data list has the list's columns and a blank thumbnail, which
// sets the rows' height, and shows the rows of the first `count` sheets,
// read by the sheet loader in a plain loop. For all the rows, it shows the
// first screenful's thumbnails too, as the list does by then, each decoded
// and shrunk in a plain loop.

using RowTexts = std::array<std::string, dollColumnCount>;

struct BareRows {
    std::vector<RowTexts> texts;
    std::vector<std::string> portraits;
    int thumbnails = 0; // the first rows shown with their own
};

INT_PTR CALLBACK bareTemplateProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    if (message != WM_NOTIFY || reinterpret_cast<NMHDR*>(lParam)->code != LVN_GETDISPINFOA)
        return FALSE;
    const auto& rows = *reinterpret_cast<const BareRows*>(GetWindowLongPtrA(dialog, DWLP_USER));
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
    if ((item.mask & LVIF_TEXT) != 0)
        lstrcpynA(
            item.pszText,
            rows.texts[static_cast<std::size_t>(item.iItem)][static_cast<std::size_t>(item.iSubItem)].c_str(),
            item.cchTextMax);
    if ((item.mask & LVIF_IMAGE) != 0)
        item.iImage = item.iItem < rows.thumbnails ? item.iItem + 1 : 0;
    return TRUE;
}

std::string writeTimeText(const std::filesystem::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(file.wstring().c_str(), GetFileExInfoStandard, &data);
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute);
    return text;
}

// The sheets' records without their portraits, as the list reads them.
BareRows readBareRows(const std::string& folder, std::size_t count) {
    installPortraitLoader(nullptr);
    const std::vector<std::filesystem::path> files = sheetFiles(folder);
    BareRows rows;
    CharacterSheet sheet;
    for (std::size_t i = 0; i < std::min(count, files.size()); ++i) {
        sheet.loadSheet(files[i].string());
        rows.texts.push_back({sheet.getDollName(), sheet.getPosition(), sheet.getMainClass(),
                              sheet.getSubClass(), sheet.getPlayerName(), files[i].filename().string(),
                              writeTimeText(files[i])});
        rows.portraits.push_back(sheet.getPortraitPath());
    }
    installPortraitLoader(&windowsPortraitLoader);
    return rows;
}

// The photograph decoded reduced and stretched to the thumbnail's size.
HBITMAP bareThumbnail(const std::string& photo) {
    std::vector<std::uint8_t> raster;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    const RasterAllocator allocate = [&](int width, int height, std::size_t stride) {
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        raster.assign(stride * static_cast<std::size_t>(height), 0);
        return raster.data();
    };
    decodeJpegFile(photo, allocate, dollThumbnailSize);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, dollThumbnailSize.width, dollThumbnailSize.height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(memory, HALFTONE);
    StretchDIBits(memory, 0, 0, dollThumbnailSize.width, dollThumbnailSize.height, 0, 0,
                  info.bmiHeader.biWidth, info.bmiHeader.biHeight, raster.data(), &info, DIB_RGB_COLORS,
                  SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

HIMAGELIST blankThumbnails() {
    HIMAGELIST images =
        ImageList_Create(dollThumbnailSize.width, dollThumbnailSize.height, ILC_COLOR24, 1, 1);
    HDC screen = GetDC(nullptr);
    HBITMAP blank = CreateCompatibleBitmap(screen, dollThumbnailSize.width, dollThumbnailSize.height);
    ReleaseDC(nullptr, screen);
    ImageList_Add(images, blank, nullptr);
    DeleteObject(blank);
    return images;
}

// From the reading until the window has painted the rows, the first
// `thumbnails` with theirs.
double bareListMs(HWND owner, const std::string& folder, std::size_t count, int thumbnails = 0) {
    const double start = nowMs();
    BareRows bareRows = readBareRows(folder, count);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), "DOLLLISTDLG", owner, bareTemplateProc,
                                     reinterpret_cast<LPARAM>(&bareRows));
    HWND rows = GetDlgItem(dialog, IDC_DOLL_ROWS);
    ListView_SetExtendedListViewStyle(rows, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (const doll_list::DollColumnShown& column : doll_list::dollColumns)
        addListColumn(dialog, rows, column.title, column.width);
    HIMAGELIST images = blankThumbnails();
    ListView_SetImageList(rows, images, LVSIL_SMALL);
    for (std::size_t row = 0; row < std::min<std::size_t>(thumbnails, bareRows.portraits.size()); ++row) {
        HBITMAP bitmap = bareThumbnail(bareRows.portraits[row]);
        ImageList_Add(images, bitmap, nullptr);
        DeleteObject(bitmap);
    }
    bareRows.thumbnails = thumbnails;
    showRows(rows, bareRows.texts.size(), false);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    const double took = nowMs() - start;
    DestroyWindow(dialog);
    pumpMessages();
    return took;
}

void decodeReduced(const std::vector<std::string>& photos, int count) {
    std::vector<std::uint8_t> raster;
    const RasterAllocator allocate = [&raster](int, int height, std::size_t stride) {
        raster.assign(stride * static_cast<std::size_t>(height), 0);
        return raster.data();
    };
    for (int i = 0; i < count; ++i)
        decodeJpegFile(photos[static_cast<std::size_t>(i) % photos.size()], allocate, dollThumbnailSize);
}

// ---- The floor of a search keystroke: a bare owner-data list ----
// It shows what the doll list shows, taken from it: the same columns at the
// same widths, the same texts, thumbnails of the same size and a list of
// the same size; it filters by the names alone.

struct BareList {
    HWND window = nullptr, search = nullptr, rows = nullptr;
    HFONT font = nullptr;
    std::vector<std::vector<std::string>> texts; // row -> column -> text
    std::vector<std::size_t> shown;
    int images = 1;
};
BareList bare;

LRESULT CALLBACK bareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        char typed[256] = {};
        GetWindowTextA(bare.search, typed, sizeof typed);
        bare.shown.clear();
        for (std::size_t row = 0; row < bare.texts.size(); ++row)
            if (bare.texts[row][0].find(typed) != std::string::npos)
                bare.shown.push_back(row);
        ListView_SetItemCountEx(bare.rows, static_cast<int>(bare.shown.size()), LVSICF_NOINVALIDATEALL);
        InvalidateRect(bare.rows, nullptr, TRUE);
        return 0;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        if (static_cast<std::size_t>(item.iItem) >= bare.shown.size())
            return 0;
        const std::size_t row = bare.shown[static_cast<std::size_t>(item.iItem)];
        if ((item.mask & LVIF_TEXT) != 0)
            lstrcpynA(item.pszText, bare.texts[row][static_cast<std::size_t>(item.iSubItem)].c_str(),
                      item.cchTextMax);
        if ((item.mask & LVIF_IMAGE) != 0)
            item.iImage = static_cast<int>(row % static_cast<std::size_t>(bare.images));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void makeBareList() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = bareProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "bareDollList";
    RegisterClassA(&windowClass);
    bare.window = CreateWindowA("bareDollList", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    bare.search = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 300, 24, bare.window,
                                nullptr, nullptr, nullptr);
}

// The doll list's columns, texts, size and thumbnails, once it has read
// every row.
void copyRowsOf(HWND rows) {
    RECT place;
    GetWindowRect(rows, &place);
    bare.rows = CreateWindowA(
        WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDATA, 10, 40,
        place.right - place.left, place.bottom - place.top, bare.window, nullptr, nullptr, nullptr);
    ListView_SetExtendedListViewStyle(bare.rows, ListView_GetExtendedListViewStyle(rows));
    // The dialog's font goes with the dialog.
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(rows, WM_GETFONT, 0, 0)), sizeof font, &font);
    bare.font = CreateFontIndirectA(&font);
    SendMessageA(bare.rows, WM_SETFONT, reinterpret_cast<WPARAM>(bare.font), FALSE);
    HIMAGELIST images = ImageList_Duplicate(ListView_GetImageList(rows, LVSIL_SMALL));
    bare.images = std::max(1, ImageList_GetImageCount(images));
    ListView_SetImageList(bare.rows, images, LVSIL_SMALL);
    const int columns = Header_GetItemCount(ListView_GetHeader(rows));
    for (int at = 0; at < columns; ++at) {
        char title[256] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        ListView_GetColumn(rows, at, &column);
        ListView_InsertColumn(bare.rows, at, &column);
    }
    for (int row = 0; row < ListView_GetItemCount(rows); ++row) {
        std::vector<std::string>& texts = bare.texts.emplace_back();
        for (int at = 0; at < columns; ++at) {
            char text[512] = {};
            ListView_GetItemText(rows, row, at, text, sizeof text);
            texts.emplace_back(text);
        }
    }
}

// "ドール" typed, then the keystroke timed: "1", until the list is painted.
double timeKeystroke(HWND search, HWND rows) {
    SetWindowTextA(search, "ドール");
    SendMessageA(search, EM_SETSEL, 6, 6);
    pumpMessages();
    UpdateWindow(rows);
    const double start = nowMs();
    SendMessageA(search, WM_CHAR, '1', 1);
    UpdateWindow(rows);
    return nowMs() - start;
}

} // namespace

int main() {
    const std::string folder = "dolls", large = "dolls-10000";
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(large);
    const std::vector<std::string> photos = makeDollFolder(folder);
    std::filesystem::create_directories("appdata");
    SetEnvironmentVariableA("APPDATA", std::filesystem::absolute("appdata").string().c_str());
    registerMainWindowClass(GetModuleHandleA(nullptr));
    HWND mainWindow = createMainWindow(GetModuleHandleA(nullptr));
    ShowWindow(mainWindow, SW_SHOW);
    pumpMessages();
    makeBareList();

    FigureRuns names, rows, thumbnails, keystrokes;
    std::vector<double> answers, windowsMade, namesPaints;
    for (int run = 0; run < figureRuns; ++run) {
        keepFolder(folder);
        const ListTimes times = openAndTime(mainWindow, 1000);
        HWND list = dollListOf(mainWindow);
        const int screenful = perPage(list);
        if (bare.rows == nullptr)
            copyRowsOf(rowsOf(list));
        const double keystroke = timeKeystroke(GetDlgItem(list, IDC_DOLL_SEARCH), rowsOf(list));
        DestroyWindow(list);
        pumpMessages();
        const double bareKeystroke = timeKeystroke(bare.search, bare.rows);

        const double bareScreenful = bareListMs(mainWindow, folder, static_cast<std::size_t>(screenful));
        const double bareAll = bareListMs(mainWindow, folder, 1000, screenful);
        const double start = nowMs();
        decodeReduced(photos, screenful);
        const double decode = nowMs() - start;

        names.add(times.firstNames, bareScreenful);
        rows.add(times.allRows, bareAll);
        thumbnails.add(times.thumbnails, decode);
        keystrokes.add(keystroke, bareKeystroke);
        windowsMade.push_back(times.windowMade);
        namesPaints.push_back(times.namesPainted);
    }
    names.print("doll list: first screenful of names", 1.5);
    std::printf("  of which making the window, starting its threads and painting it empty: %.1f ms\n",
                median(windowsMade));
    std::printf("  of which painting the first names: %.1f ms\n", median(namesPaints));
    rows.print("doll list: all 1,000 rows listed", 1.2);
    thumbnails.print("doll list: first screenful's thumbnails painted", 1.5);
    keystrokes.print("doll list: a search keystroke over 1,000 rows painted", 1.2);
    for (int run = 0; run < figureRuns; ++run) {
        keepFolder(folder);
        answers.push_back(longestAnswerWhileReading(mainWindow, 1000));
    }
    printLimitFigure("doll list: longest message answer while reading", answers, 100, "ms");
    std::vector<double> savingAnswers;
    for (int run = 0; run < 3; ++run) {
        keepFolder(folder);
        SendMessageA(mainWindow, WM_COMMAND, IDM_DOLL_LIST, 0);
        HWND list = dollListOf(mainWindow);
        pumpUntil([&] { return allRead(list, 1000); });
        // A file there would have the dialog ask before replacing it.
        const std::string zip = std::filesystem::absolute(folder).string() + "\\party.zip";
        std::filesystem::remove(zip);
        savingAnswers.push_back(longestAnswerWhileSaving(list, 20, zip));
        DestroyWindow(list);
        pumpMessages();
    }
    printLimitFigure("doll list: longest message answer while saving the piece of 20 dolls", savingAnswers,
                     100, "ms");
    DestroyWindow(bare.window);
    DeleteObject(bare.font);

    // Twenty screenfuls scrolled through, each waited for until its
    // thumbnails show: only a few screenfuls stay.
    DollFolderPlan plan;
    plan.sheets = 10000;
    plan.photos = 10;
    makeDollFolder(large, plan);
    keepFolder(large);
    SendMessageA(mainWindow, WM_COMMAND, IDM_DOLL_LIST, 0);
    HWND list = dollListOf(mainWindow);
    pumpUntil([&] { return allRead(list, 10000); });
    for (int page = 0; page < 20; ++page) {
        ListView_EnsureVisible(rowsOf(list), std::min(9999, (page + 1) * perPage(list) * 3), FALSE);
        pumpUntil([&] { return screenfulHasThumbnails(list); });
    }
    printLimitFigure("doll list: thumbnails held for 10,000 sheets",
                     {static_cast<double>(dollThumbnailBytes(list)) / (1024.0 * 1024.0)}, 32, "MiB");
    DestroyWindow(mainWindow);
    pumpMessages();
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(large);
}
