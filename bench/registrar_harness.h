#pragma once

// What the registrar benchmarks share: six fixture registries on loopback, the
// real varnex-registrar started against them, and waiting without blocking the
// fixtures (they answer from this process's event loop).

#include "support/http_server.h"

#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace varnex::bench {

using Clock = std::chrono::steady_clock;

// Runs the event loop until `done` or the time is up; returns done().
bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit);

// A "VmRSS:" or "VmHWM:" figure of a process in kB, or -1 when it cannot be read.
long long procStatusKb(qint64 pid, const QByteArray &field);

// One registry per ending, each answering every lookup after `delay`: 404 for a
// name with "free" in it, otherwise a registered domain.
class FixtureRegistries final {
public:
    explicit FixtureRegistries(std::chrono::milliseconds delay);

    bool listening() const;
    long long lookups() const;
    int mostAtOnce() const; // the most lookups one registry had in flight
    QByteArray bootstrapJson() const;

private:
    std::vector<std::unique_ptr<test::HttpServer>> m_registries;
};

// varnex-registrar on a free loopback port, asking the fixtures; stopped when destroyed.
class Registrar final {
public:
    explicit Registrar(const FixtureRegistries &registries);
    explicit Registrar(QByteArray bootstrapJson);
    ~Registrar();

    // Starts it and waits until it accepts connections; false and `error` set otherwise.
    bool start(QString *error, const QStringList &extraArguments = {});
    void stop();
    QString origin() const; // http://127.0.0.1:PORT
    qint64 pid() const { return m_process.processId(); }

private:
    QTemporaryDir m_folder;
    QByteArray m_bootstrap;
    quint16 m_port = 0;
    QProcess m_process;
};

// Ends a process that may still run: terminate, then kill.
void stopProcess(QProcess &process);

// Stops wrk and the registrar when a run fails, and gives up (exit 1) if the
// run is still going after `limit`: nothing a benchmark starts may run on.
class Teardown final {
public:
    Teardown(Registrar &registrar, QProcess &wrk, std::chrono::seconds limit);

    void stop();
    // Says why, stops everything, and returns the exit code for main().
    int fail(const QString &why);

private:
    Registrar &m_registrar;
    QProcess &m_wrk;
};

} // namespace varnex::bench
