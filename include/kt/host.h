/** @file
 * libkt_corvane: the host runtime beside libkt_util.
 *
 * The word store is one arena reserved once, so it never moves: integer
 * cell i lies at byte 4*(i-1), real i at byte 8*(i-1), character i at byte
 * i-1. A block of element size s named by index b holds elements b+1..b+n;
 * its first byte is at s*b. Index 0 names nothing.
 *
 * Upper-case entries take every argument by address; each text argument
 * adds a hidden int32_t length after all other arguments. c_ entries take
 * plain values and zero-terminated texts. */
#ifndef KT_HOST_H
#define KT_HOST_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "kt/abi.h"

KT_BEGIN_C

struct iovec; /* <sys/uio.h>, for kt_io_writev */

/* ---- word store ------------------------------------------------------ */

/** Base of the arena: character i of the store is kt_store_base[i - 1].
 * Set when libkt_corvane is loaded; constant afterwards. */
extern KT_API char *kt_store_base;
/** The same base under the host's traditional name: base + character-block
 * index addresses a block's first character. */
extern KT_API char *common_memory_array;

/** Reserves the arena and sets kt_store_base; done when the library is
 * loaded, so callers need not run it. */
KT_API void kt_store_init(void);

/// @{
/** Address of integer cell / real cell / character i of the store. */
static inline int32_t *kt_iptr(int32_t i) { return (int32_t *)(kt_store_base + 4 * (int64_t)i - 4); }
static inline double *kt_rptr(int32_t i) { return (double *)(kt_store_base + 8 * (int64_t)i - 8); }
static inline char *kt_cptr(int32_t i) { return kt_store_base + (int64_t)i - 1; }
/// @}
/// @{
/** Read or write integer cell, real cell or character i of the store. */
static inline int32_t kt_icell(int32_t i) { return *kt_iptr(i); }
static inline void kt_set_icell(int32_t i, int32_t v) { *kt_iptr(i) = v; }
static inline double kt_rcell(int32_t i) { return *kt_rptr(i); }
static inline void kt_set_rcell(int32_t i, double v) { *kt_rptr(i) = v; }
static inline char kt_ccell(int32_t i) { return *kt_cptr(i); }
static inline void kt_set_ccell(int32_t i, char v) { *kt_cptr(i) = v; }
/** First element of block b of element size s (4, 8 or 1), as bytes. */
/// @}
static inline void *kt_block_ptr(int32_t b, int32_t s) { return kt_store_base + (int64_t)b * s; }

/** GSTORE(count, index, elsize, class, status): 0 and a new block of count
 * elements (count 0 allowed) in *index; non-zero: refused, nothing
 * allocated. The status cell receives the same code. */
KT_API int32_t GSTORE(const int32_t *count, int32_t *index, const int32_t *elsize, const int32_t *sclass,
                      int32_t *status);
/** XSTORE(newcount, index, elsize, oldcount, status): resize keeping the first
 * min(old, new) elements; the index may change; index 0 allocates. 0, or
 * non-zero (also in *status) when refused: the block as it was. */
KT_API int32_t XSTORE(const int32_t *newcount, int32_t *index, const int32_t *elsize, const int32_t *oldcount,
                      int32_t *status);
/** USTORE: XSTORE that also sets the block's storage class. */
KT_API int32_t USTORE(const int32_t *newcount, int32_t *index, const int32_t *elsize, const int32_t *sclass,
                      const int32_t *oldcount, int32_t *status);
/** FSTORE(count, index, elsize): frees the block and clears *index: 0
 * (also for index 0), or non-zero (reported, nothing freed) when the index
 * names no live block. */
