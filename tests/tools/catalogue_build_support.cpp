// Running the builder and reading its files back for the tests.
#include "tests/tools/catalogue_build_support.h"

#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <set>

namespace buildtest {

namespace {

RunResult run(const QString &program, const QStringList &args, const QString &cacheDir = {})
{
    QProcess p;
    if (!cacheDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CATALOG_CACHE_DIR", cacheDir);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    RunResult r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(600000)) {
        r.err = "could not run " + program;
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

std::uint32_t u16(const QByteArray &d, qsizetype at) { return quint8(d[at]) | quint8(d[at + 1]) << 8; }
std::uint32_t u32(const QByteArray &d, qsizetype at) { return u16(d, at) | u16(d, at + 2) << 16; }

constexpr qsizetype kPage = 4096;

} // namespace

RunResult runBuild(const QStringList &args)
{
    return run(testsupport::binDir() + "/tools/catalogue-build/catalogue-build", args);
}

RunResult runTool(const QString &name, const QStringList &args)
{
    QTemporaryDir cache;
    return run(testsupport::binDir() + "/tools/" + name + "/" + name, args, cache.path());
}

void writeFiles(const QString &dir, const std::map<QString, QByteArray> &files)
{
    QDir().mkpath(dir);
    for (const auto &[name, content] : files) {
        QFile f(dir + "/" + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            ADD_FAILURE() << "cannot write " << f.fileName().toStdString();
    }
}

QString smallCatalogueSources() { return testsupport::testsDir() + "/tools/catalogue_build_small"; }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<QStringList> mdbExport(const QString &file, const QString &table, QString *err)
{
    const RunResult r =
        run("mdb-export", {"-d", "\x03", "-R", "\x04", "-Q", "-0", "<NULL>", "-T", "%Y-%m-%d %H:%M:%S", file, table});
    if (err)
        *err = r.err;
    std::vector<QStringList> rows;
    QStringList lines = r.out.split('\x04');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    for (const QString &line : lines)
        rows.push_back(line.split('\x03'));
    return rows;
}

QStringList mdbTables(const QString &file, bool system)
{
    QStringList args{"-1"};
    if (system)
        args << "-S";
    QStringList names = run("mdb-tables", args << file).out.split('\n', Qt::SkipEmptyParts);
    for (QString &n : names)
        n = n.trimmed();
    return names;
}

QString structureFault(const QString &path)
{
    const QByteArray d = readFile(path);
    if (d.isEmpty() || d.size() % kPage)
        return "file length is not a whole number of pages";
    const std::uint32_t pages = std::uint32_t(d.size() / kPage);
    auto base = [](std::uint32_t page) { return qsizetype(page) * kPage; };
    // Rows of a data page as (start, length); empty with `fault` set when malformed.
    QString fault;
    auto rowsOf = [&](std::uint32_t page) {
        std::vector<std::pair<qsizetype, qsizetype>> rows;
        const qsizetype b = base(page);
        const std::uint32_t count = u16(d, b + 12);
        if (count > 255)
            fault = QString("page %1 holds %2 rows").arg(page).arg(count);
        qsizetype end = kPage;
        for (std::uint32_t i = 0; i < count && fault.isEmpty(); ++i) {
            const qsizetype start = u16(d, b + 14 + 2 * i);
            if (start >= end || start < 14 + 2 * qsizetype(count))
                fault = QString("page %1 row %2 is out of order").arg(page).arg(i);
            rows.push_back({b + start, end - start});
            end = start;
        }
        if (fault.isEmpty() && u16(d, b + 2) != std::uint32_t(end - (14 + 2 * count)))
            fault = QString("page %1 has a wrong free-space field").arg(page);
        return rows;
    };
    auto mapPages = [&](std::uint32_t pointer) {
        std::set<std::uint32_t> out;
        const auto rows = rowsOf(pointer >> 8);
        if ((pointer & 0xFF) >= rows.size()) {
            fault = QString("usage map %1 points to no row").arg(pointer, 0, 16);
            return out;
        }
        const auto [at, len] = rows[pointer & 0xFF];
        if (d[at] == 0) {
            const std::uint32_t first = u32(d, at + 1);
            for (qsizetype k = 0; k < (len - 5) * 8; ++k)
                if (quint8(d[at + 5 + k / 8]) >> (k % 8) & 1)
                    out.insert(first + std::uint32_t(k));
        } else {
            for (qsizetype j = 0; j < (len - 1) / 4; ++j) {
                const std::uint32_t bitmap = u32(d, at + 1 + 4 * j);
                if (!bitmap)
                    continue;
                if (bitmap >= pages || d[base(bitmap)] != 0x05) {
                    fault = QString("reference map slot points to page %1, not a bitmap page").arg(bitmap);
                    return out;
                }
                for (std::uint32_t k = 0; k < 4092 * 8; ++k)
                    if (quint8(d[base(bitmap) + 4 + k / 8]) >> (k % 8) & 1)
                        out.insert(std::uint32_t(j) * 4092 * 8 + k);
            }
        }
        return out;
    };

    for (std::uint32_t p = 1; p < pages && fault.isEmpty(); ++p)
        if (d[base(p)] == 0x01)
            rowsOf(p);
    if (!fault.isEmpty())
        return fault;
    const std::set<std::uint32_t> freePages = mapPages(1u << 8); // page 1, row 0
    if (!fault.isEmpty())
        return fault;
    if (freePages.empty() || *freePages.begin() != pages)
        return "the global map does not mark exactly the pages past the end as free";

    std::set<std::uint32_t> claimed;
    for (std::uint32_t p = 2; p < pages; ++p) {
        const qsizetype b = base(p);
        if (d[b] != 0x02)
            continue;
        const std::uint32_t length = u32(d, b + 8);
        if (length < 65 || length > kPage || u16(d, b + length - 2) != 0xFFFF)
            return QString("definition on page %1 has a wrong length or no terminator").arg(p);
        if (u16(d, b + 2) != std::uint32_t(kPage - length - 8))
            return QString("definition on page %1 has a wrong free-space field").arg(p);
        const std::set<std::uint32_t> owned = mapPages(u32(d, b + 55));
        mapPages(u32(d, b + 59));
        if (!fault.isEmpty())
            return fault;
        std::size_t rows = 0;
        for (std::uint32_t o : owned) {
            if (o >= pages || d[base(o)] != 0x01 || u32(d, base(o) + 4) != p)
                return QString("page %1 in the map of table %2 is not a data page of that table").arg(o).arg(p);
            if (!claimed.insert(o).second)
                return QString("page %1 is in two tables' maps").arg(o);
            rows += rowsOf(o).size();
        }
        if (rows != u32(d, b + 16))
            return QString("table %1 declares %2 rows and holds %3").arg(p).arg(u32(d, b + 16)).arg(rows);
    }
    for (std::uint32_t p = 2; p < pages; ++p) {
        const std::uint32_t owner = u32(d, base(p) + 4);
        if (d[base(p)] == 0x01 && owner != 0 && owner != 0x4C41564C && !claimed.count(p))
            return QString("data page %1 belongs to no table's map").arg(p);
    }
    return fault;
}

} // namespace buildtest
