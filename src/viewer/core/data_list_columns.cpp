#include "viewer/core/data_list_columns.h"

#include "app/core/user_messages.h"
#include "recorder/core/record_text.h"

#include <array>

namespace vt640::data_list {
namespace {

// The string-table texts, loaded once.
struct Texts {
    std::array<QString, kColumns> headers;
    QString dc, ac, threePhase, threeWire, fourWire, ohm, amp, l1, l2, l3, lags, leads, peak, hold;

    Texts()
    {
        constexpr std::array<Str, kColumns> kHeaders = {
            Str::ColumnItem,     Str::ColumnTime,    Str::ColumnCurrentKind, Str::ColumnWiring,
            Str::ColumnMainData, Str::ColumnMultiple, Str::ColumnUnit,       Str::ColumnSubData,
            Str::ColumnSubFunc,  Str::ColumnAmp,      Str::ColumnPeak,       Str::ColumnHold,
            Str::ColumnEnergy};
        for (std::size_t c = 0; c < kHeaders.size(); ++c)
            headers[c] = loadString(kHeaders[c]);
        dc = loadString(Str::CellDc);
        ac = loadString(Str::CellAc);
        threePhase = loadString(Str::CellThreePhase);
        threeWire = loadString(Str::CellThreeWire);
        fourWire = loadString(Str::CellFourWire);
        ohm = loadString(Str::CellOhm);
        amp = loadString(Str::CellPhasePrefix);
        l1 = loadString(Str::CellL1);
        l2 = loadString(Str::CellL2);
        l3 = loadString(Str::CellL3);
        lags = loadString(Str::CellALags);
        leads = loadString(Str::CellALeads);
        peak = loadString(Str::ColumnPeak);
        hold = loadString(Str::CellHold);
    }
};

const Texts& texts()
{
    static const Texts t;
    return t;
}

template <std::size_t N>
QString field(const char (&f)[N])
{
    const std::string_view s = fieldText(f);
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

bool hasPhaseColumn(std::int32_t c)
{
    switch (c) {
    case 0x205:
    case 0x20205:
    case 0x40001:
    case 0x80204:
    case 0xA0204:
    case 0xC0000:
        return true;
    default:
        return false;
    }
}

} // namespace

QString headerText(int column)
{
    if (column < 0 || column >= kColumns)
        return {};
    return texts().headers[static_cast<std::size_t>(column)];
}

QString cellText(const TBRecord& r, int index, int column)
{
    const Texts& t = texts();
    const std::int32_t c = r.functionCode;
    const std::uint8_t s = r.status;
    switch (column) {
    case 0: return QString::number(index + 1);
    case 1: return field(r.timeText);
    case 2:
        switch (c) {
        case 4: return t.dc;
        case 5:
        case 0x201:
        case 0x205:
        case 0x20205:
        case 0x40001:
        case 0x140001:
            return t.ac;
        case 0x80204:
        case 0xA0204:
        case 0xC0000:
        case 0x1C0000:
            return t.threePhase;
        default: return {};
        }
    case 3:
        if (s & 0x01)
            return (s & 0x80) ? t.fourWire : t.threeWire;
        return {};
    case 4: return field(r.valueText);
    case 5: return field(r.prefixText);
    case 6: return (c == 0x80 || c == 0x180) ? t.ohm : field(r.unitText);
    case 7: return field(r.subText);
    case 8: return fieldText(r.subText).empty() ? QString() : field(r.subFunction);
    case 9: {
        if (!hasPhaseColumn(c))
            return {};
        if (s & 0x01) {
            QString text = t.amp;
            if (s & 0x08)
                text += t.l3;
            if (s & 0x04)
                text += t.l2;
            if (s & 0x02)
                text += t.l1;
            return text;
        }
        return (s & 0x10) ? t.lags : t.leads;
    }
    case 10: return (s & 0x40) ? t.peak : QString();
    case 11: return (s & 0x20) ? t.hold : QString();
    case 12: return field(r.energyText);
    default: return {};
    }
}

} // namespace vt640::data_list
