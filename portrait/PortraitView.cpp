#include "portrait/PortraitView.h"

#include "portrait/PortraitImage.h"

const char portraitFileFilter[] = "画像ファイル(*.bmp;*.jpeg;*.jpg)\0*.bmp;*.jpeg;*.jpg\0"
                                  "ビットマップ(*.bmp)\0*.bmp\0"
                                  "JPEG(*.jpeg;*.jpg)\0*.jpeg;*.jpg\0"
                                  "All files(*.*)\0*.*\0";

namespace {

// An opaque copy: any alpha the bitmap holds is ignored.
constexpr BLENDFUNCTION opaqueCopy = {AC_SRC_OVER, 0, 255, 0};

RECT frameInForm(HWND form, HWND frame) {
    RECT rect;
    GetWindowRect(frame, &rect);
    screenRectToClient(form, &rect);
    return rect;
}

} // namespace

void fitPortraitsTo(HWND frame) {
    RECT rect;
    GetWindowRect(frame, &rect);
    setPortraitFrameSize({rect.right - rect.left, rect.bottom - rect.top});
}

bool paintPortrait(HWND form, HWND frame, const CharacterSheet& sheet) {
    HDC source = static_cast<HDC>(sheet.getPortraitDc());
    if (source == nullptr)
        return false;
    RECT target;
    GetWindowRect(frame, &target);
    PAINTSTRUCT formPaint, framePaint;
    BeginPaint(form, &formPaint);
    HDC dc = BeginPaint(frame, &framePaint);
    const PortraitBitmap bitmap = sheet.getPortraitBitmap();
    const int width = target.right - target.left, height = target.bottom - target.top;
    // A picture kept at the frame's size is copied as it is; any other is
    // stretched over the whole frame, outline included, its proportions
    // not kept.
    if (bitmap.width == width && bitmap.height == height)
        BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    else
        AlphaBlend(dc, 0, 0, width, height, source, 0, 0, bitmap.width, bitmap.height, opaqueCopy);
    EndPaint(frame, &framePaint);
    EndPaint(form, &formPaint);
    return true;
}

void handlePortraitDoubleClick(HWND form, HWND frame, CharacterSheet& sheet, LPARAM lParam,
                               std::string (*chooseImage)()) {
    const RECT rect = frameInForm(form, frame);
    // The click's coordinates are unsigned 16-bit numbers in the form.
    const POINT click = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
    if (!pointInRectInclusive(&rect, &click))
        return;
    if (sheet.getPortraitDc() != nullptr) {
        sheet.setPortrait("");
    } else if (chooseImage != nullptr) {
        const std::string path = chooseImage();
        if (!path.empty())
            sheet.setPortrait(path, PortraitOrigin::userChoice);
    }
    InvalidateRect(form, &rect, TRUE);
}

void showChosenPortrait(HWND form, HWND frame, CharacterSheet& sheet, const std::string& path) {
    sheet.setPortrait(path, PortraitOrigin::userChoice);
    const RECT rect = frameInForm(form, frame);
    InvalidateRect(form, &rect, TRUE);
}

bool screenRectToClient(HWND window, RECT* rect) {
    if (rect == nullptr)
        return false;
    POINT topLeft = {rect->left, rect->top};
    POINT bottomRight = {rect->right, rect->bottom};
    if (!ScreenToClient(window, &topLeft) || !ScreenToClient(window, &bottomRight))
        return false;
    SetRect(rect, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    return true;
}

bool pointInRectInclusive(const RECT* rect, const POINT* point) {
    return rect != nullptr && point != nullptr && point->x >= rect->left && point->x <= rect->right &&
           point->y >= rect->top && point->y <= rect->bottom;
}
