#include "interchange/export_engine.h"

#include "interchange/declaration_format.h"
#include "db/declaration_kind.h"
#include "interchange/read_back_check.h"
#include "interchange/record_writer.h"
#include "common/whole_file_writer.h"
#include "db/export_record.h"
#include "db/write_transaction.h"

#include <QSqlDatabase>
#include <algorithm>
#include <optional>

#include <QScopeGuard>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

using Outcome = ExportEngine::Outcome;
using Message = ExportEngine::Message;

QString cleanDirectory(const QString &directory)
{
    return directory.isEmpty() ? QStringLiteral(".") : QDir::cleanPath(directory);
}

QString describeRow(const DeclarationKind &kind, const QVariantList &values)
{
    QStringList parts;
    for (int i = 0; i < kind.fields().size(); ++i)
        parts.append(kind.fields().at(i).name + u'=' + values.at(i).toString());
    return parts.join(QStringLiteral(", "));
}

// The lines of one kind for the period, rendered completely before anything is
// written, and the rows they came from (for the read-back). Returns false with
// *detail when the statement fails or a row does not fit.
bool renderKind(const ExportEngine::Request &request, const DeclarationKind &kind,
                QByteArray *content, QList<QVariantList> *rows, QString *detail)
{
    QSqlDatabase db = QSqlDatabase::database(request.connectionName, false);
    if (!db.isOpen()) {
        *detail = QStringLiteral("資料庫連線 %1 未開啟").arg(request.connectionName);
        return false;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(kind.exportStatement())) {
        *detail = query.lastError().text();
        return false;
    }
    query.bindValue(QStringLiteral(":paramM_YEAR"), request.period.year);
    query.bindValue(QStringLiteral(":paramM_MONTH"), request.period.month);
    if (!query.exec()) {
        *detail = query.lastError().text();
        return false;
    }

    const QSqlRecord record = query.record();
    QList<int> columns;
    for (const DeclarationField &f : kind.fields()) {
        const int c = record.indexOf(f.name);
        if (c < 0) {
            *detail = QStringLiteral("%1 缺少欄位 %2").arg(kind.table(), f.name);
            return false;
        }
        columns.append(c);
    }

    const RecordWriter writer(kind);
    const int lineSize = kind.recordLength() + 2;
    int n = 0;
    while (query.next()) {
        ++n;
        // A list of its own for each row, moved into *rows: refilling one list
        // would copy it for every row kept.
        QVariantList values;
        values.reserve(columns.size());
        for (int i = 0; i < columns.size(); ++i)
            values.append(query.value(columns.at(i)));
        if (content->size() + lineSize > content->capacity())
            content->reserve(std::max<qsizetype>(lineSize * 64, content->capacity() * 2));
        const RecordWriter::Result line = writer.appendTo(*content, values);
        if (!line.ok()) {
            *detail = QStringLiteral("第 %1 筆資料 (%2)\n%3: %4")
                          .arg(n)
                          .arg(describeRow(kind, values), line.field, line.error);
            return false;
        }
        content->append("\r\n", 2);
        rows->append(std::move(values));
    }
    if (query.lastError().isValid()) {
        *detail = query.lastError().text();
        return false;
    }
    return true;
}

// Removes entry + ".TXT" and entry + ".SCH" left by an interrupted import; the
// names are compared without regard to case.
void removeLeftovers(const QString &directory, const QString &baseName)
{
    const QString txt = baseName + QStringLiteral(".TXT");
    const QString sch = baseName + QStringLiteral(".SCH");
    const QDir dir(directory);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString &name : names) {
        if (name.compare(txt, Qt::CaseInsensitive) == 0 || name.compare(sch, Qt::CaseInsensitive) == 0)
            QFile::remove(dir.filePath(name));
    }
}

} // namespace

ExportEngine::KindResult ExportEngine::Result::of(const DeclarationKind &kind) const
{
    return kinds.value(kind.id());
}

QString ExportEngine::completedMessage() { return QStringLiteral("匯出作業完成!!!"); }

QString ExportEngine::nothingChosenMessage() { return QStringLiteral("沒有選擇任何欲傳送的資料 !!!"); }

QString ExportEngine::overwriteQuestion(const QString &entryPath)
{
    return entryPath + QStringLiteral("  檔案已存在是否確定覆蓋!!!");
}

QString ExportEngine::writtenFileLine(const KindResult &written)
{
    return QStringLiteral("%1  %2 筆  SHA-256 %3").arg(written.entryPath).arg(written.lines).arg(written.fingerprint);
}

