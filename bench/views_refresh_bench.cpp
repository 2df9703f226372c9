// Cost on the main thread of one refresh of the register, counter and stack
// views on a PIC16F59 bound from corvel.so, for the design window (fifteen
// rows per list) and a tall one; once with an unchanged machine state and
// once with every visible register changed (every text, cell and marker
// rewritten), each alone and together with the repaint it causes.
//
//   views_refresh_bench [path/to/corvel.so] [refreshes]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>

#include "ide/main/delta_break_point.h"
#include "ide/main/main_form.h"
#include "ide/main/register_views.h"
#include "ide/main/simulator_binding.h"
#include "ide/workbench/shared_library.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t Pic16F59 = 15;

struct Figures {
    double median;
    double mean;
    double worst;
};

Figures Summary(std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    double sum = 0;
    for (double value : micros)
        sum += value;
    return {micros[micros.size() / 2], sum / double(micros.size()), micros.back()};
}

// Every register the rows show gets a new value and the change flags a
// write leaves, as if the program had written each of them.
void ChangeEveryVisibleRegister(const TRegisterViews& views, int round)
{
    const TDllMCEntries& engine = DllMCEntries;
    for (const auto* rows : {&views.SfrRows, &views.GprRows})
        for (const TPSfr& row : *rows) {
            const std::int32_t address = row.imgBP->ByteAddres();
            for (int bit = 0; bit < 8; ++bit) {
                engine.Set_RAM(address, bit, std::uint8_t(((round + bit) & 1) != 0));
                engine.Set_MatrixRAM_deltabit(address, std::uint8_t(bit), 1);
            }
            engine.Set_MatrixRAM_delta(address, 1);
            engine.Set_MatrixRAM_greenDelta(address, 0);
        }
}

void Measure(TRegisterViews& views, int panelHeight, int refreshes)
{
    views.resize(TRegisterViews::ColumnWidth, TRegisterViews::TopPanelHeight + panelHeight);
    views.FormResize();
    QApplication::processEvents();
    std::printf("rows: %d SFR + %d GPR (register panels %d px high)\n", views.SfrRowCount, views.GprRowCount,
                panelHeight);

    for (bool changing : {false, true}) {
        std::vector<double> refreshOnly, withPaint;
        for (int round = 0; round < refreshes; ++round) {
            if (changing)
                ChangeEveryVisibleRegister(views, round);
            const Clock::time_point start = Clock::now();
            views.ShowAllRegAndCounters();
            const Clock::time_point refreshed = Clock::now();
            QApplication::processEvents();
            const Clock::time_point painted = Clock::now();
            refreshOnly.push_back(std::chrono::duration<double, std::micro>(refreshed - start).count());
            withPaint.push_back(std::chrono::duration<double, std::micro>(painted - start).count());
        }
        const Figures refresh = Summary(refreshOnly);
        const Figures paint = Summary(withPaint);
        std::printf("  %-26s refresh median %7.1f us mean %7.1f us worst %7.1f us | with repaint median %7.1f us "
                    "mean %7.1f us\n",
                    changing ? "every register changed:" : "state unchanged:", refresh.median, refresh.mean,
                    refresh.worst, paint.median, paint.mean);
    }
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const QString library = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/bin/corvel.so");
    const int refreshes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;

    QString error;
    void* handle = LoadSharedLibrary(library, &error);
    if (!handle) {
        std::fprintf(stderr, "cannot load %s: %s\n", qPrintable(library), qPrintable(error));
        return 1;
    }
    QStringList missing;
    DllMCEntries = BindDllMCEntries(handle, &missing);
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "%s lacks %s\n", qPrintable(library), qPrintable(missing.join(", ")));
        return 1;
    }
    MCULibLoaded = true;
    DllMCEntries.SelectMC(Pic16F59);
    WindowAlive = true;
    RefreshDone = true;

    {
        TRegisterViews views;
        views.setAttribute(Qt::WA_DontShowOnScreen);
        views.show();
        std::printf("PIC16F59, %d refreshes each\n", refreshes);
        Measure(views, 17 * 21 + 10, refreshes);
        Measure(views, 40 * 21, refreshes);
    }

    WindowAlive = false;
    MCULibLoaded = false;
    DllMCEntries = TDllMCEntries();
    UnloadSharedLibrary(handle);
    return 0;
}
