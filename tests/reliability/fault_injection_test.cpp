// Faults injected into a scratch program folder while real windows run offscreen: each
// installed picture missing or damaged in turn, the placeholder missing, the catalogue
// missing, locked by another password, without its workgroup file or replaced while the
// program runs, TEMP unwritable, the exchange folder a link and its lock refused. Each
// fault must give a message that names what is wrong, and the program must go on: the
// next visit works once the fault is mended.
#include "tests/reliability/scratch_program.h"

#include "catalog/window/zoom_form.h"
#include "platform/os_faults.h"
#include "platform/settings.h"
#include "shell/form_select.h"
#include "tests/common/test_support.h"
#include "widgets/image_view.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <unistd.h>

namespace {

// The pictures of img/ the program reads on a visit with the applications mode toggled
// on and off, and what it reads them for. The others are kept for people who change the
// skins; their absence must go unnoticed.
const QSet<QString> &picturesRead()
{
    static const QSet<QString> names = {QStringLiteral("intro.jpg"), QStringLiteral("interna.jpg"),
                                        QStringLiteral("bottoneMini.bmp"), QStringLiteral("bottoneRossoMini.bmp")};
    return names;
}

} // namespace

class FaultInjection : public ScratchProgramTest {
protected:
    // One visit as a person makes it: the brand screen (which creates the catalogue
    // window), the window shown, applications mode on and off, the drill-down.
    void visit()
    {
        form.reset();
        brand.reset();
        brand = std::make_unique<TFormSelect>();
        brand->show();
        (void)brand->grab();
        openWindow();
        guarded([&] { form->VrBitmapButtonApplicazioniClick(form->VrBitmapButtonApplicazioni); });
        guarded([&] { form->VrBitmapButtonApplicazioniClick(form->VrBitmapButtonApplicazioni); });
        (void)form->grab();
    }
    void TearDown() override
    {
        platform::os::FaultInjection::clear();
        form.reset();
        brand.reset();
        ScratchProgramTest::TearDown();
    }

    // The brand screen owns the export form the loads go through: it lives as long as
    // the windows of its visit.
    std::unique_ptr<TFormSelect> brand;
};

TEST_F(FaultInjection, EveryPictureOfImgMissingOrDamagedInTurn)
{
    const QStringList pictures = installedFiles(QStringLiteral("img"));
    ASSERT_TRUE(pictures.contains(QStringLiteral("interna.jpg")));
    for (const QString &name : pictures) {
        const QString relative = QStringLiteral("img/") + name;
        for (const bool missing : {true, false}) {
            SCOPED_TRACE((relative + (missing ? " missing" : " damaged")).toStdString());
            if (missing)
                QFile::remove(path(relative));
            else
                truncateToHalf(relative);
            rec.clear();
            visit();
            // A missing file is named; a damaged one gets the decoder's own words, which
            // the picture loader promises.
            const QString promised = missing ? name
                                     : name.endsWith(QLatin1String(".bmp"))
                                         ? QStringLiteral("Bitmap image is not valid")
                                         : QStringLiteral("JPEG error #");
            if (picturesRead().contains(name)) {
                EXPECT_GE(count(QStringLiteral("error"), promised), 1) << allTexts().toStdString();
            }
            // Nothing else is reported: a bad picture is no reason for another failure.
            for (const RecordedMessage &m : rec.shown) {
                EXPECT_TRUE(m.kind == QLatin1String("error") && m.text.contains(promised)) << m.text.toStdString();
            }
            // The window whose creation failed stays as it is; the next visit is whole.
            restore(relative);
            rec.clear();
            openWindow();
            expectDrillDownWorks();
        }
    }
}

