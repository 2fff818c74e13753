/* A host that loads the module, sends one request and lets it go, over and over, in one
 * of the ways real hosts load modules:
 *
 *   reload_host <module> <plain-module> <200|400> [cycles] [pattern]
 *
 * pattern: per-call (open, load, request, unload, close: the default), kept (opened
 * once; load, request, unload), already-loaded (a host that finds the library already in
 * the process takes it for another owner's and calls neither load nor unload), shared
 * (two owners open and load it; one unloads and closes it while the other still asks,
 * then unloads and closes it too), never-unload (open, load, request, close).
 *
 * It measures what the cycles leave behind in the process: on Windows the busy bytes of
 * every heap (the C runtime's included), the TLS indexes in use, the open handles and the
 * working set; on POSIX the heap in use and the open descriptors. The plain C library
 * with the same entry points runs the same cycles first: the module may leave no more
 * than it does, plus 64 bytes per cycle on average for the byte measures and 2 in all
 * for the counts. The kind picks a request answered 200 or one answered 400 after a
 * number that does not convert; every answer must start with that status. Exit status 0
 * when within that, 1 otherwise. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "host_library.h"

#ifdef _WIN32
/* after windows.h, which it needs */
#include <psapi.h>
#else
#include <dirent.h>
#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
#define RELOAD_SANITIZER_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RELOAD_SANITIZER_HEAP 1
#endif
#endif
#ifdef RELOAD_SANITIZER_HEAP
/* AddressSanitizer replaces malloc, and mallinfo2 no longer sees the heap. */
#include <sanitizer/allocator_interface.h>
#endif
#endif

enum { kMeasures = 4 };
struct Usage {
  long long value[kMeasures];
};
struct Measure {
  const char* name;
  int bytes; /* 1: allowed 64 bytes per cycle; 0: a count, allowed 2 in all */
};

#ifdef _WIN32
static const struct Measure kMeasure[kMeasures] = {
    {"heap busy bytes", 1}, {"TLS indexes", 0}, {"handles", 0}, {"working set bytes", 1}};

static long long heapBusyBytes(void) {
  HANDLE heaps[256];
  DWORD count = GetProcessHeaps(256, heaps);
  long long busy = 0;
  for (DWORD i = 0; i < count && i < 256; ++i) {
    PROCESS_HEAP_ENTRY e;
    e.lpData = NULL;
    if (!HeapLock(heaps[i])) continue;
    while (HeapWalk(heaps[i], &e)) {
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += e.cbData;
    }
    HeapUnlock(heaps[i]);
  }
  return busy;
}

/* TLS indexes in use: all there are, less those still free (taken, counted, given back). */
static long long tlsIndexesInUse(void) {
  static DWORD taken[1088]; /* every index a process has */
  long long n = 0;
  DWORD index;
  while (n < (long long)(sizeof taken / sizeof taken[0]) &&
         (index = TlsAlloc()) != TLS_OUT_OF_INDEXES) {
    taken[n++] = index;
  }
  for (long long i = 0; i < n; ++i) TlsFree(taken[i]);
  return (long long)(sizeof taken / sizeof taken[0]) - n;
}

/* Open handles, found by asking each handle value for its flags: Wine's
 * GetProcessHandleCount answers 0. Handles are multiples of 4 and given out lowest
 * first, so a long run of unused values means the rest are unused too. */
static long long openHandles(void) {
  long long count = 0;
  for (ULONG_PTR value = 4, lastUsed = 0; value < lastUsed + 4 * 4096; value += 4) {
    DWORD flags;
    if (GetHandleInformation((HANDLE)value, &flags)) {
      ++count;
      lastUsed = value;
    }
  }
  return count;
}

static void measure(struct Usage* u) {
  PROCESS_MEMORY_COUNTERS memory;
  memset(&memory, 0, sizeof memory);
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  u->value[0] = heapBusyBytes();
  u->value[1] = tlsIndexesInUse();
  u->value[2] = openHandles();
  u->value[3] = (long long)memory.WorkingSetSize;
}

