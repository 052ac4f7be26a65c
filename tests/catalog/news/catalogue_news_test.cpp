// What's new in a real catalogue window: nothing on the first start or an unchanged one;
// after a catalogue swap the line is offered once, its window shows the diff of the two
// catalogues, and the previous catalogue kept for it is gone afterwards.
#include "catalog/news/catalogue_news.h"
#include "catalog/news/novita_form.h"
#include "tests/catalog/window/main_form_fixture.h"
#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

class CatalogueNewsTest : public CatalogueWindowTest {
protected:
    void SetUp() override
    {
        m_cacheBefore = qgetenv("CATALOG_CACHE_DIR");
        qputenv("CATALOG_CACHE_DIR", cache.path().toLocal8Bit());
        CatalogueWindowTest::SetUp();
    }
    void TearDown() override
    {
        CatalogueWindowTest::TearDown();
        if (m_cacheBefore.isEmpty())
            qunsetenv("CATALOG_CACHE_DIR");
        else
            qputenv("CATALOG_CACHE_DIR", m_cacheBefore);
    }
    QByteArray m_cacheBefore;

    // A new start of the program: a new data module, so the catalogue is opened afresh.
    void restart()
    {
        form.reset();
        desk.reset();
        dm.reset();
        dm = std::make_unique<TDM>();
        desk = std::make_unique<Tfrm_desk>();
        openWindow();
    }
    bool offered() const { return form->ButtonNovita->isVisible(); }
    QString catalogue() const { return folder.path() + "db/vc_korva.mdb"; }
    QString previousFolder() const { return catalog::CatalogueNews::FolderFor(catalogue()) + "/previous"; }
    void swapIn(const QString &mdb)
    {
        ASSERT_TRUE(QFile::remove(catalogue()));
        ASSERT_TRUE(QFile::copy(mdb, catalogue()));
    }

    QTemporaryDir cache;
};

TEST_F(CatalogueNewsTest, NoneOnFirstOrUnchangedStart)
{
    openWindow();
    EXPECT_FALSE(offered()) << "first start";
    restart();
    EXPECT_FALSE(offered()) << "unchanged start";
    // Touching the file without changing it is no change either.
    QFile f(catalogue());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    f.close();
    restart();
    EXPECT_FALSE(offered()) << "same content, new time";
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(CatalogueNewsTest, OfferedOnceAfterASwap)
{
    openWindow();
    const QString demo = testsupport::appDir() + "/db/vc_korva.mdb";
    swapIn(demo);
    restart();
    ASSERT_TRUE(offered());
    EXPECT_EQ(form->ButtonNovita->text(), QStringLiteral("Novità del catalogo"));
    EXPECT_EQ(form->ButtonNovita->accessibleName(), QStringLiteral("Novità del catalogo"));
    EXPECT_NE(form->ButtonNovita->focusPolicy() & Qt::TabFocus, 0);
    EXPECT_FALSE(form->frm_novita) << "nothing opens by itself";

    form->ButtonNovita->click();
    ASSERT_TRUE(form->frm_novita);
    EXPECT_TRUE(form->frm_novita->isVisible());
    EXPECT_FALSE(form->frm_novita->isModal());
    EXPECT_EQ(form->frm_novita->objectName(), "frm_novita");
    EXPECT_TRUE(form->frm_novita->MemoNovita->isReadOnly());
    // The report goes from the fixture catalogue opened first to the demo swapped in: its
    // head, the order of its sections and its first and last sections, as they read.
    const QString report = form->frm_novita->MemoNovita->toPlainText();
    const QStringList lines = report.split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "Catalogo precedente: il catalogo aperto la volta precedente");
    EXPECT_EQ(lines[1], "Catalogo nuovo: " + catalogue());
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "1984 veicoli aggiunti, 0 tolti, 16 modificati; 16000 abbinamenti aggiunti, 42 tolti; "
                        "758 batterie aggiunte, 4 tolte, 12 modificate; 19 vecchi codici aggiunti, 1 tolto, "
                        "2 modificati.");
    QStringList titles;
    for (const QString &line : lines) {
        if (!line.isEmpty() && !line.startsWith(' ') && line == line.toUpper())
            titles << line;
    }
    EXPECT_EQ(titles,
              QStringList({"VEICOLI AGGIUNTI", "VEICOLI MODIFICATI", "ABBINAMENTI AGGIUNTI", "ABBINAMENTI TOLTI",
                           "BATTERIE PER VEICOLO", "BATTERIE AGGIUNTE", "BATTERIE TOLTE", "BATTERIE MODIFICATE",
                           "VECCHI CODICI AGGIUNTI", "VECCHI CODICI TOLTI", "VECCHI CODICI MODIFICATI"}));
    EXPECT_EQ(lines.mid(4, 3), QStringList({"", "VEICOLI AGGIUNTI", "  1  Alvena Arno 1.0 12V"}));
    EXPECT_TRUE(report.contains("\nBATTERIE TOLTE\n"
                                "  FENU/FE012  Fenu Eco\n"
                                "  QUIB/QC45  Quib Classic\n"
                                "  QUIB/QC60  Quib Classic\n"
                                "  QUIB/QP72  Quib Plus\n"
                                "\nBATTERIE MODIFICATE\n"));
    EXPECT_TRUE(report.endsWith("\nVECCHI CODICI TOLTI\n"
                                "  ZELKAR/ZP-90  sostituito da ZP-100\n"
                                "\nVECCHI CODICI MODIFICATI\n"
                                "  KORVA/KP072  sostituito da KP074\n"
                                "      ORDINE: 70 -> 1640\n"
                                "  KORVA/KS041  in esaurimento\n"
                                "      ORDINE: 40 -> 1610\n"))
        << report.right(400).toStdString();
    EXPECT_FALSE(QDir(previousFolder()).exists()) << "the previous catalogue is no longer needed";

    restart();
    EXPECT_FALSE(offered()) << "offered once";
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(CatalogueNewsTest, NotTakenUpIsNotOfferedAgain)
{
    openWindow();
    swapIn(testsupport::appDir() + "/db/vc_korva.mdb");
    restart();
    ASSERT_TRUE(offered());
    EXPECT_TRUE(QDir(previousFolder()).exists());
    restart();
    EXPECT_FALSE(offered());
    EXPECT_FALSE(QDir(previousFolder()).exists());
}

} // namespace
