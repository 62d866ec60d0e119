// The keys of an export gathered as its key lines name them, in any order, in one pass:
// then laid out for lookups, each key's subkeys side by side in enumeration order.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "regfile/export_index.h"

namespace regfile {

class IndexBuilder {
public:
    static constexpr std::uint32_t no_key = 0xFFFFFFFFu;
    static constexpr std::uint32_t root = 0;  // HKEY_LOCAL_MACHINE

    // Starts the tree, HKEY_LOCAL_MACHINE alone, with room for the keys of an export of that
    // many bytes, as exports usually hold them, so that the tables need not grow and move
    // while the export is read.
    void start_tree(std::uint64_t bytes);

    // The subkey of parent named name (letter case aside), made when there is none.
    std::uint32_t subkey(std::uint32_t parent, std::string_view name);
    // The subkey of parent named name, or no_key.
    std::uint32_t find_subkey(std::uint32_t parent, std::string_view name);
    // Takes the subkey out of the tree, with everything below it; a key of that name made
    // later is a new one.
    void remove_subkey(std::uint32_t parent, std::string_view name);
    // Adds a part of the key's values, after those it has.
    void add_part(std::uint32_t key, const Part& part);
    static constexpr std::uint32_t no_part = 0xFFFFFFFFu;
    std::string_view name(std::uint32_t key) const;

    // The tree as the index keeps it: keys[0] the root, each key's subkeys side by side,
    // ordered as the registry enumerates them. The builder is emptied.
    void lay_out(KeyTable& table);

private:
    struct Key {
        std::uint32_t parent = no_key;
        std::uint32_t name_offset = 0;
        std::uint32_t name_size = 0;
        std::uint32_t hash = 0;
        std::uint32_t first_child = no_key;
        std::uint32_t last_child = no_key;
        std::uint32_t next_sibling = no_key;
        std::uint32_t first_part = no_part;
        std::uint32_t last_part = no_part;
        bool removed = false;
        bool children_in_order = true;  // made in enumeration order so far
        bool subkeys_hashed = false;    // found by their hash
    };

    std::uint32_t slot_of(std::uint32_t parent, std::string_view name, std::uint32_t hash) const;
    void grow_slots();
    void hash_key(std::uint32_t key);
    void hash_subkeys(std::uint32_t parent);
    void place_parts(const Key& key, ExportKey& laid);

    std::vector<Key> keys_;
    std::vector<char> names_;
    std::vector<Part> parts_;
    std::vector<std::uint32_t> next_parts_;  // each part's key's next part
    // Open addressing over (parent, name without letter case), for the keys whose parents'
    // subkeys are hashed: each slot a key, or empty.
    std::vector<std::uint32_t> slots_;
    std::size_t used_slots_ = 0;
};

}  // namespace regfile
