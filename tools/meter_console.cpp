#include "meter_console.h"

#include "app/core/port_error_messages.h"
#include "app/core/user_messages.h"
#include "meter/annunciators.h"
#include "meter/meter_poller.h"
#include "meter/meter_reading.h"
#include "meter/port_table.h"
#include "resources/string_table.h"

#include <cstdio>
#include <ctime>
#include <iostream>
#include <sys/time.h>

void StderrPortReporter::portOpenError(const std::string& device, int error)
{
    // The window's E9001 box, line for line.
    std::cerr << numberedMessage(vt640::Str::ErrPortOpen) << '\n'
              << vt640::portOpenDetail(device, error).toLocal8Bit().toStdString() << '\n';
}

void StderrPortReporter::portTimeoutError() { std::cerr << numberedMessage(vt640::Str::ErrPortSettings) << '\n'; }

std::string clockText()
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm local{};
    localtime_r(&tv.tv_sec, &local);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(tv.tv_usec / 100000));
    return buffer;
}

std::string readingLine(const vt640::MeterReading& r, const vt640::ZonedInstant& at)
{
    std::string line = (vt640::isWritable(at) ? vt640::rfc3339(at) : clockText()) + "  " + r.readoutText;
    const std::string unit = r.prefixText + vt640::displayUnitText(r.functionCode, r.unitText);
    if (!unit.empty())
        line += " " + unit;
    if (!r.subText.empty()) {
        line += "  [" + r.subText;
        if (!r.subFunction.empty())
            line += " " + r.subFunction;
        line += "]";
    }
    const auto a = vt640::annunciatorsFor(r.functionCode, r.status);
    for (const std::string* mark : {&a.acDc, &a.wires, &a.hold, &a.peak, &a.aLag, &a.phases})
        if (!mark->empty())
            line += "  " + *mark;
    return line;
}

std::string numberedMessage(vt640::Str message)
{
    std::string text(vt640::stringText(message));
    // A message of more than one line goes on one.
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return vt640::captionOf(message).toStdString() + ": " + text;
}

std::string meterChoiceProblem(const MeterChoice& meter)
{
    if (meter.demo && !meter.port.empty())
        return "give PORT or --demo, not both";
    if (!meter.demo && meter.port.empty())
        return "PORT (or --demo) is needed";
    return {};
}

std::string meterDevice(const std::string& port)
{
    const int number = vt640::PortTable::portNumber(port);
    return number ? vt640::PortTable().devicePath(number) : port;
}

std::string noDataMessage()
{
    return numberedMessage(vt640::Str::WarnNoData) + " " + std::string(vt640::stringText(vt640::Str::CheckCable));
}

std::string portChangeText(const vt640::PollOutcome& outcome, const std::string& device)
{
    if (outcome.deviceGone)
        return "vt640-tool: " + device + " has gone; it is opened again when it comes back";
    if (outcome.reopened)
        return "vt640-tool: " + device + " is back";
    return {};
}
