#include "checks/formula_file.h"

#include "common/small_int.h"
#include "common/field_text.h"

#include "common/big5_text.h"
#include "db/schema.h"

#include <QHash>
#include <algorithm>
#include <QStringDecoder>
#include <QStringList>

QString FormulaFileFault::text() const
{
    return line > 0 ? QStringLiteral("第 %1 行: %2").arg(line).arg(message) : message;
}

using FieldText::withoutTrailingBlanks;

namespace {

const QStringList Comparisons{QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<"),
                              QStringLiteral(">="), QStringLiteral("<="), QStringLiteral("<>")};
const QStringList Operators{QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"),
                            QStringLiteral("/"), QString()};

// The last line of every file written: a file without it was cut short (a full
// disk, a copy stopped midway) and is refused, even when it ends at a line end.
const QString EndLine = QStringLiteral("# 公式檔結束");

// The fields of a line, named as its faults name them.
const QStringList HeaderFields{QStringLiteral("資料表名稱"), QStringLiteral("acc_type"), QStringLiteral("cano"),
                               QStringLiteral("quop"), QStringLiteral("remark")};
const QStringList TermFields{QStringLiteral("資料表名稱"), QStringLiteral("acc_type"), QStringLiteral("cano"),
                             QStringLiteral("left_flag"), QStringLiteral("nserial"), QStringLiteral("acc_code"),
                             QStringLiteral("noop"), QStringLiteral("TCURR")};

// The code of the first control character of a text (a CR, a NUL, an escape,
// ...), or -1. No field may hold one: it would be stored, and the export could
// not write it.
int controlCharacter(QStringView text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return c.unicode();
    }
    return -1;
}

QString sideName(const QString &leftFlag)
{
    return leftFlag == u"0" ? QStringLiteral("左式") : QStringLiteral("右式");
}

// The checks of one file, line by line, collecting every fault.
class Checker
{
public:
    Checker(const FormulaTables &tables, const QSet<QString> &accounts)
        : m_tables(tables), m_accounts(accounts)
        , m_headerDef(Schema::table(tables.headerTable)), m_termDef(Schema::table(tables.termTable))
    {
    }

    FormulaFile::Reading run(const QString &content)
    {
        const QStringList lines = content.split(u'\n');
        for (int i = 0; i < lines.size(); ++i) {
            m_line = i + 1;
            QString line = lines.at(i);
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (withoutTrailingBlanks(line) == EndLine && m_endLine == 0)
                m_endLine = m_line;
            if (line.startsWith(u'#') || line.trimmed().isEmpty())
                continue;
            if (m_endLine > 0)
                fault(QStringLiteral("資料列在公式檔結束行 (第 %1 行) 之後").arg(m_endLine));
            else
                readLine(line.split(u'\t'));
        }
        checkFormulas();
        if (m_endLine == 0)
            fault(QStringLiteral("公式檔不完整: 沒有結束行「%1」, 檔案可能被截斷").arg(EndLine), 0);
        std::stable_sort(m_result.faults.begin(), m_result.faults.end(),
                         [](const FormulaFileFault &a, const FormulaFileFault &b) { return a.line < b.line; });
        return std::move(m_result);
    }

private:
    void fault(const QString &message, int line = -1)
    {
        m_result.faults.append({line < 0 ? m_line : line, message});
    }

    // A field within its width in Big5 bytes; false (and a fault) otherwise.
    bool fits(const TableDef *table, const char *fieldName, const QString &value)
    {
        const FieldDef *field = table ? table->field(QString::fromLatin1(fieldName)) : nullptr;
        if (!field)
            return true;
        const QString refusal = Big5Text::refusal(value, field->width);
        if (refusal.isEmpty())
            return true;
        fault(QStringLiteral("欄位 %1 ").arg(field->name) + refusal);
        return false;
    }

