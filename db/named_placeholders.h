#pragma once

#include <QString>
#include <QStringList>

// The named parameters of a statement (":BANK_CODE"), each once, in order of
// first use, without the colon. The rules are those of the SQL driver's own
// scan: ":" followed by letters, digits or "_", not after another ":", and not
// inside '...', "...", `...` or [...]. A statement binds exactly these, so a
// parameter it does not name is never bound.
namespace NamedPlaceholders {

QStringList in(const QString &sql);

} // namespace NamedPlaceholders
