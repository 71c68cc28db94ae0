// Convert and then Sort a 20,000-file cache through the real main window,
// by clicking its buttons, and the same commands headless on a fresh copy
// in the same run. Prints one line per command with the ratio of the two.
#include <QApplication>
#include <QPushButton>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench/null_reporter.h"
#include "commands/cache_state.h"
#include "commands/convert.h"
#include "commands/sort.h"
#include "core/disk.h"
#include "qt/converter.h"

namespace {

constexpr int kFiles = 20000;

// Real names of every kind the commands meet: the sorted extensions, names
// without a dot (they become ".unk") and extensions that stay.
std::string RealName(int i) {
    static const char* const kExtensions[] = {".unr", ".utx", ".uax", ".umx", ".u", ".dll", ".int", "", ".txt"};
    return "file" + std::to_string(i) + kExtensions[i % 9];
}

std::string MakeCache(const std::string& tag) {
    std::string root = (std::filesystem::temp_directory_path() / ("tcc-window-bench-" + tag + "-XXXXXX")).string();
    if (!::mkdtemp(root.data())) std::abort();
    const std::string cache = root + "/Cache";
    std::filesystem::create_directory(cache);
    std::ofstream index(cache + "/cache.ini", std::ios::binary);
    index << "[Cache]\r\n";
    for (int i = 0; i < kFiles; ++i) {
        std::string key = "K";
        key += std::to_string(i * 7919 % 100003);
        index << key << '=' << RealName(i) << "\r\n";
        std::string file = cache;
        file.append("/").append(key).append(".uxx");
        std::ofstream(file, std::ios::binary) << 'x';
    }
    return cache;
}

double Seconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* command, double seconds, double baseline) {
    std::printf("%s n=%d seconds=%.2f baseline_seconds=%.2f ratio=%.2f\n", command, kFiles, seconds, baseline,
                seconds / baseline);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    tcc::Converter window;
    window.SetMessageHook([](const tcc::Message& message) {
        if (message.text.find("Simply copy") == std::string::npos)
            std::fprintf(stderr, "unexpected message: %s\n", message.text.c_str());
        return message.buttons == tcc::Buttons::YesNo ? tcc::Answer::Yes : tcc::Answer::Ok;
    });
    window.show();
    auto* convert = window.findChild<QPushButton*>(QStringLiteral("cmdGetCache"));
    auto* sort = window.findChild<QPushButton*>(QStringLiteral("cmdSort"));
    tcc::PosixDisk disk;
    tcc::bench::NullReporter headless;

    // The best of a few rounds, each on fresh copies, so that other work on
    // the machine weighs as little as it can.
    constexpr int kRounds = 3;
    double windowConvert = 1e9, windowSort = 1e9, baselineConvert = 1e9, baselineSort = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const std::string windowCache = MakeCache("window");
        const std::string headlessCache = MakeCache("headless");

        window.form().SetFolder(windowCache);
        QApplication::processEvents();
        windowConvert = std::min(windowConvert, Seconds([&] { convert->click(); }));
        windowSort = std::min(windowSort, Seconds([&] { sort->click(); }));

        tcc::CacheFolderState state(disk);
        state.ChooseFolder(headlessCache);
        baselineConvert = std::min(baselineConvert, Seconds([&] { tcc::RunConvert(state, headless); }));
        baselineSort = std::min(baselineSort, Seconds([&] { tcc::RunSort(state, headless); }));

        // Leave the folder before it goes.
        window.form().SetFolder(std::filesystem::temp_directory_path().string());
        std::error_code error;
        std::filesystem::remove_all(std::filesystem::path(windowCache).parent_path(), error);
        std::filesystem::remove_all(std::filesystem::path(headlessCache).parent_path(), error);
    }

    Report("window-convert", windowConvert, baselineConvert);
    Report("window-sort", windowSort, baselineSort);
    return 0;
}
