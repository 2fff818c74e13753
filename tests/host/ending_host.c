/* A host that ends in one chosen way after doing one chosen thing, one case per process:
 *
 *   ending_host <module> <ending> <before>
 *
 * ending: return (from main, module loaded), exit (exit() from a nested call, module
 * loaded), unload, reload (unload, load, then exit), reuse (unload, then ask again with
 * no load, as a host that finds the library already mapped does), close (dlclose /
 * FreeLibrary), twice (opened twice, closed once), fork (POSIX: a child made after load
 * answers a request and exits).
 * before: nothing, requestw, shift_jis, utf8, euc_jp, iso2022_jp, failed (a 400).
 *
 * It exits 0 when every answer was byte for byte the expected one, and reports any
 * mismatch on stderr with status 1. The module's own faults at exit (a double free, a
 * leak under a memory checker) show as another status or output on stderr. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "host_library.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

typedef unsigned short unit_t; /* a UTF-16 code unit, as u"" literals hold them */

struct Module {
  void* library;
  load_fn load;
  unload_fn unload;
  request_fn request;
  request_fn requestw;
};

static int gFailures = 0;

static void fail(const char* what) {
  fprintf(stderr, "ending_host: %s\n", what);
  ++gFailures;
}

/* A module whose library is opened, or library null. */
static struct Module openModule(const char* path) {
  struct Module m;
  memset(&m, 0, sizeof m);
  m.library = openLibrary(path);
  if (m.library == NULL) return m;
  m.load = (load_fn)entry(m.library, "load");
  m.unload = (unload_fn)entry(m.library, "unload");
  m.request = (request_fn)entry(m.library, "request");
  m.requestw = (request_fn)entry(m.library, "requestw");
  if (!m.load || !m.unload || !m.request || !m.requestw) m.library = NULL;
  return m;
}

static void expectLoad(const struct Module* m) {
  block_t dir = allocateBlock(2);
  memcpy((void*)dir, "./", 2);
  if (m->load(dir, 2) != 1) fail("load did not return 1");
}

static void expectUnload(const struct Module* m) {
  if (m->unload() != 1) fail("unload did not return 1");
}

/* Sends `units` code units of `unit` bytes each through `call` and compares the answer
 * with `want`, byte for byte; a mismatch is reported with the bytes received. */
static void exchange(request_fn call, const void* text, size_t units, size_t unit, const void* want,
                     size_t wantUnits, const char* name) {
  block_t in = allocateBlock(units * unit);
  memcpy((void*)in, text, units * unit);
  long len = (long)units;
  block_t out = call(in, &len);
  if (out == NULL || len != (long)wantUnits || memcmp((void*)out, want, wantUnits * unit) != 0) {
    fail(name);
    for (long i = 0; out != NULL && i < len * (long)unit; ++i) {
      fprintf(stderr, "%02x%s", ((const unsigned char*)out)[i],
              i + 1 < len * (long)unit ? " " : "\n");
    }
  }
  if (out != NULL) freeBlock(out);
}

#define SEND8(m, text, want, name) \
  exchange((m)->request, text, sizeof text - 1, 1, want, sizeof want - 1, name)
#define SENDW(m, text, want, name) \
  exchange((m)->requestw, text, sizeof text / 2 - 1, 2, want, sizeof want / 2 - 1, name)

/* Every 8-bit request sorts "i, a" (hiragana) by text, so its converter both ways is used;
 * the answers are a, i. EUC-JP and ISO-2022-JP requests are answered in Shift_JIS. */
#define SORT_HEAD "EXECUTE SAORI/1.0\r\nArgument0: sort\r\nArgument2: S\r\n"
#define SJIS_ANSWER                                                      \
  "SAORI/1.0 200 OK\r\nResult: \r\nValue0: \x82\xa0\r\nValue1: \x82\xa2" \
  "\r\nCharset: Shift_JIS\r\n\r\n"

