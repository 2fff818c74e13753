#pragma once
// Loads a built module (liborrery.so or orrery.dll) at run time and calls its four
// entry points the way a host does: blocks from the platform's allocator in, responses
// freed after copying out. Used by orrery-call and the end-to-end tests.
#include <memory>
#include <string>

namespace orrery::host {

class ModuleLoader {
 public:
  // Loads the library at `path`; check ok() and error().
  explicit ModuleLoader(const std::string& path);
  ~ModuleLoader();
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  bool ok() const { return library_ != nullptr; }
  const std::string& error() const { return error_; }

  int load(const std::string& directory);
  int unload();
  // Sends the request and returns the response bytes exactly as the block held them.
  std::string request(const std::string& text);
  std::u16string requestw(const std::u16string& text);

  // Raw calls for tests that check lengths and blocks themselves. The caller frees the
  // returned block with freeBlock.
  void* rawRequest(void* block, long* length);
  void* rawRequestw(void* block, long* length);
  static void* allocateBlock(std::size_t bytes);
  static void freeBlock(void* block);

 private:
  void* library_ = nullptr;
  std::string error_;
  struct Entries;
  std::unique_ptr<Entries> entries_;
};

}  // namespace orrery::host
