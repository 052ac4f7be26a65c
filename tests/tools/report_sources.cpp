// Editing and building the test catalogues' sources.
#include "tests/tools/report_sources.h"
#include "tests/tools/catalogue_build_support.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

namespace reporttest {

Sources smallSources()
{
    Sources sources;
    const QDir dir(buildtest::smallCatalogueSources());
    for (const QString &file : dir.entryList({"*.csv"}, QDir::Files))
        sources[file.chopped(4)] = QString::fromUtf8(buildtest::readFile(dir.filePath(file)));
    return sources;
}

void setLine(Sources &sources, const QString &table, const QString &start, const QString &line)
{
    QStringList lines = sources.at(table).split(u'\n');
    int found = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(start))
            continue;
        ++found;
        if (line.isEmpty())
            lines.removeAt(i--);
        else
            lines[i] = line;
    }
    ASSERT_EQ(found, 1) << table.toStdString() << ": " << start.toStdString();
    sources[table] = lines.join(u'\n');
}

void addLine(Sources &sources, const QString &table, const QString &line)
{
    QString &text = sources.at(table);
    if (!text.endsWith(u'\n'))
        text += u'\n';
    text += line + u'\n';
}

QString build(const Sources &sources, const QString &dir)
{
    std::map<QString, QByteArray> files;
    for (const auto &[table, text] : sources)
        files[table + ".csv"] = text.toUtf8();
    buildtest::writeFiles(dir + "/src", files);
    const buildtest::RunResult r = buildtest::runBuild({dir + "/src", dir});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return dir + "/vc_korva.mdb";
}

} // namespace reporttest
