#pragma once

#include "ColourFit.h"

// Endpoint estimates on the principal axis of a block's colours.
namespace tavrel::detail {

struct ColourAxis {
    Vec3 mean;
    Vec3 direction;  // not normalised; never zero
};

// Mean and principal axis of the 16 colours (covariance matrix, power iteration).
ColourAxis PrincipalAxis(const BlockPixels& px);

// The points of the axis where the extreme projections of the pixels fall.
void AxisExtremes(const BlockPixels& px, const ColourAxis& axis, Vec3& e0, Vec3& e1);

inline constexpr int kMaxClusterCandidates = 8;

// Cluster fit: the pixels are ordered by their projection on the axis, and every split of
// that order into four runs (for colour 0, two thirds, one third, colour 1) is scored by the
// error of its least-squares endpoints. With `reach` 0 the endpoints are judged as they are;
// otherwise the splits whose continuous error is within `reach` (a fraction) of the best
// one are judged again with their endpoints moved to the 5:6:5 grid (slower, better; a huge
// reach tries every split that could win). Writes the endpoints of the best `count` splits
// (at most kMaxClusterCandidates), best first, and returns how many there are: 0 when no
// split determines two endpoints.
int ClusterFitEndpoints(const BlockPixels& px, const ColourAxis& axis, float reach, int count,
                        Vec3* e0, Vec3* e1);

}  // namespace tavrel::detail
