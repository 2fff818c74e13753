#include "module_loader.h"

#include <cstring>
#include <stdexcept>

#include "orrery.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <cstdlib>
#endif

namespace orrery::host {

struct ModuleLoader::Entries {
  orrery_load_fn load = nullptr;
  orrery_unload_fn unload = nullptr;
  orrery_request_fn request = nullptr;
  orrery_request_fn requestw = nullptr;
};

namespace {

#ifdef _WIN32
void* openLibrary(const std::string& path, std::string& error) {
  HMODULE lib = LoadLibraryA(path.c_str());
  if (lib == nullptr) error = "LoadLibrary failed with error " + std::to_string(GetLastError());
  return reinterpret_cast<void*>(lib);
}
void* symbol(void* lib, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}
void closeLibrary(void* lib) { FreeLibrary(static_cast<HMODULE>(lib)); }
#else
void* openLibrary(const std::string& path, std::string& error) {
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr) error = dlerror();
  return lib;
}
void* symbol(void* lib, const char* name) { return dlsym(lib, name); }
void closeLibrary(void* lib) { dlclose(lib); }
#endif

template <typename Fn>
Fn entry(void* lib, const char* name) {
  return reinterpret_cast<Fn>(symbol(lib, name));
}

}  // namespace

ModuleLoader::ModuleLoader(const std::string& path) : entries_(std::make_unique<Entries>()) {
  library_ = openLibrary(path, error_);
  if (library_ == nullptr) return;
  entries_->load = entry<orrery_load_fn>(library_, "load");
  entries_->unload = entry<orrery_unload_fn>(library_, "unload");
  entries_->request = entry<orrery_request_fn>(library_, "request");
  entries_->requestw = entry<orrery_request_fn>(library_, "requestw");
  if (!entries_->load || !entries_->unload || !entries_->request || !entries_->requestw) {
    error_ = path + " does not export load, unload, request and requestw";
    closeLibrary(library_);
    library_ = nullptr;
  }
}

ModuleLoader::~ModuleLoader() {
  if (library_ != nullptr) closeLibrary(library_);
}

void* ModuleLoader::allocateBlock(std::size_t bytes) {
#ifdef _WIN32
  return GlobalAlloc(GMEM_FIXED, bytes == 0 ? 1 : bytes);
#else
  return std::malloc(bytes == 0 ? 1 : bytes);
#endif
}

void ModuleLoader::freeBlock(void* block) {
  if (block == nullptr) return;
#ifdef _WIN32
  GlobalFree(block);
#else
  std::free(block);
#endif
}

int ModuleLoader::load(const std::string& directory) {
  void* block = allocateBlock(directory.size());
  std::memcpy(block, directory.data(), directory.size());
  return entries_->load(static_cast<orrery_block>(block), static_cast<long>(directory.size()));
}

int ModuleLoader::unload() { return entries_->unload(); }

void* ModuleLoader::rawRequest(void* block, long* length) {
  return entries_->request(static_cast<orrery_block>(block), length);
}

void* ModuleLoader::rawRequestw(void* block, long* length) {
  return entries_->requestw(static_cast<orrery_block>(block), length);
}

namespace {

// One request through `send`, the response copied out of the module's block. Blocks
// carry UTF-16LE for requestw; every platform this builds for is little-endian.
template <typename String, typename Send>
String exchange(const String& text, Send send) {
  const std::size_t bytes = text.size() * sizeof(typename String::value_type);
  void* block = ModuleLoader::allocateBlock(bytes);
  std::memcpy(block, text.data(), bytes);
  long length = static_cast<long>(text.size());
  void* response = send(block, &length);
  if (response == nullptr) throw std::runtime_error("the module returned no response block");
  String out(static_cast<std::size_t>(length), typename String::value_type{});
  std::memcpy(out.data(), response, out.size() * sizeof(typename String::value_type));
  ModuleLoader::freeBlock(response);
  return out;
}

}  // namespace

std::string ModuleLoader::request(const std::string& text) {
  return exchange(text, [this](void* block, long* length) { return rawRequest(block, length); });
}

std::u16string ModuleLoader::requestw(const std::u16string& text) {
  return exchange(text, [this](void* block, long* length) { return rawRequestw(block, length); });
}

}  // namespace orrery::host
