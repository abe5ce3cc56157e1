/** @file
 * Operating-system services and socket channels of libkt_util.
 *
 * Upper-case entries take every argument by address; each text argument
 * adds a hidden int32_t length after all other arguments. Texts handed to
 * the operating system are cut after their last non-blank character; texts
 * handed back are blank-filled to their declared length. c_ entries take
 * plain values and zero-terminated texts.
 *
 * Channels: a handle (0, 1, 2, ...) names a slot of one process-wide table.
 * A frame on the wire is a type byte, the frame length L (header plus
 * payload) as 2 bytes (3-byte header, L <= 32767) or 4 bytes (5-byte
 * header), big-endian, the payload, and padding up to a multiple of the
 * block size. Both ends must agree on header length and block size.
 * Results are handles, counts or previous values (>= 0), or:
 *   -2 no memory   -3 server socket not created   -4 no connection
 *   -5 time-out or interrupted wait   -6 wrong channel state
 *   -7 a read, write or wait failed   -8 bad handle, kind, option or argument
 *   -9 message too long for the 3-byte header
 * The table is not guarded: use the channels from one thread at a time. */
#ifndef KT_SYSTEM_H
#define KT_SYSTEM_H

#include <stdint.h>
#include <sys/select.h>

#include "kt/abi.h"

KT_BEGIN_C

/* ---- timing and calendar --------------------------------------------- */

KT_API void start_time(void);   /**< remembers the host's process time */
KT_API void get_time(float *t); /**< process time since start_time */
/// @{
/** Writes "execution time=" E " sec." with E = GTIMER - T0 to three
 * significant digits. */
KT_API void DELTIME(const double *t0);
KT_API void c_deltime(double t0);
/// @}
/** Appends label and ", " to the output line, then c_deltime(t0). */
KT_API void print_elapsed_time(const char *label, float t0);
KT_API int32_t INTTIM(void); /**< seconds since 1970 of the host's date and time */
/// @{
/** Day of the week, 1 Sunday .. 7 Saturday; 0 for a date that does not
 * exist (3..13 September 1752, a month outside 1..12, a day outside the
 * month). Dates before 14 September 1752 are Julian. */
KT_API int32_t WEEKDY(const int32_t *day, const int32_t *month, const int32_t *year);
KT_API int32_t c_weekdy(int32_t day, int32_t month, int32_t year);
/// @}

/* ---- fatal reports ---------------------------------------------------- */

/** Reports error 1008 naming the file and line, and ends the process with
 * exit status 1. */
KT_API __attribute__((noreturn)) void assertion_failed(int line, const char *file);
/** Reports error 2064 with the code and text, and ends the process with
 * exit status 1. */
KT_API __attribute__((noreturn)) void unanticipated_condition(int code, const char *text);

/* ---- byte order: reverse each of n items in place (n <= 0: nothing) --- */

/// @{
/** Reverses the bytes of each of n items of 8 / 4 / 2 bytes. */
KT_API void c_bswap8(void *buf, int32_t n);
KT_API void c_bswap4(void *buf, int32_t n);
KT_API void c_bswap2(void *buf, int32_t n);
/// @}
/** Reverses the bytes of each of n items of `size` bytes. */
KT_API void c_bswap(void *buf, int32_t n, int32_t size);
/// @{
/** Upper-case forms of c_bswap8, c_bswap4, c_bswap2 and c_bswap. */
KT_API void BSWAP8(void *buf, const int32_t *n);
KT_API void BSWAP4(void *buf, const int32_t *n);
KT_API void BSWAP2(void *buf, const int32_t *n);
KT_API void BSWAP(void *buf, const int32_t *n, const int32_t *size);
/// @}

/* ---- environment and process ------------------------------------------ */

/// @{
/** Working directory cut to len - 1 characters and zero-terminated (FGETWD:
 * blank-filled); its length, 0 on failure. */
KT_API int32_t c_fgetwd(char *buf, int32_t len);
KT_API int32_t FGETWD(char *dir, const int32_t *len, int32_t dir_len);
/// @}
/// @{
/** Value of an environment variable, at most len - 1 characters and a zero
 * byte (FGETENV: blank-filled); " " when it is not set. Returns the length
 * stored, -1 when unset. */
