#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The named parameters of a statement (":BANK_CODE"), each once, in order of
// first use, without the colon. The rules are those of the SQL driver's own
// scan: ":" followed by letters, digits or "_", not after another ":", and not
// inside '...', "...", `...` or [...]. A statement binds exactly these, so a
// parameter it does not name is never bound.
namespace NamedPlaceholders {

QStringList in(const QString &sql);

// The statement with each placeholder replaced by what `literal` gives for its
// name (the same scan as in()).
QString replaced(const QString &sql, const std::function<QString(const QString &name)> &literal);

} // namespace NamedPlaceholders
