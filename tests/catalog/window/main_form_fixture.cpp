// The scratch program folder and the catalogue window fixture.
#include "tests/catalog/window/main_form_fixture.h"

#include "platform/settings.h"
#include "tests/common/test_support.h"
#include "widgets/image_view.h"

#include <QDir>
#include <QFile>
#include <QImage>

ProgramFolder::ProgramFolder()
{
    QDir root(m_dir.path());
    for (const char *sub : {"db", "img", "foto"})
        root.mkpath(QLatin1String(sub));
    for (const char *name : {"vc_korva.mdb", "system.mdw"}) {
        const QString to = root.filePath(QStringLiteral("db/") + QLatin1String(name));
        EXPECT_TRUE(QFile::copy(testsupport::fixture(QStringLiteral("catalogue-small/") + QLatin1String(name)), to))
            << "cannot copy " << name;
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    }
    writePicture(QStringLiteral("img/interna.jpg"), kSkinSize, QColor(200, 210, 230));
    writePicture(QStringLiteral("img/BALL.bmp"), QSize(15, 15), Qt::red);
    writePicture(QStringLiteral("foto/korva_start.jpg.jpg"), kKorvaStartSize, Qt::darkGreen);
    writePicture(QStringLiteral("foto/fenu_eco.jpg.JPG"), kFenuEcoSize, Qt::darkBlue);
    writePicture(QStringLiteral("foto/vuoto.JPG"), kPlaceholderSize, Qt::lightGray);
    writeBytes(QStringLiteral("foto/quib_classic.jpg.JPG"), QByteArray("\xff\xd8\xff\xe0 not a picture"));
}

QString ProgramFolder::path() const { return m_dir.path() + QLatin1Char('/'); }

void ProgramFolder::writePicture(const QString &relative, QSize size, QColor colour) const
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const char *format = relative.endsWith(QLatin1String(".bmp")) ? "BMP" : "JPG";
    ASSERT_TRUE(image.save(path() + relative, format)) << relative.toStdString();
}

void ProgramFolder::writeBytes(const QString &relative, const QByteArray &bytes) const
{
    QFile file(path() + relative);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void ProgramFolder::remove(const QString &relative) const { QFile::remove(path() + relative); }

void CatalogueWindowTest::SetUp()
{
    OverrideProgramFolder(folder.path());
    qputenv("TEMP", temp.path().toLocal8Bit());
    dm = std::make_unique<TDM>();
    desk = std::make_unique<Tfrm_desk>();
}

void CatalogueWindowTest::TearDown()
{
    form.reset();
    desk.reset();
    dm.reset();
    qunsetenv("TEMP");
    OverrideProgramFolder(QString());
}

void CatalogueWindowTest::openWindow(const QString &brand)
{
    form = std::make_unique<Tfrm_main>();
    SelectedBrand = brand;
    form->show();
}

int CatalogueWindowTest::rowOf(const DataGrid *grid, int col, const QString &text)
{
    for (int row = 1; row < grid->RowCount(); ++row) {
        if (grid->Cells(col, row) == text)
            return row;
    }
    return -1;
}

QStringList CatalogueWindowTest::column(const DataGrid *grid, int col)
{
    QStringList texts;
    for (int row = 1; row < grid->RowCount(); ++row)
        texts << grid->Cells(col, row);
    return texts;
}

void CatalogueWindowTest::screenshot(const QString &name)
{
    // Beside the build's other test output, never in the machine's shared /tmp, where
    // nothing would remove them.
    QString folder = QString::fromLocal8Bit(qgetenv("CATALOG_BINDIR"));
    folder = (folder.isEmpty() ? QDir::currentPath() : folder) + QStringLiteral("/test-pictures");
    QDir().mkpath(folder);
    ASSERT_TRUE(form->grab().save(folder + QStringLiteral("/catalogue-window-") + name + QStringLiteral(".png")));
}

QSize CatalogueWindowTest::photoSize() const { return form->ImageZoom->Bitmap().size(); }

int CatalogueWindowTest::errorCount() const
{
    int n = 0;
    for (const RecordedMessage &m : rec.shown)
        n += m.kind == QLatin1String("error");
    return n;
}
