#include "CDownloadSink.h"

#include "CDownloadDispatcher.h"
#include "EngineEvents.h"

namespace {

const DISPID kEventMember = 1;

// The third argument: a byte string by reference gives the payload, a
// reference to -1 a completion without code; anything else is no payload.
Download::EnginePayload PayloadOf(const VARIANT& argument) {
  Download::EnginePayload payload;
  if (argument.vt == (VT_BSTR | VT_BYREF) && argument.pbstrVal && *argument.pbstrVal) {
    payload.data = reinterpret_cast<const uint8_t*>(*argument.pbstrVal);
    payload.size = SysStringByteLen(*argument.pbstrVal);
  } else if (argument.vt == (VT_I4 | VT_BYREF) && argument.plVal && *argument.plVal == -1) {
    payload.bNoCode = true;
  }
  return payload;
}

}  // namespace

HRESULT STDMETHODCALLTYPE CDownloadSink::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  // A dispatch sink is also asked for IDispatch by the proxy of the engine.
  if (riid == DIID__IDownloaderEvents || riid == IID_IDispatch || riid == IID_IUnknown) {
    *ppv = static_cast<_IDownloaderEvents*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CDownloadSink::AddRef() { return InterlockedIncrement(&m_refs); }

ULONG STDMETHODCALLTYPE CDownloadSink::Release() {
  LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return refs;
}

HRESULT STDMETHODCALLTYPE CDownloadSink::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CDownloadSink::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CDownloadSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CDownloadSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD,
                                                DISPPARAMS* pDispParams, VARIANT*, EXCEPINFO*,
                                                UINT*) {
  if (dispIdMember != kEventMember || !pDispParams || pDispParams->cArgs != 3 ||
      !pDispParams->rgvarg)
    return S_OK;
  // Arguments come last first.
  const VARIANT* args = pDispParams->rgvarg;
  int32_t iCode = args[2].lVal;
  int32_t iEngineTaskId = args[1].lVal;
  Download::EnginePayload payload = PayloadOf(args[0]);
  m_owner.Pass([&](CDownloadDispatcher* owner) {
    owner->OnEngineEventPayload(iCode, iEngineTaskId, payload);
  });
  return S_OK;
}
