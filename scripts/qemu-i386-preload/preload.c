// Preloaded into 32-bit Wine processes that run under qemu-i386 (user mode), where the
// kernel cannot run 32-bit programs itself. It works around two faults of qemu-user, both
// seen in Debian bookworm's qemu 7.2; see each part below.
//
// Built with `clang -m32 -shared -nostdlib -ffreestanding`: no i386 headers or libraries
// are needed. The few libc functions it calls are bound when the process loads it. The
// test command hands it only to emulated processes (qemu's QEMU_SET_ENV) as
// .../$LIB/liborrery_qemu_preload.so; built for any other architecture it is empty, so a
// native process that inherits LD_PRELOAD (the 64-bit wineserver) loads a library that
// does nothing.

#if defined(__i386__)

typedef unsigned int size_t;

#define MAP_FAILED ((void*)-1)
#define MAP_FIXED 0x10
#define MAP_FIXED_NOREPLACE 0x100000
#define EINVAL 22
#define EEXIST 17

#define SYS_munmap 91
#define SYS_modify_ldt 123
#define SYS_mmap2 192
#define SYS_set_thread_area 243

extern int* __errno_location(void);
extern void* dlsym(void* handle, const char* name);
extern void* malloc(size_t size);
extern void free(void* p);
extern int pthread_key_create(unsigned* key, void (*destructor)(void*));
extern int pthread_setspecific(unsigned key, const void* value);
#define RTLD_NEXT ((void*)-1)

// A raw system call with up to six arguments; returns the kernel's value (-errno on
// failure). In assembly because the sixth argument goes in %ebp.
long orrery_syscall(long nr, long a, long b, long c, long d, long e, long f)
    __attribute__((visibility("hidden")));
__asm__(
    ".text\n"
    ".globl orrery_syscall\n"
    ".hidden orrery_syscall\n"
    ".type orrery_syscall,@function\n"
    "orrery_syscall:\n"
    "  push %ebp\n"
    "  push %edi\n"
    "  push %esi\n"
    "  push %ebx\n"
    "  mov 20(%esp),%eax\n"
    "  mov 24(%esp),%ebx\n"
    "  mov 28(%esp),%ecx\n"
    "  mov 32(%esp),%edx\n"
    "  mov 36(%esp),%esi\n"
    "  mov 40(%esp),%edi\n"
    "  mov 44(%esp),%ebp\n"
    "  int $0x80\n"
    "  pop %ebx\n"
    "  pop %esi\n"
    "  pop %edi\n"
    "  pop %ebp\n"
    "  ret\n"
    ".size orrery_syscall,.-orrery_syscall\n");

// ---- Fault 1 (qemu 7.2): MAP_FIXED_NOREPLACE is dropped, so the address becomes a mere
// hint. Linux maps exactly there or fails with EEXIST. Wine's 32-bit start-up reserves
// its address space with that flag and, given memory elsewhere, keeps splitting and
// retrying: tens of thousands of mmap/munmap pairs, about a minute of CPU per process.
// Here what landed elsewhere is unmapped and the call fails with EEXIST, as on Linux.

static void* map_pages(void* addr, size_t len, int prot, int flags, int fd, unsigned long pgoff) {
  long ret = orrery_syscall(SYS_mmap2, (long)addr, (long)len, prot, flags, fd, (long)pgoff);
  if ((unsigned long)ret > -4096UL) {
    *__errno_location() = (int)-ret;
    return MAP_FAILED;
  }
  if ((flags & (MAP_FIXED_NOREPLACE | MAP_FIXED)) == MAP_FIXED_NOREPLACE && (void*)ret != addr) {
    orrery_syscall(SYS_munmap, ret, (long)len, 0, 0, 0, 0);
    *__errno_location() = EEXIST;
    return MAP_FAILED;
  }
  return (void*)ret;
}

void* mmap(void* addr, size_t len, int prot, int flags, int fd, long off) {
  if (off & 4095) {
    *__errno_location() = EINVAL;
    return MAP_FAILED;
  }
  return map_pages(addr, len, prot, flags, fd, (unsigned long)off >> 12);
}

void* mmap64(void* addr, size_t len, int prot, int flags, int fd, long long off) {
  if ((off & 4095) || ((unsigned long long)off >> 44) != 0) {
    *__errno_location() = EINVAL;
    return MAP_FAILED;
  }
  return map_pages(addr, len, prot, flags, fd, (unsigned long)(off >> 12));
}

// ---- Fault 2 (qemu 7.2): one GDT for all threads. Linux keeps the thread-area entries
// of set_thread_area per thread; qemu-user keeps one table for the whole process, so the
// entry glibc's %gs selects holds the base of whichever thread wrote it last. Any segment
// reload (a signal's return, an exception) can then hand one thread another thread's
// thread pointer. The LDT is one table per process on Linux as well, so a thread with
// its own LDT entry is safe: every thread started through pthread_create gets one for
// %gs, and so does the main thread. Wine's %fs (the TEB) would share a GDT entry in the
// same way; Wine asks for a free one and uses LDT entries when it gets none, so the free
// thread-area entries are filled before Wine starts. Limits: about 510 threads at a time
// get their own entry (the rest stay on the shared one), and threads that glibc starts
// internally, not through pthread_create, are not covered.

