// The window on the catalogue of the run that the window figures share, on a scratch
// program folder.
#include "bench/catalogue_window.h"

#include "bench/bench_support.h"

#include "data/query_channel.h"
#include "platform/settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace bench {

CatalogueWindow::CatalogueWindow()
{
    const QString app = bench::builtProgramFolder();
    const QString mdb = bench::catalogue();
    QDir root(m_folder.path());
    root.mkdir(QStringLiteral("db"));
    m_ok = QFile::link(app + QStringLiteral("/img"), root.filePath(QStringLiteral("img")))
           && root.mkdir(QStringLiteral("foto")) && QFile::link(mdb, root.filePath(QStringLiteral("db/vc_korva.mdb")))
           && QFile::link(QFileInfo(mdb).absolutePath() + QStringLiteral("/system.mdw"),
                          root.filePath(QStringLiteral("db/system.mdw")));
    if (!m_ok)
        return;
    // The build's maker tables: the technology guard reads them as a maker's.
    for (const char *table : {"tecnologie.csv", "registrazione.csv"}) {
        const QString built = app + QStringLiteral("/db/") + QLatin1String(table);
        if (QFileInfo(built).isFile())
            QFile::link(built, root.filePath(QStringLiteral("db/") + QLatin1String(table)));
    }
    for (const QFileInfo &photo : QDir(app + QStringLiteral("/foto")).entryInfoList(QDir::Files))
        QFile::link(photo.absoluteFilePath(), root.filePath(QStringLiteral("foto/") + photo.fileName()));
    qputenv("TEMP", QFile::encodeName(m_temp.path()));
    bench::freshCacheDir();
    OverrideProgramFolder(m_folder.path() + QLatin1Char('/'));
    dm = std::make_unique<TDM>();
    desk = std::make_unique<Tfrm_desk>();
    form = std::make_unique<Tfrm_main>();
    SelectedBrand = QStringLiteral("KORVA");
    form->show();
    QApplication::processEvents();
    m_ok = rec.shown.empty() && form->gridMarca->RowCount() > 2;
    if (m_ok)
        linkCataloguePhotos(app + QStringLiteral("/foto"), root.filePath(QStringLiteral("foto")));
}

CatalogueWindow::~CatalogueWindow()
{
    form.reset();
    desk.reset();
    dm.reset();
    OverrideProgramFolder(QString());
}

QString CatalogueWindow::problem() const
{
    return m_ok ? QString() : QStringLiteral("the window on the catalogue did not come up: ") + rec.texts().join(u' ');
}

void CatalogueWindow::clickMake(int row)
{
    form->gridMarca->setCurrentRow(row); // the click selects the row, then the handler runs
    form->gridMarcaClickCell(form->gridMarca, row, 2);
    QApplication::processEvents();
}

void CatalogueWindow::linkCataloguePhotos(const QString &built, const QString &folder)
{
    if (ApriQRY(QStringLiteral("SELECT DISTINCT FOTO FROM TabTechInfo WHERE not FOTO is null")) <= 0)
        return;
    const QStringList photos = QDir(built).entryList(QDir::Files);
    for (int n = 0; !DM->ADOQuery1.Eof(); DM->ADOQuery1.Next(), ++n) {
        const QString name = DM->ADOQuery1.FieldAsString(QStringLiteral("FOTO"));
        const QString range = name.section(u'_', 0, 1) + QStringLiteral(".JPG");
        const QString target = photos.contains(range) ? range : photos.value(n % photos.size());
        QFile::link(built + u'/' + target, folder + u'/' + name + QStringLiteral(".JPG"));
    }
    DM->ADOQuery1.Close();
}

// One window for every figure: building it opens the catalogue once. It goes
// before the application object does, as widgets must.
CatalogueWindow &window()
{
    static CatalogueWindow *w = [] {
        auto *made = new CatalogueWindow;
        qAddPostRoutine([] { delete w; });
        return made;
    }();
    return *w;
}

bool ready(benchmark::State &state)
{
    if (window().ok())
        return true;
    state.SkipWithError(window().problem().toStdString().c_str());
    return false;
}

} // namespace bench
