// The demo-catalogue window fixture.
#include "tests/catalog/window/demo_window_fixture.h"

#include "platform/settings.h"
#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QPalette>
#include <QProcess>

QTemporaryDir *DemoWindowTest::s_temp = nullptr;

void DemoWindowTest::SetUpTestSuite() { s_temp = new QTemporaryDir; }

void DemoWindowTest::TearDownTestSuite()
{
    delete s_temp;
    s_temp = nullptr;
}

void DemoWindowTest::SetUp()
{
    qputenv("TEMP", s_temp->path().toLocal8Bit());
    dm = std::make_unique<TDM>();
    desk = std::make_unique<Tfrm_desk>();
}

void DemoWindowTest::TearDown()
{
    form.reset();
    desk.reset();
    dm.reset();
    qunsetenv("TEMP");
    OverrideProgramFolder(QString());
}

void DemoWindowTest::openWindow(const QString &brand, const QString &programFolder)
{
    OverrideProgramFolder(programFolder.isEmpty() ? testsupport::appDir() + QLatin1Char('/') : programFolder);
    form = std::make_unique<Tfrm_main>();
    SelectedBrand = brand;
    form->show();
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(QLatin1Char('\n')).toStdString();
}

QStringList DemoWindowTest::column(const DataGrid *grid, int col)
{
    QStringList texts;
    for (int row = 1; row < grid->RowCount(); ++row)
        texts << grid->Cells(col, row);
    return texts;
}

int DemoWindowTest::rowOf(const DataGrid *grid, int col, const QString &text)
{
    for (int row = 1; row < grid->RowCount(); ++row) {
        if (grid->Cells(col, row) == text)
            return row;
    }
    return -1;
}

QColor DemoWindowTest::fieldColour(const QLineEdit *field) { return field->palette().color(QPalette::Base); }

std::array<QLineEdit *, 10> DemoWindowTest::fields() const
{
    return {form->EditGamma,     form->EditCodice,    form->EditCapacita, form->EditScarica,  form->EditPolarita,
            form->EditLunghezza, form->EditLarghezza, form->EditAltezza,  form->EditAttacchi, form->EditMonoblocco};
}

QStringList DemoWindowTest::fieldTexts() const
{
    QStringList texts;
    for (const QLineEdit *field : fields())
        texts << field->text();
    return texts;
}

QStringList DemoWindowTest::batteryCells() const
{
    QStringList cells;
    for (int row = 0; row < form->GridOutput->RowCount(); ++row) {
        for (int col = 0; col < form->GridOutput->ColCount(); ++col)
            cells << form->GridOutput->Cells(col, row);
    }
    return cells;
}

void DemoWindowTest::clearFields()
{
    for (QLineEdit *field : fields())
        field->clear();
}

QStringList DemoWindowTest::shownTexts(const char *kind) const
{
    QStringList texts;
    for (const RecordedMessage &m : rec.shown) {
        if (m.kind == QLatin1String(kind))
            texts << m.text;
    }
    return texts;
}

DemoProgramFolder::DemoProgramFolder(const QStringList &extraBatteryRows, const QStringList &leftOut)
{
    const QDir built(testsupport::appDir());
    const QDir root(m_dir.path());
    root.mkpath(QStringLiteral("img"));
    for (const QString &name : QDir(built.filePath(QStringLiteral("img"))).entryList(QDir::Files)) {
        if (!leftOut.contains(name))
            QFile::link(built.filePath(QStringLiteral("img/") + name), root.filePath(QStringLiteral("img/") + name));
    }
    QFile::link(built.filePath(QStringLiteral("foto")), root.filePath(QStringLiteral("foto")));
    if (extraBatteryRows.isEmpty()) {
        m_ok = QFile::link(built.filePath(QStringLiteral("db")), root.filePath(QStringLiteral("db")));
        EXPECT_TRUE(m_ok) << "cannot link db/";
        return;
    }
    const QDir sources(testsupport::binDir() + QStringLiteral("/demo-sources"));
    root.mkpath(QStringLiteral("sources"));
    for (const QString &name : sources.entryList({QStringLiteral("*.csv")}, QDir::Files))
        QFile::copy(sources.filePath(name), root.filePath(QStringLiteral("sources/") + name));
    QFile table(root.filePath(QStringLiteral("sources/TabTechInfo.csv")));
    if (!table.open(QIODevice::ReadWrite)) {
        ADD_FAILURE() << "no demo sources in " << sources.path().toStdString();
        return;
    }
    QByteArray bytes = table.readAll();
    const QByteArray lineEnd = bytes.contains("\r\n") ? "\r\n" : "\n";
    if (!bytes.endsWith('\n'))
        bytes += lineEnd;
    for (const QString &row : extraBatteryRows)
        bytes += row.toUtf8() + lineEnd;
    table.resize(0);
    table.write(bytes);
    table.close();
    QProcess build;
    build.start(testsupport::binDir() + QStringLiteral("/tools/catalogue-build/catalogue-build"),
                {QStringLiteral("--date"), QStringLiteral("2024-01-15"), root.filePath(QStringLiteral("sources")),
                 root.filePath(QStringLiteral("db"))});
    m_ok = build.waitForFinished(120000) && build.exitStatus() == QProcess::NormalExit && build.exitCode() == 0;
    EXPECT_TRUE(m_ok) << "catalogue-build: " << build.readAllStandardError().toStdString();
}
