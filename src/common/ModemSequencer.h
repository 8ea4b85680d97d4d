#pragma once

#include <QByteArray>
#include <QList>
#include <functional>

class SerialLine;

// Talks to a Hayes modem on a serial line one step at a time: write a
// command, then wait up to a time-out for one of the expected answers. What
// arrives collects in a buffer that outlives a step, so an answer that came
// early satisfies the next one; a found answer takes the buffer up to its
// end. Time-outs are whole seconds on the installed clock: a wait of n
// seconds ends when the clock has passed n second boundaries.
class ModemSequencer {
public:
    // A chatty line must not grow the buffer for ever; every answer is short.
    static constexpr qsizetype kBufferLimit = 64 * 1024;

    struct Step {
        QByteArray command;
        int timeout = 0;
        // In order of precedence, not of arrival. Empty ones are never seen:
        // a step without answers waits out its time-out.
        QList<QByteArray> answers;
    };

    enum class Outcome {
        Answered,
        TimedOut,
        // The call ended (the end text came, or the line closed) first.
        LineLost,
        // Stopped from outside, or by the afterRead hook.
        Stopped,
    };
    struct Result {
        Outcome outcome = Outcome::TimedOut;
        int index = -1;
        // What stood before the answer, after any echo.
        QByteArray before;
        // The wait read the line at least once.
        bool looked = false;
    };

    // What follows the write of the command.
    enum class AfterCommand {
        Wait,
        // Events run once before and once after the write.
        PumpEvents,
        // What has come is read before the first wait.
        Read,
    };
    // How each pass of the wait goes.
    enum class Pace {
        // Events run once, the line is read and looked at, then input is awaited.
        LookThenWait,
        // Input is awaited (events run meanwhile), then the line is read and looked at.
        WaitThenLook,
    };
    struct Options {
        AfterCommand afterCommand = AfterCommand::Wait;
        Pace pace = Pace::LookThenWait;
        // The end of the call ends the wait; only what came before it counts.
        bool onCall = false;
        // The command's echo at the front of what comes is not an answer.
        bool skipEcho = false;
        // A one-character answer counts only as a line of its own: first, or
        // after a CR, and followed by a CR. Elsewhere it is noise.
        bool singlesOnOwnLine = false;
        // An empty answer is there at once: the wait looks once and ends.
        bool emptyAnswerAtOnce = false;
        // Runs before each wait for input.
        std::function<void()> beforeWait;
        // Runs after each read; false ends the wait.
        std::function<bool()> afterRead;
    };

    // `callEnd` is the modem's word for a call that has ended; none when empty.
    explicit ModemSequencer(SerialLine& line, QByteArray callEnd = {});

    // A deadline `seconds` whole seconds from now, for await.
    static qint64 deadlineIn(int seconds);
    Result run(const Step& step, const Options& options);
    // As run, on a deadline taken before the caller's own preparations.
    Result await(qint64 deadline, const Step& step, const Options& options);

    // Waits whole seconds, keeping events running; stops early when stopped.
    void waitSecs(int seconds);
    // Whole seconds as waitSecs; any other number of milliseconds exactly.
    void pause(int ms);

    // Appends what has come, when the line is open.
    void read();
    // Where the call ended in the buffer, looking from `from`: the end text,
    // or the end of what came once the line has closed; -1 while it is up.
    qsizetype callEndAt(qsizetype from) const;
    // The end text came since forgetCallEnd.
    bool callEndHeard() const { return m_callEndHeard; }
    void forgetCallEnd() { m_callEndHeard = false; }

    const QByteArray& buffer() const { return m_buffer; }
    // Where the buffer stands in everything the line has said.
    qint64 bufferStart() const { return m_bufferStart; }
    void dropFront(qsizetype n);
    void clearBuffer() { dropFront(m_buffer.size()); }

    // A stopped sequencer writes nothing and every wait returns at once.
    void setStopped(bool stopped) { m_stopped = stopped; }
    bool stopped() const { return m_stopped; }

private:
    void send(const QByteArray& command);
    void waitForInput(qint64 deadline);
    qsizetype find(const QByteArray& answer, qsizetype from, bool ownLine) const;

    SerialLine& m_line;
    const QByteArray m_callEnd;
    bool m_callEndHeard = false;
    QByteArray m_buffer;
    qint64 m_bufferStart = 0;
    bool m_stopped = false;
};
