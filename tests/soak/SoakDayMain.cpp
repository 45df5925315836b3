// The whole day at the station, for scripts/soak.sh: from midnight UTC of
// 1 November 2021 to the first pass of the next day, every fault once, and
// the day's table at the end. Exit status 0 when the day shows no problem.
#include "soak/SoakChecks.h"

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>

using namespace soak;

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
    if (qEnvironmentVariableIsSet("SOAK_KEEP")) {
        day.KeepFolders(qEnvironmentVariable("SOAK_KEEP"));
    }
    return run.isEmpty() && table.Problems.isEmpty() ? 0 : 1;
}
