// Every file operation of a command button's click fails in turn, through
// the real main window: the user is told exactly once, the window goes on,
// and a second click finishes the work.

#include <gtest/gtest.h>

#include <QPushButton>

#include <map>

#include "core/file_error.h"
#include "tests/ui/ui_harness.h"

namespace tcc {
namespace {

const std::string kDir = "/vol/a/Cache";

using Files = std::map<std::string, std::string>;

Files MakeCache() {
    MemoryDisk disk;
    std::string index = "[Cache]\r\n";
    const char* names[] = {"Map.unr", "Tex.utx", "Snd.uax", "Song.umx", "Readme", "Core.u", "Lib.dll", "Text.int"};
    for (int i = 0; i < 8; ++i) {
        const std::string key = "K" + std::to_string(i);
        index += key + "=" + names[i] + "\r\n";
        disk.AddFile(kDir + "/" + key + ".uxx", "cached " + key);
    }
    disk.AddFile(kDir + "/cache.ini", index);
    disk.AddFile(kDir + "/maps/map.UNR", "old map");
    disk.AddFile(kDir + "/notes.txt", "notes");
    return disk.Files();
}

Files CacheFiles(const MemoryDisk& disk) {
    Files files;
    for (const auto& [path, content] : disk.Files()) {
        if (path.rfind(kDir + "/", 0) == 0) files[path] = content;
    }
    return files;
}

struct Button {
    const char* name;
    std::deque<Answer> answers;
};

// Clicks `button` once in a fresh window over the cache `start` with
// operation k of the click failing. Answers whether the click reached it.
bool ClickFailing(const Files& start, const Button& button, long k, int number, WindowHarness& harness,
                  bool converted) {
    for (const auto& [path, content] : start) harness.disk.AddFile(path, content);
    harness.dirs()->SetPath(kDir);
    harness.window->state().cacheConverted = converted;
    harness.messages.clear();
    harness.answers = button.answers;
    const long before = harness.disk.operations();
    harness.disk.FailAt(k, number);
    harness.Get<QPushButton>(button.name)->click();
    return harness.disk.operations() - before >= k;
}

TEST(WindowFaultLoop, EachFailingOperationOfAClickIsToldOnce) {
    long points = 0;
    // Each command starts from the outcome of the one before, clean.
    Files next = MakeCache();
    const Files convertedCache = [&] {
        WindowHarness harness;
        ClickFailing(next, {"cmdGetCache", {}}, 1000000, 0, harness, false);
        return CacheFiles(harness.disk);
    }();
    for (const auto& [button, converted] : {std::pair<Button, bool>{{"cmdGetCache", {}}, false},
                                            {{"cmdSort", {}}, true},
                                            {{"cmdRefresh", {}}, true},
                                            {{"cmdRefresh", {Answer::Yes}}, false}}) {
        const Files from = next;
        for (long k = 1;; ++k) {
            const int number = k % 2 ? kPermissionDenied : kDeviceUnavailable;
            WindowHarness harness;
            if (!ClickFailing(from, button, k, number, harness, converted)) {
                if (std::string(button.name) != "cmdRefresh") next = CacheFiles(harness.disk);
                break;
            }
            ++points;
            SCOPED_TRACE(std::string(button.name) + " failing operation " + std::to_string(k));
            const std::string description = DescribeErrorNumber(number);
            int told = 0;
            for (const Message& m : harness.messages) {
                told += m.text.find(description) != std::string::npos;
                EXPECT_NE(m.title, "Finished Sorting");
            }
            EXPECT_EQ(told, 1);
            // cacheConverted changes only when the conversion reached its end
            // (the fault may come after it, in the window's own work).
            if (harness.window->state().cacheConverted != converted) {
                EXPECT_EQ(std::string(button.name), "cmdGetCache");
                EXPECT_EQ(CacheFiles(harness.disk), convertedCache);
            }
            // The window goes on: the same click again finishes the work.
            harness.messages.clear();
            harness.answers = button.answers;
            harness.Get<QPushButton>(button.name)->click();
            for (const Message& m : harness.messages) {
                EXPECT_TRUE(m.buttons != Buttons::Ok || m.title == "Finished Sorting") << m.text;
            }
            if (std::string(button.name) == "cmdGetCache") {
                EXPECT_TRUE(harness.window->state().cacheConverted);
            }
            if (HasFailure()) return;
        }
    }
    std::printf("window fault points checked: %ld\n", points);
    EXPECT_GT(points, 50);
}

}  // namespace
}  // namespace tcc