KT_API int32_t FSTORE(const int32_t *count, int32_t *index, const int32_t *elsize);
/** Reports error 2012, the store being exhausted. */
KT_API void OSTORE(void);
/** Storage class of a live block (0 or -1); 1 when the index names no block. */
KT_API int32_t kt_store_class(int32_t index, int32_t elsize);
/** Elements a live block can hold (at least the count it was given). */
KT_API int64_t kt_store_capacity(int32_t index, int32_t elsize);
/** kt_store_capacity without its checks, for appends that fill the room a
 * block already has before they ask for more: the host keeps, in the 32-bit
 * word just below every block's first byte, the bytes of the block and of
 * its 8-byte header in bits 3 to 30. b must name a live block. Under
 * AddressSanitizer only the elements asked for are addressable; a caller
 * that uses more of the room makes them addressable first. */
static inline __attribute__((no_sanitize_address)) int64_t kt_store_room(int32_t b, int32_t s) {
    uint32_t word = *(const uint32_t *)(kt_store_base + (int64_t)b * s - 4);
    return ((int64_t)(word & 0x7ffffff8u) - 8) / s;
}

/** The entry on whose behalf store requests are being made, for the store
 * report (kt_host_store_report): once kt_host_store_tag_requesters has
 * been called, each new block is tagged with it, or, when it is null (the
 * default), with the store entry that made the block ("GSTORE", "XSTORE",
 * ...). A block keeps its tag when it is resized.
 * The library's entries that make blocks set it for the time of their
 * requests when it is null and restore it after, so a block is named after
 * the outermost such entry; a program may do the same with a string that
 * lives as long as the process and does not change. */
extern KT_API const char *kt_store_requester;

/// @{
/** Plain-value twins of GSTORE, XSTORE and FSTORE for C code (no status cell). */
KT_API int32_t c_gstore(int32_t count, int32_t *index, int32_t elsize, int32_t sclass);
KT_API int32_t c_xstore(int32_t newcount, int32_t *index, int32_t elsize, int32_t oldcount);
KT_API void c_fstore(int32_t count, int32_t *index, int32_t elsize);
/// @}

/* ---- numbered errors ------------------------------------------------- */

extern KT_API const char KT_NO_MEMORY_TEXT[]; /**< the text of error 2012 */

/* A raised error replaces the current message: its line "error NNNN:
 * text" goes to standard error when the next error is raised or output
 * is written or the process ends, and it is added to the error log
 * (kt_host_error_*). */

/** Raises error `number` with its catalogue text. */
KT_API void ER(const int32_t *number);
/** Raises error `number` with the text. */
KT_API void ERC(const int32_t *number, const char *text, int32_t text_len);
/** Appends " value" to the message not yet written (none: nothing);
 * `format` is ignored. */
KT_API void ERI(const int32_t *format, const int32_t *value);
/** Raises error 2012 (KT_NO_MEMORY_TEXT) naming the routine. */
KT_API void ERSTOR(const char *routine, int32_t routine_len);
/** Writes the current message, then the chain of active routines. */
KT_API void ERFBAK(void);

/** Raises error `number` with the text; returns -1. */
KT_API int32_t c_ers(int32_t number, const char *text);
/** Raises error `number` with "text1 text2"; returns -1. */
KT_API int32_t c_erss(int32_t number, const char *text1, const char *text2);
/** Raises error `number` with "text: " and the text of errno; returns -1. */
KT_API int32_t c_ersys(int32_t number, const char *text);
/** Raises error `number` and opens its message: text appended by the
 * OO entries goes into the message until it is written. */
KT_API void c_ermsg(int32_t number);
/** Appends a blank to a message being built. */
KT_API void c_ermore(void);
/** Writes the current message now (nothing when written already). */
KT_API void c_erflsh(void);
/** Option "silent" (any case): a non-zero value keeps the next error out
 * of standard error and the log. The previous value, -1 for another option. */
KT_API int32_t c_erseto(const char *option, int32_t value);
/** Option "size": length of the message plus its line end; "number":
 * the last error number; "count": errors logged. -1 for another option. */
KT_API int32_t c_erquer(const char *option);
/** Copies the message and a line end into buffer, at most size - 1
 * characters and a zero byte; the count copied (0 for no buffer). */
KT_API int32_t c_ergetb(char *buffer, int32_t size);

