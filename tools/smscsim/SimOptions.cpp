#include "SimOptions.h"

#include <charconv>
#include <functional>
#include <map>

namespace {

bool toNumber(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& out) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max)
        return false;
    out = value;
    return true;
}

struct Flag {
    bool takesValue;
    std::function<bool(SimOptions&, const std::string&)> apply;
};

template <typename T> auto number(T SimOptions::*field, std::int64_t min, std::int64_t max) {
    return Flag{true, [=](SimOptions& o, const std::string& v) {
                    std::int64_t n = 0;
                    if (!toNumber(v, min, max, n))
                        return false;
                    o.*field = static_cast<T>(n);
                    return true;
                }};
}

Flag text(std::string SimOptions::*field) {
    return Flag{true, [=](SimOptions& o, const std::string& v) {
                    o.*field = v;
                    return !v.empty();
                }};
}

template <typename T> Flag setTo(T SimOptions::*field, T value) {
    return Flag{false, [=](SimOptions& o, const std::string&) {
                    o.*field = value;
                    return true;
                }};
}

const std::map<std::string, Flag>& flags() {
    using DF = SimOptions::DialFault;
    using AS = SimOptions::AnswerStyle;
    constexpr std::int64_t kMaxCount = 1000000;
    static const std::map<std::string, Flag> table = {
        {"--link", text(&SimOptions::linkPath)},
        {"--record", text(&SimOptions::recordPath)},
        {"--transcript", text(&SimOptions::transcriptPath)},
        {"--lifetime", number(&SimOptions::lifetimeSeconds, 1, 100000000)},
        {"--forever", setTo(&SimOptions::runForever, true)},
        {"--help", setTo(&SimOptions::help, true)},
        {"--delay", number(&SimOptions::delayMs, 0, 600000)},
        {"--guard", number(&SimOptions::guardMs, 20, 10000)},
        {"--connect-delay", number(&SimOptions::connectDelaySeconds, 0, 3600)},
        {"--no-dialtone", setTo(&SimOptions::dialFault, DF::NoDialtone)},
        {"--busy", setTo(&SimOptions::dialFault, DF::Busy)},
        {"--no-carrier", setTo(&SimOptions::dialFault, DF::NoCarrier)},
        {"--faulty-dials", number(&SimOptions::faultyDials, 0, kMaxCount)},
        {"--silent-modem", setTo(&SimOptions::silentModem, true)},
        {"--garbage", setTo(&SimOptions::garbage, true)},
        {"--no-id", setTo(&SimOptions::noId, true)},
        {"--no-go-ahead", setTo(&SimOptions::noGoAhead, true)},
        {"--reject-every", number(&SimOptions::rejectEvery, 1, kMaxCount)},
        {"--terse", setTo(&SimOptions::answerStyle, AS::Terse)},
        {"--capital-s", setTo(&SimOptions::answerStyle, AS::CapitalS)},
        {"--unterminated", setTo(&SimOptions::answerStyle, AS::Unterminated)},
        {"--silent-after", number(&SimOptions::silentAfter, 0, kMaxCount)},
        {"--drop-after", number(&SimOptions::dropAfter, 1, kMaxCount)},
        {"--nak-number", text(&SimOptions::nakNumber)},
        {"--modem-manager", setTo(&SimOptions::modemManager, true)},
        {"--bus", text(&SimOptions::busAddress)},
        {"--mm-not-registered", setTo(&SimOptions::mmNotRegistered, true)},
        {"--mm-locked", setTo(&SimOptions::mmLocked, true)},
        {"--mm-disabled", setTo(&SimOptions::mmDisabled, true)},
        {"--mm-reject-every", number(&SimOptions::mmRejectEvery, 1, kMaxCount)},
        {"--mm-send-delay", number(&SimOptions::mmSendDelayMs, 0, 600000)},
        {"--mm-remove-after", number(&SimOptions::mmRemoveAfter, 1, kMaxCount)},
        {"--mm-report-after", number(&SimOptions::mmReportAfterSeconds, 0, 86400)},
        {"--mm-no-report", setTo(&SimOptions::mmNoReport, true)},
    };
    return table;
}

} // namespace

