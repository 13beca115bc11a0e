// Registry string data of any length and content.
#include "app/registry_text.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text = u"unchanged";
  bool ok = ParseRegistryTextBytes(data, size, text);
  std::u16string units = Utf16Units(std::string(reinterpret_cast<const char*>(data), size));
  bool wellFormed = size == 0 || (size % 2 == 0 && units.back() == u'\0');
  FUZZ_CHECK(ok == wellFormed);
  if (!ok) {
    FUZZ_CHECK(text == u"unchanged");
    return 0;
  }
  FUZZ_CHECK(text == units.substr(0, units.find(u'\0')));
  return 0;
}
