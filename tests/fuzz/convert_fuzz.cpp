// Feeds arbitrary bytes as cache.ini to Convert Cache over an in-memory disk,
// then sorts when the conversion ended normally. Each command must stay inside
// the folder, end normally or with FileError exactly when the model says so,
// and leave every file where the model puts it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/cache_conversion.h"
#include "sort/sort_folders.h"
#include "core/file_error.h"
#include "tests/support/cache_model.h"
#include "tests/support/memory_disk.h"
#include "tests/support/recording_window.h"

namespace {

using namespace tcc;

const std::string kFolder = "/h/game/Cache";

void Check(bool ok, const std::string& what) {
    if (ok) return;
    std::fprintf(stderr, "convert_fuzz: %s\n", what.c_str());
    std::abort();
}

// Runs the command; true when it ended with FileError.
bool Fails(bool (*click)(CacheFolderState&, Window&), CacheFolderState& state, MemoryDisk& disk,
           const model::Tree& expected, bool modelOk) {
    RecordingWindow window;
    const std::size_t firstOp = disk.log().size();
    bool failed = false;
    try {
        click(state, window);
    } catch (const FileError&) {  // any other exception escapes and stops the fuzzer
        failed = true;
    }
    for (std::size_t i = firstOp; i < disk.log().size(); ++i) {
        for (const std::string& p : {disk.log()[i].path, disk.log()[i].path2}) {
            Check(p.empty() || p == kFolder || p.starts_with(kFolder + "/"), disk.log()[i].kind + " outside: " + p);
        }
    }
    Check(disk.openStreams() == 0, "a stream was left open");
    Check(failed != modelOk, failed ? "failed where the rules see no error" : "missed an error");
    Check(window.messages.size() == (click == cmdSort_Click && !failed), "a message other than the sort's last");
    Check(state.cacheConverted != (failed && click == cmdGetCache_Click), "cacheConverted does not match the outcome");
    model::Tree got = model::Below(disk.Files(), kFolder);
    for (const auto& [rel, entry] : expected) {
        if (entry.kind == model::Kind::Folder && disk.HasFolder(kFolder + "/" + rel)) got[rel] = entry;
    }
    const std::string diff = model::Diff(expected, got);
    Check(diff.empty(), "not where the rules put it: " + diff);
    return failed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string index(reinterpret_cast<const char*>(data), size);
    MemoryDisk disk;
    // Every file has its own content. A read-only cached file, a folder
    // holding a target name, a sort folder with a read-only file in it, and
    // outside the folder also paths that start as the folder's does.
    for (const char* name : {"A.uxx", "a.uxx", "B.uxx", "ab.UXX", "1.uxx", ".uxx", "...uxx", "x y.uxx", "Map.unr",
                             "readme.unk", "K.uxx", "k.UXX", "RO.uxx", "Maps/in.unr", "Maps/ro.unr"}) {
        disk.AddFile(kFolder + "/" + name, std::string("content of ") + name, name[0] == 'R' || std::string_view(name).ends_with("ro.unr"));
    }
    disk.AddFolder(kFolder + "/Dir.unr");
    disk.AddFile(kFolder + "/cache.ini", index);
    model::Tree expected = model::Below(disk.Files(), kFolder);
    expected["Dir.unr"] = expected["Maps"] = {model::Kind::Folder, "", false};
    expected["RO.uxx"].readOnly = expected["Maps/ro.unr"].readOnly = true;
    const model::Files outside = {{"/h/game/System/keep.u", "keep.u"}, {"/h/x.uxx", "x.uxx"},
                                  {"/h/game/x.uxx", "game x.uxx"}, {"/h/game/Cache2/A.uxx", "Cache2"}};
    for (const auto& [path, content] : outside) disk.AddFile(path, content);

    CacheFolderState state(disk);
    state.ChooseFolder(kFolder);
    if (!Fails(cmdGetCache_Click, state, disk, expected, model::Convert(expected, index))) {
        Fails(cmdSort_Click, state, disk, expected, model::Sort(expected));
    }
    for (const auto& [path, content] : outside) Check(disk.HasFile(path) && disk.Content(path) == content, path);
    return 0;
}
