#include "platform/ShellStandIns.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace shell {

QString DesktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

bool WriteDesktopEntry(const QString& program, const QString& entryPath, const QString& name, QString& error)
{
    const QFileInfo target(program);
    const QString text = QString("[Desktop Entry]\nType=Application\nName=%1\nExec=\"%2\"\nPath=%3\nTerminal=false\n")
                             .arg(name, target.absoluteFilePath(), target.absolutePath());
    const auto executable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                            QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                            QFileDevice::ExeOther;
    return WriteFileAtomically(entryPath, text.toUtf8(), error, executable);
}

int StartProgram(const QString& program, const QStringList& arguments)
{
    const QString found = QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
    if (found.isEmpty() || !QFileInfo::exists(found))
        return 2;
    if (!QFileInfo(found).isExecutable())
        return 5;
    return QProcess::startDetached(found, arguments) ? 33 : 0;
}

QString FindDocumentOpener()
{
    return QStandardPaths::findExecutable("xdg-open");
}

QString MixerProgram()
{
    const QString configured = qEnvironmentVariable("ORVANTA_MIXER");
    return configured.isEmpty() ? QString("pavucontrol") : configured;
}

QString BuildVersionText()
{
    return ORVANTA_VERSION;
}

}  // namespace shell
