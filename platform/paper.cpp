// The default paper of the system, from the settings the paper library of Unix systems
// keeps (the variable and the file a Debian system writes when it is installed).
#include "platform/paper.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QString firstWordOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        return line.section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
    }
    return {};
}

} // namespace

QString SystemPaperName()
{
    QString name = qEnvironmentVariable("PAPERSIZE").trimmed();
    if (name.isEmpty() && qEnvironmentVariableIsSet("PAPERCONF"))
        name = firstWordOf(qEnvironmentVariable("PAPERCONF"));
    if (name.isEmpty())
        name = firstWordOf(QStringLiteral("/etc/papersize"));
    return name.toLower();
}
