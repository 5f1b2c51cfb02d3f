#pragma once

#include <QModelIndex>
#include <QWidget>

class QTableView;

namespace vt640 {

class OuterSizeLimits;
class PromptService;
class RecorderCore;

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
    // The recorder whose pages a save writes, and where its errors are told.
    void setRecorder(const RecorderCore* recorder) { recorder_ = recorder; }
    void setPrompts(PromptService* prompts) { prompts_ = prompts; }

    // Places the window as at start-up: right of the digital meter, below
    // the main window, as high as the digital meter; `taskbarHeight` sets
    // how small the user may make it.
    void placeInitially(int mainHeight, int digitalMeterHeight, int taskbarHeight);

    QTableView* grid() const { return StringGrid1; }
    RecordTableModel* model() const { return model_; }
    // Rows of the grid, counting the header row and the empty last row.
    int gridRowCount() const;
    // Ctrl+C: the selected cells' rectangle (the current cell when nothing
    // is selected) goes to the clipboard as tab-separated text with the
    // header line, as spreadsheets paste it.
    void copySelection();

public slots:
    // DL_CLEAR: only the header and one empty row remain.
    void clearList();
    // DL_ADDROW: the record at `index` becomes the last filled row and the
    // current cell; the grid scrolls to the empty row after it.
    void addRow(int index);
    // DL_SAVECSV: the rows of recorder pages first..last as comma-separated
    // text, written whole to `path` (replacing a file there) or not at all.
    // False, after telling the user, when the file could not be written.
    bool saveCsv(int firstPage, int lastPage, const QString& path);
    // `count` records from buffer index `first` on, added as a whole (a file
    // that has been read): one insertion, then the grid shows the empty row.
    void addRows(int first, int count);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showNewestRecord();
    QModelIndex newestRecord() const;

    OuterSizeLimits* sizeLimits_ = nullptr;
    QTableView* StringGrid1 = nullptr;
    RecordTableModel* model_ = nullptr;
    const RecorderCore* recorder_ = nullptr;
    PromptService* prompts_ = nullptr;
};

} // namespace vt640
