#include "dsp/ModulationEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace quorbel {
namespace {

// Relative tolerance for values the engine's description gives to seven significant digits.
void expectSevenDigits(double actual, double expected, const char* what) {
    EXPECT_NEAR(actual, expected, 5e-7 * std::fabs(expected) + 1e-12) << what;
}

TEST(ModulationEngine, FirstWavyTickAtDefaults) {
    ModulationEngine e;
    e.tick(0.02);
    const QuorDSPParams& o = e.output();
    EXPECT_EQ(o.swish, 0.0010000000474974513f);
    EXPECT_EQ(static_cast<double>(o.swish), 0.0010000000474974513);
    EXPECT_EQ(o.bleed, 0.0f);
    EXPECT_EQ(o.drift, 0);
    EXPECT_EQ(o.residue, 5.0f);
    EXPECT_EQ(o.smudge, 0.5f);
    EXPECT_EQ(o.frequency, 500.0);
    EXPECT_EQ(o.Q, 3.9000000000000004);
    EXPECT_EQ(o.warble1, 0.0f);
    EXPECT_FALSE(std::signbit(o.warble1));
    EXPECT_EQ(o.warble2, 0.0f);
    EXPECT_TRUE(std::signbit(o.warble2)); // −0
    EXPECT_EQ(o.spread, 0.0f);
    EXPECT_EQ(o.mix, 0.5f);
    EXPECT_EQ(o.volume, 0.7f);
    EXPECT_FALSE(o.bypass);
    EXPECT_FALSE(o.squeeze);
    EXPECT_FALSE(o.purge);
    EXPECT_EQ(o.filterMode, 0);
    EXPECT_EQ(e.time(), 0.02);
}

TEST(ModulationEngine, FirstChoppyTickAtDefaults) {
    for (double dt : {0.02, 0.0929}) { // orbit 0: dt does not matter
        ModulationEngine e;
        e.input.broken = true;
        e.tick(dt);
        EXPECT_EQ(e.map1().K, 0.99);
        EXPECT_NEAR(e.map1()._p, 1.999999088, 5e-10);
        EXPECT_NEAR(e.map1()._theta, 4.999999088, 5e-10);
        expectSevenDigits(e.map2().alpha_theta, 0.7957746, "t1n");
        EXPECT_EQ(e.map2().alpha_p, 0.0);
        EXPECT_EQ(e.map2().map._p, 2.0);
        expectSevenDigits(e.map2().map._theta / kMapPeriod, 0.7307677, "t2n");

        const QuorDSPParams& o = e.output();
        expectSevenDigits(o.warble1, 0.07301174, "warble1");
        expectSevenDigits(o.warble2, -0.07301174, "warble2");
        expectSevenDigits(o.spread, 0.3183098, "spread");
        EXPECT_EQ(o.bleed, 0.0f);
        EXPECT_EQ(o.drift, 0);
        expectSevenDigits(o.residue, 6.408328, "residue");
        EXPECT_EQ(o.frequency, 500.0);
        expectSevenDigits(o.Q, 21.92303, "Q");
        expectSevenDigits(o.swish, 0.0009549297, "swish");
        EXPECT_EQ(o.smudge, 0.7f);
        EXPECT_TRUE(o.squeeze);
        EXPECT_FALSE(o.purge);
        EXPECT_EQ(e.phase(), 0.0);
    }
}

TEST(ModulationEngine, WrapAngle) {
    const struct {
        double x, wrapped;
    } cases[] = {{-0.5, 5.783185}, {-7.0, 5.566370}, {7.0, 0.716815}, {0.0, 0.0}, {3.0, 3.0}};
    for (const auto& c : cases) {
        EXPECT_NEAR(wrapAngle(c.x), c.wrapped, 5e-7) << c.x;
    }
    EXPECT_EQ(wrapAngle(0.0), 0.0);
    EXPECT_EQ(wrapAngle(-kMapPeriod), kMapPeriod); // negative inputs land in (0, Y]
}

TEST(ModulationEngine, ZeroOrbitKeepsThePhaseStill) {
    ModulationEngine e;
    e.input.vexity = 0.6;
    e.input.confusion = -0.3;
    e.tick(0.02);
    const QuorDSPParams first = e.output();
    for (int i = 0; i < 50; ++i) {
        e.tick(0.02);
        ASSERT_EQ(e.phase(), 0.0);
        ASSERT_EQ(e.output().warble1, first.warble1);
        ASSERT_EQ(e.output().warble2, first.warble2);
        ASSERT_EQ(e.output().swish, first.swish);
    }
    EXPECT_NEAR(e.time(), 51 * 0.02, 1e-12); // time still runs
    e.input.orbit = 0.5;
    e.tick(0.02);
    EXPECT_EQ(e.phase(), ((0.5 * 1.6) * 3.141592653589793) * 0.02);
}

TEST(ModulationEngine, ChoppyHighPassSilencesSwishAndCentresSmudge) {
    ModulationEngine e;
    e.input.broken = true;
    e.input.filterMode = 2;
    e.input.orbit = 0.8;
    e.input.vexity = -0.4;
    e.input.confusion = 0.9;
    for (int i = 0; i < 200; ++i) {
        e.tick(0.02);
        ASSERT_EQ(e.output().swish, 0.0f);
        ASSERT_EQ(e.output().smudge, 0.5f);
        ASSERT_EQ(e.output().filterMode, 2);
    }
}

TEST(ModulationEngine, ValuesStayInTheirRangesForParametersInTheirs) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int run = 0; run < 20; ++run) {
        ModulationEngine e;
        e.input.orbit = unit(rng);
        e.input.vexity = unit(rng);
        e.input.confusion = unit(rng);
        e.input.feed = static_cast<float>(10.5 + 9.5 * unit(rng));
        e.input.tone = static_cast<float>(600.0 + 400.0 * unit(rng));
        const bool choppy = run % 2 == 1;
        e.input.broken = choppy;
        const double feed = e.input.feed;
        const double tone = e.input.tone;
        for (int i = 0; i < 500; ++i) {
            e.tick(0.02 + 0.01 * (i % 3));
            const QuorDSPParams& o = e.output();
            ASSERT_LE(std::fabs(o.warble1), 1.0f);
            ASSERT_LE(std::fabs(o.warble2), 1.0f);
            if (choppy) {
                ASSERT_TRUE(o.spread >= -1.0f && o.spread <= 2.0f);
                ASSERT_TRUE(o.bleed >= 0.0f && o.bleed <= 1.0f);
                ASSERT_TRUE(o.drift >= -5 && o.drift <= 5);
                ASSERT_TRUE(o.residue >= 0.1 * feed - 1e-4 && o.residue <= 1.9 * feed + 1e-4);
                ASSERT_TRUE(o.smudge >= 0.4f - 1e-6f && o.smudge <= 1.0f + 1e-6f);
                ASSERT_LE(std::fabs(o.frequency - tone), 200.0);
                ASSERT_TRUE(o.Q >= 0.0 && o.Q <= 30.0);
                ASSERT_TRUE(o.swish >= -0.003f && o.swish <= 0.006f);
            } else {
                ASSERT_LE(std::fabs(o.spread), 1.0f);
                ASSERT_TRUE(o.bleed >= 0.0f && o.bleed <= 0.1f);
                ASSERT_TRUE(o.drift >= -1 && o.drift <= 1);
                ASSERT_TRUE(o.residue >= 0.2 * feed - 1e-4 && o.residue <= 1.8 * feed + 1e-4);
                ASSERT_TRUE(o.smudge >= 0.2f - 1e-6f && o.smudge <= 0.8f + 1e-6f);
                ASSERT_LE(std::fabs(o.frequency - tone), 100.0);
                ASSERT_TRUE(o.Q >= 0.9 && o.Q <= 6.9);
                ASSERT_TRUE(o.swish >= 0.0005f && o.swish <= 0.0015f);
            }
        }
    }
}

