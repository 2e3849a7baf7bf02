// Pinote.dat of arbitrary bytes: Load, Save, Load again must give the records Save wrote. The part
// of the input after "\xff\xff" also becomes one more record (addresses and memo separated by
// "\x01", the memo last) so that addresses the file cannot hold are exercised too: those are left
// out of the file, and a record without one is not written at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/core/fake_file_system.h"
#include "common/mbtext.h"
#include "store/memo_store.h"

namespace {

using pinote::Person;

// The memo as the file gives it back: every line followed by CR LF, cut at a NUL.
std::string ReadBackMemo(std::string_view memo) {
  memo = memo.substr(0, memo.find('\0'));
  std::string out;
  size_t begin = 0;
  while (begin < memo.size()) {
    size_t brk = memo.find_first_of("\r\n", begin);
    if (brk == std::string_view::npos) brk = memo.size();
    out.append(memo.substr(begin, brk - begin));
    out += "\r\n";
    if (brk == memo.size()) break;
    begin = brk + (memo[brk] == '\r' && brk + 1 < memo.size() && memo[brk + 1] == '\n' ? 2 : 1);
  }
  return out;
}

bool Fold(unsigned char c) { return c >= 'a' && c <= 'z'; }

int LinearIndexOf(const pinote::MemoStore& s, const std::string& address) {
  for (int i = 0; i < s.Count(); ++i) {
    for (const auto& a : s.Get(i)->addresses) {
      if (a.size() != address.size()) continue;
      bool same = true;
      bool trail = false;
      for (size_t k = 0; k < a.size() && same; ++k) {
        const auto x = static_cast<unsigned char>(a[k]);
        const auto y = static_cast<unsigned char>(address[k]);
        if (trail || (pinote::CodePage::ShiftJis().IsLeadByte(x) && k + 1 < a.size())) {
          same = x == y;
          trail = !trail;
        } else {
          same = (Fold(x) ? x - 32 : x) == (Fold(y) ? y - 32 : y);
        }
      }
      if (same) return i;
    }
  }
  return -1;
}

void CheckIndex(const pinote::MemoStore& s) {
  for (int i = 0; i < s.Count(); ++i) {
    for (const auto& a : s.Get(i)->addresses) {
      if (s.IndexOfAddress(a) != LinearIndexOf(s, a)) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t mark = input.find("\xff\xff");
  pinote::testing::FakeFileSystem fs;
  fs.files["Pinote.dat"] = std::string(input.substr(0, mark));
  pinote::MemoStore store(pinote::CodePage::ShiftJis(), fs);
  (void)store.Load("Pinote.dat");
  CheckIndex(store);
  for (int i = 0; i < store.Count(); ++i) {
    for (const auto& a : store.Get(i)->addresses) {
      if (!pinote::IsStorableAddress(a)) std::abort();  // the reader never makes such a line
    }
  }
  if (mark != std::string_view::npos) {
    auto extra = std::make_unique<Person>();
    std::string_view rest = input.substr(mark + 2);
    size_t cut;
    while ((cut = rest.find('\x01')) != std::string_view::npos) {
      extra->addresses.emplace_back(rest.substr(0, cut));
      rest.remove_prefix(cut + 1);
    }
    extra->memo = std::string(rest);
    extra->important = size % 2 == 1;
    store.Add(std::move(extra));
  }

  std::vector<std::string> expected;
  for (int i = 0; i < store.Count(); ++i) {
    const Person& p = *store.Get(i);
    if (!pinote::IsWrittenOnSave(p)) continue;
    std::string d;
    for (const auto& a : p.addresses) {
      if (pinote::IsStorableAddress(a)) d += a + '\x01';
    }
    if (d.empty()) std::abort();  // written, so it has an address the file holds
    d += p.important ? "!" : "-";
    d += ReadBackMemo(p.memo);
    expected.push_back(d);
  }

  (void)store.Save();
  CheckIndex(store);
  const std::string saved = fs.files["Pinote.dat"];
  pinote::MemoStore again(pinote::CodePage::ShiftJis(), fs);
  (void)again.Load("Pinote.dat");
  if (again.Count() != static_cast<int>(expected.size())) std::abort();
  for (int i = 0; i < again.Count(); ++i) {
    const Person& p = *again.Get(i);
    std::string d;
    for (const auto& a : p.addresses) d += a + '\x01';
    d += p.important ? "!" : "-";
    d += p.memo;
    if (d != expected[static_cast<size_t>(i)]) std::abort();
  }
  // What was read saves to the same bytes (an added record may have left lines that no longer
  // read back, such as memo lines of a record without a storable address).
  (void)again.Save();
  if (mark == std::string_view::npos && fs.files["Pinote.dat"] != saved) std::abort();
  return 0;
}