    // Which fields hold a control character, each named in a fault; their
    // other checks are skipped, so one fault is not reported twice.
    QList<bool> controls(const QStringList &cells, const QStringList &names)
    {
        QList<bool> bad(cells.size(), false);
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (const int c = controlCharacter(cells.at(i)); c >= 0) {
                const QString code = QStringLiteral("%1").arg(c, 4, 16, QLatin1Char('0')).toUpper();
                fault(QStringLiteral("欄位 %1 含有控制字元 (U+%2)").arg(names.value(i, QString::number(i + 1)), code));
                bad[i] = true;
            }
        }
        return bad;
    }

    bool fieldCount(const QStringList &cells, int expected)
    {
        if (cells.size() == expected)
            return true;
        fault(QStringLiteral("%1 應有 %2 欄, 實有 %3 欄").arg(cells.first().trimmed()).arg(expected).arg(cells.size()));
        return false;
    }

    void readLine(const QStringList &cells)
    {
        if (controls(cells.mid(0, 1), HeaderFields).first())
            return;
        const QString table = cells.first().trimmed();
        if (table.compare(m_tables.headerTable, Qt::CaseInsensitive) == 0)
            readHeader(cells);
        else if (table.compare(m_tables.termTable, Qt::CaseInsensitive) == 0)
            readTerm(cells);
        else
            fault(QStringLiteral("不是 %1 或 %2 的資料列: %3").arg(m_tables.headerTable, m_tables.termTable, table));
    }

    void readHeader(const QStringList &cells)
    {
        if (!fieldCount(cells, 5))
            return;
        const QList<bool> bad = controls(cells, HeaderFields);
        FormulaHeaderRow h{withoutTrailingBlanks(cells.at(1)), withoutTrailingBlanks(cells.at(2)).trimmed(),
                           withoutTrailingBlanks(cells.at(3)).trimmed(), withoutTrailingBlanks(cells.at(4))};
        bool ok = !bad.contains(true);
        ok = (bad[1] || fits(m_headerDef, "acc_type", h.accType)) && (bad[4] || fits(m_headerDef, "remark", h.remark))
            && ok;
        if (!bad[3] && !Comparisons.contains(h.quop)) {
            fault(QStringLiteral("比較符號「%1」不是 =、>、<、>=、<=、<> 之一").arg(h.quop));
            ok = false;
        }
        if (bad[2])
            return;
        if (h.cano.isEmpty()) {
            fault(QStringLiteral("沒有公式編號"));
            return;
        }
        if (!fits(m_headerDef, "cano", h.cano))
            return;
        if (const int first = m_headerLine.value(h.cano); first > 0) {
            fault(QStringLiteral("公式編號 %1 重複 (第 %2 行已有)").arg(h.cano).arg(first));
            return;
        }
        // Known even when the line has other faults, so that its terms are not
        // reported as terms of no formula as well.
        m_headerLine.insert(h.cano, m_line);
        if (ok)
            m_result.rows.headers.append(std::move(h));
    }

    void readTerm(const QStringList &cells)
    {
        if (!fieldCount(cells, 8))
            return;
        FormulaTermRow t;
        t.accType = withoutTrailingBlanks(cells.at(1));
        t.cano = withoutTrailingBlanks(cells.at(2)).trimmed();
        t.leftFlag = withoutTrailingBlanks(cells.at(3)).trimmed();
        const QString serial = cells.at(4).trimmed();
        t.accCode = withoutTrailingBlanks(cells.at(5)).trimmed();
        t.noop = withoutTrailingBlanks(cells.at(6)).trimmed();
        t.tcurr = withoutTrailingBlanks(cells.at(7));

        const QList<bool> bad = controls(cells, TermFields);
        bool ok = !bad.contains(true);
        ok = (bad[1] || fits(m_termDef, "acc_type", t.accType)) && (bad[7] || fits(m_termDef, "TCURR", t.tcurr)) && ok;
        if (!bad[2] && t.cano.isEmpty()) {
            fault(QStringLiteral("沒有公式編號"));
            ok = false;
        }
        if (!bad[3] && t.leftFlag != u"0" && t.leftFlag != u"1") {
            fault(QStringLiteral("left_flag「%1」應為 0 (左式) 或 1 (右式)").arg(t.leftFlag));
            ok = false;
        }
        bool isNumber = false;
        t.nserial = serial.toInt(&isNumber);
        if (!bad[4] && (!isNumber || !SmallInt::contains(t.nserial))) {
            fault(QStringLiteral("nserial「%1」不是 %2 至 %3 的整數").arg(serial).arg(SmallInt::Min).arg(SmallInt::Max));
            ok = false;
        }
        if (!bad[5] && !m_accounts.contains(t.accCode)) {
            fault(QStringLiteral("科目代碼「%1」不在 %2").arg(t.accCode, m_tables.accountTable));
            ok = false;
        }
        if (!bad[6] && !Operators.contains(t.noop)) {
            fault(QStringLiteral("運算式「%1」不是 +、-、*、/ 或空白").arg(t.noop));
            ok = false;
        }
        if (bad[2] || bad[3])
            return;
        if (t.cano.isEmpty() || !(t.leftFlag == u"0" || t.leftFlag == u"1"))
            return;
        // The formula knows of the term even when the line has other faults.
        m_termsOf[t.cano].append(m_line);
        if (t.leftFlag == u"0")
            m_hasLeft.insert(t.cano);
        if (!isNumber)
            return;
        const QString key = t.cano + u'\t' + t.leftFlag + u'\t' + QString::number(t.nserial);
        if (const int first = m_termLine.value(key); first > 0) {
            fault(QStringLiteral("公式 %1 %2第 %3 項重複 (第 %4 行已有)")
                      .arg(t.cano, sideName(t.leftFlag)).arg(t.nserial).arg(first));
            return;
        }
        m_termLine.insert(key, m_line);
        if (ok)
            m_result.rows.terms.append(std::move(t));
    }

    // What only the whole file tells: terms without a header, headers without
    // left terms, no formula at all.
    void checkFormulas()
    {
        for (auto it = m_termsOf.cbegin(); it != m_termsOf.cend(); ++it) {
            if (m_headerLine.contains(it.key()))
                continue;
            for (int line : it.value())
                fault(QStringLiteral("公式編號 %1 沒有 %2 的資料列").arg(it.key(), m_tables.headerTable), line);
        }
        for (auto it = m_headerLine.cbegin(); it != m_headerLine.cend(); ++it) {
            if (!m_hasLeft.contains(it.key()))
                fault(QStringLiteral("公式 %1 沒有左式項目").arg(it.key()), it.value());
        }
        if (m_headerLine.isEmpty() && m_result.faults.isEmpty())
            fault(QStringLiteral("公式檔沒有任何公式"), 0);
    }

    const FormulaTables &m_tables;
    const QSet<QString> &m_accounts;
    const TableDef *m_headerDef;
    const TableDef *m_termDef;
    int m_line = 0;
    int m_endLine = 0;                       // the end line's, 0 before it
    QHash<QString, int> m_headerLine;        // cano -> line
    QHash<QString, int> m_termLine;          // cano, side, nserial -> line
    QHash<QString, QList<int>> m_termsOf;    // cano -> lines of its terms
    QSet<QString> m_hasLeft;
    FormulaFile::Reading m_result;
};

