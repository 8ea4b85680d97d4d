#include "gateway/Gateway.h"

#include "Form.h"
#include "LocalTime.h"

#include <chrono>
#include <ctime>

Gateway::Gateway(Store& store, const ServiceOptions&, std::FILE* log)
    : m_store(store), m_log(log) {}

std::unique_ptr<Gateway> Gateway::open(Store& store, const ServiceOptions& options, std::FILE* log,
                                       std::string& error) {
    std::unique_ptr<Gateway> gateway(new Gateway(store, options, log));
    std::vector<Line*> lines;
    for (const std::string& dir : options.lines) {
        auto line = std::make_unique<BrindleLine>(dir);
        if (const std::string problem = line->problem(); !problem.empty()) {
            error = "--line " + dir + ": " + problem;
            return nullptr;
        }
        for (const auto& other : gateway->m_lines)
            if (other->appPath() == line->appPath()) {
                error = "--line " + dir + ": the same installation as " + other->name();
                return nullptr;
            }
        lines.push_back(line.get());
        gateway->m_lines.push_back(std::move(line));
    }
    // Stored before the service had lines: what no line can carry fails now.
    const long long refused = store.failStored(
        [&](const std::string& text) {
            return carriableBySms(text, size_t(options.maxCharacters));
        },
        kNotCarriable, localTimeText(std::time(nullptr)));
    if (refused > 0 && log)
        std::fprintf(log, "quorvel-service: %lld stored message(s) %s: failed\n", refused,
                     kNotCarriable.c_str());
    gateway->m_dispatcher = std::make_unique<Dispatcher>(
        store, lines,
        Dispatcher::Options{options.lineFailures, options.lineRestSeconds, options.node,
                            options.leaseSeconds},
        log, [] { return std::time(nullptr); });
    return gateway;
}

Gateway::~Gateway() {
    stop();
}

void Gateway::start() {
    m_thread = std::thread([this] { loop(); });
}

void Gateway::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void Gateway::loop() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        lock.unlock();
        try {
            m_dispatcher->tick();
        } catch (const std::exception& e) {
            // The database or a file failed this round; the next tries again.
            if (m_log)
                std::fprintf(m_log, "quorvel-service: gateway: %s\n", e.what());
        }
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(kRoundMs), [this] { return m_stopping; });
    }
}
