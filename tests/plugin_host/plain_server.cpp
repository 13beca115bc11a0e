// PlainObject.dll: an in-process server whose objects offer IUnknown only.
// Registered under the upload control's class, it stands for a control that
// is created and hosted but refuses IPictavoEx.
#include <windows.h>
#include <unknwn.h>

namespace {

LONG g_liveObjects = 0;
LONG g_objectsMade = 0;

class PlainObject final : public IUnknown {
 public:
  PlainObject() {
    InterlockedIncrement(&g_liveObjects);
    InterlockedIncrement(&g_objectsMade);
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) {
      InterlockedDecrement(&g_liveObjects);
      delete this;
    }
    return refs;
  }

 private:
  ~PlainObject() = default;
  LONG m_refs = 1;
};

class Factory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    PlainObject* plain = new PlainObject();
    const HRESULT hr = plain->QueryInterface(iid, object);
    plain->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID iid, void** object) {
  return g_factory.QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_liveObjects == 0 ? S_OK : S_FALSE; }

__declspec(dllexport) LONG PlainLiveObjects() { return g_liveObjects; }
__declspec(dllexport) LONG PlainObjectsMade() { return g_objectsMade; }

}  // extern "C"
