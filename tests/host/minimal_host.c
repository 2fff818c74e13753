/* The host as host authors write it: dlopen, load, one Shift_JIS request, free the
 * answer and return from main with the module still loaded. */
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
typedef int (*load_fn)(char*, long);
typedef char* (*request_fn)(char*, long*);
int main(int argc, char** argv) {
  void* lib = argc > 1 ? dlopen(argv[1], RTLD_NOW) : NULL;
  if (!lib) return 2;
  char* dir = malloc(2);
  memcpy(dir, "./", 2);
  ((load_fn)dlsym(lib, "load"))(dir, 2);
  const char text[] =
      "EXECUTE SAORI/1.0\r\nArgument0: sort\r\nArgument1: b\2a\r\nArgument2: S\r\n\r\n";
  long len = sizeof text - 1;
  char* req = malloc(len);
  memcpy(req, text, len);
  char* res = ((request_fn)dlsym(lib, "request"))(req, &len);
  const char want[] =
      "SAORI/1.0 200 OK\r\nResult: \r\nValue0: a\r\nValue1: b\r\nCharset: Shift_JIS\r\n\r\n";
  int ok = res && len == (long)sizeof want - 1 && memcmp(res, want, len) == 0;
  free(res);
  return ok ? 0 : 1;
}
