// Gathering an export's keys: while a key's subkeys come in order, each new one is put after
// the last; once they do not, they are found by a hash of their parent and name, so that a
// key line costs about the same whatever order the export lists its keys in.
#include "regfile/index_builder.h"

#include <algorithm>

#include "text/characters.h"

namespace regfile {
namespace {

constexpr std::uint32_t empty_slot = 0xFFFFFFFFu;
constexpr std::uint32_t removed_slot = 0xFFFFFFFEu;

// FNV-1a over the name's letters in upper case: names equal under NameOrder hash alike.
std::uint32_t name_hash(std::uint32_t parent, std::string_view name) {
    std::uint32_t hash = 2166136261u ^ parent;
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(characters::to_upper(c))) * 16777619u;
    return hash;
}

}  // namespace

void IndexBuilder::start_tree(std::uint64_t bytes) {
    // A key line and its values take a few hundred bytes; reserved room that no key uses is
    // never touched, and costs nothing.
    const std::size_t keys = static_cast<std::size_t>(std::min<std::uint64_t>(bytes / 256, 1u << 26));
    keys_.reserve(keys);
    keys_.emplace_back();  // the root
    parts_.reserve(keys);
    next_parts_.reserve(keys);
    names_.reserve(keys * 16);
}

std::string_view IndexBuilder::name(std::uint32_t key) const {
    return {names_.data() + keys_[key].name_offset, keys_[key].name_size};
}

// The slot holding the key, or the empty slot where it would go.
std::uint32_t IndexBuilder::slot_of(std::uint32_t parent, std::string_view name, std::uint32_t hash) const {
    const std::uint32_t mask = static_cast<std::uint32_t>(slots_.size() - 1);
    for (std::uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t key = slots_[slot];
        if (key == empty_slot) return slot;
        if (key != removed_slot && keys_[key].hash == hash && keys_[key].parent == parent &&
            same_name(this->name(key), name)) {
            return slot;
        }
    }
}

void IndexBuilder::grow_slots() {
    std::vector<std::uint32_t> old(std::max<std::size_t>(slots_.size() * 2, 64), empty_slot);
    old.swap(slots_);
    used_slots_ = 0;
    const std::uint32_t mask = static_cast<std::uint32_t>(slots_.size() - 1);
    for (const std::uint32_t key : old) {
        if (key == empty_slot || key == removed_slot) continue;
        std::uint32_t slot = keys_[key].hash & mask;
        while (slots_[slot] != empty_slot) slot = (slot + 1) & mask;
        slots_[slot] = key;
        ++used_slots_;
    }
}

// Puts the key in its slot of the table (which it must not be in yet).
void IndexBuilder::hash_key(std::uint32_t key) {
    // Half full at most, so that a search ends soon.
    if (2 * (used_slots_ + 1) > slots_.size()) grow_slots();
    Key& hashed = keys_[key];
    hashed.hash = name_hash(hashed.parent, name(key));
    slots_[slot_of(hashed.parent, name(key), hashed.hash)] = key;
    ++used_slots_;
}

// From now on the parent's subkeys are found by their hash: those it has, and those made later.
void IndexBuilder::hash_subkeys(std::uint32_t parent) {
    if (keys_[parent].subkeys_hashed) return;
    keys_[parent].subkeys_hashed = true;
    for (std::uint32_t child = keys_[parent].first_child; child != no_key; child = keys_[child].next_sibling) {
        if (!keys_[child].removed) hash_key(child);
    }
}

std::uint32_t IndexBuilder::find_subkey(std::uint32_t parent, std::string_view name) {
    hash_subkeys(parent);
    if (slots_.empty()) return no_key;
    const std::uint32_t key = slots_[slot_of(parent, name, name_hash(parent, name))];
    return key == empty_slot ? no_key : key;
}

