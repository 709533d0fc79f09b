#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/settings_leftovers.h"

namespace {

TEST(LeftoverWriter, OnlyTheFilesOwnLeftoversNameAWriter)
{
    struct Case {
        const char* name;
        uint32_t writer;
    };
    const Case cases[] = {
        {"Vitrane.ini.412-0.tmp", 412},  {"Vitrane.ini.412-3.tmp.old", 412}, {"VITRANE.INI.9-0.tmp", 9},
        {"Vitrane.ini.tmp", 0},          {"Vitrane.ini.412.tmp", 0},         {"Vitrane.ini.x-0.tmp", 0},
        {"Vitrane.ini.412-.tmp", 0},     {"Other.ini.412-0.tmp", 0},         {"Vitrane.ini.412-0.tmp.bak", 0},
        {"Vitrane.ini.99999999999-0.tmp", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.writer, LeftoverWriter("Vitrane.ini", c.name)) << c.name;
    }
}

// Process 7 still runs; 5 and 6 have ended. Later saves have larger times.
TEST(PlanLeftovers, TheNewestCompleteLeftoverTakesAMissingFilesPlaceAndNothingStaleStays)
{
    const std::string pair5 = "Vitrane.ini.5-0.tmp", old5 = pair5 + ".old";
    const std::string pair6 = "Vitrane.ini.6-0.tmp", old6 = pair6 + ".old";
    const std::string running = "Vitrane.ini.7-0.tmp", runningOld = running + ".old";
    struct Case {
        const char* name;
        bool fileExists;
        std::vector<LeftoverFile> found;
        std::string adopt;
        std::vector<std::string> remove;
    };
    const Case cases[] = {
        {"a replace stopped half way", false, {{old5, 10}, {pair5, 20}}, pair5, {old5}},
        {"its copy gone too", false, {{old5, 10}}, old5, {}},
        {"a killed save's copy alone", false, {{pair5, 20}}, "", {pair5}},
        {"two stops: the later copy", false, {{old5, 10}, {pair5, 20}, {old6, 20}, {pair6, 30}}, pair6,
         {old5, pair5, old6}},
        {"a copy no newer than its old file", false, {{old5, 20}, {pair5, 20}}, pair5, {old5}},
        {"beside a good file", true, {{old5, 10}, {pair5, 20}, {"Vitrane.ini.6-2.tmp", 30}}, "",
         {old5, pair5, "Vitrane.ini.6-2.tmp"}},
        {"a running save's own", false, {{runningOld, 40}, {running, 50}, {old5, 10}}, old5, {}},
        {"not leftovers", true, {{"Vitrane.ini.tmp", 1}, {"Vitrane.ini.bak", 1}}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LeftoverPlan plan =
            PlanLeftovers("Vitrane.ini", c.fileExists, c.found, [](uint32_t writer) { return writer == 7; });
        EXPECT_EQ(c.adopt, plan.adopt);
        std::vector<std::string> removed = plan.remove, expected = c.remove;
        std::sort(removed.begin(), removed.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, removed);
    }
}

}  // namespace