/* A host out of TLS indexes dies in the runtime's next throw: stop before that. */
static int nearlyOutOfTls(void) { return tlsIndexesInUse() > 1088 - 32; }
#else
static const struct Measure kMeasure[kMeasures] = {
    {"heap bytes in use", 1}, {"open descriptors", 0}, {"", 0}, {"", 0}};

static void measure(struct Usage* u) {
  memset(u, 0, sizeof *u);
#ifdef RELOAD_SANITIZER_HEAP
  u->value[0] = (long long)__sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 heap = mallinfo2();
  u->value[0] = (long long)(heap.uordblks + heap.hblkhd);
#endif
  DIR* fds = opendir("/proc/self/fd");
  if (fds == NULL) return;
  while (readdir(fds) != NULL) ++u->value[1];
  closedir(fds);
}

static int nearlyOutOfTls(void) { return 0; }
#endif

enum Step { kLoad = 1, kRequest = 2, kUnload = 4 };
static const char* const kPatterns[] = {"per-call", "kept", "already-loaded", "shared",
                                        "never-unload"};
enum Pattern { kPerCall, kKept, kAlreadyLoaded, kShared, kNeverUnload, kPatternCount };

struct Host {
  const char* path;
  const char* text;
  const char* want;
  enum Pattern pattern;
  void* kept; /* the library the kept pattern holds open */
};

/* The steps of one owner's session on an opened library, in the order load, request,
 * unload; 0 when an entry point is missing or the answer did not start with `want`. */
static int session(void* lib, int steps, const struct Host* h) {
  if (lib == NULL) return 0;
  load_fn load = (load_fn)entry(lib, "load");
  unload_fn unload = (unload_fn)entry(lib, "unload");
  request_fn request = (request_fn)entry(lib, "request");
  if (load == NULL || unload == NULL || request == NULL) return 0;
  int ok = 1;
  if (steps & kLoad) {
    block_t dir = allocateBlock(2);
    memcpy((void*)dir, "./", 2);
    ok = load(dir, 2) == 1;
  }
  if (steps & kRequest) {
    long len = (long)strlen(h->text);
    block_t in = allocateBlock((size_t)len);
    memcpy((void*)in, h->text, (size_t)len);
    block_t out = request(in, &len);
    ok = ok && out != NULL && len >= (long)strlen(h->want) &&
         memcmp((const void*)out, h->want, strlen(h->want)) == 0;
    if (out != NULL) freeBlock(out);
  }
  if (steps & kUnload) ok = unload() == 1 && ok;
  return ok;
}

/* One cycle of the host's pattern; 0 when a session failed. */
static int cycle(struct Host* h) {
  const int whole = kLoad | kRequest | kUnload;
  void* lib = NULL;
  int ok = 0;
  switch (h->pattern) {
    case kPerCall:
      lib = openLibrary(h->path);
      ok = session(lib, whole, h);
      break;
    case kKept:
      if (h->kept == NULL) h->kept = openLibrary(h->path);
      return session(h->kept, whole, h);
    case kAlreadyLoaded: {
      const int another = libraryIsMapped(h->path);
      lib = openLibrary(h->path);
      ok = session(lib, another ? kRequest : whole, h);
      break;
    }
    case kShared: {
      void* first = openLibrary(h->path);
      lib = openLibrary(h->path);
      ok = session(first, kLoad, h) && session(lib, kLoad, h) && session(first, kUnload, h);
      if (first != NULL) closeLibrary(first);
      ok = session(lib, kRequest | kUnload, h) && ok;
      break;
    }
    case kNeverUnload:
      lib = openLibrary(h->path);
      ok = session(lib, kLoad | kRequest, h);
      break;
    default:
      break;
  }
  if (lib != NULL) closeLibrary(lib);
  return ok;
}

