#include "form/ScaledPicture.h"

#include "resource.h"

namespace {

const int kDesignDpi = 96;  // the DPI the picture is drawn for
HGDIOBJ scaledPicture = nullptr;  // the bitmap the form shows, when it is ours to delete

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
    const auto control = PictureControl(form);
    RECT drawn;  // the control has taken the bitmap's size
    if (dpi == kDesignDpi || !control || !GetClientRect(control, &drawn)) return;
    const auto scaled = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PICTURE), IMAGE_BITMAP,
                                   MulDiv(drawn.right, dpi, kDesignDpi), MulDiv(drawn.bottom, dpi, kDesignDpi),
                                   LR_CREATEDIBSECTION);
    if (!scaled) return;
    // The control takes the new bitmap's size and hands back the one it showed, which is ours to delete.
    const LRESULT shown = SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled));
    DeleteObject(reinterpret_cast<HGDIOBJ>(shown));  // NOLINT(performance-no-int-to-ptr): a handle in the result
    // The one we gave stays ours: until the form is gone, unless the control
    // made a copy of its own (Common Controls 6 does for 32-bit pictures).
    const LRESULT held = SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0);
    if (reinterpret_cast<HGDIOBJ>(held) == scaled) {  // NOLINT(performance-no-int-to-ptr)
        scaledPicture = scaled;
    } else {
        DeleteObject(scaled);
    }
}

void ReleaseScaledPicture() {
    if (scaledPicture) DeleteObject(scaledPicture);
    scaledPicture = nullptr;
}
