// Hostile text (quotes, bars, semicolons, SQL words, control characters, 10,000
// characters) as every value a statement takes: typed into the search fields, or read
// from the grids. Each statement must be the intended one with the value as a literal,
// or be refused before it is sent; the engine must never see a changed statement.
#include "tests/reliability/scratch_program.h"

#include "catalog/catalog_error.h"
#include "catalog/window/statements.h"
#include "data/query_channel.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/query.h"
#include "tests/common/test_support.h"
#include "widgets/data_grid.h"

#include <QLineEdit>
#include <functional>

namespace {

using catalog::SearchFields;
using catalog::SearchGroup;

QStringList hostileValues()
{
    QString controls;
    // NUL is left out: see NulInAValue below.
    for (int c = 1; c < 32; ++c)
        controls += QChar(c);
    controls += QChar(0x7f);
    return {
        QStringLiteral("\""),
        QStringLiteral("\" OR \"\"=\""),
        QStringLiteral("x\" OR 1=1 OR \"y"),
        QStringLiteral("'; DROP TABLE TabTechInfo; --"),
        QStringLiteral("a|b|\"c\"|"),
        QStringLiteral("60; DELETE FROM CP_Veicoli"),
        QStringLiteral("SELECT * FROM CP_Veicoli UNION SELECT CODICE FROM TabTechInfo"),
        QStringLiteral("]. AS x [SELECT 1]."),
        QStringLiteral("%1 %2 %3 \\\" \\'"),
        QStringLiteral("[CODICE] & \" & \""),
        controls,
        QStringLiteral("\"\r\n\"\t;|"),
        QString(10000, QLatin1Char('"')),
        QString(10000, QLatin1Char('A')),
        QStringLiteral("é ü ß € ÿ"),
    };
}

// A value no catalogue holds, to build the intended statement around.
const QString kSentinel = QStringLiteral("QqSentinelQq");

// The statement built with `value` must be the one built with the sentinel, the
// sentinel's literal replaced by the value's.
void expectValueIsLiteral(const std::function<QString(const QString &)> &make, const QString &value)
{
    QString intended = make(kSentinel);
    ASSERT_GE(intended.count(catalog::textLiteral(kSentinel)), 1);
    intended.replace(catalog::textLiteral(kSentinel), catalog::textLiteral(value));
    EXPECT_EQ(make(value), intended);
}

} // namespace

// Every statement function with a text value, each value put in, and the statement run
// on the demo catalogue: the engine accepts it and nothing matches.
TEST(HostileInput, StatementsKeepEveryTextValueALiteral)
{
    db::Connection connection;
    ASSERT_NO_THROW(OpenDemoCatalogue(connection));

    const std::vector<std::pair<const char *, std::function<QString(const QString &)>>> makers = {
        {"makes for battery", [](const QString &v) { return catalog::makeListForBatteryStatement(v); }},
        {"models", [](const QString &v) { return catalog::modelListStatement(v); }},
        {"models for battery (make)", [](const QString &v) { return catalog::modelListForBatteryStatement(v, "X"); }},
        {"models for battery (code)", [](const QString &v) { return catalog::modelListForBatteryStatement("1", v); }},
        {"versions (make)", [](const QString &v) { return catalog::versionListStatement(v, "M"); }},
        {"versions (model)", [](const QString &v) { return catalog::versionListStatement("1", v); }},
        {"versions for battery (model)",
         [](const QString &v) { return catalog::versionListForBatteryStatement("1", v, "X"); }},
        {"versions for battery (code)",
         [](const QString &v) { return catalog::versionListForBatteryStatement("1", "M", v); }},
        {"batteries (price list)", [](const QString &v) { return catalog::batteryListStatement(v, "1"); }},
        {"old code", [](const QString &v) { return catalog::oldCodeStatement(v, "L"); }},
        {"old code (price list)", [](const QString &v) { return catalog::oldCodeStatement("A", v); }},
    };
    // The text fields of the searches, one at a time, and the price list.
    const std::vector<std::pair<SearchGroup, QString SearchFields::*>> textFields = {
        {SearchGroup::RangeAndCode, &SearchFields::gamma},   {SearchGroup::RangeAndCode, &SearchFields::codice},
        {SearchGroup::Ratings, &SearchFields::polarita},     {SearchGroup::Dimensions, &SearchFields::lunghezza},
        {SearchGroup::Dimensions, &SearchFields::larghezza}, {SearchGroup::Dimensions, &SearchFields::altezza},
        {SearchGroup::Dimensions, &SearchFields::attacchi},  {SearchGroup::Container, &SearchFields::monoblocco},
    };
    std::vector<std::pair<std::string, std::function<QString(const QString &)>>> all;
    for (const auto &[name, make] : makers)
        all.emplace_back(name, make);
    for (size_t i = 0; i < textFields.size(); ++i) {
        const auto [group, member] = textFields[i];
        all.emplace_back("search field " + std::to_string(i), [group, member](const QString &v) {
            SearchFields fields;
            fields.*member = v;
            return catalog::batterySearchStatement("L", group, fields);
        });
        all.emplace_back("search price list " + std::to_string(i), [group, member](const QString &v) {
            SearchFields fields;
            fields.*member = "X";
            return catalog::batterySearchStatement(v, group, fields);
        });
    }

    for (const QString &value : hostileValues()) {
        for (const auto &[name, make] : all) {
            SCOPED_TRACE(name + " with " + value.left(40).toStdString());
            expectValueIsLiteral(make, value);
            db::Query query(connection);
            query.AddSQL(make(value));
            try {
                query.Open();
                EXPECT_EQ(query.RecordCount(), 0) << "a hostile value matched rows";
            } catch (const db::DbError &e) {
                ADD_FAILURE() << "the engine refused the statement: " << e.what();
            }
        }
    }
}

