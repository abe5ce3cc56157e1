// The debug switches: names, levels, multi-switch names, help, and the
// stream output of a Gen_Exception.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kt/msglevel.h"

namespace {

std::set<int> switches_on(const MsgLevelFlags &m) {
    std::set<int> on;
    for (int i = 0; i < MsgLevelFlags::kSwitches; ++i) {
        EXPECT_TRUE(m.flags[i] == 0 || m.flags[i] == 1);
        if (m.flags[i])
            on.insert(i);
    }
    return on;
}

TEST(MsgLevel, NamesTurnOnTheirSwitches) {
    struct Case {
        const char *name;
        int level;
        int status;
        std::set<int> on;
    } cases[] = {
        {"help", 2, 4, {}},
        {"HELP", 0, 4, {}},
        {"parse_only", 0, 0, {0}},
        {"PARSE_Only", 0, 0, {0}},
        {"elab_all_flags", 2, 0, {34, 23, 20, 21, 22, 24, 25, 26, 27, 30, 31, 32, 33}},
        {"elab_all_flags", 0, 2, {}},
        {"elab_all_flags", 1, 2, {}},
        {"hpi_trace_cbk_all", 0, 0, {47, 44, 45, 46}},
        {"elab_sharing_details", 2, 0, {30, 31}},
        {"elab_all_maps", 2, 0, {23, 20, 21}},
        {"engine_flow", 2, 0, {41}},
        {"compiler_produce_code", 0, 2, {}},
        {"compiler_produce_code", 1, 0, {2}},
        {"memory", 0, 0, {54}},
        {"no_such_switch", 2, 1, {}},
        {"", 0, 1, {}},
        {nullptr, 0, 1, {}},
    };
    for (const Case &c : cases) {
        MsgLevelFlags m;
        m.level = c.level;
        m.set_flag(c.name);
        EXPECT_EQ(m.status, c.status) << (c.name ? c.name : "(null)");
        EXPECT_EQ(switches_on(m), c.on) << (c.name ? c.name : "(null)");
    }
}

std::vector<std::string> words(const std::string &text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// The level-0 names need no privilege; with it, the rest reach every switch.
TEST(MsgLevel, EverySwitchIsReachable) {
    const std::string unprivileged =
        "parse_only show_transformed_equations show_error_source alter_warnings alter_no_fast_parse no_compression "
        "vhpi_errors hpi_trace_cbk_mgmt hpi_trace_cbk_queue hpi_trace_cbk_trigger vhpi_bootstrap_apps sysq_v sysq_m "
        "timing";
    const std::string privileged =
        "compiler_produce_code compiler_dump_aire compiler_browse_aire compiler_browse_lif_vendor "
        "compiler_browse_lif_stub compiler_show_protected alter_dependencies root_template_korm show_shared_constants "
        "show_rtti_info show_generated_stubs trace_ftl_callbacks compiler_no_ieee engine_flow engine_simcycle "
        "vlm_trace_fir_io vlm_dump_air elab_all_flags elab_equation_analysis elab_classify_graph apply_simple_limiting "
        "kernel_dump_topology kernel_probes kernel_threshold_events korm_schedule hpi_trace_cbk_all show_internal_info "
        "dams_debug memory";
    MsgLevelFlags m;
    for (const std::string &n : words(unprivileged)) {
        m.set_flag(n.c_str());
        EXPECT_EQ(m.status, 0) << n;
    }
    EXPECT_EQ(switches_on(m), (std::set<int>{0, 1, 3, 9, 10, 36, 43, 44, 45, 46, 48, 51, 52, 53}));
    m.level = 2;
    for (const std::string &n : words(privileged)) {
        m.set_flag(n.c_str());
        ASSERT_EQ(m.status, 0) << n;
    }
    EXPECT_EQ(switches_on(m).size(), 55u);
}

struct Custom : Gen_Exception {
    void print(std::ostream &os, int detail) const override { os << "custom detail=" << detail; }
};

TEST(GenException, StreamsThroughItsPrintOperation) {
    std::ostringstream out;
    Custom c;
    const Gen_Exception &e = c;
    out << e << "|" << Gen_Exception();
    EXPECT_EQ(out.str(), "custom detail=0|exception");
}

} // namespace
