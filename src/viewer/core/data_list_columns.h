#pragma once

#include "recorder/core/t_b_record.h"

#include <QString>

namespace vt640 {

// The data list's 13 columns: header texts and what a record's row shows.
namespace data_list {

inline constexpr int kColumns = 13;

QString headerText(int column);

// The text of `column` for `record` at buffer index `index`; empty where the
// column has nothing for the record's function code or status.
QString cellText(const TBRecord& record, int index, int column);

} // namespace data_list
} // namespace vt640
