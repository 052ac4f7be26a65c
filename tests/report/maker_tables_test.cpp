// The maker's two tables as spreadsheets and hands write them: what is read, what is
// refused with its line and why, and that a refused line costs only itself.
#include "report/maker_tables.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace catalog::report;

struct Read {
    QStringList entries;  // "line range/code technology"
    QStringList problems; // "line fault value"
};

QString word(Technology t)
{
    switch (t) {
    case Technology::Agm: return "AGM";
    case Technology::Efb: return "EFB";
    case Technology::Gel: return "GEL";
    case Technology::Flooded: return "TRADIZIONALE";
    case Technology::Unknown: break;
    }
    return "?";
}

template <class Table>
QStringList problemsOf(const Table &t)
{
    QStringList out;
    for (const TableProblem &p : t.problems)
        out << QStringLiteral("%1 %2 %3").arg(p.line).arg(int(p.fault)).arg(p.value);
    return out;
}

Read technologies(const QByteArray &bytes)
{
    const TechnologyTable t = ParseTechnologyTable(bytes, "tecnologie.csv");
    Read r;
    for (const TechnologyEntry &e : t.entries)
        r.entries << QStringLiteral("%1 %2/%3 %4").arg(e.line).arg(e.range, e.code, word(e.technology));
    r.problems = problemsOf(t);
    return r;
}

QString fault(int line, TableFault f, const QString &value = {})
{
    return QStringLiteral("%1 %2 %3").arg(line).arg(int(f)).arg(value);
}

struct TechnologyCase {
    const char *name;
    QByteArray bytes;
    QStringList entries;
    QStringList problems;
};

TEST(MakerTables, TechnologyTableLines)
{
    const TechnologyCase cases[] = {
        {"two columns, any letter case, blanks around",
         "GAMMA;TECNOLOGIA\nKorva Start ; tradizionale\nKorva Power;Efb\n",
         {"2 Korva Start/ TRADIZIONALE", "3 Korva Power/ EFB"},
         {}},
        {"byte order mark, CRLF and a blank line",
         "\xEF\xBB\xBFGAMMA;TECNOLOGIA;CODICE\r\n\r\nKorva AGM;GEL;\r\nKorva Power;AGM;KP074\r\n",
         {"3 Korva AGM/ GEL", "4 Korva Power/KP074 AGM"},
         {}},
        {"quoted fields keep their ';' and doubled quotes",
         "GAMMA;TECNOLOGIA\n\"Zelkar; \"\"S&S\"\"\";EFB\n",
         {"2 Zelkar; \"S&S\"/ EFB"},
         {}},
        {"a code line needs no range", "GAMMA;TECNOLOGIA;CODICE\n;AGM;KA080\n", {"2 /KA080 AGM"}, {}},
        {"a faulty line is skipped, the next one read",
         "GAMMA;TECNOLOGIA\nKorva Power;LITIO\nKorva Start;TRADIZIONALE\n",
         {"3 Korva Start/ TRADIZIONALE"},
         {fault(2, TableFault::Technology, "LITIO")}},
        {"too many and too few fields",
         "GAMMA;TECNOLOGIA\nKorva Power;EFB;KP074\nKorva Start\n",
         {},
         {fault(2, TableFault::Fields, "3"), fault(3, TableFault::Fields, "1")}},
        {"neither range nor code", "GAMMA;TECNOLOGIA;CODICE\n;EFB;\n", {}, {fault(2, TableFault::NoRange)}},
        {"a range again, in another letter case: the first line holds",
         "GAMMA;TECNOLOGIA\nKorva Power;EFB\nKORVA POWER;AGM\n",
         {"2 Korva Power/ EFB"},
         {fault(3, TableFault::Repeated, "KORVA POWER")}},
        {"a code and its range are different keys",
         "GAMMA;TECNOLOGIA;CODICE\nKorva Power;EFB;\nKorva Power;AGM;KP074\nKorva Power;AGM;kp074\n",
         {"2 Korva Power/ EFB", "3 Korva Power/KP074 AGM"},
         {fault(4, TableFault::Repeated, "kp074")}},
        {"another header: nothing is read",
         "RANGE;TECH\nKorva Power;EFB\n",
         {},
         {fault(1, TableFault::Header, "RANGE;TECH")}},
        {"a line that is not UTF-8",
         "GAMMA;TECNOLOGIA\nKorva P\xF6wer;EFB\nKorva AGM;AGM\n",
         {"3 Korva AGM/ AGM"},
         {fault(2, TableFault::NotUtf8)}},
        {"an empty file has no header and no lines", "", {}, {}},
    };
    for (const TechnologyCase &c : cases) {
        const Read r = technologies(c.bytes);
        EXPECT_EQ(r.entries, c.entries) << c.name;
        EXPECT_EQ(r.problems, c.problems) << c.name;
    }
}

TEST(MakerTables, RegistrationTableLines)
{
    const RegistrationTable t =
        ParseRegistrationTable("idMarca;REGOLA;TESTO\r\n"
                               "ALV;diagnosi;Registrare con la diagnosi; poi cancellare gli errori\r\n"
                               "BOR;Autoapprendimento;Si registra da sola\r\n"
                               "CAS;manuale;Niente\r\n"
                               ";diagnosi;Niente\r\n"
                               "DRV;diagnosi;\r\n"
                               "alv;autoapprendimento;Di nuovo\r\n"
                               "ELM;diagnosi\r\n",
                               "registrazione.csv");
    ASSERT_EQ(t.entries.size(), 2u);
    EXPECT_EQ(t.entries[0].makeKey, "ALV");
    EXPECT_TRUE(t.entries[0].diagnosis);
    EXPECT_EQ(t.entries[0].text, "Registrare con la diagnosi; poi cancellare gli errori") << "';' belongs to the text";
    EXPECT_EQ(t.entries[1].makeKey, "BOR");
    EXPECT_FALSE(t.entries[1].diagnosis);
    EXPECT_EQ(problemsOf(t), (QStringList{fault(4, TableFault::Rule, "manuale"), fault(5, TableFault::NoMake),
                                          fault(6, TableFault::NoText), fault(7, TableFault::Repeated, "alv"),
                                          fault(8, TableFault::Fields, "2")}));
}

TEST(MakerTables, FilesBesideTheCatalogue)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ReadTechnologyTable(dir.path()).present) << "no table is no fault";
    EXPECT_TRUE(ReadRegistrationTable(dir.path()).problems.empty());

    QFile file(QDir(dir.path()).filePath("tecnologie.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("GAMMA;TECNOLOGIA\nKorva Power;plomb\n");
    file.close();
    const TechnologyTable t = ReadTechnologyTable(dir.path());
    ASSERT_TRUE(t.present);
    ASSERT_EQ(t.problems.size(), 1u);
    EXPECT_EQ(ProblemText(t.path, t.problems[0]),
              t.path + ":2: tecnologia «plomb» sconosciuta (ammesse AGM, EFB, GEL, TRADIZIONALE)");

    if (QFile::setPermissions(file.fileName(), {}) && !file.open(QIODevice::ReadOnly)) {
        const TechnologyTable unreadable = ReadTechnologyTable(dir.path());
        ASSERT_EQ(unreadable.problems.size(), 1u);
        EXPECT_EQ(unreadable.problems[0].fault, TableFault::Unreadable);
        EXPECT_TRUE(ProblemText(unreadable.path, unreadable.problems[0]).startsWith(t.path + ": il file non"));
    }
}

} // namespace
