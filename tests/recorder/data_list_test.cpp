// The data list: its columns per function code and status, and its rows.
#include "recorder/core/record_buffer.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "support/gui_test_app.h"
#include "viewer/core/data_list_columns.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/core/record_table_model.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QToolTip>

using namespace vt640;
using data_list::cellText;

namespace {

TBRecord record(std::int32_t code, std::uint8_t status = 0)
{
    TBRecord r;
    r.head.functionCode = code;
    r.sub.status = status;
    copyText(r.head.timeText, " 14:05:09.3  ");
    copyText(r.head.valueText, "230.0");
    copyText(r.head.prefixText, "k");
    copyText(r.head.unitText, "V");
    copyText(r.energyText, "----");
    return r;
}

} // namespace

TEST(DataListColumns, Headers)
{
    const QStringList expected = {"Item#",   "Time",    "DC/AC/3-Ph", "3W/4W",    "MainData", "Multiple", "Unit",
                                  "SubData", "SubFunc", "Amp",        "Peak-rms", "HOLD",     "KWHr"};
    for (int c = 0; c < data_list::kColumns; ++c)
        EXPECT_EQ(data_list::headerText(c), expected[c]) << c;
}

TEST(DataListColumns, PlainTexts)
{
    const TBRecord r = record(4);
    EXPECT_EQ(cellText(r, 0, 0), "1");
    EXPECT_EQ(cellText(r, 41, 0), "42");
    EXPECT_EQ(cellText(r, 0, 1), " 14:05:09.3  ");
    EXPECT_EQ(cellText(r, 0, 4), "230.0");
    EXPECT_EQ(cellText(r, 0, 5), "k");
    EXPECT_EQ(cellText(r, 0, 6), "V");
    EXPECT_EQ(cellText(r, 0, 12), "----");
}

TEST(DataListColumns, AcDcAndThreePhaseByCode)
{
    EXPECT_EQ(cellText(record(4), 0, 2), "DC");
    for (int c : {5, 0x201, 0x205, 0x20205, 0x40001, 0x140001})
        EXPECT_EQ(cellText(record(c), 0, 2), "AC") << c;
    for (int c : {0x80204, 0xA0204, 0xC0000, 0x1C0000})
        EXPECT_EQ(cellText(record(c), 0, 2), "3-Ph") << c;
    for (int c : {0, 7, 8, 128, 1024})
        EXPECT_EQ(cellText(record(c), 0, 2), "") << c;
}

TEST(DataListColumns, WiresPeakAndHoldByStatus)
{
    EXPECT_EQ(cellText(record(4, 0x01), 0, 3), "3-Wire");
    EXPECT_EQ(cellText(record(4, 0x81), 0, 3), "4-Wire");
    EXPECT_EQ(cellText(record(4, 0x80), 0, 3), ""); // no phase marks
    EXPECT_EQ(cellText(record(4, 0x40), 0, 10), "Peak-rms");
    EXPECT_EQ(cellText(record(4, 0x00), 0, 10), "");
    EXPECT_EQ(cellText(record(4, 0x20), 0, 11), "Hold");
    EXPECT_EQ(cellText(record(4, 0x00), 0, 11), "");
}

TEST(DataListColumns, OhmUnitForResistance)
{
    TBRecord r = record(0x80);
    copyText(r.head.unitText, "W");
    EXPECT_EQ(cellText(r, 0, 6), "Ohm");
    r.head.functionCode = 0x180;
    EXPECT_EQ(cellText(r, 0, 6), "Ohm");
    r.head.functionCode = 0x40001;
    EXPECT_EQ(cellText(r, 0, 6), "W");
}

TEST(DataListColumns, SubDisplayOnlyWithItsText)
{
    TBRecord r = record(0x40001);
    copyText(r.sub.subFunction, "PF");
    EXPECT_EQ(cellText(r, 0, 7), "");
    EXPECT_EQ(cellText(r, 0, 8), ""); // the label alone is not shown
    copyText(r.sub.subText, "0.98");
    EXPECT_EQ(cellText(r, 0, 7), "0.98");
    EXPECT_EQ(cellText(r, 0, 8), "PF");
}

TEST(DataListColumns, AmpColumnForPowerCodesOnly)
{
    EXPECT_EQ(cellText(record(0x40001, 0x01 | 0x02 | 0x04 | 0x08), 0, 9), "A: L3L2L1");
    EXPECT_EQ(cellText(record(0x80204, 0x01 | 0x04), 0, 9), "A: L2");
    EXPECT_EQ(cellText(record(0x205, 0x01), 0, 9), "A: ");
    EXPECT_EQ(cellText(record(0x20205, 0x10), 0, 9), "A-Lags");
    EXPECT_EQ(cellText(record(0xC0000, 0x00), 0, 9), "A-Leads");
    EXPECT_EQ(cellText(record(0xA0204, 0x00), 0, 9), "A-Leads");
    // The energy functions and everything else show nothing there.
    EXPECT_EQ(cellText(record(0x140001, 0x10), 0, 9), "");
    EXPECT_EQ(cellText(record(0x1C0000, 0x01), 0, 9), "");
    EXPECT_EQ(cellText(record(0x140001), 0, 2), "AC");
    EXPECT_EQ(cellText(record(0x1C0000), 0, 2), "3-Ph");
    EXPECT_EQ(cellText(record(4, 0x1F), 0, 9), "");
}