// Values that must stand bare are refused before anything is sent.
TEST(HostileInput, BareValuesThatAreNoNumbersAreRefused)
{
    for (const QString &value : hostileValues()) {
        SCOPED_TRACE(value.left(40).toStdString());
        EXPECT_THROW(catalog::batteryListStatement("L", value), catalog::CatalogError);
        for (QString SearchFields::*member : {&SearchFields::capacita, &SearchFields::scarica}) {
            SearchFields fields;
            fields.*member = value;
            EXPECT_THROW(catalog::batterySearchStatement("L", SearchGroup::Ratings, fields), catalog::CatalogError);
        }
    }
}

class HostileWindow : public ScratchProgramTest {
protected:
    void clearFields()
    {
        for (QLineEdit *edit :
             {form->EditGamma, form->EditCodice, form->EditCapacita, form->EditScarica, form->EditPolarita,
              form->EditLunghezza, form->EditLarghezza, form->EditAltezza, form->EditAttacchi, form->EditMonoblocco})
            edit->clear();
    }
    // No statement the window sent was rejected by the engine.
    void expectNoEngineError()
    {
        EXPECT_EQ(count(QStringLiteral("box"), QStringLiteral("La query ha generato un errore")), 0)
            << allTexts().toStdString();
        EXPECT_EQ(count(QStringLiteral("message")), 0) << allTexts().toStdString();
    }
};

