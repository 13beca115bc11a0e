// Integer settings as script text: compared with strtoll on the text up to
// its first NUL, clamped to 32 bits.
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "entry/script_value_rules.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  int32_t value = npconv::ParseBagInteger(text, size);

  std::string copy(text, size);  // stops at the first NUL as a C string
  long long expected = std::strtoll(copy.c_str(), nullptr, 10);
  if (expected > INT32_MAX) expected = INT32_MAX;
  if (expected < INT32_MIN) expected = INT32_MIN;
  FUZZ_CHECK(value == expected);
  return 0;
}
