#include "EngineEvents.h"

#include <cstring>

namespace Download {

namespace {

bool Present(const uint8_t* data, size_t size) { return data != nullptr && size != 0; }

uint32_t ValueAt(const uint8_t* data, size_t index) {
  uint32_t value;
  std::memcpy(&value, data + index * 4, sizeof(value));
  return value;
}

}  // namespace

bool IsEngineValueEvent(int32_t iCode) {
  switch (iCode) {
    case 64:
    case 73:
    case 74:
    case 83:
    case 84:
    case 86:
    case 87:
    case 99:
      return true;
    default:
      return false;
  }
}

bool ReadCompletionPayload(const uint8_t* data, size_t size, CompletionPayload* out) {
  if (!Present(data, size) || size < kCompletionPayloadSize) return false;
  out->iResult = static_cast<int32_t>(ValueAt(data, 0));
  out->iDetail = static_cast<int32_t>(ValueAt(data, 1));
  return true;
}

bool ReadProgressPayload(const uint8_t* data, size_t size, ProgressPayload* out) {
  if (!Present(data, size) || size < kProgressPayloadSize) return false;
  out->uiInfo = ValueAt(data, 1);
  out->uiThousandths = ValueAt(data, 3);
  return true;
}

bool ReadTaskInfoPayload(const uint8_t* data, size_t size, TaskInfoPayload* out) {
  if (!Present(data, size) || size < kTaskInfoPayloadSize) return false;
  out->uiInfo1 = ValueAt(data, 0);
  out->uiInfo2 = ValueAt(data, 1);
  return true;
}

bool ReadStatusPayload(const uint8_t* data, size_t size, uint32_t* out) {
  if (!Present(data, size) || size < kStatusPayloadSize) return false;
  *out = ValueAt(data, 0);
  return true;
}

bool ReadTextPayload(const uint8_t* data, size_t size, std::string* out) {
  if (!Present(data, size)) return false;
  const void* zero = std::memchr(data, 0, size);
  if (!zero) return false;
  out->assign(reinterpret_cast<const char*>(data), static_cast<const uint8_t*>(zero) - data);
  return true;
}

bool ReadCompletion(const EnginePayload& payload, Completion* out) {
  if (payload.bNoCode) {
    *out = Completion();
    return true;
  }
  CompletionPayload values;
  if (!ReadCompletionPayload(payload.data, payload.size, &values)) return false;
  out->iErrorCode = values.iResult;
  out->iDetailCode = values.iDetail;
  out->uiResult = MapEngineResult(values.iResult);
  return true;
}

uint32_t MapEngineResult(int32_t iEngineResult) {
  switch (iEngineResult) {
    case 0:
      return 0;
    case 1:
    case 8:
      return 2;
    case 5:
      return 3;
    case 22:
      return 4;
    case 24:
      return 6;
    default:
      return 1;
  }
}

}  // namespace Download
