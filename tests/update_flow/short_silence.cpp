// The update service as shipped with one limit shortened for its tests: a
// connected engine that reports nothing is given up after a few seconds
// instead of two minutes, so the case costs seconds of wall time.
#include "app/update_deamon.h"

namespace {

constexpr uint32_t kTestSilenceMs = 4000;

[[maybe_unused]] const bool g_shortened =
    (UpdateDeamon::SetEngineSilenceLimitForTest(kTestSilenceMs), true);

}  // namespace
