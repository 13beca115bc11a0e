// Pictures of live windows for tests that show what a user would see: the
// window and its visible descendants are drawn through WM_PRINT, so no real
// screen is needed.
#pragma once

#include <windows.h>

namespace testsupport {

// Draws `top` with its visible descendants, saves the picture as a PNG at
// `path` (GDI+ must be started) and checks that the control hosted in
// `plugin` shows as it must: its window covers the plug-in window's client
// area, its colour shows just inside each corner of that area and not just
// outside it. Prints what does not hold; 0 when everything does, 3 when the
// picture could not be saved, 4 otherwise.
int CheckHostedControlPicture(HWND top, HWND plugin, HWND control, const wchar_t* path,
                              COLORREF controlColour);

}  // namespace testsupport