TEST(ModulationEngine, DriftConversionIsDefinedForAnyValue) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double confusion, vexity;
        std::int64_t wavyDrift;
    } cases[] = {
        {0.5, 1.0, 1},   // halves round away from zero
        {-0.5, 1.0, -1}, //
        {0.49, 1.0, 0},
        {1e300, 1e300, std::numeric_limits<std::int64_t>::max()},
        {-1e300, 1e300, std::numeric_limits<std::int64_t>::min()},
        {nan, 1.0, 0},
        {inf, 0.0, 0}, // inf × 0 is NaN
    };
    for (const auto& c : cases) {
        ModulationEngine wavy;
        wavy.input.confusion = c.confusion;
        wavy.input.vexity = c.vexity;
        wavy.tick(0.02);
        EXPECT_EQ(wavy.output().drift, c.wavyDrift) << c.confusion << " × " << c.vexity;
    }
    ModulationEngine choppy; // floor((NaN × 5) × t1n)
    choppy.input.broken = true;
    choppy.input.confusion = nan;
    choppy.tick(0.02);
    EXPECT_EQ(choppy.output().drift, 0);
}

TEST(ModulationEngine, ResetRestartsTheClockAndTheMapsButKeepsInputAndOutput) {
    ModulationEngine e;
    e.input.broken = true;
    e.input.orbit = 0.7;
    e.input.confusion = 0.3;
    for (int i = 0; i < 100; ++i) {
        e.tick(0.02);
    }
    const QuorDSPParams before = e.output();
    e.reset();
    ModulationEngine fresh;
    EXPECT_EQ(e.time(), 0.0);
    EXPECT_EQ(e.phase(), 0.0);
    for (const ModulationEngine* engine : {&e, &fresh}) {
        const StandardMapState& m1 = engine->map1();
        const FilteredMapState& m2 = engine->map2();
        EXPECT_TRUE(m1.K == 0.99 && m1._p == 2.0 && m1._theta == 3.0);
        EXPECT_TRUE(m2.map.K == 1.1 && m2.map._p == 2.0 && m2.map._theta == 3.0);
        EXPECT_TRUE(m2.alpha_p == 0.95 && m2.alpha_theta == 0.92);
    }
    EXPECT_EQ(e.output().Q, before.Q);
    EXPECT_EQ(static_cast<double>(e.input.orbit), 0.7);

    fresh.input.broken = true;
    fresh.input.orbit = 0.7;
    fresh.input.confusion = 0.3;
    for (int i = 0; i < 20; ++i) {
        e.tick(0.02);
        fresh.tick(0.02);
    }
    EXPECT_EQ(e.output().frequency, fresh.output().frequency);
    EXPECT_EQ(e.output().Q, fresh.output().Q);
    EXPECT_EQ(e.output().warble1, fresh.output().warble1);
    EXPECT_EQ(e.output().residue, fresh.output().residue);
    EXPECT_EQ(e.map2().map._theta, fresh.map2().map._theta);
}