// Typed into each search field and searched with its button: text fields find nothing
// and the engine never complains; the number fields are refused with the notice.
TEST_F(HostileWindow, TypedIntoEverySearchField)
{
    openWindow();
    struct Field {
        QLineEdit *edit;
        BitmapButton *button;
        void (Tfrm_main::*click)(QObject *);
        bool bare;
    };
    const std::vector<Field> fields = {
        {form->EditGamma, form->VrBitmapButton1, &Tfrm_main::VrBitmapButton1Click, false},
        {form->EditCodice, form->VrBitmapButton1, &Tfrm_main::VrBitmapButton1Click, false},
        {form->EditCapacita, form->VrBitmapButton2, &Tfrm_main::VrBitmapButton2Click, true},
        {form->EditScarica, form->VrBitmapButton2, &Tfrm_main::VrBitmapButton2Click, true},
        {form->EditPolarita, form->VrBitmapButton2, &Tfrm_main::VrBitmapButton2Click, false},
        {form->EditLunghezza, form->VrBitmapButton3, &Tfrm_main::VrBitmapButton3Click, false},
        {form->EditLarghezza, form->VrBitmapButton3, &Tfrm_main::VrBitmapButton3Click, false},
        {form->EditAltezza, form->VrBitmapButton3, &Tfrm_main::VrBitmapButton3Click, false},
        {form->EditAttacchi, form->VrBitmapButton3, &Tfrm_main::VrBitmapButton3Click, false},
        {form->EditMonoblocco, form->VrBitmapButton4, &Tfrm_main::VrBitmapButton4Click, false},
    };
    for (const Field &f : fields) {
        for (const QString &value : hostileValues()) {
            SCOPED_TRACE((f.edit->objectName() + " = " + value.left(40)).toStdString());
            clearFields();
            f.edit->setText(value);
            const QString typed = f.edit->text(); // as the field keeps it
            rec.clear();
            guarded([&] { (form.get()->*f.click)(f.button); });
            if (f.bare) {
                EXPECT_EQ(count(QStringLiteral("box"), QStringLiteral("non è un numero")), 1)
                    << allTexts().toStdString();
                EXPECT_EQ(count(QStringLiteral("box"), QStringLiteral("La query ha generato un errore")), 0)
                    << allTexts().toStdString();
            } else {
                expectNoEngineError();
                EXPECT_EQ(count(QStringLiteral("error")), 0) << allTexts().toStdString();
                EXPECT_TRUE(form->GridOutput->Cells(3, 1).isEmpty()) << "a hostile value found batteries";
                if (f.edit == form->EditCodice) {
                    EXPECT_EQ(DM->ADOQuery1.SQLText(),
                              NormalizeSql(catalog::oldCodeStatement(typed, form->SelectedPriceList())));
                }
            }
        }
    }
}

// Read from a grid: the model name, the battery code (applications mode) and the price
// list go into statements as literals; the make and vehicle keys must be numbers.
TEST_F(HostileWindow, ReadFromEveryGrid)
{
    openWindow();
    for (const QString &value : hostileValues()) {
        SCOPED_TRACE(value.left(40).toStdString());
        rec.clear();
        // The model's name, as the version list reads it.
        form->gridModello->setCells(1, 1, value);
        guarded([&] { form->gridModelloClickCell(form->gridModello, 1, 1); });
        expectNoEngineError();
        EXPECT_EQ(DM->ADOQuery_Grid.SQLText().count(catalog::textLiteral(value)), value.isEmpty() ? 0 : 1);
        EXPECT_TRUE(form->gridVersione->Cells(1, 1).isEmpty());

        // The vehicle key of the version grid, as the battery list reads it: refused.
        rec.clear();
        form->gridVersione->setCells(0, 1, value);
        const QString sentBefore = DM->ADOQuery_Grid.SQLText();
        EXPECT_FALSE(guarded([&] { form->gridVersioneClickCell(form->gridVersione, 1, 1); }));
        EXPECT_EQ(DM->ADOQuery_Grid.SQLText(), sentBefore) << "a refused statement was sent";
        EXPECT_EQ(count(QStringLiteral("error")), 1) << allTexts().toStdString();

        // The make key of the make grid, as the model list reads it.
        rec.clear();
        form->gridMarca->setCells(1, 1, value);
        guarded([&] { form->gridMarcaClickCell(form->gridMarca, 1, 2); });
        EXPECT_EQ(count(QStringLiteral("box"), QStringLiteral("La query ha generato un errore")), 0)
            << allTexts().toStdString();

        // The battery code of the battery grid in applications mode, as the make list
        // reads it.
        rec.clear();
        form->CheckBoxApplicazioni->setChecked(true);
        form->GridOutput->setCells(3, 1, value);
        form->GridOutput->setCurrentRow(1);
        guarded([&] { form->GridOutputClickCell(form->GridOutput, 1, 3); });
        expectNoEngineError();
        EXPECT_TRUE(form->gridMarca->Cells(2, 1).isEmpty()) << "a hostile code fits vehicles";
        form->CheckBoxApplicazioni->setChecked(false);
        openWindow();
    }
}

// SQLite ends a statement at a NUL character even inside a literal: a value holding one
// must still reach the engine whole, as a literal, and find nothing.
TEST(HostileInput, NulInAValueIsSearchedForAsTyped)
{
    const QString statement = catalog::modelListStatement(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    db::Connection connection;
    OpenDemoCatalogue(connection);
    db::Query query(connection);
    query.AddSQL(statement);
    query.Open();
    EXPECT_EQ(query.RecordCount(), 0);
}
