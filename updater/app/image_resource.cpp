#include "app/image_resource.h"

#include <objidl.h>
#include <gdiplus.h>
#include <wrl/client.h>

#include <cstring>

#include "owners/scoped_win.h"

namespace {

// GDI+ may read from the stream for as long as the bitmap lives, so the
// bitmap owns it. The stream's base comes first, so it is released last.
struct StreamHolder {
  explicit StreamHolder(IStream* pStream) : m_stream(pStream) {}
  Microsoft::WRL::ComPtr<IStream> m_stream;
};

class CStreamBitmap : private StreamHolder, public Gdiplus::Bitmap {
 public:
  explicit CStreamBitmap(IStream* pStream)
      : StreamHolder(pStream), Gdiplus::Bitmap(pStream, FALSE) {}
};

// A movable global block holding a copy of the bytes, wrapped as a stream
// that frees the block when it is released.
Microsoft::WRL::ComPtr<IStream> StreamOfCopy(const void* pData, DWORD cbData) {
  ScopedGlobal block(GlobalAlloc(GMEM_MOVEABLE, cbData));
  if (!block.Get()) return nullptr;
  void* pTarget = GlobalLock(block.Get());
  if (!pTarget) return nullptr;
  std::memcpy(pTarget, pData, cbData);
  GlobalUnlock(block.Get());
  Microsoft::WRL::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(block.Get(), TRUE, &stream))) return nullptr;
  block.Release();
  return stream;
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> LoadImageResource(UINT nID, HMODULE hModule) {
  HRSRC hInfo = FindResourceW(hModule, MAKEINTRESOURCEW(nID), L"IMAGE");
  if (!hInfo) return nullptr;
  DWORD cbData = SizeofResource(hModule, hInfo);
  if (cbData == 0) return nullptr;
  HGLOBAL hData = LoadResource(hModule, hInfo);
  const void* pData = hData ? LockResource(hData) : nullptr;
  if (!pData) return nullptr;
  Microsoft::WRL::ComPtr<IStream> stream = StreamOfCopy(pData, cbData);
  if (!stream) return nullptr;
  auto bitmap = std::make_unique<CStreamBitmap>(stream.Get());
  if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return bitmap;
}
