// Whole measurements in the engine, timed by the program itself: built
// natively and by Emscripten alike (Google Benchmark has no WebAssembly
// build), so that the engine as WebAssembly can be set against the native
// one. Prints "engine-measurement-ns MEDIAN" over its rounds.
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
    measurement::Measurement run(form, random);
    run.StartButton_Click();
    auto const whole = [&run] {
        run.Command1_Click();
        run.GreenBottun_Click();
        run.Command2_Click();
        run.BlueBottun_Click();
        run.Command3_Click();
        run.Command6_Click();
        run.SaisokuteiButton_Click();
    };
    constexpr int per_round = 2000;
    std::array<double, 15> rounds {};
    for (auto& round : rounds) {
        auto const start = std::chrono::steady_clock::now();
        for (int i = 0; i < per_round; ++i)
            whole();
        std::chrono::duration<double, std::nano> const took = std::chrono::steady_clock::now() - start;
        round = took.count() / per_round;
    }
    std::nth_element(rounds.begin(), rounds.begin() + rounds.size() / 2, rounds.end());
    std::printf("engine-measurement-ns %.0f\n", rounds[rounds.size() / 2]);
    return 0;
}
