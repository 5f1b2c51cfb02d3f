#include "recorder/core/recorder_core.h"

#include "recorder/core/page_math.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "recorder/core/record_value.h"
#include "recorder/core/time_text.h"

#include <exception>

namespace vt640 {

RecorderCore::RecorderCore(RecorderClock& clock) : clock_(&clock) { resetState(); }

void RecorderCore::resetState()
{
    recordCount_ = 0;
    totalPages_ = 1;
    currentPage_ = 1;
    maxMin_.reset();
    yRange_.reset();
    logging_ = false;
    bufferEmpty_ = true;
    unsaved_ = false;
    energy_.reset();
    instants_.reset();
    fileName_.clear();
}

TBRecord RecorderCore::buildRecord(const MeterReading& reading, float value)
{
    TBRecord r;
    const std::uint32_t tick = clock_->tickMs();
    const std::string energyText = energy_.add(reading.functionCode, value, tick, intervalMs_);
    ZonedInstant at;
    at.utcMs = instants_.next(clock_->utcMs(), tick);
    at.offsetMinutes = clock_->utcOffsetMinutes(at.utcMs);
    copyText(r.head.mainText, reading.mainText);
    copyText(r.head.exponentText, reading.exponentText);
    r.head.functionCode = reading.functionCode;
    copyText(r.head.timeText, recordTimeText(at));
    copyText(r.head.valueText, reading.valueText);
    copyText(r.head.prefixText, reading.prefixText);
    copyText(r.head.unitText, reading.unitText);
    r.head.value = value;
    copyText(r.sub.subText, reading.subText);
    copyText(r.sub.subFunction, reading.subFunction);
    r.sub.status = reading.status;
    copyText(r.energyText, energyText);
    writeRecordStamp(r, at);
    return r;
}

std::optional<TBRecord> RecorderCore::makeRecord(const MeterReading& reading)
{
    const auto value = recordValueFor(reading.mainText, reading.exponentText, reading.functionCode);
    if (!value)
        return std::nullopt;
    return buildRecord(reading, *value);
}

std::optional<RecorderCore::Logged> RecorderCore::logOneRecord(const MeterReading& reading)
{
    const auto made = makeRecord(reading);
    if (!made)
        return std::nullopt;
    const TBRecord& record = *made;
    const float value = record.head.value;
    yRange_.widen(value);

    Logged logged;
    logged.index = buffer_.size();
    logged.first = recordCount_ == 0;
    buffer_.append(record);
    temp_.catchUp(buffer_);
    logged.tempFileFailed = temp_.takeFailureNotice();

    logged.tracked = !isStatusDisplay(reading.mainText) && maxMin_.update(buffer_, logged.index, value);

    totalPages_ = page_math::totalPages(recordCount_, kPointsPerPage);
    currentPage_ = totalPages_;
    ++recordCount_;
    bufferEmpty_ = false;
    unsaved_ = true;
    return logged;
}

void RecorderCore::adoptLoaded()
{
    const int n = buffer_.size();
    for (int j = recordCount_; j < n; ++j) {
        const float value = buffer_.valueAt(j);
        yRange_.widen(value);
        maxMin_.update(buffer_, j, value);
    }
    recordCount_ = n;
    totalPages_ = page_math::totalPages(n, kPointsPerPage);
    currentPage_ = totalPages_;
}

void RecorderCore::clearBuffer()
{
    resetState();
    buffer_.clear();
}

bool RecorderCore::reserveLoaded(int count)
{
    try {
        buffer_.reserve(count);
    } catch (const std::exception&) { // bad_alloc, or a count beyond any vector
        return false;
    }
    return true;
}

} // namespace vt640
