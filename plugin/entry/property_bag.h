// One-value property bags that carry a script assignment into the control's
// IPersistPropertyBag::Load. A bag answers only for its own name and only
// during one Load; it is owned by its property entry, not reference counted.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "entry/npapi_abi.h"

class CPropertyBag : public IPropertyBag {
 public:
  explicit CPropertyBag(const char* name) : m_szName(name) {}
  CPropertyBag(const CPropertyBag&) = delete;
  CPropertyBag& operator=(const CPropertyBag&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 0; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* var, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return S_OK; }
  virtual ~CPropertyBag() = default;
  virtual HRESULT ReadValue(const char* text, uint32_t length, VARIANT* var);
  virtual long Reserved() { return 0; }

  // The setting's name, which is also the bag's.
  const char* Name() const { return m_szName; }
  // The script value that the current Load delivers; null when none.
  void SetPending(const NPVariant* value) { m_pPending = value; }

 private:
  const char* m_szName;
  const NPVariant* m_pPending = nullptr;
};

class CPropertyBagRwI4 : public CPropertyBag {
 public:
  using CPropertyBag::CPropertyBag;
  HRESULT ReadValue(const char* text, uint32_t length, VARIANT* var) override;
};

class CPropertyBagRwBSTR : public CPropertyBag {
 public:
  using CPropertyBag::CPropertyBag;
  HRESULT ReadValue(const char* text, uint32_t length, VARIANT* var) override;
};
