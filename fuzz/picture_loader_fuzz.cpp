// Feeds arbitrary bytes to the picture loaders through a real file, as the program reads
// its skins, glyphs and battery photos: the first byte picks the kind of file (JPEG,
// bitmap, icon, or a bitmap read as a button glyph), the rest is its content. A damaged
// picture must give a picture error (WidgetError), never a crash, a hang or a leak.
#include "widgets/picture_loader.h"
#include "widgets/widget_error.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

const QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const char *const names[] = {"photo.JPG", "skin.jpeg", "BALL.bmp", "mark.ico", "glyph.bmp"};
    const int kind = data[0] % 5;
    const QString path = scratch().filePath(QLatin1String(names[kind]));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data + 1), static_cast<qint64>(size - 1));
    }
    try {
        const QImage image = kind == 4 ? LoadBitmapFile(path) : LoadPictureFile(path);
        (void)image.size();
    } catch (const WidgetError &e) {
        // Any other family would be a fault of the loader's own.
        if (e.code() != WidgetErrc::Picture)
            abort();
    }
    return 0;
}
