#include "commands/refresh.h"

#include <string>

#include "core/file_system.h"

namespace tcc {
namespace {

// The whole of a fresh index: its header line and one line end.
constexpr const char* kFreshIndex = "[Cache]\r\n";

// Rewrites the chosen folder's cache.ini with its header line alone; false
// when there was no index and the folder is not a cache folder.
bool ResetCacheIndex(CacheFolderState& state, Reporter& reporter) {
    const std::string indexPath = state.PathIn("cache.ini");
    FileSystem& fs = state.fs();
    // An existing index is replaced whatever the folder is called; a new one
    // is made only in a cache folder.
    if (!fs.FileExists(indexPath) && !state.IsCacheFolder(reporter)) return false;
    // Written beside the old index and renamed over it, so the folder never
    // holds an empty or half-written index. A read-only index is refused.
    fs.ReplaceFileContent(indexPath, kFreshIndex);
    reporter.Note(FileAction::Write("cache.ini"));
    return true;
}

}  // namespace

CommandResult RunRefresh(CacheFolderState& state, Reporter& reporter) {
    FileSystem::Command command(state.fs());
    if (!state.HasFolder(reporter)) return Outcome::Refused;
    if (!state.cacheConverted) {
        Answer answer = reporter.MessageBox(
            "You haven't converted the cache directory yet, are you sure you want to delete the 'Cache.ini' "
            "settings?",
            "'Cache.ini' Overwrite", Buttons::YesNo, Icon::None);
        if (answer != Answer::Yes) return Outcome::Refused;
    }
    return ResetCacheIndex(state, reporter) ? Outcome::Done : Outcome::Refused;
}

}  // namespace tcc
