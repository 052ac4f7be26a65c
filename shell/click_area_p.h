// A spot of the brand screen that reacts to clicks: it draws nothing but the keyboard
// focus, so the background picture beneath it is what the user sees, and shows the hand
// cursor. Tab and the arrow keys reach it, Enter or Space click it; to assistive tools it
// is a button named by its accessible name, whose "Press" clicks it.
#pragma once

#include <QWidget>

class ClickArea : public QWidget {
    Q_OBJECT
public:
    explicit ClickArea(QWidget *parent = nullptr);

signals:
    // A left press on the area followed by its release still over the area, or a press
    // key while it has the focus.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // The sibling area before or after this one in screen order (top to bottom, then
    // left to right), coming round at the ends; this one when it has no sibling.
    ClickArea *neighbour(int step) const;

    bool m_pressed = false;
};

// Lets assistive tools find the areas' interface. Call once before the screen is shown;
// calling it again does nothing.
void InstallAccessibleClickAreas();
