#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/disk.h"

namespace tcc {

// A folder's entries as a command knows them, found by the disk's rule for
// letter case. A pointer to an entry holds until the listing changes.
class Listing {
public:
    // The listing of the folder `path` holding `entries`, whose names are
    // compared as `disk` compares them.
    Listing(std::string path, Disk& disk, std::vector<DirEntry> entries);

    const std::string& path() const { return path_; }
    // The entry of that name: the exact one, else the first in byte order
    // that equals it without regard to case; null when there is none.
    const DirEntry* Find(std::string_view name) const;
    // Makes room for `more` entries to come, so that adding them one by one
    // does not grow the table again and again.
    void Reserve(std::size_t more);
    // Adds an entry, or replaces the one of exactly that name.
    void Add(DirEntry entry);
    // Takes away the entry of exactly that name and answers it (valid until
    // the next change), or null when there was none.
    const DirEntry* Take(std::string_view name);
    // Does it hold no entry?
    bool Empty() const;
    // Calls visit(entry) for each entry in byte order of the names. From then
    // on the entries lie in that order, so that walking them again reads the
    // listing in the order it lies in memory.
    template <class Visit>
    void InOrder(Visit visit) {
        Arrange();
        for (const Item& item : items_) visit(item.entry);
    }

private:
    static constexpr std::uint32_t kNone = 0xffffffff;
    // An entry and the next one of its name in other case, in byte order.
    // An entry taken away stays as gone, so that the others keep their place.
    struct Item {
        DirEntry entry;
        std::uint32_t next = kNone;
        std::uint32_t hash = 0;  // of the folded name
        bool gone = false;
    };
    // The entries in byte order of their names, the gone ones dropped.
    void Arrange();
    // The table's slot of a name: empty, or the first item of that name in
    // any case; hash is its CaseHash.
    std::size_t SlotOf(std::string_view name, std::uint32_t hash) const;
    // The first item of that name in any case, or kNone.
    std::uint32_t First(std::string_view name) const;
    // A table for `names` names, every item put in again.
    void Rehash(std::size_t names);
    void Link(std::uint32_t item);
    // The hash of a name's case key, and whether two names have one key.
    std::uint32_t CaseHash(std::string_view name) const;
    bool SameCase(std::string_view a, std::string_view b) const;

    std::string path_;
    Disk* disk_;
    std::vector<Item> items_;
    // Open addressing on the names' case hashes: each name, in any case, once.
    std::vector<std::uint32_t> table_;
    std::size_t names_ = 0;
};

}  // namespace tcc
