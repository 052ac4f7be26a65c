// The catalogue window's controls: where each one sits, how it looks, and which handler
// each event of it runs. Positions are those of the window design, in pixels.
#include "catalog/window/main_form.h"

#include "catalog/info_strip/info_strip.h"
#include "platform/error_guard.h"
#include "platform/settings.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box.h"
#include "widgets/design_pictures.h"
#include "widgets/fonts.h"
#include "widgets/image_view.h"
#include "widgets/note_label.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace {

// 12451311 in the design's colour numbers: active search fields, the price-list box and
// applications mode.
const QColor kHighlight(239, 253, 189);

template <class W>
W *place(W *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

BitmapButton *makeButton(QWidget *parent, const char *name, int left, int top, int width, int height,
                         DesignPicture glyph)
{
    auto *button = place(new BitmapButton(parent), name, left, top, width, height);
    button->setGlyph(DrawDesignPicture(glyph));
    button->setTransparent(true);
    button->setTransparentMode(TransparentMode::tmPixel);
    return button;
}

QLabel *makeCaptionLabel(QWidget *parent, const char *name, int left, const char *text)
{
    auto *label = place(new QLabel(QLatin1String(text), parent), name, left, 664, 71, 16);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(ProgramFont(13, true));
    label->setAutoFillBackground(false);
    return label;
}

QLineEdit *makeEdit(QWidget *parent, const char *name, int left, int top, int width)
{
    return place(new QLineEdit(parent), name, left, top, width, 21);
}

// What the four grids share: no fixed cells, no border, a vertical scroll bar only and a
// bold 13-pixel font; whole-row selection in red unless the grid says otherwise.
DataGrid *makeGrid(QWidget *parent, const char *name, int left, int top, int width, int height, unsigned extraOptions)
{
    auto *grid = place(new DataGrid(parent), name, left, top, width, height);
    grid->setBorderStyle(DataGrid::bsNone);
    grid->setScrollBars(DataGrid::ssVertical);
    grid->setScrollWidth(16);
    grid->setFont(ProgramFont(13, true));
    grid->setOptions(DataGrid::goRowSelect | DataGrid::goDrawFocusSelected | DataGrid::goThumbTracking | extraOptions);
    grid->setSelectionColor(Qt::red);
    grid->setVerticalAlignment(Qt::AlignTop);
    grid->setWordWrap(true);
    grid->setFontColor(QApplication::palette().color(QPalette::WindowText));
    return grid;
}

} // namespace

