// The forging weight of the head: a ring of the head thickness plus a hub
// ring (finished), or one solid ring of the full height (rough).
#include "opening.hpp"

namespace tx14 {

void forging_weight(float B, float A, float t, float g1, float g0, float h, float& W, float& Wr, float density)
{
    const float quarter_pi = 3.1415927f * 0.25f;
    float a = quarter_pi * (A * A - B * B);     // area of the head ring
    float Dh = B + (g1 + g0);                   // outside diameter of the hub ring
    float ah = quarter_pi * (Dh * Dh - B * B);  // area of the hub ring
    Wr = ((t + h) * a) * density;
    W = (t * a + h * ah) * density;
}

float finished_weight(const OpeningInput& in, float t)
{
    float W = 0, Wr = 0;
    forging_weight(in.Bn, in.A, t, in.g1s, in.g0s, in.hs, W, Wr, in.density);
    return W;
}

}  // namespace tx14
