// The link label's states and outline, and the note label's markup.
#include "widgets/fonts.h"
#include "widgets/hyperlink_label.h"
#include "widgets/note_label.h"
#include "widgets/note_markup.h"

#include "tests/widgets/widget_events.h"

#include <QEnterEvent>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

int countColour(const QImage &img, QRgb c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == c;
    return n;
}

QFont unsmoothed(int px, bool bold = false)
{
    QFont f = ProgramFont(px, bold);
    f.setStyleStrategy(QFont::NoAntialias); // exact colours to count
    return f;
}

TEST(HyperlinkLabel, FontAndColourFollowTheMouse)
{
    HyperlinkLabel l;
    l.resize(60, 20);
    l.setCaption(QStringLiteral("Chiudi"));
    l.setTextOutline({false, Qt::black, 1});
    l.setColorLeave(QColor(0, 0, 255));
    l.setColorEnter(QColor(0, 255, 0));
    QFont under = unsmoothed(11);
    under.setUnderline(true);
    l.setFontLeave({unsmoothed(11), QColor(192, 192, 192)});
    l.setFontEnter({under, QColor(128, 128, 128)});
    QImage out = renderWidget(l);
    EXPECT_GT(countColour(out, qRgb(192, 192, 192)), 10);
    EXPECT_EQ(out.pixel(0, 0), qRgb(0, 0, 255));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&l, &enter);
    ASSERT_TRUE(l.MouseOver());
    out = renderWidget(l);
    EXPECT_EQ(countColour(out, qRgb(192, 192, 192)), 0);
    EXPECT_GT(countColour(out, qRgb(128, 128, 128)), 10);
    EXPECT_EQ(out.pixel(0, 0), qRgb(0, 255, 0));
    l.setEnabled(false); // a disabled label keeps the leave look
    out = renderWidget(l);
    EXPECT_EQ(out.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(HyperlinkLabel, TransparentLeavesTheParentAndOutlineSurroundsLetters)
{
    HyperlinkLabel l;
    l.resize(60, 20);
    l.setCaption(QStringLiteral("Chiudi"));
    l.setTransparent(true);
    l.setFontLeave({unsmoothed(11, true), QColor(255, 255, 255)});
    l.setTextOutline({true, QColor(0, 0, 128), 1});
    const QImage out = renderWidget(l);
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 0, 255)); // what was under it
    EXPECT_GT(countColour(out, qRgb(0, 0, 128)), countColour(out, qRgb(255, 255, 255)) / 2);
}

TEST(HyperlinkLabel, ClickAnywhere)
{
    HyperlinkLabel l;
    l.resize(37, 15);
    int clicks = 0;
    QObject::connect(&l, &HyperlinkLabel::clicked, [&] { ++clicks; });
    press(l, {30, 12});
    release(l, {30, 12});
    press(l, {3, 3});
    release(l, {50, 3}); // released outside
    EXPECT_EQ(clicks, 1);
}

struct MarkupCase {
    const char *name;
    const char *markup;
    const char *plain;
};

