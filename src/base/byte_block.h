// A growable block of bytes in one piece of malloc'd memory. Growing it uses
// realloc, which for large blocks remaps pages instead of copying them, so a
// block of a gigabyte grows without ever being held twice.
#ifndef QUILNOTE_BASE_BYTE_BLOCK_H_
#define QUILNOTE_BASE_BYTE_BLOCK_H_

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

namespace quilnote {

class TByteBlock {
 public:
  TByteBlock() = default;
  TByteBlock(const TByteBlock&) = delete;
  TByteBlock& operator=(const TByteBlock&) = delete;
  TByteBlock(TByteBlock&& other) noexcept { Swap(other); }
  TByteBlock& operator=(TByteBlock&& other) noexcept {
    TByteBlock(std::move(other)).Swap(*this);
    return *this;
  }
  ~TByteBlock() { std::free(data_); }

  char* data() { return data_; }
  const char* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  std::string_view view() const { return {data_, size_}; }

  // Takes over `data`, memory from malloc or aligned_alloc (released with
  // free) with room for `capacity` bytes, dropping what the block held.
  void Adopt(char* data, size_t capacity) {
    std::free(data_);
    data_ = data;
    size_ = 0;
    capacity_ = capacity;
  }

  // Makes room for at least `n` bytes. Throws std::bad_alloc.
  void Reserve(size_t n) {
    if (n <= capacity_) return;
    void* grown = std::realloc(data_, n);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = n;
  }

  // Reserves room for `extra` more bytes, growing by half again at least, so
  // that a run of appends costs linear time.
  void ReserveExtra(size_t extra) {
    if (capacity_ - size_ >= extra) return;
    size_t want = size_ + extra;
    if (want < size_) throw std::bad_alloc();
    size_t grown = capacity_ + capacity_ / 2;
    Reserve(grown > want ? grown : want);
  }

  void Append(const char* bytes, size_t n) {
    if (n == 0) return;
    ReserveExtra(n);
    std::memcpy(data_ + size_, bytes, n);
    size_ += n;
  }

  // REQUIRES: n <= capacity().
  void SetSize(size_t n) { size_ = n; }
  void Clear() { size_ = 0; }

  void Swap(TByteBlock& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace quilnote

#endif  // QUILNOTE_BASE_BYTE_BLOCK_H_
