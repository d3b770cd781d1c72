#include "editor/DialogLayout.h"

DialogLayout designedLayout(HWND dialog, std::span<const ControlPlace> places) {
    DialogLayout layout;
    RECT client;
    GetClientRect(dialog, &client);
    layout.designSize = {client.right, client.bottom};
    for (const ControlPlace& place : places) {
        RECT at;
        GetWindowRect(GetDlgItem(dialog, place.id), &at);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&at), 2);
        layout.designed.push_back(at);
    }
    return layout;
}

void placeControls(HWND dialog, const DialogLayout& layout, std::span<const ControlPlace> places, int width,
                   int height) {
    if (layout.designed.size() != places.size())
        return;
    const int wider = width - layout.designSize.cx, taller = height - layout.designSize.cy;
    HDWP moves = BeginDeferWindowPos(static_cast<int>(places.size()));
    for (std::size_t i = 0; i < places.size(); ++i) {
        const ControlPlace& place = places[i];
        RECT at = layout.designed[i];
        at.left += place.followsRight ? wider : 0;
        at.top += place.followsBottom ? taller : 0;
        at.right += place.followsRight || place.stretchesWide ? wider : 0;
        at.bottom += place.followsBottom || place.stretchesTall ? taller : 0;
        moves = DeferWindowPos(moves, GetDlgItem(dialog, place.id), nullptr, at.left, at.top,
                               at.right - at.left, at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(moves);
}

void limitToHalfTheDesign(HWND dialog, const DialogLayout& layout, MINMAXINFO& limits) {
    RECT smallest = {0, 0, layout.designSize.cx / 2, layout.designSize.cy / 2};
    AdjustWindowRectEx(&smallest, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    limits.ptMinTrackSize = {smallest.right - smallest.left, smallest.bottom - smallest.top};
}
