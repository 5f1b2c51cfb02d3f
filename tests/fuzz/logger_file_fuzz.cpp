// libFuzzer target: any bytes under any name through the logger file
// reader, and each record it gives through what shows a record: its text
// fields, the data list's cells, its time stamp and the dates inferred for
// records without one, and the Y range, maximum/minimum and pages as an
// opened file's records are counted in.
//
// Input: one byte n, then n bytes of file name (cut to what is there),
// then the file's bytes.
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/logger_layout.h"
#include "recorder/core/page_math.h"
#include "recorder/core/record_dating.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "recorder/core/recorder_core.h"
#include "viewer/core/data_list_columns.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {

template <std::size_t N>
std::size_t touch(const char (&field)[N])
{
    return vt640::fieldText(field).size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vt640;
    if (size == 0)
        return 0;
    const std::size_t nameLength = std::min<std::size_t>(data[0], size - 1);
    const std::string name(reinterpret_cast<const char*>(data + 1), nameLength);
    data += 1 + nameLength;
    size -= 1 + nameLength;

    static const int fd = ::memfd_create("logger-file", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 0) != 0)
        return 0;
    if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;

    LoggerFileReader reader;
    reader.setMemoryLimit(std::size_t{64} << 20);
    if (reader.attach(fd, layoutForPath(name)) != LoggerFileReader::Status::Ok)
        return 0;
    RecorderCore core;
    if (!core.reserveLoaded(reader.recordCount()))
        return 0;
    TBRecord chunk[7]; // an odd size, so reads end anywhere in a record run
    for (int n; (n = reader.read(chunk, 7)) > 0;)
        for (int i = 0; i < n; ++i)
            core.appendLoaded(chunk[i]);
    core.adoptLoaded();

    std::size_t seen = 0;
    const RecordBuffer& buffer = core.buffer();
    // A zone whose offset changes every 97 days, so that dating meets changes.
    RecordDating dating(nameLength % 2 ? std::optional<CalendarDate>() : CalendarDate{2026, 12, 8},
                        [](std::int64_t utcMs) { return (utcMs / 86'400'000 / 97) % 2 ? 120 : 60; });
    for (int i = 0; i < buffer.size(); ++i) {
        const TBRecord& r = buffer[i];
        // A stamp that reads is one that can be written, and writes back the same.
        if (const auto at = LoggerFileReader::instantOf(r)) {
            TBRecord copy = r;
            if (!isWritable(*at) || !writeRecordStamp(copy, *at) || recordStamp(copy) != at)
                __builtin_trap();
            seen += rfc3339(*at).size() + recordDateTimeTip(r).size();
        }
        if (const auto dated = dating.next(r)) {
            if (!isWritable(dated->at) || (!dated->inferred && LoggerFileReader::instantOf(r) != dated->at))
                __builtin_trap();
            seen += rfc3339(dated->at).size();
        }
        seen += touch(r.head.mainText) + touch(r.head.exponentText) + touch(r.head.timeText) + touch(r.head.valueText)
                + touch(r.head.prefixText) + touch(r.head.unitText) + touch(r.sub.subText) + touch(r.sub.subFunction)
                + touch(r.energyText);
        for (int c = 0; c < data_list::kColumns; ++c)
            seen += static_cast<std::size_t>(data_list::cellText(r, i, c).size());
    }
    if (!buffer.empty()) {
        const auto w = page_math::pageWindow(buffer.size(), core.totalPages(), 1, core.pointsPerPage());
        seen += static_cast<std::size_t>(w.recordCount + buffer.valueAt(core.maxIndex()) > 0);
    }
    [[maybe_unused]] static volatile std::size_t sink;
    sink = seen;
    return 0;
}
