#include "viewer/core/vector_page_size.h"

#include <QByteArrayList>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace vt640 {
namespace {

// A length as a short decimal: no exponent, no trailing zeros.
QByteArray decimal(double value, int decimals)
{
    QByteArray text = QByteArray::number(value, 'f', decimals);
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text;
}

struct Replacement {
    qsizetype at = 0;     // where the replaced bytes began in the old file
    qsizetype length = 0; // how many there were
    QByteArray text;      // what stands there now
};

QByteArray applied(const QByteArray& bytes, const std::vector<Replacement>& replacements)
{
    QByteArray out;
    out.reserve(bytes.size() + 64 * static_cast<qsizetype>(replacements.size()));
    qsizetype from = 0;
    for (const Replacement& r : replacements) {
        out.append(bytes.constData() + from, r.at - from);
        out.append(r.text);
        from = r.at + r.length;
    }
    out.append(bytes.constData() + from, bytes.size() - from);
    return out;
}

// Where an offset of the old file lies in the new one.
qsizetype moved(qsizetype offset, const std::vector<Replacement>& replacements)
{
    qsizetype shift = 0;
    for (const Replacement& r : replacements)
        if (r.at < offset)
            shift += r.text.size() - r.length;
    return offset + shift;
}

} // namespace

QByteArray svgWithExactSize(const QByteArray& svg, QSize hundredthsOfMm)
{
    const qsizetype start = svg.indexOf("<svg");
    const qsizetype end = start < 0 ? -1 : svg.indexOf('>', start);
    if (end < 0 || hundredthsOfMm.width() <= 0 || hundredthsOfMm.height() <= 0)
        return svg;
    QString tag = QString::fromUtf8(svg.mid(start, end - start));
    static const QRegularExpression width(QStringLiteral("\\swidth=\"[^\"]*\""));
    static const QRegularExpression height(QStringLiteral("\\sheight=\"[^\"]*\""));
    if (!tag.contains(width) || !tag.contains(height))
        return svg;
    auto mm = [](int hundredths) { return QString::fromLatin1(decimal(hundredths / 100.0, 2)) + QStringLiteral("mm"); };
    tag.replace(width, QStringLiteral(" width=\"") + mm(hundredthsOfMm.width()) + QLatin1Char('"'));
    tag.replace(height, QStringLiteral(" height=\"") + mm(hundredthsOfMm.height()) + QLatin1Char('"'));
    if (!tag.contains(QLatin1String("preserveAspectRatio")))
        tag += QStringLiteral(" preserveAspectRatio=\"none\"");
    QByteArray out = svg;
    out.replace(start, end - start, tag.toUtf8());
    return out;
}

QByteArray pdfWithExactPageSize(const QByteArray& pdf, QSize hundredthsOfMm)
{
    if (hundredthsOfMm.width() <= 0 || hundredthsOfMm.height() <= 0)
        return pdf;
    const double width = hundredthsOfMm.width() / 2540.0 * 72.0;
    const double height = hundredthsOfMm.height() / 2540.0 * 72.0;

    // The page boxes, in the order they stand.
    static const QRegularExpression box(
        QStringLiteral("/MediaBox\\s*\\[\\s*(-?[\\d.]+)\\s+(-?[\\d.]+)\\s+(-?[\\d.]+)\\s+(-?[\\d.]+)\\s*\\]"));
    const QString text = QString::fromLatin1(pdf);
    std::vector<Replacement> replacements;
    for (auto it = box.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        Replacement r;
        r.at = m.capturedStart(0);
        r.length = m.capturedLength(0);
        r.text = "/MediaBox [0 0 " + decimal(width, 4) + ' ' + decimal(height, 4) + ']';
        replacements.push_back(r);
    }
    if (replacements.empty())
        return pdf;

    // The cross-reference table: "xref", "0 n", then n entries of 20 bytes
    // whose first ten digits are an object's offset; "startxref" and the
    // table's offset at the end.
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    if (startxref < 0)
        return pdf;
    static const QRegularExpression tail(QStringLiteral("^startxref\\s+(\\d+)"));
    const QRegularExpressionMatch tailMatch = tail.match(text.mid(startxref, 40));
    if (!tailMatch.hasMatch())
        return pdf;
    const qsizetype xref = tailMatch.captured(1).toLongLong();
    static const QRegularExpression head(QStringLiteral("^xref\\s+0\\s+(\\d+)\\s*?\\n"));
    const QRegularExpressionMatch headMatch = head.match(text.mid(xref, 40));
    if (xref <= 0 || xref >= startxref || !headMatch.hasMatch())
        return pdf;
    const qsizetype count = headMatch.captured(1).toLongLong();
    const qsizetype entries = xref + headMatch.capturedLength(0);
    if (entries + count * 20 > startxref
        || std::any_of(replacements.begin(), replacements.end(), [xref](const Replacement& r) { return r.at > xref; }))
        return pdf;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype at = entries + i * 20;
        bool ok = false;
        const qsizetype offset = pdf.mid(at, 10).toLongLong(&ok);
        if (!ok)
            return pdf;
        if (pdf.at(at + 17) != 'n')
            continue; // a free entry
        Replacement r;
        r.at = at;
        r.length = 10;
        r.text = QByteArray::number(moved(offset, replacements)).rightJustified(10, '0');
        replacements.push_back(r);
    }
    Replacement r;
    r.at = startxref + tailMatch.capturedStart(1);
    r.length = tailMatch.capturedLength(1);
    r.text = QByteArray::number(moved(xref, replacements));
    replacements.push_back(r);
    return applied(pdf, replacements);
}

} // namespace vt640
