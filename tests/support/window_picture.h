// Pictures of live windows for tests that show what a user would see: the
// window and its visible descendants are drawn through WM_PRINT, so no real
// screen is needed.
#pragma once

#include <windows.h>

namespace testsupport {

// Draws `window` with its visible descendants, saves the picture as a PNG at
// `path` (GDI+ must be started) and reports the colour found at screen point
// `probe`. False when the picture could not be saved.
bool SaveWindowPicture(HWND window, const wchar_t* path, POINT probe, COLORREF* colour);

}  // namespace testsupport