KT_API int32_t c_fgetenv(const char *name, char *buf, int32_t len);
KT_API int32_t FGETENV(const char *name, char *value, const int32_t *len, int32_t name_len, int32_t value_len);
/// @}
/** The process id. */
KT_API int32_t FGETPID(void);
KT_API int32_t GNCPU(void); /**< always 1: the simulator runs one engine per process */
/// @{
/** Local host name in at most len bytes, zero-terminated; its length, -1
 * on failure. */
KT_API int32_t c_gethnm(char *name, int32_t len);
KT_API int32_t GETHNM(char *name, const int32_t *len, int32_t name_len);
/// @}
/// @{
/** 1-based position of the first infinite or not-a-number value, else 0. */
KT_API int32_t c_notfinite(const double *a, int32_t n);
KT_API int32_t NOTFINITE(const double *a, const int32_t *n);
/// @}
/// @{
/** Sleeps ms milliseconds (<= 0: not at all), resuming after signals. */
KT_API void c_fsleep(int32_t ms);
KT_API void FSLEEP(const int32_t *ms);
/// @}

/* ---- files ------------------------------------------------------------ */

/// @{
/** Access, modification and status-change times (seconds since 1970, low 32
 * bits): 0, or -1 when the file's status cannot be read. */
KT_API int32_t c_ftimes(const char *path, int32_t *atime, int32_t *mtime, int32_t *ctime);
KT_API int32_t FTIMES(const char *path, int32_t *atime, int32_t *mtime, int32_t *ctime, int32_t path_len);
/// @}
/// @{
/** Renames; 0, or reports error 2013 and returns non-zero (SFMV gives no
 * result). */
KT_API int32_t c_sfmv(const char *from, const char *to);
KT_API void SFMV(const char *from, const char *to, int32_t from_len, int32_t to_len);
/// @}
/// @{
/** Removes a file: 0; the host's non-zero access answer when the file is
 * not there (nothing reported); else reports error 2015, non-zero (SFRM
 * gives no result). */
KT_API int32_t c_sfrm(const char *path);
KT_API void SFRM(const char *path, int32_t path_len);
/// @}

/* ---- socket channels --------------------------------------------------- */

/** A new prototype channel: kind 1 server (listens on *port, 0: any free
 * port, the port used stored back), 2 client, 3 peer over existing
 * descriptors. Its handle, or a negative code (-3, -8, -2). */
KT_API int32_t c_ipini(int32_t kind, int32_t *port);
/** Connection accepted on a server prototype within timeout seconds
 * (negative: no limit): the connected channel's handle, or a negative code
 * (-5 time-out, -4, -6, -8). */
KT_API int32_t c_ipocss(int32_t handle, double timeout);
/** Connects a client prototype to host and port, waiting at most 30
 * seconds: the connected channel's handle, or a negative code (-4 no
 * connection, none in time included, -6, -8). */
KT_API int32_t c_ipoccs(int32_t handle, const char *host, int32_t port);
/** As c_ipoccs, waiting at most timeout seconds (negative: no limit): the
 * handle, or a negative code (-5 time-out, -4 no connection, -6, -8). */
KT_API int32_t c_ipocct(int32_t handle, const char *host, int32_t port, double timeout);
/** Connection over a read and a write descriptor (-1: none); the caller
 * keeps ownership until c_ipclos. The channel's handle, or a negative code. */
KT_API int32_t c_ipocp(int32_t handle, int32_t rfd, int32_t wfd);
/** Sends one frame of the low byte of type and len payload bytes; returns
 * len when the whole frame went out, else a negative code (-7, -9, ...). */
KT_API int32_t c_ipwrit(int32_t handle, int32_t type, const void *data, int32_t len);
/** Type and payload length of the next message, without consuming it:
 * the length, or a negative code. */
KT_API int32_t c_ippeek(int32_t handle, int32_t *type, int32_t *len);
/** Reads the next message: at most maxlen payload bytes into data, the rest
 * discarded; returns the full payload length, or a negative code. */
