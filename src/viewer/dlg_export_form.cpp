#include "viewer/dlg_export_form.h"

#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace vt640 {
namespace {

using Type = ExportChoices::Type;
using Destination = ExportChoices::Destination;
using Scope = ExportChoices::Scope;
using Unit = ExportChoices::Unit;

constexpr int kClientWidth = 433;
constexpr int kClientHeight = 370;

QRadioButton* radio(QWidget* parent, Str caption, const char* name)
{
    auto* r = new QRadioButton(loadString(caption), parent);
    r->setObjectName(QLatin1String(name));
    r->setAutoExclusive(false); // the choices decide what is checked
    return r;
}

QString withoutAmpersand(QString s) { return s.remove(QLatin1Char('&')); }

} // namespace

TDlgExportForm::TDlgExportForm(PromptService& prompts, QWidget* parent)
    : TDlgExportForm(prompts, ExportChoices::PrinterRule::AnyScope, parent)
{
    setObjectName(QStringLiteral("DlgExportForm"));
}

TDlgExportForm::TDlgExportForm(PromptService& prompts, ExportChoices::PrinterRule printerRule, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), prompts_(prompts), choices_(printerRule)
{
    setWindowTitle(loadString(Str::CaptionExport));
    build();
    refresh();
}

void TDlgExportForm::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(6);

    auto* gbType = new QGroupBox(loadString(Str::ExportGroup), this);
    auto* typeRow = new QHBoxLayout(gbType);
    rbtnMetaFile = radio(gbType, Str::ExportMetaFile, "rbtnMetaFile");
    rbtnBitMap = radio(gbType, Str::ExportBitMap, "rbtnBitMap");
    rbtnText = radio(gbType, Str::ExportText, "rbtnText");
    for (QRadioButton* r : {rbtnMetaFile, rbtnBitMap, rbtnText})
        typeRow->addWidget(r);
    typeRow->addStretch(1);
    layout->addWidget(gbType);

    auto* gbDestination =
        new QGroupBox(loadString(Str::ExportGroup) + QLatin1Char(' ') + loadString(Str::ExportDestination), this);
    auto* destination = new QGridLayout(gbDestination);
    rbtnClipBoard = radio(gbDestination, Str::ExportClipBoard, "rbtnClipBoard");
    rbtnFile = radio(gbDestination, Str::ExportFile, "rbtnFile");
    rbtnPrinter = radio(gbDestination, Str::ExportPrinter, "rbtnPrinter");
    btnBrowse = new QPushButton(loadString(Str::ExportBrowse), gbDestination);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    stxFileName = new QLabel(gbDestination);
    stxFileName->setObjectName(QStringLiteral("stxFileName"));
    stxFileName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    stxFileName->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 20);
    destination->addWidget(rbtnClipBoard, 0, 0);
    destination->addWidget(rbtnFile, 1, 0);
    destination->addWidget(btnBrowse, 1, 1);
    destination->addWidget(stxFileName, 1, 2);
    destination->addWidget(rbtnPrinter, 2, 0);
    destination->setColumnStretch(2, 1);
    layout->addWidget(gbDestination);

    auto* gbScope = new QGroupBox(loadString(Str::ExportPageScope), this);
    auto* scope = new QHBoxLayout(gbScope);
    rbtnPageAll = radio(gbScope, Str::ExportAllPages, "rbtnPageAll");
    rbtnThisPage = radio(gbScope, Str::ExportThisPage, "rbtnThisPage");
    rbtnPage = radio(gbScope, Str::ExportPage, "rbtnPage");
    lblFrom = new QLabel(loadString(Str::ExportFrom), gbScope);
    lblTo = new QLabel(loadString(Str::ExportTo), gbScope);
    editPageFrom = new QLineEdit(gbScope);
    editPageFrom->setObjectName(QStringLiteral("editPageFrom"));
    editPageTo = new QLineEdit(gbScope);
    editPageTo->setObjectName(QStringLiteral("editPageTo"));
    // Page numbers are whole numbers: the edits take digits only.
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), this);
    for (QLineEdit* e : {editPageFrom, editPageTo}) {
        e->setValidator(digits);
        e->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{rbtnPageAll, rbtnThisPage, rbtnPage, lblFrom, editPageFrom, lblTo, editPageTo})
        scope->addWidget(w);
    scope->addStretch(1);
    layout->addWidget(gbScope);

    gbSize = new QGroupBox(loadString(Str::ExportObjectSize), this);
    auto* size = new QVBoxLayout(gbSize);
    auto* units = new QHBoxLayout;
    rbtnPixels = radio(gbSize, Str::ExportNoSpecificSize, "rbtnPixels");
    rbtnMillimeters = radio(gbSize, Str::ExportMillimeters, "rbtnMillimeters");
    rbtnInches = radio(gbSize, Str::ExportInches, "rbtnInches");
    rbtnPoints = radio(gbSize, Str::ExportPoints, "rbtnPoints");
    for (QRadioButton* r : {rbtnPixels, rbtnMillimeters, rbtnInches, rbtnPoints})
        units->addWidget(r);
    units->addStretch(1);
    size->addLayout(units);
    auto* dims = new QHBoxLayout;
    lblWidth = new QLabel(loadString(Str::ExportWidth), gbSize);
    editWidth = new QLineEdit(gbSize);
    editWidth->setObjectName(QStringLiteral("editWidth"));
    lblSlash = new QLabel(loadString(Str::ExportSlash), gbSize);
    editHigh = new QLineEdit(gbSize);
    editHigh->setObjectName(QStringLiteral("editHigh"));
    lblUnit = new QLabel(gbSize);
    lblUnit->setObjectName(QStringLiteral("lblUnit"));
    for (QLineEdit* e : {editWidth, editHigh})
        e->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0.000000000000000")) + 12);
    dims->addWidget(lblWidth);
    dims->addWidget(editWidth);
    dims->addWidget(lblSlash);
    dims->addWidget(editHigh);
    dims->addWidget(lblUnit);
    dims->addStretch(1);
    size->addLayout(dims);
    layout->addWidget(gbSize);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnExport = new QPushButton(loadString(Str::ExportGroup), this);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnExport->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    btnExport->setDefault(true);
    btnCancel = new QPushButton(loadString(Str::ExportCancel), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    buttons->addWidget(btnExport);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    const std::pair<QRadioButton*, Type> types[] = {
        {rbtnMetaFile, Type::MetaFile}, {rbtnBitMap, Type::BitMap}, {rbtnText, Type::Text}};
    for (const auto& [r, t] : types)
        connect(r, &QRadioButton::clicked, this, [this, t = t] {
            choices_.selectType(t);
            refresh();
        });
    const std::pair<QRadioButton*, Destination> destinations[] = {
        {rbtnClipBoard, Destination::ClipBoard}, {rbtnFile, Destination::File}, {rbtnPrinter, Destination::Printer}};
    for (const auto& [r, d] : destinations)
        connect(r, &QRadioButton::clicked, this, [this, d = d] {
            choices_.selectDestination(d);
            refresh();
        });
    const std::pair<QRadioButton*, Scope> scopes[] = {
        {rbtnPageAll, Scope::AllPages}, {rbtnThisPage, Scope::ThisPage}, {rbtnPage, Scope::PageRange}};
    for (const auto& [r, sc] : scopes)
        connect(r, &QRadioButton::clicked, this, [this, sc = sc] {
            choices_.selectScope(sc);
            refresh();
        });
    const std::pair<QRadioButton*, Unit> unitChoices[] = {{rbtnPixels, Unit::Pixels},
                                                          {rbtnMillimeters, Unit::Millimeters},
                                                          {rbtnInches, Unit::Inches},
                                                          {rbtnPoints, Unit::Points}};
    for (const auto& [r, u] : unitChoices)
        connect(r, &QRadioButton::clicked, this, [this, u = u] {
            choices_.selectUnit(u);
            refresh();
        });
    connect(editWidth, &QLineEdit::textEdited, this, [this](const QString& t) { choices_.setWidthText(t); });
    connect(editHigh, &QLineEdit::textEdited, this, [this](const QString& t) { choices_.setHeightText(t); });
    connect(editPageFrom, &QLineEdit::textEdited, this,
            [this](const QString& t) { choices_.setPageTexts(t, choices_.pageToText()); });
    connect(editPageTo, &QLineEdit::textEdited, this,
            [this](const QString& t) { choices_.setPageTexts(choices_.pageFromText(), t); });
    connect(btnBrowse, &QPushButton::clicked, this, &TDlgExportForm::browse);
    connect(btnExport, &QPushButton::clicked, this, &TDlgExportForm::exportClicked);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The client area the layout rules give, or more where the fonts need it.
    setFixedSize(sizeHint().expandedTo(QSize(kClientWidth, kClientHeight)));
}

