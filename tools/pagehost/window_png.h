// A picture of a window as the user sees it, saved as PNG: the window and its
// visible descendants are drawn through WM_PRINT, so no real screen is
// needed.
#pragma once

#include <windows.h>

#include <string>

namespace pagehost {

bool SaveWindowPng(HWND window, const std::wstring& path);

}  // namespace pagehost
