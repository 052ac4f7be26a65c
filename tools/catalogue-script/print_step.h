// The script's `print FILE.pdf`: the battery sheet the print preview would show, written
// straight to a PDF file without any dialog.
#pragma once

#include <QString>

// Saves the sheet of the battery the catalogue window shows at `file`, as the preview's
// "Salva PDF…" does; a failure is a message of the program (recorded for the next dump),
// not a failure of the script. Throws ScriptError when no catalogue window is on screen.
void PrintSheet(const QString &file);
