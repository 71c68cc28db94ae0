// Arbitrary cache.ini bytes and one failing file operation: Convert, Sort and
// Refresh run in turn over an in-memory disk with the k-th operation failing.
// The command that meets the fault must stop with that one error and lose
// nothing; run again, it must finish the work as a run without the fault.
//
// Input: two bytes choose k (0: no fault; up to 1023), one byte the error
// number, the rest is the index.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "core/cache_conversion.h"
#include "core/cache_reset.h"
#include "core/file_error.h"
#include "core/file_system.h"
#include "sort/sort_folders.h"
#include "tests/support/cache_model.h"
#include "tests/support/memory_disk.h"
#include "tests/support/recording_window.h"

namespace {

using namespace tcc;

const std::string kFolder = "/h/game/Cache";
const std::string kIndex = kFolder + "/cache.ini";

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "fault_fuzz: %s\n", what.c_str());
    std::abort();
}

bool InsideFolder(const std::string& path) { return path == kFolder || path.rfind(kFolder + "/", 0) == 0; }

void Populate(MemoryDisk& disk, const std::string& index) {
    const char* files[] = {"A.uxx", "a.uxx", "B.uxx", "ab.UXX", "1.uxx", ".uxx", "K.uxx", "k.UXX", "Map.unr",
                           "map.UNR", "x.int", "X.INT", "Tex.utx", "readme.unk", "notes.txt"};
    for (const char* name : files) disk.AddFile(kFolder + "/" + name, std::string("content of ") + name);
    disk.AddFile(kFolder + "/RO.uxx", "content of RO.uxx", true);
    disk.AddFile(kFolder + "/maps/in.unr", "content of maps/in.unr");
    disk.AddFile(kFolder + "/maps/MAP.unr", "content of maps/MAP.unr");
    disk.AddFile(kFolder + "/System/x.int", "content of System/x.int");
    disk.AddFile(kFolder + "/Textures/Tex.utx", "content of Textures/Tex.utx");
    disk.AddFile(kIndex, index);
    disk.AddFile("/h/game/System/keep.u", "sentinel keep.u");
    disk.AddFile("/h/game/Cache2/A.uxx", "sentinel Cache2");
}

struct Step {
    void (*run)(CacheFolderState&, Window&);
    const char* name;
};
const Step kSteps[] = {{cmdGetCache_Click, "convert"}, {cmdSort_Click, "sort"}, {cmdRefresh_Click, "refresh"}};

// Runs one command; answers whether it threw FileError (and which number).
bool Threw(const Step& step, CacheFolderState& state, RecordingWindow& window, int* number) {
    try {
        step.run(state, window);
        return false;
    } catch (const FileError& e) {
        *number = e.number();
        return true;
    } catch (const std::exception& e) {
        Fail(std::string(step.name) + ": unexpected exception: " + e.what());
    } catch (...) {
        Fail(std::string(step.name) + ": unexpected exception of unknown type");
    }
}

std::map<std::string, std::string> ByContent(const std::map<std::string, std::string>& files) {
    std::map<std::string, std::string> where;
    for (const auto& [path, content] : files) where[content] = path;
    return where;
}

// The cache folder on the disk as the model sees it.
model::Tree TreeOf(const MemoryDisk& disk) {
    model::Tree tree;
    for (const char* folder : {"maps", "System", "Textures"}) tree[folder] = {model::Kind::Folder, "", false};
    for (const auto& [path, content] : disk.Files()) {
        // RO.uxx, under whatever name it has now, is the one read-only file.
        if (InsideFolder(path)) {
            tree[path.substr(kFolder.size() + 1)] = {model::Kind::File, content, content == "content of RO.uxx"};
        }
    }
    return tree;
}

// The files of a model tree, by full path.
std::map<std::string, std::string> FilesOf(const model::Tree& tree) {
    std::map<std::string, std::string> files;
    for (const auto& [rel, entry] : tree) {
        if (entry.kind == model::Kind::File) files[kFolder + "/" + rel] = entry.content;
    }
    return files;
}

std::map<std::string, std::string> CacheFiles(const MemoryDisk& disk) {
    std::map<std::string, std::string> files;
    for (const auto& [path, content] : disk.Files()) {
        if (InsideFolder(path)) files[path] = content;
    }
    return files;
}

