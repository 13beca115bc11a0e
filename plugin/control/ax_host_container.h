// The container interface of a host window, apart from the host window
// functions (ax_host.h) so that the container class (ax_host_window.h) can
// implement it without including them.
#pragma once

#include <windows.h>
#include <ole2.h>

// ATL's container interface of a host window. The first four operations are
// the ones this plug-in uses; the layout matches ATL's.
MIDL_INTERFACE("B6EA2050-048A-11D1-82B9-00C04FB9942E")
IAxWinHostWindow : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateControl(LPCOLESTR text, HWND window, IStream * init) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateControlEx(LPCOLESTR text, HWND window, IStream * init,
                                                    IUnknown * *control, REFIID adviseIid,
                                                    IUnknown * adviseSink) = 0;
  virtual HRESULT STDMETHODCALLTYPE AttachControl(IUnknown * control, HWND window) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryControl(REFIID iid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExternalDispatch(IDispatch * external) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExternalUIHandler(IUnknown * handler) = 0;
};
__CRT_UUID_DECL(IAxWinHostWindow, 0xb6ea2050, 0x048a, 0x11d1, 0x82, 0xb9, 0x00, 0xc0, 0x4f, 0xb9,
                0x94, 0x2e)

extern const IID IID_IAxWinHostWindow;
