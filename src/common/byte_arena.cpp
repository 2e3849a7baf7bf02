#include "common/byte_arena.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace pinote {

void ByteArena::Reserve(size_t bytes) {
  if (bytes <= capacity_) return;
  if (bytes > UINT32_MAX) throw std::length_error("a buffer of this size cannot be kept");
  std::unique_ptr<char[]> more(new char[bytes]);
  if (size_ > 0) std::memcpy(more.get(), data_.get(), size_);
  data_ = std::move(more);
  capacity_ = bytes;
}

}  // namespace pinote
