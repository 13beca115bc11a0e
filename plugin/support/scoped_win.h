// Owners of the plug-in's Win32 resources: kernel handles (files, events,
// mutexes), registry keys and GDI objects. Each owner closes its resource
// exactly once, when it goes out of scope or is reset.
#pragma once

#include <windows.h>

#include <utility>

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
  void Reset(Value value = Traits::InvalidValue()) {
    if (Traits::IsValid(m_value)) Traits::Free(m_value);
    m_value = value;
  }
  // Gives up ownership without closing.
  Value Release() { return std::exchange(m_value, Traits::InvalidValue()); }
  // For out parameters: closes any held value and hands out the slot.
  Value* Receive() {
    Reset();
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
