// The metafile writer, checked with readers no one here wrote: emf2svg for
// EMF and libwmf's wmf2svg for WMF must read each file without error and
// show the picture drawn (the line's points, the text, the size, the clip).
#include "support/file_bytes.h"
#include "support/gui_test_app.h"
#include "viewer/core/metafile_device.h"
#include "viewer/core/metafile_format.h"
#include "viewer/core/metafile_renderer.h"
#include "viewer/core/safe_file_writer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <array>
#include <cmath>
#include <csignal>
#include <map>
#include <optional>
#include <vector>
#include <cstring>
#include <sys/resource.h>

using namespace vt640;

using vt640::test::readAt;
using vt640::test::readFile;

namespace {

// The picture, in the device's 1/96-inch pixels on a 100 x 68.1 mm page
// (378 x 257 pixels).
const QSize kSize(10000, 6810);
const QList<QPointF> kLine{{10, 10}, {50, 80}, {100, 20}, {150, 60}};
const QString kText = QStringLiteral("Volts 12.5");
const QRectF kFill(200, 100, 50, 40);
const QRect kClip(200, 150, 100, 50);
const QLineF kClippedLine(180, 160, 350, 240);

void drawPicture(QPainter& p)
{
    p.fillRect(QRect(0, 0, 378, 257), QColor(240, 240, 240));
    p.setPen(QPen(QColor(0, 0, 255), 2));
    p.drawPolyline(QPolygonF(kLine));
    p.setPen(Qt::black);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold));
    p.drawText(QPointF(20, 150), kText);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 0, 0));
    p.drawRect(kFill);
    p.setClipRect(kClip);
    p.setPen(QPen(QColor(0, 128, 0), 1));
    p.drawLine(kClippedLine);
    p.setClipping(false);
    // Bitmaps have no place in these metafiles.
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    p.drawImage(QPointF(300, 20), image);
}

struct SvgShape {
    QString tag;
    QList<QPointF> points;
    QString stroke, fill, text, fontWeight;
    double strokeWidth = 0;
};

struct Svg {
    double width = 0, height = 0;
    QList<SvgShape> shapes;
};

QList<QPointF> numbersToPoints(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("-?\\d+(\\.\\d+)?"));
    QList<double> values;
    for (auto it = number.globalMatch(text); it.hasNext();)
        values << it.next().captured(0).toDouble();
    QList<QPointF> out;
    for (qsizetype i = 0; i + 1 < values.size(); i += 2)
        out << QPointF(values[i], values[i + 1]);
    return out;
}

QString styleValue(const QXmlStreamAttributes& a, const QString& name)
{
    if (a.hasAttribute(name))
        return a.value(name).toString();
    const QRegularExpression re(QStringLiteral("(^|;)\\s*") + name + QStringLiteral("\\s*:\\s*([^;]+)"));
    const auto m = re.match(a.value(QStringLiteral("style")).toString());
    return m.hasMatch() ? m.captured(2).trimmed() : QString();
}

Svg parseSvg(const QByteArray& bytes)
{
    Svg svg;
    QXmlStreamReader xml(bytes);
    SvgShape* open = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes a = xml.attributes();
            const QString tag = xml.name().toString();
            if (tag == QLatin1String("svg")) {
                svg.width = a.value(QStringLiteral("width")).toDouble();
                svg.height = a.value(QStringLiteral("height")).toDouble();
            } else if (tag == QLatin1String("path") || tag == QLatin1String("polyline")
                       || tag == QLatin1String("polygon") || tag == QLatin1String("text")) {
                SvgShape s;
                s.tag = tag;
                s.points = numbersToPoints(
                    a.value(tag == QLatin1String("path") ? QStringLiteral("d") : QStringLiteral("points")).toString());
                s.stroke = styleValue(a, QStringLiteral("stroke"));
                s.fill = styleValue(a, QStringLiteral("fill"));
                s.fontWeight = styleValue(a, QStringLiteral("font-weight"));
                s.strokeWidth = styleValue(a, QStringLiteral("stroke-width")).toDouble();
                svg.shapes << s;
                open = tag == QLatin1String("text") ? &svg.shapes.last() : nullptr;
            }
        } else if (xml.isCharacters() && open) {
            open->text += xml.text().toString();
        } else if (xml.isEndElement()) {
            open = nullptr;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return svg;
}

