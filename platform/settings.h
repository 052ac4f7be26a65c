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

// How long a hint stays up, in milliseconds (the brand screen's creation sets it); the
// catalogue window gives it to its controls' tool tips.
extern int HintHidePause;

// `path` unchanged when it ends in the separator, otherwise with one appended; an empty
// path gives the separator alone. (Named after the Windows original; on Linux the
// separator is '/'.)
QString EnsureTrailingBackslash(const QString &path);

// The folder of the running executable, ending in the separator, unless another folder
// was set with OverrideProgramFolder.
QString ProgramFolder();
// Runs the program on the program folder `folder` instead of the executable's (the script
// driver and the tests do); an empty text restores the executable's folder.
void OverrideProgramFolder(const QString &folder);

// TEMP, then TMPDIR, then the user's own temporary folder (platform/own_folders.h): on
// Linux TEMP is normally unset, and where the designed platform gives each user a TEMP of
// their own, the folder shared by all users (/tmp) would let the first user's files stand
// in the way of the next one's.
QString TemporaryFolderFromEnvironment();

// The computer name with blanks, full stops, at signs, hyphens, commas and semicolons
// made underscores; empty when the name cannot be read.
QString MachineTagFrom(const QString &computerName);
QString ComputerName();

// Ends the program: every running event loop returns (a modal window's and the main one)
// and nothing is shown any more on the way out.
void RequestProgramEnd();
bool ProgramEndRequested();
