// Start-up with a large Number List and frequently dialled list, and typing
// into a long message, on a real main window (offscreen).
//
//   composition_recipients_bench                  timings
//   composition_recipients_bench --peak=lists     one start-up with 10,000 + 5,000 entries
//   composition_recipients_bench --peak=empty     the same with empty lists (baseline)
// Run the --peak forms under /usr/bin/time -v for the peak resident memory.
#include "client/composition/ui/ComposeController.h"
#include "client/recipients/FrequentNumbers.h"
#include "client/recipients/NumberListFile.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/recipients/ui/RecipientsPanel.h"
#include "client/settings/ClientSettings.h"
#include "client/shell/ui/MainForm.h"
#include "common/Installation.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// A whole installation in a temporary folder, with the shipped data files.
struct BenchInstallation {
    QTemporaryDir dir;
    BenchInstallation(int numberList, int frequent) {
        const QString src = QStringLiteral(QUORVEL_SOURCE_DIR) + "/data/install/Config/";
        QDir().mkpath(dir.path() + "/Config");
        for (const char* f : {"ISDCodes.dat", "QuickMsg.Dat", "Sign.cfg"})
            QFile::copy(src + f, dir.path() + "/Config/" + f);
        write("Config/BudList.dat", numberList, "Contact Person ");
        write("Config/SpeedNos.dat", frequent, "Frequent Friend ");
        qputenv("QUORVEL_REGISTRY", QFile::encodeName(dir.path() + "/registry.ini"));
    }
    void write(const QString& rel, int n, const QByteArray& name) const {
        QByteArray bytes;
        for (int i = 0; i < n; ++i)
            bytes += name + QByteArray::number(i) + "  +4477009" + QByteArray::number(10000 + i) +
                     "\r\n";
        QFile f(dir.path() + '/' + rel);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    QString appPath() const { return dir.path() + '/'; }
};

struct LoadedForm {
    ClientSettings settings = ClientSettings::loadWithDefaults();
    Installation installation;
    std::unique_ptr<MainForm> form;
    explicit LoadedForm(const BenchInstallation& inst)
        : installation(inst.dir.path(), inst.dir.path()) {
        form = std::make_unique<MainForm>(settings, installation);
        form->showOptionsWindow = [] { return true; };
        form->load();
    }
    template <typename W> W* control(const char* name) const {
        return form->findChild<W*>(QString::fromLatin1(name));
    }
};

void BM_StartUpWithLargeLists(benchmark::State& state) {
    BenchInstallation inst(10000, 5000);
    for (auto _ : state) {
        LoadedForm f(inst);
        benchmark::DoNotOptimize(f.control<QListWidget>("List4")->count());
    }
}
BENCHMARK(BM_StartUpWithLargeLists)->Unit(benchmark::kMillisecond);

void BM_StartUpWithEmptyLists(benchmark::State& state) {
    BenchInstallation inst(0, 0);
    for (auto _ : state) {
        LoadedForm f(inst);
        benchmark::DoNotOptimize(f.control<QListWidget>("List4")->count());
    }
}
BENCHMARK(BM_StartUpWithEmptyLists)->Unit(benchmark::kMillisecond);

void BM_LoadNumberList(benchmark::State& state) {
    BenchInstallation inst(int(state.range(0)), 0);
    LoadedForm f(inst);
    for (auto _ : state)
        f.form->recipientsPanel().controller().LoadNumberList();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadNumberList)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadFrequentNumbers(benchmark::State& state) {
    BenchInstallation inst(0, int(state.range(0)));
    LoadedForm f(inst);
    for (auto _ : state)
        f.form->recipientsPanel().controller().LoadFrequentNumbers();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadFrequentNumbers)->Arg(5000)->Unit(benchmark::kMillisecond);

// The file parts alone, without the widgets.
void BM_ReadListFiles(benchmark::State& state) {
    BenchInstallation inst(10000, 5000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberListFile::load(inst.appPath()).size());
        benchmark::DoNotOptimize(FrequentNumbers::load(inst.appPath()).size());
    }
}
BENCHMARK(BM_ReadListFiles)->Unit(benchmark::kMillisecond);

// One typed character and one backspace at the end of a message of the given
// length: the cost should not grow with the length.
void BM_TypeIntoMessage(benchmark::State& state) {
    BenchInstallation inst(0, 0);
    LoadedForm f(inst);
    QPlainTextEdit* box = f.control<QPlainTextEdit>("txtMessage");
    box->setPlainText(QString(int(state.range(0)), 'x'));
    box->moveCursor(QTextCursor::End);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, "\b");
    for (auto _ : state) {
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
        QApplication::sendEvent(box, &back);
    }
    if (box->document()->characterCount() - 1 != state.range(0))
        state.SkipWithError("the message changed length");
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_TypeIntoMessage)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The same keys on a bare box of the same kind: the widget's own cost (it lays
// out the whole paragraph again), for comparison with the one above.
void BM_TypeIntoBareBox(benchmark::State& state) {
    QPlainTextEdit box;
    box.setPlainText(QString(int(state.range(0)), 'x'));
    box.moveCursor(QTextCursor::End);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, "\b");
    for (auto _ : state) {
        QApplication::sendEvent(&box, &press);
        QApplication::sendEvent(&box, &release);
        QApplication::sendEvent(&box, &back);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_TypeIntoBareBox)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

int peak(const char* which) {
    const bool lists = std::strcmp(which, "lists") == 0;
    BenchInstallation inst(lists ? 10000 : 0, lists ? 5000 : 0);
    LoadedForm f(inst);
    f.form->show();
    QApplication::processEvents();
    std::printf("Number List %d, frequently dialled %d\n", f.control<QListWidget>("List4")->count(),
                f.control<QComboBox>("Combo2")->count());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--peak=", 7) == 0)
            return peak(argv[i] + 7);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
