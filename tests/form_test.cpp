// The windows' behaviour through the form, with a view that records what it is told: the drive list's volumes,
// the navigation, the drive change's recovery, the about window, and the commands' progress.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <map>
#include <sstream>

#include "core/answers.h"
#include "core/file_error.h"
#include "tests/support/fake_volumes.h"
#include "tests/support/memory_disk.h"

namespace tcc {
namespace {
using namespace std::literals;
using I = ControlId;

// A form over an in-memory disk with the volumes /vol/x named x for each word x of `names`, started in a folder
// on none of them, and its view: it keeps what the form shows and logs what it does, each at the clock's time;
// message boxes are answered by `answer`, else with Cancel or OK.
struct FormHarness : ConverterView {
    explicit FormHarness(const std::string& names = "a b c") {
        auto source = std::make_unique<FakeVolumes>();
        source->volumes.clear();
        std::istringstream words(names);
        for (std::string x; words >> x;) source->volumes.push_back({Root(x), x}), disk.AddFolder(Root(x));
        disk.AddFile(kStart + "/start.txt");
        volumes = source.get();
        form = std::make_unique<ConverterForm>(*this, disk, std::move(source), kStart, [this] { return now; });
        for (const ControlLayout& c : ConverterLayout().controls) shown[c.id] = c.Shown();
        form->Start();
    }
    static std::string Root(const std::string& x) { return "/vol/" + x; }
    static std::string Entry(const std::string& x) { return Root(x) + " [" + x + "]"; }
    std::string Chosen() const {  // as the label shows it
        EXPECT_EQ(caption, form->state().currentFolder ? ChosenFolder(*form) : "");
        return ChosenFolder(*form);
    }
    bool FolderControlsShown() const {  // the folder's label and commands instead of the hint to choose one
        return std::set{shown.at(I::lblFolder), shown.at(I::lblFolderName), shown.at(I::cmdGetCache), shown.at(I::cmdRefresh),
                        shown.at(I::cmdSort), !shown.at(I::lblLocate)} == std::set{true};
    }
    void Log(const std::string& what) { log.push_back(what), times.push_back(now); }
    void Clear() { log.clear(), times.clear(); }
    std::vector<std::int64_t> Times(const std::string& what) const {
        std::vector<std::int64_t> at;
        for (std::size_t i = 0; i < log.size(); ++i)
            if (log[i] == what) at.push_back(times[i]);
        return at;
    }
    long Count(const std::string& what) const { return long(Times(what).size()); }

    void ShowDrives(const std::vector<std::string>& e, int selected) override { drives = e, drive = selected; }
    void ShowFolders(const std::vector<FolderRow>& rows, int highlighted) override { folders = rows, folder = highlighted; }
    void ShowFiles(const std::vector<std::string>& names, int selected) override { files = names, file = selected, Log("files"); }
    void SetVisible(ControlId id, bool visible) override {
        shown[id] = visible, Log((visible ? "show " : "hide ") + std::string(ConverterLayout().Control(id).name));
    }
    void SetCaption(ControlId id, const std::string& text) override { caption = text, Log(id == ControlId::lblFolder ? "caption" : "?"); }
    Answer Ask(const Message& m) override {
        messages.push_back(m), Log("ask " + m.text);
        return answer ? answer(m) : m.buttons == Buttons::RetryCancel ? Answer::Cancel : Answer::Ok;
    }
    void ShowProgress(const std::string& text) override { Log("progress " + text); }
    void SetProgress(int step) override { Log("step"), steps.push_back(step); }
    void HideProgress() override { Log("hide progress"); }
    void TakeInput(bool take) override { Log(take ? "input on" : "input off"); }
    void ShowAbout() override { Log("show about"); }
    void RaiseAbout() override { Log("raise about"); }
    void CloseAbout() override { Log("close about"), form->AboutClosed(); }
    void CloseMain() override { Log(form->MainClosing() ? "close main" : "keep main"); }
    void EndProgram() override { Log("end"); }

