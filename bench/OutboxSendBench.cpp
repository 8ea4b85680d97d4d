// One 1,000-character message to 500 checked recipients (page information on,
// 14-character signature: 9 parts each, 4,500 entries) through the real Send
// button of a shown main window. Reports the time of the send and the longest
// stretch during which window events could not run.

#include "client/outbox/MessageAssembler.h"
#include "client/outbox/ui/OutboxController.h"
#include "client/outbox/ui/SendController.h"
#include "client/settings/ClientSettings.h"
#include "client/shell/ui/MainForm.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"
#include "support/TestInstallation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <benchmark/benchmark.h>

namespace {

class SilentBoxes : public MessageBox::Presenter {
public:
    MessageBox::Answer present(const MessageBox::Request& r) override { return r.defaultButton; }
};

constexpr int kRecipients = 500;
constexpr int kMessageLength = 1000;

void fillInstallation(TestInstallation& inst) {
    inst.writeBytes("Config\\Sign.cfg", "PAGEIN- Quorvel 3.0.\r\n");
    inst.writeBytes("Config\\MsgID.dat", "1\r\n");
    QByteArray numbers;
    for (int i = 0; i < kRecipients; ++i)
        numbers +=
            QString("Recipient %1  +4477009%2\r\n").arg(i).arg(i, 5, 10, QChar('0')).toLatin1();
    inst.writeBytes("Config\\BudList.dat", numbers);
}

void BM_SendToFiveHundred(benchmark::State& state) {
    double worstGapMs = 0;
    double turns = 0;
    qint64 entries = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TestInstallation inst;
        fillInstallation(inst);
        ClientSettings settings = ClientSettings::loadWithDefaults();
        Installation installation(inst.root(), inst.root());
        MainForm form(settings, installation);
        form.showOptionsWindow = [] { return true; };
        form.load();
        settings.connection = ConnectionType::Modem;
        form.show();
        QApplication::processEvents();
        auto* message = form.findChild<QPlainTextEdit*>("txtMessage");
        auto* sendButton = form.findChild<QToolButton*>("Picture5");
        auto* outbox = form.findChild<QListWidget*>("outbox");
        message->setPlainText(QString(kMessageLength, 'q'));

        // A zero timer runs at every turn of the event loop: the gaps
        // between its ticks are the times the window could not answer.
        QElapsedTimer sinceTick;
        qint64 worst = 0;
        int ticks = 0;
        QTimer probe;
        probe.setInterval(0);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            worst = std::max(worst, sinceTick.restart());
            ++ticks;
        });
        probe.start();
        state.ResumeTiming();

        sinceTick.start();
        sendButton->click();
        worst = std::max(worst, sinceTick.elapsed());

        state.PauseTiming();
        probe.stop();
        entries = outbox->count();
        const QByteArray next =
            LineFile::readLast(form.installation().file("Config\\MsgID.dat")).toLatin1();
        if (entries != kRecipients * 9 || next.toLongLong() != entries + 1)
            state.SkipWithError("wrong entries or counter");
        worstGapMs = std::max<double>(worstGapMs, double(worst));
        turns = ticks;
        state.ResumeTiming();
    }
    state.counters["entries"] = double(entries);
    state.counters["longest_blocked_ms"] = worstGapMs;
    state.counters["event_turns"] = turns;
}
BENCHMARK(BM_SendToFiveHundred)->Unit(benchmark::kMillisecond)->Iterations(3);

// The arithmetic alone: plan and entry texts for the same send.
void BM_AssembleOnly(benchmark::State& state) {
    MessageAssembler::Input in;
    in.message = QString(kMessageLength, 'q');
    in.signature = SignatureInputs::fromSignLine("PAGEIN- Quorvel 3.0.");
    in.numberListCount = kRecipients;
    for (int i = 0; i < kRecipients; ++i)
        in.checkedEntries << QString("Recipient %1  +4477009%2").arg(i).arg(i, 5, 10, QChar('0'));
    const QDateTime now = QDateTime::currentDateTime();
    for (auto _ : state) {
        const auto plan = MessageAssembler::planImmediate(in);
        qint64 id = 1;
        for (int r = 0; r < plan.numbers.size(); ++r)
            for (int k = 0; k < plan.pieces.size(); ++k)
                benchmark::DoNotOptimize(plan.entry(id++, r, k, now));
    }
}
BENCHMARK(BM_AssembleOnly)->Unit(benchmark::kMillisecond);

// What rewriting the counter safely after each of 4,500 entries would cost,
// against which the one reservation per send is measured.
void BM_CounterRewrittenPerEntry(benchmark::State& state) {
    TestInstallation inst;
    const QString file = inst.file("Config\\MsgID.dat");
    for (auto _ : state)
        for (int id = 1; id <= kRecipients * 9; ++id)
            LineFile::rewrite(file, {QString::number(id + 1)});
}
BENCHMARK(BM_CounterRewrittenPerEntry)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentBoxes boxes;
    MessageBox::install(&boxes);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
