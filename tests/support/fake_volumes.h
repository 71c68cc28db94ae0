#pragma once

#include <set>

#include "form/converter_form.h"

namespace tcc {

// The drive list's volumes as a test sets them, /vol/a and /vol/b unless it sets others; a root in `unready`
// does not answer. Their entries read alike on every system.
struct FakeVolumes : VolumeSource {
    std::vector<Volume> volumes{{"/vol/a", "A"}, {"/vol/b", "B"}};
    std::set<std::string> unready;
    std::vector<Volume> Volumes() override { return volumes; }
    bool IsReady(const Volume& volume) override { return !unready.count(volume.root); }
    std::string EntryText(const Volume& volume) override { return volume.root + " [" + volume.name + "]"; }
};

// The folder the form chose for the commands, or "none".
inline std::string ChosenFolder(ConverterForm& form) {
    const auto& chosen = form.state().currentFolder;
    return chosen ? chosen->path : "none";
}

}  // namespace tcc
