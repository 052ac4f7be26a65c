// A catalogue window on a scratch program folder: the small fixture catalogue in db/, a
// skin and a marker in img/, and photos in foto/ whose sizes tell them apart. Messages
// are recorded; the window is real and shown offscreen.
#pragma once

#include "catalog/window/main_form.h"
#include "data/data_module.h"
#include "data/desk_form.h"
#include "platform/messages.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// Photo sizes as written into foto/: each photo a size of its own.
inline const QSize kSkinSize(1021, 767);
inline const QSize kKorvaStartSize(120, 80); // written as korva_start.jpg.jpg (lower case)
inline const QSize kFenuEcoSize(100, 60);
inline const QSize kPlaceholderSize(50, 40); // vuoto.JPG
// quib_classic.jpg.JPG holds bytes that are no JPEG; the other photos do not exist.

class ProgramFolder {
public:
    ProgramFolder();
    QString path() const; // ending in '/'
    void writePicture(const QString &relative, QSize size, QColor colour) const;
    void writeBytes(const QString &relative, const QByteArray &bytes) const;
    void remove(const QString &relative) const;

private:
    QTemporaryDir m_dir;
};

class CatalogueWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window (its creation steps run) and shows it with `brand`.
    void openWindow(const QString &brand = QStringLiteral("KORVA"));
    // Row of `grid` whose column `col` holds `text`, or -1.
    static int rowOf(const DataGrid *grid, int col, const QString &text);
    // Column `col` of rows 1.. of `grid`.
    static QStringList column(const DataGrid *grid, int col);
    // Saves the window's picture as test-pictures/catalogue-window-<name>.png in the build
    // folder (CATALOG_BINDIR, else the working folder).
    void screenshot(const QString &name);
    QSize photoSize() const;
    int errorCount() const;

    ProgramFolder folder;
    QTemporaryDir temp;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<Tfrm_desk> desk;
    ScopedRecordingMessages rec;
    std::unique_ptr<Tfrm_main> form;
};
