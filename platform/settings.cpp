// Global settings and the system queries behind them.
#include "platform/settings.h"

#include "platform/own_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>
#include <QtGlobal>

QString AppDir;
QString TempDir;
QString MachineTag;
QString SelectedBrand;
int HintHidePause = 2500;

namespace {
QString programFolderOverride;
}

QString EnsureTrailingBackslash(const QString &path)
{
    const QChar sep = QDir::separator();
    if (path.endsWith(sep))
        return path;
    return path + sep;
}

QString ProgramFolder()
{
    if (!programFolderOverride.isEmpty())
        return programFolderOverride;
    return EnsureTrailingBackslash(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

void OverrideProgramFolder(const QString &folder)
{
    programFolderOverride = folder.isEmpty() ? QString() : EnsureTrailingBackslash(folder);
}

QString TemporaryFolderFromEnvironment()
{
    for (const char *name : {"TEMP", "TMPDIR"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return platform::UserTemporaryFolder();
}

QString MachineTagFrom(const QString &computerName)
{
    QString tag = computerName;
    for (QChar c : {QChar(' '), QChar('.'), QChar('@'), QChar('-'), QChar(','), QChar(';')})
        tag.replace(c, QChar('_'));
    return tag;
}

QString ComputerName() { return QSysInfo::machineHostName(); }

namespace {
bool g_programEndRequested = false;
}

void RequestProgramEnd()
{
    g_programEndRequested = true;
    QCoreApplication::exit(0);
}

bool ProgramEndRequested() { return g_programEndRequested; }