// The engine's formulas written out once more with their literal constants, in their grouping, for ticks
// with every parameter away from zero, so that each term, sign, constant and rounding is exercised. The
// model is kept apart from the engine: its maps start from (0.99, 2, 3) and ((1.1, 2, 3), 0.95, 0.92).
struct FormulaModel {
    static constexpr double pi = 3.141592653589793;
    static constexpr double Y = 6.283185;
    double time = 0.0, phase = 0.0;
    double k1 = 0.99, p1 = 2.0, th1 = 3.0;
    double k2 = 1.1, p2 = 2.0, th2 = 3.0;

    static double wrap(double x) { return x < 0.0 ? Y + std::fmod(x, Y) : std::fmod(x, Y); }
    static void step(double k, double& p, double& th) {
        p = wrap(p + k * std::sin(Y * th));
        th = wrap(th + p);
    }

    QuorDSPParams tick(const ModulationInput& in, double dt) {
        QuorDSPParams o;
        const double orbit = in.orbit, v = in.vexity, c = in.confusion, tone = in.tone;
        const float feed = in.feed;
        time = time + dt;
        const double t = time;
        phase = phase + ((orbit * 1.6) * pi) * dt;
        const double phi = phase;
        if (!in.broken) {
            o.warble1 = static_cast<float>(std::sin(phi));
            o.warble2 = -static_cast<float>(std::sin(phi + c * (orbit * phi)));
            o.spread = static_cast<float>(v);
            o.swish = static_cast<float>((std::sin(phi / 5.026548245743669) + 2.0) * 0.0005);
            const float b = static_cast<float>(std::sin((v * 5.026548245743669) * t) *
                                               std::sin(t * 0.3141592653589793 + 0.7));
            o.bleed = std::fabs(b) * 0.1f;
            o.drift = static_cast<std::int64_t>(std::round(c * v));
            const float s = static_cast<float>(std::sin(c * (t * 1.6)) * 0.8);
            o.residue = feed + feed * s;
            o.smudge = static_cast<float>((std::sin(phi / pi) * 0.3) * std::sin(c + t * 0.7) + 0.5);
            o.frequency =
                std::sin(((c * t) * pi) * (-1.5) + (-0.7)) *
                    ((std::sin(phi) * 100.0) * std::sin((((v * t) * 0.1) * pi) * 1.7000000000000002 + 0.7)) +
                tone;
            o.Q = (v + 1.3) * 3.0;
            return o;
        }
        step(k1, p1, th1);
        const double t1n = th1 / Y;
        const double alphaP = std::fabs(c), alphaTheta = t1n;
        const double pn = p2 / Y, tn = th2 / Y;
        double p = p2, th = th2;
        step(k2, p, th);
        p2 = wrap((alphaP * (p / Y) + pn * (1.0 - alphaP)) * Y);
        th2 = wrap((alphaTheta * (th / Y) + tn * (1.0 - alphaTheta)) * Y);
        const double p1n = p1 / Y, p2n = p2 / Y, t2n = th2 / Y;
        const double x = phi + t2n * 0.1;
        o.warble1 = static_cast<float>(std::sin(x));
        const double pv = phi * v;
        o.warble2 = -static_cast<float>(std::sin(x + c * (pv * 0.3)));
        o.spread = static_cast<float>(v + p1n);
        o.bleed = static_cast<float>(std::fabs(std::sin(phi * 0.1 + t2n) * std::sin(pv)) * p2n);
        o.drift = static_cast<std::int64_t>(std::floor((c * 5.0) * t1n));
        const double cp = c * phi;
        const float s = static_cast<float>(std::sin(cp + p2n) * 0.9);
        o.residue = feed + feed * s;
        o.frequency =
            ((std::sin(orbit * phi) * 100.0) * (std::sin(cp + (-2.7)) * std::sin(pv + 2.7))) * (p1n + p2n) +
            tone;
        o.Q = (t2n * 30.0) * std::fabs(std::cos(pv));
        o.swish = static_cast<float>((std::sin(phi) + p2n) * 0.003);
        o.smudge = static_cast<float>((std::sin(phi * 0.5) * 0.3) * std::sin((c + phi * 2.7) + p2n) + 0.7);
        return o;
    }
};

