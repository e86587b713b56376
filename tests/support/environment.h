#pragma once

// An environment variable set (or unset) for one scope and put back as it was, whichever
// way the scope is left, so that a failing assertion cannot leak it into later tests.

#include <QByteArray>
#include <QString>
#include <optional>

namespace testsupport {

class ScopedEnv {
public:
    // Sets name to value for the scope; with no value, unsets it.
    explicit ScopedEnv(const char* name, const std::optional<QString>& value = std::nullopt)
        : name_(name) {
        if (qEnvironmentVariableIsSet(name))
            old_ = qgetenv(name);
        if (value)
            qputenv(name, value->toLocal8Bit());
        else
            qunsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            qputenv(name_.constData(), *old_);
        else
            qunsetenv(name_.constData());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray name_;
    std::optional<QByteArray> old_;
};

} // namespace testsupport
