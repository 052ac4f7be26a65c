// A catalogue window on the demo catalogue of the built program folder, with its pictures;
// messages are recorded. For the searches and applications mode, whose cases the demo
// catalogue keeps at known codes (see tools/catalogue-demo/fixed_cases.cpp).
#pragma once

#include "catalog/window/main_form.h"
#include "data/data_module.h"
#include "data/desk_form.h"
#include "platform/messages.h"

#include <QColor>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>
#include <memory>

inline const QColor kHighlight(239, 253, 189);
inline const QColor kWhite(255, 255, 255);

class DemoWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Creates and shows the window with `brand` on `programFolder` (ending in '/'; the
    // built program folder when empty).
    void openWindow(const QString &brand = QStringLiteral("KORVA"), const QString &programFolder = {});

    // Column `col` of rows 1.. of `grid`.
    static QStringList column(const DataGrid *grid, int col);
    static int rowOf(const DataGrid *grid, int col, const QString &text);
    static QColor fieldColour(const QLineEdit *field);
    // The ten search fields, in the searches' order, and their texts.
    std::array<QLineEdit *, 10> fields() const;
    QStringList fieldTexts() const;
    // Every cell of the battery grid, row by row.
    QStringList batteryCells() const;
    // Types `text` into the field as the user does (the field's text replaced).
    static void type(QLineEdit *field, const QString &text) { field->setText(text); }
    // Empties the ten fields, as a user would before typing a search.
    void clearFields();
    // Messages shown of `kind` ("message", "box", "error").
    QStringList shownTexts(const char *kind) const;

    std::unique_ptr<TDM> dm;
    std::unique_ptr<Tfrm_desk> desk;
    ScopedRecordingMessages rec;
    std::unique_ptr<Tfrm_main> form;

private:
    static QTemporaryDir *s_temp; // shared TEMP: the provider's copy of the catalogue is reused
};

// A program folder of its own beside the built one: the same pictures, with `leftOut`
// missing from img/, and the demo catalogue built again with `extraBatteryRows` (CSV
// lines of TabTechInfo) added, or the built catalogue when there are none. path() is
// empty when the folder could not be made (a failure has been added to the test).
class DemoProgramFolder {
public:
    explicit DemoProgramFolder(const QStringList &extraBatteryRows, const QStringList &leftOut = {});
    QString path() const { return m_ok ? m_dir.path() + QLatin1Char('/') : QString(); }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};
