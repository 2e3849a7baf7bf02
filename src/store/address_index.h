// The address look-up table of the memo store: upper-cased address -> first record holding it.
// Keys live in one byte arena and slots of 16 bytes in one open-addressed array, at most three
// quarters full, so rebuilding the table for a large store costs no allocation per address and a
// hundred thousand people take a few megabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_arena.h"
#include "common/code_page.h"

namespace pinote {

// True when `a` and `b` are equal after UpperAnsi in `cp` (single-byte a-z folded, multibyte
// characters compared as they are); "" equals only "".
[[nodiscard]] bool SameAddressKey(std::string_view a, std::string_view b,
                                  const CodePage& cp) noexcept;

class AddressIndex {
 public:
  struct Entry {
    std::string_view address;
    int record;
  };

  // Addresses folded and hashed once for several uses: the name-list merge asks the table about
  // each of its addresses, a few ahead, then claims some of them.
  class FoldedKeys {
   public:
    explicit FoldedKeys(const CodePage& codePage) noexcept : codePage_(codePage) {}
    // Room for `keys` keys of `bytes` bytes in all.
    void Reserve(size_t keys, size_t bytes);
    // Folds `address` as the table does and returns its number (0, 1, ... in order).
    size_t Add(std::string_view address);
    [[nodiscard]] size_t size() const noexcept { return keys_.size(); }

   private:
    friend class AddressIndex;
    struct Key {
      uint32_t hash;
      uint32_t offset;  // in bytes_
      uint32_t length;
    };
    [[nodiscard]] std::string_view Bytes(const Key& k) const noexcept {
      return std::string_view(bytes_.data() + k.offset, k.length);
    }
    CodePage codePage_;
    ByteArena bytes_;
    std::vector<Key> keys_;
  };
  // A key of FoldedKeys (by its number) for a record.
  struct KeyClaim {
    uint32_t key;
    int record;
  };

  // Keys are folded as UpperAnsi folds them in `codePage`.
  explicit AddressIndex(const CodePage& codePage) noexcept : codePage_(codePage) {}

  void Clear() noexcept;
  // Clear, then Insert every entry in order; faster than one by one for a large table.
  void Assign(const std::vector<Entry>& entries);
  // Assign in steps, without a list of entries: BeginAssign (`bytes`: at least the keys' bytes,
  // when known, so that the arena is made once), AddToAssign for every entry in order (found
  // only after EndAssign), EndAssign.
  void BeginAssign(size_t bytes);
  void AddToAssign(std::string_view address, int record);
  void EndAssign();
  // Room for `keys` keys of `bytes` bytes in all, so that inserting them does not reallocate.
  // Throws std::length_error when the keys would pass 4 GiB.
  void Reserve(size_t keys, size_t bytes);
  // Records `address` for `record` unless an equal key (case ignored) is present: the first
  // record inserted for a key keeps it. Returns false when the key was present.
  bool Insert(std::string_view address, int record);
  // Records `address` for `record` unless a record at or before it holds the key already: the
  // key of an address added to an earlier record than the one holding it moves to it.
  void Claim(std::string_view address, int record);
  // Claim of every claim's key, in order; the same as one by one (the earliest record keeps a
  // key, whatever the order), faster for many, as the table is asked for a few keys ahead.
  void ClaimAll(const FoldedKeys& keys, const std::vector<KeyClaim>& claims);
  // The record stored for `address` (case ignored), or -1.
  [[nodiscard]] int Find(std::string_view address) const noexcept;
  // The record stored for key `key` of `keys`, or -1.
  [[nodiscard]] int Find(const FoldedKeys& keys, size_t key) const noexcept;
  // Asks the memory for where Find(keys, key) starts to look, ahead of the call: a large table is
  // mostly not in the cache, and several look-ups asked for at once wait for memory together.
  void Prefetch(const FoldedKeys& keys, size_t key) const noexcept;
  [[nodiscard]] size_t size() const noexcept { return count_; }

 private:
  struct Slot {
    uint32_t hash = 0;    // where the slot's run starts, and a first test of equality
    uint32_t offset = 0;  // the upper-cased key in arena_
    uint32_t length = 0;
    int32_t record = -1;  // -1: empty slot
  };
  // The slot holding `upperKey`, or the empty slot where it would go.
  [[nodiscard]] size_t Probe(uint32_t hash, std::string_view upperKey) const noexcept;
  // Puts the arena key at `offset` into its slot unless the key is there already.
  bool Place(uint32_t hash, uint32_t offset, uint32_t length, int record);
  void Grow(size_t slots);
  // Appends UpperAnsi(address, codePage_) to the arena; returns its offset, and its hash in
  // `hash`.
  uint32_t AppendKey(std::string_view address, uint32_t& hash);

  // A key of AddToAssign, its bytes in the arena after those placed.
  struct Pending {
    uint32_t hash;
    uint32_t length;
    int32_t record;
  };

  CodePage codePage_;
  ByteArena arena_;
  std::vector<Slot> slots_;
  std::vector<Pending> pending_;
  size_t count_ = 0;
};

}  // namespace pinote
