// bench-floor-click CLICKS COPY [ATTACHED...]: the floor of a make click, the same
// statements the window ran for each click of the figure, straight on the catalogue's
// copy with SQLite, every value of every record read once, and the photo that click
// showed read and decoded with libjpeg at full size into 32-bit pixels. Nothing is kept
// between clicks but SQLite's page cache and one file buffer and one pixel buffer, so the
// floor pays for no fresh memory the work does not need. The copy's tables compare their
// texts in Jet's General order and the statements call the Jet functions: SQLite has
// neither, so both are the database layer's (registered on the handle); all else is
// SQLite's with its default settings.
//
// CLICKS, written by the click figure: per click, lines "sql<TAB>statement" (already in
// SQLite's dialect) and "photo<TAB>path", then "end". Every click is run once to warm
// SQLite's cache and then timed. Prints one JSON line (bench/floors/sample_cost.h).
#include "bench/floors/sample_cost.h"
#include "db/jet_functions_p.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <jpeglib.h>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

struct Click {
    std::vector<std::string> statements;
    std::string photo;
};

std::vector<Click> readClicks(const char *path)
{
    std::vector<Click> clicks(1);
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const size_t tab = line.find('\t');
        const std::string kind = line.substr(0, tab), value = tab == std::string::npos ? "" : line.substr(tab + 1);
        if (kind == "sql")
            clicks.back().statements.push_back(value);
        else if (kind == "photo")
            clicks.back().photo = value;
        else if (kind == "end")
            clicks.emplace_back();
    }
    clicks.pop_back();
    return clicks;
}

[[noreturn]] void fail(const std::string &why)
{
    std::fprintf(stderr, "bench-floor-click: %s\n", why.c_str());
    std::exit(1);
}

// Every value of every record, touched once.
size_t runStatement(sqlite3 *db, const std::string &sql)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        fail(std::string(sqlite3_errmsg(db)) + " in " + sql);
    size_t bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0, n = sqlite3_column_count(st); c < n; ++c)
            if (sqlite3_column_type(st, c) == SQLITE_TEXT) {
                sqlite3_column_text(st, c);
                bytes += size_t(sqlite3_column_bytes(st, c));
            } else {
                bytes += size_t(sqlite3_column_int64(st, c) != 0);
            }
    sqlite3_finalize(st);
    return bytes;
}

struct JpegFailure {
    jpeg_error_mgr pub;
};

extern "C" void jpegFail(j_common_ptr) { fail("a photo cannot be decoded"); }

// The file read into `file`, then decoded into `pixels`; both keep their room.
void decodePhoto(const std::string &path, std::vector<unsigned char> &file, std::vector<unsigned char> &pixels)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        fail("cannot open " + path);
    std::fseek(f, 0, SEEK_END);
    file.resize(size_t(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    const size_t read = std::fread(file.data(), 1, file.size(), f);
    std::fclose(f);
    if (read != file.size())
        fail("cannot read " + path);
    jpeg_decompress_struct cinfo;
    JpegFailure errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jpegFail;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * 4;
    if (pixels.size() < stride * cinfo.output_height)
        pixels.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CLICKS COPY [ATTACHED...]\n", argv[0]);
        return 2;
    }
    const std::vector<Click> clicks = readClicks(argv[1]);
    if (clicks.empty())
        fail(std::string("no clicks in ") + argv[1]);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(std::string("cannot open ") + argv[2]);
    for (int i = 3; i < argc; ++i) {
        const std::string attach = "ATTACH '" + std::string(argv[i]) + "' AS jetpart" + std::to_string(i - 1);
        if (sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(std::string(sqlite3_errmsg(db)) + " attaching " + argv[i]);
    }
    db::detail::registerJetFunctions(db);
    std::vector<unsigned char> file, pixels;
    size_t read = 0;
    std::vector<bench::SampleCost> samples;
    for (int pass = 0; pass < 2; ++pass)
        for (const Click &click : clicks) {
            const bench::CostMeter meter;
            for (const std::string &sql : click.statements)
                read += runStatement(db, sql);
            if (!click.photo.empty())
                decodePhoto(click.photo, file, pixels);
            if (pass == 1)
                samples.push_back(meter.cost());
        }
    sqlite3_close(db);
    auto figures = bench::summarize(samples);
    figures["bytes_read"] = double(read);
    std::puts(bench::summaryJson("click_floor", figures).c_str());
    return 0;
}
