#include "measurement/measurement.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tintora;

// 20 moves of the stage's bar, as a user clicking arrows and the track.
void move_bar(model::HScrollBar& bar)
{
    for (int i = 0; i < 20; ++i)
        bar.Value = (bar.Value + (i % 2 == 0 ? 10 : 1)) % 256;
}

// One whole measurement: red, green and blue stages with 20 moves each, the
// three confirmations, the score and re-measure (which opens the next red
// stage, the same work as ＳＴＡＲＴ).
void BM_WholeMeasurement(benchmark::State& state)
{
    model::Form1 form;
    measurement::ClockSeededRandom random;
    measurement::Measurement handlers(form, random);
    measurement::connect(form, handlers);
    form.button("StartButton").Click();
    for (auto _ : state) {
        move_bar(form.bar("red"));
        form.button("Command1").Click();
        form.button("GreenBottun").Click();
        move_bar(form.bar("green"));
        form.button("Command2").Click();
        form.button("BlueBottun").Click();
        move_bar(form.bar("blue"));
        form.button("Command3").Click();
        form.button("Command6").Click();
        form.button("SaisokuteiButton").Click();
    }
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
