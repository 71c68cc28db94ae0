// Feeds arbitrary bytes as cache.ini to the Convert Cache command over an
// in-memory disk and checks on every input that the command stays inside the
// chosen folder, loses no file, puts every file where the rules say, and ends
// either normally or with FileError. A conversion that ends normally is
// followed by the sort, checked in the same way, so that the names the index
// makes up go through the sort too.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "core/cache_conversion.h"
#include "core/file_error.h"
#include "sort/sort_folders.h"
#include "tests/support/cache_model.h"
#include "tests/support/memory_disk.h"
#include "tests/support/recording_window.h"

namespace {

using namespace tcc;

const std::string kFolder = "/h/game/Cache";
constexpr std::size_t kOutsideFiles = 4;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "convert_fuzz: %s\n", what.c_str());
    std::abort();
}

bool InsideFolder(const std::string& path) {
    return path == kFolder || path.rfind(kFolder + "/", 0) == 0;
}

// Every file has content of its own, so contents identify files.
void Populate(MemoryDisk& disk, model::Tree& tree, const std::string& index) {
    const char* cached[] = {"A.uxx", "a.uxx", "B.uxx", "ab.UXX", "1.uxx", ".uxx", "...uxx", "x y.uxx", "Map.unr",
                            "readme.unk", "K.uxx", "k.UXX"};
    for (const char* name : cached) {
        disk.AddFile(kFolder + "/" + name, std::string("content of ") + name);
        tree[name] = {model::Kind::File, std::string("content of ") + name, false};
    }
    disk.AddFile(kFolder + "/RO.uxx", "content of RO.uxx", true);
    tree["RO.uxx"] = {model::Kind::File, "content of RO.uxx", true};
    // A folder that holds a target name: renaming onto it must fail.
    disk.AddFolder(kFolder + "/Dir.unr");
    tree["Dir.unr"] = {model::Kind::Folder, "", false};
    disk.AddFile(kFolder + "/Maps/in.unr", "content of Maps/in.unr");
    tree["Maps"] = {model::Kind::Folder, "", false};
    tree["Maps/in.unr"] = {model::Kind::File, "content of Maps/in.unr", false};
    // A read-only file in a sort folder: a file of its name stops the sort.
    disk.AddFile(kFolder + "/Maps/ro.unr", "content of Maps/ro.unr", true);
    tree["Maps/ro.unr"] = {model::Kind::File, "content of Maps/ro.unr", true};
    disk.AddFile(kFolder + "/cache.ini", index);
    tree["cache.ini"] = {model::Kind::File, index, false};

    // Outside the folder, also one whose path starts with the folder's.
    disk.AddFile("/h/game/System/keep.u", "sentinel keep.u");
    disk.AddFile("/h/x.uxx", "sentinel x.uxx");
    disk.AddFile("/h/game/x.uxx", "sentinel game x.uxx");
    disk.AddFile("/h/game/Cache2/A.uxx", "sentinel Cache2");
}

std::multiset<std::string> Contents(const std::map<std::string, std::string>& files) {
    std::multiset<std::string> all;
    for (const auto& [path, content] : files) all.insert(content);
    return all;
}

// Every operation from `firstOp` on worked inside the folder.
void CheckInside(const MemoryDisk& disk, std::size_t firstOp) {
    for (std::size_t i = firstOp; i < disk.log().size(); ++i) {
        const MemoryDisk::Op& op = disk.log()[i];
        for (const std::string* p : {&op.path, &op.path2}) {
            if (!p->empty() && !InsideFolder(*p)) Fail(op.kind + " outside the folder: " + *p);
        }
    }
}

// The folder holds exactly the model's files and folders, and the files
// outside it are all still there as they were.
void CheckAgainstModel(const MemoryDisk& disk, const model::Tree& expected) {
    const auto after = disk.Files();
    std::size_t inside = 0, outside = 0;
    for (const auto& [path, content] : after) {
        if (!InsideFolder(path)) {
            if (content.rfind("sentinel", 0) != 0) Fail("a file outside the folder changed: " + path);
            ++outside;
            continue;
        }
        ++inside;
        std::string rel = path.substr(kFolder.size() + 1);
        auto it = expected.find(rel);
        if (it == expected.end() || it->second.kind != model::Kind::File || it->second.content != content) {
            Fail("file not where the rules put it: " + rel);
        }
    }
    std::size_t expectedFiles = 0;
    for (const auto& [rel, entry] : expected) {
        if (entry.kind == model::Kind::File) {
            ++expectedFiles;
        } else if (!disk.HasFolder(kFolder + "/" + rel)) {
            Fail("folder missing: " + rel);
        }
    }
    if (expectedFiles != inside) Fail("file count differs from the rules");
    if (outside != kOutsideFiles) Fail("a file outside the folder vanished");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string index(reinterpret_cast<const char*>(data), size);
    MemoryDisk disk;
    model::Tree expected;
    Populate(disk, expected, index);
    const auto before = disk.Files();

    CacheFolderState state(disk);
    RecordingWindow window;
    state.ChooseFolder(kFolder);
    const std::size_t firstOp = disk.log().size();

    bool failed = false;
    try {
        cmdGetCache_Click(state, window);
    } catch (const FileError&) {
        failed = true;
    } catch (const std::exception& e) {
        Fail(std::string("unexpected exception: ") + e.what());
    } catch (...) {
        Fail("unexpected exception of unknown type");
    }

    CheckInside(disk, firstOp);
    for (std::size_t i = firstOp; i < disk.log().size(); ++i) {
        const MemoryDisk::Op& op = disk.log()[i];
        if (op.kind == "remove" || op.kind == "replace" || op.kind == "mkdir" || op.kind == "create" ||
            op.kind == "write") {
            Fail("the conversion must only rename, but did " + op.kind + " " + op.path);
        }
    }
    if (Contents(disk.Files()) != Contents(before)) Fail("a file vanished or appeared");
    if (disk.openStreams() != 0) Fail("a stream was left open");
    if (!window.messages.empty()) Fail("unexpected message: " + window.messages[0].text);
    if (state.cacheConverted == failed) Fail("cacheConverted does not match the outcome");

    const bool modelOk = model::Convert(expected, index);
    if (modelOk == failed) Fail(failed ? "the conversion failed where it should not" : "the conversion missed an error");
    CheckAgainstModel(disk, expected);
    if (failed) return 0;

    const std::size_t sortFirstOp = disk.log().size();
    bool sortFailed = false;
    try {
        cmdSort_Click(state, window);
    } catch (const FileError&) {
        sortFailed = true;
    } catch (const std::exception& e) {
        Fail(std::string("unexpected exception in the sort: ") + e.what());
    } catch (...) {
        Fail("unexpected exception of unknown type in the sort");
    }
    CheckInside(disk, sortFirstOp);
    if (disk.openStreams() != 0) Fail("a stream was left open by the sort");
    const bool sortOk = model::Sort(expected);
    if (sortOk == sortFailed) Fail(sortFailed ? "the sort failed where it should not" : "the sort missed an error");
    CheckAgainstModel(disk, expected);
    return 0;
}