static void act(const struct Module* m, const char* before) {
  if (strcmp(before, "nothing") == 0) return;
  if (strcmp(before, "requestw") == 0) {
    static const unit_t text[] =
        u"EXECUTE SAORI/1.0\r\nArgument0: union\r\n"
        u"Argument1: \u3044\x02\U0001F600\r\nArgument2: \u3042\r\n\r\n";
    static const unit_t want[] =
        u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: \u3042\r\n"
        u"Value1: \u3044\r\nValue2: \U0001F600\r\n";
    SENDW(m, text, want, "requestw answer");
  } else if (strcmp(before, "shift_jis") == 0) {
    SEND8(m, SORT_HEAD "Argument1: \x82\xa2\x02\x82\xa0\r\n\r\n", SJIS_ANSWER, "Shift_JIS answer");
  } else if (strcmp(before, "utf8") == 0) {
    SEND8(m, SORT_HEAD "Charset: UTF-8\r\nArgument1: \xe3\x81\x84\x02\xe3\x81\x82\r\n\r\n",
          "SAORI/1.0 200 OK\r\nResult: \r\nValue0: \xe3\x81\x82\r\nValue1: \xe3\x81\x84"
          "\r\nCharset: UTF-8\r\n\r\n",
          "UTF-8 answer");
  } else if (strcmp(before, "euc_jp") == 0) {
    SEND8(m, SORT_HEAD "Charset: EUC-JP\r\nArgument1: \xa4\xa4\x02\xa4\xa2\r\n\r\n", SJIS_ANSWER,
          "EUC-JP answer");
  } else if (strcmp(before, "iso2022_jp") == 0) {
    SEND8(m,
          SORT_HEAD "Charset: ISO-2022-JP\r\nArgument1: \x1b$B$$\x1b(B\x02\x1b$B$\"\x1b(B\r\n\r\n",
          SJIS_ANSWER, "ISO-2022-JP answer");
  } else if (strcmp(before, "failed") == 0) {
    SEND8(m, "EXECUTE SAORI/1.0\r\nArgument0: no_such_command\r\nArgument1: x\r\n\r\n",
          "SAORI/1.0 400 Bad Request\r\nCharset: Shift_JIS\r\n\r\n", "400 answer");
  } else {
    fail("unknown before");
  }
}

static int status(void) { return gFailures == 0 ? 0 : 1; }

/* exit() from below main, as a host that stops on a command does. */
static void exitFromBelow(void) { exit(status()); }

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: ending_host <module> <ending> <before>\n");
    return 2;
  }
  const char* path = argv[1];
  const char* ending = argv[2];
  const char* before = argv[3];
  const struct Module m = openModule(path);
  if (m.library == NULL) {
    fail("cannot open the module");
    return status();
  }
  expectLoad(&m);
  act(&m, before);

  if (strcmp(ending, "return") == 0) {
    return status();
  } else if (strcmp(ending, "exit") == 0) {
    exitFromBelow();
  } else if (strcmp(ending, "unload") == 0) {
    expectUnload(&m);
  } else if (strcmp(ending, "reload") == 0) {
    expectUnload(&m);
    expectLoad(&m);
    act(&m, before); /* the fresh module answers as the first did */
  } else if (strcmp(ending, "reuse") == 0) {
    expectUnload(&m);
    act(&m, before); /* so does the one the next request starts */
  } else if (strcmp(ending, "close") == 0) {
    closeLibrary(m.library);
  } else if (strcmp(ending, "twice") == 0) {
    const struct Module again = openModule(path);
    if (again.library == NULL || again.request != m.request) fail("second open is another copy");
    if (again.library != NULL) closeLibrary(again.library);
    act(&m, before); /* still loaded: the loader counts the two opens */
#ifndef _WIN32
  } else if (strcmp(ending, "fork") == 0) {
    fflush(NULL);
    const pid_t child = fork();
    if (child == 0) {
      act(&m, strcmp(before, "nothing") == 0 ? "shift_jis" : before);
      exit(status());
    }
    int childStatus = 0;
    if (child < 0 || waitpid(child, &childStatus, 0) != child || !WIFEXITED(childStatus) ||
        WEXITSTATUS(childStatus) != 0) {
      fail("the child did not exit cleanly");
    }
#endif
  } else {
    fail("unknown ending");
  }
  return status();
}
