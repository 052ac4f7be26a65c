// A spot of the brand screen that reacts to clicks: it draws nothing, so the background
// picture beneath it is what the user sees, and shows the hand cursor.
#pragma once

#include <QWidget>

class ClickArea : public QWidget {
    Q_OBJECT
public:
    explicit ClickArea(QWidget *parent = nullptr);

signals:
    // A left press on the area followed by its release still over the area.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
