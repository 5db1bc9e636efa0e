// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/QuitRecord.h"

#include <utility>
#include <vector>

namespace drowsel::fakes {

class RecordingQuitRecord : public QuitRecord {
public:
    void add(const ApplicationHandle& application, Date askedAt) override { added.emplace_back(application, askedAt); }

    std::vector<std::pair<ApplicationHandle, Date>> added;
};

} // namespace drowsel::fakes
