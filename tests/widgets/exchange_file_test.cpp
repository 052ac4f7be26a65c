// The grid exchange file: value encoding, the exact bytes the data-bound grid writes, the
// reader's quote rules, the data grid's import, and write-then-read round trips.
#include "widgets/data_bound_grid.h"
#include "widgets/data_grid.h"
#include "widgets/exchange_file.h"
#include "widgets/widget_error.h"

#include "tests/common/test_support.h"
#include "tests/widgets/table_source.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <random>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class ExchangeFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("~mdbgrid.tmp");

    // Exports `source` and returns the bytes written.
    QByteArray exportBytes(TableSource &source)
    {
        DataBoundGrid bound;
        bound.setDataSource(&source);
        bound.setFieldSeparator('|');
        bound.ExportToTextFile(path);
        return readBytes(path);
    }

    void import(DataGrid &grid, int maxLines = -1)
    {
        grid.setFieldSeparator('|');
        grid.ImportFromTextFile(path, maxLines);
    }
};

TEST(ExchangeEncodingTest, ValuesAreEncodedByTheWriterRules)
{
    struct Case {
        const char *name;
        QString value;
        QByteArray bytes;
    } cases[] = {
        {"plain", "abc", "abc"},
        {"empty", "", "\"\""},
        {"quote", "a\"b", "\"a\"\"b\""},
        {"separator", "a|b", "\"a|b\""},
        {"quote and separator", "a\"|b", "\"a\"\"|b\""},
        {"CR LF with separator", "a\r\nb|c",
         "\"a\x0b"
         "b|c\""},
        {"CR LF alone", "line 1\r\nline 2", "\"line 1\x0bline 2\""},
        {"lone LF and lone CR", "a\nb\rc",
         "\"a\x0b"
         "b\x0b"
         "c\""},
        {"quote and line break", "\"x\"\n", "\"\"\"x\"\"\x0b\""},
        {"accented letters", QString::fromUtf8("caff\u00e8 \u20ac"), "caff\xe8 \x80"},
        {"outside the code page", QString::fromUtf8("\u4e2d\U0001F600x"), "??x"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EncodeExchangeValue(c.value, '|'), c.bytes) << c.name;
}

TEST(ExchangeEncodingTest, ValueTextsFollowTheFieldKind)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    struct Case {
        const char *name;
        RecordFieldKind kind;
        QVariant value;
        QString text;
    } cases[] = {
        {"text", RecordFieldKind::Text, QString("Fiat"), "Fiat"},
        {"null text", RecordFieldKind::Text, QVariant(), ""},
        {"whole number", RecordFieldKind::Number, 1234567, "1234567"},
        {"negative", RecordFieldKind::Number, qlonglong(-42), "-42"},
        {"decimal in the locale's form", RecordFieldKind::Number, 1234.5, "1234,5"},
        {"fifteen significant digits", RecordFieldKind::Number, 1.0 / 3.0, "0,333333333333333"},
        {"whole decimal", RecordFieldKind::Number, 60.0, "60"},
        {"null number", RecordFieldKind::Number, QVariant(), ""},
        {"decimal kept as its exact text", RecordFieldKind::Number, QString("-1234567890123456789.25"),
         "-1234567890123456789,25"},
        {"memo shows its text", RecordFieldKind::LongText, QString("nota\r\nlunga"), "nota\r\nlunga"},
        {"picture", RecordFieldKind::Picture, QByteArray("\x89PNG", 4), "(GRAPHIC)"},
        {"null picture", RecordFieldKind::Picture, QVariant(), ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ExchangeValueText(c.kind, c.value), c.text) << c.name;
    // Whole reals take a shorter way; every one must read as the 15-digit 'g' form does,
    // at the edges of that way too.
    QLocale plain;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    for (double d : {0.0, -0.0, 1.0, -3.0, 44.0, 999999999999999.0, -999999999999999.0, 1e15, -1e15, 1e16,
                     123456789012345.0, 0.5, -2.5, 1e300, 4503599627370497.0})
        EXPECT_EQ(ExchangeValueText(RecordFieldKind::Number, d), plain.toString(d, 'g', 15)) << d;
    QLocale::setDefault(previous);
}

TEST(ExchangeReaderTest, LinesSplitByTheQuoteRules)
{
    using V = std::optional<QString>;
    struct Case {
        const char *name;
        QByteArray line;
        ExchangeLine values;
    } cases[] = {
        {"plain", "a|b|c", {V("a"), V("b"), V("c")}},
        {"empty values", "\"\"|\"\"|\"\"", {V(""), V(""), V("")}},
        {"quoted separator in the middle", "\"a|b\"|c", {V("a|b"), V("c")}},
        {"quoted last value adds no column", "a|\"b|c\"", {V("a"), V("b|c")}},
        {"doubled quotes", "\"a\"\"b\"|\"x\"\"|y\"", {V("a\"b"), V("x\"|y")}},
        {"trailing separator", "a|b|", {V("a"), V("b"), std::nullopt}},
        {"empty line", "", {std::nullopt}},
        {"lone quote dropped", "a\"b|c\"d", {V("ab"), V("cd")}},
        {"quote never closed", "\"abc|def", {V(""), V("def")}},
        {"text after the closing quote", "\"ab\"xy|z", {V("ab"), V("z")}},
        {"quoted last without separator", "\"ab\"", {V("ab")}},
        {"line-break mark",
         "\"a\x0b"
         "b|c\"|d\x0b",
         {V("a\r\nb|c"), V("d\r\n")}},
        {"closing quote ends the line", "a|\"b\"\"\"", {V("a"), V("b\"")}},
        {"accents", "caff\xe8|\x80", {V(QString::fromUtf8("caff\u00e8")), V(QString::fromUtf8("\u20ac"))}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SplitExchangeLine(c.line, '|'), c.values) << c.name;
}

TEST_F(ExchangeFileTest, EmptyResultWritesHeaderAndOneLineOfEmptyValues)
{
    TableSource source = TableSource::textColumns({"A", "B", "C"});
    EXPECT_EQ(exportBytes(source), QByteArray("A|B|C\r\n\"\"|\"\"|\"\"\r\n"));

    DataGrid grid;
    grid.setCells(0, 1, "old");
    import(grid);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(2, 0), "C");
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(grid.Cells(c, 1), "") << c;
}

TEST_F(ExchangeFileTest, OneRecordHasTheShapeOfTheEmptyResult)
{
    TableSource source = TableSource::textColumns({"idMarca", "Marca"});
    source.records = {{7, "ALFA"}};
    source.fields[0].kind = RecordFieldKind::Number;
    EXPECT_EQ(exportBytes(source), QByteArray("idMarca|Marca\r\n7|ALFA\r\n"));
    DataGrid grid;
    import(grid);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(1, 1), "ALFA");
}

