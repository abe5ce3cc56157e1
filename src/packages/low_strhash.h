// The case-insensitive string hash of the symbol tables, for tables keyed
// with kt_stricmp. Internal to libkt_util (the VHDL scanner uses it), so it
// is not part of the public st.h.
#ifndef KT_SRC_PACKAGES_LOW_STRHASH_H
#define KT_SRC_PACKAGES_LOW_STRHASH_H

// st_strhash over the characters with ASCII letters lower-cased, which is
// exactly the case rule of kt_stricmp: keys it finds equal hash alike.
extern "C" int low_strhash(const char *key, int modulus);

#endif
