// The plain reading of a declaration file that the import and export
// baselines share: every line and field checked as the import checks them,
// with plain C++ and no Qt containers.
#include "bench/plain_declaration.h"

#include "db/change_values.h"
#include "db/declaration_kind.h"
#include "db/schema.h"

#include <charconv>
#include <cmath>
#include <sqlite3.h>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace {

bool digitsOnly(const char *s, int n, long long *value)
{
    long long v = 0;
    for (int i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    *value = v;
    return n > 0;
}

// Zeros, an optional "-", digits with at most one point: the value divided by
// the factor and rounded to four decimals.
bool plainNumber(const char *s, int n, int factor, double *value)
{
    int i = 0;
    bool negative = false;
    const char *minus = static_cast<const char *>(std::memchr(s, '-', size_t(n)));
    if (minus) {
        for (; s + i < minus; ++i) {
            if (s[i] != '0')
                return false;
        }
        negative = true;
        ++i;
    }
    long long whole = 0;
    long long fraction = 0;
    int fractionDigits = 0;
    bool point = false;
    int digits = 0;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            if (point && fractionDigits < 8) {
                fraction = fraction * 10 + (c - '0');
                ++fractionDigits;
            } else if (!point) {
                whole = whole * 10 + (c - '0');
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    const double exact = double(whole) + double(fraction) / std::pow(10.0, fractionDigits);
    const double v = std::nearbyint(exact / factor * 10000.0) / 10000.0;
    *value = negative ? -v : v;
    return true;
}

} // namespace

PlainKind plainKind(const DeclarationKind &kind)
{
    PlainKind p;
    const DeclarationImport &rule = kind.importRule();
    std::string columns;
    std::string marks;
    for (const DeclarationField &f : kind.fields()) {
        PlainField pf{f.name.toStdString(), f.offset, f.width, f.rendering, f.factor, f.accountFactor,
                      rule.keyFields.contains(f.name)};
        if (f.name == u"BANK_CODE")
            p.bankField = int(p.fields.size());
        p.fields.push_back(pf);
        columns += (columns.empty() ? "" : ", ") + pf.name;
        marks += marks.empty() ? "?" : ", ?";
    }
    p.recordLength = kind.recordLength();
    p.firstLineWins = rule.repeats == DeclarationImport::Repeats::FirstLineWins;
    for (const AddedField &a : rule.addedFields) {
        if (a.source == AddedField::Source::LineNumber) {
            p.storesLineNumber = true;
            columns += ", " + a.field.toStdString();
            marks += ", ?";
        } else if (a.source == AddedField::Source::ReferenceName) {
            const char *sql = "select ACC_CODE, ACC_NAME from CACNO";
            switch (a.names) {
            case NameList::Accounts: break;
            case NameList::Institutions: sql = "select BANK_NO, BANK_NAME from BN01"; break;
            case NameList::Counties: sql = "select HSIEN_ID, HSIEN_NAME from CD01"; break;
            case NameList::CountyAccounts: sql = "select ACC_CODE, ACC_NAME from HCACNO"; break;
            }
            p.nameSql.push_back(sql);
            for (size_t i = 0; i < p.fields.size(); ++i) {
                if (p.fields[i].name == a.codeField.toStdString())
                    p.nameCodeField.push_back(int(i));
            }
        }
    }
    const std::string table = kind.table().toStdString();
    p.insertSql = "insert into " + table + " (" + columns + ") values (" + marks + ")";
    const TableDef *def = Schema::table(kind.table());
    // Where each field of the history's lines stands in a row of values: the
    // kind's fields, then the line number the import adds.
    std::vector<std::string> valueNames;
    for (const PlainField &f : p.fields)
        valueNames.push_back(f.name);
    for (const AddedField &a : rule.addedFields) {
        if (a.source == AddedField::Source::LineNumber)
            valueNames.push_back(a.field.toStdString());
    }
    std::string selected;
    for (const bool key : {true, false}) {
        for (const FieldDef *f : ChangeValues::fields(*def, key)) {
            const std::string name = f->name.toStdString();
            int at = -1;
            for (size_t i = 0; i < valueNames.size(); ++i) {
                if (valueNames[i] == name)
                    at = int(i);
            }
            p.packColumns.push_back(at);
            p.packKinds.push_back(int(ChangeValues::kindOf(*f)));
            selected += (selected.empty() ? "" : ", ") + name;
            if (key)
                ++p.keyColumns;
        }
    }
    p.storedRows = "select " + selected + " from " + table
        + " where BANK_CODE = ?1 and M_YEAR = ?2 and M_MONTH = ?3 order by rowid";
    p.historyRows = std::string("insert into ") + Schema::ChangeRow + " (OP_ID, ROW_COUNT, ROWS_TEXT) values (?, ?, ?)";
    p.historyOperation = std::string("insert into ") + Schema::ChangeLog
        + " (OP_ID, DONE_AT, DONE_BY, OPERATION, KIND, BANK_CODE, M_YEAR, M_MONTH, ROWS_CHANGED)"
          " values (?, datetime('now'), 'bench', 'I', ?, ?, ?, ?, ?)";
    return p;
}

namespace {

// A text as the history writes it: the separators it holds escaped.
void appendEscaped(std::string &out, const char *text, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        const char letter = c == 0x1b ? 'E' : c == '\n' ? 'n' : c == 0x1e ? 'r' : c == 0x1f ? 's' : 0;
        if (letter) {
            out += char(0x1b);
            out += letter;
        } else {
            out += c;
        }
    }
}

void appendAmount(std::string &out, double amount)
{
    char buffer[400];
    const auto done = std::to_chars(buffer, buffer + sizeof buffer, amount, std::chars_format::fixed, 4);
    char *end = done.ptr;
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.')
        --end;
    out.append(buffer, end);
}

template<typename Value>
void packLine(const PlainKind &k, bool before, std::string &packed, Value value)
{
    if (!packed.empty())
        packed += '\n';
    for (size_t c = 0; c < k.packColumns.size(); ++c) {
        if (c == size_t(k.keyColumns)) {
            packed += char(0x1e);
            if (!before)
                packed += char(0x1e);
            packed += '=';
        } else if (c > 0) {
            packed += char(0x1f);
        }
        value(int(c), packed);
    }
    if (before)
        packed += char(0x1e);
}

} // namespace

