#include "views/dlg_hi_low_form.h"

#include "app/core/user_messages.h"
#include "meter/number_text.h"
#include "resources/string_table.h"
#include "views/core/display_fonts.h"
#include "views/core/limit_rules.h"
#include "views/core/unit_field_style.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace vt640 {
namespace {

constexpr Str kCaption = Str::CaptionLimitsDialog;
constexpr Str kUpperLabel = Str::UpperLimitLabel;
constexpr Str kLowerLabel = Str::LowerLimitLabel;
constexpr Str kCancel = Str::ButtonCancel;
constexpr Str kInvalidNumber = Str::ErrNotAFloat;
constexpr Str kUnacceptable = Str::ErrLimits;

QLabel* limitLabel(QWidget* parent, Str textId, QColor colour)
{
    auto* label = new QLabel(loadString(textId), parent);
    QFont font = timesFont();
    font.setItalic(true);
    font.setPixelSize(15);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QLabel* unitField(QWidget* parent, const char* name, int width)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(width);
    label->setFont(arialFontPixels(14));
    return label;
}

// The width a title bar needs for `caption`: the text in a bold title face
// and, on each side, room for an icon and three buttons.
int captionRoom(const QString& caption)
{
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    constexpr int kButtonsOnEachSide = 80;
    return QFontMetrics(title).horizontalAdvance(caption) + 2 * kButtonsOnEachSide;
}

} // namespace

TDlgHiLowForm::TDlgHiLowForm(PromptService& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), prompts_(prompts)
{
    setObjectName(QStringLiteral("DlgHiLowForm"));
    setWindowTitle(loadString(kCaption));
    setModal(true);

    mkeHiLimit_ = new QLineEdit(this);
    mkeHiLimit_->setObjectName(QStringLiteral("mkeHiLimit"));
    mkeLowLimit_ = new QLineEdit(this);
    mkeLowLimit_->setObjectName(QStringLiteral("mkeLowLimit"));
    for (QLineEdit* edit : {mkeHiLimit_, mkeLowLimit_}) {
        edit->setMinimumWidth(120);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    stxtHiUnit_ = unitField(this, "stxtHiUnit", 18);
    stxtLowUnit_ = unitField(this, "stxtLowUnit", 18);
    stxtHiFunc_ = unitField(this, "stxtHiFunc", 36);
    stxtLowFunc_ = unitField(this, "stxtLowFunc", 36);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(10);
    grid->addWidget(limitLabel(this, kUpperLabel, QColor(0x00, 0x00, 0xc0)), 0, 0);
    grid->addWidget(mkeHiLimit_, 0, 1);
    grid->addWidget(stxtHiUnit_, 0, 2);
    grid->addWidget(stxtHiFunc_, 0, 3);
    grid->addWidget(limitLabel(this, kLowerLabel, QColor(0xc0, 0x00, 0x00)), 1, 0);
    grid->addWidget(mkeLowLimit_, 1, 1);
    grid->addWidget(stxtLowUnit_, 1, 2);
    grid->addWidget(stxtLowFunc_, 1, 3);

    bbtnOk_ = new QPushButton(loadString(Str::ButtonOk), this);
    bbtnOk_->setObjectName(QStringLiteral("bbtnOk"));
    bbtnOk_->setDefault(true);
    bbtnCancel_ = new QPushButton(loadString(kCancel), this);
    bbtnCancel_->setObjectName(QStringLiteral("bbtnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbtnOk_);
    buttons->addWidget(bbtnCancel_);
    buttons->addStretch();

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 16, 16, 12);
    page->setSpacing(14);
    page->addLayout(grid);
    page->addLayout(buttons);
    // At least as wide as the caption in the title bar, with room for the
    // window manager's icon and buttons on either side of it, so the caption
    // is not cut short.
    page->addSpacerItem(new QSpacerItem(captionRoom(windowTitle()), 0, QSizePolicy::Fixed, QSizePolicy::Fixed));
    page->setSizeConstraint(QLayout::SetFixedSize);

    // Only what the user types is checked; the dialog's own filling of the
    // fields shows values that are limits already.
    connect(mkeHiLimit_, &QLineEdit::textEdited, this, &TDlgHiLowForm::mkeHiLimitChange);
    connect(mkeLowLimit_, &QLineEdit::textEdited, this, &TDlgHiLowForm::mkeLowLimitChange);
    connect(bbtnOk_, &QPushButton::clicked, this, &TDlgHiLowForm::bbtnOkClick);
    connect(bbtnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlgHiLowForm::preset(std::int32_t functionCode, double upperLimit, double lowerLimit,
                           const std::string& prefixText, const std::string& unitText)
{
    code_ = functionCode;
    upper_ = upperLimit;
    lower_ = lowerLimit;
    prefixText_ = prefixText;
    unitText_ = unitText;
    showValues();
}

void TDlgHiLowForm::showValues()
{
    mkeHiLimit_->setText(QString::fromStdString(formatGeneral15(upper_)));
    mkeLowLimit_->setText(QString::fromStdString(formatGeneral15(lower_)));
    const UnitFieldStyle style = UnitFieldStyle::forReading(code_, prefixText_, unitText_);
    for (QLabel* prefix : {stxtHiUnit_, stxtLowUnit_}) {
        prefix->setText(style.prefixText);
        prefix->setAlignment(style.prefixAlignment);
    }
    for (QLabel* unit : {stxtHiFunc_, stxtLowFunc_}) {
        unit->setText(style.unitText);
        unit->setAlignment(style.unitAlignment);
    }
}

void TDlgHiLowForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    showValues();
    if (!event->spontaneous()) {
        adjustSize();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        move(screen.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
}

void TDlgHiLowForm::mkeHiLimitChange(const QString& text)
{
    if (applyLimitText(text, upper_) == LimitEdit::Refused)
        showUserMessage(prompts_, this, Str::ErrorCaption, kInvalidNumber);
}

void TDlgHiLowForm::mkeLowLimitChange(const QString& text)
{
    if (applyLimitText(text, lower_) == LimitEdit::Refused)
        showUserMessage(prompts_, this, Str::ErrorCaption, kInvalidNumber);
}

void TDlgHiLowForm::bbtnOkClick()
{
    // A field left with the start of a number ("-") holds no limit yet.
    for (QLineEdit* edit : {mkeHiLimit_, mkeLowLimit_}) {
        if (!isCompleteLimitText(edit->text())) {
            showUserMessage(prompts_, this, Str::ErrorCaption, kInvalidNumber);
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    if (limitsAcceptable(upper_, lower_))
        accept();
    else
        showUserMessage(prompts_, this, Str::ErrorCaption, kUnacceptable);
}

} // namespace vt640
