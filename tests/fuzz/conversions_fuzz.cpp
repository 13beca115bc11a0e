// Script values through the conversion rules: a type byte, then the value
// (Bool: one byte; Int32: four; Double: eight; String: the rest as UTF-8).
#include <cmath>
#include <cstdlib>

#include "entry/script_value_rules.h"
#include "fuzz_input.h"

namespace {

void* CountedAlloc(uint32_t size) { return std::malloc(size); }

void CheckNumberIn(const NPVariant& v) {
  int32_t number = npconv::NumberIn(v);
  if (v.type == NPVariantType_Bool) FUZZ_CHECK(number == (v.value.boolValue ? 1 : 0));
  if (v.type == NPVariantType_Int32) FUZZ_CHECK(number == v.value.intValue);
  if (v.type != NPVariantType_Double) return;
  double d = v.value.doubleValue;
  if (std::isnan(d)) {
    FUZZ_CHECK(number == 0);
  } else if (d > -2147483649.0 && d < 2147483648.0) {
    FUZZ_CHECK(number == static_cast<int32_t>(std::trunc(d)));
  } else {
    FUZZ_CHECK(number == (d > 0 ? INT32_MAX : INT32_MIN));
  }
}

void CheckString(const NPVariant& v, const std::string& bytes) {
  size_t kept = npconv::Utf8BytesBeforeNul(v.value.stringValue);
  size_t nul = bytes.find('\0');
  FUZZ_CHECK(kept == (nul == std::string::npos ? bytes.size() : nul));
  NPVariant out = {};
  FUZZ_CHECK(npconv::StringOutUtf8(bytes.data(), kept, CountedAlloc, &out));
  FUZZ_CHECK(out.type == NPVariantType_String && out.value.stringValue.UTF8Length == kept);
  FUZZ_CHECK(std::memcmp(out.value.stringValue.UTF8Characters, bytes.data(), kept) == 0);
  FUZZ_CHECK(out.value.stringValue.UTF8Characters[kept] == '\0');
  std::free(const_cast<char*>(out.value.stringValue.UTF8Characters));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  NPVariant v = {};
  v.type = static_cast<NPVariantType>(input.Take<uint8_t>() % 8);
  std::string bytes;
  switch (v.type) {
    case NPVariantType_Bool:
      v.value.boolValue = input.Take<uint8_t>() & 1;
      break;
    case NPVariantType_Int32:
      v.value.intValue = input.Take<int32_t>();
      break;
    case NPVariantType_Double:
      v.value.doubleValue = input.Take<double>();
      break;
    case NPVariantType_String: {
      const std::string_view rest = input.TakeRestInPlace();
      bytes.assign(rest);
      STRINGN_TO_NPVARIANT(rest.data(), static_cast<uint32_t>(rest.size()), v);
      break;
    }
    default:
      break;
  }
  const bool number = v.type == NPVariantType_Bool || v.type == NPVariantType_Int32 ||
                      v.type == NPVariantType_Double;
  FUZZ_CHECK(npconv::AcceptsNumber(v) == number);
  FUZZ_CHECK(npconv::AcceptsBool(v) == (v.type == NPVariantType_Bool));
  FUZZ_CHECK(npconv::AcceptsString(v) == (v.type == NPVariantType_String));
  if (number) CheckNumberIn(v);
  if (v.type == NPVariantType_Bool) FUZZ_CHECK(npconv::BoolIn(v) == npconv::NumberIn(v));
  if (v.type == NPVariantType_String) CheckString(v, bytes);

  NPVariant out = {};
  npconv::BoolOut(static_cast<int32_t>(size), &out);
  FUZZ_CHECK(out.type == NPVariantType_Bool && out.value.boolValue == (size != 0));
  return 0;
}
