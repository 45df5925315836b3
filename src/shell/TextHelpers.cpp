#include "shell/TextHelpers.h"

#include "platform/Fonts.h"
#include "platform/ShellStandIns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <cctype>

QString GetShellExecuteErrorText(int code)
{
    if (code > 32)
        return {};
    switch (code) {
    case 0: return "Reason:\nThe operating system is out of memory or resources.";
    case 2: return "Reason:\nThe specified file was not found.";
    case 3: return "Reason:\nThe specified path was not found.";
    case 5: return "Reason:\nThe operating system denied access to the specified file.";
    case 8: return "Reason:\nThere was not enough memory to complete the operation.";
    case 11: return "Reason:\nThe .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
    case 26: return "Reason:\nA sharing violation occurred.";
    case 27: return "Reason:\nThe filename association is incomplete or invalid.";
    case 28: return "Reason:\nThe DDE transaction could not be completed because the request timed out.";
    case 29: return "Reason:\nThe DDE transaction failed.";
    case 30: return "Reason:\nThe DDE transaction could not be completed\nbecause other DDE transactions were being processed.";
    case 31: return "Reason:\nThere is no application associated with the given filename extension.";
    case 32: return "Reason:\nThe specified dynamic-link library was not found.";
    default: return QString("Reason:\nUnknown error: %1").arg(code);
    }
}

QString ExtractURLFileName(const QString& address)
{
    const int slash = address.lastIndexOf('/');
    if (slash < 0 || address.size() - slash - 1 > 255)
        return {};
    return address.mid(slash + 1);
}

QString GetFileVersionText(const QString& path)
{
    if (QCoreApplication::instance() && QFileInfo(path).canonicalFilePath() ==
                                            QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath())
        return shell::BuildVersionText();
    return "N/A";
}

QString GetFileStampText(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return "N/A";
    const QDateTime modified = info.lastModified();
    const QLocale locale = QLocale::system();
    return QString("%1 %2").arg(info.fileName(),
                                locale.toString(modified.date(), QLocale::ShortFormat) + " " +
                                    locale.toString(modified.time(), QLocale::LongFormat));
}

QString ReplaceChar(const QString& source, QChar from, QChar to)
{
    QString result = source;
    result.replace(from, to);
    return result;
}

static QByteArray WithoutLineEnd(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

bool FindLineInFile(const QString& line, QIODevice* file, bool noRewind)
{
    if (!file || line.isEmpty() || !file->isOpen())
        return false;
    if (!noRewind && !file->seek(0))
        return false;
    const QByteArray wanted = WithoutLineEnd(line.toUtf8());
    while (!file->atEnd()) {
        const QByteArray read = file->readLine();
        if (read.isEmpty())
            break;
        if (WithoutLineEnd(read) == wanted)
            return true;
    }
    return false;
}

bool GetBracketedName(const QString& source, QString& name)
{
    name.clear();
    for (int i = 1; i < source.size() && source[i] != ']'; ++i)
        name += source[i];
    return !name.isEmpty();
}

bool IsBlank(const QString& text)
{
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

bool IsBlank(const char* text)
{
    if (!text)
        return true;
    for (; *text; ++text)
        if (!std::isspace(static_cast<unsigned char>(*text)))
            return false;
    return true;
}

bool FindFontFile(const QString& fontName, QString& path)
{
    if (fontName.isEmpty())
        return false;
    const QString found = FindInstalledFontFile(fontName);
    if (found.isEmpty() || !QFileInfo::exists(found))
        return false;
    path = found;
    return true;
}
