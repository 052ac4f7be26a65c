// The system's default paper, as the desktop's printing tools read it.
#pragma once

#include <QString>

// The paper name set for the system, lower case ("a4", "letter", ...): the PAPERSIZE
// variable, else the first word of the file PAPERCONF names, else of /etc/papersize
// (lines starting with # are skipped). Empty when none of them says.
QString SystemPaperName();
