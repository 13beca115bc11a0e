// Small owners of COM values used across the plug-in.
#pragma once

#include <windows.h>
#include <oleauto.h>

// Owns one BSTR and frees it with SysFreeString.
class ScopedBstr {
 public:
  ScopedBstr() = default;
  explicit ScopedBstr(BSTR value) : m_bstr(value) {}
  ~ScopedBstr() { SysFreeString(m_bstr); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ScopedBstr(ScopedBstr&& other) noexcept : m_bstr(other.m_bstr) { other.m_bstr = nullptr; }
  ScopedBstr& operator=(ScopedBstr&& other) noexcept {
    if (this != &other) {
      SysFreeString(m_bstr);
      m_bstr = other.m_bstr;
      other.m_bstr = nullptr;
    }
    return *this;
  }

  BSTR Get() const { return m_bstr; }
  // For out parameters: frees any held value and hands out the slot, set to null.
  BSTR* Receive() {
    SysFreeString(m_bstr);
    m_bstr = nullptr;
    return &m_bstr;
  }
  BSTR Detach() {
    BSTR value = m_bstr;
    m_bstr = nullptr;
    return value;
  }

 private:
  BSTR m_bstr = nullptr;
};
