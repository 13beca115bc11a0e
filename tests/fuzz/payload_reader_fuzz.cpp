// The engine's payload readers: the first input byte picks a reader, the
// rest is the payload, copied to a block of exactly its size so that any
// read past its end is caught. Each accepted payload must give the values at
// their offsets; a short one or an unterminated text must be refused.
#include <cstring>
#include <memory>

#include "download/EngineEvents.h"
#include "fuzz_input.h"

namespace {

using namespace Download;

uint32_t ValueAt(const uint8_t* data, size_t index) {
  const uint8_t* p = data + 4 * index;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void CheckFixed(uint8_t which, const uint8_t* data, size_t size) {
  switch (which % 4) {
    case 0: {
      CompletionPayload out;
      bool ok = ReadCompletionPayload(data, size, &out);
      FUZZ_CHECK(ok == (data && size >= kCompletionPayloadSize));
      if (ok)
        FUZZ_CHECK(static_cast<uint32_t>(out.iResult) == ValueAt(data, 0) &&
                   static_cast<uint32_t>(out.iDetail) == ValueAt(data, 1));
      Completion completion;
      EnginePayload payload{data, size, false};
      FUZZ_CHECK(ReadCompletion(payload, &completion) == ok);
      if (ok) FUZZ_CHECK(completion.uiResult == MapEngineResult(out.iResult));
      break;
    }
    case 1: {
      ProgressPayload out;
      bool ok = ReadProgressPayload(data, size, &out);
      FUZZ_CHECK(ok == (data && size >= kProgressPayloadSize));
      if (ok) FUZZ_CHECK(out.uiInfo == ValueAt(data, 1) && out.uiThousandths == ValueAt(data, 3));
      break;
    }
    case 2: {
      TaskInfoPayload out;
      bool ok = ReadTaskInfoPayload(data, size, &out);
      FUZZ_CHECK(ok == (data && size >= kTaskInfoPayloadSize));
      if (ok) FUZZ_CHECK(out.uiInfo1 == ValueAt(data, 0) && out.uiInfo2 == ValueAt(data, 1));
      break;
    }
    default: {
      uint32_t out = 0;
      bool ok = ReadStatusPayload(data, size, &out);
      FUZZ_CHECK(ok == (data && size >= kStatusPayloadSize));
      if (ok) FUZZ_CHECK(out == ValueAt(data, 0));
      break;
    }
  }
}

void CheckText(const uint8_t* data, size_t size) {
  std::string out = "untouched";
  bool ok = ReadTextPayload(data, size, &out);
  const void* nul = data && size ? std::memchr(data, 0, size) : nullptr;
  FUZZ_CHECK(ok == (nul != nullptr));
  if (ok) {
    FUZZ_CHECK(out == std::string(reinterpret_cast<const char*>(data),
                                  static_cast<const uint8_t*>(nul) - data));
  } else {
    FUZZ_CHECK(out == "untouched");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  FuzzInput in(input, size);
  const uint8_t which = in.Take<uint8_t>();
  const std::string rest = in.TakeRest();
  std::unique_ptr<uint8_t[]> block(rest.empty() ? nullptr : new uint8_t[rest.size()]);
  if (block) std::memcpy(block.get(), rest.data(), rest.size());
  if (which & 0x80) {
    CheckText(block.get(), rest.size());
  } else {
    CheckFixed(which, block.get(), rest.size());
  }
  Completion bare;
  FUZZ_CHECK(ReadCompletion(EnginePayload{nullptr, 0, true}, &bare));
  return 0;
}
