// The photo zoom window: the chosen battery's photo, at full resolution, fitted into a
// resizable tool window with a "Chiudi" link in the bottom-right corner. It is created for
// each use and destroyed as soon as it closes, so every opening starts afresh.
#pragma once

#include <QDialog>

class HyperlinkLabel;
class ImageView;
class QLabel;
class QWidget;

class Tfrm_zoom : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_zoom(QWidget *owner = nullptr);

    // The close link's handler: ends the modal showing, as the close box does.
    void ZoomFotoClick();

    ImageView *ImageZoom;     // the photo, fitted and centred on white
    QWidget *Panel1;          // footer along the bottom
    QWidget *Panel2;          // its right-hand part holding the link
    QLabel *Image2;           // the rounded background of the link
    HyperlinkLabel *ZoomFoto; // "Chiudi"
};

// The zoom window while it is open, otherwise nullptr.
extern Tfrm_zoom *frm_zoom;

// What the catalogue window's zoom button does: creates a zoom window owned by `owner`,
// gives it a copy of `photo`'s picture, shows it modally and destroys it when it closes
// (also when the copy or the showing ends in an error, which then propagates).
void ShowPhotoZoom(QWidget *owner, const ImageView &photo);
