// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/wayland/ToplevelCloser.h"
#include "platform/wayland/WaylandApplication.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace drowsel {

// The applications of a Wayland workspace, each the group of toplevels that
// share a key. An application keeps its object while any of its toplevels
// remains; one whose last toplevel closed is marked gone, and a later one
// with the same key gets a new object.
template <class Key> class WaylandApplications {
public:
    explicit WaylandApplications(std::weak_ptr<const ToplevelCloser> closer) : closer(std::move(closer)) {}
    ~WaylandApplications() { markAllGone(); }

    // groups: each key's toplevels (objects with an id); factsOf(key, members)
    // gives the application's facts.
    template <class Member, class FactsOf>
    void rebuild(const std::map<Key, std::vector<const Member*>>& groups, FactsOf factsOf) {
        std::map<Key, std::shared_ptr<WaylandApplication>> current;
        owners.clear();
        for (const auto& [key, members] : groups) {
            const auto known = applications.find(key);
            auto application =
                known != applications.end() ? known->second : std::make_shared<WaylandApplication>(closer);
            application->update(factsOf(key, members));
            for (const auto* member : members) {
                owners[member->id] = application;
            }
            current.emplace(key, std::move(application));
        }
        for (const auto& [key, application] : applications) {
            if (!current.contains(key)) {
                application->markGone();
            }
        }
        applications = std::move(current);
    }

    const std::map<Key, std::shared_ptr<WaylandApplication>>& all() const { return applications; }

    // Null for a toplevel not grouped yet.
    std::shared_ptr<WaylandApplication> ownerOf(std::uint64_t toplevel) const {
        const auto owner = owners.find(toplevel);
        return owner == owners.end() ? nullptr : owner->second;
    }

    // The workspace closes: handles that outlive it read the last facts.
    void markAllGone() {
        for (const auto& [key, application] : applications) {
            application->markGone();
        }
    }

private:
    std::weak_ptr<const ToplevelCloser> closer;
    std::map<Key, std::shared_ptr<WaylandApplication>> applications;
    std::map<std::uint64_t, std::shared_ptr<WaylandApplication>> owners;
};

} // namespace drowsel