// What the import would refuse is not written either: a text holding a tab, a
// line break or another control character.
bool carriable(const QStringList &texts, const QString &cano, QString *error)
{
    for (const QString &text : texts) {
        if (controlCharacter(text) >= 0) {
            *error = QStringLiteral("公式 %1 的資料含有定位字元或換行等控制字元, 無法寫入公式檔: %2").arg(cano, text);
            return false;
        }
    }
    return true;
}

} // namespace

namespace FormulaFile {

bool write(const FormulaTables &tables, const FormulaRows &rows, QString *text, QString *error)
{
    const QString &h = tables.headerTable;
    const QString &t = tables.termTable;
    QString out;
    out += QStringLiteral("# %1, %2: 公式檔 (UTF-8, 欄位以定位字元分隔)\n").arg(h, t);
    out += QStringLiteral("# %1\tacc_type\tcano\tquop\tremark\n").arg(h);
    out += QStringLiteral("# %1\tacc_type\tcano\tleft_flag\tnserial\tacc_code\tnoop\tTCURR\n").arg(t);

    QHash<QString, QList<const FormulaTermRow *>> termsOf;
    for (const FormulaTermRow &term : rows.terms)
        termsOf[term.cano].append(&term);
    auto writeTerm = [&](const FormulaTermRow &term) {
        if (!carriable({term.accType, term.cano, term.leftFlag, term.accCode, term.noop, term.tcurr}, term.cano, error))
            return false;
        out += QStringList{t, term.accType, term.cano, term.leftFlag, QString::number(term.nserial),
                           term.accCode, term.noop, term.tcurr}.join(u'\t') + u'\n';
        return true;
    };
    for (const FormulaHeaderRow &header : rows.headers) {
        if (!carriable({header.accType, header.cano, header.quop, header.remark}, header.cano, error))
            return false;
        out += QStringList{h, header.accType, header.cano, header.quop, header.remark}.join(u'\t') + u'\n';
        for (const FormulaTermRow *term : termsOf.take(header.cano)) {
            if (!writeTerm(*term))
                return false;
        }
    }
    // Terms of no header are written too, so that a file names them when read back.
    for (const FormulaTermRow &term : rows.terms) {
        if (termsOf.contains(term.cano) && !writeTerm(term))
            return false;
    }
    out += EndLine + u'\n';
    *text = out;
    return true;
}

Reading read(const QByteArray &bytes, const FormulaTables &tables, const QSet<QString> &accountCodes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString content = decoder(bytes);
    if (decoder.hasError()) {
        Reading reading;
        reading.faults.append({0, QStringLiteral("公式檔不是 UTF-8 文字")});
        return reading;
    }
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);
    return Checker(tables, accountCodes).run(content);
}

} // namespace FormulaFile
