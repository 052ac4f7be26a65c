// A scratch program folder holding a copy of a catalogue (db/vc_korva.mdb and
// db/system.mdw), so tests can point AppDir at it and damage or remove files freely.
#pragma once

#include <QString>
#include <QTemporaryDir>

class CatalogueCopy {
public:
    // Copies the catalogue folder `sourceDir` (holding vc_korva.mdb and system.mdw).
    explicit CatalogueCopy(const QString &sourceDir);
    // The program folder, ending in '/'.
    QString appDir() const;
    QString mdbPath() const;
    QString mdwPath() const;

private:
    QTemporaryDir m_dir;
};
