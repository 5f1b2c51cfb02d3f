#pragma once

// Reading back what a test wrote: whole files, numbers at byte offsets and
// the pages of a PDF.
#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <cstring>

namespace vt640::test {

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The little-endian number of type T at `offset`; 0 past the end.
template <typename T>
T readAt(const QByteArray& bytes, qsizetype offset)
{
    T v{};
    if (offset >= 0 && offset + static_cast<qsizetype>(sizeof v) <= bytes.size())
        std::memcpy(&v, bytes.constData() + offset, sizeof v);
    return v;
}

// Pages of a PDF as its page objects count them.
inline int pdfPages(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    int n = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++n;
    return n;
}

} // namespace vt640::test
