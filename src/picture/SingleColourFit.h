#pragma once

#include <cstdint>

// Endpoint pairs that reproduce one 8-bit channel value exactly (or as closely as the grid
// allows) with the colour two thirds of the way from the first endpoint to the second.
namespace tavrel::detail {

struct EndpointPair {
    std::uint8_t near;  // weight 2/3
    std::uint8_t far;   // weight 1/3
};

// Best 5-bit pair for each 8-bit value under the common widening; among equally good pairs
// the one that is also closest under the tool's own widening, then the closest pair.
const EndpointPair* FiveBitPairs();
// Same for 6-bit green.
const EndpointPair* SixBitPairs();

}  // namespace tavrel::detail
