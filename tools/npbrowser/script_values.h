// Script values as page script hands them to a plug-in, and copies of the
// values a plug-in hands back.
#pragma once

#include <string>
#include <vector>

#include "entry/npapi_abi.h"

namespace npbrowser {

NPVariant Void();
NPVariant Null();
NPVariant Bool(bool value);
NPVariant Int(int32_t value);
NPVariant Double(double value);
// The variant points into text, which must outlive it.
NPVariant String(const std::string& text);
NPVariant String(const char* text);
NPVariant Object(NPObject* object);

// An owned copy of a variant, safe to keep after the original is released.
struct Value {
  NPVariantType type = NPVariantType_Void;
  bool boolValue = false;
  int32_t intValue = 0;
  double doubleValue = 0;
  std::string stringValue;
  NPObject* objectValue = nullptr;
};

Value Copy(const NPVariant& variant);

}  // namespace npbrowser
