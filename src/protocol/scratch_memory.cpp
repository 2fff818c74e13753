#include "protocol/scratch_memory.h"

#include <algorithm>
#include <new>

namespace orrery {

ScratchMemory::Block ScratchMemory::take(std::size_t size) {
  if (offered_.bytes != nullptr) {
    if (Block block = takeOffered(size); block.bytes != nullptr) return block;
  }
  Block* best = nullptr;
  for (Block& kept : kept_) {
    if (kept.bytes != nullptr && kept.size >= size && (best == nullptr || kept.size < best->size)) {
      best = &kept;
    }
  }
  if (best != nullptr) return std::exchange(*best, {});
  // The answer's room is only a speed-up: without memory for it, the block is made of
  // the size asked for.
  const std::size_t room = std::exchange(answerRoom_, 0);
  if (room > size) {
    if (void* bytes = source_.allocate(room)) {
      return owned(bytes, room, source_);
    }
  }
  return newBlock(size, source_);
}

// The offered bytes grow only for an answer that is expected to take them over: to
// its room, or without memory for that, to the size asked for. Otherwise a block that
// grows in place may meet fresh pages where a new one finds room given back warm. Bytes
// too small that do not grow are freed, and the caller makes a block of its own.
ScratchMemory::Block ScratchMemory::takeOffered(std::size_t size) noexcept {
  Block block = std::exchange(offered_, {});
  const std::size_t room = std::exchange(answerRoom_, 0);
  if (room > 0) {
    for (const std::size_t bytes : {std::max(room, size), size}) {
      if (bytes <= block.size || resize(block, bytes)) break;
    }
  }
  if (block.size >= size) return block;
  return {};
}

bool ScratchMemory::resize(Block& block, std::size_t bytes, BlockSource source) noexcept {
  if (source.resize == nullptr || block.bytes.get_deleter().free != source.free) return false;
  void* resized = source.resize(block.bytes.get(), bytes);
  if (resized == nullptr) return false;
  static_cast<void>(block.bytes.release());  // now `resized`
  block = owned(resized, bytes, source);
  return true;
}

ScratchMemory::Block ScratchMemory::newBlock(std::size_t size, BlockSource source) {
  void* bytes = source.allocate(size);
  if (bytes == nullptr) throw std::bad_alloc();
  return owned(bytes, size, source);
}

void ScratchMemory::give(Block block) noexcept {
  if (block.bytes == nullptr || !block.bytes.get_deleter().owned()) return;
  // The slot to fill: an empty one, else the smaller kept block when this one is larger.
  Block* slot = kept_[0].size <= kept_[1].size ? &kept_[0] : &kept_[1];
  if (slot->bytes != nullptr && slot->size >= block.size) return;  // freed on return
  const std::size_t other = keptBytes() - slot->size;
  if (other + block.size > kIdleBound) return;
  *slot = std::move(block);  // the block it held, if any, is freed
}

}  // namespace orrery
