#include "interchange/schema_file.h"

#include "interchange/declaration_format.h"
#include "db/declaration_kind.h"
#include "interchange/text_lines.h"

#include <QSet>

namespace SchemaFile {

QByteArray text(const QString &baseName, const DeclarationKind &kind)
{
    QByteArray out;
    out += '[' + baseName.toLatin1() + "]\r\n";
    out += "FILETYPE=FIXED\r\n";
    out += "CHARSET=ASCII\r\n";
    int n = 0;
    for (const DeclarationField &f : kind.fields()) {
        out += QStringLiteral("FIELD%1=%2,CHAR,%3,00,%4\r\n")
                   .arg(++n)
                   .arg(f.name, f.schemaWidth)
                   .arg(f.offset, 2, 10, QChar(u'0'))
                   .toLatin1();
    }
    return out;
}

namespace {

std::optional<int> wholeNumber(QByteArrayView text)
{
    return DeclarationFormat::readInteger(QString::fromLatin1(text.trimmed()));
}

} // namespace

std::optional<QList<FieldLayout>> parse(QByteArrayView text, const DeclarationKind &kind, QString *error)
{
    auto refuse = [&](int lineNo, const QString &why) -> std::optional<QList<FieldLayout>> {
        if (error)
            *error = lineNo > 0 ? QStringLiteral("結構檔第 %1 行: %2").arg(lineNo).arg(why)
                                : QStringLiteral("結構檔: %1").arg(why);
        return std::nullopt;
    };

    QList<QByteArrayView> lines = TextLines::split(text);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();

    if (lines.size() < 3)
        return refuse(0, QStringLiteral("內容不完整"));
    if (!lines.at(0).startsWith('[') || !lines.at(0).endsWith(']') || lines.at(0).size() < 3)
        return refuse(1, QStringLiteral("應為 [檔名]"));
    if (lines.at(1).trimmed() != "FILETYPE=FIXED")
        return refuse(2, QStringLiteral("應為 FILETYPE=FIXED"));
    if (lines.at(2).trimmed() != "CHARSET=ASCII")
        return refuse(3, QStringLiteral("應為 CHARSET=ASCII"));

    QList<FieldLayout> layout;
    QSet<int> seen;
    for (int i = 3; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QByteArrayView line = lines.at(i).trimmed();
        const QByteArray expected = "FIELD" + QByteArray::number(layout.size() + 1) + '=';
        if (!line.startsWith(expected))
            return refuse(lineNo, QStringLiteral("應為 %1...").arg(QString::fromLatin1(expected)));
        const QList<QByteArray> parts = line.sliced(expected.size()).toByteArray().split(',');
        if (parts.size() != 5)
            return refuse(lineNo, QStringLiteral("應為 名稱,CHAR,寬度,小數位數,位置"));
        const QString name = QString::fromLatin1(parts.at(0).trimmed());
        const int index = kind.fieldIndex(name);
        if (index < 0)
            return refuse(lineNo, QStringLiteral("%1 不是 %2 的欄位").arg(name, kind.code()));
        if (seen.contains(index))
            return refuse(lineNo, QStringLiteral("%1 重複").arg(name));
        if (parts.at(1).trimmed() != "CHAR")
            return refuse(lineNo, QStringLiteral("型態應為 CHAR"));
        const auto width = wholeNumber(parts.at(2));
        const auto decimals = wholeNumber(parts.at(3));
        const auto offset = wholeNumber(parts.at(4));
        if (!width || *width < 1 || *width > 1000)
            return refuse(lineNo, QStringLiteral("寬度錯誤"));
        if (!decimals)
            return refuse(lineNo, QStringLiteral("小數位數錯誤"));
        if (!offset || *offset > 100000)
            return refuse(lineNo, QStringLiteral("位置錯誤"));
        seen.insert(index);
        layout.append({kind.fields().at(index).name, *offset, *width});
    }
    for (const DeclarationField &f : kind.fields()) {
        if (!seen.contains(kind.fieldIndex(f.name)))
            return refuse(0, QStringLiteral("缺少欄位 %1").arg(f.name));
    }
    return layout;
}

} // namespace SchemaFile
