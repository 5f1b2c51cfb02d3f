#include "viewer/core/record_table_model.h"

#include "recorder/core/record_buffer.h"
#include "recorder/core/record_stamp.h"
#include "viewer/core/data_list_columns.h"

namespace vt640 {

RecordTableModel::RecordTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordTableModel::setBuffer(const RecordBuffer* buffer)
{
    beginResetModel();
    buffer_ = buffer;
    endResetModel();
}

void RecordTableModel::addRow()
{
    beginInsertRows(QModelIndex(), rows_, rows_);
    ++rows_;
    endInsertRows();
}

void RecordTableModel::addRows(int count)
{
    if (count <= 0)
        return;
    beginInsertRows(QModelIndex(), rows_, rows_ + count - 1);
    rows_ += count;
    endInsertRows();
}

void RecordTableModel::clearRows()
{
    if (rows_ == 0)
        return;
    beginResetModel();
    rows_ = 0;
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_ + 1; }

int RecordTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : data_list::kColumns;
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid() || !buffer_)
        return {};
    const int row = index.row();
    if (row >= rows_ || row >= buffer_->size())
        return {};
    // The time cell's tooltip: the full date and time with the zone, where
    // the record carries them.
    if (role == Qt::ToolTipRole) {
        if (index.column() != 1)
            return {};
        const std::string tip = recordDateTimeTip((*buffer_)[row]);
        return tip.empty() ? QVariant() : QVariant(QString::fromStdString(tip));
    }
    // The time stamp carries blanks around it for fixed-width files; the grid
    // shows it without them so that it fits its column.
    const QString text = data_list::cellText((*buffer_)[row], row, index.column());
    return index.column() == 1 ? text.trimmed() : text;
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return data_list::headerText(section);
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace vt640
