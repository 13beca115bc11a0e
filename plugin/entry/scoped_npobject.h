// A counted reference to a browser object: retained when taken or copied,
// released through the browser when let go.
#pragma once

#include <utility>

#include "entry/browser_funcs.h"

class ScopedNPObject {
 public:
  ScopedNPObject() = default;
  // Adopts a reference the caller already holds (NPN_CreateObject's).
  static ScopedNPObject Adopt(NPObject* object) { return ScopedNPObject(object, true); }
  // Takes a reference of its own.
  static ScopedNPObject Retain(NPObject* object) { return ScopedNPObject(object, false); }

  ~ScopedNPObject() { Reset(); }
  ScopedNPObject(const ScopedNPObject& other) : ScopedNPObject(other.m_object, false) {}
  ScopedNPObject& operator=(const ScopedNPObject& other) {
    if (this != &other) *this = Retain(other.m_object);
    return *this;
  }
  ScopedNPObject(ScopedNPObject&& other) noexcept
      : m_object(std::exchange(other.m_object, nullptr)) {}
  ScopedNPObject& operator=(ScopedNPObject&& other) noexcept {
    if (this != &other) {
      Reset();
      m_object = std::exchange(other.m_object, nullptr);
    }
    return *this;
  }

  NPObject* Get() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }
  void Reset() {
    if (NPObject* object = std::exchange(m_object, nullptr)) NPN_ReleaseObject(object);
  }

 private:
  ScopedNPObject(NPObject* object, bool adopt)
      : m_object(adopt || !object ? object : NPN_RetainObject(object)) {}

  NPObject* m_object = nullptr;
};