TEST(NoteMarkup, TextAroundTags)
{
    const MarkupCase cases[] = {
        {"plain text unchanged", "Non  adatta a start&stop", "Non  adatta a start&stop"},
        {"known tags in any case", "<b>Forte</B> <i>e</i> <FoNt color=\"clred\">rossa</font>", "Forte e rossa"},
        {"unknown tags dropped", "prima<BLINK>in mezzo</BLINK><xyz a=1>dopo", "primain mezzodopo"},
        {"entities", "&lt;12V&gt; &amp; 5&euro; &copy;&trade;", "<12V> & 5\u20ac \u00a9\u2122"},
        {"unknown entity kept", "a &bogus; b", "a &bogus; b"},
        {"hidden text", "vedi<Z>segreto</Z> nota", "vedi nota"},
        {"lone angle bracket", "capacit\u00e0 < 40 Ah", "capacit\u00e0 < 40 Ah"},
        {"unclosed tag is text", "a <b", "a <b"},
        {"breaks end lines once", "<P>uno<BR>due<P><HR>tre<IMG src=\"x.bmp\">quattro<BR>", "uno\ndue\ntrequattro\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NotePlainText(QString::fromUtf8(c.markup)), QString::fromUtf8(c.plain)) << c.name;
}

TEST(NoteMarkup, StylesAndStructure)
{
    const auto pieces =
        ParseNoteMarkup(QStringLiteral("<P align=\"center\" indent=4>x<B>y<U>z</B>w</P><BR><HR><IMG src=\"a.bmp\" "
                                       "width=\"15\" height=\"9\"><A href=x>l</A>"
                                       "<SUP>2</SUP><font face=\"Arial\" size=\"14\" bgcolor=\"clyellow\">f</font>"));
    ASSERT_GE(pieces.size(), 10u);
    EXPECT_EQ(pieces[0].kind, NotePiece::Paragraph);
    EXPECT_EQ(pieces[0].align, Qt::AlignHCenter);
    EXPECT_EQ(pieces[0].indent, 4);
    EXPECT_EQ(pieces[1].text, QStringLiteral("x"));
    EXPECT_TRUE(pieces[2].style.bold);
    EXPECT_TRUE(pieces[3].style.bold && pieces[3].style.underline);
    EXPECT_FALSE(pieces[4].style.bold || pieces[4].style.underline); // </B> closed the U inside it
    EXPECT_EQ(pieces[5].kind, NotePiece::Paragraph);
    EXPECT_EQ(pieces[6].kind, NotePiece::LineBreak);
    EXPECT_EQ(pieces[7].kind, NotePiece::Rule);
    EXPECT_EQ(pieces[8].kind, NotePiece::Image);
    EXPECT_EQ(pieces[8].src, QStringLiteral("a.bmp"));
    EXPECT_EQ(pieces[8].width, 15);
    EXPECT_TRUE(pieces[9].style.link);
    EXPECT_TRUE(pieces[10].style.sup);
    EXPECT_EQ(pieces[11].style.face, QStringLiteral("Arial"));
    EXPECT_EQ(pieces[11].style.pointSize, 14);
    EXPECT_EQ(pieces[11].style.background, QColor(255, 255, 0));
}

TEST(NoteMarkup, ColourNames)
{
    EXPECT_EQ(NoteColor(QStringLiteral("clred")), QColor(255, 0, 0));
    EXPECT_EQ(NoteColor(QStringLiteral("clWindow")), QColor(255, 255, 255));
    EXPECT_EQ(NoteColor(QStringLiteral("#102030")), QColor(16, 32, 48));
    EXPECT_FALSE(NoteColor(QStringLiteral("rosso")).isValid());
}

NoteLabel *note(const QString &markup, QSize size = {271, 48})
{
    auto *l = new NoteLabel;
    l->resize(size);
    l->setLabelFont({unsmoothed(11, true), QColor(255, 0, 0)});
    l->setHTMLText({markup});
    return l;
}

TEST(NoteLabel, UnknownTagsDrawLikeTheirAbsence)
{
    std::unique_ptr<NoteLabel> a(note(QStringLiteral("Sostituisce KS044<FOO bar=1> dal 2020</FOO>")));
    std::unique_ptr<NoteLabel> b(note(QStringLiteral("Sostituisce KS044 dal 2020")));
    const QImage ia = renderWidget(*a, Qt::white), ib = renderWidget(*b, Qt::white);
    EXPECT_EQ(ia, ib);
    EXPECT_GT(countColour(ia, qRgb(255, 0, 0)), 50);
}

TEST(NoteLabel, LinesJoinWrapAndCutAtTheBottom)
{
    NoteLabel l;
    l.resize(80, 30);
    l.setLabelFont({unsmoothed(11), QColor(0, 0, 0)});
    l.setHTMLText({QStringLiteral("uno due "), QStringLiteral("tre quattro cinque sei sette otto nove dieci")});
    EXPECT_EQ(l.Markup(), QStringLiteral("uno due tre quattro cinque sei sette otto nove dieci"));
    const QImage out = renderWidget(l, Qt::white);
    // Wrapped onto the second line, and nothing beyond the label's area.
    int lowRows = 0;
    for (int y = 15; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            lowRows += out.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_GT(lowRows, 10);
    l.setHTMLText({QStringLiteral("<font color=\"clblue\">blu</font> <a href=\"x\">link</a>")});
    l.setURLColor(QColor(0, 128, 0));
    const QImage coloured = renderWidget(l, Qt::white);
    EXPECT_GT(countColour(coloured, qRgb(0, 0, 255)), 5);
    EXPECT_GT(countColour(coloured, qRgb(0, 128, 0)), 5);
}

} // namespace
