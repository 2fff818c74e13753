#include "protocol/scratch_memory.h"

#include <new>

namespace orrery {

ScratchMemory::Block ScratchMemory::take(std::size_t size) {
  if (loan_.bytes != nullptr) {
    if (loan_.size >= size) return std::exchange(loan_, {});
    freeLender();  // too small: their room may serve the new block
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
      return Block{{static_cast<std::byte*>(bytes), Release{source_.free}}, room};
    }
  }
  return newBlock(size, source_);
}

ScratchMemory::Block ScratchMemory::newBlock(std::size_t size, BlockSource source) {
  void* bytes = source.allocate(size);
  if (bytes == nullptr) throw std::bad_alloc();
  return Block{{static_cast<std::byte*>(bytes), Release{source.free}}, size};
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
