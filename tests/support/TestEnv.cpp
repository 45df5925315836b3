#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>

namespace testenv {

QString ProgramDir()
{
    return QDir(qEnvironmentVariable("ORVANTA_HOME")).absolutePath() + "/";
}

QString SharedDataPath(const QString& relative)
{
    // The shared data lies beside the checkout; CI clones elsewhere, so the
    // environment may name it, and the workplace's fixed place is tried last.
    const QStringList roots = {qEnvironmentVariable("ORVANTA_SHARED_DATA"), "/work/shared/data"};
    for (const QString& root : roots) {
        if (root.isEmpty())
            continue;
        const QString path = QDir(root).filePath(relative);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

bool MissingIsFailure() { return qEnvironmentVariable("CI").compare("true", Qt::CaseInsensitive) == 0; }

QString FixturePath(const QString& relative)
{
    return QDir(qEnvironmentVariable("ORVANTA_TEST_DATA")).filePath(relative);
}

}  // namespace testenv
