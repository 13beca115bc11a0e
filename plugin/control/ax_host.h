// ActiveX control hosting inside the plug-in: the "AtlAxWin80" host window,
// its container interface IAxWinHostWindow and a few helpers around them.
//
// A host window is a child window of class "AtlAxWin80". Creating one
// initialises OLE on the thread and binds an empty container to it; the
// container creates a control from a CLSID string, sites it and activates it
// in place so that it fills the window. Destroying the window deactivates,
// closes and releases the control, then drops the container and OLE.
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

namespace axhost {

extern const wchar_t kHostWindowClass[];          // "AtlAxWin80"
extern const wchar_t kLicensedHostWindowClass[];  // "AtlAxWinLic80"

// Registers both host window classes for `module` and the two host messages.
// Only the first successful call registers anything; later calls (from any
// module) return true at once. Safe to call from several threads.
bool RegisterHostClasses(HINSTANCE module);

// Removes the classes again; for the module's unload.
void UnregisterHostClasses();

// The registered messages "WM_ATLGETHOST" and "WM_ATLGETCONTROL". A host
// window answers them with its container's and its control's IUnknown
// (borrowed: no reference is added).
UINT HostMessage();
UINT ControlMessage();

// Creates a host window over `rect` of `parent` (classes must be registered).
// Returns null when the window or its container cannot be made.
HWND CreateHostWindow(HWND parent, const RECT& rect, DWORD style, DWORD exStyle,
                      const wchar_t* text, HINSTANCE module);

// The container of a host window, with a reference for the caller.
HRESULT GetHost(HWND host, IAxWinHostWindow** container);

// Has the host window's container create and activate the control of `clsid`
// (passed to the container in its registry string form).
HRESULT CreateControl(HWND host, REFCLSID clsid);

// Queries the hosted control of a host window for `iid`.
HRESULT QueryControl(HWND host, REFIID iid, void** object);

// Makes a live host window width x height pixels, keeping its position.
// Returns true only when the size had to change.
bool ResizeHostWindow(HWND host, int width, int height);

}  // namespace axhost