void TDlgExportForm::refresh()
{
    auto show = [](QRadioButton* r, bool checked, bool enabled) {
        r->setChecked(checked);
        r->setEnabled(enabled);
    };
    const ExportChoices& c = choices_;
    show(rbtnMetaFile, c.type() == Type::MetaFile, c.isEnabled(Type::MetaFile));
    show(rbtnBitMap, c.type() == Type::BitMap, c.isEnabled(Type::BitMap));
    show(rbtnText, c.type() == Type::Text, c.isEnabled(Type::Text));
    rbtnText->setVisible(c.textAvailable());
    show(rbtnClipBoard, c.destination() == Destination::ClipBoard, c.isEnabled(Destination::ClipBoard));
    show(rbtnFile, c.destination() == Destination::File, c.isEnabled(Destination::File));
    show(rbtnPrinter, c.destination() == Destination::Printer, c.isEnabled(Destination::Printer));
    show(rbtnPageAll, c.scope() == Scope::AllPages, c.isEnabled(Scope::AllPages));
    show(rbtnThisPage, c.scope() == Scope::ThisPage, c.isEnabled(Scope::ThisPage));
    show(rbtnPage, c.scope() == Scope::PageRange, c.isEnabled(Scope::PageRange));
    show(rbtnPixels, c.unit() == Unit::Pixels, c.isEnabled(Unit::Pixels));
    show(rbtnMillimeters, c.unit() == Unit::Millimeters, c.isEnabled(Unit::Millimeters));
    show(rbtnInches, c.unit() == Unit::Inches, c.isEnabled(Unit::Inches));
    show(rbtnPoints, c.unit() == Unit::Points, c.isEnabled(Unit::Points));
    rbtnPixels->setText(c.pixelsCaption());
    lblUnit->setText(c.unitLabel());
    btnBrowse->setEnabled(c.browseEnabled());
    stxFileName->setText(c.fileNameDisplay());
    stxFileName->setToolTip(c.fileName());
    for (QWidget* w : std::initializer_list<QWidget*>{lblFrom, lblTo, editPageFrom, editPageTo})
        w->setEnabled(c.pageEditsEnabled());
    if (editPageFrom->text() != c.pageFromText())
        editPageFrom->setText(c.pageFromText());
    if (editPageTo->text() != c.pageToText())
        editPageTo->setText(c.pageToText());
    if (editWidth->text() != c.widthText())
        editWidth->setText(c.widthText());
    if (editHigh->text() != c.heightText())
        editHigh->setText(c.heightText());
    gbSize->setVisible(c.sizeGroupVisible());
}

