#include "db/reference_data.h"

#include "common/small_int.h"
#include "common/big5_text.h"
#include "db/schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>

namespace {

QString lineError(const QString &file, int line, const QString &text)
{
    return QStringLiteral("參考資料檔 %1 第 %2 行: %3").arg(file).arg(line).arg(text);
}

// Converts one cell to the value bound for its field; false with *why on bad input.
bool convertCell(const FieldDef &field, const QString &cell, QVariant *out, QString *why)
{
    switch (field.type) {
    case FieldType::Text:
        if (!Big5Text::canEncode(cell)) {
            *why = QStringLiteral("欄位 %1 含有 Big5 無法表示的字元").arg(field.name);
            return false;
        }
        if (!Big5Text::fits(cell, field.width)) {
            *why = QStringLiteral("欄位 %1 超過 %2 個位元組: %3").arg(field.name).arg(field.width).arg(cell);
            return false;
        }
        *out = cell;
        return true;
    case FieldType::SmallInt: {
        if (cell.isEmpty()) {
            *out = QVariant(QMetaType::fromType<int>());
            return true;
        }
        bool ok = false;
        const int v = cell.trimmed().toInt(&ok);
        if (!ok || !SmallInt::contains(v)) {
            *why = QStringLiteral("欄位 %1 不是整數: %2").arg(field.name, cell);
            return false;
        }
        *out = v;
        return true;
    }
    case FieldType::Float: {
        if (cell.isEmpty()) {
            *out = QVariant(QMetaType::fromType<double>());
            return true;
        }
        bool ok = false;
        const double v = cell.trimmed().toDouble(&ok);
        if (!ok) {
            *why = QStringLiteral("欄位 %1 不是數值: %2").arg(field.name, cell);
            return false;
        }
        *out = v;
        return true;
    }
    case FieldType::Date: {
        if (cell.isEmpty()) {
            *out = QVariant(QMetaType::fromType<QString>());
            return true;
        }
        const QDate d = QDate::fromString(cell.trimmed(), QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid()) {
            *why = QStringLiteral("欄位 %1 不是日期 (yyyy-MM-dd): %2").arg(field.name, cell);
            return false;
        }
        *out = d.toString(Qt::ISODate);
        return true;
    }
    }
    return false;
}

bool loadTable(QSqlDatabase db, const TableDef &table, const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("無法讀取參考資料檔 %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString content = decoder(bytes);
    if (decoder.hasError()) {
        *error = QStringLiteral("參考資料檔 %1 不是 UTF-8 文字").arg(path);
        return false;
    }
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);

    const QStringList lines = content.split(u'\n');
    QList<const FieldDef *> columns;
    QSqlQuery insert(db);
    int lineNo = 0;
    for (QString line : lines) {
        ++lineNo;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'#') || line.trimmed().isEmpty())
            continue;
        const QStringList cells = line.split(u'\t');
        if (columns.isEmpty()) {
            QStringList names;
            for (const QString &cell : cells) {
                const QString name = cell.trimmed();
                const FieldDef *f = table.field(name);
                if (!f) {
                    *error = lineError(path, lineNo, QStringLiteral("資料表 %1 沒有欄位 %2").arg(table.name, name));
                    return false;
                }
                if (columns.contains(f)) {
                    *error = lineError(path, lineNo, QStringLiteral("欄位 %1 重複").arg(name));
                    return false;
                }
                columns << f;
                names << f->name;
            }
            const QString sql = QStringLiteral("insert into %1 (%2) values (%3)")
                                    .arg(table.name, names.join(QStringLiteral(", ")),
                                         QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
            if (!insert.prepare(sql)) {
                *error = QStringLiteral("參考資料檔 %1: %2").arg(path, insert.lastError().text());
                return false;
            }
            continue;
        }
        if (cells.size() != columns.size()) {
            *error = lineError(path, lineNo, QStringLiteral("應有 %1 欄, 實有 %2 欄").arg(columns.size()).arg(cells.size()));
            return false;
        }
        for (int i = 0; i < cells.size(); ++i) {
            QVariant value;
            QString why;
            if (!convertCell(*columns.at(i), cells.at(i), &value, &why)) {
                *error = lineError(path, lineNo, why);
                return false;
            }
            insert.bindValue(i, value);
        }
        if (!insert.exec()) {
            const QSqlError e = insert.lastError();
            *error = lineError(path, lineNo, e.databaseText().isEmpty() ? e.text() : e.databaseText());
            return false;
        }
    }
    return true;
}

} // namespace

namespace ReferenceData {

bool load(QSqlDatabase db, QString *error)
{
    return load(db, QStringLiteral(":/data"), error);
}

bool load(QSqlDatabase db, const QString &folder, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    const QDir dir(folder);
    for (const TableDef &table : Schema::tables()) {
        const QString path = dir.filePath(table.name + QStringLiteral(".tsv"));
        if (!QFile::exists(path))
            continue;
        if (!loadTable(db, table, path, error))
            return false;
    }
    return true;
}

} // namespace ReferenceData
