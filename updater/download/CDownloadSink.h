// The event sink advised on the out-of-process engine: turns the engine's
// dispatch calls into events of the owning dispatcher.
#pragma once

#include <windows.h>

#include "DownloadEngine.h"
#include "call_gate.h"

class CDownloadDispatcher;

class CDownloadSink : public _IDownloaderEvents {
 public:
  CDownloadSink() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                          DISPID* rgDispId) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                   DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                   EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // Events reach the owner only while it is set.
  void SetOwner(CDownloadDispatcher* owner) { m_owner.Open(owner); }
  // Clears the owner and waits, within a bound, for deliveries under way.
  bool DetachOwner(DWORD timeoutMs) { return m_owner.Close(timeoutMs); }

 protected:
  virtual ~CDownloadSink() = default;

 private:
  LONG m_refs = 0;
  Download::CallGate<CDownloadDispatcher> m_owner;
};
