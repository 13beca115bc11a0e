// Response header lines as a host sends them, read the way the fetch reads
// them before asking for the rest of a body; the whole input is also taken
// as a proxy configuration script's answer. libFuzzer's buffer is read in
// place, so a read past a line's end is caught.
#include <cstring>

#include "app/transfer_resume_rules.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResumeHeaders headers;
  const char* text = reinterpret_cast<const char*>(data);
  size_t start = 0;
  while (start < size) {
    const void* newline = std::memchr(text + start, '\n', size - start);
    size_t end = newline ? static_cast<size_t>(static_cast<const char*>(newline) - text) + 1 : size;
    ReadResumeHeaderLine(text + start, end - start, headers);
    start = end;
  }
  std::string validator = ResumeValidator(headers);
  for (char c : validator) FUZZ_CHECK(c != '\r' && c != '\n' && c != '\0');
  FUZZ_CHECK(validator.size() <= 1024);
  if (CanResume(headers)) FUZZ_CHECK(!validator.empty());
  if (ClassifyResumeAnswer(headers, headers.rangeStart, validator) == ResumeAnswer::kContinue) {
    FUZZ_CHECK(headers.status == 206 && headers.hasContentRange);
  }
  ScriptProxy proxy = FirstScriptProxy(std::string(text, size));
  FUZZ_CHECK((proxy.kind == ScriptProxyKind::kProxy) == !proxy.hostPort.empty());
  for (char c : proxy.hostPort) FUZZ_CHECK(c != ';' && c != ' ' && c != '\r' && c != '\n');
  return 0;
}
