// Convert and then Sort a 20,000-file cache through the Win32 main window, by
// pressing its buttons, and the same commands by tarnel-cache.exe on a fresh
// copy in the same run (best of a few rounds, under Wine in bench/run).
// Prints one line with the ratio of the two.
// Usage: tcc_win32_bench TARNEL-CACHE.EXE
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "core/utf16.h"
#include "win32/converter.h"

namespace {

namespace fs = std::filesystem;
constexpr int kFiles = 20000;

// The real names of bench/window_bench.cpp: every kind the commands meet.
std::string RealName(int i) {
    static const char* const kExtensions[] = {".unr", ".utx", ".uax", ".umx", ".u", ".dll", ".int", "", ".txt"};
    return "file" + std::to_string(i) + kExtensions[i % 9];
}

fs::path MakeCache(const std::string& tag) {
    const fs::path cache = fs::temp_directory_path() /
                           ("tcc-win32-bench-" + tag + "-" + std::to_string(GetTickCount64())) / "Cache";
    fs::create_directories(cache);
    std::ofstream index(cache / "cache.ini", std::ios::binary);
    index << "[Cache]\r\n";
    for (int i = 0; i < kFiles; ++i) {
        std::string key = "K";
        key += std::to_string(i * 7919 % 100003);
        index << key << '=' << RealName(i) << "\r\n";
        std::ofstream(cache / (key + ".uxx"), std::ios::binary) << 'x';
    }
    return cache;
}

// Did both commands do their work: no cached file left, the sort folders filled?
bool Done(const fs::path& cache) {
    long left = 0, maps = 0;
    for (const auto& entry : fs::directory_iterator(cache)) left += entry.path().extension() == ".uxx";
    for (const auto& entry : fs::directory_iterator(cache / "Maps")) maps += entry.is_regular_file();
    return left == 0 && maps == (kFiles + 8) / 9;
}

double Seconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void RunCommandLine(const std::string& program, const fs::path& cache) {
    std::wstring line = L"\"" + tcc::ToUtf16(program) + L"\" --yes --quiet convert sort \"" + cache.wstring() + L"\"";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &start,
                        &process)) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tcc_win32_bench TARNEL-CACHE.EXE\n");
        return 2;
    }
    tcc::win32::Converter window;
    window.SetMessageHook([](const tcc::Message& message) {
        if (message.text.find("Simply copy") == std::string::npos)
            std::fprintf(stderr, "unexpected message: %s\n", message.text.c_str());
        return message.buttons == tcc::Buttons::YesNo ? tcc::Answer::Yes : tcc::Answer::Ok;
    });
    window.Show(SW_SHOW);
    const auto press = [&window](tcc::ControlId button) { SendMessageW(window[button], BM_CLICK, 0, 0); };

    constexpr int kRounds = 2;
    double windowSeconds = 1e9, cliSeconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const fs::path windowCache = MakeCache("window"), cliCache = MakeCache("cli");
        window.form().SetFolder(tcc::ToUtf8(windowCache.wstring()));
        windowSeconds = std::min(windowSeconds, Seconds([&] {
                                     press(tcc::ControlId::cmdGetCache);
                                     press(tcc::ControlId::cmdSort);
                                 }));
        cliSeconds = std::min(cliSeconds, Seconds([&] { RunCommandLine(argv[1], cliCache); }));
        if (!Done(windowCache) || !Done(cliCache)) {
            std::fprintf(stderr, "a run did not do its work\n");
            return 1;
        }
        // Leave the folder before it goes.
        window.form().SetFolder(tcc::ToUtf8(fs::temp_directory_path().wstring()));
        std::error_code error;
        for (const fs::path& cache : {windowCache, cliCache}) fs::remove_all(cache.parent_path(), error);
    }
    std::printf("win32-window n=%d seconds=%.2f baseline_seconds=%.2f ratio=%.2f\n", kFiles, windowSeconds, cliSeconds,
                windowSeconds / cliSeconds);
    return 0;
}
