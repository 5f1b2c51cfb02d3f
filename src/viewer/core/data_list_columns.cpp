#include "viewer/core/data_list_columns.h"

#include "app/core/user_messages.h"
#include "meter/meter_reading.h"
#include "recorder/core/record_text.h"

#include <array>
#include <charconv>
#include <utility>
#include <vector>

namespace vt640::data_list {
namespace {

// Table texts join the record's own 8-bit bytes, so they are kept in the
// same encoding: Latin-1 both ways.
std::string bytes(Str id)
{
    const QByteArray latin1 = loadString(id).toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

QString fromBytes(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Columns made only of table texts, which repeat a handful of values.
bool fromTableOnly(int column) { return column == 2 || column == 3 || column == 9 || column == 10 || column == 11; }

// The string-table texts, loaded once.
struct Texts {
    std::array<std::string, kColumns> headers;
    std::string dc, ac, threePhase, threeWire, fourWire, ohm, amp, l1, l2, l3, lags, leads, peak, hold;

    Texts()
    {
        constexpr std::array<Str, kColumns> kHeaders = {
            Str::ColumnItem,     Str::ColumnTime, Str::ColumnCurrentKind, Str::ColumnWiring,  Str::ColumnMainData,
            Str::ColumnMultiple, Str::ColumnUnit, Str::ColumnSubData,     Str::ColumnSubFunc, Str::ColumnAmp,
            Str::ColumnPeak,     Str::ColumnHold, Str::ColumnEnergy};
        for (std::size_t c = 0; c < kHeaders.size(); ++c)
            headers[c] = bytes(kHeaders[c]);
        dc = bytes(Str::CellDc);
        ac = bytes(Str::CellAc);
        threePhase = bytes(Str::CellThreePhase);
        threeWire = bytes(Str::CellThreeWire);
        fourWire = bytes(Str::CellFourWire);
        ohm = bytes(Str::CellOhm);
        amp = bytes(Str::CellPhasePrefix);
        l1 = bytes(Str::CellL1);
        l2 = bytes(Str::CellL2);
        l3 = bytes(Str::CellL3);
        lags = bytes(Str::CellALags);
        leads = bytes(Str::CellALeads);
        peak = bytes(Str::ColumnPeak);
        hold = bytes(Str::CellHold);
    }
};

const Texts& texts()
{
    static const Texts t;
    return t;
}

template <std::size_t N>
void field(std::string& out, const char (&f)[N])
{
    out += fieldText(f);
}

} // namespace

std::string headerBytes(int column)
{
    if (column < 0 || column >= kColumns)
        return {};
    return texts().headers[static_cast<std::size_t>(column)];
}

QString headerText(int column) { return fromBytes(headerBytes(column)); }

void appendCell(std::string& out, const TBRecord& r, int index, int column)
{
    const Texts& t = texts();
    const std::int32_t c = r.head.functionCode;
    const std::uint8_t s = r.sub.status;
    switch (column) {
    case 0: {
        char number[16];
        const auto end = std::to_chars(number, number + sizeof number, static_cast<long long>(index) + 1).ptr;
        out.append(number, end);
        return;
    }
    case 1: return field(out, r.head.timeText);
    case 2:
        switch (c) {
        case code::DcVolts: out += t.dc; return;
        case code::AcVolts:
        case code::AcAmps:
        case code::ApparentPower1:
        case code::ReactivePower1:
        case code::ActivePower1:
        case code::Energy1: out += t.ac; return;
        case code::ApparentPower3:
        case code::ReactivePower3:
        case code::ActivePower3:
        case code::Energy3: out += t.threePhase; return;
        default: return;
        }
    case 3:
        if (s & status::PhaseMarks)
            out += (s & status::FourWire) ? t.fourWire : t.threeWire;
        return;
    case 4: return field(out, r.head.valueText);
    case 5: return field(out, r.head.prefixText);
    case 6:
        if (c == code::Ohms || c == code::Ohms2)
            out += t.ohm;
        else
            field(out, r.head.unitText);
        return;
    case 7: return field(out, r.sub.subText);
    case 8:
        if (!fieldText(r.sub.subText).empty())
            field(out, r.sub.subFunction);
        return;
    case 9:
        if (!code::isPower(c))
            return;
        if (s & status::PhaseMarks) {
            out += t.amp;
            if (s & status::L3)
                out += t.l3;
            if (s & status::L2)
                out += t.l2;
            if (s & status::L1)
                out += t.l1;
            return;
        }
        out += (s & status::ALags) ? t.lags : t.leads;
        return;
    case 10:
        if (s & status::Peak)
            out += t.peak;
        return;
    case 11:
        if (s & status::Hold)
            out += t.hold;
        return;
    case 12: return field(out, r.energyText);
    default: return;
    }
}

QString cellText(const TBRecord& record, int index, int column)
{
    thread_local std::string text;
    text.clear();
    appendCell(text, record, index, column);
    if (!fromTableOnly(column))
        return fromBytes(text);
    // The list asks for every visible cell on each repaint; these columns
    // hand out shared copies rather than a new string per cell. There are
    // only as many as the table's combinations, so the list stays short.
    thread_local std::vector<std::pair<std::string, QString>> shared;
    for (const auto& [key, value] : shared)
        if (key == text)
            return value;
    shared.emplace_back(text, fromBytes(text));
    return shared.back().second;
}

} // namespace vt640::data_list
