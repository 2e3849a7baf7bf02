#include "store/address_index.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "common/mbtext.h"
#include "common/prefetch.h"
#include "common/word_scan.h"

namespace pinote {

namespace {

// The hash and the folding work a machine word at a time.
using word_scan::kHigh;
using word_scan::kLittleEndian;
using word_scan::Word;

// The bytes of a word of single-byte characters (no byte with the top bit set) folded as
// UpperAnsi folds them: add so that the top bit of each byte tells ">= 'a'" and "> 'z'", and
// clear bit 5 of the bytes between.
template <typename W>
W UpperWord(W w) noexcept {
  constexpr W ones = ~W{0} / 0xFF;
  const W atLeastA = w + ones * (0x80 - 'a');
  const W aboveZ = w + ones * (0x80 - 'z' - 1);
  return w ^ ((atLeastA & ~aboveZ & (ones * 0x80)) >> 2);
}

// The hash of a folded key, fed its bytes a word at a time: whole words, then what is left (fewer
// than a word, padded with zero bytes). The slot is taken from the low bits of the 32 kept.
class KeyHash {
 public:
  explicit KeyHash(size_t length) noexcept : h_(static_cast<Word>(length) * kMul) {}
  void Add(Word w) noexcept {
    h_ = (h_ ^ w) * kMul;
    h_ ^= h_ >> (sizeof(Word) * 4 - 3);
  }
  [[nodiscard]] uint32_t Finish(Word last) noexcept {
    Add(last);
    if constexpr (sizeof(Word) == 8) {
      uint64_t h = h_;
      h ^= h >> 32;
      h *= 0xff51afd7ed558ccdull;
      h ^= h >> 33;
      return static_cast<uint32_t>(h ^ (h >> 32));
    } else {
      auto h = static_cast<uint32_t>(h_);
      h ^= h >> 16;
      h *= 0x85ebca6bu;
      h ^= h >> 13;
      h *= 0xc2b2ae35u;
      h ^= h >> 16;
      return h;
    }
  }

 private:
  static constexpr Word kMul = static_cast<Word>(0x9E3779B97F4A7C15ull);
  Word h_;
};

// The bytes p[from, size) (fewer than a word) as a word: byte k of them in bits 8k to 8k + 7,
// the bits above zero. A key is mostly longer than a word: its last word, read whole (over
// bytes before `from`) and shifted, costs no loop.
Word TailWord(const char* p, size_t from, size_t size) noexcept {
  const size_t n = size - from;
  if (n == 0) return 0;
  if (kLittleEndian && size >= sizeof(Word)) {
    Word w;
    std::memcpy(&w, p + size - sizeof(Word), sizeof w);
    return w >> (8 * (sizeof(Word) - n));
  }
  Word w = 0;
  for (size_t k = 0; k < n; ++k) w |= static_cast<Word>(static_cast<unsigned char>(p[from + k])) << (8 * k);
  return w;
}

// Hashes the folded bytes out[from, size) onto `hash`, `from` a whole number of words in.
uint32_t HashFolded(const char* out, size_t from, size_t size, KeyHash& hash) noexcept {
  size_t i = from;
  for (; i + sizeof(Word) <= size; i += sizeof(Word)) {
    Word w;
    std::memcpy(&w, out + i, sizeof w);
    hash.Add(w);
  }
  return hash.Finish(TailWord(out, i, size));
}

// Writes UpperAnsi(t, cp) to `out` (room for t.size() bytes) and returns its hash. Addresses are
// almost always ASCII: a word of them is folded and hashed at once; from a word with a byte of
// the top bit set (which may begin a multibyte character, on any code page) on, the rest is
// folded a character at a time and hashed after.
uint32_t FoldKey(std::string_view t, char* out, const CodePage& cp) noexcept {
  const size_t size = t.size();
  KeyHash hash(size);
  size_t i = 0;
  for (; i + sizeof(Word) <= size; i += sizeof(Word)) {
    Word w;
    std::memcpy(&w, t.data() + i, sizeof w);
    if ((w & kHigh) != 0) break;
    w = UpperWord(w);
    std::memcpy(out + i, &w, sizeof w);
    hash.Add(w);
  }
  if (i == size) return hash.Finish(0);
  if (size - i < sizeof(Word) && kLittleEndian && size >= sizeof(Word)) {
    // The last word whole: its bytes before `i` are folded already and fold to the same again.
    Word w;
    std::memcpy(&w, t.data() + size - sizeof(Word), sizeof w);
    if ((w & kHigh) == 0) {
      w = UpperWord(w);
      std::memcpy(out + size - sizeof(Word), &w, sizeof w);
      return hash.Finish(w >> (8 * (sizeof(Word) - (size - i))));
    }
  }
  // No character runs across `i`: the bytes before it are all below 0x80.
  for (size_t k = i; k < size;) {
    const size_t n = cp.CharSize(t, k);
    if (n > 1) {
      std::memcpy(out + k, t.data() + k, n);
      k += n;
      continue;
    }
    const auto b = static_cast<unsigned char>(t[k]);
    out[k++] = static_cast<char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
  }
  return HashFolded(out, i, size, hash);
}

// UpperAnsi of an address in a stack buffer when it is short (all real addresses are), and its
// hash.
class UpperKey {
 public:
  UpperKey(std::string_view t, const CodePage& cp) {
    char* data = buffer_;
    if (t.size() > sizeof buffer_) {
      heap_.resize(t.size());
      data = heap_.data();
    }
    hash_ = FoldKey(t, data, cp);
    key_ = std::string_view(data, t.size());
  }
  [[nodiscard]] std::string_view view() const noexcept { return key_; }
  [[nodiscard]] uint32_t hash() const noexcept { return hash_; }

