// Log records of any thread id, clock, module key and text into a buffer of
// any size up to the record limit; and the cutting of message text to fit
// the narrow buffer, measured as UTF-8.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "log/log_record.h"

namespace {

// UTF-8 bytes of the first `units` units (an unpaired surrogate takes three).
int Utf8Bytes(const std::u16string& text, int units) {
  int bytes = 0;
  for (int i = 0; i < units; ++i) {
    char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      bytes += 4;
      ++i;
    } else {
      bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    }
  }
  return bytes;
}

void CheckRecord(FuzzInput& input) {
  const uint32_t threadId = input.Take<uint32_t>();
  LogClock clock = {input.Take<int32_t>(), input.Take<int32_t>(), input.Take<int32_t>(),
                    input.Take<int32_t>()};
  const int moduleKey = input.Take<int32_t>();
  const size_t capacity = input.Take<uint16_t>() % (kLogRecordMaxChars + 2);
  const std::string text = input.TakeUntil(0);

  std::vector<char> out(capacity + 1, '\x7F');  // one guard byte
  int length = FormatLogRecord(out.data(), capacity, threadId, clock, moduleKey, text.c_str());
  FUZZ_CHECK(out[capacity] == '\x7F');
  if (capacity == 0) {
    FUZZ_CHECK(length == 0);
    return;
  }
  FUZZ_CHECK(length >= 0 && static_cast<size_t>(length) < capacity);
  FUZZ_CHECK(std::string(out.data()).size() == static_cast<size_t>(length));
  for (size_t i = length; i < capacity; ++i) FUZZ_CHECK(out[i] == '\0');

  const std::string head = "(" + std::to_string(static_cast<int>(threadId)) + ") ";
  const std::string tail = std::string(" ") + LogModuleName(moduleKey) + ": " + text;
  const std::string record(out.data(), length);
  const size_t shared = std::min(head.size(), record.size());
  FUZZ_CHECK(record.compare(0, shared, head, 0, shared) == 0);
  if (capacity == kLogRecordMaxChars + 1 && head.size() + tail.size() + 20 < capacity &&
      clock.hour >= 0 && clock.hour < 100 && clock.minute >= 0 && clock.minute < 100 &&
      clock.second >= 0 && clock.second < 100 && clock.millisecond >= 0 &&
      clock.millisecond < 1000) {
    FUZZ_CHECK(record.size() == head.size() + 15 + tail.size());
    FUZZ_CHECK(record.compare(record.size() - tail.size(), tail.size(), tail) == 0);
  }
}

void CheckFit(FuzzInput& input) {
  const int capacity = input.Take<uint16_t>() % 4097;
  const std::u16string text = Utf16Units(input.TakeRest());
  const int length = static_cast<int>(text.size());
  auto bytesFor = [&text](int units) { return Utf8Bytes(text, units); };
  const int fitting = FitLogText(text.data(), length, capacity, bytesFor);
  FUZZ_CHECK(fitting >= 0 && fitting <= length);
  if (fitting > 0) FUZZ_CHECK(Utf8Bytes(text, fitting) < capacity);
  if (fitting > 0 && fitting < length) {
    const bool splitsPair = IsHighSurrogateUnit(text[fitting - 1]) && text[fitting] >= 0xDC00 &&
                            text[fitting] <= 0xDFFF;
    FUZZ_CHECK(!splitsPair);
  }
  if (length > 0 && Utf8Bytes(text, length) < capacity) FUZZ_CHECK(fitting == length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  CheckRecord(input);
  CheckFit(input);
  return 0;
}