std::uint32_t IndexBuilder::subkey(std::uint32_t parent, std::string_view name) {
    Key& above = keys_[parent];
    // An export lists subkeys in order: while they come so, a name after the last is a new
    // subkey, with nothing to look up. Otherwise the parent's subkeys are hashed.
    const bool after_the_last = above.last_child == no_key ||
                                (above.children_in_order && NameOrder()(this->name(above.last_child), name));
    if (!after_the_last) {
        const std::uint32_t found = find_subkey(parent, name);
        if (found != no_key) return found;
    }
    const auto made = static_cast<std::uint32_t>(keys_.size());
    Key key;
    key.parent = parent;
    key.name_offset = static_cast<std::uint32_t>(names_.size());
    key.name_size = static_cast<std::uint32_t>(name.size());
    names_.insert(names_.end(), name.begin(), name.end());
    Key& above_now = keys_[parent];
    if (above_now.last_child == no_key) {
        above_now.first_child = made;
    } else {
        keys_[above_now.last_child].next_sibling = made;
        above_now.children_in_order = above_now.children_in_order && after_the_last;
    }
    above_now.last_child = made;
    const bool hashed = above_now.subkeys_hashed;
    keys_.push_back(key);
    if (hashed) hash_key(made);
    return made;
}

void IndexBuilder::remove_subkey(std::uint32_t parent, std::string_view name) {
    hash_subkeys(parent);
    if (slots_.empty()) return;
    const std::uint32_t slot = slot_of(parent, name, name_hash(parent, name));
    if (slots_[slot] == empty_slot) return;
    keys_[slots_[slot]].removed = true;
    slots_[slot] = removed_slot;
}

void IndexBuilder::add_part(std::uint32_t key, const Part& part) {
    const auto index = static_cast<std::uint32_t>(parts_.size());
    parts_.push_back(part);
    next_parts_.push_back(no_part);
    Key& owner = keys_[key];
    if (owner.last_part == no_part) {
        owner.first_part = index;
    } else {
        next_parts_[owner.last_part] = index;
    }
    owner.last_part = index;
}

// A key's parts side by side, in file order: where they are when it has one (most keys),
// copied after all the others when it has more.
void IndexBuilder::place_parts(const Key& key, ExportKey& laid) {
    laid.first_part = key.first_part == no_part ? 0 : key.first_part;
    laid.part_count = key.first_part == no_part ? 0 : 1;
    if (key.first_part == key.last_part) return;
    laid.first_part = static_cast<std::uint32_t>(parts_.size());
    laid.part_count = 0;
    for (std::uint32_t part = key.first_part; part != no_part; part = next_parts_[part]) {
        const Part copy = parts_[part];
        parts_.push_back(copy);
        ++laid.part_count;
    }
}

void IndexBuilder::lay_out(KeyTable& table) {
    slots_ = {};
    // Breadth first: each key's subkeys are placed together when the key's turn comes.
    std::vector<std::uint32_t> placed{root};
    std::vector<std::uint32_t> children;
    table.keys.clear();
    table.keys.reserve(keys_.size());
    table.keys.emplace_back();
    for (std::size_t at = 0; at < placed.size(); ++at) {
        const Key& key = keys_[placed[at]];
        place_parts(key, table.keys[at]);
        children.clear();
        for (std::uint32_t child = key.first_child; child != no_key; child = keys_[child].next_sibling) {
            if (!keys_[child].removed) children.push_back(child);
        }
        if (!key.children_in_order) {
            std::sort(children.begin(), children.end(),
                      [this](std::uint32_t left, std::uint32_t right) { return NameOrder()(name(left), name(right)); });
        }
        table.keys[at].first_subkey = static_cast<std::uint32_t>(placed.size());
        table.keys[at].subkey_count = static_cast<std::uint32_t>(children.size());
        for (const std::uint32_t child : children) {
            placed.push_back(child);
            table.keys.emplace_back();
        }
    }
    table.names = std::move(names_);
    for (std::size_t at = 1; at < table.keys.size(); ++at) {
        const Key& key = keys_[placed[at]];
        table.keys[at].name = {table.names.data() + key.name_offset, key.name_size};
    }
    table.parts = std::move(parts_);
    next_parts_ = {};
    keys_ = {};
}

}  // namespace regfile