void TDlgExportForm::showEvent(QShowEvent* event)
{
    refresh();
    QDialog::showEvent(event);
    if (focusBrowse_) {
        focusBrowse_ = false;
        btnBrowse->setFocus();
    }
}

void TDlgExportForm::browse()
{
    PromptService::FileRequest request;
    request.caption = withoutAmpersand(loadString(Str::MenuSaveAs));
    request.kind = choices_.type() == ExportChoices::Type::Text ? PromptService::FileKind::Text
                                                                : PromptService::FileKind::Pictures;
    request.fileName = loadString(Str::ExportUntitled);
    request.filters = choices_.browseFilters();
    request.defaultSuffix = choices_.browseDefaultSuffix();
    request.save = true;
    QString filter;
    const QString path = prompts_.fileName(this, request, &filter);
    choices_.browseAnswered(path, filter);
    refresh();
}

void TDlgExportForm::exportClicked()
{
    // A size that is not a number is told here, once, rather than on every
    // keystroke while it is being typed; the stored size stays as it was.
    const QString invalid = choices_.invalidSizeText();
    if (!invalid.isNull() && choices_.sizeGroupVisible()) {
        PromptService::Message box;
        box.caption = windowTitle();
        box.text = loadFormatted(Str::NotAFloat, {invalid});
        box.icon = PromptService::Icon::Stop;
        prompts_.message(this, box);
        return;
    }
    accept();
}

} // namespace vt640
