// A name list of arbitrary text merged into a small store: the walk must end, and afterwards every
// address resolves to the first record holding it, as a plain scan finds it. The same records read
// from a file (kept as its bytes until asked for) must come out of the merge the same, and save
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/core/fake_file_system.h"
#include "common/mbtext.h"
#include "store/memo_store.h"

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  bool trail = false;
  for (size_t k = 0; k < a.size(); ++k) {
    const auto x = static_cast<unsigned char>(a[k]);
    const auto y = static_cast<unsigned char>(b[k]);
    if (trail || (pinote::CodePage::ShiftJis().IsLeadByte(x) && k + 1 < a.size())) {
      if (x != y) return false;
      trail = !trail;
    } else {
      const auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
      if (up(x) != up(y)) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  pinote::MemoStore store(pinote::CodePage::ShiftJis());
  for (const char* group : {"a@x\x01" "B@X", "c@y", "\x83\x61@z\x01" "d"}) {
    auto p = std::make_unique<pinote::Person>();
    std::string_view g = group;
    size_t cut;
    while ((cut = g.find('\x01')) != std::string_view::npos) {
      p->addresses.emplace_back(g.substr(0, cut));
      g.remove_prefix(cut + 1);
    }
    p->addresses.emplace_back(g);
    p->memo = "m";
    store.Add(std::move(p));
  }
  const int before = store.Count();
  pinote::testing::FakeFileSystem fs;
  fs.files["d"] = "a@x\r\nB@X\r\n m\r\n\r\nc@y\r\n m\r\n\r\n\x83\x61@z\r\nd\r\n m\r\n\r\n";
  pinote::MemoStore loaded(pinote::CodePage::ShiftJis(), fs);
  (void)loaded.Load("d");
  loaded.MergeNameListText(text);
  store.MergeNameListText(text);
  if (store.Count() < before) std::abort();
  for (int i = 0; i < store.Count(); ++i) {
    const pinote::Person* p = store.Get(i);
    if (p == nullptr) std::abort();
    for (const auto& a : p->addresses) {
      int linear = -1;
      for (int j = 0; j < store.Count() && linear < 0; ++j) {
        for (const auto& b : store.Get(j)->addresses) {
          if (SameIgnoringCase(a, b)) {
            linear = j;
            break;
          }
        }
      }
      if (store.IndexOfAddress(a) != linear) std::abort();
    }
    // A record that existed before never holds the same address twice (case ignored).
    if (i < before) {
      for (size_t x = 0; x < p->addresses.size(); ++x) {
        for (size_t y = x + 1; y < p->addresses.size(); ++y) {
          if (SameIgnoringCase(p->addresses[x], p->addresses[y])) std::abort();
        }
      }
    }
  }
  if (loaded.Count() != store.Count()) std::abort();
  for (int i = 0; i < store.Count(); ++i) {
    const pinote::Person& a = *store.Get(i);
    const pinote::Person& b = *loaded.Get(i);
    if (a.addresses != b.addresses || a.nameListText != b.nameListText) std::abort();
  }
  std::vector<std::unique_ptr<pinote::Person>> written;
  for (int i = 0; i < store.Count(); ++i) {
    if (pinote::IsWrittenOnSave(*store.Get(i))) {
      written.push_back(std::make_unique<pinote::Person>(*store.Get(i)));
    }
  }
  (void)loaded.Save();
  if (fs.Content("d") != pinote::FormatMemoFile(written)) std::abort();
  return 0;
}
