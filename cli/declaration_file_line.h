#pragma once

#include <QString>

class DeclarationKind;

// The line that names a declaration file and what it holds, as `export` prints
// it for each file written and `verify` for each well-formed file, so that the
// two can be compared later (diff): tab-separated path, kind code, institution
// and period as the name gives them ("ABC", "088/05"), records, SHA-256.
//
//   /out/B01ABC000008805<TAB>B01<TAB>ABC<TAB>088/05<TAB>3<TAB>9f86d081...
namespace DeclarationFileLine {

QString of(const QString &path, const DeclarationKind &kind, int records, const QString &fingerprint);

} // namespace DeclarationFileLine
