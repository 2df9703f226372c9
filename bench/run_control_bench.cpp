// What the program around the engine costs it: the same loop run at the
// Ultimate rate by corvel alone (bound directly, no chip device, no nodes) and
// by the real main window (a New project: the chip device with a node on
// every pin, the refresh loop, the register views and the workbench redraw);
// then the process's processor time while the main window runs the loop at
// Real Time and at X2.
//
//   run_control_bench [path/to/corvel.so] [seconds per measurement]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include "ide/asm/assembler.h"
#include "ide/asm/source_edit.h"
#include "ide/asm/source_window.h"
#include "ide/main/main_form.h"
#include "ide/main/model_select_dialog.h"
#include "ide/main/simulator_binding.h"
#include "ide/main/user_message.h"
#include "ide/workbench/device_host.h"
#include "ide/workbench/shared_library.h"

namespace {

const char* const Program = "START: MOVLW 5\n"
                            "LOOP:  ADDWF 10H,F\n"
                            "       BSF 10H,1\n"
                            "       RLF 12H,F\n"
                            "       DECFSZ 11H,F\n"
                            "       GOTO LOOP\n"
                            "       GOTO START\n";

class TextLines : public TSourceLines {
public:
    explicit TextLines(const QString& text) : lines_(text.split(QLatin1Char('\n'))) {}
    int LineCount() const override { return int(lines_.size()); }
    QString LineText(int line) const override { return lines_[line]; }
    bool LineBreakpoint(int) const override { return false; }
    void MarkError(int, int, int) override {}

private:
    QStringList lines_;
};

double ProcessSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void RunEventsFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

void SetRate(std::int32_t code)
{
    const TSimulationRate& rate = SimulationRateOf(code);
    DllMCEntries.Set_RT_parametrs(rate.realTime, rate.stepByStep, rate.delay, rate.delayMs, rate.factor);
}

// Instructions per second of corvel alone at the Ultimate rate.
double EngineAlone(const QString& corvel, double seconds)
{
    void* handle = LoadSharedLibrary(corvel);
    QStringList missing;
    DllMCEntries = BindDllMCEntries(handle, &missing);
    MCULibLoaded = true;
    DllMCEntries.SelectMC(6); // PIC12F508
    TextLines source(QString::fromLatin1(Program));
    std::int32_t words = 0;
    if (!CompileAll(source, words))
        std::fprintf(stderr, "the loop does not assemble\n");
    SetRate(UltimateRate);
    DllMCEntries.Calculate_CuclPerCycMK(nullptr);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double rate = double(DllMCEntries.Get_IC()) / seconds;
    DllMCEntries.Stop_and_wait();
    MCULibLoaded = false;
    DllMCEntries = TDllMCEntries();
    UnloadSharedLibrary(handle);
    return rate;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString corvel = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/bin/corvel.so");
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;

    const double alone = EngineAlone(corvel, seconds);

    TDeviceHost host;
    host.SearchDeviceFiles([](const QString&) {}, QFileInfo(corvel).absolutePath());
    TMainForm form(host);
    form.resize(1200, 800);
    form.show();
    SetMessageSink([](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    SetDialogSink([](QDialog& dialog) {
        auto* choice = dynamic_cast<Tfrmopn*>(&dialog);
        if (!choice)
            return int(QDialog::Rejected);
        choice->cbHexSelectMC->setCurrentIndex(choice->cbHexSelectMC->findText(QStringLiteral("PIC12F508")));
        choice->cbHexSelectMCChange();
        choice->Button1Click();
        return choice->result();
    });
    form.FileNew1->trigger();
    if (!form.AsmWindowOpen) {
        std::fprintf(stderr, "no project\n");
        return 1;
    }
    form.AsmChild->RVE->setPlainText(QString::fromLatin1(Program));

    form.SetSimulationRate(UltimateRate);
    form.ActionRun->trigger();
    RunEventsFor(seconds);
    const double withWindow = double(DllMCEntries.Get_IC()) / seconds;
    form.ActionStop->trigger();
    RunEventsFor(0.2);

    std::printf("Ultimate, corvel alone:         %.1f M instructions/s\n", alone / 1e6);
    std::printf("Ultimate, in the main window:   %.1f M instructions/s (%.1f %% of alone)\n", withWindow / 1e6,
                100.0 * withWindow / alone);

    for (const std::int32_t code : {RealTimeRate, std::int32_t(200)}) {
        form.SetSimulationRate(code);
        form.ActionRun->trigger();
        const double before = ProcessSeconds();
        QElapsedTimer clock;
        clock.start();
        RunEventsFor(seconds);
        const double wall = double(clock.nsecsElapsed()) / 1e9;
        const double used = ProcessSeconds() - before;
        const double simulated = double(DllMCEntries.Get_MC()) / (DllMCEntries.Get_rtCrystalFreq() / 4.0);
        form.ActionStop->trigger();
        RunEventsFor(0.2);
        std::printf("%s: process CPU %.1f %% of one core, simulated %.4f s in %.4f s of wall time\n",
                    code == RealTimeRate ? "Real Time" : "X2       ", 100.0 * used / wall, simulated, wall);
    }
    form.exchange = false;
    return 0;
}
