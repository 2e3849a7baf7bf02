#include "forms/text_position.h"

#include <algorithm>

namespace pinote {

size_t KeptPosition(std::wstring_view before, std::wstring_view after, size_t position) noexcept {
  position = std::min(position, before.size());
  const size_t most = std::min(before.size(), after.size());
  size_t head = 0;
  while (head < most && before[head] == after[head]) ++head;
  size_t tail = 0;
  while (tail < most - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  if (position <= head) return position;
  if (position >= before.size() - tail) return position - before.size() + after.size();
  return after.size() - tail;
}

}  // namespace pinote
