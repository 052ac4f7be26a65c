// "What's new": the catalogue this computer opened last time is kept beside the provider's
// copies, so that when a different one is opened the changes can be reported once. The
// first catalogue ever opened has no report; an unchanged one has none either.
//
//   <cache>/news/<path key>/last/      the catalogue opened last (vc_korva.mdb, system.mdw)
//   <cache>/news/<path key>/previous/  the one before it, only while a report is due
#pragma once

#include <QString>

namespace catalog {

class CatalogueNews {
public:
    // The catalogue at `mdb`, with its workgroup file `workgroup`, opened with `password`.
    CatalogueNews(const QString &mdb, const QString &workgroup, const QString &password);

    // Records that the catalogue is being opened. True when it differs from the one opened
    // last time, so that a report is due; false on the first opening, on an unchanged one,
    // and when the files cannot be read or kept (nothing then ever blocks the opening).
    bool Notice();

    // The changes from the previous catalogue to this one, as catalogue-diff's text. The
    // previous catalogue is removed once the report is made. Raises an exception with a
    // readable message when a catalogue cannot be read.
    QString Report();

    // The folder that holds the kept catalogues of `mdb`.
    static QString FolderFor(const QString &mdb);

private:
    QString m_mdb;
    QString m_workgroup;
    QString m_password;
    QString m_folder;
};

} // namespace catalog
