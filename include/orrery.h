/*
 * orrery.h - the C interface of the Orrery module, for host authors.
 *
 * Orrery is a SAORI/1.0 module: the host loads the library, calls `load` once with the
 * module's directory, sends requests through `request` (8-bit text, Shift_JIS unless a
 * "Charset" header names UTF-8, EUC-JP or ISO-2022-JP) or `requestw` (UTF-16LE text),
 * and calls `unload` before unloading the library. One call at a time: the module takes
 * no locks.
 *
 * Memory blocks. Every block passed in belongs to the module from the call on; the
 * module frees it before doing anything else. Every block returned belongs to the host.
 * - Windows (orrery.dll, 32-bit or 64-bit): blocks are HGLOBALs from
 *   GlobalAlloc(GMEM_FIXED, ...), so a handle is also the pointer to the bytes; the host
 *   releases responses with GlobalFree.
 * - POSIX (liborrery.so): blocks are malloc'd; the host releases responses with free.
 * Blocks hold exactly the counted bytes or code units and no terminating zero.
 *
 * A host that loads the library at run time (dlopen/dlsym, LoadLibrary/GetProcAddress)
 * and names its function pointers `load`, `request`, ... defines ORRERY_NO_PROTOTYPES
 * before including this header: it then declares only the types, the orrery_*_fn
 * pointer types among them, and no functions that those names would clash with.
 */
#ifndef ORRERY_H_
#define ORRERY_H_

#ifdef _WIN32
#include <windows.h>
typedef HGLOBAL orrery_block;
typedef BOOL orrery_bool;
#define ORRERY_CALL __cdecl
#ifdef ORRERY_BUILDING_MODULE
#define ORRERY_API __declspec(dllexport)
#else
#define ORRERY_API
#endif
#else
typedef char* orrery_block;
typedef int orrery_bool;
#define ORRERY_CALL
#ifdef ORRERY_BUILDING_MODULE
#define ORRERY_API __attribute__((visibility("default")))
#else
#define ORRERY_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifndef ORRERY_NO_PROTOTYPES
/* Starts the module. `h` holds the module directory (8-bit text, `len` bytes; any form,
 * with or without a trailing separator). Returns 1, or 0 when the module object could
 * not be created. */
ORRERY_API orrery_bool ORRERY_CALL load(orrery_block h, long len);

/* Stops the module and releases its object; a later `load` starts it afresh. Returns 1. */
ORRERY_API orrery_bool ORRERY_CALL unload(void);

/* Answers an 8-bit request. On entry *len is the request length in bytes; on return it is
 * the response length in bytes. The response names its charset in a "Charset" line
 * (Shift_JIS or UTF-8). When the module cannot answer (no memory for the answer, or no
 * `load` since the last `unload`) it answers "500 Internal Server Error"; it returns null
 * with *len 0 only when no memory is left even for that. */
ORRERY_API orrery_block ORRERY_CALL request(orrery_block h, long* len);

/* Answers a UTF-16LE request. On entry *len is the request length in UTF-16 code units;
 * on return the response length in code units (the block holds twice as many bytes).
 * The response has no "Charset" line. Returns null with *len 0 only when no memory is
 * left at all. */
ORRERY_API orrery_block ORRERY_CALL requestw(orrery_block h, long* len);

#endif /* ORRERY_NO_PROTOTYPES */

/* Function pointer types of the four entry points, for hosts that load the module at
 * run time: cast the address that dlsym or GetProcAddress returns to these. */
typedef orrery_bool(ORRERY_CALL* orrery_load_fn)(orrery_block h, long len);
typedef orrery_bool(ORRERY_CALL* orrery_unload_fn)(void);
typedef orrery_block(ORRERY_CALL* orrery_request_fn)(orrery_block h, long* len);
typedef orrery_block(ORRERY_CALL* orrery_requestw_fn)(orrery_block h, long* len);

#ifdef __cplusplus
}
#endif

#endif /* ORRERY_H_ */