void plainPackLine(const PlainKind &k, const std::vector<PlainValue> &row, bool before, std::string &packed)
{
    packLine(k, before, packed, [&](int c, std::string &out) {
        if (k.packColumns[size_t(c)] < 0)
            return;
        const PlainValue &v = row[size_t(k.packColumns[size_t(c)])];
        if (v.isInteger) {
            char digits[24];
            out.append(digits, std::to_chars(digits, digits + sizeof digits, v.integer).ptr);
        } else if (v.number) {
            appendAmount(out, v.amount);
        } else {
            appendEscaped(out, v.text.data(), v.text.size());
        }
    });
}

void plainPackLine(const PlainKind &k, sqlite3_stmt *stored, bool before, std::string &packed)
{
    packLine(k, before, packed, [&](int c, std::string &out) {
        switch (sqlite3_column_type(stored, c)) {
        case SQLITE_NULL:
            return;
        case SQLITE_INTEGER:
            if (k.packKinds[size_t(c)] == int(ChangeValues::Kind::WholeNumber)) {
                char digits[24];
                out.append(digits, std::to_chars(digits, digits + sizeof digits, sqlite3_column_int64(stored, c)).ptr);
                return;
            }
            [[fallthrough]];
        case SQLITE_FLOAT:
            if (k.packKinds[size_t(c)] == int(ChangeValues::Kind::Number)) {
                appendAmount(out, sqlite3_column_double(stored, c));
                return;
            }
            [[fallthrough]];
        default: {
            const char *text = reinterpret_cast<const char *>(sqlite3_column_text(stored, c));
            size_t n = size_t(sqlite3_column_bytes(stored, c));
            if (k.packKinds[size_t(c)] == int(ChangeValues::Kind::Text)) {
                while (n > 0 && text[n - 1] == ' ')
                    --n;
            }
            appendEscaped(out, text, n);
        }
        }
    });
}

bool plainCheck(const PlainKind &k, const std::string &bytes, const Period &month,
                std::vector<std::vector<PlainValue>> *rows, std::vector<std::string> *names)
{
    std::unordered_set<std::string> seen;
    std::string key;
    int lineNo = 0;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        const char *line = bytes.data() + at;
        int length = int(end - at);
        at = end + 1;
        ++lineNo;
        if (length > 0 && line[length - 1] == '\r')
            --length;
        for (int i = 0; i < length; ++i) {
            if (line[i] < 0x20 || line[i] > 0x7e)
                return false;
        }
        const PlainField &bank = k.fields[size_t(k.bankField)];
        if (length >= bank.offset + bank.width
            && std::string_view(line + bank.offset, size_t(bank.width)).find_first_not_of(' ') == std::string::npos)
            continue;
        if (length != k.recordLength)
            return false;
        std::vector<PlainValue> values(k.fields.size() + (k.storesLineNumber ? 1 : 0));
        key.clear();
        bool thousands = false;
        for (size_t i = 0; i < k.fields.size(); ++i) {
            const PlainField &pf = k.fields[i];
            const char *text = line + pf.offset;
            PlainValue &v = values[i];
            using R = DeclarationField::Rendering;
            if (pf.rendering == R::Year || pf.rendering == R::Month) {
                const long long max = pf.rendering == R::Year ? 999 : 12;
                if (!digitsOnly(text, pf.width, &v.integer) || v.integer < 1 || v.integer > max)
                    return false;
                if (v.integer != (pf.rendering == R::Year ? month.year : month.month))
                    return false;
                v.isInteger = true;
            } else if (pf.rendering == R::Number) {
                v.number = true;
                if (!plainNumber(text, pf.width, pf.accountFactor && thousands ? 1000 : pf.factor, &v.amount))
                    return false;
            } else {
                int n = pf.width;
                if (pf.rendering != R::AccountCode) {
                    while (n > 0 && text[n - 1] == ' ')
                        --n;
                }
                if (n == 0 || std::memchr(text, ' ', size_t(n)))
                    return false;
                if (pf.rendering == R::InstitutionCode && n >= 7 && std::memcmp(text + 3, "0000", 4) == 0)
                    n = 3;
                v.text.assign(text, size_t(n));
                if (pf.rendering == R::AccountCode)
                    thousands = n >= 5 && text[4] == 'p';
            }
            if (pf.key) {
                key += v.isInteger ? std::to_string(v.integer) : v.text;
                key += '\x1f';
            }
        }
        if (!seen.insert(key).second) {
            if (k.firstLineWins)
                continue;
            return false;
        }
        if (k.storesLineNumber) {
            values.back().isInteger = true;
            values.back().integer = lineNo;
        }
        for (size_t n = 0; n < k.nameCodeField.size(); ++n)
            names->push_back(values[size_t(k.nameCodeField[n])].text);
        rows->push_back(std::move(values));
    }
    return true;
}
