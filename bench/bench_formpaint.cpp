// How long the window takes to draw the chart and to answer a keystroke in
// the "MaxScore:" box, at the designed size and on a 4K screen.
#include "formchart.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void openWindow(int width, int height, const char *maxScore)
{
    vcl::Application->Initialize();
    vcl::Application->CreateForm(FormMain);
    FormMain->SetClientSize(width, height);
    FormMain->MemoMaxScore->SetText(QString::fromLatin1(maxScore));  // the reference curve
    vcl::Application->ProcessMessages();
}

void closeWindow()
{
    delete FormMain;
    FormMain = nullptr;
}

// A million points puts a grid line on every other row of a 4K chart.
void BM_FormPaint(benchmark::State &state)
{
    openWindow(int(state.range(0)), int(state.range(1)), "1000000");
    for (auto _ : state)
        FormMain->FormPaint(FormMain);
    closeWindow();
}
BENCHMARK(BM_FormPaint)->Args({540, 540})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

// One keystroke: read the box, rebuild the reference curve, draw at once.
void BM_MemoMaxScoreChange(benchmark::State &state)
{
    openWindow(int(state.range(0)), int(state.range(1)), "1000000");
    for (auto _ : state)
        FormMain->MemoMaxScoreChange(FormMain->MemoMaxScore);
    closeWindow();
}
BENCHMARK(BM_MemoMaxScoreChange)->Args({540, 540})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