// Runs a converter; the SVG it wrote, or a skip when it is not installed.
std::optional<QByteArray> convert(const QString& program, const QStringList& args, const QString& svgPath)
{
    const QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(exe, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QFile f(svgPath);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << program.toStdString() << " wrote no SVG";
    return f.readAll();
}

const SvgShape* findText(const Svg& svg, const QString& text)
{
    for (const SvgShape& s : svg.shapes)
        if (s.tag == QLatin1String("text") && s.text.trimmed() == text)
            return &s;
    return nullptr;
}

// The first line or path drawn with `stroke` (compared case-blind).
const SvgShape* findStroked(const Svg& svg, const QStringList& strokes)
{
    for (const SvgShape& s : svg.shapes)
        if (s.tag != QLatin1String("text") && strokes.contains(s.stroke, Qt::CaseInsensitive) && s.points.size() >= 2)
            return &s;
    return nullptr;
}

// Record types of a WMF / EMF that carry bitmaps.
bool emfHasBitmap(const QByteArray& emf)
{
    for (qsizetype at = 0; at + 8 <= emf.size();) {
        const auto type = readAt<uint32_t>(emf, at);
        const auto size = readAt<uint32_t>(emf, at + 4);
        if (type == 76 || type == 77 || type == 78 || type == 79 || type == 80 || type == 81)
            return true;
        if (size < 8)
            return false;
        at += size;
    }
    return false;
}

bool wmfHasBitmap(const QByteArray& wmf)
{
    for (qsizetype at = 22 + 18; at + 6 <= wmf.size();) {
        const auto words = readAt<uint32_t>(wmf, at);
        const auto function = readAt<uint16_t>(wmf, at + 4);
        if (function == 0x0922 || function == 0x0940 || function == 0x0b23 || function == 0x0b41 || function == 0x0d33
            || function == 0x0f43)
            return true;
        if (words < 3)
            return false;
        at += static_cast<qsizetype>(words) * 2;
    }
    return false;
}

// Plays the object records of a metafile as GDI keeps them and lists what
// would go wrong: selecting or deleting an object that does not exist,
// deleting one still selected, drawing before a pen, brush or font is
// selected, more objects than the header declares. SaveDC/RestoreDC bring
// back the selection.
struct ObjectPlayer {
    enum Kind { Pen, Brush, Font };
    std::map<uint32_t, Kind> live;
    std::array<std::optional<uint32_t>, 3> selected;
    std::vector<std::array<std::optional<uint32_t>, 3>> saved;
    QStringList problems;
    uint32_t highest = 0;

    void create(uint32_t index, Kind kind)
    {
        if (live.count(index))
            problems << QStringLiteral("object %1 created twice").arg(index);
        live[index] = kind;
        highest = std::max(highest, index);
    }
    void select(uint32_t index)
    {
        const auto it = live.find(index);
        if (it == live.end())
            problems << QStringLiteral("selects missing object %1").arg(index);
        else
            selected[it->second] = index;
    }
    void remove(uint32_t index)
    {
        const auto it = live.find(index);
        if (it == live.end()) {
            problems << QStringLiteral("deletes missing object %1").arg(index);
            return;
        }
        if (selected[it->second] == index)
            problems << QStringLiteral("deletes selected object %1").arg(index);
        for (const auto& state : saved)
            if (state[it->second] == index)
                problems << QStringLiteral("deletes object %1 kept by SaveDC").arg(index);
        live.erase(it);
    }
    void draw(std::initializer_list<Kind> needs, const char* what)
    {
        for (Kind k : needs)
            if (!selected[k])
                problems << QStringLiteral("%1 without its object %2").arg(QLatin1String(what)).arg(int(k));
    }
    void save() { saved.push_back(selected); }
    void restore()
    {
        if (saved.empty()) {
            problems << QStringLiteral("RestoreDC without SaveDC");
            return;
        }
        selected = saved.back();
        saved.pop_back();
    }
};

QStringList emfObjectProblems(const QByteArray& emf)
{
    ObjectPlayer play;
    for (qsizetype at = readAt<uint32_t>(emf, 4); at + 8 <= emf.size();) {
        const auto type = readAt<uint32_t>(emf, at);
        const auto size = readAt<uint32_t>(emf, at + 4);
        const auto index = readAt<uint32_t>(emf, at + 8);
        switch (type) {
        case 38:
        case 95: play.create(index, ObjectPlayer::Pen); break;
        case 39: play.create(index, ObjectPlayer::Brush); break;
        case 82: play.create(index, ObjectPlayer::Font); break;
        case 37: play.select(index); break;
        case 40: play.remove(index); break;
        case 33: play.save(); break;
        case 34: play.restore(); break;
        case 3:
        case 8: play.draw({ObjectPlayer::Pen, ObjectPlayer::Brush}, "polygon"); break;
        case 4: play.draw({ObjectPlayer::Pen}, "polyline"); break;
        case 84: play.draw({ObjectPlayer::Font}, "text"); break;
        default: break;
        }
        if (size < 8)
            break;
        at += size;
    }
    if (play.highest >= readAt<uint16_t>(emf, 56))
        play.problems << QStringLiteral("header declares too few handles");
    return play.problems;
}

QStringList wmfObjectProblems(const QByteArray& wmf)
{
    ObjectPlayer play;
    // WMF objects take the lowest free index.
    auto create = [&](ObjectPlayer::Kind kind) {
        uint32_t index = 0;
        while (play.live.count(index))
            ++index;
        play.create(index, kind);
    };
    for (qsizetype at = 22 + 18; at + 6 <= wmf.size();) {
        const auto words = readAt<uint32_t>(wmf, at);
        const auto function = readAt<uint16_t>(wmf, at + 4);
        const auto index = readAt<uint16_t>(wmf, at + 6);
        switch (function) {
        case 0x02FA: create(ObjectPlayer::Pen); break;
        case 0x02FC: create(ObjectPlayer::Brush); break;
        case 0x02FB: create(ObjectPlayer::Font); break;
        case 0x012D: play.select(index); break;
        case 0x01F0: play.remove(index); break;
        case 0x001E: play.save(); break;
        case 0x0127: play.restore(); break;
        case 0x0324:
        case 0x0538: play.draw({ObjectPlayer::Pen, ObjectPlayer::Brush}, "polygon"); break;
        case 0x0325: play.draw({ObjectPlayer::Pen}, "polyline"); break;
        case 0x0A32: play.draw({ObjectPlayer::Font}, "text"); break;
        default: break;
        }
        if (words < 3)
            break;
        at += static_cast<qsizetype>(words) * 2;
    }
    if (play.highest >= readAt<uint16_t>(wmf, 22 + 10))
        play.problems << QStringLiteral("header declares too few objects");
    return play.problems;
}

// Pens, brushes and fonts changing inside and between clips, as a chart
// draws its layers.
void drawLayers(QPainter& p)
{
    drawPicture(p);
    for (int i = 0; i < 12; ++i) {
        if (i % 3 == 0)
            p.setClipRect(QRect(10 * i, 5 * i, 200, 120));
        else if (i % 3 == 1)
            p.setClipping(false);
        p.setPen(QPen(QColor::fromHsv(30 * i, 255, 200), 1 + i % 3, i % 2 ? Qt::DashLine : Qt::SolidLine));
        p.setBrush(i % 4 ? QBrush(QColor::fromHsv(20 * i, 100, 250)) : QBrush());
        p.drawEllipse(QPointF(30 * i + 10, 100), 12, 8);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 8 + i));
        p.drawText(QPointF(30 * i, 200), QString::number(i));
        p.save();
        p.translate(20 * i, 230);
        p.rotate(-30.0 * i);
        p.drawLine(QPointF(0, 0), QPointF(25, 0));
        p.restore();
    }
}

