// Feeds arbitrary text to the note label's markup reader (a note comes from the
// catalogue, so anyone who writes a catalogue writes it): no crash, no hang, no leak.
#include "widgets/note_markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString markup = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    (void)ParseNoteMarkup(markup);
    (void)NotePlainText(markup);
    (void)NoteColor(markup.left(32));
    return 0;
}
