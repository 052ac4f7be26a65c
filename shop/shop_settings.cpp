// The [shop] group read into ShopSettings: the embedded default when no database is named,
// the machine's name when no branch is.
#include "shop/shop_settings.h"

#include "platform/settings.h"
#include "platform/user_settings.h"

#include <QDir>
#include <QStandardPaths>

namespace shop {

namespace {

const QString kGroup = QStringLiteral("shop");

// XDG_DATA_HOME/dazozizizavuv/shop.sqlite, ~/.local/share/... when it is unset; asked of
// Qt with the organisation's name rather than the running program's, so the tools and the
// program find the same file.
QString defaultDatabase()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/dazozizizavuv/shop.sqlite"));
}

} // namespace

ShopSettings ShopSettings::read(const UserSettings &settings)
{
    ShopSettings s;
    s.database = settings.text(kGroup, QStringLiteral("database"));
    s.configured = !s.database.isEmpty();
    if (!s.configured)
        s.database = defaultDatabase();
    else if (s.database.startsWith(QStringLiteral("~/")))
        s.database = QDir::homePath() + s.database.mid(1);
    s.branch = settings.text(kGroup, QStringLiteral("branch"));
    if (s.branch.isEmpty())
        s.branch = ComputerName();
    if (s.branch.isEmpty())
        s.branch = QStringLiteral("negozio");
    s.stockFile = settings.text(kGroup, QStringLiteral("stock_file"));
    if (s.stockFile.startsWith(QStringLiteral("~/")))
        s.stockFile = QDir::homePath() + s.stockFile.mid(1);
    return s;
}

} // namespace shop
