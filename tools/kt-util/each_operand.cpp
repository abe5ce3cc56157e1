// Commands that read each operand on its own (each_operand.h).
#include "each_operand.h"

#include "options.h"

namespace ktutil {

int run_each_operand(const std::string &command, const Args &args, const char *list, const char *missing,
                     const OperandReader &read) {
    bool as_json = false;
    Args operands;
    if (int done = read_options(command, args, {{}, {{"--json", set_flag(as_json)}}}, operands); done >= 0)
        return done;
    if (operands.empty())
        return usage_error(command, missing);
    JsonWriter json;
    if (as_json) {
        json.begin_object();
        json.key(list);
        json.begin_array();
    }
    bool ok = true;
    for (const std::string &operand : operands)
        ok = read(operand, as_json ? &json : nullptr) && ok;
    if (as_json) {
        json.end_array();
        json.end_object();
        json.finish();
    }
    return ok ? 0 : 1;
}

} // namespace ktutil
