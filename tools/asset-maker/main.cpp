// asset-maker APPDIR [TECHINFO.csv]: draws every installed picture into APPDIR/img and
// APPDIR/foto, the windows' own pictures also at twice the resolution (name@2x). With the battery table, one photo per
// distinct FOTO name is drawn as well as the default set; the photo sizes cycle through a fixed list so that wide,
// square, small and large photos are all present. asset-maker --icon DIR: draws the desktop icon into
// DIR/<n>x<n>/apps/dazozizizavuv.png for the usual theme sizes (the hicolor layout, for installing beside the program).
#include "tools/asset-maker/pictures.h"

#include "widgets/design_pictures.h"
#include "widgets/fonts.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <set>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace {

void writeBmp(const QImage &img, const QString &path)
{
    if (!img.convertToFormat(QImage::Format_RGB888).save(path, "BMP"))
        throw std::runtime_error("cannot write " + path.toStdString());
}

// The design pictures installed as files, under the names the windows load them by.
const std::pair<DesignPicture, const char *> kDesignFiles[] = {
    {DesignPicture::GridMarker, "BALL"},
    {DesignPicture::ApplicationsBarOff, "bottoneMini"},
    {DesignPicture::ApplicationsBarOn, "bottoneRossoMini"},
    {DesignPicture::MagnifierGlyph, "lente"},
    {DesignPicture::ExitGlyph, "esci"},
    {DesignPicture::BackGlyph, "indietro"},
    {DesignPicture::CloseGlyph, "chiudi"},
    {DesignPicture::VersionGridBackground, "sfondoVersioni"},
    {DesignPicture::BatteryGridBackground, "sfondoBatterie"},
    {DesignPicture::ZoomLinkBackground, "sfondoChiudi"},
    {DesignPicture::ReplacementBar, "sostitutive"},
};

// Photo names present even without a catalogue, and the ones the tests rely on.
const char *const kDefaultPhotos[] = {"korva_start", "korva_power", "quib_classic",
                                      "brask_agm",   "fenu_eco",    "zelkar_pro"};

const QSize kPhotoSizes[] = {{1000, 1000}, {2410, 1000}, {800, 600}, {100, 50},
                             {1200, 900},  {100, 60},    {640, 480}, {600, 800}};

int run(const QString &appDir, const QString &csv)
{
    const QDir app(appDir);
    if (!app.mkpath(QStringLiteral("img")) || !app.mkpath(QStringLiteral("foto")))
        throw std::runtime_error("cannot create img/ and foto/ under " + appDir.toStdString());
    const QString img = app.filePath(QStringLiteral("img/")), foto = app.filePath(QStringLiteral("foto/"));

    // Every picture of the windows twice: as the designs size it, and at twice the
    // resolution under name@2x for HiDPI screens (the windows choose, see picture_loader.h).
    for (int ratio : {1, 2}) {
        const QString at = ratio == 1 ? QString() : QStringLiteral("@2x");
        WriteJpeg(DrawBrandScreen(ratio), img + QStringLiteral("intro") + at + QStringLiteral(".jpg"), 92);
        WriteJpeg(DrawCatalogueSkin(ratio), img + QStringLiteral("interna") + at + QStringLiteral(".jpg"), 92);
        for (const auto &[picture, name] : kDesignFiles)
            writeBmp(DrawDesignPicture(picture, ratio), img + QLatin1String(name) + at + QStringLiteral(".bmp"));
        WriteJpeg(DrawPhotoPlaceholder(ratio), foto + QStringLiteral("vuoto") + at + QStringLiteral(".JPG"), 90);
    }
    std::set<QString> names;
    for (const char *n : kDefaultPhotos)
        names.insert(QString::fromLatin1(n));
    if (!csv.isEmpty()) {
        for (const QString &n : PhotoNamesFromCsv(csv))
            names.insert(n);
    }
    int i = 0;
    for (const QString &name : names) {
        const QSize size = kPhotoSizes[size_t(i++) % std::size(kPhotoSizes)];
        WriteJpeg(DrawBatteryPhoto(name, size), foto + name + QStringLiteral(".JPG"), 88);
    }
    std::printf("asset-maker: %d photos and the window pictures in %s\n", i, qPrintable(appDir));
    return 0;
}

// The sizes desktops ask a theme for most; the larger ones serve high-density screens.
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

int writeIcons(const QString &dir)
{
    for (int size : kIconSizes) {
        const QString sub = QStringLiteral("%1x%1/apps").arg(size);
        if (!QDir(dir).mkpath(sub))
            throw std::runtime_error("cannot create " + (dir + u'/' + sub).toStdString());
        const QString path = dir + u'/' + sub + QStringLiteral("/dazozizizavuv.png");
        if (!DrawProgramIcon(size).save(path, "PNG"))
            throw std::runtime_error("cannot write " + path.toStdString());
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qapp(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: asset-maker APPDIR [TECHINFO.csv]\n       asset-maker --icon DIR\n");
        return 2;
    }
    try {
        if (std::string_view(argv[1]) == "--icon") {
            if (argc != 3) {
                std::fprintf(stderr, "usage: asset-maker --icon DIR\n");
                return 2;
            }
            return writeIcons(QString::fromLocal8Bit(argv[2]));
        }
        RegisterProgramFonts();
        return run(QString::fromLocal8Bit(argv[1]), argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "asset-maker: %s\n", e.what());
        return 1;
    }
}