/* ---- line output ----------------------------------------------------- */

/* The OO entries append to one output line, which OOWRIT writes to the
 * current unit (6, standard output, unless pushed). Reals are written in
 * their shortest exact form, or with "nsig" significant digits. */

/// @{
/** Appends the text. */
KT_API void OOCS(const char *text, int32_t text_len);
KT_API void OOCV(const char *text, int32_t text_len);
KT_API void OOC(const char *text, int32_t text_len);
/// @}
/** Appends text(1..n). */
KT_API void OOCA(const char *text, const int32_t *n, int32_t text_len);
/** Appends the value in decimal. */
KT_API void OOI(const int32_t *value);
/** Appends the real. */
KT_API void OOD(const double *value);
/** Appends the real. */
KT_API void OOS(const float *value);
/** Appends the complex value[0] + i value[1] as "(re,im)". */
KT_API void OOX(const float *value);
/** As OOX for doubles. */
KT_API void OOZ(const double *value);
/** Appends the real with `digits` significant digits (17 when <= 0). */
KT_API void OODB(const double *value, const int32_t *digits);
/** Pads the line with blanks to `column` characters (never shortens it). */
KT_API void OOTAB(const int32_t *column);
/** Writes the line (and any pending error first) and empties it. */
KT_API void OOWRIT(void);
/** Sets option "nsig" (significant digits, 0: shortest exact) or "bsize"
 * (line width, > 0); other options are ignored. */
KT_API void OOSETO(const char *option, const int32_t *value, int32_t option_len);
/** Value of option "bsize", "nsig", "column" (length of the line) or
 * "unit" (the current unit); -1 for another option. */
KT_API int32_t OOQUER(const char *option, int32_t option_len);
/** Opens a file for output: its unit, or -1 when it cannot be opened. */
KT_API int32_t OOOPEN(const char *path, int32_t path_len);
/** Makes the unit current, keeping the previous one: the unit, or -1
 * (nothing changed) when it is not open for output. */
KT_API int32_t OOPUSH(const int32_t *unit);
/** Restores the unit current before the last OOPUSH (none left: 6). */
KT_API void OOPOP(void);
/** Closes an output unit opened by OOOPEN and drops it from the pushed
 * units; units below the first file unit are ignored. When the unit's
 * last lines cannot be written or its close fails, error 2064 is raised
 * with the file name and the system's reason (OOWRIT raises it at the
 * unit's first failed line, after which the unit takes no more lines). */
KT_API void OOCLOS(const int32_t *unit);

/// @{
/** Plain-value twins of the OO entries above: zero-terminated texts, and
 * the real and imaginary parts of a complex as two values. */
KT_API void c_oocs(const char *text);
KT_API void c_oocv(const char *text);
KT_API void c_ooc(const char *text);
KT_API void c_ooca(const char *text, int32_t n);
KT_API void c_ooi(int32_t value);
KT_API void c_ood(double value);
KT_API void c_oos(float value);
KT_API void c_oox(float re, float im);
KT_API void c_ooz(double re, double im);
KT_API void c_oodb(double value, int32_t digits);
KT_API void c_ootab(int32_t column);
KT_API void c_oowrit(void);
KT_API void c_ooseto(const char *option, int32_t value);
KT_API int32_t c_ooquer(const char *option);
KT_API int32_t c_ooopen(const char *path);
KT_API int32_t c_oopush(int32_t unit);
KT_API void c_oopop(void);
KT_API void c_ooclos(int32_t unit);
/// @}

/** Writes one record to a numbered unit: 6 is standard output, 1 the host's
 * journal (see kt_host_journal), others units opened for output. 0, or -1
 * with errno when the unit is not open for output or the write fails (or
 * failed before: a unit that failed once takes no more records). Records
 * to a file are buffered: a failure may show only at kt_host_close_unit. */
KT_API int32_t kt_host_write_record(int32_t unit, const char *text, int32_t n);

/* ---- line input ------------------------------------------------------ */

