// The sine table and the direction search that turns the creatures, in integer
// arithmetic only so that every machine picks the same facing.
#include "geometry/trig.h"

// round(256 * sin(2 pi k / 512)); stored as data so start-up computes nothing and
// no floating-point library can nudge an entry. Read-only.
const int16_t sine_table[ANGLE_STEPS] = {
       0,    3,    6,    9,   13,   16,   19,   22,   25,   28,   31,   34,   38,   41,   44,   47,
      50,   53,   56,   59,   62,   65,   68,   71,   74,   77,   80,   83,   86,   89,   92,   95,
      98,  101,  104,  107,  109,  112,  115,  118,  121,  123,  126,  129,  132,  134,  137,  140,
     142,  145,  147,  150,  152,  155,  157,  160,  162,  165,  167,  170,  172,  174,  177,  179,
     181,  183,  185,  188,  190,  192,  194,  196,  198,  200,  202,  204,  206,  207,  209,  211,
     213,  215,  216,  218,  220,  221,  223,  224,  226,  227,  229,  230,  231,  233,  234,  235,
     237,  238,  239,  240,  241,  242,  243,  244,  245,  246,  247,  248,  248,  249,  250,  250,
     251,  252,  252,  253,  253,  254,  254,  254,  255,  255,  255,  256,  256,  256,  256,  256,
     256,  256,  256,  256,  256,  256,  255,  255,  255,  254,  254,  254,  253,  253,  252,  252,
     251,  250,  250,  249,  248,  248,  247,  246,  245,  244,  243,  242,  241,  240,  239,  238,
     237,  235,  234,  233,  231,  230,  229,  227,  226,  224,  223,  221,  220,  218,  216,  215,
     213,  211,  209,  207,  206,  204,  202,  200,  198,  196,  194,  192,  190,  188,  185,  183,
     181,  179,  177,  174,  172,  170,  167,  165,  162,  160,  157,  155,  152,  150,  147,  145,
     142,  140,  137,  134,  132,  129,  126,  123,  121,  118,  115,  112,  109,  107,  104,  101,
      98,   95,   92,   89,   86,   83,   80,   77,   74,   71,   68,   65,   62,   59,   56,   53,
      50,   47,   44,   41,   38,   34,   31,   28,   25,   22,   19,   16,   13,    9,    6,    3,
       0,   -3,   -6,   -9,  -13,  -16,  -19,  -22,  -25,  -28,  -31,  -34,  -38,  -41,  -44,  -47,
     -50,  -53,  -56,  -59,  -62,  -65,  -68,  -71,  -74,  -77,  -80,  -83,  -86,  -89,  -92,  -95,
     -98, -101, -104, -107, -109, -112, -115, -118, -121, -123, -126, -129, -132, -134, -137, -140,
    -142, -145, -147, -150, -152, -155, -157, -160, -162, -165, -167, -170, -172, -174, -177, -179,
    -181, -183, -185, -188, -190, -192, -194, -196, -198, -200, -202, -204, -206, -207, -209, -211,
    -213, -215, -216, -218, -220, -221, -223, -224, -226, -227, -229, -230, -231, -233, -234, -235,
    -237, -238, -239, -240, -241, -242, -243, -244, -245, -246, -247, -248, -248, -249, -250, -250,
    -251, -252, -252, -253, -253, -254, -254, -254, -255, -255, -255, -256, -256, -256, -256, -256,
    -256, -256, -256, -256, -256, -256, -255, -255, -255, -254, -254, -254, -253, -253, -252, -252,
    -251, -250, -250, -249, -248, -248, -247, -246, -245, -244, -243, -242, -241, -240, -239, -238,
    -237, -235, -234, -233, -231, -230, -229, -227, -226, -224, -223, -221, -220, -218, -216, -215,
    -213, -211, -209, -207, -206, -204, -202, -200, -198, -196, -194, -192, -190, -188, -185, -183,
    -181, -179, -177, -174, -172, -170, -167, -165, -162, -160, -157, -155, -152, -150, -147, -145,
    -142, -140, -137, -134, -132, -129, -126, -123, -121, -118, -115, -112, -109, -107, -104, -101,
     -98,  -95,  -92,  -89,  -86,  -83,  -80,  -77,  -74,  -71,  -68,  -65,  -62,  -59,  -56,  -53,
     -50,  -47,  -44,  -41,  -38,  -34,  -31,  -28,  -25,  -22,  -19,  -16,  -13,   -9,   -6,   -3,
};

// Squared distance, in 24.8 fixed point, between the point one pixel from
// (x0, y0) in direction t and (x1, y1). The differences wrap as 32-bit values
// (done unsigned, so a far-off point cannot trip signed overflow); the squares
// are summed in 64 bits and compared unsigned.
static uint64_t probe_distance(uint16_t t, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    uint32_t ux = uint32_t(x0) * 256u + uint32_t(cos512(t)) - uint32_t(x1) * 256u;
    uint32_t uy = uint32_t(y0) * 256u - uint32_t(sin512(t)) - uint32_t(y1) * 256u;
    int64_t dx = int32_t(ux);
    int64_t dy = int32_t(uy);
    return uint64_t(dx * dx) + uint64_t(dy * dy);
}

// Ties keep the current angle and the lower side wins when both sides improve:
// creatures near the border between two eighths must always settle the same way.
uint16_t angle_refine(uint16_t a, int32_t step, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    uint16_t here = uint16_t(a & 511);
    uint16_t below = uint16_t((int32_t(a) - step) & 511);
    uint16_t above = uint16_t((int32_t(a) + step) & 511);
    uint64_t d_here = probe_distance(here, x0, y0, x1, y1);
    if (probe_distance(below, x0, y0, x1, y1) < d_here)
        return below;
    if (probe_distance(above, x0, y0, x1, y1) < d_here)
        return above;
    return here;
}

// Coarse-to-fine greedy search: steps 180, 113, 71, 45, 29, 19, 12, 8, then 4, 2, 1.
uint16_t direction_angle(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    uint16_t a = 0;
    uint16_t step = 180;
    do {
        a = angle_refine(a, step, x0, y0, x1, y1);
        step = uint16_t(step - ((3 * step) >> 3));
    } while (step > 5);
    a = angle_refine(a, 4, x0, y0, x1, y1);
    a = angle_refine(a, 2, x0, y0, x1, y1);
    a = angle_refine(a, 1, x0, y0, x1, y1);
    return a;
}
