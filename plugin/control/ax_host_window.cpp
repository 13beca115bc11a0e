#include "ax_host_window.h"

#include <new>

using Microsoft::WRL::ComPtr;

CAxHostWindow* CAxHostWindow::Create(HWND window) {
  return new (std::nothrow) CAxHostWindow(window);
}

CAxHostWindow::CAxHostWindow(HWND window) : m_hWnd(window) {}

RECT CAxHostWindow::ClientRect() const {
  RECT rect{};
  if (m_hWnd) GetClientRect(m_hWnd, &rect);
  return rect;
}

void CAxHostWindow::OnSize(int width, int height) {
  if (!m_spInPlaceObject) return;
  RECT rect{0, 0, width, height};
  m_spInPlaceObject->SetObjectRects(&rect, &rect);
}

void CAxHostWindow::OnDestroy() {
  ReleaseControl();
  m_hWnd = nullptr;
}

// Tears the control down the way a container must: leave in-place activity
// (the control destroys its window), close it, take the site back, then drop
// the last references this container holds.
void CAxHostWindow::ReleaseControl() {
  if (m_spAdvisePoint) {
    m_spAdvisePoint->Unadvise(m_dwAdviseCookie);
    m_spAdvisePoint.Reset();
    m_dwAdviseCookie = 0;
  }
  if (m_spInPlaceObject) {
    m_spInPlaceObject->InPlaceDeactivate();
    m_spInPlaceObject.Reset();
  }
  if (m_spOleObject) {
    m_spOleObject->Close(OLECLOSE_NOSAVE);
    m_spOleObject->SetClientSite(nullptr);
    m_spOleObject.Reset();
  }
  m_spControl.Reset();
}

// --- IUnknown ---------------------------------------------------------------

STDMETHODIMP CAxHostWindow::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IAxWinHostWindow)
    *object = static_cast<IAxWinHostWindow*>(this);
  else if (iid == IID_IOleClientSite)
    *object = static_cast<IOleClientSite*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
    *object = static_cast<IOleInPlaceSite*>(this);
  else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
    *object = static_cast<IOleInPlaceFrame*>(this);
  else if (iid == IID_IOleControlSite)
    *object = static_cast<IOleControlSite*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CAxHostWindow::AddRef() { return InterlockedIncrement(&m_lRefs); }

STDMETHODIMP_(ULONG) CAxHostWindow::Release() {
  LONG refs = InterlockedDecrement(&m_lRefs);
  if (refs == 0) delete this;
  return refs;
}

// --- IAxWinHostWindow -------------------------------------------------------

STDMETHODIMP CAxHostWindow::CreateControl(LPCOLESTR text, HWND window, IStream* init) {
  return CreateControlEx(text, window, init, nullptr, IID_NULL, nullptr);
}

STDMETHODIMP CAxHostWindow::CreateControlEx(LPCOLESTR text, HWND window, IStream* init,
                                            IUnknown** control, REFIID adviseIid,
                                            IUnknown* adviseSink) {
  if (control) *control = nullptr;
  if (!text || !*text) return E_INVALIDARG;
  if (window && window != m_hWnd) return E_INVALIDARG;
  CLSID clsid;
  HRESULT hr = CLSIDFromString(const_cast<LPOLESTR>(text), &clsid);
  if (FAILED(hr)) return hr;
  ComPtr<IUnknown> created;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created));
  if (FAILED(hr)) return hr;
  ReleaseControl();
  hr = Activate(created.Get(), init);
  if (FAILED(hr)) {
    ReleaseControl();
    return hr;
  }
  if (adviseSink) {
    // A sink that could not be connected fails the whole creation: the
    // caller would otherwise wait for events that never come.
    hr = Advise(adviseIid, adviseSink);
    if (FAILED(hr)) {
      ReleaseControl();
      return hr;
    }
  }
  if (control) *control = created.Detach();
  return S_OK;
}

STDMETHODIMP CAxHostWindow::AttachControl(IUnknown* control, HWND window) {
  if (!control) return E_POINTER;
  if (window && window != m_hWnd) return E_INVALIDARG;
  ReleaseControl();
  HRESULT hr = Activate(control, nullptr);
  if (FAILED(hr)) ReleaseControl();
  return hr;
}

STDMETHODIMP CAxHostWindow::QueryControl(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!m_spControl) return E_NOINTERFACE;
  return m_spControl->QueryInterface(iid, object);
}

// Nothing in this container hands an external object to the control, so
// the one offered is accepted and not kept.
STDMETHODIMP CAxHostWindow::SetExternalDispatch(IDispatch*) { return S_OK; }

STDMETHODIMP CAxHostWindow::SetExternalUIHandler(IUnknown*) { return E_NOTIMPL; }

