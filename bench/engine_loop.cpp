// Whole measurements in the engine, timed by the program itself: built
// natively and by Emscripten alike (Google Benchmark has no WebAssembly
// build), so that the engine as WebAssembly can be set against the native
// one, on the workload the engine benchmark times (workload.h). Prints
// "engine-measurement-ns MEDIAN" over its rounds.
#include "bench/workload.h"
#include "measurement/measurement.h"
#include "measurement/random.h"
#include "model/form1.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>

int main()
{
    using namespace tintora;
    model::Form1 form;
    measurement::ClockSeededRandom random;
    measurement::Measurement handlers(form, random);
    measurement::connect(form, handlers);
    form.button("StartButton").Click();
    constexpr int per_round = 2000;
    std::array<double, 15> rounds {};
    for (auto& round : rounds) {
        auto const start = std::chrono::steady_clock::now();
        for (int i = 0; i < per_round; ++i)
            bench::whole_measurement(form);
        std::chrono::duration<double, std::nano> const took = std::chrono::steady_clock::now() - start;
        round = took.count() / per_round;
    }
    std::nth_element(rounds.begin(), rounds.begin() + rounds.size() / 2, rounds.end());
    std::printf("engine-measurement-ns %.0f\n", rounds[rounds.size() / 2]);
    return 0;
}
