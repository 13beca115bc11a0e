// Owners of Win32 resources: kernel handles (files, events, mutexes,
// threads), registry keys, global memory, crypto contexts and GDI objects,
// and the one lock type. Each owner closes its resource exactly once, when it
// goes out of scope or is reset; closing never changes the caller's last
// error.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <utility>

#include "owners/failure.h"

// Holds one value of a resource described by Traits, which gives
// InvalidValue(), IsValid(value) and Free(value).
template <typename Traits>
class ScopedGeneric {
 public:
  using Value = typename Traits::Value;

  ScopedGeneric() = default;
  explicit ScopedGeneric(Value value) : m_value(value) {}
  ~ScopedGeneric() { Reset(); }
  ScopedGeneric(const ScopedGeneric&) = delete;
  ScopedGeneric& operator=(const ScopedGeneric&) = delete;
  ScopedGeneric(ScopedGeneric&& other) noexcept : m_value(other.Release()) {}
  ScopedGeneric& operator=(ScopedGeneric&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  bool IsValid() const { return Traits::IsValid(m_value); }
  Value Get() const { return m_value; }
  // Closes the held value (if any) and takes value; the last error that the
  // caller is about to read stays what it was.
  void Reset(Value value = Traits::InvalidValue()) {
    if (Traits::IsValid(m_value)) {
      const DWORD lastError = GetLastError();
      Traits::Free(m_value);
      SetLastError(lastError);
    }
    m_value = value;
  }
  // Gives up ownership without closing.
  Value Release() { return std::exchange(m_value, Traits::InvalidValue()); }
  // For out parameters: hands out the slot, which must be empty. A held
  // value is a fault of the caller: it is reported and closed, not leaked.
  Value* Receive() {
    if (Traits::IsValid(m_value)) {
      ::owners::ReportFailure(__FILE__, __LINE__, "Receive on a slot that holds a value",
                              E_UNEXPECTED);
      Reset();
    }
    return &m_value;
  }

 private:
  Value m_value = Traits::InvalidValue();
};

struct HandleTraits {
  using Value = HANDLE;
  static HANDLE InvalidValue() { return nullptr; }
  // Both conventions of the API: CreateFile fails with INVALID_HANDLE_VALUE,
  // the others with null.
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) { CloseHandle(h); }
};
using ScopedHandle = ScopedGeneric<HandleTraits>;

struct RegKeyTraits {
  using Value = HKEY;
  static HKEY InvalidValue() { return nullptr; }
  static bool IsValid(HKEY key) { return key != nullptr; }
  static void Free(HKEY key) { RegCloseKey(key); }
};
using ScopedRegKey = ScopedGeneric<RegKeyTraits>;

template <typename T>
struct GdiObjectTraits {
  using Value = T;
  static T InvalidValue() { return nullptr; }
  static bool IsValid(T object) { return object != nullptr; }
  static void Free(T object) { DeleteObject(object); }
};
template <typename T>
using ScopedGdiObject = ScopedGeneric<GdiObjectTraits<T>>;

struct GlobalMemoryTraits {
  using Value = HGLOBAL;
  static HGLOBAL InvalidValue() { return nullptr; }
  static bool IsValid(HGLOBAL memory) { return memory != nullptr; }
  static void Free(HGLOBAL memory) { GlobalFree(memory); }
};
using ScopedGlobal = ScopedGeneric<GlobalMemoryTraits>;

struct CryptProviderTraits {
  using Value = HCRYPTPROV;
  static HCRYPTPROV InvalidValue() { return 0; }
  static bool IsValid(HCRYPTPROV provider) { return provider != 0; }
  static void Free(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
};
using ScopedCryptProvider = ScopedGeneric<CryptProviderTraits>;

struct CryptHashTraits {
  using Value = HCRYPTHASH;
  static HCRYPTHASH InvalidValue() { return 0; }
  static bool IsValid(HCRYPTHASH hash) { return hash != 0; }
  static void Free(HCRYPTHASH hash) { CryptDestroyHash(hash); }
};
using ScopedCryptHash = ScopedGeneric<CryptHashTraits>;

// Holds a lock entered for the owner's lifetime: the one scoped lock of both
// deliverables. Lock is a CRITICAL_SECTION or a type with enter() and
// leave().
template <typename Lock>
class ScopedLock {
 public:
  explicit ScopedLock(Lock& lock) : m_lock(lock) { Enter(m_lock); }
  ~ScopedLock() { Leave(m_lock); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  static void Enter(CRITICAL_SECTION& section) { EnterCriticalSection(&section); }
  static void Leave(CRITICAL_SECTION& section) { LeaveCriticalSection(&section); }
  template <typename Other>
  static void Enter(Other& lock) {
    lock.enter();
  }
  template <typename Other>
  static void Leave(Other& lock) {
    lock.leave();
  }

  Lock& m_lock;
};
using ScopedCriticalSectionLock = ScopedLock<CRITICAL_SECTION>;
