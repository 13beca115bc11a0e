// A stand-in for the upload control's IPictavoEx and IPersistPropertyBag:
// every operation records its name and arguments and returns a chosen
// HRESULT; getters hand out chosen values; Load reads chosen names from the
// bag it is given.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ZumiPictavoEx.h"

struct ControlCall {
  std::string method;
  std::vector<std::wstring> args;  // numbers in decimal, strings quoted, null strings as null
};

struct BagRead {
  std::wstring name;
  VARTYPE type;
  HRESULT result = S_OK;
  long number = 0;
  std::wstring text;
  bool textIsNull = true;
};

class FakeControl : public IPictavoEx, public IPersistPropertyBag {
 public:
  // What the next operations give back.
  HRESULT result = S_OK;
  LONG outLong = 0;
  bool outTextIsNull = false;
  std::wstring outText;
  bool persistable = true;
  HRESULT loadResult = S_OK;
  std::vector<BagRead> readsOnLoad;  // filled in by Load
  // Interfaces that Load asks the bag for; the answers land in bagAnswers.
  std::vector<IID> bagQueries;
  struct BagAnswer {
    HRESULT result;
    void* object;
  };
  std::vector<BagAnswer> bagAnswers;

  std::vector<ControlCall> calls;
  std::vector<BagRead> readsDone;
  LONG refs = 1;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IPictavoEx)
      *out = static_cast<IPictavoEx*>(this);
    else if (iid == IID_IPersistPropertyBag && persistable)
      *out = static_cast<IPersistPropertyBag*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }

  // IDispatch: the plug-in never goes this way.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override {
    for (const IID& iid : bagQueries) {
      void* object = reinterpret_cast<void*>(1);
      HRESULT hr = bag->QueryInterface(iid, &object);
      bagAnswers.push_back(BagAnswer{hr, object});
      if (SUCCEEDED(hr) && object) static_cast<IUnknown*>(object)->Release();
    }
    for (BagRead read : readsOnLoad) {
      VARIANT var;
      VariantInit(&var);
      var.vt = read.type;
      read.result = bag->Read(read.name.c_str(), &var, log);
      if (SUCCEEDED(read.result) && var.vt == VT_I4) read.number = var.lVal;
      if (SUCCEEDED(read.result) && var.vt == VT_BSTR) {
        read.textIsNull = var.bstrVal == nullptr;
        if (var.bstrVal) read.text.assign(var.bstrVal, SysStringLen(var.bstrVal));
      }
      VariantClear(&var);
      readsDone.push_back(read);
    }
    return loadResult;
  }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

  // IPictavoEx, positions 7 to 92, generated from the control's IDL.
#include "pictavo_methods.inc"

 private:
  static std::wstring Arg(LONG value) { return std::to_wstring(value); }
  static std::wstring Arg(BSTR value) {
    return value ? L"'" + std::wstring(value, SysStringLen(value)) + L"'" : L"null";
  }
  void Record(const wchar_t* method, std::vector<std::wstring> args) {
    calls.push_back(ControlCall{std::string(method, method + wcslen(method)), std::move(args)});
  }
  HRESULT Call(int, const wchar_t* method, std::initializer_list<std::wstring> args) {
    Record(method, args);
    return result;
  }
  HRESULT GetLong(int, const wchar_t* method, long* out) {
    Record(method, {});
    *out = outLong;
    return result;
  }
  HRESULT GetString(int, const wchar_t* method, BSTR* out) {
    Record(method, {});
    *out = OutText();
    return result;
  }
  BSTR OutText() const {
    return outTextIsNull ? nullptr
                         : SysAllocStringLen(outText.data(), static_cast<UINT>(outText.size()));
  }
};
