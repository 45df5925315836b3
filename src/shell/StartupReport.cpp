#include "shell/StartupReport.h"

#include "platform/CNumbers.h"
#include "shell/LogTime.h"

namespace {

QString OrNA(const QString& name)
{
    return name.isEmpty() ? QString("N/A") : name;
}

}  // namespace

QStringList StartupTimeReport(const QDateTime& localNow, const QDateTime& utcNow,
                              const std::optional<systime::ZoneInfo>& zone)
{
    QStringList lines{FormatLogTime(localNow), "Application startup", "", "Checking system time information...", "",
                      "Local time to UTC: " + FormatLogTime(utcNow), ""};
    if (!zone) {
        lines << "Fatal Error: Failed to get timezone information";
    } else {
        // + 0.0 turns the -0 of a zero bias into +0: UTC is "+0 h".
        lines << "Timezone information used to predict satellites:"
              << QString::fromStdString(cnum::Format("Bias : %+g h", zone->Bias * -1.0 / 60.0 + 0.0))
              << "Standard name: " + OrNA(zone->StandardName)
              << QString::fromStdString(cnum::Format("Standard bias: %+ld min", static_cast<long>(zone->StandardBias)))
              << "Daylight name: " + OrNA(zone->DaylightName)
              << QString::fromStdString(cnum::Format("Daylight bias: %+ld min", static_cast<long>(-zone->DaylightBias)))
              << "Ok!";
    }
    lines << "" << "...done!" << "";
    return lines;
}