 private:
  char buffer_[256];
  std::string heap_;
  std::string_view key_;
  uint32_t hash_ = 0;
};

constexpr size_t kMaxArena = UINT32_MAX;

void CheckArena(size_t bytes) {
  if (bytes > kMaxArena) throw std::length_error("address keys of this size cannot be kept");
}

// How many keys ahead the table is asked for: enough to cover a miss to memory.
constexpr size_t kAhead = 16;

}  // namespace

void AddressIndex::FoldedKeys::Reserve(size_t keys, size_t bytes) {
  keys_.reserve(keys_.size() + keys);
  bytes_.Reserve(bytes_.size() + bytes);
}

size_t AddressIndex::FoldedKeys::Add(std::string_view address) {
  CheckArena(bytes_.size() + address.size());
  const auto offset = static_cast<uint32_t>(bytes_.size());
  const uint32_t hash = FoldKey(address, bytes_.Extend(address.size()), codePage_);
  keys_.push_back({hash, offset, static_cast<uint32_t>(address.size())});
  return keys_.size() - 1;
}

bool SameAddressKey(std::string_view a, std::string_view b, const CodePage& cp) noexcept {
  if (a.size() != b.size()) return false;  // folding keeps the length
  size_t i = 0;
  // A word at a time while neither has a byte with the top bit set (no multibyte character can
  // start there, so none runs across the word).
  for (; i + sizeof(Word) <= a.size(); i += sizeof(Word)) {
    Word x, y;
    std::memcpy(&x, a.data() + i, sizeof x);
    std::memcpy(&y, b.data() + i, sizeof y);
    if (((x | y) & kHigh) != 0) break;
    if (UpperWord(x) != UpperWord(y)) return false;
  }
  // Each text keeps how many bytes of its current multibyte character are still to come.
  size_t restA = 0, restB = 0;
  const auto fold = [&cp](std::string_view t, size_t i, size_t& rest) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (rest > 0) {
      --rest;
      return c;
    }
    rest = cp.CharSize(t, i) - 1;
    if (rest > 0) return c;
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
  };
  for (; i < a.size(); ++i) {
    if (fold(a, i, restA) != fold(b, i, restB)) return false;
  }
  return true;
}

void AddressIndex::Clear() noexcept {
  arena_.Truncate(0);
  std::fill(slots_.begin(), slots_.end(), Slot{});
  count_ = 0;
}

void AddressIndex::Reserve(size_t keys, size_t bytes) {
  CheckArena(arena_.size() + bytes);
  arena_.Reserve(arena_.size() + bytes);
  size_t slots = 16;
  while (slots / 4 * 3 < count_ + keys) slots *= 2;
  if (slots > slots_.size()) Grow(slots);
}

void AddressIndex::Grow(size_t slots) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(slots, Slot{});
  const size_t mask = slots - 1;
  for (const Slot& s : old) {
    if (s.record < 0) continue;
    size_t at = s.hash & mask;
    while (slots_[at].record >= 0) at = (at + 1) & mask;
    slots_[at] = s;
  }
}

size_t AddressIndex::Probe(uint32_t hash, std::string_view upperKey) const noexcept {
  const size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  while (true) {
    const Slot& s = slots_[at];
    if (s.record < 0) return at;
    if (s.hash == hash && s.length == upperKey.size() &&
        word_scan::SameBytes(arena_.data() + s.offset, upperKey.data(), upperKey.size())) {
      return at;
    }
    at = (at + 1) & mask;
  }
}