    const std::string kStart = "/home/p/start";
    std::int64_t now = 0;
    MemoryDisk disk;
    FakeVolumes* volumes = nullptr;
    std::unique_ptr<ConverterForm> form;
    std::vector<std::string> drives, files, log;  // what it did, at times
    std::vector<std::int64_t> times, steps;
    std::vector<FolderRow> folders;
    int drive = -1, folder = -1, file = -1;
    std::map<ControlId, bool> shown;
    std::string caption;
    std::vector<Message> messages;
    std::function<Answer(const Message&)> answer;
};

const char* const kCache = "/vol/a/Cache";

// A change to the drive `to` with the volumes `names`, after `opened` was opened; the first operation under
// `failPath` fails once with `failNumber`; the user answers Retry `retries` times before the drive is ready, then
// Cancel. A change that reaches its fifth step hides the hint, and so does each folder change, which also chooses a folder.
struct DriveCase { const char *what, *names, *unready, *opened, *to, *failPath; int failNumber, retries;
                   int messages, hides, folderChanges; const char *endDrive, *chosen; };
const DriveCase kDriveCases[] = {
    {"Retry asks again", "a b c", "b", nullptr, "b", "", 0, 2, 2, 2, 1, "b", "/vol/b"},
    {"Cancel: to the second entry, inside", "a c b", "b", "/vol/a", "b", "", 0, 0, 1, 3, 1, "c", "/vol/c"},
    {"second entry unavailable too", "a b d", "b d", kCache, "d", "", 0, 0, 2, 2, 0, "b", kCache},
    {"Cancel with one entry", "b", "b", nullptr, "b", "", 0, 0, 1, 1, 0, "b", "none"},
    {"first step fails, one entry: Cancel ends it", "b", "", nullptr, "b", "/home", kDeviceUnavailable, 0, 1, 0, 0, "b", "none"},
    {"fallback, then its drive", "a c d", "", kCache, "d", kCache, kDeviceUnavailable, 0, 1, 3, 1, "c", "/vol/c"},
    {"other error", "a d", "", kCache, "d", "/vol/d", kPermissionDenied, 0, 1, 1, 0, "d", kCache},
    {"a root is a whole path component", "a ab", "", "/vol/abc", "ab", "", 0, 0, 0, 2, 1, "ab", "/vol/ab"},
};

// The volumes a user would pick, and the questions that ask the drives; then the drive change's steps.
TEST(Drives, TheVolumesOfferedAndTheChangesStepsNestingAndRecovery) {
#ifndef _WIN32
    const auto volumes = UserVolumesFromMountTable(
        "/dev/sda2 / ext4 rw 0 0\nproc /proc proc\n/dev/sda3 /home ext4\n/dev/sda4 /home/user/data ext4\n"
        "/dev/sdb1 /media/user/MY\\040STICK vfat\nserver:/share /mnt/share nfs\n/dev/sdc1 /run/media/user/disk ext4\n"
        "/dev/sdg1 /media ext4\n/dev/sdd1 /mediaX ext4\n/dev/sde1 /mnt ext4\n/dev/sdf1 /run/media/user/disk ext4\n",
        {{"/dev/sdb1", "MY STICK"}});
    std::vector<std::string> entries;
    for (const Volume& volume : volumes) entries.push_back(VolumeEntryText(volume));
    EXPECT_EQ(entries, (std::vector<std::string>{"/ [sda2]", "/home [sda3]", "/media [sdg1]", "/media/user/MY STICK [MY STICK]",
                                                 "/mnt [sde1]", "/mnt/share [server:/share]", "/run/media/user/disk [sdf1]"}));
#endif
    // Questions to the drives run at once on other threads, one in flight per key: b answers only once a has
    // started. What has not answered is held by the test, not timed; a wait for what did answer has all the time
    // it needs, so a wake-up that went missing would show. (Braces: the calls run in their order.)
    const auto started = std::make_shared<std::atomic<bool>>(false), held = std::make_shared<std::atomic<bool>>(true);
    const auto once = [](auto done, std::string answer) -> std::function<std::string()> {
        return [=] { while (!done()) std::this_thread::sleep_for(1ms); return answer; };
    };
    const std::string a = "a", b = "b";
    Answers answers;
    EXPECT_EQ((std::tuple{answers.Ask(a, once([=] { return *started = true, !*held; }, "A")), answers.Ask(a, [] { return ""s; }),
                          answers.Ask(b, once([=] { return started->load(); }, "B")), answers.Ask("c", []() -> std::string { throw 1; })}),
              std::tuple(true, false, true, true));
    EXPECT_EQ((std::tuple{answers.Take(a), answers.Wait(50ms, &a), answers.Wait(10min, &b), answers.Take(b), answers.Take(b)}),
              std::tuple(std::nullopt, false, true, "B"s, std::nullopt)) << "taken once, when it has come";
    EXPECT_FALSE(answers.Check(a, [] { return true; }, 50ms)) << "still asked: not ready, and not asked again";
    *held = false;
    EXPECT_EQ((std::tuple{answers.Check(a, [] { return false; }, 10min), answers.Wait(10min), answers.Take("c"),
                          answers.Check(a, [] { return false; }, 10min), answers.Check(a, [] { return true; }, 10min)}),
              std::tuple(true, true, ""s, false, true)) << "the answer of the question in flight; a question that failed";

    for (const DriveCase& c : kDriveCases) {
        SCOPED_TRACE(c.what);
        FormHarness h(c.names);
        if (c.opened) h.disk.AddFolder(c.opened), h.form->SetFolder(c.opened);
        std::istringstream unready(c.unready);
        for (std::string x; unready >> x;) h.volumes->unready.insert(h.Root(x));
        h.answer = [&](const Message&) {  // the drive gets ready on the last Retry
            const int n = int(h.messages.size());
            return n < c.retries ? Answer::Retry : n == c.retries ? (h.volumes->unready.clear(), Answer::Retry) : Answer::Cancel;
        };
        h.disk.SetHook([&, failed = false](const MemoryDisk::Op& op) mutable -> std::optional<int> {
            if (failed || !*c.failPath || op.path.rfind(c.failPath, 0)) return std::nullopt;
            return failed = true, c.failNumber;
        });
        const long hides = h.Count("hide lblLocate"), changes = h.Count("caption");
        h.form->SetDrive(h.Entry(c.to));
        ASSERT_EQ(h.messages.size(), std::size_t(c.messages));
        const auto told = c.failNumber != kPermissionDenied ? std::tuple("Drive is not available."s, Buttons::RetryCancel, Icon::Error)
                                : std::tuple("Permission denied: "s + c.failPath, Buttons::Ok, Icon::Warning);
        for (const Message& m : h.messages) EXPECT_EQ(std::tuple(m.text, m.buttons, m.icon, m.title), std::tuple_cat(told, std::tuple(kAppTitle)));
        EXPECT_EQ(std::tuple(h.Count("hide lblLocate") - hides, h.Count("caption") - changes, h.Chosen(),
                             h.FolderControlsShown()), std::tuple(c.hides, c.folderChanges, c.chosen, c.hides > 0));
        EXPECT_EQ(std::tuple(h.form->drives().Drive(), h.drives[h.drive]), std::tuple(h.Entry(c.endDrive), h.Entry(c.endDrive)));
        if (*c.chosen == '/') { EXPECT_EQ(std::tuple(h.form->files().Path(), h.form->folders().Path()), std::tuple(c.chosen, c.chosen)); }
    }
}

TEST(Navigation, FolderChangeFileClickAndAnErrorInAnEvent) {
    FormHarness h;
    for (const char* file : {"b.uxx", "A.UNR", ".hidden", "sub/x", ".game/x"}) h.disk.AddFile(std::string(kCache) + "/" + file);
    EXPECT_EQ(std::tuple(h.drive, h.folder, h.files), std::tuple(-1, 3, std::vector<std::string>{"start.txt"}))
        << "the lists start on the start folder, on no volume";
    h.form->FileSelected(0, true);
    EXPECT_EQ(std::tuple(h.Chosen(), h.shown[I::lblFolder], h.shown[I::lblLocate]),
              std::tuple(h.kStart, false, true)) << "a file click before any change shows nothing";

    h.form->SetFolder("/vol/a/");
    h.form->FolderOpened(3);  // Cache
    const std::vector<FolderRow> rows{{"/", "/", 0, true}, {"vol", "/vol", 1, true}, {"a", "/vol/a", 2, true},
                                      {"Cache", kCache, 3, true}, {".game", "/vol/a/Cache/.game", 4, false},
                                      {"sub", "/vol/a/Cache/sub", 4, false}};
    EXPECT_EQ(std::tuple(h.folders, h.folder, h.files, h.Chosen(), h.FolderControlsShown()),
              std::tuple(rows, 3, std::vector<std::string>{"A.UNR", "b.uxx"}, kCache, true))
        << "the folders above and the open one, then its subfolders, hidden too; regular files only, not hidden";

    h.form->FolderHighlighted(5), h.form->FileSelected(1, false);  // sub
    EXPECT_EQ(h.Chosen(), kCache) << "a highlight alone chooses nothing, nor the file list moving its selection by itself";
    h.form->FileSelected(1, true);
    EXPECT_EQ(std::tuple(h.Chosen(), h.form->files().Path(), h.form->files().FileName()),
              std::tuple("/vol/a/Cache/sub", kCache, "b.uxx"));
    h.disk.AddFile(std::string(kCache) + "/a0.unr");
    h.form->RefreshFileList();
    EXPECT_EQ(std::tuple(h.file, h.form->files().FileName()), std::tuple(2, "b.uxx")) << "the selection kept";

    h.disk.SetHook([](const MemoryDisk::Op& op) {  // an error in an event is told once and the window goes on
        return op.path.rfind("/vol/a/Cache/sub", 0) ? std::nullopt : std::optional(kPathNotFound);
    });
    h.form->FileSelected(0, true);
    h.form->FolderOpened(5);
    EXPECT_EQ(std::tuple(h.messages.size(), h.messages.at(0).text, h.messages.at(0).icon, h.Chosen()),
              std::tuple(2u, "Path not found: /vol/a/Cache/sub", Icon::Warning, "/vol/a/Cache/sub"));
    h.disk.SetHook(nullptr);

    h.form->FolderOpened(5);
    const long changes = h.Count("caption");
    h.form->SetFolder("/vol/a/Cache/sub");
    EXPECT_EQ(std::tuple(h.folders.back().path, h.files, h.Chosen(), h.Count("caption") - changes),
              std::tuple("/vol/a/Cache/sub", std::vector<std::string>{"x"}, "/vol/a/Cache/sub", 0))
        << "writing the open folder again changes nothing";
    for (const char* drive : {"b", "a"}) h.form->SetDrive(h.Entry(drive));
    EXPECT_EQ(h.form->folders().Path(), "/vol/a/Cache/sub") << "back on a drive, the folder last opened there";
    h.disk.SetHook([](const MemoryDisk::Op& op) { return op.path == "/vol/a/Cache/sub" ? std::optional(kPathNotFound) : std::nullopt; });
    h.form->SetFolder(kCache);
    EXPECT_EQ(std::tuple(h.Chosen(), h.messages.size()), std::tuple(kCache, 2u)) << "the folder open before went away";
    h.volumes->volumes = {{"/vol/b", "b"}, {"/vol/c", "c"}, {"/vol/z", "z"}};
    h.form->DriveListOpening();
    EXPECT_EQ(std::tuple(h.drives, h.drive),
              std::tuple(std::vector<std::string>{"/vol/b [b]", "/vol/c [c]", "/vol/z [z]", "/vol/a [a]"}, 3))
        << "read again on dropping down; the selected volume stays although it went away";
}

// A command timed by a clock that moves 5 ms with each rename: the progress, the file list's reads and the
// input while it runs; a failure told once it has ended; a list that cannot be read keeps the command's report.
// Then the windows: one about window, and the program ends with the last window.
TEST(Windows, ProgressAfterASecondNoInputWhileRunningTheReportKeptAndTheProgramEndsWithTheLastWindow) {
    FormHarness h;
    std::string index = "[Cache]\r\n";  // 600 records, each with its cached file
    for (int i = 0; i < 600; ++i) {
        index += "K" + std::to_string(i) + "=file" + std::to_string(i) + (i % 2 ? ".unr\r\n" : ".utx\r\n");
        h.disk.AddFile(std::string(kCache) + "/K" + std::to_string(i) + ".uxx", "x");
    }
    h.disk.AddFile(std::string(kCache) + "/cache.ini", index);
    h.disk.AddFile(std::string(kCache) + "/z.int", "x");
    h.form->SetFolder(kCache);
    bool closed = true;
    std::vector<std::int64_t> reads;
    h.Clear();
    h.disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename") h.now += 5, closed &= h.form->MainClosing();
        if (op.kind == "readdir" && op.path == kCache && h.form->busy()) reads.push_back(h.now), h.now += 60;
        return op.kind == "rename" && op.path == "/vol/a/Cache/K599.uxx" ? std::optional(kPermissionDenied) : std::nullopt;
    });
    h.form->Pressed(I::cmdGetCache);
    const auto shown = h.Times("progress Converting the cache..."), steps = h.Times("step");
    const auto spaced = [](const std::vector<std::int64_t>& t, std::int64_t gap) {
        return t.size() >= 3 && std::adjacent_find(t.begin(), t.end(), [&](auto a, auto b) { return b - a < gap; }) == t.end();
    };
    EXPECT_EQ(std::tuple(shown.size(), shown.at(0) / 100, spaced(steps, 100 - 60), spaced(reads, 600), reads.size() < 10),
              std::tuple(1u, 10, true, true, true))
        << "after a second; then at most every 100 ms, and the files, 60 ms to read, no more than a tenth of the time";
    EXPECT_TRUE(std::is_sorted(h.steps.begin(), h.steps.end()) && h.steps.back() > 900 && h.steps.back() <= kProgressSteps);
    EXPECT_EQ(std::tuple(h.log.front(), std::vector(h.log.end() - 4, h.log.end()), closed),
              std::tuple("input off", std::vector<std::string>{"hide progress", "input on", "files",
                                                               "ask Permission denied: /vol/a/Cache/K599.uxx"}, false))
        << "no input and no closing while it runs; its failure told once the list shows what it did";
    EXPECT_EQ(std::tuple(h.files.size(), h.files[1], h.files[600], h.messages.size()),
              std::tuple(602u, "file0.utx", "K599.uxx", 1u));

