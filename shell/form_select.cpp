// The brand selection screen: its layout, its creation and showing, the brand clicks and
// the catalogue window's lifecycle around them.
#include "shell/form_select.h"

#include "catalog/window/main_form.h"
#include "data/desk_form.h"
#include "platform/error_guard.h"
#include "platform/os_process.h"
#include "shell/click_area_p.h"
#include "shell/scaled_windows.h"
#include "widgets/bitmap_button.h"
#include "widgets/design_pictures.h"
#include "widgets/fonts.h"
#include "widgets/image_view.h"

#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>
#include <QToolTip>
#include <QWindow>
#include <chrono>
#include <cstdio>

TFormSelect *FormSelect = nullptr;

namespace {

const QSize kClientSize(1022, 767);

// With CATALOG_REPORT_SHOWN set, one line on standard error once the screen is first
// painted, "shown <ns since 1970> <bytes read so far>", for scripts/bench.sh's start-up
// figure; silent otherwise.
void reportShown()
{
    if (!qEnvironmentVariableIsSet("CATALOG_REPORT_SHOWN"))
        return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::fprintf(stderr, "shown %lld %lld\n",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                 static_cast<long long>(platform::os::bytesReadSoFar()));
    std::fflush(stderr);
}

} // namespace

TFormSelect::TFormSelect(QWidget *parent)
    // A fixed dialog border with no title-bar buttons: only the close button on the
    // picture ends the program.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FormSelect"));
    setWindowTitle(QStringLiteral("DazozIzizavuv Korva"));
    FormSelect = this;
    BuildControls();
    Guarded([this] { FormCreate(); });
}

TFormSelect::~TFormSelect()
{
    delete frm_main;
    if (FormSelect == this)
        FormSelect = nullptr;
}

void TFormSelect::BuildControls()
{
    setFixedSize(kClientSize);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(240, 240, 240)); // clBtnFace
    setPalette(pal);
    setAutoFillBackground(true);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), kClientSize);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    Image32LogIn = new ImageView(this);
    Image32LogIn->setObjectName(QStringLiteral("Image32LogIn"));
    Image32LogIn->setGeometry(QRect(QPoint(), kClientSize));
    Image32LogIn->setBitmapAlign(BitmapAlign::baTopLeft);
    Image32LogIn->setScaleMode(ScaleMode::smNormal);
    Image32LogIn->setScale(1.0);
    Image32LogIn->setResampler(Resampler::Nearest);

    // The areas sit over the brand wordmarks that the intro picture shows down its left side.
    struct AreaDesign {
        const char *name;
        const char *brand;
        QRect place;
        ClickArea *TFormSelect::*member;
        void (TFormSelect::*handler)(QObject *);
    };
    const AreaDesign areas[] = {
        {"ImageKorva", "KORVA", QRect(134, 126, 209, 91), &TFormSelect::ImageKorva, &TFormSelect::ImageKorvaClick},
        {"ImageQuib", "QUIB", QRect(134, 269, 209, 100), &TFormSelect::ImageQuib, &TFormSelect::ImageQuibClick},
        {"ImageBrask", "BRASK", QRect(134, 401, 209, 80), &TFormSelect::ImageBrask, &TFormSelect::ImageBraskClick},
        {"ImageFenu", "FENU", QRect(134, 536, 209, 81), &TFormSelect::ImageFenu, &TFormSelect::ImageFenuClick},
        {"ImageZelkar", "ZELKAR", QRect(134, 672, 209, 92), &TFormSelect::ImageZelkar, &TFormSelect::ImageZelkarClick},
    };
    for (const AreaDesign &design : areas) {
        auto *area = new ClickArea(Image32LogIn);
        area->setObjectName(QString::fromLatin1(design.name));
        area->setAccessibleName(QString::fromLatin1(design.brand));
        area->setGeometry(design.place);
        this->*design.member = area;
        const auto handler = design.handler;
        connect(area, &ClickArea::clicked, this,
                [this, area, handler] { Guarded([this, area, handler] { (this->*handler)(area); }); });
    }

    VrBitmapButton1 = new BitmapButton(Image32LogIn);
    VrBitmapButton1->setObjectName(QStringLiteral("VrBitmapButton1"));
    VrBitmapButton1->setGeometry(955, 8, 35, 35);
    VrBitmapButton1->setGlyph(DrawDesignPicture(DesignPicture::CloseGlyph));
    VrBitmapButton1->setTransparent(true);
    VrBitmapButton1->setTransparentMode(TransparentMode::tmPixel);
    VrBitmapButton1->setAccessibleName(QStringLiteral("Chiudi il programma"));
    connect(VrBitmapButton1, &BitmapButton::clicked, this,
            [this] { Guarded([this] { VrBitmapButton1Click(VrBitmapButton1); }); });
}

