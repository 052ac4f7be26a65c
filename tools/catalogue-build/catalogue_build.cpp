// The build from sources to files, with the all-or-nothing output.
#include "tools/catalogue-build/catalogue_build.h"

#include "tools/catalogue-build/catalogue_schema.h"
#include "tools/catalogue-build/jet_writer.h"
#include "tools/catalogue-build/source_table.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <unistd.h>

namespace catalogue {

namespace fs = std::filesystem;

namespace {

// Whole seconds, so the same files give the same date wherever they are built.
double latestChange(const std::vector<fs::path> &files)
{
    std::int64_t latest = 0;
    for (const fs::path &f : files) {
        const auto sys = std::chrono::file_clock::to_sys(fs::last_write_time(f));
        latest = std::max<std::int64_t>(
            latest, std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count());
    }
    return 25569.0 + double(latest) / 86400.0;
}

// Removes the temporary files unless they were renamed into place.
struct TemporaryFiles {
    std::vector<fs::path> paths;
    ~TemporaryFiles()
    {
        std::error_code ignored; // best effort: the build's own error is the one to report
        for (const fs::path &p : paths)
            fs::remove(p, ignored);
    }
};

} // namespace

std::u16string defaultPassword()
{
    std::u16string p;
    for (char16_t c = 1; c <= 20; ++c)
        p.push_back(c);
    return p;
}

BuildSummary buildCatalogue(const BuildOptions &options)
{
    std::error_code ec;
    if (!fs::is_directory(options.sourceDir, ec))
        throw SourceError(options.sourceDir.string(), 0, "the source folder does not exist");
    std::vector<fs::path> files;
    for (const fs::directory_entry &e : fs::directory_iterator(options.sourceDir))
        if (e.is_regular_file() && e.path().extension() == ".csv")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    if (files.empty())
        throw SourceError(options.sourceDir.string(), 0, "the source folder holds no .csv file");

    std::vector<SourceTable> tables;
    for (const fs::path &f : files)
        tables.push_back(readSourceTable(f));
    if (options.catalogueSchema)
        checkCatalogueSchema(tables, options.sourceDir);

    const double date = options.date ? *options.date : latestChange(files);
    jet::Writer catalogue({options.password, date});
    BuildSummary summary;
    for (SourceTable &t : tables) {
        int handle;
        try {
            handle = catalogue.addTable(t.name, t.columns);
        } catch (const jet::JetError &e) {
            throw SourceError(t.file, 1, e.what());
        }
        for (const CsvRecord &r : t.records) {
            try {
                catalogue.addRow(handle, convertRecord(t, r));
            } catch (const jet::JetError &e) {
                throw SourceError(t.file, r.line, e.what());
            }
        }
        summary.rows += static_cast<long long>(t.records.size());
        ++summary.tables;
        t.records = {}; // the rows now live in the writer's pages
    }
    jet::Writer workgroup({u"", date});

    fs::create_directories(options.outDir);
    const std::string suffix = ".tmp" + std::to_string(::getpid());
    const fs::path mdb = options.outDir / "vc_korva.mdb";
    const fs::path mdw = options.outDir / "system.mdw";
    TemporaryFiles temporary;
    temporary.paths = {mdb.string() + suffix, mdw.string() + suffix};
    catalogue.save(temporary.paths[0]);
    workgroup.save(temporary.paths[1]);
    fs::rename(temporary.paths[1], mdw);
    fs::rename(temporary.paths[0], mdb);
    temporary.paths.clear();
    return summary;
}

} // namespace catalogue
