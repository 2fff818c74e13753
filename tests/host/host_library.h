/* What the C test hosts need of the platform: opening the module, finding its entry
 * points and the blocks they exchange (GlobalAlloc memory on Windows, malloc on POSIX). */
#ifndef ORRERY_TEST_HOST_LIBRARY_H
#define ORRERY_TEST_HOST_LIBRARY_H

#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
typedef HGLOBAL block_t;
typedef BOOL(__cdecl* load_fn)(HGLOBAL, long);
typedef BOOL(__cdecl* unload_fn)(void);
typedef HGLOBAL(__cdecl* request_fn)(HGLOBAL, long*);
static void* openLibrary(const char* path) { return (void*)LoadLibraryA(path); }
static void closeLibrary(void* lib) { FreeLibrary((HMODULE)lib); }
/* As a host that shares a module another owner loaded asks before LoadLibrary. */
static inline int libraryIsMapped(const char* path) { return GetModuleHandleA(path) != NULL; }
typedef void (*any_fn)(void); /* the one function type others may be cast to and from */
static any_fn entry(void* lib, const char* name) {
  return (any_fn)GetProcAddress((HMODULE)lib, name);
}
static block_t allocateBlock(size_t n) { return GlobalAlloc(GMEM_FIXED, n ? n : 1); }
static void freeBlock(block_t b) { GlobalFree(b); }
#else
#include <dlfcn.h>
typedef char* block_t;
typedef int (*load_fn)(char*, long);
typedef int (*unload_fn)(void);
typedef char* (*request_fn)(char*, long*);
static void* openLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void closeLibrary(void* lib) { dlclose(lib); }
static inline int libraryIsMapped(const char* path) {
  void* lib = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (lib != NULL) dlclose(lib); /* RTLD_NOLOAD still counts the open */
  return lib != NULL;
}
typedef void (*any_fn)(void); /* the one function type others may be cast to and from */
static any_fn entry(void* lib, const char* name) {
  /* Through memcpy: ISO C has no cast between object and function pointers. */
  void* p = dlsym(lib, name);
  any_fn f;
  memcpy(&f, &p, sizeof f);
  return f;
}
static block_t allocateBlock(size_t n) { return (block_t)malloc(n ? n : 1); }
static void freeBlock(block_t b) { free(b); }
#endif

#endif
