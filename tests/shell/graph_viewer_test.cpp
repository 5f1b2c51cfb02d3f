// The graph viewer in the whole program: the recorder's Fit all data opens
// it modally over the recorder's buffer, and its Export uses the viewer's
// own export dialog.
#include "shell_fixture.h"

#include "recorder/graphical_form.h"
#include "support/test_readings.h"
#include "viewer/dlg_fit_export_form.h"
#include "viewer/form_view_graphic.h"
#include "viewer/pe_graph.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

using namespace vt640;
using namespace vt640::test;

TEST_F(ShellTest, FitAllDataOpensTheViewerModallyOverTheRecordersBuffer)
{
    startProgram();
    TGraphicalForm& recorder = *windows_->graphicalForm();
    TFormViewGraphic& viewer = *windows_->formViewGraphic();
    TDlgFitExportForm& exportDialog = *windows_->dlgFitExportForm();
    state_.readingAvailable = true;
    for (int i = 0; i < 450; ++i) {
        cycle().reading() = volts(i % 37);
        recorder.manualLogging();
    }
    ASSERT_TRUE(recorder.sbtnFitView->isEnabled());

    bool ran = false;
    QTimer::singleShot(0, &viewer, [&] {
        ran = true;
        EXPECT_EQ(QApplication::activeModalWidget(), &viewer);
        EXPECT_TRUE(viewer.isMaximized());
        EXPECT_EQ(viewer.graph()->points(), 450);
        EXPECT_EQ(viewer.MaxDataPanel->text(), "36.000");
        EXPECT_EQ(viewer.MinDataPanel->text(), "0.000");
        bool exported = false;
        QTimer::singleShot(0, &exportDialog, [&] {
            exported = true;
            EXPECT_EQ(QApplication::activeModalWidget(), &exportDialog);
            EXPECT_FALSE(exportDialog.rbtnText->isVisible());
            QTest::mouseClick(exportDialog.btnCancel, Qt::LeftButton);
        });
        QTest::mouseClick(viewer.sbtnExport, Qt::LeftButton);
        EXPECT_TRUE(exported);
        QTest::mouseClick(viewer.bbtnClose, Qt::LeftButton);
    });
    QTest::mouseClick(recorder.sbtnFitView, Qt::LeftButton);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(viewer.graph()->points(), 100);
}
