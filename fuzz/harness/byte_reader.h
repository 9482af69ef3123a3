#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace verolink::fuzzing {

// Takes values from the front of a fuzz input; past its end every value is 0
// and every span empty, so any input is a valid script.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::uint8_t U8() { return empty() ? 0 : data_[position_++]; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | U8() << 8); }
  std::uint32_t U32() { return U16() | static_cast<std::uint32_t>(U16()) << 16; }

  // Up to `count` of the next bytes.
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    const std::size_t n = count < remaining() ? count : remaining();
    const auto bytes = data_.subspan(position_, n);
    position_ += n;
    return bytes;
  }
  std::span<const std::uint8_t> Rest() { return Bytes(remaining()); }

  bool empty() const { return position_ >= data_.size(); }
  std::size_t remaining() const { return data_.size() - position_; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
};

}  // namespace verolink::fuzzing
