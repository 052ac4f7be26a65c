// The photo zoom window's layout and its create-show-destroy cycle.
#include "catalog/window/zoom_form.h"

#include "platform/error_guard.h"
#include "widgets/design_pictures.h"
#include "widgets/fonts.h"
#include "widgets/hyperlink_label.h"
#include "widgets/image_view.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>
#include <memory>

Tfrm_zoom *frm_zoom = nullptr;

namespace {

const QSize kDesignClientSize(531, 456);
const int kFooterHeight = 30;
const int kLinkPanelWidth = 185;

QWidget *whitePanel(const QString &name, QWidget *parent)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    panel->setAutoFillBackground(true);
    return panel;
}

ColoredFont linkFont(const QColor &color, bool underlined)
{
    ColoredFont f{ProgramFont(11), color};
    f.font.setUnderline(underlined);
    return f;
}

} // namespace

Tfrm_zoom::Tfrm_zoom(QWidget *owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frm_zoom"));
    setWindowTitle(QStringLiteral("Zoom"));
    setModal(true);
    QFont designFont(QStringLiteral("MS Sans Serif"));
    designFont.setPixelSize(11);
    setFont(designFont);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(240, 240, 240)); // clBtnFace
    setPalette(pal);
    setAutoFillBackground(true);

    ImageZoom = new ImageView(this);
    ImageZoom->setObjectName(QStringLiteral("ImageZoom"));
    ImageZoom->setBitmapAlign(BitmapAlign::baCenter);
    ImageZoom->setScaleMode(ScaleMode::smResize);
    ImageZoom->setScale(1.0);
    ImageZoom->setResampler(Resampler::Linear);
    ImageZoom->setColor(Qt::white);
    ImageZoom->setAccessibleName(QStringLiteral("Foto della batteria"));

    // The footer and its right-hand panel keep to the bottom and right edges, so the link
    // stays in the corner while the picture area takes whatever the window gains.
    Panel1 = whitePanel(QStringLiteral("Panel1"), this);
    Panel1->setFixedHeight(kFooterHeight);
    Panel2 = whitePanel(QStringLiteral("Panel2"), Panel1);
    Panel2->setFixedWidth(kLinkPanelWidth);

    auto *footer = new QHBoxLayout(Panel1);
    footer->setContentsMargins(0, 0, 0, 0);
    footer->setSpacing(0);
    footer->addStretch(1);
    footer->addWidget(Panel2);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(ImageZoom, 1);
    column->addWidget(Panel1);

    const QPixmap linkBackground = QPixmap::fromImage(DrawDesignPicture(DesignPicture::ZoomLinkBackground));
    Image2 = new QLabel(Panel2);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(linkBackground);
    Image2->setGeometry(QRect(QPoint(132, 5), linkBackground.deviceIndependentSize().toSize()));

    ZoomFoto = new HyperlinkLabel(Panel2);
    ZoomFoto->setObjectName(QStringLiteral("ZoomFoto"));
    ZoomFoto->setGeometry(137, 9, 37, 15);
    ZoomFoto->setCaption(QStringLiteral("Chiudi"));
    ZoomFoto->setTransparent(true);
    ZoomFoto->setWordWrap(false);
    ZoomFoto->setTextOutline(TextOutline{false, QColor(0, 0, 128), 1});
    ZoomFoto->setFontEnter(linkFont(QColor(128, 128, 128), true));  // clGray
    ZoomFoto->setFontLeave(linkFont(QColor(192, 192, 192), false)); // clSilver
    ZoomFoto->raise();
    // The one control that takes the focus: Enter or Space on it closes the window.
    ZoomFoto->setFocus(Qt::OtherFocusReason);
    connect(ZoomFoto, &HyperlinkLabel::clicked, this, [this] { Guarded([this] { ZoomFotoClick(); }); });

    resize(kDesignClientSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), kDesignClientSize);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void Tfrm_zoom::ZoomFotoClick() { close(); }

void ShowPhotoZoom(QWidget *owner, const ImageView &photo)
{
    // Destroyed on every way out, an error in the copy or the showing included.
    const std::unique_ptr<Tfrm_zoom> window(new Tfrm_zoom(owner));
    frm_zoom = window.get();
    struct Forget {
        ~Forget() { frm_zoom = nullptr; }
    } forget;
    window->ImageZoom->AssignBitmap(photo);
    window->ImageZoom->setAccessibleDescription(photo.accessibleDescription());
    window->exec();
}
