#pragma once

#include <QAbstractTableModel>

namespace vt640 {

class RecordBuffer;

// The data list's rows, read straight from the record buffer: row r shows
// record r, and one empty row follows the last record. Nothing is kept per
// row; the texts are made when the view asks for them.
class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordTableModel(QObject* parent = nullptr);

    void setBuffer(const RecordBuffer* buffer);
    const RecordBuffer* buffer() const { return buffer_; }

    // Records shown (the row count without the empty row).
    int recordRows() const { return rows_; }
    // One more record at the end (the recorder appends in buffer order).
    void addRow();
    // `count` more records at the end, in one insertion.
    void addRows(int count);
    // No records any more: only the empty row is left.
    void clearRows();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const RecordBuffer* buffer_ = nullptr;
    int rows_ = 0;
};

} // namespace vt640
