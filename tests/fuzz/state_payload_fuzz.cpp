// libFuzzer target: any 128 bytes as a record of a logger file, with any
// index and instant, through the state message and the quantities it
// announces. The message is always one valid JSON object (the broker and
// every subscriber read it), and says what the record holds.
//
// Input: 8 bytes of index, 8 of UTC milliseconds, 2 of offset, then the
// record (zero-filled when short).
#include "publish/quantity.h"
#include "publish/state_payload.h"
#include "publish/topics.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vt640::publish;
    std::int64_t seq = 0;
    std::int64_t utcMs = 0;
    std::int16_t offset = 0;
    unsigned char bytes[sizeof(vt640::TBRecord)] = {};
    const auto take = [&](void* to, std::size_t n) {
        const std::size_t k = size < n ? size : n;
        std::memcpy(to, data, k);
        data += k;
        size -= k;
    };
    take(&seq, sizeof seq);
    take(&utcMs, sizeof utcMs);
    take(&offset, sizeof offset);
    take(bytes, sizeof bytes);
    vt640::TBRecord record;
    std::memcpy(static_cast<void*>(&record), bytes, sizeof record);

    const auto j = nlohmann::json::parse(
        statePayload(record, seq, vt640::ZonedInstant{utcMs, offset}, vt640::ZonedInstant{}), nullptr, false);
    if (j.is_discarded() || !j.is_object() || j["seq"] != seq || !j["time"].is_string())
        __builtin_trap();
    const RecordQuantities q = quantitiesOf(record);
    const Topics topics{"vt640", "fuzz", "homeassistant"};
    for (int i = 0; i < q.count; ++i)
        if (nlohmann::json::parse(discoveryConfig(topics, *q.items[i], "0"), nullptr, false).is_discarded())
            __builtin_trap();
    return 0;
}
