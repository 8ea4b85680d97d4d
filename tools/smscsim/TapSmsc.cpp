#include "TapSmsc.h"

#include <algorithm>

using namespace TapByte;

namespace {
const std::string kCR(1, CR);

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}
} // namespace

std::string TapSmsc::checksum(std::uint32_t sum) {
    sum &= 0xFFF;
    return {char('0' + (sum >> 8)), char('0' + ((sum >> 4) & 0xF)), char('0' + (sum & 0xF))};
}

void TapSmsc::startCall() {
    m_phase = Phase::Prompting;
    m_goAhead = false;
    m_eotPending = false;
    m_line.clear();
    m_lineOverflow = false;
    m_block.clear();
    m_check.clear();
}

void TapSmsc::startBlock() {
    m_phase = Phase::InBlock;
    m_block.clear();
    m_blockOverflow = false;
    m_sum = static_cast<unsigned char>(STX);
    m_eotPending = false;
}

TapReply TapSmsc::receive(char byte) {
    switch (m_phase) {
    case Phase::Prompting:
        if (byte == CR) {
            TapReply reply = promptLine();
            m_line.clear();
            m_lineOverflow = false;
            return reply;
        }
        // Terminals send DC1 EOT CR to clear a line before they ask for the prompt.
        if (byte == DC1 || byte == EOT)
            return {};
        if (m_line.size() < kMaxLine)
            m_line += byte;
        else
            m_lineOverflow = true;
        return {};
    case Phase::LoggedOn:
        if (byte == STX && m_goAhead)
            startBlock();
        else if (byte == EOT)
            m_eotPending = true;
        else if (byte == CR && m_eotPending)
            return logOff();
        return {};
    case Phase::InBlock:
        m_sum += static_cast<unsigned char>(byte);
        if (byte == ETX) {
            m_phase = Phase::AfterEtx;
            m_check.clear();
        } else if (byte == STX) {
            startBlock();
        } else if (m_block.size() < kMaxBlock) {
            m_block += byte;
        } else {
            m_blockOverflow = true;
        }
        return {};
    case Phase::AfterEtx:
        if (m_check.size() < 3) {
            m_check += byte;
            return {};
        }
        m_phase = Phase::LoggedOn;
        if (byte == CR)
            return endOfBlock();
        {
            TapReply nak{std::string{NAK, CR}, {}, false, "block not ended by CR: NAK"};
            if (byte == STX)
                startBlock();
            return nak;
        }
    case Phase::Ended:
        return {};
    }
    return {};
}

TapReply TapSmsc::promptLine() {
    if (m_options.noId)
        return {};
    auto esc = m_line.find(ESC);
    if (esc == std::string::npos)
        return {"ID=", {}, false, {}};
    if (m_lineOverflow || m_line.compare(esc + 1, 3, "PG1") != 0)
        return {std::string{NAK, CR}, {}, false, "log-on refused: NAK"};
    m_phase = Phase::LoggedOn;
    m_goAhead = !m_options.noGoAhead;
    std::string banner = "110 1.8" + kCR + "smscsim message centre" + kCR + ACK + kCR;
    if (!m_goAhead)
        return {banner, {}, false, "logged on, go-ahead withheld"};
    return {banner + ESC + "[p" + kCR, {}, false, "logged on"};
}

TapReply TapSmsc::logOff() {
    m_phase = Phase::Ended;
    return {std::string{ESC, EOT, CR}, {}, true, "logged off"};
}

TapReply TapSmsc::reject(std::string note) {
    return {"Message send failed" + kCR + RS + kCR, {}, false, std::move(note)};
}

TapReply TapSmsc::endOfBlock() {
    const std::string expected = checksum(m_sum);
    if (m_check != expected)
        return {std::string{NAK, CR},
                {},
                false,
                "bad checksum " + m_check + " (expected " + expected + "): NAK"};
    if (!m_options.nakNumber.empty() && m_block.rfind(m_options.nakNumber + CR, 0) == 0)
        return {std::string{NAK, CR}, {}, false, "block to " + m_options.nakNumber + ": NAK"};
    if (m_options.silentAfter >= 0 && m_accepted >= m_options.silentAfter)
        return {{}, {}, false, "block not answered (silent)"};
    if (m_blockOverflow)
        return reject("block too long: rejected");
    // number CR text CR: exactly two fields, each closed by CR.
    auto first = m_block.find(CR);
    auto second = first == std::string::npos ? first : m_block.find(CR, first + 1);
    if (second == std::string::npos || second + 1 != m_block.size())
        return reject("block without two fields: rejected");
    AcceptedMessage message{m_block.substr(0, first),
                            m_block.substr(first + 1, second - first - 1)};
    if (!allDigits(message.number))
        return reject("bad number: rejected");
    ++m_goodBlocks;
    if (m_options.rejectEvery > 0 && m_goodBlocks % m_options.rejectEvery == 0)
        return reject("block " + std::to_string(m_goodBlocks) + " rejected by the fault switch");

    ++m_accepted;
    std::string answer;
    switch (m_options.answerStyle) {
    case SimOptions::AnswerStyle::Successful:
        answer = "211 Transmission successful";
        break;
    case SimOptions::AnswerStyle::Terse:
        answer = "211";
        break;
    case SimOptions::AnswerStyle::CapitalS:
        answer = "211 Message Sent Successfully";
        break;
    case SimOptions::AnswerStyle::Unterminated:
        answer = "211 Transmission successful";
        break;
    }
    if (m_options.answerStyle != SimOptions::AnswerStyle::Unterminated)
        answer += kCR + ACK + kCR;
    TapReply reply{answer, std::move(message), false,
                   "message " + std::to_string(m_accepted) + " accepted"};
    if (m_options.dropAfter > 0 && m_accepted == m_options.dropAfter && !m_dropped) {
        m_dropped = true;
        m_phase = Phase::Ended;
        reply.dropLine = true;
        reply.note += ", line dropped by the fault switch";
    }
    return reply;
}