void Tfrm_main::BuildControls()
{
    setObjectName(QStringLiteral("frm_main"));
    setWindowTitle(QStringLiteral("Dazozizizavuv Korva"));
    // A fixed dialog frame with a title and nothing else on it: no system menu, no
    // minimise, maximise or close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(1023, 769);
    setSizeGripEnabled(false);
    setFont(ProgramFont(11));

    Panel2 = place(new QFrame(this), "Panel2", 0, 0, 1023, 769);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setLineWidth(1);
    Panel2->setAutoFillBackground(true);
    QPalette panelColours = Panel2->palette();
    panelColours.setColor(QPalette::Window, QColor(222, 223, 202)); // 13295582
    Panel2->setPalette(panelColours);

    ImageSfondo = place(new ImageView(Panel2), "ImageSfondo", 1, 1, 1021, 767);
    ImageSfondo->setBitmapAlign(BitmapAlign::baTopLeft);
    ImageSfondo->setScaleMode(ScaleMode::smNormal);
    ImageSfondo->setScale(1.0);
    ImageSfondo->setResampler(Resampler::Nearest);

    QWidget *skin = ImageSfondo;
    VrBitmapButton1 = makeButton(skin, "VrBitmapButton1", 980, 266, 35, 35, DesignPicture::MagnifierGlyph);
    VrBitmapButton2 = makeButton(skin, "VrBitmapButton2", 980, 308, 35, 35, DesignPicture::MagnifierGlyph);
    VrBitmapButton3 = makeButton(skin, "VrBitmapButton3", 980, 349, 35, 35, DesignPicture::MagnifierGlyph);
    VrBitmapButton4 = makeButton(skin, "VrBitmapButton4", 980, 389, 35, 35, DesignPicture::MagnifierGlyph);
    for (BitmapButton *search : {VrBitmapButton1, VrBitmapButton2, VrBitmapButton3, VrBitmapButton4})
        search->setShowHint(true);
    VrBitmapButtonApplicazioni =
        makeButton(skin, "VrBitmapButtonApplicazioni", 499, 253, 133, 49, DesignPicture::ApplicationsBarOff);
    LabelCodice = makeCaptionLabel(skin, "LabelCodice", 225, "Codice");
    LabelCapacita = makeCaptionLabel(skin, "LabelCapacita", 302, "Capacita");
    LabelScarica = makeCaptionLabel(skin, "LabelScarica", 379, "Scarica");
    VrBitmapButton5 = makeButton(skin, "VrBitmapButton5", 984, 2, 35, 35, DesignPicture::ExitGlyph);
    VrBitmapButton6 = makeButton(skin, "VrBitmapButton6", 943, 2, 35, 35, DesignPicture::BackGlyph);

    HTMLabelNote = place(new NoteLabel(skin), "HTMLabelNote", 210, 694, 271, 48);
    HTMLabelNote->setLabelFont(ColoredFont{ProgramFont(11, true), Qt::red});
    HTMLabelNote->setTransparent(true);
    HTMLabelNote->setShadowColor(Qt::gray);
    HTMLabelNote->setShadowOffset(2);
    HTMLabelNote->setURLColor(Qt::blue);

    ImageZoom = place(new ImageView(skin), "ImageZoom", 219, 487, 241, 151);
    ImageZoom->setColor(Qt::white);
    ImageZoom->setBitmapAlign(BitmapAlign::baCenter);
    ImageZoom->setScaleMode(ScaleMode::smOptimalScaled);
    ImageZoom->setScale(1.0);
    ImageZoom->setResampler(Resampler::Linear);
    VrBitmapButtonZoom = makeButton(ImageZoom, "VrBitmapButtonZoom", 200, 3, 35, 35, DesignPicture::MagnifierGlyph);
    // The free corner of the battery data block, right of the three values.
    VrBitmapButtonStampa = makeButton(skin, "VrBitmapButtonStampa", 452, 645, 35, 35, DesignPicture::PrintGlyph);

    // Between the wordmark and the search box, above the header's rule.
    StripInfo = place(new InfoStrip(skin), "StripInfo", 292, 8, 380, 60);

    // Between the wordmark and the search box, above the header's rule.
    StripInfo = place(new InfoStrip(skin), "StripInfo", 292, 8, 380, 60);

    CheckBoxApplicazioni =
        place(new QCheckBox(QStringLiteral("Applicazioni"), skin), "CheckBoxApplicazioni", 645, 257, 97, 17);
    CheckBoxApplicazioni->setVisible(false);

    EditGamma = makeEdit(skin, "EditGamma", 713, 275, 80);
    EditCodice = makeEdit(skin, "EditCodice", 896, 275, 80);
    EditCapacita = makeEdit(skin, "EditCapacita", 558, 316, 52);
    EditScarica = makeEdit(skin, "EditScarica", 713, 316, 80);
    EditPolarita = makeEdit(skin, "EditPolarita", 896, 316, 80);
    EditLunghezza = makeEdit(skin, "EditLunghezza", 558, 357, 52);
    EditLarghezza = makeEdit(skin, "EditLarghezza", 688, 357, 52);
    EditAltezza = makeEdit(skin, "EditAltezza", 805, 357, 52);
    EditMonoblocco = makeEdit(skin, "EditMonoblocco", 896, 393, 80);
    EditAttacchi = makeEdit(skin, "EditAttacchi", 924, 357, 52);

    // The grids and the combo box lie on Panel2, above the skin.
    gridMarca = makeGrid(Panel2, "gridMarca", 15, 128, 166, 553, 0);
    gridMarca->setColor(Qt::white);
    gridMarca->setVerticalAlignment(Qt::AlignVCenter);

    gridModello = makeGrid(Panel2, "gridModello", 211, 128, 256, 344, 0);
    gridModello->setColor(Qt::white);

    gridVersione = makeGrid(Panel2, "gridVersione", 494, 465, 517, 278, DataGrid::goColSizing);
    gridVersione->setFontColor(Qt::black);
    gridVersione->setBackGround(DrawDesignPicture(DesignPicture::VersionGridBackground));
    gridVersione->setWordWrap(false);

    // Vertical lines of width 0: the option is on, nothing is drawn.
    GridOutput = makeGrid(Panel2, "GridOutput", 493, 116, 515, 136, DataGrid::goColSizing | DataGrid::goVertLine);
    GridOutput->setGridLineWidth(0);
    GridOutput->setBackGround(DrawDesignPicture(DesignPicture::BatteryGridBackground));
    GridOutput->setSelectionColor(QColor(166, 202, 240));
    GridOutput->setSelectionTextColor(Qt::red);

    ComboListino = place(new ColumnComboBox(Panel2), "ComboListino", 558, 393, 81, 22);
    ComboColumn column;
    column.Width = 100;
    column.Alignment = Qt::AlignLeft;
    column.Color = kHighlight;
    column.Font = ColoredFont{ProgramFont(11), Qt::black};
    ComboListino->setColumns({column});
    ComboListino->setColor(kHighlight);
    ComboListino->setFlatLineColor(kHighlight);
    ComboListino->setGridLines(false);
    ComboListino->setDropHeight(200);
    ComboListino->setDropWidth(0);
    ComboListino->setLookupColumn(0);
    ComboListino->setSortColumn(0);
    ComboListino->setEditColumn(-1);
}