/** IINEWS(path): makes the file the current input, keeping the previous one;
 * a unit >= 1, negative when it cannot be opened. */
KT_API int32_t IINEWS(const char *path, int32_t path_len);
/** IIGETL(buffer, capacity, length): reads the next line, line end included,
 * at most capacity characters; a last line without a line end gets one.
 * 0 on success, -1 at end of input (length 0), KT_INPUT_FAILED when a read
 * failed (length 0; the line being read is lost and later calls give -1 for
 * that input). A caller that tests only for 0 stops at a failure as at the
 * end; kt_host_input_error tells them apart. */
KT_API int32_t IIGETL(char *buffer, const int32_t *capacity, int32_t *length, int32_t buffer_len);
/** IIGETL's result for a failed read. */
enum { KT_INPUT_FAILED = -2 };
/** The system's reason (an errno value) why the last IINEWS or IIGETL
 * failed: 0 when it did not fail (end of input included). A directory
 * fails at IINEWS with EISDIR. */
KT_API int32_t kt_host_input_error(void);
/** IIOLDF(): closes the current input and restores the previous one. */
KT_API void IIOLDF(void);

/* ---- binary units ---------------------------------------------------- */

/** MMWRIT(unit, count, index, elsize, status): writes count elements of
 * the block to a binary unit: 0, 1 for a bad unit or argument, or 3 when
 * the write failed (kt_host_unit_error tells why). The unit buffers: a
 * failure may show only at kt_host_close_unit. Also stored in *status. */
KT_API int32_t MMWRIT(const int32_t *unit, const int32_t *count, const int32_t *index, const int32_t *elsize,
                      int32_t *status);
/** MMREAD(unit, count, index out, elsize, class, status): allocates a block
 * and fills it from the unit: 0 and *index, or 1 for a bad unit or
 * argument or a file that ends first, 2 when the store refuses, 3 when
 * the read failed (kt_host_unit_error tells why); nothing is left
 * allocated on failure. Also stored in *status. */
KT_API int32_t MMREAD(const int32_t *unit, const int32_t *count, int32_t *index, const int32_t *elsize,
                      const int32_t *sclass, int32_t *status);

/* ---- text, names, machine -------------------------------------------- */

/** Compares t1(1..n1) and t2(1..n2) ignoring ASCII letter case: the
 * difference of the first unequal characters, else n1 - n2. */
KT_API int32_t UISCMP(const char *t1, const int32_t *n1, const char *t2, const int32_t *n2, int32_t t1_len,
                      int32_t t2_len);
/** Lower-cases text(1..n) in place. */
KT_API void LCASES(char *text, const int32_t *n, int32_t text_len);
/** Copies count integers (overlap allowed; count <= 0: nothing). */
KT_API void MOVEI4(const int32_t *source, int32_t *dest, const int32_t *count);
/** Index (1, 2, ... in order of entry) of name(1..length) in the name
 * table `table`, entered when new (exact case); also stored in *index. */
KT_API int32_t STE(const int32_t *table, const char *name, const int32_t *length, int32_t *index, int32_t name_len);
/** Compares zero-terminated texts ignoring ASCII letter case: <0, 0, >0. */
KT_API int kt_stricmp(const char *a, const char *b);

/** Machine description: integer words 1..64 overlaid with reals 1..32.
 * Integer 18 identifies this host build, integer 19 is 0 (little-endian),
 * real 5 is DBL_MAX. */
typedef union {
    int32_t i[64]; /**< integer words, word k is i[k - 1] */
    double d[32];  /**< real words, word k is d[k - 1] */
} kt_machc_t;
/** The machine description of this host. */
extern KT_API kt_machc_t MACHC;
extern KT_API int32_t bit_mask_value[32]; /**< entry k holds 2^k (k = 31: INT32_MIN) */

/* ---- routine names, timers, calendar, flags --------------------------- */

/** CALNAM(level, name): name of the active routine at that level (1 is the
 * innermost), blank-padded to the text length; blanks past the outermost. */
