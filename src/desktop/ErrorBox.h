#pragma once

// A message the user must see: no owner window, title "Error", OK, stop icon.
void ShowError(const char* message);
