// Table and polynomial scalar math against glibc's float functions.
#include "base/ScalarMath.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kCount = 4096;

std::vector<float> MakeInputs(float low, float high)
{
    std::mt19937 random(1);
    std::uniform_real_distribution<float> range(low, high);
    std::vector<float> inputs(kCount);
    for (float &x : inputs)
        x = range(random);
    return inputs;
}

template <float (*Function)(float)>
void RunOver(benchmark::State &state, float low, float high)
{
    std::vector<float> inputs = MakeInputs(low, high);
    for (auto _ : state)
    {
        float sum = 0.0f;
        for (float x : inputs)
            sum += Function(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

float LibmSin(float x) { return std::sin(x); }
float LibmCos(float x) { return std::cos(x); }
float LibmExp(float x) { return std::exp(x); }
float LibmLog(float x) { return std::log(x); }
float LibmInverseSqrt(float x) { return 1.0f / std::sqrt(x); }

void BM_Sin(benchmark::State &state) { RunOver<oq::Sin>(state, -10.0f, 10.0f); }
void BM_LibmSin(benchmark::State &state) { RunOver<LibmSin>(state, -10.0f, 10.0f); }
void BM_Cos(benchmark::State &state) { RunOver<oq::Cos>(state, -10.0f, 10.0f); }
void BM_LibmCos(benchmark::State &state) { RunOver<LibmCos>(state, -10.0f, 10.0f); }
void BM_Exp(benchmark::State &state) { RunOver<oq::Exp>(state, -80.0f, 80.0f); }
void BM_LibmExp(benchmark::State &state) { RunOver<LibmExp>(state, -80.0f, 80.0f); }
void BM_Log(benchmark::State &state) { RunOver<oq::Log>(state, 1.0e-6f, 1.0e6f); }
void BM_LibmLog(benchmark::State &state) { RunOver<LibmLog>(state, 1.0e-6f, 1.0e6f); }
void BM_InverseSqrt(benchmark::State &state) { RunOver<oq::InverseSqrt>(state, 1.0e-6f, 1.0e6f); }
void BM_LibmInverseSqrt(benchmark::State &state) { RunOver<LibmInverseSqrt>(state, 1.0e-6f, 1.0e6f); }

BENCHMARK(BM_Sin);
BENCHMARK(BM_LibmSin);
BENCHMARK(BM_Cos);
BENCHMARK(BM_LibmCos);
BENCHMARK(BM_Exp);
BENCHMARK(BM_LibmExp);
BENCHMARK(BM_Log);
BENCHMARK(BM_LibmLog);
BENCHMARK(BM_InverseSqrt);
BENCHMARK(BM_LibmInverseSqrt);

}  // namespace
