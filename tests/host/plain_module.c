/* The baseline of the reload test: a plain C library with the module's four entry points
 * and the same block rules, and no C++ runtime. What a load/unload cycle of it leaves in
 * a host is what the loader and the C runtime cost, not the module. */
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#define PLAIN_API __declspec(dllexport)
#define PLAIN_CALL __cdecl
typedef HGLOBAL block_t;
typedef BOOL flag_t;
static void freeBlock(block_t b) {
  if (b != NULL) GlobalFree(b);
}
static block_t copyOut(const void* bytes, size_t n) {
  block_t b = GlobalAlloc(GMEM_FIXED, n);
  if (b != NULL) memcpy((void*)b, bytes, n);
  return b;
}
#else
#define PLAIN_API __attribute__((visibility("default")))
#define PLAIN_CALL
typedef char* block_t;
typedef int flag_t;
static void freeBlock(block_t b) { free(b); }
static block_t copyOut(const void* bytes, size_t n) {
  block_t b = (block_t)malloc(n);
  if (b != NULL) memcpy(b, bytes, n);
  return b;
}
#endif

PLAIN_API flag_t PLAIN_CALL load(block_t h, long len);
PLAIN_API flag_t PLAIN_CALL unload(void);
PLAIN_API block_t PLAIN_CALL request(block_t h, long* len);
PLAIN_API block_t PLAIN_CALL requestw(block_t h, long* len);

flag_t PLAIN_CALL load(block_t h, long len) {
  (void)len;
  freeBlock(h);
  return 1;
}

flag_t PLAIN_CALL unload(void) { return 1; }

block_t PLAIN_CALL request(block_t h, long* len) {
  static const char answer[] = "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n";
  freeBlock(h);
  *len = (long)sizeof answer - 1;
  return copyOut(answer, sizeof answer - 1);
}

block_t PLAIN_CALL requestw(block_t h, long* len) {
  static const unsigned short answer[] = {'S', 'A', 'O', 'R', 'I', '/',  '1', '.',
                                          '0', ' ', '2', '0', '4', '\r', '\n'};
  freeBlock(h);
  *len = (long)(sizeof answer / sizeof answer[0]);
  return copyOut(answer, sizeof answer);
}
