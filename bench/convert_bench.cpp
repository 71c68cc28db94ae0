#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bench/bench_util.h"
#include "bench/null_reporter.h"
#include "commands/convert.h"

namespace tcc::bench {
namespace {

const char* const kExtensions[] = {".unr", ".utx", ".uax", ".umx", ".u", ".dll", ".int", ""};

std::string Key(long i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "K%07ld", i);
    return buf;
}

std::string Target(long i) {
    char buf[48];
    const char* ext = kExtensions[i % 8];
    std::snprintf(buf, sizeof buf, "Name%07ld%s", i, *ext ? ext : ".unk");
    return buf;
}

// A Cache folder with an index of n records and their n cached files.
std::string MakeCache(long n) {
    std::string root = FreshDir("convert");
    std::string cache = root + "/Cache";
    std::filesystem::create_directory(cache);
    std::ofstream index(cache + "/cache.ini", std::ios::binary);
    index << "[Cache]\r\n";
    for (long i = 0; i < n; ++i) {
        const char* ext = kExtensions[i % 8];
        index << Key(i) << "=Name" << Target(i).substr(4, 7) << ext << "\r\n";
        MakeEmptyFile(cache + "/" + Key(i) + ".uxx");
    }
    return root;
}

bool Converted(long n, const std::string& root) { return std::filesystem::exists(root + "/Cache/" + Target(n - 1)); }

// The baseline: the same renames as bare rename() calls.
void RenameLoop(long n, const std::string& root) {
    const std::string cache = root + "/Cache/";
    for (long i = 0; i < n; ++i) {
        if (std::rename((cache + Key(i) + ".uxx").c_str(), (cache + Target(i)).c_str()) != 0) std::abort();
    }
}

}  // namespace

void RunConvertBench(long n) {
    Compare("convert", n,
            {MakeCache,
             [](const std::string& root) {
                 if (!RunHeadless(root + "/Cache", RunConvert)) std::abort();
             },
             [n](const std::string& root) { return Converted(n, root); },
             [n](const std::string& root) { RenameLoop(n, root); }});
}

// The command line as a process, its line per rename written to /dev/null.
void RunCliBench(long n) {
    Compare("cli convert", n,
            {MakeCache,
             [](const std::string& root) {
                 const std::string folder = root + "/Cache";
                 const pid_t pid = ::fork();
                 if (pid == 0) {
                     ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
                     ::execl(TCC_CLI, "tarnel-cache", "convert", folder.c_str(), static_cast<char*>(nullptr));
                     ::_exit(127);
                 }
                 int status = 0;
                 if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                     std::abort();
                 }
             },
             [n](const std::string& root) { return Converted(n, root); },
             [n](const std::string& root) { RenameLoop(n, root); }});
}

}  // namespace tcc::bench
