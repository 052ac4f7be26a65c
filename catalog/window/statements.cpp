// The catalogue window's SQL texts. Fixed parts are kept character for character as the
// screens send them (double blanks and trailing blanks included, and the names in the
// letter case each text gives them, which is not always the schema's); only the places
// where values go in are ours, and the columns those name are spelled by schema.h.
#include "catalog/window/statements.h"

#include "catalog/catalog_error.h"
#include "report/schema.h"

namespace catalog {

namespace {

QString notANumberMessage(const QString &field, const QString &value)
{
    return QStringLiteral("Il valore \"%2\" di %1 non è un numero: sono ammessi un segno, "
                          "cifre e al più un separatore decimale (. o ,).")
        .arg(field, value);
}

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The fixed select list of every battery search, ending with one blank.
const char *const kSearchSelect =
    R"(SELECT DISTINCT TabTechInfo.LISTINO, " " AS Espr1, TabTechInfo.GAMMA, TabTechInfo.CODICE,  )"
    R"(TabTechInfo.CAPACITA, TabTechInfo.SCARICA, TabTechInfo.POLO_POSITIVO, TabTechInfo.LUNGHEZZA, )"
    R"(TabTechInfo.LARGHEZZA,  TabTechInfo.ALTEZZA, TabTechInfo.ATTACCHI_BASE, TabTechInfo.MONOBLOCCO, )"
    R"(TabTechInfo.FOTO, TabTechInfo.NOTE, TabTechInfo.ORDINE  FROM TabTechInfo )";

void appendQuoted(QString &sql, const char *column, const QString &value)
{
    if (!value.isEmpty())
        sql += QStringLiteral(" AND %1 = %2 ").arg(QLatin1String(column), textLiteral(value));
}

void appendBare(QString &sql, const char *column, const QString &value)
{
    if (!value.isEmpty())
        sql += QStringLiteral(" AND %1 = %2 ").arg(QLatin1String(column), numberLiteral(QLatin1String(column), value));
}

} // namespace

QString textLiteral(const QString &value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

std::optional<QString> bareNumber(const QString &value)
{
    // Parsed by hand rather than with QString::toDouble so that exactly the written form
    // is accepted (no exponent, no blanks, no locale) and the digits go out unchanged.
    qsizetype i = 0;
    QString sign;
    if (i < value.size() && (value[i] == QLatin1Char('+') || value[i] == QLatin1Char('-'))) {
        if (value[i] == QLatin1Char('-'))
            sign = QStringLiteral("-");
        ++i;
    }
    QString whole;
    QString fraction;
    bool separatorSeen = false;
    for (; i < value.size(); ++i) {
        const QChar c = value[i];
        if (isAsciiDigit(c)) {
            (separatorSeen ? fraction : whole) += c;
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !separatorSeen) {
            separatorSeen = true;
        } else {
            return std::nullopt;
        }
    }
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    // "5." and ".5" are written "5" and "0.5", which every SQL reader takes as numbers.
    QString number = sign + (whole.isEmpty() ? QStringLiteral("0") : whole);
    if (!fraction.isEmpty())
        number += QLatin1Char('.') + fraction;
    return number;
}

QString numberLiteral(const QString &field, const QString &value)
{
    const std::optional<QString> number = bareNumber(value);
    if (!number)
        raiseCatalogError(CatalogErrc::NotANumber, notANumberMessage(field, value));
    return *number;
}

QString priceListStatement()
{
    // "and": a price list must be both non-null and non-blank to be listed.
    return QStringLiteral(
        R"(select distinct Listino from TabTechInfo WHERE not Listino is null and trim(Listino) <> "" ORDER BY Listino )");
}

QString makeListStatement()
{
    return QStringLiteral("SELECT DISTINCT '', idMarca, Marca FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master "
                          "ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo ORDER BY Marca");
}

QString makeListLeavingModeStatement()
{
    return QStringLiteral(
        R"(SELECT DISTINCT "", idMarca, Marca FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master )"
        R"(ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo ORDER BY Marca)");
}

QString makeListForBatteryStatement(const QString &batteryCode)
{
    return QStringLiteral(
               R"(SELECT DISTINCT "" AS Espr1, CP_Veicoli.idMarca, CP_Veicoli.marca  FROM )"
               R"((CP_Veicoli_Rel_Korva_Master INNER JOIN CP_Veicoli ON CP_Veicoli_Rel_Korva_Master.idVeicolo = CP_Veicoli.idVeicolo)  )"
               R"(INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr  )"
               R"(WHERE (((TabDistintaBatterie.codice)=%1))  ORDER BY CP_Veicoli.marca; )")
        .arg(textLiteral(batteryCode));
}

QString modelListStatement(const QString &makeKey)
{
    return QStringLiteral(
               R"(SELECT DISTINCT "", Modello FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master )"
               R"(ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo WHERE idMarca = %1 ORDER BY Modello)")
        .arg(textLiteral(makeKey));
}

QString modelListForBatteryStatement(const QString &makeKey, const QString &batteryCode)
{
    return QStringLiteral(
               R"(SELECT DISTINCT "" AS Espr1, CP_Veicoli.Modello  FROM )"
               R"((CP_Veicoli_Rel_Korva_Master INNER JOIN CP_Veicoli ON CP_Veicoli_Rel_Korva_Master.idVeicolo = CP_Veicoli.idVeicolo)  )"
               R"(INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr  )"
               R"(WHERE (((CP_Veicoli.idMarca)=%1)  AND ((TabDistintaBatterie.codice)=%2))  ORDER BY CP_Veicoli.Modello; )")
        .arg(textLiteral(makeKey), textLiteral(batteryCode));
}

QString fittedVehiclesStatement(const QString &batteryCode)
{
    return QStringLiteral(
               R"(SELECT DISTINCT CP_Veicoli.idVeicolo, CP_Veicoli.Marca, CP_Veicoli.Modello, CP_Veicoli.Versione, )"
               R"(Left([Dal],4) AS AnnoDal, Left([Al],4) AS AnnoAl FROM )"
               R"((CP_Veicoli_Rel_Korva_Master INNER JOIN CP_Veicoli ON CP_Veicoli_Rel_Korva_Master.idVeicolo = CP_Veicoli.idVeicolo) )"
               R"(INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr )"
               R"(WHERE TabDistintaBatterie.codice = %1 )"
               R"(ORDER BY CP_Veicoli.Marca, CP_Veicoli.Modello, CP_Veicoli.Versione, CP_Veicoli.idVeicolo)")
        .arg(textLiteral(batteryCode));
}

QString batteryFitsVehicleStatement(const QString &vehicleKey, const QString &batteryCode)
{
    return QStringLiteral(R"(SELECT Count(*) AS n FROM CP_Veicoli_Rel_Korva_Master INNER JOIN TabDistintaBatterie )"
                          R"(ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr )"
                          R"(WHERE CP_Veicoli_Rel_Korva_Master.idVeicolo = %1 AND TabDistintaBatterie.codice = %2)")
        .arg(numberLiteral(QStringLiteral("idVeicolo"), vehicleKey), textLiteral(batteryCode));
}

QString versionListStatement(const QString &makeKey, const QString &model)
{
    return QStringLiteral(
               R"(SELECT [CP_Veicoli].idVeicolo, Versione, Alimentazione, left([Dal],4), left([Al],4), cm3, cv, kw )"
               R"(FROM CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo  )"
               R"(WHERE idMarca = %1 AND Modello = %2 ORDER BY Versione )")
        .arg(textLiteral(makeKey), textLiteral(model));
}

QString versionListForBatteryStatement(const QString &makeKey, const QString &model, const QString &batteryCode)
{
    return QStringLiteral(
               R"(SELECT CP_Veicoli.idVeicolo, CP_Veicoli.Versione, CP_Veicoli.Alimentazione,  )"
               R"(Left([Dal],4) AS Espr1, Left([Al],4) AS Espr2, CP_Veicoli.Cm3, CP_Veicoli.Cv, CP_Veicoli.Kw  FROM )"
               R"((CP_Veicoli INNER JOIN CP_Veicoli_Rel_Korva_Master ON CP_Veicoli.idVeicolo = CP_Veicoli_Rel_Korva_Master.idVeicolo)  )"
               R"(INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr  )"
               R"(WHERE (((CP_Veicoli.idMarca)=%1)  AND ((CP_Veicoli.Modello)=%2)  )"
               R"(AND ((TabDistintaBatterie.codice)=%3))  ORDER BY CP_Veicoli.Versione; )")
        .arg(textLiteral(makeKey), textLiteral(model), textLiteral(batteryCode));
}

QString batteryListStatement(const QString &priceList, const QString &vehicleKey)
{
    // ALTEZZA is text: the tallest of a range is found with Val() on both sides of the
    // comparison, or a range with heights 175 and 90 would keep the 90 one.
    const QString list = textLiteral(priceList);
    const QString vehicle = numberLiteral(QStringLiteral("idVeicolo"), vehicleKey);
    return QStringLiteral(
               R"(SELECT batterieTutte.LISTINO, batterieTutte.Espr1, batterieTutte.GAMMA, batterieTutte.CODICE, batterieTutte.CAPACITA,  )"
               R"(batterieTutte.SCARICA, batterieTutte.POLO_POSITIVO, batterieTutte.LUNGHEZZA, batterieTutte.LARGHEZZA, batterieTutte.ALTEZZA, )"
               R"(batterieTutte.ATTACCHI_BASE, batterieTutte.MONOBLOCCO, batterieTutte.FOTO, batterieTutte.NOTE, batterieTutte.Ordine  FROM )"
               R"([SELECT DISTINCT TabTechInfo.LISTINO, " " AS Espr1, TabTechInfo.GAMMA, TabTechInfo.CODICE, TabTechInfo.CAPACITA, )"
               R"(TabTechInfo.SCARICA, TabTechInfo.POLO_POSITIVO, TabTechInfo.LUNGHEZZA, TabTechInfo.LARGHEZZA, TabTechInfo.ALTEZZA,  )"
               R"(TabTechInfo.ATTACCHI_BASE, TabTechInfo.MONOBLOCCO, TabTechInfo.FOTO, TabTechInfo.NOTE, TabTechInfo.ORDINE  FROM )"
               R"((CP_Veicoli_Rel_Korva_Master INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr) )"
               R"(INNER JOIN TabTechInfo ON TabDistintaBatterie.codice = TabTechInfo.CODICE  )"
               R"(WHERE (((TabTechInfo.LISTINO)=%1) AND ((CP_Veicoli_Rel_Korva_Master.idVeicolo)=%2))  )"
               R"(ORDER BY TabTechInfo.ORDINE]. AS batterieTutte INNER JOIN )"
               R"([SELECT DISTINCT TabTechInfo.LISTINO, " " AS Espr1, TabTechInfo.GAMMA, Max(Val(TabTechInfo.ALTEZZA)) AS h  FROM )"
               R"((CP_Veicoli_Rel_Korva_Master INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr) )"
               R"(INNER JOIN TabTechInfo ON TabDistintaBatterie.codice = TabTechInfo.CODICE  )"
               R"(GROUP BY TabTechInfo.LISTINO, " ", TabTechInfo.GAMMA, CP_Veicoli_Rel_Korva_Master.idVeicolo  )"
               R"(HAVING (((TabTechInfo.LISTINO)=%1) AND ((CP_Veicoli_Rel_Korva_Master.idVeicolo)=%2))]. AS batterieAlte )"
               R"(ON (Val(batterieTutte.ALTEZZA) = batterieAlte.h) AND (batterieTutte.LISTINO = batterieAlte.LISTINO) )"
               R"(AND (batterieTutte.GAMMA = batterieAlte.GAMMA)  ORDER BY batterieTutte.ORDINE; )")
        .arg(list, vehicle);
}

QString oldCodeStatement(const QString &oldCode, const QString &priceList)
{
    return QStringLiteral(R"(SELECT TabTechInfo.OLD_CODICE, TabTechInfo.CODICE, TabTechInfo.GAMMA  FROM TabTechInfo  )"
                          R"(WHERE (((TabTechInfo.OLD_CODICE)= %1)  AND ((TabTechInfo.LISTINO)=%2 ) ))")
        .arg(textLiteral(oldCode), textLiteral(priceList));
}

QString batterySearchStatement(const QString &priceList, SearchGroup group, const SearchFields &fields)
{
    QString sql = QLatin1String(kSearchSelect);
    sql += QStringLiteral(" WHERE LISTINO =%1 ").arg(textLiteral(priceList));
    switch (group) {
    case SearchGroup::RangeAndCode:
        appendQuoted(sql, schema::batteries::GAMMA, fields.gamma);
        appendQuoted(sql, schema::batteries::CODICE, fields.codice);
        break;
    case SearchGroup::Ratings:
        appendBare(sql, schema::batteries::CAPACITA, fields.capacita);
        appendBare(sql, schema::batteries::SCARICA, fields.scarica);
        appendQuoted(sql, schema::batteries::POLO_POSITIVO, fields.polarita);
        break;
    case SearchGroup::Dimensions:
        appendQuoted(sql, schema::batteries::LUNGHEZZA, fields.lunghezza);
        appendQuoted(sql, schema::batteries::LARGHEZZA, fields.larghezza);
        appendQuoted(sql, schema::batteries::ALTEZZA, fields.altezza);
        appendQuoted(sql, schema::batteries::ATTACCHI_BASE, fields.attacchi);
        break;
    case SearchGroup::Container: appendQuoted(sql, schema::batteries::MONOBLOCCO, fields.monoblocco); break;
    }
    sql += QLatin1String(" ORDER BY TabTechInfo.ORDINE, TabTechInfo.CODICE;");
    return sql;
}

QString replacementCandidatesStatement(const QString &priceList)
{
    return QStringLiteral(
               "SELECT DISTINCT GAMMA, CODICE, CAPACITA, SCARICA, POLO_POSITIVO, LUNGHEZZA, LARGHEZZA, ALTEZZA, "
               "ATTACCHI_BASE, ORDINE, OLD_CODICE FROM TabTechInfo WHERE LISTINO = %1 AND CODICE <> %2")
        .arg(textLiteral(priceList), textLiteral(QLatin1String(schema::batteries::runOutCode)));
}

QString blankVersionRowStatement() { return QStringLiteral(R"(SELECT "","","","","","","","","","" FROM [Tab1riga])"); }

} // namespace catalog
