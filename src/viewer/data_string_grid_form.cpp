#include "viewer/data_string_grid_form.h"

#include "app/widgets/outer_size_limits.h"
#include "app/core/user_messages.h"
#include "app/core/prompt_service.h"
#include "recorder/core/recorder_core.h"
#include "viewer/core/csv_export.h"
#include "viewer/core/data_list_copy.h"
#include "viewer/core/record_table_model.h"
#include "viewer/core/safe_file_writer.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace vt640 {

TDataStringGridForm::TDataStringGridForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(loadString(Str::CaptionDataList));
    sizeLimits_ = new OuterSizeLimits(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    model_ = new RecordTableModel(this);
    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(model_);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setWordWrap(false);
    StringGrid1->setCornerButtonEnabled(false);
    // A face small enough that a time stamp fits its 72-pixel column.
    QFont cells = StringGrid1->font();
    cells.setPointSize(std::min(cells.pointSize() > 0 ? cells.pointSize() : 8, 8));
    StringGrid1->setFont(cells);

    QHeaderView* columns = StringGrid1->horizontalHeader();
    columns->setMinimumSectionSize(8);
    columns->setDefaultSectionSize(72);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setHighlightSections(false);
    columns->setFixedHeight(24);
    columns->setFont(cells);

    QHeaderView* rows = StringGrid1->verticalHeader();
    rows->setVisible(false);
    rows->setMinimumSectionSize(8);
    rows->setDefaultSectionSize(24);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    layout->addWidget(StringGrid1);
    // The grid's own Copy takes one cell; the list copies the selection.
    StringGrid1->installEventFilter(this);
}

bool TDataStringGridForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TDataStringGridForm::copySelection()
{
    // The rectangle around the selection (the grid allows one contiguous block).
    int top = -1, bottom = -1, left = -1, right = -1;
    for (const QItemSelectionRange& range : StringGrid1->selectionModel()->selection()) {
        top = top < 0 ? range.top() : std::min(top, range.top());
        bottom = std::max(bottom, range.bottom());
        left = left < 0 ? range.left() : std::min(left, range.left());
        right = std::max(right, range.right());
    }
    if (top < 0) {
        const QModelIndex current = StringGrid1->currentIndex();
        if (!current.isValid())
            return;
        top = bottom = current.row();
        left = right = current.column();
    }
    const RecordBuffer* buffer = model_->buffer();
    if (!buffer)
        return;
    // Only rows the list shows; the empty row after them has nothing to copy.
    bottom = std::min(bottom, model_->recordRows() - 1);
    const QString text = data_list::tabSeparatedText(*buffer, top, bottom, left, right);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TDataStringGridForm::setBuffer(const RecordBuffer& buffer) { model_->setBuffer(&buffer); }

int TDataStringGridForm::gridRowCount() const { return model_->rowCount() + 1; }

void TDataStringGridForm::clearList() { model_->clearRows(); }

void TDataStringGridForm::addRow(int)
{
    // Rows follow the buffer in order, so the new row is the record's own.
    // The current cell goes to the row just filled, the newest record, and
    // the grid scrolls on to the empty row below it.
    model_->addRow();
    // A new current cell makes the grid find its row's place, which costs a
    // pass over all rows. While the list is hidden only the selection keeps
    // the cell; the grid catches up in showEvent.
    if (isVisible()) {
        showNewestRecord();
    } else {
        const QSignalBlocker quiet(StringGrid1->selectionModel());
        StringGrid1->selectionModel()->setCurrentIndex(newestRecord(), QItemSelectionModel::NoUpdate);
    }
}

QModelIndex TDataStringGridForm::newestRecord() const { return model_->index(std::max(0, model_->rowCount() - 2), 0); }

void TDataStringGridForm::showNewestRecord()
{
    // A block of cells the user has picked (to copy it) stays picked while
    // records come in; otherwise the newest record's cell is the selection.
    QItemSelectionModel* selection = StringGrid1->selectionModel();
    const QItemSelection picked = selection->selection();
    const bool block =
        picked.size() > 1 || (picked.size() == 1 && picked.first().width() * picked.first().height() > 1);
    if (block)
        selection->setCurrentIndex(newestRecord(), QItemSelectionModel::NoUpdate);
    else
        StringGrid1->setCurrentIndex(newestRecord());
    StringGrid1->scrollTo(model_->index(model_->rowCount() - 1, 0));
}

void TDataStringGridForm::addRows(int, int count)
{
    model_->addRows(count);
    // As after a logged row: the newest record is the current cell, and the
    // empty row below it is in sight. Unlike scrollTo(), scrollToBottom()
    // lays the view out for its new rows first, which many rows at once need.
    StringGrid1->setCurrentIndex(newestRecord());
    if (isVisible())
        StringGrid1->scrollToBottom();
}

void TDataStringGridForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Rows added while hidden: the newest is the current one, and the empty
    // row after it is in sight.
    if (model_->recordRows() > 0)
        showNewestRecord();
}

void TDataStringGridForm::placeInitially(int mainHeight, int digitalMeterHeight, int taskbarHeight)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int w = screen.width();
    const int h = screen.height();
    sizeLimits_->set(QSize(w - w / 4, (h - mainHeight - taskbarHeight) / 4), QSize(w, h - mainHeight - taskbarHeight));
    move(w / 4, mainHeight);
    resize(QSize(w - w / 4, digitalMeterHeight) - sizeLimits_->frame());
}

bool TDataStringGridForm::saveCsv(int firstPage, int lastPage, const QString& path)
{
    if (!recorder_)
        return false;
    CsvExport::Pages pages;
    pages.pointsPerPage = recorder_->pointsPerPage();
    pages.totalPages = recorder_->totalPages();
    pages.first = firstPage;
    pages.last = lastPage;
    int systemError = 0;
    const AtomicFile::Error error =
        CsvExport::writeFile(QFile::encodeName(path).toStdString(), recorder_->buffer(), pages, &systemError);
    if (error == AtomicFile::Error::None)
        return true;
    if (prompts_) {
        PromptService::Message box;
        box.caption = windowTitle();
        box.text = loadFormatted(Str::CannotCreateFile, {path}) + QLatin1Char('\n')
                   + SafeFileWriter::reason(path, error, systemError);
        box.icon = PromptService::Icon::Stop;
        prompts_->message(this, box);
    }
    return false;
}

} // namespace vt640