TEST(ModulationEngine, TicksFollowTheFormulasForEveryParameter) {
    // Both modes from a fresh engine, then the mode switched back and forth: the maps advance only in
    // choppy ticks and continue where they stopped; phase and time are shared.
    for (const double confusion : {0.63, -0.87}) {
        SCOPED_TRACE(testing::Message() << "doubt " << confusion);
        ModulationEngine e;
        FormulaModel model;
        e.input.orbit = 0.37;
        e.input.vexity = 0.81;
        e.input.confusion = confusion;
        e.input.feed = 7.5f;
        e.input.tone = 640.0f;
        ModulationInput in = e.input;
        int drifts = 0;
        for (int i = 0; i < 400; ++i) {
            in.broken = e.input.broken = (i / 50) % 2 == 1;
            const double dt = i % 3 == 0 ? 1024.0 / 44100.0 : 0.02;
            e.tick(dt);
            const QuorDSPParams want = model.tick(in, dt);
            const QuorDSPParams& o = e.output();
            SCOPED_TRACE(testing::Message() << "tick " << i << (in.broken ? " choppy" : " wavy"));
            ASSERT_EQ(e.time(), model.time);
            ASSERT_EQ(e.phase(), model.phase);
            ASSERT_EQ(o.warble1, want.warble1);
            ASSERT_EQ(o.warble2, want.warble2);
            ASSERT_EQ(o.spread, want.spread);
            ASSERT_EQ(o.swish, want.swish);
            ASSERT_EQ(o.bleed, want.bleed);
            ASSERT_EQ(o.drift, want.drift);
            ASSERT_EQ(o.residue, want.residue);
            ASSERT_EQ(o.smudge, want.smudge);
            ASSERT_EQ(o.frequency, want.frequency);
            ASSERT_EQ(o.Q, want.Q);
            ASSERT_EQ(e.map1()._p, model.p1);
            ASSERT_EQ(e.map2().map._theta, model.th2);
            drifts += o.drift != 0;
        }
        EXPECT_GT(drifts, 100);
    }
}

// The standard maps are chaotic: one ulp of difference anywhere grows into another control sequence. A
// long run hashed bit for bit must give the same value in every build type (Release, sanitizers, any
// optimisation level), which pins the arithmetic: grouping, 32-bit roundings, no fused multiply-adds.
class Fnv1a {
public:
    template <typename T> void add(T value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char b : bytes) {
            hash_ = (hash_ ^ b) * 0x100000001b3ULL;
        }
    }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

std::uint64_t runHash(bool choppy, int ticks) {
    ModulationEngine e;
    e.input.broken = choppy;
    e.input.orbit = 0.37;
    e.input.vexity = 0.61;
    e.input.confusion = -0.43;
    e.input.feed = 7.5f;
    e.input.tone = 640.0f;
    Fnv1a h;
    for (int i = 0; i < ticks; ++i) {
        e.tick(i % 2 == 0 ? 1024.0 / 44100.0 : 0.02); // dt as the DSP kernel delivers it
        const QuorDSPParams& o = e.output();
        h.add(o.swish);
        h.add(o.bleed);
        h.add(o.residue);
        h.add(o.smudge);
        h.add(o.drift);
        h.add(o.frequency);
        h.add(o.Q);
        h.add(o.warble1);
        h.add(o.warble2);
        h.add(o.spread);
        h.add(e.map1()._p);
        h.add(e.map1()._theta);
        h.add(e.map2().map._p);
        h.add(e.map2().map._theta);
    }
    h.add(e.phase());
    h.add(e.time());
    return h.value();
}

TEST(ModulationEngine, LongRunsAreReproducibleToTheLastBit) {
    constexpr std::uint64_t kChoppy10000 = 0x1945fe814a3c9739ULL;
    constexpr std::uint64_t kWavy10000 = 0x1efe4722bdf19524ULL;
    EXPECT_EQ(runHash(true, 10000), kChoppy10000) << std::hex << runHash(true, 10000);
    EXPECT_EQ(runHash(false, 10000), kWavy10000) << std::hex << runHash(false, 10000);
}

} // namespace
} // namespace quorbel
