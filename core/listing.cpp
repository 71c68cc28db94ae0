#include "core/listing.h"

#include <algorithm>

#include "core/paths.h"

namespace tcc {

namespace {

// Eight bytes of a name from `at` on, zeros past its end, as a number that
// compares as the bytes do.
std::uint64_t BigEndianPrefix(std::string_view name, std::size_t at) {
    std::uint64_t prefix = 0;
    for (std::size_t i = at; i < at + 8; ++i)
        prefix = prefix << 8 | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
    return prefix;
}

bool IsAscii(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

Listing::Listing(std::string path, Disk& disk, std::vector<DirEntry> entries) : path_(std::move(path)), disk_(&disk) {
    items_.reserve(entries.size());
    for (DirEntry& e : entries) {
        const std::uint32_t hash = CaseHash(e.name);
        items_.push_back({std::move(e), kNone, hash});
    }
    Rehash(items_.size());
}

// Names of ASCII bytes alone compare as their letters fold, on every disk;
// the disk's own rule decides for the others (é and É are one name where the
// system says so).
std::uint32_t Listing::CaseHash(std::string_view name) const {
    return static_cast<std::uint32_t>(IsAscii(name) ? HashFolded(name) : HashFolded(disk_->CaseKey(name)));
}

bool Listing::SameCase(std::string_view a, std::string_view b) const {
    if (IsAscii(a) && IsAscii(b)) return EqualFolded(a, b);
    return disk_->CaseKey(a) == disk_->CaseKey(b);
}

std::size_t Listing::SlotOf(std::string_view name, std::uint32_t hash) const {
    const std::size_t mask = table_.size() - 1;
    std::size_t slot = hash & mask;
    for (std::uint32_t i; (i = table_[slot]) != kNone; slot = (slot + 1) & mask) {
        if (items_[i].hash == hash && SameCase(items_[i].entry.name, name)) break;
    }
    return slot;
}

std::uint32_t Listing::First(std::string_view name) const {
    return table_.empty() ? kNone : table_[SlotOf(name, CaseHash(name))];
}

const DirEntry* Listing::Find(std::string_view name) const {
    const DirEntry* first = nullptr;
    for (std::uint32_t i = First(name); i != kNone; i = items_[i].next) {
        if (items_[i].gone) continue;
        if (items_[i].entry.name == name) return &items_[i].entry;
        if (!first) first = &items_[i].entry;
    }
    return first;
}

void Listing::Link(std::uint32_t item) {
    const std::string& name = items_[item].entry.name;
    std::uint32_t* at = &table_[SlotOf(name, items_[item].hash)];
    if (*at == kNone) ++names_;
    while (*at != kNone && items_[*at].entry.name < name) at = &items_[*at].next;
    items_[item].next = *at;
    *at = item;
}

void Listing::Rehash(std::size_t names) {
    std::size_t size = 16;
    while (size < 2 * names) size *= 2;
    table_.assign(size, kNone);
    names_ = 0;
    for (std::uint32_t i = 0; i < items_.size(); ++i) Link(i);
}

void Listing::Reserve(std::size_t more) {
    items_.reserve(items_.size() + more);
    if (2 * (names_ + more) > table_.size()) Rehash(names_ + more);
}

void Listing::Add(DirEntry entry) {
    if (2 * (names_ + 1) > table_.size()) Rehash(names_ + 1);
    const auto hash = CaseHash(entry.name);
    for (std::uint32_t i = table_[SlotOf(entry.name, hash)]; i != kNone; i = items_[i].next) {
        if (items_[i].entry.name == entry.name) {
            items_[i].entry = std::move(entry);
            items_[i].gone = false;
            return;
        }
    }
    items_.push_back({std::move(entry), kNone, hash});
    Link(static_cast<std::uint32_t>(items_.size() - 1));
}

const DirEntry* Listing::Take(std::string_view name) {
    for (std::uint32_t i = First(name); i != kNone; i = items_[i].next) {
        if (!items_[i].gone && items_[i].entry.name == name) {
            items_[i].gone = true;
            return &items_[i].entry;
        }
    }
    return nullptr;
}

bool Listing::Empty() const {
    return std::none_of(items_.begin(), items_.end(), [](const Item& item) { return !item.gone; });
}

void Listing::Arrange() {
    std::erase_if(items_, [](const Item& item) { return item.gone; });
    auto byName = [](const Item& a, const Item& b) { return a.entry.name < b.entry.name; };
    if (!std::is_sorted(items_.begin(), items_.end(), byName)) {
        // Sorted by keys that hold the first 16 bytes of the names, so that
        // few comparisons reach the names themselves, then moved once.
        struct Key {
            std::uint64_t high, low;
            std::uint32_t item;
        };
        std::vector<Key> keys;
        keys.reserve(items_.size());
        for (std::uint32_t i = 0; i < items_.size(); ++i) {
            const std::string& name = items_[i].entry.name;
            keys.push_back({BigEndianPrefix(name, 0), BigEndianPrefix(name, 8), i});
        }
        std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
            if (a.high != b.high) return a.high < b.high;
            if (a.low != b.low) return a.low < b.low;
            return items_[a.item].entry.name < items_[b.item].entry.name;
        });
        std::vector<Item> sorted;
        sorted.reserve(items_.size());
        for (const Key& key : keys) sorted.push_back(std::move(items_[key.item]));
        items_ = std::move(sorted);
    }
    Rehash(items_.size());
}

}  // namespace tcc
