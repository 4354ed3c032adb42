#include "form/ScaledPicture.h"

#include "resource.h"

namespace {

const int kDesignDpi = 96;  // the DPI the picture is drawn for

// The form's bitmap control: the one static showing a bitmap (it has no identifier of its own).
HWND PictureControl(HWND form) {
    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) return child;
    }
    return nullptr;
}

}  // namespace

void ScalePictureToScreen(HWND form) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const HWND control = PictureControl(form);
    const auto drawn = reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP size;
    if (dpi == kDesignDpi || !drawn || !GetObjectA(drawn, sizeof size, &size)) return;
    const HANDLE scaled = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PICTURE), IMAGE_BITMAP,
                                     MulDiv(size.bmWidth, dpi, kDesignDpi), MulDiv(size.bmHeight, dpi, kDesignDpi),
                                     LR_CREATEDIBSECTION);
    if (!scaled) return;
    // The control takes the new bitmap's size; the one it showed is no longer used.
    DeleteObject(reinterpret_cast<HGDIOBJ>(SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP,
                                                        reinterpret_cast<LPARAM>(scaled))));
}
