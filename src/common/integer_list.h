// An ordered list of 32-bit integers whose Get never fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pinote {

class IntegerList {
 public:
  void Clear() noexcept { items_.clear(); }
  void Add(int32_t value) { items_.push_back(value); }
  // The element at the 0-based index, or 0 when the index is negative or not below Count.
  [[nodiscard]] int32_t Get(int index) const noexcept {
    return index >= 0 && static_cast<std::size_t>(index) < items_.size() ? items_[index] : 0;
  }
  [[nodiscard]] int Count() const noexcept { return static_cast<int>(items_.size()); }

 private:
  std::vector<int32_t> items_;
};

}  // namespace pinote
