// The ActiveX container bound to one "AtlAxWin80" host window: it creates the
// control, sites it, keeps it in-place active over the window's client area and
// tears it down when the window goes.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

#include "ax_host_container.h"
#include "owners/scoped_com.h"

class CAxHostWindow final : public IAxWinHostWindow,
                            public IOleClientSite,
                            public IOleInPlaceSite,
                            public IOleInPlaceFrame,
                            public IOleControlSite {
 public:
  // A new container with one reference, owned by the caller. OLE stays
  // initialised on this thread for as long as the container lives.
  static CAxHostWindow* Create(HWND window);

  // Window events forwarded by the host window procedure.
  void OnSize(int width, int height);
  void OnDestroy();  // deactivates, closes and releases the control
  IUnknown* Control() const { return m_spControl.Get(); }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IAxWinHostWindow
  STDMETHODIMP CreateControl(LPCOLESTR text, HWND window, IStream* init) override;
  STDMETHODIMP CreateControlEx(LPCOLESTR text, HWND window, IStream* init, IUnknown** control,
                               REFIID adviseIid, IUnknown* adviseSink) override;
  STDMETHODIMP AttachControl(IUnknown* control, HWND window) override;
  STDMETHODIMP QueryControl(REFIID iid, void** object) override;
  STDMETHODIMP SetExternalDispatch(IDispatch* external) override;
  STDMETHODIMP SetExternalUIHandler(IUnknown* handler) override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL show) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow (shared by the site and the frame)
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE extent) override;
  STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;

  // IOleInPlaceUIWindow / IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT border) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR name) override;
  STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) override;
  STDMETHODIMP RemoveMenus(HMENU shared) override;
  STDMETHODIMP SetStatusText(LPCOLESTR text) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  STDMETHODIMP TranslateAccelerator(LPMSG message, WORD id) override;

  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override;
  STDMETHODIMP LockInPlaceActive(BOOL lock) override;
  STDMETHODIMP GetExtendedControl(IDispatch** extended) override;
  STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
  STDMETHODIMP TranslateAccelerator(LPMSG message, DWORD modifiers) override;
  STDMETHODIMP OnFocus(BOOL gotFocus) override;
  STDMETHODIMP ShowPropertyFrame() override;

 private:
  explicit CAxHostWindow(HWND window);
  ~CAxHostWindow() = default;

  HRESULT Activate(IUnknown* control, IStream* init);
  HRESULT Advise(REFIID adviseIid, IUnknown* adviseSink);
  void ReleaseControl();
  RECT ClientRect() const;

  // First member, so that OLE is uninitialised after every interface below
  // has been released.
  ScopedOleInitialize m_oleInitialize;
  LONG m_lRefs = 1;
  HWND m_hWnd;
  Microsoft::WRL::ComPtr<IUnknown> m_spControl;
  Microsoft::WRL::ComPtr<IOleObject> m_spOleObject;
  Microsoft::WRL::ComPtr<IOleInPlaceObject> m_spInPlaceObject;
  Microsoft::WRL::ComPtr<IConnectionPoint> m_spAdvisePoint;
  DWORD m_dwAdviseCookie = 0;
};
