// The replacement finder's part of the catalogue window: its button
// (Tfrm_main::VrBitmapButtonSostituzione) in the free space of the search panel's last
// row, Ctrl+R, and what happens to the battery chosen in the finder. The window's
// handler of the same name hands on to it.
#pragma once

class QObject;
class Tfrm_main;

class ReplacementPart {
public:
    // Makes the button on `form` and wires it and the shortcut to the window's handler.
    explicit ReplacementPart(Tfrm_main &form);

    // Opens the finder on the battery shown; a battery chosen there is shown as a code
    // search typed by the user shows it, ending in applications mode.
    void VrBitmapButtonSostituzioneClick(QObject *Sender);

private:
    Tfrm_main &m_form;
};
