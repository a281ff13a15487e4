#pragma once

#include <cstdint>
#include <vector>

#include "format/Bytes.h"

// Writers of the game's container formats: used by the tests' fixtures, the demo game folder
// and the benchmarks. They write well-formed containers; damaged ones are made from these.
namespace tavrel {

enum class LinkHeader { Short16, Long32 };

// A "LINK" container (an archive or a nested container) holding `entries` in order.
// Long32: the word at 20 is 0 and the table starts at 32. Short16: the table starts at 16
// (its first word pair overlaps bytes 16-23, so the word at 20 is entry 1's size, which must
// not be 0 for the short variant to be read back as such). `tflag` (when given) follows
// every entry, as the game's archives have it; `gap` zero bytes sit before each entry.
Bytes BuildLink(const std::vector<Bytes>& entries, LinkHeader header = LinkHeader::Long32,
                const Bytes& tflag = {}, std::uint32_t gap = 0);

// A "GT1G" texture pack of texture entries (per-entry words zero).
Bytes BuildGt1g(const std::vector<Bytes>& entries);

// One texture entry: level byte (levels << 4), format code, size byte from the exponents,
// header tag (a long-header tag gives 12 extension bytes of zeros), then `pixel_data`.
Bytes BuildTextureEntry(int levels, std::uint8_t format_code, int width_exp, int height_exp,
                        const Bytes& pixel_data, std::uint32_t tag = 0);

}  // namespace tavrel
