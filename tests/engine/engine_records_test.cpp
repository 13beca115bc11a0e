// The engine records as the engine reads them: defaults, options and texts at
// their byte offsets.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "EngineRecords.h"

namespace {

using namespace Download;

template <typename T>
const unsigned char* Bytes(const T& record) {
  return reinterpret_cast<const unsigned char*>(&record);
}

template <typename T>
uint32_t U32At(const T& record, size_t offset) {
  uint32_t value;
  std::memcpy(&value, Bytes(record) + offset, 4);
  return value;
}

template <typename T>
uint16_t U16At(const T& record, size_t offset) {
  uint16_t value;
  std::memcpy(&value, Bytes(record) + offset, 2);
  return value;
}

template <typename T>
std::string TextAt(const T& record, size_t offset, size_t size) {
  const char* field = reinterpret_cast<const char*>(Bytes(record) + offset);
  return std::string(field, FieldTextLength(field, size));
}

template <typename T>
bool ZeroRange(const T& record, size_t offset, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (Bytes(record)[offset + i] != 0) return false;
  return true;
}

TEST(EngineTaskRecordTest, DefaultTaskCarriesTheRecordDefaults) {
  EngineTaskRecord record = BuildEngineTaskRecord(TaskInfo(), 0);
  EXPECT_EQ(0u, U32At(record, 0));
  EXPECT_TRUE(ZeroRange(record, 4, 12556));  // all five text fields empty
  EXPECT_EQ(5u, U32At(record, 12560));
  EXPECT_EQ(5u, U32At(record, 12564));
  EXPECT_EQ(32u, U32At(record, 12568));
  EXPECT_TRUE(ZeroRange(record, 12572, 64 + 12));
  EXPECT_EQ(0, Bytes(record)[12648]);
  EXPECT_EQ(1, Bytes(record)[12649]);
  EXPECT_EQ(1, Bytes(record)[12650]);
  EXPECT_EQ(0, Bytes(record)[12651]);
  EXPECT_TRUE(ZeroRange(record, 12652, 8));
  EXPECT_EQ(1, Bytes(record)[12660]);
  EXPECT_EQ(0u, U32At(record, 12661)) << "a default TaskInfo gives iOption 0, not -1";
  EXPECT_TRUE(ZeroRange(record, 12665, 12793 - 12665));
}

TEST(EngineTaskRecordTest, FieldsLandAtTheirOffsets) {
  TaskInfo task;
  task.strUrl = L"http://127.0.0.1:8080/setup.exe";
  task.strFileName = L"C:\\temp\\ZumiPhotoUpload.exe";
  task.strExtra1 = L"e1";
  task.strExtra2 = L"e2";
  task.strExtra3 = L"e3";
  task.strExtra4 = L"e4";
  task.iOption = 7;
  task.ullFileSize = 0x0000000512345678ull;
  task.bOption1 = 0x1200;  // only the low bytes travel
  task.bOption2 = 0x0102;
  task.bOption3 = 0x0300;
  task.uiOption1 = 11;
  task.uiOption5 = 55;
  task.byTaskFlags = 0x80;
  EngineTaskRecord record = BuildEngineTaskRecord(task, 0xCAFE);
  EXPECT_EQ("http://127.0.0.1:8080/setup.exe", TextAt(record, 4, 4100));
  EXPECT_EQ("C:\\temp\\ZumiPhotoUpload.exe", TextAt(record, 4104, 260));
  EXPECT_EQ("e1", TextAt(record, 4364, 4100));
  EXPECT_EQ("e2", TextAt(record, 8464, 4096));
  EXPECT_EQ("e3", TextAt(record, 12572, 32));
  EXPECT_EQ("e4", TextAt(record, 12604, 32));
  EXPECT_EQ(0x00, Bytes(record)[12649]);
  EXPECT_EQ(0x00, Bytes(record)[12650]);
  EXPECT_EQ(0x02, Bytes(record)[12651]);
  EXPECT_EQ(7u, U32At(record, 12661));
  EXPECT_EQ(0xCAFEu, U32At(record, 12665));
  EXPECT_EQ(0x12345678u, U32At(record, 12677));
  EXPECT_EQ(0x5u, U32At(record, 12681));
  EXPECT_EQ(11u, U32At(record, 12685));
  EXPECT_EQ(55u, U32At(record, 12701));
  EXPECT_EQ(0x80, Bytes(record)[12784]);
  EXPECT_EQ(0u, U32At(record, 12769));
}

TEST(EngineTaskRecordTest, SmallFileByteFollowsSizeAndFlag) {
  struct Case {
    uint64_t size;
    int32_t flag;
    uint8_t expected;
  } cases[] = {{204799, 0, 1}, {204800, 0, 0}, {0, 0, 0}, {1, 0, 1},
               {204799, 1, 1}, {204800, 1, 1}, {0, 1, 1}, {0x100000000ull, 0, 0}};
  for (const Case& c : cases) {
    TaskInfo task;
    task.ullFileSize = c.size;
    task.bSmallFile = c.flag;
    EXPECT_EQ(c.expected, Bytes(BuildEngineTaskRecord(task, 0))[12648])
        << "size " << c.size << " flag " << c.flag;
  }
}

TEST(EngineTaskRecordTest, OverlongTextsAreCutInsideTheirFields) {
  TaskInfo task;
  task.strUrl = std::wstring(5000, L'u');
  task.strFileName = std::wstring(300, L'\x4E2D');  // a double-byte character each
  task.strExtra3 = L"a" + std::wstring(40, L'\x6587');
  task.strExtra4 = std::wstring(40, L'x');
  EngineTaskRecord record = BuildEngineTaskRecord(task, 0);
  EXPECT_EQ(std::string(4099, 'u'), TextAt(record, 4, 4100));
  EXPECT_EQ(0, Bytes(record)[4 + 4099]);
  std::string fileName = TextAt(record, 4104, 260);
  EXPECT_EQ(258u, fileName.size()) << "129 whole characters, then the terminator";
  EXPECT_EQ("\xD6\xD0", fileName.substr(0, 2));
  std::string extra3 = TextAt(record, 12572, 32);
  EXPECT_EQ(31u, extra3.size()) << "'a' and 15 whole characters";
  EXPECT_EQ("\xCE\xC4", extra3.substr(29, 2));
  EXPECT_EQ(std::string(31, 'x'), TextAt(record, 12604, 32));
  EXPECT_EQ(0, Bytes(record)[12604 + 31]);
  EXPECT_EQ(0, Bytes(record)[12636]) << "nothing spills into the next field";
}

TEST(EngineTaskRecordTest, TextsAreCodePage936) {
  TaskInfo task;
  task.strFileName = L"C:\\\x4E0B\x8F7D.exe";
  EngineTaskRecord record = BuildEngineTaskRecord(task, 0);
  EXPECT_EQ("C:\\\xCF\xC2\xD4\xD8.exe", TextAt(record, 4104, 260));
}

TEST(EngineProxyRecordTest, FieldsLandAtTheirOffsets) {
  ProxyInfo proxy;
  proxy.eProxyType = 5;
  proxy.strProxyIP = L"10.0.0.1";
  proxy.usProxyPort = 3128;
  proxy.strProxyExtra1 = L"user";
  proxy.strProxyExtra2 = std::wstring(50, L'p');
  proxy.strProxyExtra3 = L"domain";
  EngineProxyRecord record = BuildEngineProxyRecord(proxy);
  EXPECT_EQ(5u, U32At(record, 0));
  EXPECT_EQ("10.0.0.1", TextAt(record, 4, 4100));
  EXPECT_EQ(3128u, U16At(record, 4104));
  EXPECT_EQ("user", TextAt(record, 4106, 32));
  EXPECT_EQ(std::string(31, 'p'), TextAt(record, 4138, 32));
  EXPECT_EQ(0, Bytes(record)[4138 + 31]);
  EXPECT_EQ("domain", TextAt(record, 4170, 256));
}

TEST(EngineProxyRecordTest, UpdateFlowProxyIsTypeFiveAndOtherwiseEmpty) {
  ProxyInfo proxy;
  proxy.eProxyType = 5;
  EngineProxyRecord record = BuildEngineProxyRecord(proxy);
  EXPECT_EQ(5u, U32At(record, 0));
  EXPECT_TRUE(ZeroRange(record, 4, 4426 - 4));
}

TEST(ConfigurationRecordTest, ClientRegistration) {
  ClientRegistration record = BuildClientRegistration(1234, 77);
  EXPECT_EQ(1234u, U32At(record, 0));
  EXPECT_EQ(77u, U32At(record, 4));
  EXPECT_TRUE(ZeroRange(record, 8, 128));
}

TEST(ConfigurationRecordTest, InProcessConfig) {
  InProcessConfig config = BuildInProcessConfig();
  CompleteInProcessConfig(config, 1234, 999, 0x00401000, 42);
  EXPECT_TRUE(ZeroRange(config, 0, 4));
  EXPECT_EQ(5099u, U16At(config, 4));
  EXPECT_EQ(10u, U32At(config, 6));
  EXPECT_EQ(1500u, U32At(config, 10));
  EXPECT_EQ(4u, U32At(config, 14));
  EXPECT_EQ(0x00401000u, U32At(config, 18));
  EXPECT_EQ(4096u, U32At(config, 22));
  EXPECT_TRUE(ZeroRange(config, 26, 554 - 26 + 4));
  EXPECT_EQ(8234u, U16At(config, 558));
  EXPECT_EQ(0u, U32At(config, 560));
  EXPECT_EQ(30999u, U16At(config, 564));
  const size_t hostFields[] = {566, 824, 1083, 1341, 1599, 1857, 2117, 2375, 2633};
  const uint16_t ports[] = {8000, 443, 8000, 8000, 80, 8000, 443, 443, 443};
  std::string hosts[9];
  for (int i = 0; i < 9; ++i) {
    hosts[i] = TextAt(config, hostFields[i], 256);
    EXPECT_FALSE(hosts[i].empty());
    EXPECT_EQ(0, Bytes(config)[hostFields[i] + 255]);
    EXPECT_EQ(ports[i], U16At(config, hostFields[i] + 256)) << "field " << i;
  }
  EXPECT_EQ(443u, U16At(config, 2115));
  EXPECT_EQ(hosts[3], hosts[4]) << "the network server appears twice";
  std::set<std::string> distinct(hosts, hosts + 9);
  EXPECT_EQ(8u, distinct.size());
  EXPECT_EQ(0, Bytes(config)[1082]);
  EXPECT_EQ(42u, U32At(config, 2891));
  EXPECT_TRUE(ZeroRange(config, 2895, 13));
  EXPECT_EQ(16u, U32At(config, 2908));
  EXPECT_EQ(16u, U32At(config, 2912));
  EXPECT_TRUE(ZeroRange(config, 2916, 3));
  EXPECT_EQ(15, Bytes(config)[2919]);
}

TEST(ConfigurationRecordTest, RandomPortsStayInTheirRanges) {
  InProcessConfig config = BuildInProcessConfig();
  CompleteInProcessConfig(config, 0, 0, 0, 0);
  EXPECT_EQ(8000u, U16At(config, 558));
  EXPECT_EQ(30000u, U16At(config, 564));
  CompleteInProcessConfig(config, 32767, 1999, 0, 0);
  EXPECT_EQ(8767u, U16At(config, 558));
  EXPECT_EQ(30999u, U16At(config, 564));
}

TEST(ConfigurationRecordTest, SettingsAndCallbackRegistration) {
  InProcessSettings settings = BuildInProcessSettings();
  EXPECT_EQ(10u, U32At(settings, 0));
  EXPECT_EQ(5000u, U32At(settings, 4));
  EXPECT_EQ(5u, U32At(settings, 8));
  EXPECT_EQ(30u, U32At(settings, 12));
  EXPECT_TRUE(ZeroRange(settings, 16, 36));
  CallbackRegistration registration = BuildCallbackRegistration(0x12345678, 9);
  EXPECT_EQ(0x12345678u, U32At(registration, 0));
  EXPECT_EQ(9u, U32At(registration, 4));
  EXPECT_TRUE(ZeroRange(registration, 8, 1024));
}

TEST(TextFieldTest, CutNeverSplitsADoubleByteCharacter) {
  char field[4];
  CopyTextField(field, sizeof(field), "a\xD6\xD0\xCE\xC4");
  EXPECT_EQ(std::string("a\xD6\xD0"), std::string(field));
  CopyTextField(field, sizeof(field), "ab\xD6\xD0");
  EXPECT_EQ(std::string("ab"), std::string(field)) << "the half character is left out";
  EXPECT_EQ(0, field[3]);
  CopyTextField(field, sizeof(field), "");
  EXPECT_EQ(0, field[0]);
}

}  // namespace