QString ExportEngine::entryPath(const QString &directory, const DeclarationKind &kind,
                                const QString &institutionCode, const Period &period)
{
    return DeclarationFormat::entryPath(cleanDirectory(directory),
                                        DeclarationFormat::baseName(kind, institutionCode, period));
}

QString ExportEngine::recordFailedMessage(const QString &reason)
{
    return QStringLiteral("匯出紀錄無法存入資料庫: %1").arg(reason);
}

ExportEngine::Result ExportEngine::run(const Request &request)
{
    Result result;
    auto report = [&](const Message &m) {
        if (request.report)
            request.report(m);
    };

    if (request.kinds.isEmpty()) {
        report({Message::Icon::Warning, nothingChosenMessage(), {}, nullptr, Outcome::NotProcessed, {}});
        return result;
    }

    const QString directory = cleanDirectory(request.directory);
    // What an export killed midway left in this folder.
    WholeFileWriter::removeStale(directory);
    // Each file is synced as it is written; the folder, which makes their
    // renames durable, once when the run ends, however it ends.
    bool renamed = false;
    const auto syncFolder = qScopeGuard([&] {
        if (renamed)
            WholeFileWriter::syncFolder(directory);
    });
    for (const DeclarationKind *kind : DeclarationKind::exportOrder()) {
        if (!request.kinds.contains(kind))
            continue;
        const QString baseName = DeclarationFormat::baseName(*kind, request.institutionCode, request.period);
        const QString entry = DeclarationFormat::entryPath(directory, baseName);
        KindResult &kr = result.kinds[kind->id()];
        kr.entryPath = entry;

        auto fail = [&](const QString &detail) {
            kr.outcome = Outcome::Failed;
            result.failed = true;
            report({Message::Icon::Warning, kind->writingFailedMessage(), detail, kind, Outcome::Failed, entry});
        };

        QByteArray content;
        QList<QVariantList> rows;
        QString detail;
        if (!renderKind(request, *kind, &content, &rows, &detail)) {
            fail(detail);
            return result;
        }
        kr.lines = int(rows.size());

        if (kr.lines == 0) {
            kr.outcome = Outcome::NoRows;
            report({Message::Icon::None, kind->noRowsMessage(), {}, kind, Outcome::NoRows, entry});
        } else if (QFileInfo(entry).exists()
                   && !(request.confirmOverwrite && request.confirmOverwrite(entry))) {
            kr.outcome = Outcome::Kept;
        } else {
            ReadBackCheck readBack(*kind, baseName, rows, content);
            // The file's record is written in the step that makes it final: in
            // a transaction begun once the file reads back, kept only if the
            // rename happened. A record that cannot be written stops the file
            // before it takes the name, so no file is final without its record.
            ExportRecord record{0, baseName, QFileInfo(directory).absoluteFilePath(), kind->code(), request.institutionCode,
                                request.period.year, request.period.month, kr.lines, {}, {}, {}};
            std::optional<WriteTransaction> recording;
            const auto check = [&](const QString &written, QString *reason) {
                if (request.beforeReadBack)
                    request.beforeReadBack(written);
                if (!readBack.check(written, reason))
                    return false;
                record.sha256 = readBack.fingerprint();
                recording.emplace(QSqlDatabase::database(request.connectionName, false));
                QString why = recording->error();
                if (recording->isActive() && record.write(request.connectionName, &why))
                    return true;
                *reason = recordFailedMessage(why);
                return false;
            };
            if (!WholeFileWriter::write(entry, content, &detail, check, WholeFileWriter::FolderSync::Later)) {
                if (recording)
                    recording->rollback();
                fail(detail);
                return result;
            }
            renamed = true;
            // The rename cannot be taken back (an older file of the name is
            // gone): the file stays, and the export says its record is missing.
            if (!recording->commit()) {
                kr.fingerprint = readBack.fingerprint();
                fail(recordFailedMessage(recording->error()));
                return result;
            }
            kr.outcome = Outcome::Written;
            kr.fingerprint = readBack.fingerprint();
            result.anyWritten = true;
        }
        removeLeftovers(directory, baseName);
    }

    if (result.anyWritten) {
        QStringList written;
        for (const DeclarationKind *kind : DeclarationKind::exportOrder()) {
            const KindResult k = result.of(*kind);
            if (k.outcome == Outcome::Written)
                written << writtenFileLine(k);
        }
        report({Message::Icon::Information, completedMessage(), written.join(u'\n'), nullptr,
                Outcome::NotProcessed, {}});
    }
    return result;
}
