#pragma once
// Memory for the large arrays of a request (the records of an ordered list, the entries
// of the Values), kept from one request to the next so that later requests do not fault
// its pages in again. The module lives in its host's process, so what it keeps while
// idle is bounded: kIdleBound, 1 MiB, holds the arrays of a request of some 60,000
// items, far more than a typical request, and is small beside any host. The module
// object owns it, so unload gives everything back.
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "protocol/text.h"

namespace orrery {

// Where a ScratchMemory takes its blocks: the heap, or a block allocator such as the
// host's, whose blocks an answer can grow into its own (ResponseOutput::allocateOver).
struct BlockSource {
  static void* newArray(std::size_t bytes) noexcept { return new (std::nothrow) std::byte[bytes]; }
  static void deleteArray(void* p) noexcept { delete[] static_cast<std::byte*>(p); }

  void* (*allocate)(std::size_t bytes) noexcept = &newArray;  // null on failure
  void (*free)(void* block) noexcept = &deleteArray;
  // Gives a block room for `bytes`, keeping its contents, possibly elsewhere; null on
  // failure, the block unchanged. Null when blocks cannot be resized.
  void* (*resize)(void* block, std::size_t bytes) noexcept = nullptr;
};

// Frees a block it owns, through the free of the block's source; a block that is a part
// of another (see ValueList) has none.
struct ScratchRelease {
  void (*free)(void*) noexcept = &BlockSource::deleteArray;
  bool owned() const noexcept { return free != nullptr; }
  void operator()(std::byte* p) const noexcept {
    if (free != nullptr) free(p);
  }
};
struct ScratchBlock {
  std::unique_ptr<std::byte[], ScratchRelease> bytes;
  std::size_t size = 0;
};

class ScratchMemory {
 public:
  static constexpr std::size_t kIdleBound = std::size_t{1} << 20;

  using Release = ScratchRelease;
  using Block = ScratchBlock;

  // Blocks from `source`, the heap unless given.
  explicit ScratchMemory(BlockSource source = {}) noexcept : source_(source) {}
  ScratchMemory(const ScratchMemory&) = delete;
  ScratchMemory& operator=(const ScratchMemory&) = delete;

  // The raw bytes of a decoded request, no longer read, offered to the request's
  // arrays: their pages are touched already. The next `take` is served from them, or
  // from them grown in place when an answer is expected (expectAnswer) and the source
  // can resize its blocks; otherwise they are freed there, so that their room can serve
  // the new block instead. Without an answer expected, only blocks past what scratch
  // memory keeps are taken: smaller requests find their arrays kept from the request
  // before. Others, and blocks of another source, are freed at once.
  void offer(Block bytes) noexcept {
    if ((answerRoom_ > 0 || bytes.size > kIdleBound) &&
        bytes.bytes.get_deleter().free == source_.free) {
      offered_ = std::move(bytes);
    }
  }
  // Frees the offered bytes if no array took them, so that their room serves the answer.
  void withdrawOffer() noexcept { offered_ = {}; }

  // A block of at least `size` bytes, its contents undefined: the smallest kept block
  // that is large enough, else a new one. Throws std::bad_alloc when there is no memory
  // left; the kept blocks then stay as they were.
  Block take(std::size_t size);
  // Takes a block back: kept while everything kept stays within kIdleBound (the larger
  // blocks preferred), freed otherwise.
  void give(Block block) noexcept;

  // Gives `block`, one from `source` (this memory's unless given), room for `bytes`,
  // keeping its contents; false, with the block unchanged, when it is another source's
  // or the source cannot resize it.
  bool resize(Block& block, std::size_t bytes) noexcept { return resize(block, bytes, source_); }
  static bool resize(Block& block, std::size_t bytes, BlockSource source) noexcept;

  // A block of its own from `source`, not from any kept memory; throws std::bad_alloc
  // when there is no memory left.
  static Block newBlock(std::size_t size, BlockSource source = {});

  // The next block taken from the source is made at least `bytes` large, for an answer
  // that may grow over it (see ResponseOutput::allocateOver): a block that already has
  // the answer's room is resized in place rather than copied. 0 cancels.
  void expectAnswer(std::size_t bytes) noexcept { answerRoom_ = bytes; }

  // Bytes kept for the next request.
  std::size_t keptBytes() const noexcept { return kept_[0].size + kept_[1].size; }

 private:
  Block takeOffered(std::size_t size) noexcept;
  // `bytes` from `source`, owned.
  static Block owned(void* bytes, std::size_t size, BlockSource source) noexcept {
    return Block{{static_cast<std::byte*>(bytes), Release{source.free}}, size};
  }

  BlockSource source_;
  std::size_t answerRoom_ = 0;
  Block kept_[2];
  Block offered_;
};

// An array of trivially copyable elements in a block from a ScratchMemory, or from the
// heap when there is none; the block goes back when the array is released or destroyed.
// Elements are left uninitialised until written.
template <typename T>
class ScratchArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  explicit ScratchArray(ScratchMemory* memory = nullptr) noexcept : memory_(memory) {}
  ScratchArray(ScratchArray&& other) noexcept
      : memory_(other.memory_), block_(std::exchange(other.block_, {})) {}
  ScratchArray& operator=(ScratchArray&& other) noexcept {
    if (this != &other) {
      release();
      memory_ = other.memory_;
      block_ = std::exchange(other.block_, {});
    }
    return *this;
  }
  ~ScratchArray() { release(); }

  T* data() const noexcept { return reinterpret_cast<T*>(block_.bytes.get()); }
  std::size_t capacity() const noexcept { return block_.size / sizeof(T); }

  // Makes room for at least `count` elements, keeping the first `kept` of them.
  void reserve(std::size_t count, std::size_t kept) {
    if (count <= capacity()) return;
    ScratchMemory::Block bigger = memory_ != nullptr ? memory_->take(count * sizeof(T))
                                                     : ScratchMemory::newBlock(count * sizeof(T));
    if (kept > 0) std::memcpy(bigger.bytes.get(), block_.bytes.get(), kept * sizeof(T));
    release();
    block_ = std::move(bigger);
  }

  // Hands the block over, for another array to reuse.
  ScratchMemory::Block releaseBlock() noexcept { return std::exchange(block_, {}); }
  // Takes over a block released by another array.
  void adopt(ScratchMemory::Block block) noexcept {
    release();
    block_ = std::move(block);
  }

  void release() noexcept {
    if (block_.bytes == nullptr) return;
    if (memory_ != nullptr) {
      memory_->give(std::exchange(block_, {}));
    } else {
      block_ = {};
    }
  }

 private:
  ScratchMemory* memory_;
  ScratchMemory::Block block_;
};

}  // namespace orrery
