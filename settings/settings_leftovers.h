#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a save can leave beside a settings file "<file>": while it runs, its
// new copy "<file>.<pid>-<n>.tmp", written and flushed by process <pid>; while
// the copy replaces the file, the old file set aside as "<file>.<pid>-<n>.tmp.old".
// A replace that stops half way leaves the file missing and both of these; a
// killed save leaves its copy. Saves and loads take a lock around them, so
// whoever holds it can tell what is stale.

struct LeftoverFile {
    std::string name;      // the name within the folder
    uint64_t writeTime;    // when it was last written, in any steadily rising unit
};

// The leftovers to adopt and to delete.
struct LeftoverPlan {
    std::string adopt;  // "" for none: the complete leftover that takes the file's name again
    std::vector<std::string> remove;
};

// The process that wrote the leftover; 0 when the name is no leftover of the file.
uint32_t LeftoverWriter(const std::string& fileName, const std::string& name);

// The rules, for the names found beside the file: a leftover of a process
// still running is its own, in the middle of its save, and stays. Of the rest,
// where the file is missing, the newest complete one (an old file set aside,
// or a new copy whose old file was set aside, so that it was complete before
// the replace began) takes the file's place; everything else goes. Where the
// file is there, it was written after every leftover (a save adopts first),
// so all of them go.
LeftoverPlan PlanLeftovers(const std::string& fileName, bool fileExists, const std::vector<LeftoverFile>& found,
                           const std::function<bool(uint32_t writer)>& writerRunning);
