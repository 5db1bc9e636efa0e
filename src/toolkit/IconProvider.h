// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace drowsel {

// Finds the icon to show for an application, given its bundle location (the
// path of its desktop entry or executable, "" when it has none). Always gives
// an icon: a generic application icon when nothing better is known.
class IconProvider {
public:
    virtual ~IconProvider() = default;

    virtual QIcon iconForFile(const QString& path) const = 0;
};

} // namespace drowsel
