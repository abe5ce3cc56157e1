// SEPTH1, kt_path_token_read and kt_path_next: one token of a path per
// call. SEPTH1 and kt_path_token_read keep nothing between calls;
// kt_path_next keeps what its walk has seen ahead in the caller's
// kt_path_reader.
#include "common/fortran_alias.h"
#include "path_token.h"

extern "C" {

int32_t SEPTH1(char *text, const int32_t *n, int32_t *pos, const int32_t *table, int32_t *v1, int32_t *v2,
               int32_t *code, int32_t text_len) {
    (void)text_len; // the explicit count rules
    kt_path_token tok;
    kt::names::Lookahead ahead; // one token: nothing to keep
    kt::names::TokenReader(text, *n, *table, tok, ahead).read(pos);
    *v1 = tok.v1;
    *v2 = tok.v2;
    *code = tok.code;
    return tok.code;
}

int32_t kt_path_token_read(char *text, int32_t n, int32_t *pos, int32_t table, kt_path_token *token) {
    kt::names::Lookahead ahead;
    return kt::names::TokenReader(text, n, table, *token, ahead).read(pos);
}

int32_t kt_path_next(kt_path_reader *reader, kt_path_token *token) {
    kt::names::Lookahead ahead{reader->ahead_from, reader->ahead_at};
    int32_t code = kt::names::TokenReader(reader->text, reader->n, reader->table, *token, ahead).read(&reader->pos);
    reader->ahead_from = ahead.from;
    reader->ahead_at = ahead.at;
    return code;
}

} // extern "C"

KT_FORTRAN_ALIAS(SEPTH1, septh1_);