    // The list cannot be read again after the last move: the sort still reports that it finished.
    bool moved = false;
    std::vector<std::string> shownAtMove;
    h.disk.SetHook([&](const MemoryDisk::Op& op) {
        if (op.kind == "rename") h.now += 5;
        if (!moved && op.path2 == "/vol/a/Cache/System/z.int") moved = true, shownAtMove = h.files;
        return moved && op.kind == "readdir" ? std::optional(kPathNotFound) : std::nullopt;
    });
    h.Clear();
    h.form->Pressed(I::cmdSort);
    EXPECT_EQ(std::tuple(moved, h.messages.size(), h.messages.at(1).title, h.files),
              std::tuple(true, 2u, "Finished Sorting", shownAtMove));
    const auto hidden = std::find(h.log.begin(), h.log.end(), "hide progress");
    EXPECT_TRUE(hidden != h.log.end() && hidden[1].rfind("ask Simply copy", 0) == 0) << "no progress behind a message";

    h.Clear();
    for (I id : {I::lblInfo, I::lblInfo, I::cmdBack, I::lblInfo, I::cmdExit}) h.form->Pressed(id);
    EXPECT_EQ(h.log, (std::vector<std::string>{"show about", "raise about", "close about", "show about", "close main"}))
        << "the one about window; Exit leaves it open and the program running";
    h.form->AboutClosed();  // its close box
    EXPECT_EQ(std::tuple(h.log.back(), h.form->aboutOpen()), std::tuple("end", false));
    FormHarness only;
    only.form->Pressed(I::cmdExit);
    EXPECT_EQ(std::vector(only.log.end() - 2, only.log.end()), (std::vector<std::string>{"end", "close main"}));
}

