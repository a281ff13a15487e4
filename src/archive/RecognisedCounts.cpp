#include "archive/ArchiveIndex.h"

namespace tavrel {

bool IsRecognisedCount(std::uint32_t entry_count) {
    for (std::uint32_t c : kRecognisedCounts) {
        if (c == entry_count) return true;
    }
    return false;
}

}  // namespace tavrel