TEST(DataListForm, RowsHeaderAndEmptyRow)
{
    test::guiApp();
    RecordBuffer buffer;
    TDataStringGridForm list;
    list.setBuffer(buffer);
    EXPECT_EQ(list.windowTitle(), "Data list");
    EXPECT_EQ(list.gridRowCount(), 2);
    list.clearList(); // already empty: unchanged
    EXPECT_EQ(list.gridRowCount(), 2);

    for (int i = 0; i < 3; ++i) {
        TBRecord r = record(4);
        r.head.value = static_cast<float>(i);
        buffer.append(r);
        list.addRow(i);
    }
    EXPECT_EQ(list.gridRowCount(), 5);
    RecordTableModel& m = *list.model();
    EXPECT_EQ(m.rowCount(), 4);
    EXPECT_EQ(m.columnCount(), 13);
    EXPECT_EQ(m.index(0, 0).data().toString(), "1");
    EXPECT_EQ(m.index(2, 0).data().toString(), "3");
    EXPECT_EQ(m.index(2, 2).data().toString(), "DC");
    EXPECT_FALSE(m.index(3, 0).data().isValid()); // the empty row
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), "Item#");
    EXPECT_FALSE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);
    // The current cell is column 0 of the newest record's row.
    EXPECT_EQ(list.grid()->currentIndex(), m.index(2, 0));

    QHeaderView* cols = list.grid()->horizontalHeader();
    EXPECT_EQ(cols->sectionSize(0), 72);
    EXPECT_EQ(cols->sectionSize(12), 72);
    EXPECT_EQ(cols->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(list.grid()->verticalHeader()->sectionSize(0), 24);

    list.clearList();
    buffer.clear();
    EXPECT_EQ(list.gridRowCount(), 2);
    EXPECT_FALSE(m.index(0, 0).data().isValid());
}

TEST(DataListForm, CtrlCCopiesTheSelectedRowsWithTheHeader)
{
    test::guiApp();
    RecordBuffer buffer;
    TDataStringGridForm list;
    list.setBuffer(buffer);
    for (int i = 0; i < 4; ++i) {
        TBRecord r = record(4);
        copyText(r.head.valueText, std::to_string(230 + i) + ".0");
        buffer.append(r);
        list.addRow(i);
    }
    list.resize(1000, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

    // Rows 2 and 3, from the first cell to the last, picked with the mouse.
    QTableView* grid = list.grid();
    const auto cellCentre = [grid](int row, int column) {
        return grid->visualRect(grid->model()->index(row, column)).center();
    };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(1, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(2, 12));
    // Records logged meanwhile leave the picked rows alone.
    TBRecord more = record(4);
    buffer.append(more);
    list.addRow(4);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QString expected =
        "Item#\tTime\tDC/AC/3-Ph\t3W/4W\tMainData\tMultiple\tUnit\tSubData\tSubFunc\tAmp\tPeak-rms\tHOLD\tKWHr\n"
        "2\t14:05:09.3\tDC\t\t231.0\tk\tV\t\t\t\t\t\t----\n"
        "3\t14:05:09.3\tDC\t\t232.0\tk\tV\t\t\t\t\t\t----\n";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);

    // A block of cells that runs into the empty row takes the records only.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(3, 4));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(5, 6));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "MainData\tMultiple\tUnit\n233.0\tk\tV\n230.0\tk\tV\n");
}

// Hovering a Time cell shows when the record was logged, with the date and
// the zone, where the record carries its stamp; the cell's text stays.
TEST(DataListForm, TheTimeCellsTooltipCarriesTheFullDateAndZone)
{
    test::guiApp();
    RecordBuffer buffer;
    TDataStringGridForm list;
    list.setBuffer(buffer);
    TBRecord stamped = record(4);
    ASSERT_TRUE(writeRecordStamp(stamped, {msSinceEpochOf(LocalTime{2026, 12, 8, 13, 5, 9, 347}), 60}));
    buffer.append(stamped);
    list.addRow(0);
    buffer.append(record(4)); // from an older file: no stamp
    list.addRow(1);
    list.resize(1000, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

    QTableView* grid = list.grid();
    // The tooltip shown, or nothing when the help event found none.
    const auto hover = [grid](int row, int column) {
        const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &help);
        return help.isAccepted() && QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(0, 1), "2026-12-08 14:05:09.347 UTC+01:00");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "14:05:09.3");
    EXPECT_EQ(hover(0, 4), "");
    EXPECT_EQ(hover(1, 1), "");
    EXPECT_EQ(hover(2, 1), ""); // the empty row
    QToolTip::hideText();
}
