// msgLevel and the table of named debug switches.
//
// The table is walked in order: a name that occurs in several consecutive
// rows turns on one switch per row, and a row whose level is too high stops
// the walk at once.
#include "kt/host.h"
#include "kt/msglevel.h"

namespace {

struct SwitchRow {
    const char *name;
    int index;
    int level;
};

constexpr SwitchRow kRows[] = {
    {"parse_only", 0, 0},
    {"show_transformed_equations", 1, 0},
    {"compiler_produce_code", 2, 1},
    {"show_error_source", 3, 0},
    {"compiler_dump_aire", 4, 2},
    {"compiler_browse_aire", 5, 2},
    {"compiler_browse_lif_vendor", 6, 2},
    {"compiler_browse_lif_stub", 7, 2},
    {"compiler_show_protected", 8, 2},
    {"alter_warnings", 9, 0},
    {"alter_no_fast_parse", 10, 0},
    {"alter_dependencies", 11, 2},
    {"root_template_korm", 12, 2},
    {"show_shared_constants", 13, 2},
    {"show_rtti_info", 14, 2},
    {"show_generated_stubs", 15, 1},
    {"trace_ftl_callbacks", 16, 2},
    {"compiler_no_ieee", 17, 2},
    {"engine_flow", 41, 2},
    {"engine_simcycle", 42, 2},
    {"vlm_trace_fir_io", 18, 2},
    {"vlm_dump_air", 19, 2},
    {"elab_collapse", 20, 2},
    {"elab_int_ext", 21, 2},
    {"elab_flag_map", 22, 2},
    {"elab_flags", 24, 2},
    {"elab_flow", 25, 2},
    {"elab_sizes", 26, 2},
    {"elab_nl_set", 27, 1},
    {"elab_equation_analysis", 28, 2},
    {"elab_classify_graph", 29, 2},
    {"elab_sharing_details", 30, 2},
    {"elab_sharing_details", 31, 2},
    {"elab_sharing_summary", 31, 2},
    {"elab_all_maps", 23, 2},
    {"elab_all_maps", 20, 2},
    {"elab_all_maps", 21, 2},
    {"elab_code_cbk_trace", 32, 2},
    {"elab_code_trace", 33, 2},
    {"elab_all_flags", 34, 2},
    {"elab_all_flags", 23, 2},
    {"elab_all_flags", 20, 2},
    {"elab_all_flags", 21, 2},
    {"elab_all_flags", 22, 2},
    {"elab_all_flags", 24, 2},
    {"elab_all_flags", 25, 2},
    {"elab_all_flags", 26, 2},
    {"elab_all_flags", 27, 2},
    {"elab_all_flags", 30, 2},
    {"elab_all_flags", 31, 2},
    {"elab_all_flags", 32, 2},
    {"elab_all_flags", 33, 2},
    {"apply_simple_limiting", 35, 2},
    {"no_compression", 36, 0},
    {"kernel_dump_topology", 37, 1},
    {"kernel_probes", 38, 2},
    {"kernel_threshold_events", 39, 2},
    {"korm_schedule", 40, 1},
    {"vhpi_errors", 43, 0},
    {"hpi_trace_cbk_mgmt", 44, 0},
    {"hpi_trace_cbk_queue", 45, 0},
    {"hpi_trace_cbk_trigger", 46, 0},
    {"hpi_trace_cbk_all", 47, 0},
    {"hpi_trace_cbk_all", 44, 0},
    {"hpi_trace_cbk_all", 45, 0},
    {"hpi_trace_cbk_all", 46, 0},
    {"vhpi_bootstrap_apps", 48, 0},
    {"show_internal_info", 49, 1},
    {"dams_debug", 50, 1},
    {"sysq_v", 51, 0},
    {"sysq_m", 52, 0},
    {"timing", 53, 0},
    {"memory", 54, 0},
};
static_assert(sizeof kRows / sizeof kRows[0] == 73, "one row per (name, switch)");

} // namespace

// Constant-initialised, so it is ready before any code of the library runs.
MsgLevelFlags msgLevel;

void MsgLevelFlags::set_flag(const char *name) {
    if (!name) {
        status = UNKNOWN;
        return;
    }
    if (kt_stricmp(name, "help") == 0) {
        status = HELP;
        return;
    }
    int outcome = UNKNOWN;
    for (const SwitchRow &row : kRows) {
        if (kt_stricmp(name, row.name) != 0)
            continue;
        if (row.level > level) {
            status = LEVEL_TOO_LOW;
            return;
        }
        flags[row.index] = 1;
        outcome = SET;
    }
    status = outcome;
}