bool SimOptions::parse(const std::vector<std::string>& args, SimOptions& options,
                       std::string& error) {
    int dialFaults = 0;
    int styles = 0;
    int modemStates = 0;
    bool busOptions = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        auto it = flags().find(name);
        if (it == flags().end()) {
            error = "unknown option '" + args[i] + "'";
            return false;
        }
        const Flag& flag = it->second;
        if (flag.takesValue && !inlineValue) {
            if (i + 1 >= args.size()) {
                error = "option '" + name + "' needs a value";
                return false;
            }
            value = args[++i];
        } else if (!flag.takesValue && inlineValue) {
            error = "option '" + name + "' takes no value";
            return false;
        }
        if (!flag.apply(options, value)) {
            error = "bad value '" + value + "' for option '" + name + "'";
            return false;
        }
        if (name == "--no-dialtone" || name == "--busy" || name == "--no-carrier")
            ++dialFaults;
        if (name == "--terse" || name == "--capital-s" || name == "--unterminated")
            ++styles;
        if (name == "--mm-not-registered" || name == "--mm-locked" || name == "--mm-disabled")
            ++modemStates;
        busOptions = busOptions || name == "--bus" || name.rfind("--mm-", 0) == 0;
    }
    if (dialFaults > 1) {
        error = "choose at most one of --no-dialtone, --busy, --no-carrier";
        return false;
    }
    if (styles > 1) {
        error = "choose at most one of --terse, --capital-s, --unterminated";
        return false;
    }
    if (modemStates > 1) {
        error = "choose at most one of --mm-not-registered, --mm-locked, --mm-disabled";
        return false;
    }
    if (busOptions && !options.modemManager) {
        error = "--bus and the --mm- options need --modem-manager";
        return false;
    }
    return true;
}

std::string SimOptions::usage() {
    return R"(Usage: smscsim [OPTION]...
A message-centre simulator: a Hayes modem on a pseudo-terminal, with a TAP
message centre behind it. Prints the pseudo-terminal's path as the first line
on standard output; a client closing the port hangs up, and the next open is
served again.

  --link PATH          also make PATH a symbolic link to the pseudo-terminal
                       (an existing link is replaced; removed again at exit)
  --record FILE        append each accepted message to FILE as one line:
                       number TAB text LF
  --transcript FILE    write the bytes both ways to FILE, control bytes as <NAME>
  --lifetime SECONDS   stop after SECONDS (default 3600)
  --forever            run until stopped by a signal (INT, TERM, HUP)
  --delay MS           wait MS milliseconds before every answer (default 0)
  --guard MS           guard time around "+++" (default 1000)
  --connect-delay S    a dial connects S seconds after ATD (default 0); any
                       byte sent meanwhile ends the dial with NO CARRIER

Faults:
  --no-dialtone        answer dials with NO DIALTONE
  --busy               answer dials with BUSY
  --no-carrier         answer dials with NO CARRIER
  --faulty-dials N     the dial fault hits only the first N dials (default: all)
  --silent-modem       the modem answers nothing at all, not even an echo
  --garbage            line noise comes before every answer
  --no-id              the message centre never prompts with ID=
  --no-go-ahead        the log-on gets its banner but never the go-ahead
  --reject-every N     answer every Nth good block with "Message send failed"
  --terse              accept blocks with "211" and ACK only
  --capital-s          accept blocks with "Message Sent Successfully" and ACK
  --unterminated       accept blocks with "Transmission successful" alone: no
                       CR, ACK, CR after it
  --silent-after N     after N accepted messages, answer no further block
  --drop-after N       drop the line right after the Nth accepted message
  --nak-number DIGITS  ask for every block to DIGITS again (NAK), for ever

ModemManager (instead of the pseudo-terminal):
  --modem-manager      play ModemManager on the system bus with one modem; its
                       object path is the first line on standard output.
                       --record, --lifetime and --forever work as above
  --bus ADDRESS        the bus to use instead (default: the system bus, or
                       DBUS_SYSTEM_BUS_ADDRESS when set)
  --mm-not-registered  the modem searches for a network and never registers
  --mm-locked          the modem's SIM wants its PIN
  --mm-disabled        the modem is disabled
  --mm-reject-every N  every Nth send fails with the error
                       org.freedesktop.ModemManager1.Error.Message.NetworkTimeout
  --mm-send-delay MS   every send takes MS milliseconds (default 0)
  --mm-remove-after N  the modem goes away during the Nth send, which fails
  --mm-report-after S  a delivery report comes S seconds after each message
                       sent with a report asked for (default 1)
  --mm-no-report       no delivery report ever comes
  --help               show this text
)";
}
