#include "gui/graphics/AM_RoundRectPath.h"

#include <cmath>

int AM_buildRoundRectPath(float* points, float x, float y, float w, float h, float radius)
{
    int n = kRoundRectMinCornerPoints;
    if (radius >= float(kRoundRectMaxCornerPoints))
        n = kRoundRectMaxCornerPoints;
    else if (radius > float(kRoundRectMinCornerPoints))
        n = int(radius);
    const float r = radius;
    const float step = float(M_PI / 2) / float(n - 1);
    float* topLeft = points;
    float* topRight = points + 2 * n;
    float* bottomRight = points + 4 * n;
    float* bottomLeft = points + 6 * n;
    for (int i = 0; i < n; ++i) {
        const float theta = float(i) * step;
        const float c = std::cos(theta) * r;
        const float s = std::sin(theta) * r;
        topLeft[2 * i] = x + r - c;
        topLeft[2 * i + 1] = y + r - s;
        topRight[2 * i] = x + w - r + s;
        topRight[2 * i + 1] = y + r - c;
        bottomRight[2 * i] = x + w - r + c;
        bottomRight[2 * i + 1] = y + h - r + s;
        bottomLeft[2 * i] = x + r - s;
        bottomLeft[2 * i + 1] = y + h - r + c;
    }
    return 4 * n;
}
