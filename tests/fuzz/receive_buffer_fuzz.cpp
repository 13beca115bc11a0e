// The receive buffer's growth, driven by a sequence of block lengths and an
// announced body length as a transfer would deliver them.
#include "app/receive_buffer_rules.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  uint32_t capacity = kReceiveGrowStep;
  uint32_t reserved = AnnouncedReceiveCapacity(0, input.Take<int64_t>(), capacity);
  if (reserved != 0) {
    FUZZ_CHECK(reserved > capacity && reserved <= kReceiveLimit);
    FUZZ_CHECK(reserved % kReceiveGrowStep == 0);
    capacity = reserved;
  }
  uint64_t received = 0;
  for (size_t blocks = 0; blocks < 64; ++blocks) {
    uint32_t block = input.Take<uint32_t>() % (4 * kReceiveLimit / 3);
    uint64_t required = received + block;
    if (required > capacity) {
      uint32_t grown = GrownReceiveCapacity(capacity, required);
      if (required > kReceiveLimit) {
        FUZZ_CHECK(grown == 0);
        continue;  // the block is refused, the buffer stays
      }
      FUZZ_CHECK(grown >= required && grown <= kReceiveLimit && grown > capacity);
      FUZZ_CHECK(grown % kReceiveGrowStep == 0);
      FUZZ_CHECK(grown - required < kReceiveGrowStep || grown <= 2ull * capacity);
      capacity = grown;
    }
    received = required;
  }
  return 0;
}
