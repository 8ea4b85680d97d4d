// Cost of one delivery poll against the length of Brindle.out and the size
// of the outbox. The file only grows, so a poll must not grow with it.
#include "client/outbox/AcceptedIndex.h"
#include "client/outbox/AcceptedMarking.h"
#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/DeliverySupervisor.h"
#include "client/outbox/EntryList.h"
#include "client/outbox/InternetRoute.h"
#include "client/settings/ClientSettings.h"
#include "common/ExchangeFiles.h"
#include "common/Installation.h"
#include "common/LineFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct IdleLauncher : BrindleLauncher {
    QString startProblem(const QString&) const override { return QString(); }
    bool start(const QString&, const QString&, QString&) override { return true; }
    bool running() const override { return true; }
    void terminate() override {}
};

struct NoControls : DeliveryControls {
    void setConfigureEnabled(bool) override {}
    void startPoll() override {}
    void stopPoll() override {}
    bool pollRunning() const override { return false; }
    bool queueMode() const override { return false; }
    void stopBlinking() override {}
};

struct NoInternet : InternetRoute {
    void submitOutbox() override {}
};

QString entry(qint64 id) {
    return QString("[%1] 05/12/2026 16:20:00 +447700900123 A message of ordinary length, "
                   "P1/1 - Message sent by Quorvel. 05/12/2026 16:20:00")
        .arg(id);
}

// An installation whose Brindle.out holds `lines` accepted entries.
struct BenchInstallation {
    explicit BenchInstallation(qint64 lines) {
        app = dir.path() + '/';
        QDir().mkpath(dir.path() + "/NOM/UK/Cellnet/Config");
        QDir().mkpath(dir.path() + "/Config");
        QDir().mkpath(dir.path() + "/NOMMon/Logs");
        QFile out(ExchangeFiles::path(app, ExchangeFiles::kAccepted));
        out.open(QIODevice::WriteOnly);
        QByteArray chunk;
        for (qint64 i = 1; i <= lines; ++i) {
            chunk += entry(i).toLatin1() + "\r\n";
            if (chunk.size() > (1 << 20)) {
                out.write(chunk);
                chunk.clear();
            }
        }
        out.write(chunk);
        ExchangeFiles::writeStateWord(app, ExchangeFiles::kInUse);
    }
    QTemporaryDir dir;
    QString app;
};

// Outbox entries that are not in the file yet (ids after its last line).
StringEntryList outboxOf(qint64 entries, qint64 firstId) {
    StringEntryList outbox;
    for (qint64 i = 0; i < entries; ++i)
        outbox.append("Processing::" + entry(firstId + i));
    return outbox;
}

void BM_PollAfterTheFirst(benchmark::State& state) {
    const qint64 lines = state.range(0);
    const qint64 entries = state.range(1);
    BenchInstallation inst(lines);
    StringEntryList outbox = outboxOf(entries, lines + 1), queue, schedule;
    NoControls controls;
    IdleLauncher launcher;
    NoInternet internet;
    ClientSettings settings;
    settings.connection = ConnectionType::Modem;
    const Installation installation = Installation::at(inst.app);
    DeliverySupervisor poll(installation, {outbox, queue, schedule}, controls, launcher, internet,
                            settings);
    poll.poll(); // the first poll reads the file once
    for (auto _ : state)
        poll.poll();
    state.counters["file_lines"] = double(lines);
    state.counters["outbox"] = double(entries);
}

// The accepted marking alone: take in what was appended (nothing) and mark.
void BM_MarkingAfterTheFirst(benchmark::State& state) {
    const qint64 lines = state.range(0);
    const qint64 entries = state.range(1);
    BenchInstallation inst(lines);
    AcceptedIndex index(ExchangeFiles::path(inst.app, ExchangeFiles::kAccepted));
    index.refresh();
    QStringList outbox = outboxOf(entries, lines + 1).items();
    for (auto _ : state) {
        index.refresh();
        benchmark::DoNotOptimize(AcceptedMarking::markAccepted(outbox, index));
    }
    state.counters["file_lines"] = double(lines);
    state.counters["outbox"] = double(entries);
}

void BM_FirstPollReadsTheFileOnce(benchmark::State& state) {
    const qint64 lines = state.range(0);
    BenchInstallation inst(lines);
    for (auto _ : state) {
        AcceptedIndex index(ExchangeFiles::path(inst.app, ExchangeFiles::kAccepted));
        index.refresh();
        benchmark::DoNotOptimize(index.size());
    }
    state.counters["file_lines"] = double(lines);
}

} // namespace

BENCHMARK(BM_PollAfterTheFirst)
    ->Args({0, 1000})
    ->Args({10000, 1000})
    ->Args({1000000, 1000})
    ->Args({1000000, 10})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MarkingAfterTheFirst)
    ->Args({0, 1000})
    ->Args({1000000, 1000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstPollReadsTheFileOnce)
    ->Arg(10000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
