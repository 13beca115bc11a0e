// PNG images from the program's resources as GDI+ bitmaps.
#pragma once

#include <windows.h>

#include <memory>

namespace Gdiplus {
class Bitmap;
}

// The image of type "IMAGE" with the given id in hModule, decoded; empty when
// the resource is missing, empty or cannot be decoded. GDI+ must be started.
std::unique_ptr<Gdiplus::Bitmap> LoadImageResource(UINT nID, HMODULE hModule);
