// "What's new": the catalogue this computer opened last time is kept beside the provider's
// copies, so that when a different one is opened the changes can be reported once. The
// first catalogue ever opened has no report; an unchanged one has none either. Several
// programs of one user may open the same catalogue at once: the folder is changed by one
// at a time, and each program that offers a report holds second names of the previous
// catalogue's files, so that no other program's opening can take them away.
//
//   <cache>/news/<path key>/lock        held while the folder is read or changed
//   <cache>/news/<path key>/last/       the catalogue opened last (vc_korva.mdb,
//                                       system.mdw) and its content key (key)
//   <cache>/news/<path key>/previous/   the one before it, while a report is due
//   <cache>/news/<path key>/report-N/   one window's second names of previous/'s files,
//                                       while its report is due; its file `held` is
//                                       locked for as long as the window may make it
#pragma once

#include <QString>
#include <memory>

namespace platform::os {
class FileLock;
}

namespace catalog {

class CatalogueNews {
public:
    // The catalogue at `mdb`, with its workgroup file `workgroup`, opened with `password`.
    CatalogueNews(const QString &mdb, const QString &workgroup, const QString &password);
    ~CatalogueNews();
    CatalogueNews(const CatalogueNews &) = delete;
    CatalogueNews &operator=(const CatalogueNews &) = delete;

    // Records that the catalogue is being opened. True when it differs from the one opened
    // last time, so that a report is due; also true, once per program, when it is the one
    // another running program found changed and still offers the report of. False on the
    // first opening, on an unchanged one, and when the files cannot be read or kept
    // (nothing then ever blocks the opening). The catalogue's content key is compared,
    // which the connection opened on it has just found: no catalogue is read whole.
    bool Notice();

    // The changes from the previous catalogue to this one, as catalogue-diff's text. The
    // previous catalogue is removed once the report is made and no other program offers
    // it any more. Raises an exception with a readable message when a catalogue cannot
    // be read.
    QString Report();

    // The folder that holds the kept catalogues of `mdb`.
    static QString FolderFor(const QString &mdb);

private:
    // Takes a report-N folder for this object, with second names of previous/'s files.
    bool HoldReport();
    // Gives the report-N folder up; previous/ goes too once no other program holds one.
    void ReleaseReport();

    QString m_mdb;
    QString m_workgroup;
    QString m_password;
    QString m_folder;
    QString m_report;                               // the report-N folder held, while a report is due
    std::unique_ptr<platform::os::FileLock> m_held; // its lock
};

} // namespace catalog
