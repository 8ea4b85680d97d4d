#include "HayesModem.h"

#include <cctype>

namespace {
const char kCR = 13;
const char kLF = 10;
const char kBS = 8;
// Bytes a noisy line adds; none of them means anything to a modem or to TAP.
const std::string kNoise("\xff\x00#~\x7f", 5);

std::string framed(const std::string& text) {
    return "\r\n" + text + "\r\n";
}

int digitAt(std::string_view s, std::size_t& i, int fallback) {
    if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        return s[i++] - '0';
    return fallback;
}
} // namespace

HayesModem::HayesModem(const SimOptions& options) : m_options(options), m_smsc(options) {
    reset();
}

void HayesModem::restoreSettings() {
    m_echo = true;
    m_registers.fill(0);
}

void HayesModem::reset() {
    restoreSettings();
    m_state = State::Command;
    m_line.clear();
    m_lineOverflow = false;
    m_pending.clear();
    m_pendingBytes = 0;
    m_plusCount = 0;
    m_escapeAtMs.reset();
    m_connectAtMs.reset();
    m_smsc.startCall();
}

void HayesModem::push(Pending item) {
    // A client that never reads must not make the simulator grow.
    if (m_pendingBytes + item.bytes.size() > kMaxPending)
        item.bytes.clear();
    m_pendingBytes += item.bytes.size();
    m_pending.push_back(std::move(item));
}

void HayesModem::answer(std::string bytes, std::int64_t nowMs,
                        std::optional<AcceptedMessage> accepted, std::string note) {
    if (m_options.garbage && !bytes.empty())
        bytes = kNoise + bytes;
    push({nowMs + m_options.delayMs, std::move(bytes), std::move(accepted), std::move(note)});
}

void HayesModem::result(const std::string& text, std::int64_t nowMs, std::string note) {
    answer(framed(text), nowMs, {}, std::move(note));
}

void HayesModem::note(std::string text, std::int64_t nowMs) {
    push({nowMs, {}, {}, std::move(text)});
}

void HayesModem::receive(std::string_view bytes, std::int64_t nowMs) {
    advance(nowMs);
    if (m_options.silentModem)
        return;
    for (char byte : bytes) {
        if (m_state == State::Dialling)
            abortDial(nowMs);
        else if (m_state == State::Online)
            onlineByte(byte, nowMs);
        else
            commandByte(byte, nowMs);
    }
}

void HayesModem::advance(std::int64_t nowMs) {
    if (m_connectAtMs && nowMs >= *m_connectAtMs && m_state == State::Dialling) {
        const std::int64_t at = *m_connectAtMs;
        m_connectAtMs.reset();
        note(m_dialNote, at);
        goOnline(at);
        result("CONNECT 9600", at);
    }
    if (m_escapeAtMs && nowMs >= *m_escapeAtMs && m_state == State::Online) {
        m_escapeAtMs.reset();
        m_plusCount = 0;
        m_state = State::OnlineCommand;
        result("OK", nowMs, "escape: command state, call kept");
    }
}

Emission HayesModem::takeDue(std::int64_t nowMs) {
    advance(nowMs);
    Emission out;
    while (!m_pending.empty() && m_pending.front().dueMs <= nowMs) {
        Pending& item = m_pending.front();
        out.bytes += item.bytes;
        if (item.accepted)
            out.accepted.push_back(std::move(*item.accepted));
        if (!item.note.empty())
            out.notes.push_back(std::move(item.note));
        m_pendingBytes -= item.bytes.size();
        m_pending.pop_front();
    }
    return out;
}

std::optional<std::int64_t> HayesModem::nextDeadlineMs() const {
    std::optional<std::int64_t> next;
    if (!m_pending.empty())
        next = m_pending.front().dueMs;
    if (m_escapeAtMs && m_state == State::Online && (!next || *m_escapeAtMs < *next))
        next = m_escapeAtMs;
    if (m_connectAtMs && m_state == State::Dialling && (!next || *m_connectAtMs < *next))
        next = m_connectAtMs;
    return next;
}

void HayesModem::onlineByte(char byte, std::int64_t nowMs) {
    // Any byte cancels an escape that is waiting for its silence after.
    m_escapeAtMs.reset();
    if (byte == '+') {
        if (m_plusCount > 0 && m_plusCount < 3 && nowMs - m_lastPlusMs < m_options.guardMs)
            ++m_plusCount;
        else if (nowMs - m_lastDataMs >= m_options.guardMs)
            m_plusCount = 1;
        else
            m_plusCount = 0;
        m_lastPlusMs = nowMs;
        if (m_plusCount == 3)
            m_escapeAtMs = nowMs + m_options.guardMs;
    } else {
        m_plusCount = 0;
    }
    m_lastDataMs = nowMs;

    // The pluses go down the line too, as on a real modem.
    TapReply reply = m_smsc.receive(byte);
    if (!reply.bytes.empty() || !reply.note.empty() || reply.accepted)
        answer(std::move(reply.bytes), nowMs, std::move(reply.accepted), std::move(reply.note));
    if (reply.dropLine) {
        m_state = State::Command;
        m_escapeAtMs.reset();
        m_plusCount = 0;
        result("NO CARRIER", nowMs, "line dropped by the message centre");
    }
}

void HayesModem::commandByte(char byte, std::int64_t nowMs) {
    if (m_echo)
        push({nowMs, std::string(1, byte), {}, {}});
    if (byte == kCR) {
        runCommandLine(nowMs);
        m_line.clear();
        m_lineOverflow = false;
    } else if (byte == kBS) {
        if (!m_line.empty())
            m_line.pop_back();
    } else if (byte != kLF) {
        if (m_line.size() < kMaxCommandLine)
            m_line += byte;
        else
            m_lineOverflow = true;
    }
}

