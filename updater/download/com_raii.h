// Owners of the Win32 and COM resources of the download component.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstddef>

namespace Download {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  void Reset(HANDLE handle = nullptr) {
    if (m_handle) CloseHandle(m_handle);
    m_handle = handle;
  }

 private:
  HANDLE m_handle = nullptr;
};

// A byte string holding exactly `size` bytes; freed with the owner.
class ScopedByteString {
 public:
  ScopedByteString(const void* data, size_t size)
      : m_bstr(SysAllocStringByteLen(static_cast<const char*>(data), static_cast<UINT>(size))) {}
  ~ScopedByteString() { SysFreeString(m_bstr); }
  ScopedByteString(const ScopedByteString&) = delete;
  ScopedByteString& operator=(const ScopedByteString&) = delete;

  explicit operator bool() const { return m_bstr != nullptr; }
  BSTR* Address() { return &m_bstr; }

 private:
  BSTR m_bstr;
};

// Membership of the calling thread in the multithreaded apartment.
class ScopedMultithreadedApartment {
 public:
  ScopedMultithreadedApartment() : m_hr(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ScopedMultithreadedApartment() {
    if (SUCCEEDED(m_hr)) CoUninitialize();
  }
  ScopedMultithreadedApartment(const ScopedMultithreadedApartment&) = delete;
  ScopedMultithreadedApartment& operator=(const ScopedMultithreadedApartment&) = delete;

  bool Joined() const { return SUCCEEDED(m_hr); }
  HRESULT Result() const { return m_hr; }

 private:
  HRESULT m_hr;
};

// A library loaded through CoLoadLibrary.
class ScopedCoLibrary {
 public:
  ScopedCoLibrary() = default;
  ~ScopedCoLibrary() { Reset(); }
  ScopedCoLibrary(const ScopedCoLibrary&) = delete;
  ScopedCoLibrary& operator=(const ScopedCoLibrary&) = delete;

  HINSTANCE Get() const { return m_module; }
  explicit operator bool() const { return m_module != nullptr; }
  void Reset(HINSTANCE module = nullptr) {
    if (m_module) CoFreeLibrary(m_module);
    m_module = module;
  }

 private:
  HINSTANCE m_module = nullptr;
};

}  // namespace Download
