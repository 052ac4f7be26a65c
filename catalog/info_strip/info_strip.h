// The information strip: the shop's lines about the battery shown (stock, fit reports,
// technology guard), stacked in the catalogue window's header band where the skin leaves
// room between the wordmark and the search box. Each line is a label of its own, named
// for what it tells, made on first use and always in the same place of the fixed order,
// so that a feature that has nothing to say leaves no gap and the others do not move
// around between batteries. A line holds one line of text: what does not fit is elided,
// its whole text in its hint and its accessible name.
#pragma once

#include <QStringList>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

class InfoStrip : public QWidget {
    Q_OBJECT
public:
    explicit InfoStrip(QWidget *parent = nullptr);
    ~InfoStrip() override;

    // The lines' object names, top to bottom: "LabelGiacenza" (stock), "LabelSegnalazione"
    // (fit reports), "LabelTecnologia" (technology guard).
    static const QStringList &LineOrder();

    // The line named `objectName`, made (hidden, empty) on first use in its place of the
    // order. A name outside the order is a fault of ours and raises the catalogue layer's
    // Window error naming it.
    QLabel *line(const QString &objectName);

    // Sets the line's whole text, in red when `warning`; an empty text hides the line.
    // Text is shown as written, never read as markup.
    void setLine(const QString &objectName, const QString &text, bool warning = false);

    // Whether the line's text is too long for the strip and shown elided.
    bool isElided(const QString &objectName) const;

    // Puts `button` (a small bitmap button of a feature) at the strip's right end,
    // vertically centred; the lines keep the width left of it.
    void setTrailingButton(QWidget *button);

private:
    QHBoxLayout *m_row = nullptr;
    QVBoxLayout *m_lines = nullptr;
};