void HayesModem::runCommandLine(std::int64_t nowMs) {
    // Like a real modem, anything before "AT" is line noise.
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 1 < m_line.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(m_line[i])) == 'A' &&
            std::toupper(static_cast<unsigned char>(m_line[i + 1])) == 'T') {
            at = i;
            break;
        }
    }
    if (at == std::string::npos)
        return;
    if (m_lineOverflow) {
        result("ERROR", nowMs, "command line too long");
        return;
    }
    std::string text = execute(std::string_view(m_line).substr(at + 2), nowMs);
    if (!text.empty())
        result(text, nowMs);
}

std::string HayesModem::execute(std::string_view cmd, std::int64_t nowMs) {
    std::string info;
    std::size_t i = 0;
    while (i < cmd.size()) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(cmd[i++])));
        switch (c) {
        case ' ':
            break;
        case 'D':
            if (m_state != State::Command)
                return "ERROR";
            return dial(cmd.substr(i), nowMs);
        case 'Z':
            if (m_state == State::OnlineCommand)
                hangUp("ATZ", nowMs);
            // The rest of the line is not looked at, as on real modems.
            restoreSettings();
            return "OK";
        case 'E': {
            int n = digitAt(cmd, i, 0);
            if (n > 1)
                return "ERROR";
            m_echo = n == 1;
            break;
        }
        case 'H': {
            if (digitAt(cmd, i, 0) > 1)
                return "ERROR";
            if (m_state == State::OnlineCommand)
                hangUp("ATH", nowMs);
            break;
        }
        case 'O':
            digitAt(cmd, i, 0);
            if (m_state != State::OnlineCommand)
                return "NO CARRIER";
            goOnline(nowMs);
            return "CONNECT 9600";
        case 'I':
            digitAt(cmd, i, 0);
            info += framed("smscsim");
            break;
        case 'L':
        case 'M':
        case 'X':
            digitAt(cmd, i, 0);
            break;
        case 'Q':
            if (digitAt(cmd, i, 0) != 0)
                return "ERROR";
            break;
        case 'V':
            if (digitAt(cmd, i, 0) != 1)
                return "ERROR";
            break;
        case '&': {
            const char what =
                i < cmd.size()
                    ? static_cast<char>(std::toupper(static_cast<unsigned char>(cmd[i++])))
                    : 0;
            if (what != 'C' && what != 'D' && what != 'F' && what != 'K' && what != 'W')
                return "ERROR";
            digitAt(cmd, i, 0);
            if (what == 'F')
                restoreSettings();
            break;
        }
        case 'S': {
            int reg = 0;
            std::size_t start = i;
            while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])) && reg < 1000)
                reg = reg * 10 + (cmd[i++] - '0');
            if (i == start || reg > 255 || i >= cmd.size())
                return "ERROR";
            if (cmd[i] == '?') {
                ++i;
                std::string v = std::to_string(m_registers[reg]);
                info += framed(std::string(3 - v.size(), '0') + v);
            } else if (cmd[i] == '=') {
                ++i;
                int value = 0;
                std::size_t vs = i;
                while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])) &&
                       value < 1000)
                    value = value * 10 + (cmd[i++] - '0');
                if (i == vs || value > 255)
                    return "ERROR";
                m_registers[reg] = static_cast<unsigned char>(value);
            } else {
                return "ERROR";
            }
            break;
        }
        default:
            return "ERROR";
        }
    }
    if (!info.empty())
        answer(info, nowMs);
    return "OK";
}

std::string HayesModem::dial(std::string_view number, std::int64_t nowMs) {
    ++m_dials;
    const bool faulty = m_options.faultyDials < 0 || m_dials <= m_options.faultyDials;
    if (!number.empty() && (std::toupper(static_cast<unsigned char>(number[0])) == 'T' ||
                            std::toupper(static_cast<unsigned char>(number[0])) == 'P'))
        number.remove_prefix(1);
    std::string what = "dial " + std::to_string(m_dials) + " '" + std::string(number) + "': ";
    if (faulty) {
        switch (m_options.dialFault) {
        case SimOptions::DialFault::NoDialtone:
            note(what + "no dial tone", nowMs);
            return "NO DIALTONE";
        case SimOptions::DialFault::Busy:
            note(what + "busy", nowMs);
            return "BUSY";
        case SimOptions::DialFault::NoCarrier:
            note(what + "no carrier", nowMs);
            return "NO CARRIER";
        case SimOptions::DialFault::None:
            break;
        }
    }
    m_smsc.startCall();
    if (m_options.connectDelaySeconds > 0) {
        m_state = State::Dialling;
        m_connectAtMs = nowMs + m_options.connectDelaySeconds * 1000;
        m_dialNote = what + "connected";
        return {};
    }
    note(what + "connected", nowMs);
    goOnline(nowMs);
    return "CONNECT 9600";
}

// Any byte during a dial ends it, as a key does on a real modem; the byte is swallowed.
void HayesModem::abortDial(std::int64_t nowMs) {
    m_state = State::Command;
    m_connectAtMs.reset();
    result("NO CARRIER", nowMs, m_dialNote.substr(0, m_dialNote.rfind(':')) + ": aborted");
}

void HayesModem::goOnline(std::int64_t nowMs) {
    m_state = State::Online;
    m_plusCount = 0;
    m_escapeAtMs.reset();
    m_lastDataMs = nowMs;
}

void HayesModem::hangUp(const std::string& why, std::int64_t nowMs) {
    m_state = State::Command;
    m_smsc.startCall();
    note("hung up by " + why, nowMs);
}
