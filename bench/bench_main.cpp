// Prints one line per measured command and size; see bench/run.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tcc::bench {
void RunConvertBench(long n);
void RunSortBench(long n);
void RunCliBench(long n);
}  // namespace tcc::bench

int main(int argc, char** argv) {
    // Arguments: the commands to measure, and optionally sizes (numbers).
    std::vector<std::string> what;
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::isdigit(static_cast<unsigned char>(argv[i][0]))) sizes.push_back(std::atol(argv[i]));
        else what.emplace_back(argv[i]);
    }
    if (what.empty()) what = {"convert", "sort", "cli"};
    if (sizes.empty()) sizes = {1000, 10000, 100000};
    for (const std::string& w : what) {
        for (long n : sizes) {
            if (w == "convert") tcc::bench::RunConvertBench(n);
            if (w == "sort") tcc::bench::RunSortBench(n);
            if (w == "cli") tcc::bench::RunCliBench(n);
        }
    }
    return 0;
}