class MetafileTest : public ::testing::Test {
protected:
    void SetUp() override { test::guiApp(); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(MetafileTest, EmfIsReadByEmf2svgWithTheLineTextFillClipAndSize)
{
    QString reason;
    const QByteArray emf = MetafileRenderer::render(MetafileFormat::Emf, kSize, drawPicture, &reason);
    ASSERT_FALSE(emf.isEmpty()) << reason.toStdString();

    // Header: EMR_HEADER, " EMF", the frame in 0.01 mm and the true length.
    EXPECT_EQ(readAt<uint32_t>(emf, 0), 1u);
    EXPECT_EQ(readAt<uint32_t>(emf, 40), 0x464D4520u);
    EXPECT_EQ(readAt<int32_t>(emf, 24), 0);
    EXPECT_EQ(readAt<int32_t>(emf, 28), 0);
    EXPECT_EQ(readAt<int32_t>(emf, 32), kSize.width());
    EXPECT_EQ(readAt<int32_t>(emf, 36), kSize.height());
    EXPECT_EQ(readAt<uint32_t>(emf, 48), static_cast<uint32_t>(emf.size()));
    EXPECT_FALSE(emfHasBitmap(emf));

    ASSERT_TRUE(SafeFileWriter::write(path("picture.emf"), emf));
    const auto out =
        convert(QStringLiteral("emf2svg-conv"),
                {QStringLiteral("-i"), path("picture.emf"), QStringLiteral("-o"), path("emf.svg")}, path("emf.svg"));
    if (!out)
        GTEST_SKIP() << "emf2svg-conv is not installed";
    const Svg svg = parseSvg(*out);
    EXPECT_NEAR(svg.width, kSize.width(), 1.0);
    EXPECT_NEAR(svg.height, kSize.height(), 1.0);

    // The logical unit is 0.01 mm: device pixels stretch by 10000/378 and 6810/257.
    const double sx = 10000.0 / 378, sy = 6810.0 / 257;
    const SvgShape* line = findStroked(svg, {QStringLiteral("#0000FF")});
    ASSERT_TRUE(line);
    ASSERT_EQ(line->points.size(), kLine.size());
    for (qsizetype i = 0; i < kLine.size(); ++i) {
        EXPECT_NEAR(line->points[i].x(), kLine[i].x() * sx, 1.0) << i;
        EXPECT_NEAR(line->points[i].y(), kLine[i].y() * sy, 1.0) << i;
    }

    const SvgShape* text = findText(svg, kText);
    ASSERT_TRUE(text) << "no <text> with the string";
    EXPECT_EQ(text->fontWeight, QStringLiteral("700"));

    bool filled = false;
    for (const SvgShape& s : svg.shapes)
        filled |= s.fill.compare(QLatin1String("#FF0000"), Qt::CaseInsensitive) == 0;
    EXPECT_TRUE(filled);

    // The line is cut where the clip rectangle begins, and stays inside it.
    const SvgShape* clipped = findStroked(svg, {QStringLiteral("#008000")});
    ASSERT_TRUE(clipped);
    const QRectF clip(kClip.left() * sx, kClip.top() * sy, kClip.width() * sx, kClip.height() * sy);
    EXPECT_NEAR(clipped->points.first().x(), clip.left(), 2.0);
    for (const QPointF& p : clipped->points)
        EXPECT_TRUE(clip.adjusted(-2, -2, 2, 2).contains(p)) << p.x() << "," << p.y();
}

TEST_F(MetafileTest, PlaceableWmfIsReadByWmf2svgWithTheLineTextClipAndSize)
{
    QString reason;
    const QByteArray wmf = MetafileRenderer::render(MetafileFormat::Wmf, kSize, drawPicture, &reason);
    ASSERT_FALSE(wmf.isEmpty()) << reason.toStdString();

    // Placeable header: key, bounding box and units per inch give the size.
    EXPECT_EQ(readAt<uint32_t>(wmf, 0), 0x9AC6CDD7u);
    const int right = readAt<int16_t>(wmf, 10), bottom = readAt<int16_t>(wmf, 12);
    const int inch = readAt<uint16_t>(wmf, 14);
    ASSERT_GT(inch, 0);
    EXPECT_NEAR(right * 2540.0 / inch, kSize.width(), 2.0);
    EXPECT_NEAR(bottom * 2540.0 / inch, kSize.height(), 2.0);
    uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= readAt<uint16_t>(wmf, i * 2);
    EXPECT_EQ(readAt<uint16_t>(wmf, 20), checksum);
    // The header's size field counts the words after the placeable record.
    EXPECT_EQ(readAt<uint16_t>(wmf, 22 + 6) | (readAt<uint16_t>(wmf, 22 + 8) << 16), (wmf.size() - 22) / 2);
    EXPECT_FALSE(wmfHasBitmap(wmf));

    ASSERT_TRUE(SafeFileWriter::write(path("picture.wmf"), wmf));
    const auto out = convert(QStringLiteral("wmf2svg"), {QStringLiteral("-o"), path("wmf.svg"), path("picture.wmf")},
                             path("wmf.svg"));
    if (!out)
        GTEST_SKIP() << "wmf2svg is not installed";
    const Svg svg = parseSvg(*out);
    // wmf2svg picks its own scale; the aspect is the picture's.
    ASSERT_GT(svg.height, 0.0);
    EXPECT_NEAR(svg.width / svg.height, double(kSize.width()) / kSize.height(), 0.01);

    const double sx = svg.width / 378, sy = svg.height / 257;
    const SvgShape* line = findStroked(svg, {QStringLiteral("blue"), QStringLiteral("#0000ff")});
    ASSERT_TRUE(line);
    ASSERT_EQ(line->points.size(), kLine.size());
    for (qsizetype i = 0; i < kLine.size(); ++i) {
        EXPECT_NEAR(line->points[i].x(), kLine[i].x() * sx, 1.0) << i;
        EXPECT_NEAR(line->points[i].y(), kLine[i].y() * sy, 1.0) << i;
    }
    const SvgShape* text = findText(svg, kText);
    ASSERT_TRUE(text) << "no <text> with the string";
    EXPECT_EQ(text->fontWeight, QStringLiteral("bold"));

    const SvgShape* clipped = findStroked(svg, {QStringLiteral("green"), QStringLiteral("#008000")});
    ASSERT_TRUE(clipped);
    const QRectF clip(kClip.left() * sx, kClip.top() * sy, kClip.width() * sx, kClip.height() * sy);
    EXPECT_NEAR(clipped->points.first().x(), clip.left(), 1.0);
    for (const QPointF& p : clipped->points)
        EXPECT_TRUE(clip.adjusted(-1, -1, 1, 1).contains(p)) << p.x() << "," << p.y();
}

TEST_F(MetafileTest, DottedLinesInWmfAreDotsAsWideAsTheLineWhicheverReaderDrawsThem)
{
    // A chart's grid: dotted lines one pixel wide, beside a solid one.
    auto drawGrid = [](QPainter& p) {
        p.setPen(QPen(QColor(0, 0, 255), 1));
        p.drawLine(QPointF(20, 50), QPointF(320, 50));
        p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DotLine));
        p.drawLine(QPointF(20, 100), QPointF(320, 100));
        p.drawLine(QPointF(100, 20), QPointF(100, 220));
    };
    const QByteArray wmf = MetafileRenderer::render(MetafileFormat::Wmf, kSize, drawGrid);
    ASSERT_FALSE(wmf.isEmpty());
    // No pen of width 0, which LibreOffice does not draw.
    int pens = 0;
    for (qsizetype at = 22 + 18; at + 6 <= wmf.size();) {
        const auto words = readAt<uint32_t>(wmf, at);
        if (readAt<uint16_t>(wmf, at + 4) == 0x02FA) { // META_CREATEPENINDIRECT
            ++pens;
            EXPECT_GE(readAt<int16_t>(wmf, at + 8), 1) << "pen style " << readAt<uint16_t>(wmf, at + 6);
        }
        if (words < 3)
            break;
        at += static_cast<qsizetype>(words) * 2;
    }
    EXPECT_GE(pens, 2);

