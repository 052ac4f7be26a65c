// The battery grid's click and key-up: the chosen battery's values in the ten fields and
// three labels, its photo (or the placeholder, described by range and code) and its note;
// in applications mode the make list of the vehicles it fits.
#include "catalog/window/main_form.h"

#include "catalog/catalog_error.h"
#include "catalog/technology/technology_part.h"
#include "catalog/window/statements.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "report/schema.h"
#include "widgets/image_view.h"
#include "widgets/note_label.h"
#include "widgets/widget_error.h"

#include <QLabel>
#include <QLineEdit>
#include <exception>

namespace {

using enum catalog::schema::BatteryColumn;

} // namespace

void Tfrm_main::GridOutputClickCell(QObject *Sender, int ARow, int)
{
    if (ARow == 0)
        return;
    NoticeShownBattery();
    const std::pair<QLineEdit *, int> fields[] = {
        {EditGamma, kGamma},         {EditCodice, kCodice},     {EditCapacita, kCapacita},
        {EditScarica, kScarica},     {EditPolarita, kPolarita}, {EditLunghezza, kLunghezza},
        {EditLarghezza, kLarghezza}, {EditAltezza, kAltezza},   {EditMonoblocco, kMonoblocco},
        {EditAttacchi, kAttacchi},
    };
    for (const auto &[edit, col] : fields)
        edit->setText(GridOutput->Cells(col, ARow));
    LabelCapacita->setText(GridOutput->Cells(kCapacita, ARow));
    LabelCodice->setText(GridOutput->Cells(kCodice, ARow));
    LabelScarica->setText(GridOutput->Cells(kScarica, ARow));
    ShowBatteryStock(GridOutput->Cells(kCodice, ARow));
    ImageZoom->setAccessibleDescription(
        QStringLiteral("Gamma %1, codice %2").arg(GridOutput->Cells(kGamma, ARow), GridOutput->Cells(kCodice, ARow)));

    // The note is replaced even when the photo cannot be shown; the photo's error then
    // ends this handler and every handler that fired it.
    std::exception_ptr photoError;
    try {
        ShowPhoto(GridOutput->Cells(kFoto, ARow));
    } catch (...) {
        photoError = std::current_exception();
    }
    HTMLabelNote->clearHTMLText();
    HTMLabelNote->addHTMLLine(GridOutput->Cells(kNote, ARow));
    m_technology->ShowBattery(GridOutput->Cells(kGamma, ARow), GridOutput->Cells(kCodice, ARow));
    if (photoError)
        std::rethrow_exception(photoError);

    if (ApplicationsMode())
        RefillMakeList(catalog::makeListForBatteryStatement(SelectedBatteryCode()), Sender);
}

// The arrow keys move the highlight; what is shown follows it, as after a click.
void Tfrm_main::GridOutputKeyUp(QObject *Sender, int, Qt::KeyboardModifiers)
{
    GridOutputClickCell(Sender, GridOutput->CurrentRow(), 0);
}

// The shown-photo path spares decoding the same photo again when the same battery, or one
// sharing its photo, is chosen again; the photo cache, when one shown a little earlier
// comes back. The placeholder is loaded every time it is needed.
void Tfrm_main::ShowPhoto(const QString &photoName)
{
    bool placeholder = false;
    const QString path = PhotoFileFor(photoName, &placeholder);
    if (placeholder)
        LoadPhotoBox(path, false);
    else if (path != m_shownPhotoPath)
        LoadPhotoBox(path);
}

QString Tfrm_main::PhotoFileFor(const QString &photoName, bool *placeholder) const
{
    // Catalogues name photos without regard to case (the program adds ".JPG"); on a
    // case-sensitive file system the file may be spelt otherwise.
    const QString path = PhotoFile(AppDir + QStringLiteral("foto/"), photoName);
    if (placeholder)
        *placeholder = path.isEmpty();
    return path.isEmpty() ? ResolveFileName(AppDir + QStringLiteral("foto/vuoto.JPG")) : path;
}

void Tfrm_main::LoadPhotoBox(const QString &path, bool cached)
{
    // On failure the previous picture and its path stay. A decoding error does not say
    // which file it came from; the report should.
    try {
        if (cached)
            ImageZoom->setPicture(m_photos.load(path, ImageZoom->PixelBox()));
        else
            ImageZoom->LoadPictureFile(path);
    } catch (const WidgetError &e) {
        const QString text = QString::fromUtf8(e.what());
        catalog::raiseCatalogError(catalog::CatalogErrc::Photo,
                                   text.contains(path) ? text
                                                       : text + QStringLiteral(" (") + path + QStringLiteral(")"));
    }
    m_shownPhotoPath = path;
}

QImage Tfrm_main::BatteryPhoto(const QString &photoName) { return m_photos.load(PhotoFileFor(photoName)).full(); }
