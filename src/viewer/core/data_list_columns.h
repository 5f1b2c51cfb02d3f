#pragma once

#include "recorder/core/t_b_record.h"

#include <QString>

#include <string>

namespace vt640 {

// The data list's 13 columns: header texts and what a record's row shows.
// The texts are the record's own bytes (8-bit, as stored) and the string
// table's texts; the byte forms feed the comma-separated export, the QString
// forms the list on screen.
namespace data_list {

inline constexpr int kColumns = 13;

std::string headerBytes(int column);
QString headerText(int column);

// The text of `column` for `record` at buffer index `index`; empty where the
// column has nothing for the record's function code or status.
void appendCell(std::string& out, const TBRecord& record, int index, int column);
QString cellText(const TBRecord& record, int index, int column);

} // namespace data_list
} // namespace vt640