    ASSERT_TRUE(SafeFileWriter::write(path("grid.wmf"), wmf));
    const auto out = convert(QStringLiteral("wmf2svg"), {QStringLiteral("-o"), path("grid.svg"), path("grid.wmf")},
                             path("grid.svg"));
    if (!out)
        GTEST_SKIP() << "wmf2svg is not installed";
    const Svg svg = parseSvg(*out);
    const SvgShape* solid = findStroked(svg, {QStringLiteral("blue"), QStringLiteral("#0000ff")});
    ASSERT_TRUE(solid);
    ASSERT_GT(solid->strokeWidth, 0.0);
    // Each dot a short line as wide as the solid one, about a hundred of
    // them on each 300 pixels (a dot and a gap of two every three pixels).
    const double sx = svg.width / 378;
    int dots = 0;
    for (const SvgShape& shape : svg.shapes) {
        if (shape.stroke.compare(QLatin1String("red"), Qt::CaseInsensitive) != 0
            && shape.stroke.compare(QLatin1String("#ff0000"), Qt::CaseInsensitive) != 0)
            continue;
        ++dots;
        EXPECT_NEAR(shape.strokeWidth, solid->strokeWidth, solid->strokeWidth * 0.2);
        ASSERT_EQ(shape.points.size(), 2);
        EXPECT_LE(QLineF(shape.points[0], shape.points[1]).length(), 1.5 * sx);
    }
    EXPECT_GT(dots, 150);
    EXPECT_LT(dots, 200);
}

