#include "ax_host.h"

#include <wrl/client.h>

#include "ax_host_window.h"

using Microsoft::WRL::ComPtr;

const IID IID_IAxWinHostWindow = {
    0xb6ea2050, 0x048a, 0x11d1, {0x82, 0xb9, 0x00, 0xc0, 0x4f, 0xb9, 0x94, 0x2e}};

namespace axhost {

const wchar_t kHostWindowClass[] = L"AtlAxWin80";
const wchar_t kLicensedHostWindowClass[] = L"AtlAxWinLic80";

namespace {

SRWLOCK g_registrationLock = SRWLOCK_INIT;
HINSTANCE g_registeredModule = nullptr;
UINT g_hostMessage = 0;
UINT g_controlMessage = 0;

CAxHostWindow* ContainerOf(HWND window) {
  // The user data holds the container's IAxWinHostWindow, which is the
  // CAxHostWindow this procedure put there.
  auto* host = reinterpret_cast<IAxWinHostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return static_cast<CAxHostWindow*>(host);
}

// Binds an empty container to a new host window.
LRESULT OnCreate(HWND window) {
  CAxHostWindow* container = CAxHostWindow::Create(window);
  if (!container) return -1;
  SetWindowLongPtrW(window, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(static_cast<IAxWinHostWindow*>(container)));
  return 0;
}

void OnNcDestroy(HWND window) {
  CAxHostWindow* container = ContainerOf(window);
  if (!container) return;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  container->OnDestroy();  // in case WM_DESTROY never reached it
  container->Release();    // the window's reference, taken at WM_CREATE
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_SIZE:
      if (CAxHostWindow* container = ContainerOf(window))
        container->OnSize(LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_SETFOCUS:
      // Focus given to the host belongs to the control's own window.
      if (HWND child = GetWindow(window, GW_CHILD)) {
        SetFocus(child);
        return 0;
      }
      break;
    case WM_DESTROY:
      // The control's own window is a child of this one and still exists
      // here, so the control can leave in-place activity cleanly.
      if (CAxHostWindow* container = ContainerOf(window)) container->OnDestroy();
      break;
    case WM_NCDESTROY:
      OnNcDestroy(window);
      break;
    default:
      if (message != 0 && message == g_hostMessage) {
        CAxHostWindow* container = ContainerOf(window);
        return reinterpret_cast<LRESULT>(
            container ? static_cast<IUnknown*>(static_cast<IAxWinHostWindow*>(container))
                      : nullptr);
      }
      if (message != 0 && message == g_controlMessage) {
        CAxHostWindow* container = ContainerOf(window);
        return reinterpret_cast<LRESULT>(container ? container->Control() : nullptr);
      }
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterOneClass(HINSTANCE module, const wchar_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = HostWindowProc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool RegisterHostClasses(HINSTANCE module) {
  AcquireSRWLockExclusive(&g_registrationLock);
  bool ok = g_registeredModule != nullptr;
  if (!ok) {
    g_hostMessage = RegisterWindowMessageW(L"WM_ATLGETHOST");
    g_controlMessage = RegisterWindowMessageW(L"WM_ATLGETCONTROL");
    ok = RegisterOneClass(module, kHostWindowClass) &&
         RegisterOneClass(module, kLicensedHostWindowClass);
    if (ok) {
      g_registeredModule = module;
    } else {
      UnregisterClassW(kHostWindowClass, module);
    }
  }
  ReleaseSRWLockExclusive(&g_registrationLock);
  return ok;
}

void UnregisterHostClasses() {
  AcquireSRWLockExclusive(&g_registrationLock);
  if (g_registeredModule) {
    UnregisterClassW(kHostWindowClass, g_registeredModule);
    UnregisterClassW(kLicensedHostWindowClass, g_registeredModule);
    g_registeredModule = nullptr;
  }
  ReleaseSRWLockExclusive(&g_registrationLock);
}

UINT HostMessage() { return g_hostMessage; }
UINT ControlMessage() { return g_controlMessage; }

HWND CreateHostWindow(HWND parent, const RECT& rect, DWORD style, DWORD exStyle,
                      const wchar_t* text, HINSTANCE module) {
  return CreateWindowExW(exStyle, kHostWindowClass, text, style, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, module,
                         nullptr);
}

HRESULT GetHost(HWND host, IAxWinHostWindow** container) {
  if (!container) return E_POINTER;
  *container = nullptr;
  if (!IsWindow(host) || !g_hostMessage) return E_FAIL;
  auto* unknown = reinterpret_cast<IUnknown*>(SendMessageW(host, g_hostMessage, 0, 0));
  if (!unknown) return E_FAIL;
  return unknown->QueryInterface(IID_IAxWinHostWindow, reinterpret_cast<void**>(container));
}

HRESULT CreateControl(HWND host, REFCLSID clsid) {
  ComPtr<IAxWinHostWindow> container;
  HRESULT hr = GetHost(host, &container);
  if (FAILED(hr)) return hr;
  LPOLESTR text = nullptr;
  hr = StringFromCLSID(clsid, &text);
  if (FAILED(hr)) return hr;
  hr = container->CreateControl(text, host, nullptr);
  CoTaskMemFree(text);
  return hr;
}

HRESULT QueryControl(HWND host, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsWindow(host) || !g_controlMessage) return E_FAIL;
  auto* control = reinterpret_cast<IUnknown*>(SendMessageW(host, g_controlMessage, 0, 0));
  if (!control) return E_NOINTERFACE;
  return control->QueryInterface(iid, object);
}

bool ResizeHostWindow(HWND host, int width, int height) {
  if (!IsWindow(host)) return false;
  RECT rect{};
  GetWindowRect(host, &rect);
  if (rect.right - rect.left == width && rect.bottom - rect.top == height) return false;
  SetWindowPos(host, nullptr, 0, 0, width, height, SWP_NOMOVE);
  return true;
}

}  // namespace axhost
