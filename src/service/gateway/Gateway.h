#pragma once

#include "Dispatcher.h"
#include "ServiceOptions.h"
#include "Store.h"
#include "gateway/BrindleLine.h"

#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The service's lines and the thread that keeps them busy: a round every
// quarter second, each line's outcomes read back and the stored messages
// handed on.
class Gateway {
public:
    static constexpr int kRoundMs = 250;
    static inline const std::string kNotCarriable = "cannot be sent by SMS";

    // Nothing, with the reason in `error`, when a folder is no line.
    static std::unique_ptr<Gateway> open(Store& store, const ServiceOptions& options,
                                         std::FILE* log, std::string& error);
    ~Gateway();
    void start();
    void stop();

private:
    Gateway(Store& store, const ServiceOptions& options, std::FILE* log);
    void loop();

    Store& m_store;
    std::FILE* m_log;
    std::vector<std::unique_ptr<BrindleLine>> m_lines;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
};