void TFormSelect::FormCreate()
{
    // The picture is read from beside the executable, not from AppDir, which only the
    // catalogue window's creation sets. Its failure is reported on its own: the export
    // form and the hint settings below are needed by every later grid and hint.
    Guarded([this] {
        Image32LogIn->LoadPictureFile(ProgramFolder() + QStringLiteral("img") + QDir::separator()
                                      + QStringLiteral("intro.jpg"));
    });
    frm_desk = new Tfrm_desk(this);
    HintHidePause = 100000;
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(255, 255, 0)); // 65535 in the BGR form
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);
}

void TFormSelect::FormShow()
{
    // The window being replaced is never shown again; release it once control is back in
    // the event loop, since its own modal loop may just have returned.
    if (frm_main)
        frm_main->deleteLater();
    frm_main = new Tfrm_main();
}

void TFormSelect::ChooseBrand(const QString &code)
{
    SelectedBrand = code;
    ShowCatalogWindow();
}

void TFormSelect::ImageKorvaClick(QObject *) { ChooseBrand(QStringLiteral("KORVA")); }
void TFormSelect::ImageQuibClick(QObject *) { ChooseBrand(QStringLiteral("QUIB")); }
void TFormSelect::ImageBraskClick(QObject *) { ChooseBrand(QStringLiteral("BRASK")); }
void TFormSelect::ImageFenuClick(QObject *) { ChooseBrand(QStringLiteral("FENU")); }
void TFormSelect::ImageZelkarClick(QObject *) { ChooseBrand(QStringLiteral("ZELKAR")); }

void TFormSelect::VrBitmapButton1Click(QObject *)
{
    // As the main window, closing it ends the message loop and with it the program.
    close();
}

void TFormSelect::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // At the first showing the catalogue window is created once the screen has been
    // painted, so that the screen is on view while the catalogue is opened; its messages,
    // if any, come over the screen as they would have before it.
    if (m_firstShowing && ShownWindow(this)) {
        m_firstShowing = false;
        ShownWindow(this)->installEventFilter(this);
        return;
    }
    Guarded([this] { FormShow(); });
}

bool TFormSelect::eventFilter(QObject *watched, QEvent *event)
{
    QWindow *shown = ShownWindow(this);
    if (event->type() != QEvent::Expose || watched != shown || !shown->isExposed())
        return QWidget::eventFilter(watched, event);
    watched->removeEventFilter(this);
    // The window paints the screen on this event; what follows comes after that paint.
    watched->event(event);
    reportShown();
    FinishStart();
    return true;
}

void TFormSelect::FinishStart()
{
    // The screen draws no text: its font, and with it the loading of the system's font
    // list, waits until the screen is on view.
    setFont(ProgramFont(11));
    if (!frm_main)
        Guarded([this] { FormShow(); });
}

void ShowCatalogWindow()
{
    // A brand chosen before the screen was first painted finds no window waiting yet.
    if (!frm_main && FormSelect)
        FormSelect->FinishStart();
    if (!frm_main)
        return;
    frm_main->exec();
    // Back on the brand screen whatever ended the visit; having been hidden by the
    // window's first make click, showing it creates the next visit's window.
    if (FormSelect && !ProgramEndRequested())
        FormSelect->show();
}
