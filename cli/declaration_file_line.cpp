#include "cli/declaration_file_line.h"

#include "db/declaration_kind.h"
#include "interchange/declaration_format.h"

#include <QFileInfo>

namespace DeclarationFileLine {

QString of(const QString &path, const DeclarationKind &kind, int records, const QString &fingerprint)
{
    // The institution part of the name, read as the institution field is.
    const QString baseName = QFileInfo(path).completeBaseName();
    const QString institution = DeclarationFormat::readInstitutionCode(baseName.mid(3, 7));
    const auto period = DeclarationFormat::periodFromBaseName(baseName);
    const QString periodText = period ? period->yearText() + u'/' + period->monthText() : QStringLiteral("-");
    return QStringList{path, kind.code(), institution, periodText, QString::number(records), fingerprint}.join(u'\t');
}

} // namespace DeclarationFileLine
