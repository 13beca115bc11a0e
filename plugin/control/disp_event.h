// Dispatch event sinks: a sink class answers a source's dispinterface through
// IDispatch::Invoke, finds the event's row in its static sink table, takes
// the event's parameter types from the registered type library and calls the
// row's forwarder with the arguments in declaration order, each of its
// declared type. A sink is connected to one connection point of its source.
//
// Base chain of a sink class (most derived first): IDispEventImpl (type
// library), IDispEventSimpleImpl (IDispatch and the table walk),
// DispEventConnection (identifiers, version and connection cookie).
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <map>
#include <utility>

namespace dispevent {

// Events with more parameters than this are refused.
constexpr SHORT kMaxParams = 8;

// The parameter description of one event. nParams is the declared count,
// also when it exceeds kMaxParams (then only the first types are kept).
struct FuncInfo {
  SHORT nParams = 0;
  VARTYPE pVarTypes[kMaxParams] = {};
};

// One row of a sink table. The forwarder gets the arguments in declaration
// order, already of the types of the description (pInfo, or the type
// library's when pInfo is null).
template <class T>
struct SinkEntry {
  UINT nControlID;
  const IID* piid;
  DISPID dispid;
  HRESULT (*pfn)(T* sink, VARIANT* const* args, UINT count);
  const FuncInfo* pInfo;
};

// The event's arguments of one Invoke, arranged and coerced.
class Arguments {
 public:
  Arguments() = default;
  ~Arguments();
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  // Positional arguments come last-first in the dispatch parameters, named
  // ones go to the position of their DISPID. Every declared parameter must be
  // given exactly once; an argument of another type is coerced with COM's
  // rules or refused (DISP_E_TYPEMISMATCH, its index in *argError).
  HRESULT Arrange(const DISPPARAMS* params, const FuncInfo& info, UINT* argError);
  VARIANT* const* Pointers() { return m_pointers; }
  UINT Count() const { return m_count; }

 private:
  VARIANT* m_pointers[kMaxParams] = {};
  VARIANT m_coerced[kMaxParams];
  bool m_owned[kMaxParams] = {};
  UINT m_count = 0;
};

// Stores a handler's result as the dispatch result.
void SetResult(VARIANT* result, HRESULT hr);

// The event interface's type information, loaded from the registered type
// library on first use and kept, with each event's description once looked up.
class TypeInfoHolder {
 public:
  // S_OK with the description; a failure when the library, the interface or
  // the DISPID cannot be had.
  HRESULT GetFuncInfo(REFGUID libid, REFIID iid, WORD major, WORD minor, LCID lcid, DISPID id,
                      FuncInfo& info);
  // Lets go of the type information (it is loaded again when needed).
  void Clear();

 private:
  Microsoft::WRL::ComPtr<ITypeInfo> m_spInfo;
  std::map<DISPID, FuncInfo> m_funcs;
};

// What the type library says of one dispinterface member.
HRESULT DescribeFunc(ITypeInfo* info, DISPID id, FuncInfo& out);

}  // namespace dispevent

// Identifiers, version and connection of one sink.
class DispEventConnection {
 public:
  static constexpr DWORD kNotConnected = 0xFEFEFEFE;

  DispEventConnection(REFGUID libid, REFIID iid, WORD major, WORD minor)
      : m_libid(libid), m_iid(iid), m_wMajorVerNum(major), m_wMinorVerNum(minor) {}
  DispEventConnection(const DispEventConnection&) = delete;
  DispEventConnection& operator=(const DispEventConnection&) = delete;

  bool IsConnected() const { return m_dwEventCookie != kNotConnected; }

 protected:
  // Connects `sink` to the source's connection point for the event
  // interface; the cookie stays kNotConnected when that fails.
  HRESULT Advise(IUnknown* source, IUnknown* sink);
  // Ends a connection made with Advise; kNotConnected afterwards either way.
  HRESULT Unadvise(IUnknown* source);

  GUID m_libid;
  IID m_iid;
  WORD m_wMajorVerNum;
  WORD m_wMinorVerNum;
  DWORD m_dwEventCookie = kNotConnected;
};