/* Runs `cycles` cycles after a few to warm up; the growth per cycle goes to `perCycle`.
 * Returns the cycles run, fewer when one failed or TLS indexes ran short. */
static long run(struct Host* h, long cycles, double perCycle[kMeasures]) {
  for (int i = 0; i < 20; ++i) {
    if (!cycle(h)) return 0;
  }
  struct Usage before, after;
  measure(&before);
  long done = 0;
  while (done < cycles && cycle(h)) {
    ++done;
    if (done % 50 == 0 && nearlyOutOfTls()) break;
  }
  measure(&after);
  for (int m = 0; m < kMeasures; ++m) {
    perCycle[m] = done > 0 ? (double)(after.value[m] - before.value[m]) / (double)done : 0.0;
  }
  if (h->kept != NULL) closeLibrary(h->kept);
  h->kept = NULL;
  return done;
}

static void show(const char* label, long done, const double perCycle[kMeasures]) {
  printf("%s: %ld cycles, per cycle:", label, done);
  for (int m = 0; m < kMeasures; ++m) {
    if (kMeasure[m].name[0] != '\0') printf(" %s %+.3f", kMeasure[m].name, perCycle[m]);
  }
  printf("\n");
}

int main(int argc, char** argv) {
  int pattern = 0;
  while (argc == 6 && pattern < kPatternCount && strcmp(argv[5], kPatterns[pattern]) != 0) {
    ++pattern;
  }
  if (argc < 4 || argc > 6 || (strcmp(argv[3], "200") != 0 && strcmp(argv[3], "400") != 0) ||
      pattern == kPatternCount) {
    fprintf(stderr, "usage: reload_host <module> <plain-module> <200|400> [cycles] [pattern]\n");
    return 2;
  }
  const int bad = strcmp(argv[3], "400") == 0;
  const long cycles = argc >= 5 ? strtol(argv[4], NULL, 10) : 2000;
  if (cycles < 1) {
    fprintf(stderr, "reload_host: the cycle count must be positive\n");
    return 2;
  }
  const char* text = bad ? "EXECUTE SAORI/1.0\r\nCharset: UTF-8\r\nArgument0: sort\r\n"
                           "Argument1: x\r\nArgument2: I\r\n\r\n"
                         : "EXECUTE SAORI/1.0\r\nCharset: UTF-8\r\nArgument0: sort\r\n"
                           "Argument1: b\x02"
                           "a\r\nArgument2: S\r\n\r\n";
  const char* want = bad ? "SAORI/1.0 400 Bad Request\r\n" : "SAORI/1.0 200 OK\r\n";

  struct Usage first; /* the first count of TLS indexes may allocate: not in any figure */
  measure(&first);
  double plain[kMeasures], module[kMeasures];
  struct Host plainHost = {argv[2], text, "SAORI/1.0 ", (enum Pattern)pattern, NULL};
  struct Host moduleHost = {argv[1], text, want, (enum Pattern)pattern, NULL};
  const long plainDone = run(&plainHost, cycles, plain);
  show("plain library", plainDone, plain);
  const long moduleDone = run(&moduleHost, cycles, module);
  show("module", moduleDone, module);
  fflush(stdout);

  int failed = 0;
  if (plainDone != cycles || moduleDone != cycles) {
    fprintf(stderr,
            "reload_host: %ld of %ld cycles of the plain library and %ld of the module ran\n",
            plainDone, cycles, moduleDone);
    failed = 1;
  }
  for (int m = 0; m < kMeasures; ++m) {
    const double allowed = plain[m] + (kMeasure[m].bytes ? 64.0 : 2.0 / (double)cycles);
    if (module[m] > allowed) {
      fprintf(stderr, "reload_host: %s grew by %.3f per cycle, more than the %.3f allowed\n",
              kMeasure[m].name, module[m], allowed);
      failed = 1;
    }
  }
  return failed;
}