TEST_F(ExchangeFileTest, HiddenFieldsAreLeftOutAndTheRecordIsKept)
{
    TableSource source = TableSource::textColumns({"a", "secret", "b"});
    source.fields[1].visible = false;
    source.records = {{"1", "x", "2"}, {"3", "y", "4"}, {"5", "z", "6"}};
    source.current = 1;
    EXPECT_EQ(exportBytes(source), QByteArray("a|b\r\n1|2\r\n3|4\r\n5|6\r\n"));
    EXPECT_EQ(source.current, 1);
    EXPECT_EQ(source.disabled, 0);

    DataBoundGrid bound;
    bound.setDataSource(&source);
    EXPECT_EQ(bound.ColCount(), 2);
    EXPECT_EQ(bound.RowCount(), 4);
    EXPECT_EQ(bound.Cells(1, 3), "6");
    EXPECT_EQ(source.current, 1);
}

TEST_F(ExchangeFileTest, LineBreaksNeverSplitARecord)
{
    // A note holding a line break but no separator used to split its record and shift
    // every later column; now it comes back whole, its line breaks as CR LF.
    TableSource source = TableSource::textColumns({"Note", "After"});
    source.fields[0].kind = RecordFieldKind::LongText;
    source.records = {{"first\r\nsecond", "x"}, {"a|b\r\nc", "y"}, {"lone\nLF", "z"}};
    exportBytes(source);
    DataGrid grid;
    import(grid);
    ASSERT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cells(0, 1), "first\r\nsecond");
    EXPECT_EQ(grid.Cells(1, 1), "x");
    EXPECT_EQ(grid.Cells(0, 2), "a|b\r\nc");
    EXPECT_EQ(grid.Cells(0, 3), "lone\r\nLF");
    EXPECT_EQ(grid.Cells(1, 3), "z");
}

TEST_F(ExchangeFileTest, AnUnprotectedLineBreakInAFileStillEndsTheLine)
{
    writeBytes(path, "A|B\r\nfirst\r\nsecond|x\r\n");
    DataGrid grid;
    import(grid);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Cells(0, 1), "first");
    EXPECT_EQ(grid.Cells(1, 2), "x");
}