// IDispatch of a sink over T's sink table (T::SinkMap(&count)). The sink is
// part of its owner and not reference counted.
template <UINT nID, class T, const IID* pdiid>
class IDispEventSimpleImpl : public IDispatch, public DispEventConnection {
 public:
  using DispEventConnection::DispEventConnection;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != *pdiid) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

  // Events without a row, or whose description cannot be had, are answered
  // S_OK and go nowhere. Nothing of the sink is touched once the forwarder
  // has been called: the handler may have ended the sink's owner.
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID lcid, WORD, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT* argError) override {
    const dispevent::SinkEntry<T>* entry = Find(id);
    if (!entry) return S_OK;
    dispevent::FuncInfo described;
    const dispevent::FuncInfo* info = entry->pInfo;
    if (!info) {
      if (FAILED(GetFuncInfoFromId(*pdiid, id, lcid, described))) return S_OK;
      info = &described;
    }
    if (info->nParams > dispevent::kMaxParams) return E_FAIL;
    dispevent::Arguments args;
    HRESULT hr = args.Arrange(params, *info, argError);
    if (FAILED(hr)) return hr;
    dispevent::SetResult(result, entry->pfn(static_cast<T*>(this), args.Pointers(), args.Count()));
    return S_OK;
  }

  // The description of one event; none in this class.
  virtual HRESULT GetFuncInfoFromId(const IID&, DISPID, LCID, dispevent::FuncInfo&) {
    return E_NOTIMPL;
  }

  HRESULT DispEventAdvise(IUnknown* source) {
    return this->Advise(source, static_cast<IDispatch*>(this));
  }
  HRESULT DispEventUnadvise(IUnknown* source) { return this->Unadvise(source); }

 private:
  static const dispevent::SinkEntry<T>* Find(DISPID id) {
    size_t count = 0;
    const dispevent::SinkEntry<T>* rows = T::SinkMap(&count);
    for (size_t i = 0; i < count; ++i)
      if (rows[i].nControlID == nID && rows[i].dispid == id && *rows[i].piid == *pdiid)
        return &rows[i];
    return nullptr;
  }
};

// A sink whose events are described by the type library plibid, version
// wMajor.wMinor, registered on the machine.
template <UINT nID, class T, const IID* pdiid, const GUID* plibid, WORD wMajor, WORD wMinor>
class IDispEventImpl : public IDispEventSimpleImpl<nID, T, pdiid> {
 public:
  IDispEventImpl() : IDispEventSimpleImpl<nID, T, pdiid>(*plibid, *pdiid, wMajor, wMinor) {}

  HRESULT GetFuncInfoFromId(const IID& iid, DISPID id, LCID lcid,
                            dispevent::FuncInfo& info) override {
    return m_typeInfo.GetFuncInfo(this->m_libid, iid, this->m_wMajorVerNum, this->m_wMinorVerNum,
                                  lcid, id, info);
  }

 protected:
  dispevent::TypeInfoHolder m_typeInfo;
};

namespace dispevent {

// How a handler parameter type is read from an arranged argument.
template <typename Arg>
struct ArgOf;
template <>
struct ArgOf<long> {
  static constexpr VARTYPE vt = VT_I4;
  static long Get(const VARIANT& v) { return V_I4(&v); }
};
template <>
struct ArgOf<BSTR> {
  static constexpr VARTYPE vt = VT_BSTR;
  static BSTR Get(const VARIANT& v) { return V_BSTR(&v); }
};

// The forwarder of a sink-table row: calls the (virtual) handler with the
// arranged arguments, after checking that they are what the handler takes.
template <auto Handler>
struct Forwarder;
template <class T, typename... Args, HRESULT (T::*Handler)(Args...)>
struct Forwarder<Handler> {
  static HRESULT Call(T* sink, VARIANT* const* args, UINT count) {
    if (count != sizeof...(Args)) return DISP_E_BADPARAMCOUNT;
    return Dispatch(sink, args, std::index_sequence_for<Args...>());
  }

 private:
  template <size_t... I>
  static HRESULT Dispatch(T* sink, VARIANT* const* args, std::index_sequence<I...>) {
    if (!((V_VT(args[I]) == ArgOf<Args>::vt) && ...)) return DISP_E_TYPEMISMATCH;
    return (sink->*Handler)(ArgOf<Args>::Get(*args[I])...);
  }
};

}  // namespace dispevent
