// The path token reader shared by SEPTH1, SEPTHI and kt_path_token_read.
#ifndef KT_SRC_NAMES_PATH_TOKEN_H
#define KT_SRC_NAMES_PATH_TOKEN_H

#include <cstdint>

#include "kt/names.h"

namespace kt::names {

// Reads the token at text(*pos) of text(1..n) into `token` and returns its
// code; see SEPTH1.
int32_t read_path_token(char *text, int32_t n, int32_t *pos, int32_t table, kt_path_token &token);

} // namespace kt::names

#endif
