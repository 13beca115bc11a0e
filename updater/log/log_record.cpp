#include "log/log_record.h"

#include <cstdio>
#include <cstring>

namespace {

struct ModuleEntry {
  int key;
  const char* name;
};

constexpr ModuleEntry kModules[] = {
    {LOG_MODULE_MAIN, "Main"},
    {LOG_MODULE_ERROR, "Error"},
    {LOG_MODULE_BRIMLIB, "BrimLib"},
    {LOG_MODULE_BRIMDLL, "BrimDll"},
};

}  // namespace

const char* LogModuleName(int moduleKey) {
  for (const ModuleEntry& entry : kModules) {
    if (entry.key == moduleKey) return entry.name;
  }
  return "Unknown";
}

int FormatLogRecord(char* out, std::size_t capacity, unsigned long threadId, const LogClock& clock,
                    int moduleKey, const char* text) {
  if (out == nullptr || capacity == 0) return 0;
  std::memset(out, 0, capacity);
  int written = std::snprintf(out, capacity, "(%d) %02d:%02d:%02d.%03d000 %s: %s",
                              static_cast<int>(threadId), clock.hour, clock.minute, clock.second,
                              clock.millisecond, LogModuleName(moduleKey), text ? text : "");
  if (written < 0) {
    out[0] = '\0';
    return 0;
  }
  return static_cast<int>(std::strlen(out));
}
