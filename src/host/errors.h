// Numbered errors inside the host.
//
// An error is recorded in the log as soon as it is raised, but its line on
// standard error is written only when it is complete: ERI may still attach
// integers to it, and c_ermsg builds a message piece by piece from the
// output calls until c_erflsh. A pending line is completed by the next
// error, by OOWRIT, by c_erflsh and at process exit.
#ifndef KT_SRC_HOST_ERRORS_H
#define KT_SRC_HOST_ERRORS_H

#include <cstdint>
#include <string_view>

namespace kt::host {

void raise_error(int32_t number, std::string_view text, std::string_view more);
void flush_error();
// True while c_ermsg .. c_erflsh is building a message: output goes there.
bool error_message_open();
void error_message_append(std::string_view piece);

} // namespace kt::host

#endif
