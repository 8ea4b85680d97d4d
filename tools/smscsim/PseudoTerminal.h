#pragma once

#include <string>
#include <vector>

// The master side of a pseudo-terminal whose slave a client opens like a
// serial port. The master stays open for the whole run, so the slave path
// stays valid across any number of opens and closes by clients.
//
// Opens and closes of the slave are learnt from the kernel's file notices, in
// order, so a close followed at once by a new open is still two events. The
// simulator then holds a slave descriptor of its own, which keeps the master
// from reporting hang-ups. Where notices are not available it falls back to
// the master's hang-up state (POLLHUP, EIO) and looks for new clients now and
// then.
class PseudoTerminal {
public:
    enum class Io { Ok, WouldBlock, HungUp };
    enum class Notice { Opened, Closed };

    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    bool open(std::string& error);
    const std::string& slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Readable when clients opened or closed the slave; -1 in the fallback.
    int noticeFd() const { return m_watch; }
    std::vector<Notice> takeNotices();
    // Fallback only: whether a client has the slave open (or left bytes).
    bool clientPresent() const;

    // Non-blocking: appends what arrived to `into`.
    Io read(std::string& into);
    // Non-blocking: removes from `bytes` what was written.
    Io write(std::string& bytes);
    // After a client has gone: what we sent that it never read must not greet
    // the next one.
    void discardStale();

private:
    int m_master = -1;
    int m_ownSlave = -1;
    int m_watch = -1;
    std::string m_slavePath;
};
