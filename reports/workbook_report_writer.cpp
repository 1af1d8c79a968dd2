#include "reports/workbook_report_writer.h"

#include "common/whole_file_writer.h"
#include "reports/sheet_names.h"
#include "reports/workbook_number_format.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace WorkbookReportWriter {

namespace {

// The rows of one sheet: every row, or one group's run of rows.
struct Sheet
{
    QString group;
    QList<const ReportRow *> rows;
};

QList<Sheet> sheetsOf(const ReportDefinition &definition, const QList<ReportRow> &rows)
{
    QList<Sheet> sheets;
    for (const ReportRow &row : rows) {
        if (sheets.isEmpty() || (definition.groupsStartPages && row.group != sheets.last().group))
            sheets.append(Sheet{row.group, {}});
        sheets.last().rows.append(&row);
    }
    if (sheets.isEmpty())
        sheets.append(Sheet{});   // the title block and the headings still stand
    return sheets;
}

// A text without the empty lines a printed cell may end in (the empty second
// line of a short remark).
QString cellText(const QString &text)
{
    QString t = text;
    while (t.endsWith(u'\n'))
        t.chop(1);
    return t;
}

// Fills one workbook; the first failure of the library is kept and ends the work.
class Builder
{
public:
    Builder(lxw_workbook *workbook, const ReportDefinition &definition)
        : m_workbook(workbook), m_def(definition)
    {
        m_title = format();
        format_set_bold(m_title);
        format_set_font_size(m_title, 14);
        format_set_align(m_title, LXW_ALIGN_CENTER);
        m_rightField = format();
        format_set_align(m_rightField, LXW_ALIGN_RIGHT);
        m_heading = format();
        format_set_bold(m_heading);
        format_set_align(m_heading, LXW_ALIGN_CENTER);
        format_set_text_wrap(m_heading);
        format_set_bottom(m_heading, LXW_BORDER_THIN);
        m_wrapped = format();
        format_set_text_wrap(m_wrapped);
        format_set_align(m_wrapped, LXW_ALIGN_VERTICAL_TOP);
    }

    bool addSheet(const QString &name, const Sheet &sheet)
    {
        const QByteArray sheetName = name.toUtf8();
        // SheetNames makes names the library takes; should it refuse one all
        // the same, its reason is the one reported.
        if (failed(workbook_validate_sheet_name(m_workbook, sheetName.constData())))
            return false;
        lxw_worksheet *ws = workbook_add_worksheet(m_workbook, sheetName.constData());
        if (!ws) {
            failed(LXW_ERROR_MEMORY_MALLOC_FAILED);
            return false;
        }
        const auto last = lxw_col_t(std::max<qsizetype>(m_def.columns.size() - 1, 1));
        for (int c = 0; c < m_def.columns.size(); ++c) {
            // A spreadsheet's column is as wide as so many digits of about 1.9 mm.
            check(worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), m_def.columns.at(c).widthMm / 1.9, nullptr));
        }
        lxw_row_t r = 0;
        if (m_def.columns.size() > 1)
            check(worksheet_merge_range(ws, r, 0, r, last, utf8(m_def.title), m_title));
        else
            check(worksheet_write_string(ws, r, 0, utf8(m_def.title), m_title));
        ++r;
        for (qsizetype i = 0; i < m_def.titleFields.size(); i += 2, ++r) {
            check(worksheet_write_string(ws, r, 0, utf8(m_def.titleFields.at(i)), nullptr));
            if (i + 1 < m_def.titleFields.size())
                check(worksheet_write_string(ws, r, last, utf8(m_def.titleFields.at(i + 1)), m_rightField));
        }
        if (m_def.groupsStartPages)
            check(worksheet_write_string(ws, r++, 0, utf8(sheet.group), nullptr));
        ++r;   // an empty row parts the title block from the table
        for (int c = 0; c < m_def.columns.size(); ++c)
            check(worksheet_write_string(ws, r, lxw_col_t(c), utf8(m_def.columns.at(c).heading), m_heading));
        ++r;
        worksheet_freeze_panes(ws, r, 0);
        for (const ReportRow *row : sheet.rows)
            writeRow(ws, r++, *row);
        return m_error == LXW_NO_ERROR;
    }

    lxw_error error() const { return m_error; }