bool AddressIndex::Place(uint32_t hash, uint32_t offset, uint32_t length, int record) {
  Slot& s = slots_[Probe(hash, std::string_view(arena_.data() + offset, length))];
  if (s.record >= 0) return false;
  s = Slot{hash, offset, length, record};
  ++count_;
  return true;
}

void AddressIndex::ClaimAll(const FoldedKeys& keys, const std::vector<KeyClaim>& claims) {
  size_t bytes = 0;
  for (const KeyClaim& c : claims) bytes += keys.keys_[c.key].length;
  Reserve(claims.size(), bytes);
  // The keys come folded and hashed: only those the table lacks are copied into the arena.
  const size_t mask = slots_.size() - 1;
  for (size_t i = 0; i < claims.size(); ++i) {
    if (i + kAhead < claims.size()) {
      PrefetchMemory(&slots_[keys.keys_[claims[i + kAhead].key].hash & mask]);
    }
    const FoldedKeys::Key& k = keys.keys_[claims[i].key];
    const std::string_view folded = keys.Bytes(k);
    Slot& s = slots_[Probe(k.hash, folded)];
    if (s.record < 0) {
      const auto offset = static_cast<uint32_t>(arena_.size());
      char* to = arena_.Extend(k.length);
      word_scan::CopyBytes(to, folded.data(), k.length);
      s = Slot{k.hash, offset, k.length, claims[i].record};
      ++count_;
    } else if (s.record > claims[i].record) {
      s.record = claims[i].record;
    }
  }
}

void AddressIndex::Assign(const std::vector<Entry>& entries) {
  size_t bytes = 0;
  for (const Entry& e : entries) bytes += e.address.size();
  BeginAssign(bytes);
  for (const Entry& e : entries) AddToAssign(e.address, e.record);
  EndAssign();
}

void AddressIndex::BeginAssign(size_t bytes) {
  Clear();
  pending_.clear();
  CheckArena(bytes);
  arena_.Reserve(bytes);
}

void AddressIndex::AddToAssign(std::string_view address, int record) {
  // Folded and hashed as they come, one after the other; placing them afterwards touches the
  // slots in random order, so they are asked for a few keys ahead.
  uint32_t hash = 0;
  (void)AppendKey(address, hash);
  pending_.push_back({hash, static_cast<uint32_t>(address.size()), record});
}

void AddressIndex::EndAssign() {
  Reserve(pending_.size(), 0);
  const size_t mask = slots_.size() - 1;
  uint32_t offset = 0;
  for (size_t i = 0; i < pending_.size(); ++i) {
    if (i + kAhead < pending_.size()) PrefetchMemory(&slots_[pending_[i + kAhead].hash & mask]);
    const Pending& p = pending_[i];
    Place(p.hash, offset, p.length, p.record);  // a repeated key keeps the first
    offset += p.length;
  }
  pending_ = std::vector<Pending>();
}

uint32_t AddressIndex::AppendKey(std::string_view address, uint32_t& hash) {
  const size_t offset = arena_.size();
  CheckArena(offset + address.size());
  hash = FoldKey(address, arena_.Extend(address.size()), codePage_);
  return static_cast<uint32_t>(offset);
}

bool AddressIndex::Insert(std::string_view address, int record) {
  Reserve(1, 0);
  uint32_t hash = 0;
  const uint32_t offset = AppendKey(address, hash);
  if (Place(hash, offset, static_cast<uint32_t>(address.size()), record)) return true;
  arena_.Truncate(offset);
  return false;
}

void AddressIndex::Claim(std::string_view address, int record) {
  Reserve(1, 0);
  uint32_t hash = 0;
  const uint32_t offset = AppendKey(address, hash);
  Slot& s = slots_[Probe(hash, std::string_view(arena_.data() + offset, address.size()))];
  if (s.record < 0) {
    s = Slot{hash, offset, static_cast<uint32_t>(address.size()), record};
    ++count_;
    return;
  }
  arena_.Truncate(offset);
  if (s.record > record) s.record = record;
}

void AddressIndex::Prefetch(const FoldedKeys& keys, size_t key) const noexcept {
  if (count_ == 0) return;
  PrefetchMemory(&slots_[keys.keys_[key].hash & (slots_.size() - 1)]);
}

int AddressIndex::Find(const FoldedKeys& keys, size_t key) const noexcept {
  if (count_ == 0) return -1;
  const FoldedKeys::Key& k = keys.keys_[key];
  return slots_[Probe(k.hash, keys.Bytes(k))].record;
}

int AddressIndex::Find(std::string_view address) const noexcept {
  if (count_ == 0) return -1;
  const UpperKey key(address, codePage_);
  return slots_[Probe(key.hash(), key.view())].record;
}

}  // namespace pinote
