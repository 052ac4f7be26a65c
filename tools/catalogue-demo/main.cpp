// catalogue-demo [--scale demo|large|huge] OUT_DIR: writes the CSV sources of the demo
// catalogue (what the program runs on out of the box) or of the large or ten times larger
// one (benchmarks) for catalogue-build. The same scale always gives the same files.
#include "tools/catalogue-demo/catalogue.h"

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
    demo::Scale scale = demo::kDemoScale;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale" && i + 1 < argc) {
            const std::string name = argv[++i];
            if (name == "demo")
                scale = demo::kDemoScale;
            else if (name == "large")
                scale = demo::kLargeScale;
            else if (name == "huge")
                scale = demo::kHugeScale;
            else
                return usage();
        } else if (out.empty() && !arg.empty() && arg[0] != '-') {
            out = arg;
        } else {
            return usage();
        }
    }
    if (out.empty())
        return usage();
    try {
        std::filesystem::create_directories(out);
        demo::Catalogue catalogue;
        demo::addFixedCases(catalogue);
        demo::addGeneratedRows(catalogue, scale);
        demo::numberDisplayOrders(catalogue);
        demo::writeCsvSources(catalogue, out);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "catalogue-demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