KT_API void CALNAM(const int32_t *level, char *name, int32_t name_len);
/** Enters a routine into the chain CALNAM reads (innermost). */
KT_API void kt_host_push_routine(const char *name);
/** Leaves the innermost routine (none: nothing). */
KT_API void kt_host_pop_routine(void);

KT_API void GTIMER(float *seconds); /**< process time in seconds */
KT_API void YMDHMS(int32_t *year, int32_t *month, int32_t *day, int32_t *hour, int32_t *minute,
                   int32_t *second); /**< local date and time; year counts from 1900 */
/** Process time in seconds. */
KT_API double c_fetime(void);
KT_API int32_t KTHTST(void); /**< bit 0: an interrupt is pending */
/** Sets (non-zero) or clears the pending interrupt KTHTST reports. */
KT_API void kt_host_set_interrupt(int32_t pending);
/** Stores the debug flag kt_host_vsdebug gives back. */
KT_API void VSDEBUG(const int32_t *flag);
/** The flag last given to VSDEBUG (0 at load). */
KT_API int32_t kt_host_vsdebug(void);
KT_API int32_t c_isprim(int32_t n, int32_t flags); /**< 1 when n is prime, else 0; flags unused */
KT_API void *uefmem(void *block, size_t bytes);    /**< realloc, or free with 0 bytes (null then); null when refused */
/** 0 when the file is accessible in the mode: " " exists, or any of "rwx";
 * -1 when it is not (or path is null). */
KT_API int32_t c_faccess(const char *path, const char *mode);

/* ---- control interface for tests and embedding programs -------------- */

/** Writes any pending error and empties the error log. */
KT_API void kt_host_reset_errors(void);
/** Number of errors logged since the last reset. */
KT_API int32_t kt_host_error_count(void);
/** Number of logged error k (1-based); 0 outside the log. */
KT_API int32_t kt_host_error_number(int32_t k);
/** Text of logged error k; "" outside the log. */
KT_API const char *kt_host_error_text(int32_t k);
/** Non-zero: records written to unit 6 are kept (kt_host_output) instead
 * of printed; 0 prints them again. */
KT_API void kt_host_capture_output(int32_t on);
/** The captured records, each ending in a line end. */
KT_API const char *kt_host_output(void);
/** Empties the captured records. */
KT_API void kt_host_clear_output(void);
/** kt_host_fail_alloc_after under its older name: the same counter. */
KT_API void kt_host_fail_store_after(int32_t n);
/** Bytes held by live store blocks. */
KT_API int64_t kt_host_store_bytes_in_use(void);
/** Walks the whole store and checks that its blocks and free space agree
 * with one another: 0 when they do, else the number of the first rule found
 * broken (also described on standard error). Costs time in proportion to
 * the store's size; meant for tests. */
KT_API int32_t kt_host_store_check(void);
/** What kt_host_store_report writes, to be or-ed together. */
enum { KT_STORE_REPORT_LEAKS = 1, KT_STORE_REPORT_STATS = 2, KT_STORE_REPORT_ALL = 3 };
/** Writes a report of the word store to `out`. Its first line counts the
 * live blocks and their bytes (as kt_host_store_bytes_in_use counts them:
 * each block's room and header), with KT_STORE_REPORT_STATS the peak of
 * those bytes too. KT_STORE_REPORT_LEAKS adds the live blocks grouped by
 * storage class and requesting entry (kt_store_requester), one line per
 * group with its blocks and bytes, the most bytes first, and a note when
 * requesters are not being recorded (kt_host_store_tag_requesters).
 * KT_STORE_REPORT_STATS adds a line on the free space: the bytes and number
 * of the chunks no block holds, the largest of them (free space scattered
 * in small chunks cannot serve a large request) and the bytes committed
 * above the last chunk. 0, or -1 with errno when the writing failed
 * (EINVAL for a null stream or `what` outside 0..KT_STORE_REPORT_ALL).
 * The environment variable KT_STORE_REPORT set to "leaks", "stats" or
 * "all" writes the report to standard error when the process exits. */
