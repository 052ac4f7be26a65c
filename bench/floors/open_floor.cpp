// bench-floor-open MDB [SAMPLES]: the floor of a first open, libmdb's own decoding of every
// user table of the catalogue, in this one process: the file opened, its table of
// contents and each table's columns read, and every row fetched with mdb_fetch_row,
// nothing bound, so that no value is formatted. Whatever a first open does beyond this
// (values decoded, pages and indexes laid out, processes started) is the copy's own cost.
// Prints one JSON line of the samples' figures (bench/floors/sample_cost.h) and the rows.
#include "bench/floors/sample_cost.h"

#include <cstdio>
#include <cstdlib>
#include <mdbtools.h>
#include <vector>

namespace {

// Every row of every user table; -1 when libmdb cannot read the file.
long fetchEveryRow(const char *path)
{
    MdbHandle *mdb = mdb_open(path, MDB_NOFLAGS);
    if (!mdb)
        return -1;
    long rows = -1;
    if (mdb_read_catalog(mdb, MDB_TABLE)) {
        rows = 0;
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
                continue;
            MdbTableDef *table = mdb_read_table(entry);
            if (!table)
                continue;
            mdb_read_columns(table);
            mdb_rewind_table(table);
            while (mdb_fetch_row(table))
                ++rows;
            mdb_free_tabledef(table);
        }
    }
    mdb_close(mdb);
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s MDB [SAMPLES]\n", argv[0]);
        return 2;
    }
    const int count = argc == 3 ? std::atoi(argv[2]) : 7;
    std::vector<bench::SampleCost> samples;
    long rows = 0;
    for (int i = 0; i < count; ++i) {
        const bench::CostMeter meter;
        rows = fetchEveryRow(argv[1]);
        samples.push_back(meter.cost());
        if (rows < 0) {
            std::fprintf(stderr, "%s: libmdb cannot read %s\n", argv[0], argv[1]);
            return 1;
        }
    }
    auto figures = bench::summarize(samples);
    figures["rows"] = double(rows);
    std::puts(bench::summaryJson("open_floor", figures).c_str());
    return 0;
}
