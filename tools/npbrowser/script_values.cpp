#include "script_values.h"

#include <string.h>

namespace npbrowser {

NPVariant Void() {
  NPVariant v;
  VOID_TO_NPVARIANT(v);
  return v;
}

NPVariant Null() {
  NPVariant v;
  NULL_TO_NPVARIANT(v);
  return v;
}

NPVariant Bool(bool value) {
  NPVariant v;
  BOOLEAN_TO_NPVARIANT(value, v);
  return v;
}

NPVariant Int(int32_t value) {
  NPVariant v;
  INT32_TO_NPVARIANT(value, v);
  return v;
}

NPVariant Double(double value) {
  NPVariant v;
  DOUBLE_TO_NPVARIANT(value, v);
  return v;
}

NPVariant String(const std::string& text) {
  NPVariant v;
  STRINGN_TO_NPVARIANT(text.data(), static_cast<uint32_t>(text.size()), v);
  return v;
}

NPVariant String(const char* text) {
  NPVariant v;
  STRINGN_TO_NPVARIANT(text, static_cast<uint32_t>(strlen(text)), v);
  return v;
}

NPVariant Object(NPObject* object) {
  NPVariant v;
  OBJECT_TO_NPVARIANT(object, v);
  return v;
}

Value Copy(const NPVariant& variant) {
  Value value;
  value.type = variant.type;
  switch (variant.type) {
    case NPVariantType_Bool:
      value.boolValue = variant.value.boolValue;
      break;
    case NPVariantType_Int32:
      value.intValue = variant.value.intValue;
      break;
    case NPVariantType_Double:
      value.doubleValue = variant.value.doubleValue;
      break;
    case NPVariantType_String:
      if (variant.value.stringValue.UTF8Characters)
        value.stringValue.assign(variant.value.stringValue.UTF8Characters,
                                 variant.value.stringValue.UTF8Length);
      break;
    case NPVariantType_Object:
      value.objectValue = variant.value.objectValue;
      break;
    default:
      break;
  }
  return value;
}

}  // namespace npbrowser