KT_API int32_t kt_host_store_report(FILE *out, int what);
/** From now on, tags each new block with its requester (kt_store_requester)
 * for kt_host_store_report, which shows blocks made before as "?". Off by
 * default, as it costs each request a little; on from the start when the
 * environment variable KT_STORE_REPORT is set (to anything) as the
 * libraries are loaded. It cannot be turned off. */
KT_API void kt_host_store_tag_requesters(void);
/** Opens a binary unit for MMREAD (mode "r") or MMWRIT ("w"): the unit,
 * or -1 for another mode or a file that cannot be opened. */
KT_API int32_t kt_host_open_unit(const char *path, const char *mode);
/** Closes a unit opened by kt_host_open_unit or OOOPEN: 0, or -1 with
 * errno when a transfer on it failed, before or in writing its last
 * buffered bytes, or the close failed. An unknown unit gives 0. */
KT_API int32_t kt_host_close_unit(int32_t unit);
/** The system's reason (an errno value) of the first failed transfer on an
 * open unit, which then moves nothing more; 0 when none failed, -1 when
 * the unit is not open. */
KT_API int32_t kt_host_unit_error(int32_t unit);
/** Connects unit 1 to a file (null: back to discarding its records): 0,
 * or -1 when the file cannot be made or the records of the file it was
 * connected to could not all be written. */
KT_API int32_t kt_host_journal(const char *path);

/* ---- guarded I/O and its fault injection ------------------------------ */

/* Every read, write, flush and close of a file or descriptor that the two
 * libraries make goes through these calls, so that a test can make the
 * n-th of them fail (kt_host_fail_io_after) and check that nothing is lost
 * and nothing is reported as success. */

/** Kinds of I/O operation, to be or-ed together. */
enum { KT_IO_READ = 1, KT_IO_WRITE = 2, KT_IO_CLOSE = 4, KT_IO_ANY = 7 };
/** How an injected fault shows: KT_IO_FAIL makes that operation and every
 * later one of the chosen kinds fail with EIO (a broken device);
 * KT_IO_SHORT makes every later transfer move at most half the bytes asked
 * (at least one); KT_IO_EINTR makes that one operation fail with EINTR and
 * lets the later ones through. */
enum { KT_IO_FAIL = 0, KT_IO_SHORT = 1, KT_IO_EINTR = 2 };

/** Lets n more operations of the kinds in `ops` through, then injects the
 * fault `how` as described above; n < 0 injects nothing (the default). */
KT_API void kt_host_fail_io_after(int32_t ops, int32_t n, int32_t how);
/** Operations of the kinds in `ops` made since the last
 * kt_host_fail_io_after, counted whether or not a fault was injected. */
KT_API int64_t kt_host_io_count(int32_t ops);

/** read(2) through the fault hook: bytes read (0 at end of input), or -1
 * with errno (EINTR included: callers retry). */
KT_API int64_t kt_io_read(int fd, void *buf, int64_t n);
/** write(2) through the fault hook: bytes written, or -1 with errno. */
KT_API int64_t kt_io_write(int fd, const void *buf, int64_t n);
/** kt_io_write until all n bytes are written, writing again after an
 * interruption or a short transfer: n, or -1 with errno. */
KT_API int64_t kt_io_write_all(int fd, const void *buf, int64_t n);
/** writev(2) through the fault hook, as one write operation: bytes
 * written, or -1 with errno. With send_flags != 0 the descriptor must be
 * a socket and the parts go out with sendmsg(2) and those flags (e.g.
 * MSG_NOSIGNAL); another descriptor then fails with ENOTSOCK. An injected
 * short transfer moves at most half the bytes, from the first part. */
KT_API int64_t kt_io_writev(int fd, const struct iovec *parts, int32_t count, int32_t send_flags);
/** close(2) through the fault hook: 0, or -1 with errno; the descriptor is
 * released either way. */