TEST_F(FaultInjection, EveryBatteryPhotoMissingOrDamagedInTurn)
{
    openWindow();
    // An empty range and code lists every battery of the price list.
    form->EditGamma->clear();
    form->EditCodice->clear();
    ASSERT_TRUE(guarded([&] { form->VrBitmapButton1Click(form->VrBitmapButton1); })) << allTexts().toStdString();
    QStringList photos;
    QList<int> rows;
    for (int row = 1; row < form->GridOutput->RowCount(); ++row) {
        const QString photo = form->GridOutput->Cells(12, row);
        const QString relative = QStringLiteral("foto/") + photo + QStringLiteral(".JPG");
        if (!photo.isEmpty() && !photos.contains(photo) && QFileInfo::exists(path(relative))) {
            photos << photo;
            rows << row;
        }
    }
    ASSERT_GE(photos.size(), 3) << "the demo catalogue should show several photos";
    const QString placeholder = path(QStringLiteral("foto/vuoto.JPG"));
    for (int i = 0; i < photos.size(); ++i) {
        const QString relative = QStringLiteral("foto/") + photos[i] + QStringLiteral(".JPG");
        SCOPED_TRACE(relative.toStdString());
        rec.clear();
        QFile::remove(path(relative));
        EXPECT_TRUE(guarded([&] { form->GridOutputClickCell(form->GridOutput, rows[i], 3); }));
        EXPECT_EQ(QDir::cleanPath(form->ShownPhotoPath()), QDir::cleanPath(placeholder));
        EXPECT_EQ(rec.shown.size(), 0u) << allTexts().toStdString();

        restore(relative);
        truncateToHalf(relative);
        const QString before = form->ShownPhotoPath();
        EXPECT_FALSE(guarded([&] { form->GridOutputClickCell(form->GridOutput, rows[i], 3); }));
        EXPECT_EQ(count(QStringLiteral("error"), photos[i] + QStringLiteral(".JPG")), 1) << allTexts().toStdString();
        EXPECT_EQ(form->ShownPhotoPath(), before) << "the photo shown before stays";
        // The note is replaced all the same.
        restore(relative);
    }
    rec.clear();
    EXPECT_TRUE(guarded([&] { form->GridOutputClickCell(form->GridOutput, rows[0], 3); }));
    EXPECT_TRUE(form->ShownPhotoPath().endsWith(photos[0] + QStringLiteral(".JPG")));
    EXPECT_EQ(rec.shown.size(), 0u) << allTexts().toStdString();
}

TEST_F(FaultInjection, PlaceholderMissingOrDamaged)
{
    openWindow();
    form->EditGamma->clear();
    form->EditCodice->clear();
    ASSERT_TRUE(guarded([&] { form->VrBitmapButton1Click(form->VrBitmapButton1); }));
    // A battery whose photo is not installed needs the placeholder.
    const QString photo = form->GridOutput->Cells(12, 1);
    ASSERT_FALSE(photo.isEmpty());
    QFile::remove(path(QStringLiteral("foto/") + photo + QStringLiteral(".JPG")));
    for (const bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "missing" : "damaged");
        rec.clear();
        if (missing)
            QFile::remove(path(QStringLiteral("foto/vuoto.JPG")));
        else
            truncateToHalf(QStringLiteral("foto/vuoto.JPG"));
        EXPECT_FALSE(guarded([&] { form->GridOutputClickCell(form->GridOutput, 1, 3); }));
        ASSERT_EQ(rec.shown.size(), 1u) << allTexts().toStdString();
        EXPECT_EQ(count(QStringLiteral("error"), QStringLiteral("vuoto.JPG")), 1) << allTexts().toStdString();
        restore(QStringLiteral("foto/vuoto.JPG"));
    }
    rec.clear();
    EXPECT_TRUE(guarded([&] { form->GridOutputClickCell(form->GridOutput, 1, 3); }));
    EXPECT_TRUE(form->ShownPhotoPath().endsWith(QStringLiteral("vuoto.JPG")));
    EXPECT_EQ(rec.shown.size(), 0u) << allTexts().toStdString();
}

// Faults of the catalogue files: every one is seen at the window's creation (the
// connection does not open, silently) and reported by the first queries, in words that
// name the file. Once the file is mended the next window opens the catalogue.
TEST_F(FaultInjection, CatalogueFilesMissingLockedOrWithoutWorkgroup)
{
    struct Fault {
        const char *name;
        std::function<void()> inject;
        const char *relative; // the file to put back
    };
    const QString mdb = QStringLiteral("db/vc_korva.mdb");
    const QString mdw = QStringLiteral("db/system.mdw");
    const std::vector<Fault> faults = {
        {"database missing", [&]() { QFile::remove(path(mdb)); }, "db/vc_korva.mdb"},
        {"wrong password",
         [&]() {
             // The password is kept masked in the header from byte 0x42 on: changing one
             // of its bytes gives the file another password.
             QByteArray bytes = readBytes(mdb);
             bytes[0x42] = char(bytes[0x42] ^ 0x55);
             writeBytes(mdb, bytes);
         },
         "db/vc_korva.mdb"},
        {"workgroup file missing", [&]() { QFile::remove(path(mdw)); }, "db/system.mdw"},
        {"database truncated", [&]() { truncateToHalf(mdb); }, "db/vc_korva.mdb"},
        {"database a folder",
         [&]() {
             QFile::remove(path(mdb));
             QDir().mkpath(path(mdb));
         },
         nullptr},
    };
    for (const Fault &fault : faults) {
        SCOPED_TRACE(fault.name);
        fault.inject();
        rec.clear();
        openWindow();
        EXPECT_FALSE(DM->ADOConnection1.Connected());
        // The open fails silently; the queries that follow say so in their own words.
        EXPECT_GE(count(QStringLiteral("message"), QStringLiteral("ApriQRY")), 1) << allTexts().toStdString();
        EXPECT_GE(count(QStringLiteral("box"), QStringLiteral("La query ha generato un errore")), 1)
            << allTexts().toStdString();
        EXPECT_TRUE(form->isVisible());
        if (fault.relative) {
            restore(QString::fromLatin1(fault.relative));
        } else {
            QDir(path(mdb)).removeRecursively();
            restore(mdb);
        }
        rec.clear();
        openWindow();
        EXPECT_TRUE(DM->ADOConnection1.Connected()) << allTexts().toStdString();
        expectDrillDownWorks();
        DM->ADOConnection1.Close();
    }
}

