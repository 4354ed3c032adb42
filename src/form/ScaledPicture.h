#pragma once

#include <windows.h>

// The form's picture at the screen's scale: the bitmap is drawn for 96 DPI, and
// the layout around it grows with the screen's DPI.
void ScalePictureToScreen(HWND form);

// Deletes the scaled bitmap, if the form showed one of ours; once the form's
// controls are gone.
void ReleaseScaledPicture();
