#include "synth/dsp/ComplexFFT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

TEST(ComplexFFT, MatchesTheDefinitionAndInvertsExactly)
{
    for (int32_t n : {2, 8, 64, 512}) {
        SCOPED_TRACE(testing::Message() << "size " << n);
        std::mt19937 rng(static_cast<uint32_t>(n));
        std::uniform_real_distribution<double> dist(-1.0, 1.0);
        std::vector<double> x(2 * size_t(n));
        for (double& v : x)
            v = dist(rng);
        std::vector<double> X = x;
        const synthdsp::ComplexFFT fft(n);
        fft.forward(X.data());
        for (int32_t k = 0; k < n; ++k) {
            double re = 0.0;
            double im = 0.0;
            for (int32_t t = 0; t < n; ++t) {
                const double angle = -2.0 * std::acos(-1.0) * double((int64_t(k) * t) % n) / n;
                re += x[2 * size_t(t)] * std::cos(angle) - x[2 * size_t(t) + 1] * std::sin(angle);
                im += x[2 * size_t(t)] * std::sin(angle) + x[2 * size_t(t) + 1] * std::cos(angle);
            }
            ASSERT_NEAR(X[2 * size_t(k)], re, 1e-12 * n) << "bin " << k;
            ASSERT_NEAR(X[2 * size_t(k) + 1], im, 1e-12 * n) << "bin " << k;
        }
        fft.inverse(X.data());
        for (size_t i = 0; i < x.size(); ++i)
            ASSERT_NEAR(X[i], x[i], 1e-14 * n) << "value " << i;
    }
}

} // namespace