// The sort's closing box where the Cache folder's parent holds a System folder: it asks to install; No leaves the
// sorted files; Yes installs them as the command line does, with its progress, never replacing a game file, and
// tells what it did, the lists showing the Cache folder as it is. With no game folder, the sort's own box.
TEST(Install, TheSortAsksWhereTheGameIsNoKeepsThemYesInstallsThemAndTells) {
    const std::string game = "/vol/a/Game", cache = JoinPath(game, "Cache");
    const auto in = [](const std::string& folder, const char* name) { return JoinPath(folder, name); };
    for (const auto& [hasGame, answer] : {std::pair(false, Answer::Ok), std::pair(true, Answer::No), std::pair(true, Answer::Yes)}) {
        SCOPED_TRACE(int(answer));
        FormHarness h;
        for (const char* name : {"A.unr", "B.unr", "C.utx", "D.u", "E.int", "F.umx", "G.uax", "notes.txt"}) h.disk.AddFile(in(cache, name), name);
        for (const std::string name : {"Maps/B.unr", "Textures/C.utx", "System/D.u", "Music/F.umx", "Sounds/G.uax"})  // the same B.unr
            if (hasGame || name[0] != 'S') h.disk.AddFile(in(game, name.c_str()), name == "Maps/B.unr" ? "B.unr" : "old");
        h.form->SetFolder(cache);
        h.answer = [&](const Message&) { return answer; };
        h.disk.SetHook([&](const MemoryDisk::Op&) { return h.now += 100, std::nullopt; });
        h.Clear();
        h.form->Pressed(I::cmdSort);

        ASSERT_EQ(h.messages.size(), answer == Answer::Yes ? 2u : 1u);
        const Message& closing = h.messages[0];
        EXPECT_EQ(std::tuple(closing.title, closing.buttons, closing.icon), std::tuple("Finished Sorting", hasGame ? Buttons::YesNo : Buttons::Ok, Icon::None));
        EXPECT_EQ(closing.text, hasGame ? "Install the sorted files into the game's folders in " + game + " now?\r\nA file the game "
                                          "holds in another version is kept in the Cache folder, never replaced."
                                        : "Simply copy the 'Map', 'Textures', 'Sounds', 'Music', & 'System' folders from\r\n"
                                          "the 'Cache' directory to the game's main directory, choosing overwrite.");
        const bool installed = answer == Answer::Yes;
        EXPECT_EQ(std::tuple(h.disk.Content(in(game, "Maps/A.unr")), h.disk.Content(in(game, "System/E.int")), h.disk.HasFolder(in(cache, "Maps")),
                             h.disk.Content(in(game, "Textures/C.utx")), h.disk.Content(in(cache, "Textures/C.utx"))),
                  std::tuple(installed ? "A.unr" : "", installed ? "E.int" : "", !installed, "old", "C.utx"))
            << "installed; the same one's cached copy gone; another version kept in the cache, never replacing the game's";
        std::vector<std::string> subfolders;
        for (const FolderRow& row : h.folders) if (row.depth == h.folders[h.folder].depth + 1) subfolders.push_back(row.text);
        EXPECT_EQ(std::tuple(subfolders.size(), h.files), std::tuple(installed ? 4u : 6u, std::vector<std::string>{"notes.txt"}));
        const auto progress = std::find(h.log.begin(), h.log.end(), "progress Installing into the game...");
        EXPECT_EQ(progress != h.log.end(), installed);
        if (!installed) continue;
        EXPECT_TRUE(std::find(progress, h.log.end(), "hide progress") < std::find(progress, h.log.end(), "ask " + h.messages[1].text))
            << "its progress after the question, and none behind its report";
        EXPECT_EQ(std::tuple(h.messages[1].title, h.messages[1].buttons, h.messages[1].text),
                  std::tuple("Finished Installing", Buttons::Ok,
                             "2 files installed into the game's folders in " + game + ".\r\n1 file already there in the same version.\r\n"
                             "4 files kept in the Cache folder's sort folders, the game holding another file of that name: " + in("System", "D.u") + ", " +
                             in("Textures", "C.utx") + ", " + in("Sounds", "G.uax") + " and 1 more;\r\nthey are in " + cache + "."));
    }
}

}  // namespace
}  // namespace tcc