// Sites the control, lets it initialise its state and activates it in place
// over the whole client area.
HRESULT CAxHostWindow::Activate(IUnknown* control, IStream* init) {
  if (!m_hWnd) return E_UNEXPECTED;
  m_spControl = control;
  control->QueryInterface(IID_PPV_ARGS(&m_spOleObject));
  DWORD status = 0;
  if (m_spOleObject) m_spOleObject->GetMiscStatus(DVASPECT_CONTENT, &status);
  const bool siteFirst = (status & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (m_spOleObject && siteFirst) {
    HRESULT hr = m_spOleObject->SetClientSite(this);
    if (FAILED(hr)) return hr;
  }

  ComPtr<IPersistStreamInit> persistInit;
  ComPtr<IPersistStream> persist;
  if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&persistInit)))) {
    HRESULT hr = init ? persistInit->Load(init) : persistInit->InitNew();
    if (FAILED(hr)) return hr;
  } else if (init && SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&persist)))) {
    HRESULT hr = persist->Load(init);
    if (FAILED(hr)) return hr;
  }

  if (!m_spOleObject) return S_OK;  // an object without OLE embedding is kept as is
  if (!siteFirst) {
    HRESULT hr = m_spOleObject->SetClientSite(this);
    if (FAILED(hr)) return hr;
  }
  RECT rect = ClientRect();
  HRESULT hr = m_spOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_hWnd, &rect);
  if (FAILED(hr)) return hr;
  control->QueryInterface(IID_PPV_ARGS(&m_spInPlaceObject));
  if (m_spInPlaceObject) m_spInPlaceObject->SetObjectRects(&rect, &rect);
  return S_OK;
}

HRESULT CAxHostWindow::Advise(REFIID adviseIid, IUnknown* adviseSink) {
  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = m_spControl.As(&container);
  if (FAILED(hr)) return hr;
  ComPtr<IConnectionPoint> point;
  hr = container->FindConnectionPoint(adviseIid, &point);
  if (FAILED(hr)) return hr;
  DWORD cookie = 0;
  hr = point->Advise(adviseSink, &cookie);
  if (FAILED(hr)) return hr;
  m_spAdvisePoint = point;
  m_dwAdviseCookie = cookie;
  return hr;
}

// --- IOleClientSite ---------------------------------------------------------

STDMETHODIMP CAxHostWindow::SaveObject() { return S_OK; }
STDMETHODIMP CAxHostWindow::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP CAxHostWindow::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}
STDMETHODIMP CAxHostWindow::ShowObject() { return S_OK; }
STDMETHODIMP CAxHostWindow::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP CAxHostWindow::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow -------------------------------------------------------------

STDMETHODIMP CAxHostWindow::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = m_hWnd;
  return m_hWnd ? S_OK : E_FAIL;
}
STDMETHODIMP CAxHostWindow::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite --------------------------------------------------------

STDMETHODIMP CAxHostWindow::CanInPlaceActivate() { return m_hWnd ? S_OK : S_FALSE; }
STDMETHODIMP CAxHostWindow::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP CAxHostWindow::OnUIActivate() { return S_OK; }

STDMETHODIMP CAxHostWindow::GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !document || !position || !clip) return E_POINTER;
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *document = nullptr;
  *position = ClientRect();
  *clip = *position;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = m_hWnd;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP CAxHostWindow::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP CAxHostWindow::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP CAxHostWindow::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP CAxHostWindow::DiscardUndoState() { return S_OK; }
STDMETHODIMP CAxHostWindow::DeactivateAndUndo() { return S_OK; }
STDMETHODIMP CAxHostWindow::OnPosRectChange(LPCRECT position) {
  if (!position) return E_POINTER;
  if (m_spInPlaceObject) m_spInPlaceObject->SetObjectRects(position, position);
  return S_OK;
}

// --- IOleInPlaceFrame -------------------------------------------------------

STDMETHODIMP CAxHostWindow::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CAxHostWindow::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CAxHostWindow::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }
STDMETHODIMP CAxHostWindow::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
STDMETHODIMP CAxHostWindow::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
STDMETHODIMP CAxHostWindow::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP CAxHostWindow::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP CAxHostWindow::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP CAxHostWindow::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP CAxHostWindow::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// --- IOleControlSite --------------------------------------------------------

STDMETHODIMP CAxHostWindow::OnControlInfoChanged() { return S_OK; }
STDMETHODIMP CAxHostWindow::LockInPlaceActive(BOOL) { return S_OK; }
STDMETHODIMP CAxHostWindow::GetExtendedControl(IDispatch** extended) {
  if (extended) *extended = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP CAxHostWindow::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CAxHostWindow::TranslateAccelerator(LPMSG, DWORD) { return S_FALSE; }
STDMETHODIMP CAxHostWindow::OnFocus(BOOL) { return S_OK; }
STDMETHODIMP CAxHostWindow::ShowPropertyFrame() { return E_NOTIMPL; }
