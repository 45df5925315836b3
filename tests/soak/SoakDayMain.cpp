// The whole day at the station, for scripts/soak.sh: from midnight UTC of
// 1 November 2021 to the first pass of the next day, every fault once, and
// the day's table at the end. Exit status 0 when the day shows no problem.
//
// SOAK_PASSES=n runs only the first n passes; SOAK_FAULTS replaces the
// day's faults, as "pass:fault" words (passes from 1; faults server, port,
// noise, kill, disk), for instance "1:kill 2:disk".
#include "soak/SoakChecks.h"

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <map>

using namespace soak;

namespace {

std::map<int, TFault> ParseFaults(const QString& text)
{
    const std::map<QString, TFault> names{{"server", TFault::FtpDown}, {"port", TFault::PortGone},
                                          {"noise", TFault::Noise},     {"kill", TFault::Kill},
                                          {"disk", TFault::DiskFull}};
    std::map<int, TFault> faults;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        const auto name = names.find(word.section(':', 1));
        const int pass = word.section(':', 0, 0).toInt();
        if (pass > 0 && name != names.end())
            faults[pass - 1] = name->second;
        else
            std::fprintf(stderr, "soak: \"%s\" is no fault of a pass\n", qPrintable(word));
    }
    return faults;
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TSoakOptions options;
    options.StartUtc = QDateTime(QDate(2021, 11, 1), QTime(0, 0), Qt::UTC);
    options.CrossMidnight = true;
    options.Faults = {{1, TFault::FtpDown}, {4, TFault::PortGone}, {5, TFault::Noise}, {6, TFault::Kill},
                      {8, TFault::DiskFull}};
    if (qEnvironmentVariableIsSet("SOAK_FAULTS"))
        options.Faults = ParseFaults(qEnvironmentVariable("SOAK_FAULTS"));
    if (const int passes = qEnvironmentVariableIntValue("SOAK_PASSES"); passes > 0) {
        options.CrossMidnight = false;
        options.Passes = passes;
    }
    TSoakDay day(options);
    if (const QString error = day.Prepare(); !error.isEmpty()) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(error));
        return 2;
    }
    const QString run = day.Run();
    const TDayTable table = JudgeDay(day);
    PrintTable(day, table, stdout);
    if (!run.isEmpty())
        std::fprintf(stdout, "RUN %s\n", qPrintable(run));
    if (qEnvironmentVariableIsSet("SOAK_KEEP") && !day.KeepFolders(qEnvironmentVariable("SOAK_KEEP")))
        std::fprintf(stderr, "soak: the daily log could not be kept\n");
    return run.isEmpty() && table.Problems.isEmpty() ? 0 : 1;
}
