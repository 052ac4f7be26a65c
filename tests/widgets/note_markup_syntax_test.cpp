// What the catalogue check reports of a note: exactly what keeps the note label from
// showing it as written, and nothing for notes the label reads as meant.
#include "widgets/markup/note_markup_syntax.h"
#include "widgets/note_markup.h"

#include <gtest/gtest.h>

namespace {

TEST(NoteMarkupSyntaxTest, Faults)
{
    const struct {
        const char *name;
        const char *markup;
        QStringList faults;
    } cases[] = {
        {"plain text", "Per veicoli con Start&Stop.", {}},
        {"closed tags any case", "<b>Attenzione:</B> <font color=clred>rosso</FONT><BR>riga", {}},
        {"stand-alone tags", "<P ALIGN=center>a<HR><IMG SRC=x.bmp>", {}},
        {"comparison is text", "altezza < 190 mm", {}},
        {"entity, not a tag", "&lt;B&gt; resta testo", {}},
        {"inner tag closed by outer", "<B><I>x</B>", {}},
        {"unclosed", "<B>Nuovo formato", {"unclosed tag <B>"}},
        {"unclosed inside closed", "<I><U>x</I>y<B>z", {"unclosed tag <B>"}},
        {"unknown", "<BLINK>x</BLINK>", {"unknown tag <BLINK>", "unknown tag </BLINK>"}},
        {"tag without its end", "testo <B", {"a tag without its closing '>'"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NoteMarkupFaults(QString::fromUtf8(c.markup)), c.faults) << c.name;
}

// The label reads the scanner's tokens: a stray '<' stays visible text.
TEST(NoteMarkupSyntaxTest, StrayOpenIsShownAsText)
{
    EXPECT_EQ(NotePlainText(QStringLiteral("a <B b")), QStringLiteral("a <B b"));
    EXPECT_EQ(NotePlainText(QStringLiteral("<B>x</B> &lt;y&gt;")), QStringLiteral("x <y>"));
}

} // namespace
