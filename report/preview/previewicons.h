#pragma once

// Small drawn icons for the preview's toolbar, one per button caption, so
// the toolbar looks the same on every platform and style.

#include <QIcon>
#include <QString>

namespace tarel::report {

// The icon of a toolbar button by its caption ("Print", "Two Pages", ...);
// an unknown caption gets its first letters.
QIcon previewIcon(const QString &caption);

} // namespace tarel::report
