#include "ModemScript.h"

#include <gtest/gtest.h>

// The operator module's side of the line as it is designed: what it sends,
// what it waits for and how long, with its pauses, on a clock of our own.
// Every wait it makes must succeed (or fail) exactly where it should.
namespace {
class Operator {
public:
    explicit Operator(ModemScript& script) : m_script(script) {}

    std::int64_t now() const { return m_now; }
    void pause(int seconds) { collect(m_now + seconds * 1000); }
    void send(const std::string& readable) {
        m_script.modem.receive(lineBytes(readable), m_now);
        collect(m_now);
    }
    // Like the module's wait: true when `text` came within the time-out; the
    // buffer then keeps only what followed it.
    bool await(const std::string& send, const std::string& text, int timeoutSeconds) {
        if (!send.empty())
            this->send(send);
        const std::string wanted = lineBytes(text);
        const std::int64_t deadline = m_now + timeoutSeconds * 1000;
        for (;;) {
            if (auto at = m_buffer.find(wanted); at != std::string::npos) {
                m_buffer.erase(0, at + wanted.size());
                return true;
            }
            auto next = m_script.modem.nextDeadlineMs();
            if (!next || *next > deadline) {
                collect(deadline);
                return m_buffer.find(wanted) != std::string::npos;
            }
            collect(*next);
        }
    }
    std::string buffer() const { return m_buffer; }

private:
    void collect(std::int64_t until) {
        m_now = std::max(m_now, until);
        Emission e = m_script.modem.takeDue(m_now);
        m_buffer += e.bytes;
        m_script.accepted.insert(m_script.accepted.end(), e.accepted.begin(), e.accepted.end());
    }

    ModemScript& m_script;
    std::int64_t m_now = 0;
    std::string m_buffer;
};

const std::string kBlockHi = "<STX>447700900123<CR>Hi<CR><ETX>335<CR>";

void initAndDial(Operator& op) {
    op.pause(5);
    ASSERT_TRUE(op.await("ATZ<CR>", "OK<CR>", 20));
    ASSERT_TRUE(op.await("ATDT0123456<CR>", "CONNECT", 60));
    ASSERT_TRUE(op.await("", "<CR>", 2));
}

void logOn(Operator& op) {
    op.pause(1);
    ASSERT_TRUE(op.await("<DC1><EOT><CR>", "", 1));
    ASSERT_TRUE(op.await("<CR>", "ID=", 5));
    op.await("<ESC>PG1<CR>", "<CR>", 25);
    ASSERT_TRUE(op.await("", "<ESC>[p<CR>", 30));
}

bool sendHi(Operator& op) {
    if (!op.await(kBlockHi, "successful", 60))
        return false;
    op.pause(1);
    return op.await("", "<CR>", 25) && op.await("", "<CR>", 5);
}
} // namespace

TEST(BrindleDialogue, DialLogOnSendAndRenewTheLogOn) {
    for (std::int64_t delay : {0, 700}) {
        SCOPED_TRACE("answers delayed by " + std::to_string(delay) + " ms");
        ModemScript script([delay](SimOptions& o) { o.delayMs = delay; });
        Operator op(script);
        initAndDial(op);
        logOn(op);
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(sendHi(op)) << "message " << i;

        // The log-off of the renewal: the line drops and the modem answers AT.
        EXPECT_TRUE(op.await("<EOT><CR>", "<ESC><EOT><CR>", 1 + delay / 1000));
        EXPECT_FALSE(op.await("<CR>", "ID=", 3));
        EXPECT_TRUE(op.await("AT<CR>", "OK", 1 + delay / 1000)) << "already in command state";
        op.pause(2);
        initAndDial(op);
        logOn(op);
        EXPECT_TRUE(sendHi(op));
        EXPECT_EQ(script.accepted.size(), 5u);
    }
}

