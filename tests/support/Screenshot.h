#pragma once

#include <windows.h>

#include <string>

// Saves this part of the screen as a 24-bit BMP file; false when it could not be written.
bool SaveScreenshot(const RECT& area, const std::string& bmpPath);