KT_API int32_t c_ipread(int32_t handle, int32_t *type, void *data, int32_t maxlen);
/** Waits until one of n channels has input (timeout seconds, negative: no
 * limit); ready[i] = 1 for those that have. Returns how many are ready,
 * or a negative code (-5 time-out). */
KT_API int32_t c_ippend(const int32_t *handles, int32_t n, double timeout, int32_t *ready);
/** Waits until the channel can be written (timeout seconds, negative: no
 * limit): 1, or a negative code (-5 time-out, -6 not writable). */
KT_API int32_t c_ipavail(int32_t handle, double timeout);
/** Channel options: 1 block size, 2 read and 3 write descriptor, 4 name length,
 * 5 remote and 6 local port, 7 role, 8 tracing (1024 or 0), 10 max message
 * length (above 32764: 5-byte header). 4..7 cannot be set.
 * Sets an option: its previous value, or a negative code (-8 for an option
 * that cannot be set or a bad value). */
KT_API int32_t c_ipseto(int32_t handle, int32_t option, int32_t value);
/** The value of an option, or a negative code. */
KT_API int32_t c_ipgeto(int32_t handle, int32_t option);
/** Option 4: copies the name of the other end (at most maxlen bytes, not
 * zero-terminated) and returns its full length; -8 for another option. */
KT_API int32_t c_ipgets(int32_t handle, int32_t option, char *text, int32_t maxlen);
/** Closes the channel's connection and frees its slot: 0, or -8 for a bad
 * handle. */
KT_API int32_t c_ipclos(int32_t handle);
/** Host name, dotted address and port of the other end of a socket (the
 * local host and port -1 for another descriptor); 0, or 1 on failure. */
KT_API int32_t c_gtpeer(int32_t fd, char *name, int32_t namelen, int32_t *port, char *addr, int32_t addrlen);
/** As select(); the wait itself is done with poll. */
KT_API int kt_select(int nfds, fd_set *readset, fd_set *writeset, fd_set *exceptset, struct timeval *timeout);

/// @{
/** Upper-case forms of the c_ip entries and c_gtpeer, with the same
 * results; texts are blank-padded (IPWRIT sends at most the text up to its
 * last non-blank and a zero byte), and -2 when a text cannot be copied. */
KT_API int32_t IPINI(const int32_t *kind, int32_t *port);
KT_API int32_t IPOCSS(const int32_t *handle, const double *timeout);
KT_API int32_t IPOCCS(const int32_t *handle, const char *host, const int32_t *port, int32_t host_len);
KT_API int32_t IPOCCT(const int32_t *handle, const char *host, const int32_t *port, const double *timeout,
                      int32_t host_len);
KT_API int32_t IPOCP(const int32_t *handle, const int32_t *rfd, const int32_t *wfd);
KT_API int32_t IPWRIT(const int32_t *handle, const int32_t *type, const char *data, const int32_t *len,
                      int32_t data_len);
KT_API int32_t IPPEEK(const int32_t *handle, int32_t *type, int32_t *len);
KT_API int32_t IPREAD(const int32_t *handle, int32_t *type, char *data, const int32_t *maxlen, int32_t data_len);
KT_API int32_t IPPEND(const int32_t *handles, const int32_t *n, const double *timeout, int32_t *ready);
KT_API int32_t IPAVAIL(const int32_t *handle, const double *timeout);
KT_API int32_t IPSETO(const int32_t *handle, const int32_t *option, const int32_t *value);
KT_API int32_t IPGETO(const int32_t *handle, const int32_t *option);
KT_API int32_t IPGETS(const int32_t *handle, const int32_t *option, char *text, const int32_t *maxlen,
                      int32_t text_len);
KT_API int32_t IPCLOS(const int32_t *handle);
KT_API int32_t GTPEER(const int32_t *fd, char *name, const int32_t *namelen, int32_t *port, char *addr,
                      const int32_t *addrlen, int32_t name_len, int32_t addr_len);
/// @}

KT_END_C

#endif
