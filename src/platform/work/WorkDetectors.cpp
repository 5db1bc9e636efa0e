// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/work/WorkDetectors.h"

#include "platform/work/ApplicationProcesses.h"

#include <chrono>

namespace drowsel {

namespace {

// A sweep asks about its applications within the same instant; a table this
// young is still the sweep's.
constexpr double tableLifetimeSeconds = 1;
// Long enough for the sound server's first answer.
constexpr auto startLineDelay = std::chrono::seconds(3);

} // namespace

WorkDetectors::WorkDetectors(Logger log, const Clock& clock)
    : log(log), clock(clock), sound(log), inhibitors(log, clock), terminals(log) {
    startLine.setSingleShot(true);
    startLine.callOnTimeout([this] { logWhatRuns(); });
    startLine.start(startLineDelay);
}

void WorkDetectors::logWhatRuns() {
    log.info(std::string("Sparing applications at work: sound ") + (sound.isConnected() ? "followed" : "not found") +
             ", inhibitors " + (inhibitors.isAvailable() ? "followed" : "not found (no logind)") +
             ", terminals followed");
}

// Cheapest first: the sound is known already and the terminals need only the
// table; the inhibitors may cost a call to logind.
std::optional<Work> WorkDetectors::workOf(const ApplicationHandle& application) {
    const auto processes = ApplicationProcesses::of(*application, processTable());
    if (processes.all.empty()) {
        return std::nullopt;
    }
    if (const auto kind = sound.soundOf(processes.all)) {
        return Work{*kind, {}};
    }
    if (terminals.anyRunning(processTable(), processes)) {
        return Work{Work::Kind::runningCommand, {}};
    }
    if (auto why = inhibitors.inhibitorWhy(processes.all)) {
        return Work{Work::Kind::keepingAwake, std::move(*why)};
    }
    return std::nullopt;
}

const ProcessTable& WorkDetectors::processTable() {
    const Date now = clock.now();
    if (!table || now - tableReadAt >= tableLifetimeSeconds || now < tableReadAt) {
        table = ProcessTable::read(log);
        tableReadAt = now;
    }
    return *table;
}

} // namespace drowsel