private:
    void writeRow(lxw_worksheet *ws, lxw_row_t r, const ReportRow &row)
    {
        for (int c = 0; c < m_def.columns.size(); ++c) {
            const QVariant figure = row.figures.value(c);
            if (!figure.isNull()) {
                const double value = figure.toDouble();
                check(worksheet_write_number(ws, r, lxw_col_t(c), value,
                                             numberFormat(WorkbookNumberFormat::of(m_def.columns.at(c).picture, value))));
                continue;
            }
            const QString text = cellText(row.cells.value(c));
            if (!text.isEmpty())
                check(worksheet_write_string(ws, r, lxw_col_t(c), utf8(text),
                                             text.contains(u'\n') ? m_wrapped : nullptr));
        }
    }

    lxw_format *format() { return workbook_add_format(m_workbook); }

    // One format object per number format: the workbook keeps them all to its end.
    lxw_format *numberFormat(const QString &code)
    {
        if (code.isEmpty())
            return nullptr;
        auto it = m_numbers.constFind(code);
        if (it != m_numbers.cend())
            return *it;
        lxw_format *f = format();
        format_set_num_format(f, code.toUtf8().constData());
        m_numbers.insert(code, f);
        return f;
    }

    // The library copies every string it is given before the call returns.
    const char *utf8(const QString &text)
    {
        m_buffer = text.toUtf8();
        return m_buffer.constData();
    }

    void check(lxw_error e)
    {
        if (e != LXW_NO_ERROR && m_error == LXW_NO_ERROR)
            m_error = e;
    }

    // True when `e` is a failure, which is kept.
    bool failed(lxw_error e)
    {
        check(e);
        return e != LXW_NO_ERROR;
    }

    lxw_workbook *m_workbook;
    const ReportDefinition &m_def;
    lxw_format *m_title = nullptr;
    lxw_format *m_rightField = nullptr;
    lxw_format *m_heading = nullptr;
    lxw_format *m_wrapped = nullptr;
    QHash<QString, lxw_format *> m_numbers;
    QByteArray m_buffer;
    lxw_error m_error = LXW_NO_ERROR;
};

QString libraryFailure(lxw_error e)
{
    return QStringLiteral("無法產生活頁簿: %1").arg(QString::fromUtf8(lxw_strerror(e)));
}

// The workbook's bytes, made in `folder`; empty and *error on a failure.
QByteArray make(const ReportDefinition &definition, const QList<ReportRow> &rows, const QString &folder,
                QString *error, int *sheets)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/report.xlsx"));
    QByteArray tmpdir = QFile::encodeName(folder);
    lxw_workbook_options options{};
    options.tmpdir = tmpdir.data();   // the library's own temporaries go with the folder
    lxw_workbook *workbook = workbook_new_opt(path.constData(), &options);
    if (!workbook) {
        *error = libraryFailure(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return {};
    }
    QByteArray title = definition.title.toUtf8();
    lxw_doc_properties properties{};
    properties.title = title.data();
    workbook_set_properties(workbook, &properties);

    Builder builder(workbook, definition);
    SheetNames names;
    const QList<Sheet> parts = sheetsOf(definition, rows);
    for (const Sheet &sheet : parts) {
        if (!builder.addSheet(names.take(definition.groupsStartPages ? sheet.group : definition.title), sheet))
            break;
    }
    // Closing writes the file, and frees the workbook whatever happened before.
    const lxw_error closed = workbook_close(workbook);
    const lxw_error failed = builder.error() != LXW_NO_ERROR ? builder.error() : closed;
    if (failed != LXW_NO_ERROR) {
        *error = libraryFailure(failed);
        return {};
    }
    QFile made(QFile::decodeName(path));
    if (!made.open(QIODevice::ReadOnly)) {
        *error = libraryFailure(LXW_ERROR_CREATING_XLSX_FILE);
        return {};
    }
    if (sheets)
        *sheets = int(parts.size());
    return made.readAll();
}

} // namespace

bool write(const ReportDefinition &definition, const QList<ReportRow> &rows, const QString &file, QString *error,
           int *sheets)
{
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        *error = QStringLiteral("無法建立暫存資料夾: %1").arg(folder.errorString());
        return false;
    }
    const QByteArray bytes = make(definition, rows, folder.path(), error, sheets);
    if (bytes.isEmpty())
        return false;
    QString reason;
    if (!WholeFileWriter::write(file, bytes, &reason)) {
        *error = QStringLiteral("無法寫入檔案 %1").arg(reason);
        return false;
    }
    return true;
}

} // namespace WorkbookReportWriter