std::string SameNameKey(const std::string& path) {
    return ParentOf(path) + "/" + FoldCase(path.substr(ParentOf(path).size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const long k = data[0] | ((data[1] & 3) << 8);
    const int number = (data[2] & 1) ? kPermissionDenied : kDeviceUnavailable;
    const std::string index(reinterpret_cast<const char*>(data) + 3, size - 3);

    // The run without a fault: what every command must reach.
    MemoryDisk cleanDisk;
    Populate(cleanDisk, index);
    const auto before = cleanDisk.Files();
    std::map<std::string, std::string> cleanAfter;
    {
        CacheFolderState state(cleanDisk);
        RecordingWindow window;
        state.ChooseFolder(kFolder);
        for (const Step& step : kSteps) {
            int n = 0;
            if (Threw(step, state, window, &n)) return 0;  // the rules stop here; the convert fuzzer covers it
        }
        cleanAfter = cleanDisk.Files();
    }
    // The files the clean run replaces by design, and the same-name keys
    // where their newcomers end.
    const auto cleanWhere = ByContent(cleanAfter);
    std::set<std::string> replaced;
    for (const auto& [path, content] : before) {
        if (path != kIndex && !cleanWhere.count(content)) replaced.insert(content);
    }
    std::set<std::string> cleanKeys;
    for (const auto& [path, content] : cleanAfter) cleanKeys.insert(SameNameKey(path));

    MemoryDisk disk;
    Populate(disk, index);
    CacheFolderState state(disk);
    RecordingWindow window;
    state.ChooseFolder(kFolder);
    const std::size_t firstOp = disk.log().size();
    if (k > 0) disk.FailAt(k, number);
    const long start = disk.operations();

    bool faulted = false;
    // A conversion run again starts over from the top of the index on files
    // that the first run has partly renamed, so where a record's target is
    // another record's cached file the end differs from the clean run's. It
    // must then be what the rules make of the folder as the fault left it.
    bool convertRedone = false;
    model::Tree redone;
    for (const Step& step : kSteps) {
        const bool convertedBefore = state.cacheConverted;
        const std::size_t messagesBefore = window.messages.size();
        int n = 0;
        const bool threw = Threw(step, state, window, &n);
        const bool reachedNow = !faulted && k > 0 && disk.operations() - start >= k;
        if (threw != reachedNow) Fail(std::string(step.name) + (threw ? ": error without the fault" : ": the fault was swallowed"));
        if (!threw) continue;
        faulted = true;
        if (n != number) Fail(std::string(step.name) + ": the error changed its number");
        if (state.cacheConverted != convertedBefore) Fail("a failed command changed cacheConverted");
        if (disk.openStreams() != 0) Fail("a stream was left open");
        for (std::size_t i = messagesBefore; i < window.messages.size(); ++i) {
            if (window.messages[i].title == "Finished Sorting") Fail("a failed sort said it finished");
        }
        // Nothing lost but the clean run's replacements, and each of those
        // only once a newcomer of its name is in its folder.
        const auto now = disk.Files();
        const auto where = ByContent(now);
        for (const auto& [path, content] : before) {
            if (path == kIndex || where.count(content)) continue;
            if (!replaced.count(content)) Fail(std::string(step.name) + ": lost " + path);
            const std::string name = FoldCase(path.substr(path.rfind('/') + 1));
            bool newcomer = false;
            for (const auto& [p, c] : now) {
                newcomer |= FoldCase(p.substr(p.rfind('/') + 1)) == name && !(before.count(p) && before.at(p) == c);
            }
            if (!newcomer) Fail(std::string(step.name) + ": " + path + " is gone before its newcomer is in");
        }
        for (const auto& [path, content] : now) {
            if (!InsideFolder(path) && !before.count(path)) Fail("a file appeared outside the folder: " + path);
        }
        const std::string idx = disk.Content(kIndex);
        if (!disk.HasFile(kIndex) || (idx != index && idx != "[Cache]\r\n")) Fail("the index is damaged");
        // Again, as the user would: the command finishes its work.
        if (step.run == cmdGetCache_Click) {
            convertRedone = true;
            redone = TreeOf(disk);
            if (!model::Convert(redone, index)) return 0;
        }
        int again = 0;
        if (Threw(step, state, window, &again)) Fail(std::string(step.name) + ": fails again without a fault");
        if (convertRedone && CacheFiles(disk) != FilesOf(redone)) Fail("convert again: not as the rules say");
    }

    for (std::size_t i = firstOp; i < disk.log().size(); ++i) {
        const MemoryDisk::Op& op = disk.log()[i];
        for (const std::string* p : {&op.path, &op.path2}) {
            if (!p->empty() && !InsideFolder(*p)) Fail(op.kind + " outside the folder: " + *p);
        }
    }
    const auto after = disk.Files();
    if (convertRedone) {
        // Sort and Refresh then ran without a fault.
        if (!model::Sort(redone)) return 0;
        redone["cache.ini"].content = "[Cache]\r\n";
        if (CacheFiles(disk) != FilesOf(redone)) Fail("after the redone conversion, not as the rules say");
        return 0;
    }
    // The end is the clean end, but for a replaced file kept because the
    // fault came before its removal.
    for (const auto& [path, content] : cleanAfter) {
        auto it = after.find(path);
        if (it == after.end() || it->second != content) Fail("after the fault, not as the clean run: " + path);
    }
    for (const auto& [path, content] : after) {
        if (cleanAfter.count(path)) continue;
        if (!replaced.count(content) || !cleanKeys.count(SameNameKey(path))) {
            Fail("after the fault, an extra file: " + path);
        }
    }
    return 0;
}
