/** @file
 * VHDL and VHDL-AMS interfaces: a line-oriented scanner that lists the
 * entities of source files with their context clauses, generics and ports,
 * and the test and conversion of VHDL names.
 *
 * The scanner keeps its results in process-wide symbol tables keyed without
 * regard to letter case. Reading accumulates: entities of several files land
 * in one table until vhdlutil_FreeAll. Strings handed out by the scan
 * functions belong to the tables and stay valid until vhdlutil_FreeAll.
 * Type records are shared by all entities and live as long as the process.
 *
 * Not reentrant: the tables, the last error, the source buffer, the scan
 * cursors and the buffer of VHDLNameBuf are shared by all callers. */
#ifndef KT_VHDL_H
#define KT_VHDL_H

#include "kt/abi.h"
#include "kt/st.h"

KT_BEGIN_C

/* Port kinds and directions as stored in VHDLPort. */

/** Port kinds. */
enum {
    VHDL_SIGNAL = 0,   /**< signal port */
    VHDL_TERMINAL = 1, /**< terminal port */
    VHDL_QUANTITY = 2  /**< quantity port */
};
/** Port directions. */
enum {
    VHDL_IN = 0,          /**< in */
    VHDL_OUT = 1,         /**< out */
    VHDL_INOUT = 2,       /**< inout */
    VHDL_BUFFER = 3,      /**< buffer */
    VHDL_LINKAGE = 4,     /**< linkage */
    VHDL_NO_DIRECTION = 5 /**< none given (terminals) */
};

/** A type named in a declaration. */
typedef struct VHDLType {
    char *name;   /**< the type mark */
    char *text;   /**< always null here */
    int category; /**< 3 for every type the scanner records */
} VHDLType;

/** One line of text in a list. */
typedef struct VHDLTextNode {
    char *text;                /**< the line */
    struct VHDLTextNode *next; /**< next line, or null */
} VHDLTextNode;

/** One generic of an entity. */
typedef struct VHDLGeneric {
    char *name;               /**< its name */
    char *value;              /**< default value tokens joined by single blanks, or null */
    VHDLType *type;           /**< or null */
    struct VHDLGeneric *next; /**< next generic in declaration order, or null */
} VHDLGeneric;

/** One port of an entity. */
typedef struct VHDLPort {
    char *name;            /**< its name */
    VHDLType *type;        /**< or null */
    int kind;              /**< VHDL_SIGNAL, VHDL_TERMINAL, VHDL_QUANTITY */
    int direction;         /**< VHDL_IN .. VHDL_NO_DIRECTION */
    char *constraint;      /**< index constraint tokens joined by single blanks, or null */
    struct VHDLPort *next; /**< next port in declaration order, or null */
} VHDLPort;

/** An entity with its context clauses, generics and ports. */
typedef struct VHDLEntity {
    char *name;                 /**< its name */
    int made;                   /**< 1 */
    st_table *generics;         /**< name -> VHDLGeneric, the latest of a name; made when first needed, null before */
    st_table *ports;            /**< name -> VHDLPort, the latest of a name; made when first needed, null before */
    VHDLGeneric *first_generic; /**< declaration order */
    VHDLPort *first_port;       /**< declaration order */
    VHDLTextNode *context;      /**< the "LIBRARY x;" and "USE x;" lines, each ending in a line end */
} VHDLEntity;

/** 1 when the whole file was read without a syntax error, else 0 with the
 * reason in vhdlutil_GetError. A file that cannot be opened or read to its
 * end ("Cannot open 'path': reason." or "Cannot read 'path': reason.", the
 * system's reason) adds nothing to the tables: what its lines read so far
 * had added is taken back, and when that frees entities, running scans
 * end. After a syntax error, or when memory ran out while scanning, what
 * was scanned before stays. Lines may be of any length. */
KT_API int vhdlutil_VHDLSrcRead(const char *path);
/** The last error message, or null. */
KT_API const char *vhdlutil_GetError(void);
/** The next entity name in table order, or null at the end of the walk
 * (the following call starts a new walk). */
KT_API const char *vhdlutil_ScanEntities(void);
/* Iterators over one entity's lists in declaration order. The first call
 * names the entity; while a scan runs the name is not looked at. At the end
 * (or for an unknown entity) null, and the next call starts a new scan. */

/** The next context line of the entity, or null at the end. */
KT_API const char *vhdlutil_ScanHeader(const char *entity);
/** The next generic: its name (also in *name), with *type (null: none)
 * and *value (the default, or null); null at the end. */
KT_API const char *vhdlutil_ScanGenerics(const char *entity, const char **name, const char **type, const char **value);
/** The next port: its name (also in *name), with *type, *kind ("signal",
 * "terminal" or "quantity"), *direction ("IN", "OUT", "INOUT", "BUFFER",
 * "LINKAGE" or "NONE") and *constraint (null: none); null at the end. */
KT_API const char *vhdlutil_ScanPorts(const char *entity, const char **name, const char **type, const char **kind,
                                      const char **direction, const char **constraint);
/** Writes every entity to standard output. */
KT_API void vhdlutil_PrintAll(void);
/** Frees the last error, every entity and the entity table; ends running scans. */
KT_API void vhdlutil_FreeAll(void);

/* VHDL names. flag 0: the reserved words of VHDL and of its analogue and
 * mixed-signal extensions are excluded; any other flag: only those of VHDL. */

/** 1 when name can stand unchanged as a VHDL name (a basic identifier that is
 * not reserved, or an extended identifier \...\), else 0. */
KT_API int IsVHDLIdentifier(const char *name, int flag);
/** A new heap string (the caller frees it): the name, or when it is not
 * usable the extended identifier \name\ with inner backslashes doubled.
 * Null when memory ran out. */
KT_API char *VHDLName(const char *name, int flag);
/** The name itself when usable, else its extended identifier in a buffer
 * shared by all calls, valid until the next call. Null when memory ran out. */
KT_API const char *VHDLNameBuf(const char *name, int flag);

KT_END_C

#endif
