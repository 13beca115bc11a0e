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

#include "ax_host_container.h"

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
