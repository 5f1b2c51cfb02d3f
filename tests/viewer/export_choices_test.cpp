// The export dialog's rules, without the dialog.
#include "viewer/core/export_choices.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vt640 {
namespace {

using Type = ExportChoices::Type;
using Destination = ExportChoices::Destination;
using Scope = ExportChoices::Scope;
using Unit = ExportChoices::Unit;
using SizeText = ExportChoices::SizeText;

ExportChoices recorderChoices() { return ExportChoices(ExportChoices::PrinterRule::AnyScope); }

TEST(ExportChoicesTest, MetaFileSelectsClipBoardMillimetresAndTheDefaultSize)
{
    ExportChoices c = recorderChoices();
    EXPECT_EQ(c.pixelsCaption(), "No Specific Size");
    c.selectType(Type::MetaFile);
    EXPECT_EQ(c.destination(), Destination::ClipBoard);
    EXPECT_EQ(c.scope(), Scope::ThisPage);
    EXPECT_FALSE(c.isEnabled(Scope::AllPages));
    EXPECT_FALSE(c.isEnabled(Scope::PageRange));
    EXPECT_FALSE(c.browseEnabled());
    EXPECT_EQ(c.unit(), Unit::Millimeters);
    EXPECT_FALSE(c.isEnabled(Unit::Pixels));
    EXPECT_TRUE(c.isEnabled(Unit::Inches));
    EXPECT_EQ(c.pixelsCaption(), "Pixels");
    EXPECT_EQ(c.unitLabel(), "Units");
    EXPECT_EQ(c.widthText(), "100");
    EXPECT_EQ(c.heightText(), "68.1");
    EXPECT_DOUBLE_EQ(c.storedWidth(), 10000);
    EXPECT_DOUBLE_EQ(c.storedHeight(), 6810);
    EXPECT_TRUE(c.sizeGroupVisible());
}

TEST(ExportChoicesTest, UnitsShowTheStoredSizeAndTheRewriteIsReadBack)
{
    ExportChoices c = recorderChoices();
    c.selectType(Type::MetaFile);
    c.selectUnit(Unit::Inches);
    EXPECT_EQ(c.widthText(), "3.93700787401575");
    // The rewrite is parsed back: the last digits of the stored size move.
    EXPECT_NE(c.storedWidth(), 10000);
    EXPECT_NEAR(c.storedWidth(), 10000, 1e-9);
    // Points are 1/72 inch, converted both ways.
    c.selectUnit(Unit::Points);
    EXPECT_EQ(c.widthText(), "283.464566929134");
    EXPECT_NEAR(c.storedWidth(), 10000, 1e-8);
    EXPECT_EQ(c.setWidthText("300"), SizeText::Stored);
    EXPECT_EQ(c.setHeightText("200"), SizeText::Stored);
    EXPECT_NEAR(c.storedWidth(), 300 * 2540.0 / 72, 1e-9); // 105.83 mm
    EXPECT_NEAR(c.storedHeight(), 200 * 2540.0 / 72, 1e-9);
    c.selectUnit(Unit::Millimeters);
    EXPECT_EQ(c.widthText(), "105.833333333333");
}

TEST(ExportChoicesTest, BitMapAfterMetaFileResetsTheSizeInPixels)
{
    ExportChoices c = recorderChoices();
    c.selectType(Type::MetaFile);
    c.setWidthText("50");
    c.selectType(Type::BitMap);
    EXPECT_EQ(c.unit(), Unit::Pixels);
    EXPECT_TRUE(c.isEnabled(Unit::Pixels));
    EXPECT_FALSE(c.isEnabled(Unit::Millimeters));
    EXPECT_EQ(c.unitLabel(), "Pixels");
    EXPECT_EQ(c.widthText(), "1000");
    EXPECT_EQ(c.heightText(), "681");
    EXPECT_DOUBLE_EQ(c.storedWidth(), 1000);
    // Typed pixels are stored as they are.
    c.setWidthText("640.5");
    EXPECT_DOUBLE_EQ(c.storedWidth(), 640.5);
}

TEST(ExportChoicesTest, ASelectionAlreadyMadeChangesNothing)
{
    ExportChoices c = recorderChoices();
    c.selectType(Type::MetaFile);
    c.selectDestination(Destination::Printer);
    c.selectUnit(Unit::Inches);
    c.setWidthText("2");
    c.selectType(Type::MetaFile); // the viewer's preset, a second time
    EXPECT_EQ(c.destination(), Destination::Printer);
    EXPECT_EQ(c.unit(), Unit::Inches);
    EXPECT_DOUBLE_EQ(c.storedWidth(), 5080);

    c.selectScope(Scope::PageRange);
    EXPECT_TRUE(c.pageEditsEnabled());
    c.selectScope(Scope::AllPages);
    EXPECT_FALSE(c.pageEditsEnabled());
}

// A unit that was selected already keeps the edits from going stale when a
// type sets its default size again.
TEST(ExportChoicesTest, TheEditsAlwaysShowTheStoredSize)
{
    ExportChoices c = recorderChoices();
    c.selectType(Type::MetaFile);
    c.setWidthText("50");
    c.selectType(Type::Text);
    c.selectType(Type::MetaFile); // Millimetres still selected
    EXPECT_EQ(c.widthText(), "100");
    EXPECT_DOUBLE_EQ(c.storedWidth(), 10000);
}

TEST(ExportChoicesTest, TextGoesToAFileOfAnyPages)
{
    ExportChoices c = recorderChoices();
    c.selectType(Type::Text);
    EXPECT_EQ(c.destination(), Destination::File);
    EXPECT_FALSE(c.isEnabled(Destination::ClipBoard));
    EXPECT_FALSE(c.isEnabled(Destination::Printer));
    EXPECT_TRUE(c.browseEnabled());
    EXPECT_EQ(c.scope(), Scope::ThisPage);
    for (Scope s : {Scope::AllPages, Scope::ThisPage, Scope::PageRange})
        EXPECT_TRUE(c.isEnabled(s));
    EXPECT_FALSE(c.sizeGroupVisible());

    // Also when File was selected already for a picture (one page only).
    ExportChoices d = recorderChoices();
    d.selectType(Type::BitMap);
    d.selectDestination(Destination::File);
    EXPECT_FALSE(d.isEnabled(Scope::AllPages));
    d.selectType(Type::Text);
    EXPECT_TRUE(d.isEnabled(Scope::AllPages));
    EXPECT_TRUE(d.isEnabled(Scope::PageRange));
}

TEST(ExportChoicesTest, PrinterKeepsTheScopeInTheRecorderAndOnePageInTheViewer)
{
    ExportChoices recorder = recorderChoices();
    recorder.selectType(Type::MetaFile);
    recorder.selectDestination(Destination::Printer);
    EXPECT_FALSE(recorder.browseEnabled());
    EXPECT_TRUE(recorder.isEnabled(Scope::AllPages));
    recorder.selectScope(Scope::PageRange);
    EXPECT_EQ(recorder.scope(), Scope::PageRange);

    ExportChoices viewer(ExportChoices::PrinterRule::ThisPageOnly);
    viewer.selectType(Type::MetaFile);
    viewer.selectDestination(Destination::File);
    viewer.selectDestination(Destination::Printer);
    EXPECT_EQ(viewer.scope(), Scope::ThisPage);
    EXPECT_FALSE(viewer.isEnabled(Scope::AllPages));
    EXPECT_FALSE(viewer.isEnabled(Scope::PageRange));
}

TEST(ExportChoicesTest, FileNameBoxAndBrowse)
{
    ExportChoices c = recorderChoices();
    c.selectType(Type::MetaFile);
    c.selectDestination(Destination::File);
    EXPECT_EQ(c.browseDefaultSuffix(), "emf");
    // "All" lists every format offered.
    EXPECT_EQ(c.browseFilters(), (QStringList{"All (*.emf *.wmf *.svg *.pdf)", "Enhanced Metafiles (*.emf)",
                                              "Metafiles (*.wmf)", "SVG (*.svg)", "PDF (*.pdf)"}));

    // A name without an extension takes the chosen filter's, or the default
    // one from a filter of several; a name with a dot stays as typed.
    c.browseAnswered("/tmp/out/report", "PDF (*.pdf)");
    EXPECT_EQ(c.fileName(), "/tmp/out/report.pdf");
    c.browseAnswered("/tmp/out/report", "Metafiles (*.wmf)");
    EXPECT_EQ(c.fileName(), "/tmp/out/report.wmf");
    c.browseAnswered("/tmp/out/report", "All (*.emf *.wmf *.svg *.pdf)");
    EXPECT_EQ(c.fileName(), "/tmp/out/report.emf");
    c.browseAnswered("/tmp/out.d/report.v2", "SVG (*.svg)");
    EXPECT_EQ(c.fileName(), "/tmp/out.d/report.v2");

    const QString thirty = "/tmp/abcdefghijklmnopqrstu.emf";
    ASSERT_EQ(thirty.size(), 30);
    c.browseAnswered(thirty);
    EXPECT_EQ(c.fileName(), thirty);
    EXPECT_EQ(c.fileNameDisplay(), thirty);
    const QString thirtyOne = "/tmp/abcdefghijklmnopqrstuv.emf";
    c.browseAnswered(thirtyOne);
    ASSERT_EQ(thirtyOne.size(), 31);
    EXPECT_EQ(c.fileNameDisplay(), "/tm...cdefghijklmnopqrstuv.emf");

    // A cancelled Browse keeps the name, so the box and the name agree.
    c.browseAnswered(QString());
    EXPECT_EQ(c.fileName(), thirtyOne);
    // Choosing File or ClipBoard anew forgets it.
    c.selectDestination(Destination::ClipBoard);
    EXPECT_TRUE(c.fileName().isEmpty());
}

TEST(ExportChoicesTest, SizeTextsWhileTyping)
{
    ExportChoices c = recorderChoices();
    c.selectType(Type::MetaFile);
    // What may still become a number is never an error while it is typed
    // (the number grammar reads ".", "-.", "1e" and "1e-" as numbers already).
    for (const char* partial : {"", "-", "+", ".", "-.", "1e", "1e-"})
        EXPECT_NE(c.setWidthText(partial), SizeText::Invalid) << partial;
    EXPECT_EQ(c.setWidthText(""), SizeText::Incomplete);
    EXPECT_EQ(c.setWidthText("-"), SizeText::Incomplete);
    EXPECT_EQ(c.setWidthText("2"), SizeText::Stored);
    EXPECT_EQ(c.setWidthText("12x"), SizeText::Invalid);
    EXPECT_EQ(c.invalidSizeText(), "12x");
    EXPECT_DOUBLE_EQ(c.storedWidth(), 200);                // the last number typed
    EXPECT_EQ(c.setWidthText("1e999"), SizeText::Invalid); // no infinite sizes
    EXPECT_EQ(c.setWidthText("25"), SizeText::Stored);
    EXPECT_TRUE(c.invalidSizeText().isNull());
}

TEST(ExportChoicesTest, TheChartsArgumentIsTheSizeCutToAWholeNumber)
{
    // The default metafile, stored from the edits' 100 and 68.1 mm.
    ExportChoices c = recorderChoices();
    c.selectType(Type::MetaFile);
    EXPECT_EQ(ExportChoices::chartArgument(c.storedWidth()), 10000);
    EXPECT_EQ(ExportChoices::chartArgument(c.storedHeight()), 6810);
    EXPECT_EQ(ExportChoices::chartArgument(680.99), 680);
    EXPECT_EQ(ExportChoices::chartArgument(-2.7), -2);
    EXPECT_EQ(ExportChoices::chartArgument(1e300), 2147483647);
    EXPECT_EQ(ExportChoices::chartArgument(std::nan("")), 0);
}

} // namespace
} // namespace vt640
