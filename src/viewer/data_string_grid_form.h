#pragma once

#include <QWidget>

class QTableView;

namespace vt640 {

class OuterSizeLimits;

class RecordBuffer;
class RecordTableModel;

// The data list: one row per record of the recorder's buffer, read from the
// buffer itself, with one empty row after the last record. The recorder
// tells it about new rows and about a clear; it keeps no texts of its own.
class TDataStringGridForm : public QWidget {
    Q_OBJECT
public:
    explicit TDataStringGridForm(QWidget* parent = nullptr);

    // The buffer the rows come from (the recorder's); must outlive the list.
    void setBuffer(const RecordBuffer& buffer);

    // Places the window as at start-up: right of the digital meter, below
    // the main window, as high as the digital meter; `taskbarHeight` sets
    // how small the user may make it.
    void placeInitially(int mainHeight, int digitalMeterHeight, int taskbarHeight);

    QTableView* grid() const { return StringGrid1; }
    RecordTableModel* model() const { return model_; }
    // Rows of the grid, counting the header row and the empty last row.
    int gridRowCount() const;

public slots:
    // DL_CLEAR: only the header and one empty row remain.
    void clearList();
    // DL_ADDROW: the record at `index` becomes the last filled row and the
    // current cell; the grid scrolls to the empty row after it.
    void addRow(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    OuterSizeLimits* sizeLimits_ = nullptr;
    QTableView* StringGrid1 = nullptr;
    RecordTableModel* model_ = nullptr;
};

} // namespace vt640
