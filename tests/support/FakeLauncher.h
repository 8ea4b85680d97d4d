#pragma once

#include "client/outbox/BrindleLauncher.h"

#include <QStringList>
#include <functional>

// Records every start of the operator module instead of starting it; a
// problem or an error can be set to make the start fail, `endsAtOnce` to make
// the started process end at once, saying `words`.
struct FakeLauncher : BrindleLauncher {
    QString startProblem(const QString&) const override {
        ++checks;
        return problem;
    }
    bool start(const QString& program, const QString& dir, QString& error) override {
        starts << program + " in " + dir;
        if (!startError.isEmpty()) {
            error = startError;
            return false;
        }
        alive = !endsAtOnce;
        if (onStart)
            onStart();
        return true;
    }
    QString lastWords() const override { return words; }
    bool endsAtOnce = false;
    std::function<void()> onStart;
    QString words;
    mutable int checks = 0;
    QString problem, startError;
    bool running() const override { return alive; }
    void terminate() override {
        ++terminated;
        alive = false;
    }
    QStringList starts;
    bool alive = false;
    int terminated = 0;
};
