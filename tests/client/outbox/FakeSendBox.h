#pragma once

#include "client/outbox/QueueModes.h"

// The Send box for the delivery and queue-mode logic: answers from its
// fields, keeps what it is told and logs it, in order.
struct FakeSendBox : QueueControls {
    void setConfigureEnabled(bool e) override {
        configure = e;
        log += e ? "configure+ " : "configure- ";
    }
    void startPoll() override { poll = true, log += "poll+ "; }
    void stopPoll() override { poll = false, log += "poll- "; }
    bool pollRunning() const override { return poll; }
    bool queueMode() const override { return queue; }
    void stopBlinking() override { ++blinkStops; }
    void setQueueMode(bool q) override { log += q ? "queue " : "immediate "; }
    void setSendQueueEnabled(bool e) override { log += e ? "sendQueue+ " : "sendQueue- "; }
    void focusQueueMode() override { log += "focusQueue "; }
    bool blinking() const override { return blink; }
    void setBlinking(bool on) override { log += (blink = on) ? "blink+ " : "blink- "; }
    void showSendQueue(bool caption, bool bold) override {
        log += !caption ? "'' " : bold ? "BOLD " : "plain ";
    }
    QDate date() const override { return day; }
    QTime time() const override { return at; }
    void setTime(const QTime& t) override { log += t.toString("HH:mm "); }
    void focusTime() override { log += "focusTime "; }
    bool queue = true, poll = false, blink = false, configure = false;
    int blinkStops = 0;
    QDate day{2026, 12, 5};
    QTime at{0, 0};
    QString log;
};