void Tfrm_main::SizeFieldsAndHints()
{
    ComboListino->setEditHeight(20);
    ComboListino->setColor(kHighlight);
    const QString hint = SearchHint();
    QString toolTip = hint;
    toolTip.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QLineEdit *edit : {EditGamma, EditCodice, EditCapacita, EditScarica, EditPolarita, EditLunghezza,
                            EditLarghezza, EditAltezza, EditMonoblocco, EditAttacchi}) {
        edit->resize(edit->width(), 25);
        edit->setToolTip(toolTip);
        edit->setToolTipDuration(HintHidePause);
    }
    for (BitmapButton *search : {VrBitmapButton1, VrBitmapButton2, VrBitmapButton3, VrBitmapButton4}) {
        search->setHint(hint);
        search->setToolTipDuration(HintHidePause);
    }
}

void Tfrm_main::ConnectHandlers()
{
    gridMarca->OnClickCell = [this](QObject *s, int r, int c) { gridMarcaClickCell(s, r, c); };
    gridMarca->OnKeyUp = [this](QObject *s, int k, Qt::KeyboardModifiers m) { gridMarcaKeyUp(s, k, m); };
    gridMarca->OnGetCellColor = [this](QObject *s, int r, int c, GridDrawState st, QBrush &b, ColoredFont &f) {
        gridMarcaGetCellColor(s, r, c, st, b, f);
    };
    gridModello->OnClickCell = [this](QObject *s, int r, int c) { gridModelloClickCell(s, r, c); };
    gridModello->OnKeyUp = [this](QObject *s, int k, Qt::KeyboardModifiers m) { gridModelloKeyUp(s, k, m); };
    gridModello->OnGetCellColor = [this](QObject *s, int r, int c, GridDrawState st, QBrush &b, ColoredFont &f) {
        gridModelloGetCellColor(s, r, c, st, b, f);
    };
    gridVersione->OnClickCell = [this](QObject *s, int r, int c) { gridVersioneClickCell(s, r, c); };
    gridVersione->OnKeyUp = [this](QObject *s, int k, Qt::KeyboardModifiers m) { gridVersioneKeyUp(s, k, m); };
    GridOutput->OnClickCell = [this](QObject *s, int r, int c) { GridOutputClickCell(s, r, c); };
    GridOutput->OnKeyUp = [this](QObject *s, int k, Qt::KeyboardModifiers m) { GridOutputKeyUp(s, k, m); };

    connect(ComboListino, &ColumnComboBox::changed, this,
            [this] { Guarded([this] { ComboListinoChange(ComboListino); }); });
    connect(VrBitmapButton5, &BitmapButton::clicked, this,
            [this] { Guarded([this] { VrBitmapButton5Click(VrBitmapButton5); }); });
    connect(VrBitmapButton6, &BitmapButton::clicked, this,
            [this] { Guarded([this] { VrBitmapButton6Click(VrBitmapButton6); }); });
    connect(VrBitmapButtonZoom, &BitmapButton::clicked, this,
            [this] { Guarded([this] { VrBitmapButtonZoomClick(VrBitmapButtonZoom); }); });
}
