// The information strip: its lines' order whatever order they are made in, hiding, elision
// with the whole text kept for the hint and screen readers, and its place in the window.
#include "catalog/catalog_error.h"
#include "catalog/info_strip/info_strip.h"
#include "tests/catalog/window/main_form_fixture.h"
#include "tests/common/test_support.h"
#include "widgets/bitmap_button.h"
#include "widgets/image_view.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace {

const QString kStock = QStringLiteral("LabelGiacenza");
const QString kReports = QStringLiteral("LabelSegnalazione");
const QString kTechnology = QStringLiteral("LabelTecnologia");
const QString kRegistration = QStringLiteral("LabelRegistrazione");

// The strip on its own, laid out at the size the window gives it.
struct StandaloneStrip {
    InfoStrip strip;
    StandaloneStrip()
    {
        strip.resize(380, 60);
        strip.show();
    }
};

// The visible lines' names from top to bottom.
QStringList shownTopToBottom(InfoStrip &strip)
{
    QList<QLabel *> shown;
    for (const QString &name : InfoStrip::LineOrder()) {
        if (QLabel *line = strip.findChild<QLabel *>(name); line && line->isVisible())
            shown.append(line);
    }
    std::sort(shown.begin(), shown.end(), [](QLabel *a, QLabel *b) { return a->y() < b->y(); });
    QStringList names;
    for (QLabel *line : shown)
        names.append(line->objectName());
    return names;
}

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

} // namespace

TEST(InfoStrip, LinesKeepTheFixedOrderWhateverOrderTheyAreMadeIn)
{
    StandaloneStrip s;
    s.strip.setLine(kRegistration, QStringLiteral("registrazione"));
    s.strip.setLine(kTechnology, QStringLiteral("tecnologia"));
    s.strip.setLine(kStock, QStringLiteral("giacenza"));
    s.strip.setLine(kReports, QStringLiteral("segnalazioni"));
    EXPECT_EQ(shownTopToBottom(s.strip), InfoStrip::LineOrder());

    // A line emptied leaves no gap: the others close up and stay in order, and the line
    // comes back in its own place.
    s.strip.setLine(kReports, QString());
    EXPECT_EQ(shownTopToBottom(s.strip), (QStringList{kStock, kTechnology, kRegistration}));
    s.strip.setLine(kReports, QStringLiteral("di nuovo"));
    EXPECT_EQ(shownTopToBottom(s.strip), InfoStrip::LineOrder());

    // All four at once fit the strip whole, none over another, each as tall as its text.
    int below = 0;
    for (const QString &name : InfoStrip::LineOrder()) {
        const QLabel *line = s.strip.findChild<QLabel *>(name);
        ASSERT_NE(line, nullptr);
        EXPECT_GE(line->y(), below) << name.toStdString();
        EXPECT_LE(line->geometry().bottom(), s.strip.height() - 1) << name.toStdString();
        EXPECT_GE(line->height(), line->fontMetrics().ascent() + line->fontMetrics().descent()) << name.toStdString();
        below = line->geometry().bottom() + 1;
    }
}

TEST(InfoStrip, AnEmptyTextHidesTheLineAndAWarningIsRed)
{
    StandaloneStrip s;
    QLabel *stock = s.strip.line(kStock);
    EXPECT_FALSE(stock->isVisible()) << "a line is made empty and hidden";
    s.strip.setLine(kStock, QStringLiteral("Giacenze non raggiungibili"), true);
    EXPECT_TRUE(stock->isVisible());
    const QColor warning = stock->palette().color(QPalette::WindowText);
    s.strip.setLine(kStock, QStringLiteral("Disponibili: 3"), false);
    EXPECT_NE(stock->palette().color(QPalette::WindowText), warning) << "a plain line after a warning is not red";
    EXPECT_GT(warning.red(), 150);
    EXPECT_LT(warning.green(), 80);
    s.strip.setLine(kStock, QString());
    EXPECT_FALSE(stock->isVisible());
}

TEST(InfoStrip, ALongLineIsElidedItsWholeTextInItsHintAndAccessibleName)
{
    StandaloneStrip s;
    const QString shortText = QStringLiteral("Disponibili: 3 · 89,00 € · Scaffale B4");
    s.strip.setLine(kStock, shortText);
    QLabel *stock = s.strip.line(kStock);
    EXPECT_FALSE(s.strip.isElided(kStock));
    EXPECT_TRUE(stock->toolTip().isEmpty()) << "a line that fits needs no hint";
    EXPECT_EQ(accessibleName(stock), shortText);

    const QString longText = shortText
                             + QStringLiteral(" · Anche in: Filiale Nord (2), Centro (1), Porto (4), "
                                              "Stazione (7) · giacenze del 03/12/2026");
    s.strip.setLine(kStock, longText);
    EXPECT_TRUE(s.strip.isElided(kStock));
    EXPECT_EQ(stock->toolTip(), longText);
    EXPECT_EQ(accessibleName(stock), longText);
    EXPECT_EQ(stock->text(), longText) << "the label keeps its whole text; only its painting is cut";

    // Painted, the line ends in the ellipsis and stays inside the strip.
    QImage picture(stock->size(), QImage::Format_ARGB32);
    picture.fill(Qt::white);
    stock->render(&picture);
    int rightmostInk = -1;
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            if (qGray(picture.pixel(x, y)) < 160)
                rightmostInk = x;
        }
    }
    EXPECT_GT(rightmostInk, picture.width() / 2) << "the elided text still fills the line";
    EXPECT_LE(rightmostInk, picture.width() - 1);

    // Shortened again, the hint goes.
    s.strip.setLine(kStock, shortText);
    EXPECT_TRUE(stock->toolTip().isEmpty());
}

TEST(InfoStrip, ANameOutsideTheOrderIsAFaultNamed)
{
    StandaloneStrip s;
    testsupport::expectThrowCode<catalog::CatalogError>([&] { s.strip.line(QStringLiteral("LabelAltro")); },
                                                        catalog::CatalogErrc::Window, "LabelAltro");
}

TEST_F(CatalogueWindowTest, TheInformationStripLiesInTheHeaderBandOutOfTheTabOrder)
{
    openWindow();
    ASSERT_TRUE(form->StripInfo);
    EXPECT_EQ(form->StripInfo->parentWidget(), form->ImageSfondo);
    const QRect strip = form->StripInfo->geometry();
    // Above the header's rule, clear of the search box and the back and exit buttons.
    EXPECT_LE(strip.bottom(), 71);
    for (QWidget *other : {static_cast<QWidget *>(form->EditTrova), static_cast<QWidget *>(form->VrBitmapButton6),
                           static_cast<QWidget *>(form->VrBitmapButton5)}) {
        const QRect place(other->mapTo(form->ImageSfondo, QPoint(0, 0)), other->size());
        EXPECT_FALSE(strip.intersects(place)) << other->objectName().toStdString();
    }

    form->StripInfo->setLine(kStock, QStringLiteral("Disponibili: 3"));
    QLabel *stock = form->StripInfo->line(kStock);
    EXPECT_TRUE(stock->isVisible());
    EXPECT_EQ(stock->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(form->StripInfo->focusPolicy(), Qt::NoFocus);
}
