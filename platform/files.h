// File look-ups shared by the screens: picture names from the catalogue are matched
// without regard to case when the exact name is missing (catalogues made on Windows,
// installed on a case-sensitive file system).
#pragma once

#include <QString>

// `path` when that file exists; otherwise the first entry of its folder whose name equals
// the file name ignoring letter case; otherwise `path` unchanged.
QString ResolveFileName(const QString &path);

// Whether a file exists at `path` (exactly or ignoring case as above).
bool FileExistsAnyCase(const QString &path);

// The battery photo a catalogue names `name`: <folder>/<name>.JPG (the program adds the
// extension), found as ResolveFileName finds files; empty when there is no such file.
// `folder` ends in the separator.
QString PhotoFile(const QString &folder, const QString &name);
