// The process-wide settings every layer reads (program folder, TEMP folder, machine tag,
// chosen brand) and the small functions that compute them from the system.
#pragma once

#include <QString>

// The application title: caption of the plain messages and of the general error report.
inline constexpr const char *kApplicationTitle = "DazozIzizavuv Korva";

// Written by the catalogue window's creation (and the brand clicks for SelectedBrand),
// read freely everywhere else. Folders always end in the platform's separator.
extern QString AppDir;
extern QString TempDir;
extern QString MachineTag;
extern QString SelectedBrand;

// `path` unchanged when it ends in the separator, otherwise with one appended; an empty
// path gives the separator alone. (Named after the Windows original; on Linux the
// separator is '/'.)
QString EnsureTrailingBackslash(const QString &path);

// The folder of the running executable, ending in the separator.
QString ProgramFolder();

// TEMP, then TMPDIR, then /tmp: on Linux TEMP is normally unset and the root folder the
// Windows original fell back to is not writable.
QString TemporaryFolderFromEnvironment();

// The computer name with blanks, full stops, at signs, hyphens, commas and semicolons
// made underscores; empty when the name cannot be read.
QString MachineTagFrom(const QString &computerName);
QString ComputerName();