struct user_desc {
  unsigned entry_number;
  unsigned base_addr;
  unsigned limit;
  unsigned flags;  // seg_32bit, contents (2), read_exec_only, limit_in_pages, ...
};
#define DESC_DATA_32_PAGES 0x51   // seg_32bit | limit_in_pages | useable
#define DESC_NOT_PRESENT_32 0x21  // seg_32bit | seg_not_present: occupies, never loads

// Wine leaves LDT entries below 512 to libc when %gs is not a GDT selector; entry 0 is
// kept unused. Entries are handed out in turn, so a freed one (its thread may still be
// on its way out) is the last to be taken again.
#define GS_FIRST 1
#define GS_END 512

static unsigned gdt_gs_entry;  // glibc's thread-area entry; 0 when this fix is off
static unsigned char gs_used[GS_END];
static unsigned gs_next = GS_FIRST;
static volatile int gs_lock;
static volatile int create_lock;
static unsigned gs_key;

static void lock(volatile int* l) {
  while (__atomic_exchange_n(l, 1, __ATOMIC_ACQUIRE)) __asm__ volatile("pause");
}
static void unlock(volatile int* l) { __atomic_store_n(l, 0, __ATOMIC_RELEASE); }

static unsigned short get_gs(void) {
  unsigned short sel;
  __asm__ volatile("movw %%gs, %0" : "=r"(sel));
  return sel;
}
static void set_gs(unsigned short sel) { __asm__ volatile("movw %0, %%gs" ::"r"(sel)); }
static unsigned thread_pointer(void) {
  unsigned tp;  // glibc's thread control block starts with a pointer to itself
  __asm__ volatile("movl %%gs:0, %0" : "=r"(tp));
  return tp;
}

static unsigned take_gs_entry(void) {
  unsigned i, idx = 0;
  lock(&gs_lock);
  for (i = 0; i < GS_END - GS_FIRST && !idx; i++) {
    unsigned cand = gs_next;
    gs_next = cand + 1 == GS_END ? GS_FIRST : cand + 1;
    if (!gs_used[cand]) {
      gs_used[cand] = 1;
      idx = cand;
    }
  }
  unlock(&gs_lock);
  return idx;
}

static void release_gs_entry(void* value) {
  lock(&gs_lock);
  gs_used[(unsigned)value] = 0;
  unlock(&gs_lock);
}

// Moves the calling thread's %gs to an LDT entry of its own, with the same base. When all
// entries are taken the thread stays on the shared GDT entry, as without this library.
static void own_gs_entry(void) {
  unsigned idx = take_gs_entry();
  if (!idx) return;
  struct user_desc desc = {idx, thread_pointer(), 0xfffff, DESC_DATA_32_PAGES};
  if (orrery_syscall(SYS_modify_ldt, 0x11, (long)&desc, sizeof desc, 0, 0, 0) != 0) {
    release_gs_entry((void*)idx);
    return;
  }
  set_gs((unsigned short)(idx << 3 | 7));
  pthread_setspecific(gs_key, (void*)idx);
}

struct start {
  void* (*fn)(void*);
  void* arg;
};

static void* start_thread(void* p) {
  struct start s = *(struct start*)p;
  free(p);
  own_gs_entry();
  return s.fn(s.arg);
}

typedef int (*pthread_create_fn)(void*, const void*, void* (*)(void*), void*);

int pthread_create(void* thread, const void* attr, void* (*fn)(void*), void* arg) {
  static pthread_create_fn real;
  if (!real) real = (pthread_create_fn)dlsym(RTLD_NEXT, "pthread_create");
  if (!real) return 11;  // EAGAIN
  unsigned short mine = get_gs();
  if (!gdt_gs_entry || !(mine & 4)) return real(thread, attr, fn, arg);
  struct start* s = malloc(sizeof *s);
  if (!s) return 11;  // EAGAIN, as pthread_create reports a lack of resources
  s->fn = fn;
  s->arg = arg;
  // glibc gives the new thread the thread-area entry that the creator's %gs selects, so
  // for the call the creator goes back to that entry, with its own base written there.
  lock(&create_lock);
  struct user_desc desc = {gdt_gs_entry, thread_pointer(), 0xfffff, DESC_DATA_32_PAGES};
  orrery_syscall(SYS_set_thread_area, (long)&desc, 0, 0, 0, 0, 0);
  set_gs((unsigned short)(gdt_gs_entry << 3 | 3));
  int ret = real(thread, attr, start_thread, s);
  set_gs(mine);
  unlock(&create_lock);
  if (ret != 0) free(s);
  return ret;
}

__attribute__((constructor)) static void init(void) {
  unsigned short gs = get_gs();
  if ((gs & 7) != 3 || (gs >> 3) < 6 || (gs >> 3) > 8) return;  // not glibc's usual %gs
  if (pthread_key_create(&gs_key, release_gs_entry) != 0) return;
  // Fill every free thread-area entry, so that a request for a new one fails.
  for (int i = 0; i < 3; i++) {
    struct user_desc desc = {(unsigned)-1, 0, 0, DESC_NOT_PRESENT_32};
    if (orrery_syscall(SYS_set_thread_area, (long)&desc, 0, 0, 0, 0, 0) != 0) break;
  }
  gdt_gs_entry = gs >> 3;
  own_gs_entry();
}

#endif
