#pragma once

#include "model/form1.h"

namespace tintora::bench {

// One whole measurement as a user makes it: the red, green and blue stages
// with 20 moves of the stage's bar each (the arrows and the track), the
// three confirmations, the score and re-measure, which opens the next red
// stage, the same work as ＳＴＡＲＴ. The form's handlers are connected and
// its red stage open. Both engine benchmarks time this and nothing else.
inline void whole_measurement(model::Form1& form)
{
    auto const move = [](model::HScrollBar& bar) {
        for (int i = 0; i < 20; ++i)
            bar.Value = (bar.Value + (i % 2 == 0 ? 10 : 1)) % 256;
    };
    move(form.bar("red"));
    form.button("Command1").Click();
    form.button("GreenBottun").Click();
    move(form.bar("green"));
    form.button("Command2").Click();
    form.button("BlueBottun").Click();
    move(form.bar("blue"));
    form.button("Command3").Click();
    form.button("Command6").Click();
    form.button("SaisokuteiButton").Click();
}

}
