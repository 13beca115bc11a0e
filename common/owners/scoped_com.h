// Owners of COM values and apartment state: BSTR, VARIANT, COM or OLE initialisation
// and libraries loaded through COM. Interface pointers are held in
// Microsoft::WRL::ComPtr.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <utility>

#include "owners/scoped_win.h"

// Owns one BSTR and frees it with SysFreeString.
class ScopedBstr {
 public:
  ScopedBstr() = default;
  explicit ScopedBstr(BSTR value) : m_bstr(value) {}
  ~ScopedBstr() { SysFreeString(m_bstr); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ScopedBstr(ScopedBstr&& other) noexcept : m_bstr(other.Detach()) {}
  ScopedBstr& operator=(ScopedBstr&& other) noexcept {
    if (this != &other) {
      SysFreeString(m_bstr);
      m_bstr = other.Detach();
    }
    return *this;
  }

  BSTR Get() const { return m_bstr; }
  // For out parameters: hands out the slot, which must be empty (a held
  // string is reported and freed, not leaked).
  BSTR* Receive() {
    if (m_bstr) {
      ::owners::ReportFailure(__FILE__, __LINE__, "Receive on a string that holds a value",
                              E_UNEXPECTED);
      SysFreeString(std::exchange(m_bstr, nullptr));
    }
    return &m_bstr;
  }
  BSTR Detach() { return std::exchange(m_bstr, nullptr); }

 private:
  BSTR m_bstr = nullptr;
};

// Owns one VARIANT and clears it with VariantClear.
class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&m_variant); }
  ~ScopedVariant() { VariantClear(&m_variant); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  const VARIANT& Get() const { return m_variant; }
  VARIANT* Ptr() { return &m_variant; }
  // For out parameters: clears any held value and hands out the slot.
  VARIANT* Receive() {
    VariantClear(&m_variant);
    return &m_variant;
  }

 private:
  VARIANT m_variant;
};

// OLE initialised on this thread for the owner's lifetime; uninitialised
// only if the initialisation succeeded.
class ScopedOleInitialize {
 public:
  ScopedOleInitialize() : m_hr(OleInitialize(nullptr)) {}
  ~ScopedOleInitialize() {
    if (SUCCEEDED(m_hr)) OleUninitialize();
  }
  ScopedOleInitialize(const ScopedOleInitialize&) = delete;
  ScopedOleInitialize& operator=(const ScopedOleInitialize&) = delete;
  bool Succeeded() const { return SUCCEEDED(m_hr); }

 private:
  HRESULT m_hr;
};

// COM initialised on this thread in the given apartment for the owner's
// lifetime.
class ScopedComInitialize {
 public:
  explicit ScopedComInitialize(DWORD apartment = COINIT_APARTMENTTHREADED)
      : m_hr(CoInitializeEx(nullptr, apartment)) {}
  ~ScopedComInitialize() {
    if (SUCCEEDED(m_hr)) CoUninitialize();
  }
  ScopedComInitialize(const ScopedComInitialize&) = delete;
  ScopedComInitialize& operator=(const ScopedComInitialize&) = delete;
  bool Succeeded() const { return SUCCEEDED(m_hr); }
  HRESULT Result() const { return m_hr; }

 private:
  HRESULT m_hr;
};

struct CoLibraryTraits {
  using Value = HINSTANCE;
  static HINSTANCE InvalidValue() { return nullptr; }
  static bool IsValid(HINSTANCE module) { return module != nullptr; }
  static void Free(HINSTANCE module) { CoFreeLibrary(module); }
};
// A library loaded with CoLoadLibrary, freed with CoFreeLibrary.
using ScopedCoLibrary = ScopedGeneric<CoLibraryTraits>;
