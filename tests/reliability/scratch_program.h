// A scratch copy of the built program folder (pictures, photos and the demo catalogue)
// that a test may damage at will, with the program's settings pointed at it, messages
// recorded and the data module and export form in place, as the start-up leaves them.
#pragma once

#include "catalog/window/main_form.h"
#include "data/data_module.h"
#include "data/desk_form.h"
#include "platform/messages.h"
#include "widgets/bitmap_button.h"

#include <QCheckBox>
#include <QLineEdit>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace db {
class Connection;
}

// Copies the folder `from` with everything under it to `to`, files writable by us.
void CopyProgramFolder(const QString &from, const QString &to);
// Opens `connection` on the built program folder's demo catalogue with its password.
void OpenDemoCatalogue(db::Connection &connection);

class ScratchProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The scratch program folder, ending in '/'; `relative` under it.
    QString path(const QString &relative = QString()) const;
    // Files under `sub` of the installed program folder (e.g. "img"), relative names.
    QStringList installedFiles(const QString &sub) const;
    QByteArray readBytes(const QString &relative) const;
    void writeBytes(const QString &relative, const QByteArray &bytes) const;
    // The installed file put back as the build made it.
    void restore(const QString &relative) const;
    // The file cut to half its length: the usual damage of a broken copy.
    void truncateToHalf(const QString &relative) const;

    // A new catalogue window (its creation runs), shown with `brand`: the make list and
    // the cascade down to the first battery. The previous window is closed first.
    void openWindow(const QString &brand = QStringLiteral("KORVA"));
    // The handler as Qt would call it: an exception goes to the general error report.
    template <class F>
    bool guarded(F &&f);

    // Messages of `kind` ("message", "box", "error") whose text holds `part`.
    int count(const QString &kind, const QString &part = QString()) const;
    QString allTexts() const;
    // Whether the drill-down still works: the first make is clicked and models,
    // versions and batteries are listed, with no message.
    void expectDrillDownWorks();

    QTemporaryDir dir;
    QTemporaryDir temp;
    ScopedRecordingMessages rec;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<Tfrm_desk> desk;
    std::unique_ptr<Tfrm_main> form;
};

#include "platform/error_guard.h"

template <class F>
bool ScratchProgramTest::guarded(F &&f)
{
    return Guarded(std::forward<F>(f));
}