KT_API int32_t kt_io_close(int fd);
/** fread of up to n bytes through the fault hook: bytes read (fewer than
 * asked does not mean the end), 0 at end of file, or -1 with errno. */
KT_API int64_t kt_io_fread(FILE *stream, void *buf, int64_t n);
/** fwrite of n bytes through the fault hook: n, or -1 with errno when the
 * write failed (EINTR: nothing was written, retry). An injected short
 * transfer shows as a device that filled part-way: ENOSPC. */
KT_API int64_t kt_io_fwrite(FILE *stream, const void *buf, int64_t n);
/** fflush through the fault hook (as a write): 0, or -1 with errno. */
KT_API int32_t kt_io_fflush(FILE *stream);
/** fclose through the fault hook: 0, or -1 with errno when the last
 * buffered bytes could not be written or the close failed; the stream is
 * released either way. */
KT_API int32_t kt_io_fclose(FILE *stream);

/* ---- sockets ---------------------------------------------------------- */

/* IPv4 TCP sockets for the channels of libkt_util. Sockets made here are
 * plain POSIX descriptors, close-on-exec, and connections send without
 * Nagle's delay: channel traffic is many small request/reply frames. */

/** A listening socket on *port on every interface (0: any free port; the
 * port used is stored back): its descriptor, or -3. */
KT_API int32_t c_sfcrs(int32_t *port);
/** As c_sfcrs, listening on one address only (a name or a dotted address;
 * null or empty: every interface): its descriptor, or -3. */
KT_API int32_t c_sfcrsa(const char *address, int32_t *port);
/** A socket connected to host (a name or a dotted address) and port within
 * 30 seconds: its descriptor, or -3 (no connection, or none in time). */
KT_API int32_t c_sfc2h(const char *host, int32_t port);
/** As c_sfc2h within timeout seconds (negative: no limit): its descriptor,
 * -4 when no connection was made in time, -3 on failure. */
KT_API int32_t c_sfc2ht(const char *host, int32_t port, double timeout);
/** A connection accepted on a listening socket within timeout seconds
 * (negative: no limit): its descriptor, -4 on time-out, -3 on failure. */
KT_API int32_t c_sfacs(int32_t fd, double timeout);
/** Closes a socket: 0, or -1 when the descriptor was not open. */
KT_API int32_t c_sfclds(int32_t fd);

/* ---- refusable memory ------------------------------------------------ */

/* Every allocator of both libraries (word store, regions and the banks on
 * them, the packages' heap and kt_host_alloc below) asks one counter before
 * it takes memory, so that tests can refuse any request of any of them.
 * Shrinking and freeing are never asked about. */

/** Grants n more requests for memory, then refuses every one until the
 * next call; -1 never refuses. */
KT_API void kt_host_fail_alloc_after(int32_t n);
/** Grants `granted` more requests, refuses the next `refused` (-1: all)
 * and grants again after that; granted -1 never refuses. */
KT_API void kt_host_fail_alloc_window(int32_t granted, int32_t refused);
/** Requests refused since the last kt_host_fail_alloc_* call. */
KT_API int64_t kt_host_alloc_refusals(void);
/** Asks the counter for one request: 1 granted, 0 refused. For allocators
 * of their own; the calls below ask it themselves. */
KT_API int32_t kt_host_alloc_grant(void);
/** `bytes` of heap memory (0 allowed), or null when refused or exhausted. */
KT_API void *kt_host_alloc(size_t bytes);
/** A cleared array of count elements of `size` bytes, or null. */
KT_API void *kt_host_calloc(size_t count, size_t size);
/** Resizes a block of kt_host_alloc keeping its first bytes (null: a new
 * block); every call is a request. Null when refused: the block is as it was. */
KT_API void *kt_host_realloc(void *block, size_t bytes);
/** Gives a block of kt_host_alloc back; null is ignored. */
KT_API void kt_host_free(void *block);
/** Blocks of kt_host_alloc now live: the measure of a leak. */
KT_API int64_t kt_host_alloc_live(void);

KT_END_C

#endif