TEST(BrindleDialogue, RejectionThenTheHangUpWithEscape) {
    ModemScript script([](SimOptions& o) { o.rejectEvery = 1; });
    Operator op(script);
    initAndDial(op);
    logOn(op);
    op.send(kBlockHi);
    EXPECT_NE(op.buffer().find("Message send failed"), std::string::npos);
    op.pause(3);
    EXPECT_FALSE(op.await("AT<CR>", "OK", 1)) << "still on line: AT goes to the message centre";
    op.pause(2);
    EXPECT_TRUE(op.await("+++", "OK", 5));
    EXPECT_EQ(script.modem.state(), HayesModem::State::OnlineCommand);
    op.pause(1);
    EXPECT_TRUE(op.await("ATH<CR>", "OK", 10));
    EXPECT_EQ(script.modem.state(), HayesModem::State::Command);
    EXPECT_TRUE(script.accepted.empty());
}

TEST(BrindleDialogue, EachFaultFailsTheWaitItShould) {
    using DF = SimOptions::DialFault;
    struct Case {
        const char* name;
        std::function<void(SimOptions&)> configure;
        std::function<void(Operator&)> play;
    };
    const std::vector<Case> cases = {
        {"silent modem", [](SimOptions& o) { o.silentModem = true; },
         [](Operator& op) { EXPECT_FALSE(op.await("ATZ<CR>", "OK<CR>", 20)); }},
        {"no dial tone", [](SimOptions& o) { o.dialFault = DF::NoDialtone; },
         [](Operator& op) {
             ASSERT_TRUE(op.await("ATZ<CR>", "OK<CR>", 20));
             EXPECT_TRUE(op.await("ATDT1<CR>", "NO ", 60));
         }},
        {"busy", [](SimOptions& o) { o.dialFault = DF::Busy; },
         [](Operator& op) {
             ASSERT_TRUE(op.await("ATDT1<CR>", "BUSY", 60));
             EXPECT_EQ(op.buffer().find("CONNECT"), std::string::npos);
         }},
        {"no carrier", [](SimOptions& o) { o.dialFault = DF::NoCarrier; },
         [](Operator& op) { EXPECT_TRUE(op.await("ATDT1<CR>", "NO ", 60)); }},
        {"no ID=", [](SimOptions& o) { o.noId = true; },
         [](Operator& op) {
             initAndDial(op);
             for (int attempt = 0; attempt < 4; ++attempt)
                 EXPECT_FALSE(op.await("<CR>", "ID=", 5));
         }},
        {"no go-ahead", [](SimOptions& o) { o.noGoAhead = true; },
         [](Operator& op) {
             initAndDial(op);
             ASSERT_TRUE(op.await("<CR>", "ID=", 5));
             op.await("<ESC>PG1<CR>", "<CR>", 25);
             EXPECT_FALSE(op.await("", "<ESC>[p<CR>", 30));
             EXPECT_TRUE(op.await("<EOT><CR>", "<ESC><EOT><CR>", 10));
         }},
        {"silent after one", [](SimOptions& o) { o.silentAfter = 1; },
         [](Operator& op) {
             initAndDial(op);
             logOn(op);
             EXPECT_TRUE(sendHi(op));
             EXPECT_FALSE(op.await(kBlockHi, "successful", 60));
             EXPECT_TRUE(op.await("<EOT><CR>", "<ESC><EOT><CR>", 10));
         }},
        {"line dropped after one", [](SimOptions& o) { o.dropAfter = 1; },
         [](Operator& op) {
             initAndDial(op);
             logOn(op);
             EXPECT_TRUE(sendHi(op)) << "the acceptance arrives whole before the drop";
             EXPECT_FALSE(op.await(kBlockHi, "successful", 60));
         }},
        {"capital S", [](SimOptions& o) { o.answerStyle = SimOptions::AnswerStyle::CapitalS; },
         [](Operator& op) {
             initAndDial(op);
             logOn(op);
             EXPECT_FALSE(op.await(kBlockHi, "successful", 60)) << "only ACK tells";
             EXPECT_EQ(op.buffer(), lineBytes("211 Message Sent Successfully<CR><ACK><CR>"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemScript script(c.configure);
        Operator op(script);
        c.play(op);
    }
}