// The queries after a failed open say why there is no connection: which file is missing,
// or that the password is wrong, reaches the person with the query's own message.
TEST_F(FaultInjection, FailedOpenNamesTheFileInTheQueryMessages)
{
    QFile::remove(path(QStringLiteral("db/system.mdw")));
    openWindow();
    EXPECT_GE(count(QStringLiteral("box"), QStringLiteral("system.mdw")), 1) << allTexts().toStdString();
}

TEST_F(FaultInjection, CatalogueReplacedWhileTheProgramRuns)
{
    openWindow();
    ASSERT_TRUE(DM->ADOConnection1.Connected());
    const QString firstMake = form->gridMarca->Cells(2, 1);
    // Replaced by a damaged file, then by another catalogue: the open connection keeps
    // answering from what it read, this window and the next.
    const QByteArray bytes = readBytes(QStringLiteral("db/vc_korva.mdb"));
    writeBytes(QStringLiteral("db/vc_korva.mdb"), bytes.left(5000) + QByteArray(bytes.size() - 5000, '\xff'));
    rec.clear();
    expectDrillDownWorks();
    openWindow();
    EXPECT_EQ(form->gridMarca->Cells(2, 1), firstMake);
    expectDrillDownWorks();
    QFile::remove(path(QStringLiteral("db/vc_korva.mdb")));
    ASSERT_TRUE(QFile::copy(testsupport::fixture(QStringLiteral("catalogue-small/vc_korva.mdb")),
                            path(QStringLiteral("db/vc_korva.mdb"))));
    openWindow();
    EXPECT_EQ(form->gridMarca->Cells(2, 1), firstMake);
    expectDrillDownWorks();
    // A program started afresh reads the catalogue now installed.
    form.reset();
    DM->ADOConnection1.Close();
    openWindow();
    EXPECT_TRUE(DM->ADOConnection1.Connected()) << allTexts().toStdString();
    EXPECT_EQ(rec.shown.size(), 0u) << allTexts().toStdString();
    expectDrillDownWorks();
}

// TEMP and the exchange folder under it: a load that cannot write its exchange file is
// ended with "Cannot Create file" and the reason; nothing is written anywhere else, and a
// window made after the fault is mended loads its grids.
TEST_F(FaultInjection, ExchangeFolderUnusable)
{
    struct Fault {
        const char *name;
        std::function<QString(const QString &scratch)> inject; // gives the TEMP to use
        const char *reason;
    };
    QTemporaryDir elsewhere;
    const std::vector<Fault> faults = {
        {"TEMP unwritable",
         [](const QString &scratch) {
             // A file where the folder should be: unwritable even for the superuser.
             QFile f(scratch + QStringLiteral("/plainfile"));
             EXPECT_TRUE(f.open(QIODevice::WriteOnly));
             return scratch + QStringLiteral("/plainfile/temp");
         },
         "the exchange folder"},
        {"exchange folder a symbolic link",
         [&](const QString &scratch) {
             QDir().mkpath(scratch + QStringLiteral("/t"));
             EXPECT_EQ(::symlink(QFile::encodeName(elsewhere.path()).constData(),
                                 QFile::encodeName(scratch + QStringLiteral("/t/kelpStone")).constData()),
                       0);
             return scratch + QStringLiteral("/t");
         },
         "symbolic link"},
        {"exchange file's lock refused",
         [](const QString &scratch) {
             platform::os::FaultInjection::failNext(platform::os::Op::Open, EACCES, 1000, 0,
                                                    QStringLiteral("~mdbgrid.tmp.lock"));
             return scratch;
         },
         "its lock cannot be made"},
    };
    for (const Fault &fault : faults) {
        SCOPED_TRACE(fault.name);
        QTemporaryDir scratch;
        qputenv("TEMP", QFile::encodeName(fault.inject(scratch.path())));
        rec.clear();
        openWindow();
        EXPECT_GE(count(QStringLiteral("error"), QStringLiteral("Cannot Create file")), 1) << allTexts().toStdString();
        EXPECT_GE(count(QStringLiteral("error"), QString::fromLatin1(fault.reason)), 1) << allTexts().toStdString();
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty()) << "written through the link";
        EXPECT_TRUE(form->isVisible());
        platform::os::FaultInjection::clear();
        qputenv("TEMP", QFile::encodeName(temp.path()));
        rec.clear();
        openWindow();
        expectDrillDownWorks();
    }
}
