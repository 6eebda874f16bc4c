#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tb {

// What one trim of the working set did.
struct WorkingSetTrim {
    bool supported = false;         // the kernel takes the request (Linux 5.4 and later)
    std::size_t ranges = 0;         // file mappings asked to give their pages back
    std::size_t residentBefore = 0; // bytes resident before and after
    std::size_t residentAfter = 0;
};

// Gives back the pages of program code and read-only files (libraries, fonts, caches) that this
// process alone holds: start-up and a closed dialog touch megabytes of library code that an
// indicator at rest never runs again, and they would stay counted as its memory until the
// system ran short. Only mappings nobody writes are asked; a page that is needed again is read
// back in on its next use, so nothing is lost, and pages other processes share are left alone.
// Free heap pages go back too. Takes some 20 ms; meant for a program at rest. Logs what
// it gave back (category thermobadge.memory).
WorkingSetTrim trimWorkingSet();

// One mapping of a /proc/PID/maps text.
struct MappedRange {
    std::size_t start = 0;
    std::size_t length = 0;
};
// The mappings of a /proc/PID/maps text that a trim asks: backed by a file that still exists and
// is not a device, and mapped without write access. Lines it cannot read are passed over.
std::vector<MappedRange> idleFileRanges(std::string_view maps);

} // namespace tb
