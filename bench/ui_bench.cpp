#include "measurement/random.h"
#include "ui/application.h"
#include "ui/form_window.h"
#include "ui/widgets.h"

#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

using namespace tintora;

class Window {
public:
    Window()
    {
        m_window.show();
        if (!QTest::qWaitForWindowExposed(&m_window))
            qFatal("the window was never shown");
        click("StartButton");
    }
    void click(char const* name) { QTest::mouseClick(m_window.widget_of(name), Qt::LeftButton); }
    QWidget* widget(char const* name) { return m_window.widget_of(name); }

    int paints = 0;

private:
    ui::FormWindow m_window { std::make_unique<measurement::ClockSeededRandom>([] { return 1U; }) };
};

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// One step of the red bar, as an end-arrow click delivers it, through the
// Change handler and the binding until the window has repainted.
void BM_WidgetBarMove(benchmark::State& state)
{
    Window window;
    auto* bar = dynamic_cast<ui::BarWidget*>(window.widget("red"));
    PaintCounter counter;
    window.widget("labelred")->installEventFilter(&counter);
    bool up = true;
    for (auto _ : state) {
        bar->triggerAction(up ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
        up = !up;
    }
    state.counters["value label paints per move"]
        = benchmark::Counter(static_cast<double>(counter.paints) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_WidgetBarMove);

// One mouse click on the red confirm button, handler and repaint included.
// Between clicks, untimed, the rest of the measurement brings the red stage back.
void BM_WidgetConfirmClick(benchmark::State& state)
{
    Window window;
    for (auto _ : state) {
        window.click("Command1");
        state.PauseTiming();
        for (char const* name :
            { "GreenBottun", "Command2", "BlueBottun", "Command3", "Command6", "SaisokuteiButton" })
            window.click(name);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WidgetConfirmClick);

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tintora::ui::Application application(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
