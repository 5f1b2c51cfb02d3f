// The data list's rows as tab-separated text for the clipboard.
#include "recorder/core/record_buffer.h"
#include "recorder/core/record_text.h"
#include "viewer/core/data_list_copy.h"

#include <gtest/gtest.h>

namespace vt640 {
namespace {

using data_list::tabSeparatedText;

RecordBuffer threeRecords()
{
    RecordBuffer b;
    const char* values[] = {"229.4", "1.200", "4.700"};
    for (int i = 0; i < 3; ++i) {
        TBRecord r;
        r.head.functionCode = i == 2 ? 0x80 : 4; // the last one: ohms
        r.sub.status = i == 1 ? 0x21 : 0;        // hold, three-wire
        copyText(r.head.timeText, " 14:05:0" + std::to_string(i) + ".3  ");
        copyText(r.head.valueText, values[i]);
        copyText(r.head.prefixText, i == 2 ? "k" : "");
        copyText(r.head.unitText, i == 2 ? "W" : "V");
        copyText(r.energyText, "----");
        b.append(r);
    }
    return b;
}

TEST(DataListCopy, WholeRowsBringTheHeaderAndEveryColumn)
{
    const RecordBuffer b = threeRecords();
    EXPECT_EQ(tabSeparatedText(b, 1, 2, 0, 12),
              "Item#\tTime\tDC/AC/3-Ph\t3W/4W\tMainData\tMultiple\tUnit\tSubData\tSubFunc\tAmp\tPeak-rms\tHOLD\tKWHr\n"
              "2\t14:05:01.3\tDC\t3-Wire\t1.200\t\tV\t\t\t\t\tHold\t----\n"
              "3\t14:05:02.3\t\t\t4.700\tk\tOhm\t\t\t\t\t\t----\n");
}

TEST(DataListCopy, ARectangleTakesItsColumnsOnly)
{
    const RecordBuffer b = threeRecords();
    EXPECT_EQ(tabSeparatedText(b, 0, 1, 4, 6), "MainData\tMultiple\tUnit\n229.4\t\tV\n1.200\t\tV\n");
    EXPECT_EQ(tabSeparatedText(b, 2, 2, 1, 1), "Time\n14:05:02.3\n");
}

TEST(DataListCopy, RangesAreCutToTheBufferAndNothingLeftGivesNothing)
{
    const RecordBuffer b = threeRecords();
    EXPECT_EQ(tabSeparatedText(b, 2, 99, 11, 40), "HOLD\tKWHr\n\t----\n");
    EXPECT_EQ(tabSeparatedText(b, -5, 0, -1, 0), "Item#\n1\n");
    EXPECT_EQ(tabSeparatedText(b, 3, 3, 0, 12), ""); // the empty row after the records
    EXPECT_EQ(tabSeparatedText(b, 2, 1, 0, 12), "");
    EXPECT_EQ(tabSeparatedText(RecordBuffer(), 0, 10, 0, 12), "");
}

TEST(DataListCopy, TabsAndLineBreaksInARecordCannotSplitCellsOrRows)
{
    // A file may hold any bytes in its texts.
    RecordBuffer b;
    TBRecord r;
    r.head.functionCode = 4;
    copyText(r.head.valueText, "1\t2\n3\r4");
    copyText(r.head.unitText, "V");
    b.append(r);
    EXPECT_EQ(tabSeparatedText(b, 0, 0, 4, 6), "MainData\tMultiple\tUnit\n1 2 3 4\t\tV\n");
}

} // namespace
} // namespace vt640
