#include "BrindleSimTest.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/QueueStore.h"

#include <QDir>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

using namespace ExchangeFiles;

// Brindle on a disk that runs full. The test command mounts a small file
// system of the test's own as the temporary folder (see CMakeLists.txt):
// these tests fail, never skip, anywhere else.
namespace {

// Takes every free byte of the file system the installation is on.
class Filler {
public:
    explicit Filler(const QString& root) : m_path(QFile::encodeName(root + "/../filler")) {}
    ~Filler() { release(); }
    void fill() {
        const int fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'f');
        for (qsizetype size = block.size(); size > 0; size /= 2)
            while (::write(fd, block.constData(), size_t(size)) == size) {
            }
        ::close(fd);
    }
    void release() { ::unlink(m_path.constData()); }

private:
    QByteArray m_path;
};

struct FullDisk : ::testing::Test {
    void SetUp() override {
        struct statfs fs {};
        ASSERT_EQ(::statfs(QFile::encodeName(QDir::tempPath()).constData(), &fs), 0);
        ASSERT_TRUE(fs.f_type == TMPFS_MAGIC && fs.f_blocks * fs.f_bsize <= (16 << 20))
            << "needs a small file system of its own as TMPDIR: run it through ctest";
    }
    // Every entry is accepted or still held in a file Brindle takes from.
    static void expectNoneLost(const BrindleSim& run, const QStringList& queued) {
        QStringList held = LineFile::readAll(run.inst.file(kAccepted));
        for (const QString& f : {kInbox, kCarryOver, kJournal})
            held += LineFile::readAll(run.inst.file(f));
        for (const QString& e : queued)
            EXPECT_TRUE(held.contains(e)) << e.toStdString();
    }
};

} // namespace

// A journal the full disk refuses is never replaced by an empty one: the
// entries stay in the inbox, and the state word still gets written.
TEST_F(FullDisk, AJournalThatCannotBeWrittenLeavesTheEntriesInTheInbox) {
    const QStringList queued = entries(5);
    BrindleSim run;
    run.queue(queued);
    run.setConfigLine(22, "1");
    run.simulate("--busy");
    run.inst.writeBytes(kStateFile, "CEL\r\n"); // as the client leaves it
    Filler filler(run.inst.root());
    filler.fill();
    run.startAndRun();
    EXPECT_EQ(run.file(kStateFile), QByteArray("COMPLETE\r\n"));
    EXPECT_TRUE(run.brindle->statusLog().paneText().contains(
        "Cannot write Brindle.tkn: entries left in the inbox"));
    EXPECT_EQ(run.file(kInbox), "\r\n" + lines(queued));
    filler.release();
    run.simulate("");
    run.startAndRun();
    EXPECT_EQ(run.ending(queued), "COMPLETE out:1 2 3 4 5 rcv:");
}

// The disk runs full once the entries are taken: acceptances Brindle.out
// refuses are kept in the journal as it last stood, and go out, once, when
// there is room again; so does a carry-over the disk refuses.
TEST_F(FullDisk, WhatTheDiskRefusesIsKeptAndRecordedWhenThereIsRoom) {
    for (const char* sim : {"", "--busy"}) {
        SCOPED_TRACE(sim);
        const QStringList queued = entries(8);
        BrindleSim run;
        run.queue(queued);
        run.setConfigLine(22, "1");
        run.simulate(sim);
        Filler filler(run.inst.root());
        run.duringWait = [&] {
            if (!run.brindle->messageQueue().isEmpty())
                filler.fill(), run.duringWait = {};
        };
        run.startAndRun();
        expectNoneLost(run, queued);
        filler.release();
        run.simulate("");
        run.startAndRun();
        const QStringList out = LineFile::readAll(run.inst.file(kAccepted));
        EXPECT_EQ(QSet<QString>(out.begin(), out.end()),
                  QSet<QString>(queued.begin(), queued.end()));
        EXPECT_EQ(run.file(kJournal), QByteArray());
        EXPECT_EQ(run.file(kInbox), QByteArray("\r\n"));
    }
}
