#include "bench/workload.h"
#include "measurement/measurement.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tintora;

// One whole measurement with 60 bar moves (workload.h).
void BM_WholeMeasurement(benchmark::State& state)
{
    model::Form1 form;
    measurement::ClockSeededRandom random;
    measurement::Measurement handlers(form, random);
    measurement::connect(form, handlers);
    form.button("StartButton").Click();
    for (auto _ : state)
        bench::whole_measurement(form);
    benchmark::DoNotOptimize(form.label("Label20").Caption.get().data());
}
BENCHMARK(BM_WholeMeasurement);

// One bar move: the write of Value and the Change handler it runs.
void BM_BarMove(benchmark::State& state)
{
    model::Form1 form;
    measurement::ClockSeededRandom random;
    measurement::Measurement handlers(form, random);
    measurement::connect(form, handlers);
    auto& bar = form.bar("red");
    int value = 0;
    for (auto _ : state) {
        value = (value + 7) % 256;
        bar.Value = value;
    }
    benchmark::DoNotOptimize(form.shape("Shape2").BackColor.get());
}
BENCHMARK(BM_BarMove);

}