TEST_F(ExchangeFileTest, ImportWritesOnlyTheCellsTheFileNames)
{
    writeBytes(path, "A|B\r\n1|2|\r\n");
    DataGrid grid;
    grid.setColCount(15);
    grid.setRowCount(5);
    for (int c = 0; c < 15; ++c)
        grid.setCells(c, 1, QString("old %1").arg(c));
    import(grid);
    EXPECT_EQ(grid.ColCount(), 15);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(1, 1), "2");
    EXPECT_EQ(grid.Cells(2, 1), "old 2") << "an empty last value leaves its cell";
    EXPECT_EQ(grid.Cells(14, 1), "old 14");
}

TEST_F(ExchangeFileTest, ColCountGrowsToTheWidestLineAndRowsBeyondAThousand)
{
    QByteArray bytes = "A\r\n";
    for (int r = 1; r < 2500; ++r)
        bytes += QByteArray::number(r) + (r == 1700 ? "|b|c|d" : "") + "\r\n";
    writeBytes(path, bytes);
    DataGrid grid;
    grid.setColCount(2);
    import(grid);
    EXPECT_EQ(grid.RowCount(), 2500);
    EXPECT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(grid.Cells(3, 1700), "d");
    EXPECT_EQ(grid.Cells(0, 2499), "2499");
}

TEST_F(ExchangeFileTest, MaxLinesLimitsTheLinesRead)
{
    writeBytes(path, "A|B\r\n1|2\r\n3|4\r\n");
    struct Case {
        int maxLines;
        int rows;
    } cases[] = {{1, 1}, {2, 2}, {0, 3}, {-1, 3}, {10, 3}};
    for (const Case &c : cases) {
        DataGrid grid;
        import(grid, c.maxLines);
        EXPECT_EQ(grid.RowCount(), c.rows) << "MaxLines " << c.maxLines;
    }
}

TEST_F(ExchangeFileTest, FilesThatCannotBeUsedRaiseTheirMessages)
{
    const QString missing = dir.filePath("no such folder/~mdbgrid.tmp");
    TableSource source = TableSource::textColumns({"A"});
    DataBoundGrid bound;
    bound.setDataSource(&source);
    testsupport::expectThrowCode<WidgetError>([&] { bound.ExportToTextFile(missing); }, WidgetErrc::ExchangeFile,
                                              ("Cannot Create file " + missing).toStdString());

    DataGrid grid;
    grid.setRowCount(7);
    grid.setCells(1, 3, "kept");
    testsupport::expectThrowCode<WidgetError>([&] { grid.ImportFromTextFile(missing, -1); }, WidgetErrc::ExchangeFile,
                                              ("Cannot open file " + missing).toStdString());
    EXPECT_EQ(grid.RowCount(), 7);
    EXPECT_EQ(grid.Cells(1, 3), "kept");
}

TEST_F(ExchangeFileTest, HostileValuesSurviveTheRoundTrip)
{
    const QString alphabet = QString::fromUtf8("ab |\"\r\n\u00e8\u00c0\u20ac\u2019;,'x ");
    std::mt19937 random(20261209);
    TableSource source;
    for (int c = 0; c < 6; ++c)
        source.fields.push_back({QString("col|\"%1\"").arg(c)});
    for (int r = 0; r < 300; ++r) {
        std::vector<QVariant> record;
        for (int c = 0; c < 6; ++c) {
            const int length = r % 50 == 0 ? 5000 : int(random() % 12);
            QString value;
            for (int i = 0; i < length; ++i)
                value += alphabet[int(random() % alphabet.size())];
            record.push_back(value);
        }
        source.records.push_back(record);
    }
    exportBytes(source);
    DataGrid grid;
    grid.setColCount(1);
    import(grid);
    ASSERT_EQ(grid.RowCount(), 301);
    ASSERT_EQ(grid.ColCount(), 6);
    // Every line break comes back as CR LF; everything else exactly.
    const auto expected = [](QString value) {
        value.replace("\r\n", "\n").replace('\r', '\n');
        return value.replace("\n", "\r\n");
    };
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(grid.Cells(c, 0), source.fields[c].name);
        for (int r = 0; r < 300; ++r)
            ASSERT_EQ(grid.Cells(c, r + 1), expected(source.records[r][c].toString())) << c << "," << r;
    }
}

} // namespace
