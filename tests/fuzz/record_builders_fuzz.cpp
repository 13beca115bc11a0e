// The engine's task and proxy records built from any client request: every
// text field stays within its size and terminated, double-byte characters
// are never split, and the fixed fields carry their rules.
#include <algorithm>
#include <string>
#include <vector>

#include "EngineRecords.h"
#include "fuzz_input.h"

namespace {

using namespace Download;

// Stands in for the platform's code page 936 conversion: ASCII as one byte,
// every other unit as a lead and a trail byte.
std::string StandInCp936(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    uint32_t unit = static_cast<uint32_t>(c) & 0xFFFF;
    if (unit < 0x80) {
      bytes += static_cast<char>(unit);
    } else {
      bytes += static_cast<char>(0x81 + unit % 0x7E);
      bytes += static_cast<char>(0x40 + unit % 0xBF);
    }
  }
  return bytes;
}

// Fields of the input are separated by newlines; a byte from 0x80 up is a
// double-byte character.
std::wstring TakeText(FuzzInput& input) {
  std::string bytes = input.TakeUntil('\n');
  std::wstring text;
  for (unsigned char b : bytes) text += b < 0x80 ? wchar_t(b) : wchar_t(0x4E00 + b);
  return text;
}

// Whole characters of the text, as many as fit before the terminator.
size_t WholeCharactersThatFit(const std::string& text, size_t limit) {
  size_t kept = 0;
  while (kept < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[kept]);
    size_t size = (b >= 0x81 && b <= 0xFE && kept + 1 < text.size()) ? 2 : 1;
    if (kept + size > limit) break;
    kept += size;
  }
  return kept;
}

template <size_t N>
void CheckField(const char (&field)[N], const std::wstring& source) {
  const std::string full = StandInCp936(source);
  const size_t kept = WholeCharactersThatFit(full, N - 1);
  FUZZ_CHECK(full.compare(0, kept, field, kept) == 0);
  for (size_t i = kept; i < N; ++i) FUZZ_CHECK(field[i] == '\0');
  FUZZ_CHECK(FieldTextLength(field, N) == std::min(kept, full.find('\0')));
}

void CheckTask(FuzzInput& input) {
  TaskInfo task;
  task.iOption = input.Take<int32_t>();
  task.ullFileSize = input.Take<uint64_t>() >> (input.Take<uint8_t>() % 64);
  task.bSmallFile = input.Take<int8_t>();
  task.bOption1 = input.Take<int32_t>();
  task.bOption2 = input.Take<int32_t>();
  task.bOption3 = input.Take<int32_t>();
  task.uiOption3 = input.Take<uint32_t>();
  task.byTaskFlags = input.Take<uint8_t>();
  const uint32_t customId = input.Take<uint32_t>();
  task.strUrl = TakeText(input);
  task.strFileName = TakeText(input);
  task.strExtra1 = TakeText(input);
  task.strExtra2 = TakeText(input);
  task.strExtra3 = TakeText(input);
  task.strExtra4 = TakeText(input);

  const EngineTaskRecord record = BuildEngineTaskRecord(task, customId, &StandInCp936);
  CheckField(record.szUrl, task.strUrl);
  CheckField(record.szFileName, task.strFileName);
  CheckField(record.szExtra1, task.strExtra1);
  CheckField(record.szExtra2, task.strExtra2);
  CheckField(record.szExtra3, task.strExtra3);
  CheckField(record.szExtra4, task.strExtra4);
  const bool small = task.bSmallFile != 0 || (task.ullFileSize > 0 && task.ullFileSize < 204800);
  FUZZ_CHECK(record.bySmallFile == (small ? 1 : 0));
  FUZZ_CHECK(record.byOption1 == static_cast<uint8_t>(task.bOption1));
  FUZZ_CHECK(record.byOption2 == static_cast<uint8_t>(task.bOption2));
  FUZZ_CHECK(record.byOption3 == static_cast<uint8_t>(task.bOption3));
  FUZZ_CHECK(record.iOption == task.iOption && record.uiCustomID == customId);
  FUZZ_CHECK((uint64_t(record.uiFileSizeHigh) << 32 | record.uiFileSizeLow) == task.ullFileSize);
  FUZZ_CHECK(record.auiOption[2] == task.uiOption3 && record.byTaskFlags == task.byTaskFlags);
  FUZZ_CHECK(record.iTaskId == 0 && record.uiCallback == 0);
  FUZZ_CHECK(record.iReserved1 == 5 && record.iReserved2 == 5 && record.iReserved3 == 32);
  FUZZ_CHECK(record.byReserved6 == 1);
}

void CheckProxy(FuzzInput& input) {
  ProxyInfo proxy;
  proxy.eProxyType = input.Take<int32_t>();
  proxy.usProxyPort = input.Take<uint16_t>();
  proxy.strProxyIP = TakeText(input);
  proxy.strProxyExtra1 = TakeText(input);
  proxy.strProxyExtra2 = TakeText(input);
  proxy.strProxyExtra3 = TakeText(input);
  const EngineProxyRecord record = BuildEngineProxyRecord(proxy, &StandInCp936);
  FUZZ_CHECK(record.eProxyType == proxy.eProxyType && record.usProxyPort == proxy.usProxyPort);
  CheckField(record.szProxyIP, proxy.strProxyIP);
  CheckField(record.szProxyExtra1, proxy.strProxyExtra1);
  CheckField(record.szProxyExtra2, proxy.strProxyExtra2);
  CheckField(record.szProxyExtra3, proxy.strProxyExtra3);
}

void CheckConfig(FuzzInput& input) {
  InProcessConfig config = BuildInProcessConfig();
  const int random1 = input.Take<int32_t>(), random2 = input.Take<int32_t>();
  CompleteInProcessConfig(config, random1, random2, input.Take<uint32_t>(), input.Take<uint32_t>());
  FUZZ_CHECK(config.usRandomPort1 >= 8000 && config.usRandomPort1 < 9000);
  FUZZ_CHECK(config.usRandomPort2 >= 30000 && config.usRandomPort2 < 31000);
  FUZZ_CHECK(config.byFinal == 15);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  CheckTask(input);
  CheckProxy(input);
  CheckConfig(input);
  return 0;
}
