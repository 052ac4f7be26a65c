// Locations of fixtures and build outputs, taken from the environment ctest sets.
#include "tests/common/test_support.h"

#include <QDir>
#include <QTemporaryDir>

namespace testsupport {

static QString fromEnv(const char *name) { return QDir::cleanPath(QString::fromLocal8Bit(qgetenv(name))); }

QString fixturesDir() { return fromEnv("CATALOG_FIXTURES"); }
QString fixture(const QString &relative) { return fixturesDir() + "/" + relative; }
QString appDir() { return fromEnv("CATALOG_APPDIR"); }
QString binDir() { return fromEnv("CATALOG_BINDIR"); }
QString testsDir() { return fromEnv("CATALOG_TESTS_DIR"); }

QString copyCacheDir()
{
    if (qEnvironmentVariableIsSet("CATALOG_CACHE_DIR"))
        return fromEnv("CATALOG_CACHE_DIR");
    static QTemporaryDir scratch;
    return scratch.path();
}

} // namespace testsupport
