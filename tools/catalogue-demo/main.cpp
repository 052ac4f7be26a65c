// catalogue-demo [--scale demo|large|huge] OUT_DIR: writes the CSV sources of the demo
// catalogue (what the program runs on out of the box) or of the large or ten times larger
// one (benchmarks) for catalogue-build, and in OUT_DIR/maker-tables/ the maker's tables
// that go beside the catalogue file. The same scale always gives the same files.
#include "tools/catalogue-demo/catalogue.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: catalogue-demo [--scale demo|large|huge] OUT_DIR\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args{QStringLiteral("catalogue-demo")};
    for (int i = 1; i < argc; ++i)
        args << QFile::decodeName(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption scaleOption(QStringLiteral("scale"), QString(), QStringLiteral("name"));
    parser.addOption(scaleOption);
    // Any fault of the line, --help among them, gets the usage; so does "--", which Qt
    // would take for the end of the options.
    if (!parser.parse(args) || parser.positionalArguments().size() != 1 || args.contains(QStringLiteral("--")))
        return usage();
    demo::Scale scale = demo::kDemoScale;
    for (const QString &name : parser.values(scaleOption)) {
        if (name == u"demo")
            scale = demo::kDemoScale;
        else if (name == u"large")
            scale = demo::kLargeScale;
        else if (name == u"huge")
            scale = demo::kHugeScale;
        else
            return usage();
    }
    const std::string out = QFile::encodeName(parser.positionalArguments().first()).toStdString();
    if (out.empty() || out[0] == '-')
        return usage();
    try {
        std::filesystem::create_directories(out);
        demo::Catalogue catalogue;
        demo::addFixedCases(catalogue);
        demo::addGeneratedRows(catalogue, scale);
        demo::numberDisplayOrders(catalogue);
        demo::writeCsvSources(catalogue, out);
        // A folder of its own: catalogue-build takes every .csv of OUT_DIR for a table.
        std::filesystem::create_directories(out + "/maker-tables");
        demo::writeMakerTables(out + "/maker-tables");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "catalogue-demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
