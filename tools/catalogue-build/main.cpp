// catalogue-build [--password-codes 1,2,...] [--date YYYY-MM-DD] [--schema catalogue|none]
//                 SOURCE_DIR OUT_DIR
#include "platform/command_line.h"
#include "tools/catalogue-build/catalogue_build.h"
#include "tools/catalogue-build/jet_writer.h"
#include "tools/catalogue-build/source_csv.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

const char *const kUsage =
    "usage: catalogue-build [--password-codes 1,2,...] [--date YYYY-MM-DD] [--schema catalogue|none]\n"
    "                       SOURCE_DIR OUT_DIR\n"
    "Writes OUT_DIR/vc_korva.mdb and OUT_DIR/system.mdw from SOURCE_DIR/<table>.csv.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::u16string passwordFromCodes(const std::string &list)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < list.size()) {
        const std::size_t comma = std::min(list.find(',', i), list.size());
        unsigned code = 0;
        const char *b = list.data() + i;
        const char *e = list.data() + comma;
        const auto [end, ec] = std::from_chars(b, e, code);
        if (ec != std::errc() || end != e || code < 1 || code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF))
            throw UsageError("--password-codes: \"" + std::string(b, e) + "\" is not a character code 1 to 65535");
        out.push_back(char16_t(code));
        i = comma + 1;
    }
    if (out.size() > 20)
        throw UsageError("--password-codes: a database password has at most 20 characters");
    return out;
}

double dateFromText(const std::string &text)
{
    int y, m, d, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &used) != 3 || used != 10 || text.size() != 10 || m < 1
        || m > 12 || d < 1 || d > 31 || y < 1900)
        throw UsageError("--date: \"" + text + "\" is not a date YYYY-MM-DD");
    return jet::dayNumber(y, m, d);
}

// Reads the line with QCommandLineParser; the faults it finds are told in the tools' own
// words: "unknown option X" as typed, "X needs a value".
void parseLine(QCommandLineParser &parser, const QStringList &args)
{
    if (const std::optional<platform::CommandLineFault> fault = platform::ParseCommandLine(parser, args))
        throw UsageError(fault->message.toStdString());
}

} // namespace

int main(int argc, char **argv)
{
    catalogue::BuildOptions options;
    options.password = catalogue::defaultPassword();
    try {
        QStringList args;
        for (int i = 1; i < argc; ++i)
            args << QFile::decodeName(argv[i]);
        QCommandLineParser parser;
        const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
        parser.addOption(help);
        for (const char *name : {"password-codes", "date", "schema"})
            parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
        parseLine(parser, args);
        // The values are checked in the order given, the last of each holding.
        std::map<QString, qsizetype> taken;
        for (const QString &name : parser.optionNames()) {
            if (help.names().contains(name))
                continue;
            const std::string value = QFile::encodeName(parser.values(name).value(taken[name]++)).toStdString();
            if (name == u"password-codes") {
                options.password = passwordFromCodes(value);
            } else if (name == u"date") {
                options.date = dateFromText(value);
            } else {
                if (value != "catalogue" && value != "none")
                    throw UsageError("--schema takes catalogue or none");
                options.catalogueSchema = value == "catalogue";
            }
        }
        if (parser.isSet(help)) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const QStringList positional = parser.positionalArguments();
        if (positional.size() != 2)
            throw UsageError("give SOURCE_DIR and OUT_DIR");
        options.sourceDir = QFile::encodeName(positional[0]).toStdString();
        options.outDir = QFile::encodeName(positional[1]).toStdString();
    } catch (const UsageError &e) {
        std::fprintf(stderr, "catalogue-build: %s\n%s", e.what(), kUsage);
        return 2;
    }
    try {
        const catalogue::BuildSummary s = catalogue::buildCatalogue(options);
        std::printf("%s: %d tables, %lld rows\n", (options.outDir / "vc_korva.mdb").string().c_str(), s.tables, s.rows);
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
