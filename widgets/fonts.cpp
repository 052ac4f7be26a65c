// Registration of the program font and the pixel-height fonts the designs ask for.
#include "widgets/fonts.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace {

// Where the free Tahoma is installed by the set-up script (Debian's fonts-wine) and
// where other systems keep it.
const char *const kFontDirs[] = {
    "/usr/share/wine/fonts",
    "/usr/lib/wine/fonts",
    "/usr/share/fonts/truetype/wine",
    "/usr/local/share/wine/fonts",
};

const char *const kFontFiles[] = {"tahoma.ttf", "tahomabd.ttf"};

// Narrow humanist sans-serifs close to Tahoma's widths, best first.
const char *const kStandIns[] = {"DejaVu Sans Condensed", "Liberation Sans Narrow", "Arial", "DejaVu Sans"};

bool g_tried = false;
bool g_haveTahoma = false;

bool familyAvailable(const QString &family) { return QFontDatabase::families().contains(family, Qt::CaseInsensitive); }

} // namespace

bool RegisterProgramFonts()
{
    if (g_tried)
        return g_haveTahoma;
    g_tried = true;
    for (const char *dir : kFontDirs) {
        bool any = false;
        for (const char *file : kFontFiles) {
            const QString path = QDir(QString::fromLatin1(dir)).filePath(QString::fromLatin1(file));
            if (QFile::exists(path) && QFontDatabase::addApplicationFont(path) >= 0)
                any = true;
        }
        if (any)
            break;
    }
    g_haveTahoma = familyAvailable(QStringLiteral("Tahoma"));
    return g_haveTahoma;
}

QString ProgramFontFamily()
{
    RegisterProgramFonts();
    if (g_haveTahoma)
        return QStringLiteral("Tahoma");
    for (const char *family : kStandIns) {
        if (familyAvailable(QString::fromLatin1(family)))
            return QString::fromLatin1(family);
    }
    return QStringLiteral("Sans Serif");
}

QFont ProgramFont(int pixelHeight, bool bold)
{
    QFont f(ProgramFontFamily());
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelHeight > 0 ? pixelHeight : 11);
    f.setBold(bold);
    return f;
}

QFont PictureFont(int pixelHeight, bool bold, bool condensed)
{
    const QString family = QString::fromLatin1(condensed ? "DejaVu Sans Condensed" : "DejaVu Sans");
    QFont f(familyAvailable(family) ? family : ProgramFontFamily());
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    return f;
}
