// A growing run of bytes whose new room is not filled first: what is appended is written at once,
// so a buffer of megabytes costs no pass of zeros before its content. Its reserve takes what is
// asked, no more. Positions in it are kept in 32 bits by its users: it stops at 4 GiB.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace pinote {

class ByteArena {
 public:
  [[nodiscard]] char* data() noexcept { return data_.get(); }
  [[nodiscard]] const char* data() const noexcept { return data_.get(); }
  [[nodiscard]] size_t size() const noexcept { return size_; }
  [[nodiscard]] std::string_view view() const noexcept { return {data_.get(), size_}; }
  // Room for `bytes` bytes in all. Throws std::length_error beyond 4 GiB.
  void Reserve(size_t bytes);
  // Makes the arena `bytes` longer (by doubling when it must grow) and returns where they begin.
  char* Extend(size_t bytes) {
    if (size_ + bytes > capacity_) {
      Reserve(size_ + bytes > 2 * capacity_ ? size_ + bytes : 2 * capacity_);
    }
    char* at = data_.get() + size_;
    size_ += bytes;
    return at;
  }
  void Truncate(size_t bytes) noexcept { size_ = bytes < size_ ? bytes : size_; }
  // Empty, and its memory given back.
  void Release() noexcept {
    data_.reset();
    size_ = capacity_ = 0;
  }

 private:
  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace pinote
