#include "viewer/core/data_list_columns.h"

#include "app/core/user_messages.h"
#include "meter/meter_reading.h"
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
    case code::ApparentPower1:
    case code::ReactivePower1:
    case code::ActivePower1:
    case code::ApparentPower3:
    case code::ReactivePower3:
    case code::ActivePower3:
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
    const std::int32_t c = r.head.functionCode;
    const std::uint8_t s = r.sub.status;
    switch (column) {
    case 0: return QString::number(index + 1);
    case 1: return field(r.head.timeText);
    case 2:
        switch (c) {
        case code::DcVolts: return t.dc;
        case code::AcVolts:
        case code::AcAmps:
        case code::ApparentPower1:
        case code::ReactivePower1:
        case code::ActivePower1:
        case code::Energy1:
            return t.ac;
        case code::ApparentPower3:
        case code::ReactivePower3:
        case code::ActivePower3:
        case code::Energy3:
            return t.threePhase;
        default: return {};
        }
    case 3:
        if (s & status::PhaseMarks)
            return (s & status::FourWire) ? t.fourWire : t.threeWire;
        return {};
    case 4: return field(r.head.valueText);
    case 5: return field(r.head.prefixText);
    case 6: return (c == code::Ohms || c == code::Ohms2) ? t.ohm : field(r.head.unitText);
    case 7: return field(r.sub.subText);
    case 8: return fieldText(r.sub.subText).empty() ? QString() : field(r.sub.subFunction);
    case 9: {
        if (!hasPhaseColumn(c))
            return {};
        if (s & status::PhaseMarks) {
            QString text = t.amp;
            if (s & status::L3)
                text += t.l3;
            if (s & status::L2)
                text += t.l2;
            if (s & status::L1)
                text += t.l1;
            return text;
        }
        return (s & status::ALags) ? t.lags : t.leads;
    }
    case 10: return (s & status::Peak) ? t.peak : QString();
    case 11: return (s & status::Hold) ? t.hold : QString();
    case 12: return field(r.energyText);
    default: return {};
    }
}

} // namespace vt640::data_list