TEST_F(MetafileTest, LargeWmfKeepsItsCoordinatesInSixteenBitsAndSizesOutsideTheRangeAreRefused)
{
    // 2 m wide: twips would overflow, so the unit grows and the size holds.
    const QByteArray wmf = MetafileRenderer::render(MetafileFormat::Wmf, QSize(200000, 100000), drawPicture);
    ASSERT_FALSE(wmf.isEmpty());
    const int right = readAt<int16_t>(wmf, 10);
    const int inch = readAt<uint16_t>(wmf, 14);
    EXPECT_GT(right, 30000);
    EXPECT_NEAR(right * 2540.0 / inch, 200000, 200000 * 0.001);

    for (const QSize bad : {QSize(0, 6810), QSize(10000, -1), QSize(99, 6810), QSize(500001, 6810)}) {
        QString reason;
        bool drawn = false;
        EXPECT_TRUE(MetafileRenderer::render(
                        MetafileFormat::Emf, bad, [&](QPainter&) { drawn = true; }, &reason)
                        .isEmpty());
        EXPECT_FALSE(drawn);
        EXPECT_FALSE(reason.isEmpty());
    }
}

TEST_F(MetafileTest, ObjectsAreSelectedBeforeUseAndNeverDeletedWhileInUse)
{
    for (const MetafileFormat format : {MetafileFormat::Emf, MetafileFormat::Wmf}) {
        SCOPED_TRACE(metafileFormatName(format).toStdString());
        const QByteArray bytes = MetafileRenderer::render(format, kSize, drawLayers);
        ASSERT_FALSE(bytes.isEmpty());
        const QStringList problems =
            format == MetafileFormat::Emf ? emfObjectProblems(bytes) : wmfObjectProblems(bytes);
        EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(MetafileFormatTest, NameRuleWmfOnlyForDotWmf)
{
    EXPECT_EQ(metafileFormatForFileName(QStringLiteral("/tmp/a.wmf")), MetafileFormat::Wmf);
    EXPECT_EQ(metafileFormatForFileName(QStringLiteral("A.WMF")), MetafileFormat::Wmf);
    EXPECT_EQ(metafileFormatForFileName(QStringLiteral("a.emf.wmf")), MetafileFormat::Wmf);
    EXPECT_EQ(metafileFormatForFileName(QStringLiteral("a.emf")), MetafileFormat::Emf);
    EXPECT_EQ(metafileFormatForFileName(QStringLiteral("chart")), MetafileFormat::Emf);
    EXPECT_EQ(metafileFormatForFileName(QStringLiteral("dir.wmf/chart")), MetafileFormat::Emf);
    EXPECT_EQ(metafileFormatForFileName(QStringLiteral("a.wmf.emf")), MetafileFormat::Emf);
}

// ---- writing files ------------------------------------------------------------

namespace {

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

TEST_F(MetafileTest, SafeWriterReplacesWholeFilesAndLinksButNeverWritesThroughThem)
{
    const QString target = path("chart.emf");
    ASSERT_TRUE(SafeFileWriter::write(target, "first"));
    ASSERT_TRUE(SafeFileWriter::write(target, "second, longer"));
    EXPECT_EQ(readFile(target), "second, longer");

    // A link planted at the name is replaced by the file; what it pointed
    // at is not touched.
    const QString victim = path("victim.txt");
    ASSERT_TRUE(SafeFileWriter::write(victim, "precious"));
    const QString link = path("link.wmf");
    ASSERT_TRUE(QFile::link(victim, link));
    ASSERT_TRUE(SafeFileWriter::write(link, "picture"));
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(link), "picture");
    EXPECT_EQ(entries(dir_.path()), (QStringList{"chart.emf", "link.wmf", "victim.txt"}));
}

TEST_F(MetafileTest, SafeWriterFailuresSayWhyAndLeaveTheOldFileAndNoLeftovers)
{
    QString reason;
    // A folder at the name.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.bmp")));
    EXPECT_FALSE(SafeFileWriter::write(path("folder.bmp"), "x", &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("folder")));
    EXPECT_TRUE(QFileInfo(path("folder.bmp")).isDir());

    // No such folder.
    reason.clear();
    EXPECT_FALSE(SafeFileWriter::write(path("missing/chart.emf"), "x", &reason));
    EXPECT_TRUE(reason.contains(path("missing"))) << reason.toStdString();

    // The disk fills up half-way (a file size limit stands in for it).
    const QString good = path("good.emf");
    ASSERT_TRUE(SafeFileWriter::write(good, QByteArray(100, 'g')));
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    reason.clear();
    const bool written = SafeFileWriter::write(good, QByteArray(100000, 'n'), &reason);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_TRUE(reason.startsWith(QStringLiteral("Writing failed"))) << reason.toStdString();
    EXPECT_EQ(readFile(good), QByteArray(100, 'g'));

    EXPECT_EQ(entries(dir_.path()), (QStringList{"folder.bmp", "good.emf"}));
}
