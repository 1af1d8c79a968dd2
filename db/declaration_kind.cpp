#include "db/declaration_kind.h"

using R = DeclarationField::Rendering;

namespace {

DeclarationField field(const char *name, int offset, int width, R rendering, const char *schemaWidth,
                       int columnWidth = 0, int factor = 1, bool accountFactor = false)
{
    DeclarationField f;
    f.name = QString::fromLatin1(name);
    f.offset = offset;
    f.width = width;
    f.rendering = rendering;
    f.schemaWidth = QString::fromLatin1(schemaWidth);
    f.columnWidth = columnWidth;
    f.factor = factor;
    f.accountFactor = accountFactor;
    return f;
}

QList<DeclarationField> periodAndInstitution()
{
    return {
        field("M_YEAR", 0, 3, R::Year, "03"),
        field("M_MONTH", 3, 2, R::Month, "02"),
        field("BANK_CODE", 5, 7, R::InstitutionCode, "07", 7),
    };
}

AddedField lineNumber(const char *field)
{
    return {QString::fromLatin1(field), AddedField::Source::LineNumber, {}, NameList::Accounts, {}};
}

AddedField referenceName(const char *field, const char *codeField, NameList names)
{
    return {QString::fromLatin1(field), AddedField::Source::ReferenceName, QString::fromLatin1(codeField), names, {}};
}

AddedField billsCodeLabel(const char *field, const char *codeField, BillsCodes::List codes)
{
    return {QString::fromLatin1(field), AddedField::Source::BillsCodeLabel, QString::fromLatin1(codeField),
            NameList::Accounts, codes};
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *name : list)
        out << QString::fromLatin1(name);
    return out;
}

// A data tab with the names every kind has; the cases below add what is theirs.
DeclarationTab namedTab(DeclarationTab::Form form, const QString &caption, const char *suffix,
                        const char *datasetName, int bankLabelNumber)
{
    DeclarationTab t;
    t.form = form;
    t.caption = caption;
    t.suffix = QString::fromLatin1(suffix);
    t.datasetName = QString::fromLatin1(datasetName);
    t.bankLabelNumber = bankLabelNumber;
    t.yearCaption = QStringLiteral("年  ");
    t.monthCaption = QStringLiteral("月  ");
    // A month tab checks its month, and an import it declines leaves its
    // window browsing.
    if (form == DeclarationTab::Form::Month) {
        t.hasCheck = true;
        t.modeAfterDecline = DeclarationTab::Mode::Browse;
    }
    return t;
}

DeclarationTab withDeleteButton(DeclarationTab tab, const QString &name)
{
    tab.deleteName = name;
    tab.deleteHint = false;
    return tab;
}

// The data tab of each kind. A new kind is a new case here (the compiler names
// the switch that lacks it).
DeclarationTab tabOf(DeclarationKind::Id id)
{
    using Form = DeclarationTab::Form;
    using Mode = DeclarationTab::Mode;
    switch (id) {
    case DeclarationKind::B01: {
        DeclarationTab t = namedTab(Form::Month, QStringLiteral("營運資料明細檔 "), "", "qryMPBANK", 1);
        t.importMarksProgress = false;
        t.importReportsEmpty = true;
        t.modeAfterImport = Mode::Browse;
        return t;
    }
    case DeclarationKind::B02:
        return namedTab(Form::Row, QStringLiteral("各營業單位逾期放款比率檔"), "4", "qryEM03", 2);
    case DeclarationKind::B03:
        // Its delete button is sbDEL9 and has no hint.
        return withDeleteButton(namedTab(Form::Row, QStringLiteral("兼營票券利率業務統計檔"), "9", "qryEM08", 3),
                                QStringLiteral("sbDEL"));
    case DeclarationKind::B04:
        return namedTab(Form::Row, QStringLiteral("兼營票券交易業務統計檔"), "2", "qryEM09", 4);
    case DeclarationKind::B05: {
        DeclarationTab t = namedTab(Form::Month, QStringLiteral("銀行縣市別資料檔"), "3", "qryHMPBANK", 5);
        t.yearCaption = QStringLiteral("年        月");
        t.monthCaption.clear();
        t.importName = QStringLiteral("sbEntery");
        t.importHint = false;
        t.modeAfterImport = Mode::Add;
        return t;
    }
    }
    return {};
}

} // namespace

struct DeclarationKindTable
{
    DeclarationKind kinds[5];
    QList<const DeclarationKind *> all;
    QList<const DeclarationKind *> exportOrder;

    static DeclarationKindTable &instance()
    {
        static DeclarationKindTable table;
        return table;
    }

    DeclarationKindTable()
    {
        auto set = [this](DeclarationKind::Id id, const char *code, const char *table, const QString &name,
                          int recordLength, const QString &noRows, const QString &failed,
                          const char *statement, const QList<DeclarationField> &own) {
            DeclarationKind &k = kinds[id];
            k.m_id = id;
            k.m_code = QString::fromLatin1(code);
            k.m_table = QString::fromLatin1(table);
            k.m_name = name;
            k.m_recordLength = recordLength;
            k.m_noRows = noRows;
            k.m_writingFailed = failed;
            k.m_statement = QString::fromLatin1(statement);
            k.m_fields = periodAndInstitution() + own;
        };

        // The lines follow the order of the statement: EM03 by BANK_CODE1
        // descending, every other table in stored order (rowid).
        set(DeclarationKind::B01, "B01", "MPBANK", QStringLiteral("營運資料"), 31,
            QStringLiteral("查無符合之營運資料!!!"), QStringLiteral("營運資料匯出失敗!!!"),
            "select M_YEAR,M_MONTH,BANK_CODE,ACC_CODE,AMT from MPBANK"
            " where M_YEAR=:paramM_YEAR and M_MONTH=:paramM_MONTH order by rowid",
            {field("ACC_CODE", 12, 5, R::AccountCode, "05", 5),
             field("AMT", 17, 14, R::Number, "14", 0, 1, true)});
        set(DeclarationKind::B02, "B02", "EM03", QStringLiteral("各營業單位逾期放款比率"), 24,
            QStringLiteral("查無符合之各營業單位逾期放款比率資料!!!"),
            QStringLiteral("各營業單位逾期放款比率檔匯出失敗!!!"),
            "select A.M_YEAR,A.M_MONTH,A.BANK_CODE,A.BANK_CODE1,A.M_RATE from EM03 A"
            " where M_YEAR=:paramM_YEAR and M_MONTH=:paramM_MONTH order by A.BANK_CODE1 DESC, A.rowid",
            {field("BANK_CODE1", 12, 7, R::InstitutionCode, "07", 7),
             field("M_RATE", 19, 5, R::Number, "05", 0, 1000)});
        set(DeclarationKind::B03, "B03", "EM08", QStringLiteral("票券利率業務統計"), 21,
            QStringLiteral("查無符合之票券利率業務統計檔資料!!!"),
            QStringLiteral("票券利率業務統計檔匯出失敗!!!"),
            "select A.BANK_CODE,A.M_YEAR,A.M_MONTH,A.FLAG1,A.FLAG2,A.FLAG3,A.FLAG4,A.RATE from EM08 A"
            " where M_YEAR=:paramM_YEAR and M_MONTH=:paramM_MONTH order by A.rowid",
            {field("FLAG1", 12, 1, R::AsStored, "1", 1),
             field("FLAG2", 13, 1, R::AsStored, "1", 1),
             field("FLAG3", 14, 2, R::AsStored, "2", 2),
             field("FLAG4", 16, 1, R::AsStored, "1", 1),
             field("RATE", 17, 4, R::Number, "4", 0, 100)});
        set(DeclarationKind::B04, "B04", "EM09", QStringLiteral("票券交易業務統計"), 37,
            QStringLiteral("查無符合之票券交易業務統計資料!!!"),
            QStringLiteral("票券交易業務統計檔匯出失敗!!!"),
            "select A.BANK_CODE,A.M_YEAR,A.M_MONTH,A.FLAG1,A.FLAG2,A.FLAG3,A.AMT,A.AMT1 from EM09 A"
            " where M_YEAR=:paramM_YEAR and M_MONTH=:paramM_MONTH order by A.rowid",
            {field("FLAG1", 12, 1, R::AsStored, "01", 1),
             field("FLAG2", 13, 1, R::AsStored, "01", 1),
             field("FLAG3", 14, 2, R::AsStored, "2", 2),
             field("AMT", 16, 7, R::Number, "7", 0, 1),
             field("AMT1", 23, 14, R::Number, "14", 0, 1)});
        set(DeclarationKind::B05, "B05", "HMPBANK", QStringLiteral("銀行縣市別資料"), 32,
            QStringLiteral("查無符合之銀行縣市別資料檔!!!"),
            QStringLiteral("銀行縣市別資料檔匯出失敗!!!"),
            "select M_YEAR,M_MONTH,BANK_CODE,HSIEN_ID,ACC_CODE,AMT from HMPBANK"
            " where M_YEAR=:paramM_YEAR and M_MONTH=:paramM_MONTH order by rowid",
            {field("HSIEN_ID", 12, 1, R::AsStored, "01", 1),
             field("ACC_CODE", 13, 5, R::AccountCode, "05", 5),
             field("AMT", 18, 14, R::Number, "14", 0, 1, true)});

        for (DeclarationKind &k : kinds)
            k.m_tab = tabOf(k.m_id);

        // The operating data of the declaring institution, in SERIAL order.
        PeriodQuery &operating = kinds[DeclarationKind::B01].m_tabQuery;
        operating.head = QStringLiteral(
            "Select a.m_year, a.m_month, a.bank_code, a.acc_code,A.SERIAL, "
            "(A.ACC_CODE || '  ' || B.ACC_NAME) AS ACCNAME, a.amt "
            "From MPBANK a, CACNO B "
            "Where B.acc_code = a.acc_code and a.bank_code = :BANK_CODE ");
        operating.yearFilter = QStringLiteral("and a.m_year = :seYYY ");
        operating.monthFilter = QStringLiteral("and a.m_month = :seMM ");
        operating.order = QStringLiteral("order by a.m_year, a.m_month, a.SERIAL ");
        operating.yearParam = QStringLiteral("seYYY");
        operating.monthParam = QStringLiteral("seMM");
        operating.byInstitution = true;
        operating.rowidColumn = QStringLiteral("a.rowid");

        // The county data of every institution: a period is one grid of counties
        // by accounts, whoever declared it. A whole month leaves the institution
        // out of its order; a year, a month of every year or everything keeps it.
        PeriodQuery &county = kinds[DeclarationKind::B05].m_tabQuery;
        county.head = QStringLiteral(
            "select A.BANK_CODE,A.M_YEAR,A.M_MONTH,A.HSIEN_ID,A.ACC_CODE,A.AMT,"
            "(A.HSIEN_ID || '  ' || B.HSIEN_NAME) AS HSIENNAME,(A.ACC_CODE || '  ' || C.ACC_NAME) AS ACCNAME "
            "from HMPBANK A,CD01 B,HCACNO C where b.HSIEN_ID=a.HSIEN_ID and C.ACC_CODE=A.ACC_CODE ");
        county.yearFilter = QStringLiteral("and a.m_year=:seYYY ");
        county.monthFilter = QStringLiteral("and a.m_month=:seMM ");
        county.order = QStringLiteral("order by a.m_year,a.m_month,a.bank_code,A.HSIEN_ID,A.ACC_CODE");
        county.orderFullPeriod = QStringLiteral("order by a.m_year,a.m_month,A.HSIEN_ID,A.ACC_CODE");
        county.yearParam = QStringLiteral("seYYY");
        county.monthParam = QStringLiteral("seMM");
        county.rowidColumn = QStringLiteral("A.rowid");

        // The row tabs: each filter names :M_YEAR or :M_MONTH and the rows are
        // those of the declaring institution.
        auto rowTab = [this](DeclarationKind::Id id, const char *head, const char *yearFilter,
                             const char *monthFilter, const char *order) {
            PeriodQuery &q = kinds[id].m_tabQuery;
            q.head = QString::fromLatin1(head);
            q.yearFilter = QString::fromLatin1(yearFilter);
            q.monthFilter = QString::fromLatin1(monthFilter);
            q.order = QString::fromLatin1(order);
            q.yearParam = QStringLiteral("M_YEAR");
            q.monthParam = QStringLiteral("M_MONTH");
            q.byInstitution = true;
        };
        // The overdue ratios of the units: a unit missing from BN01 is dropped by
        // the join; within a month the highest ratio first.
        rowTab(DeclarationKind::B02,
               "SELECT EM03.M_YEAR, EM03.M_MONTH, EM03.BANK_CODE, EM03.BANK_CODE1, EM03.M_RATE, "
               "(EM03.BANK_CODE1 ||'  '|| Bn01.BANK_NAME) AS BANK_NAME "
               "FROM EM03, BN01 Bn01 WHERE EM03.BANK_CODE1 = Bn01.BANK_NO AND EM03.BANK_CODE = :BANK_CODE ",
               "AND EM03.M_YEAR =:M_YEAR ", "AND EM03.M_MONTH =:M_MONTH ",
               "ORDER BY EM03.M_YEAR, EM03.M_MONTH, EM03.M_RATE DESC");
        // The bills statistics show each code through a display column: the code
        // and blanks here, its label once the tab has labelled the rows. Within a
        // month the rows come as the database gives them.
        rowTab(DeclarationKind::B03,
               "Select a.m_year, a.m_month, a.bank_code, a.FLAG1,A.FLAG2,A.FLAG3,A.FLAG4, A.RATE, "
               "(A.FLAG1 || '  ' || '        ') AS MFLAG1,(A.FLAG2 || '  ' || '          ') AS MFLAG2, "
               "(A.FLAG3 || '  ' || '                  ') AS MFLAG3,(A.FLAG4 || '  ' || '    ') AS MFLAG4 "
               "From EM08 A  Where  A.BANK_CODE =:BANK_CODE ",
               "AND M_YEAR =:M_YEAR ", "AND M_MONTH =:M_MONTH ", "ORDER BY A.M_YEAR, A.M_MONTH");
        rowTab(DeclarationKind::B04,
               "Select a.m_year, a.m_month, a.bank_code, a.FLAG1,A.FLAG2,A.FLAG3,A.AMT, A.AMT1, "
               "(A.FLAG1 || '  ' || '                 ') AS MFLAG1,(A.FLAG2 || '  ' || '     ') AS MFLAG2, "
               "(A.FLAG3 || '  ' || '                  ') AS MFLAG3 "
               "From EM09 A  Where  A.BANK_CODE =:BANK_CODE ",
               "AND M_YEAR =:M_YEAR ", "AND M_MONTH =:M_MONTH ", "ORDER BY A.M_YEAR, A.M_MONTH");

        setImportRules();

        for (const DeclarationKind &k : kinds)
            all.append(&k);
        exportOrder = {&kinds[DeclarationKind::B01], &kinds[DeclarationKind::B02],
                       &kinds[DeclarationKind::B05], &kinds[DeclarationKind::B03],
                       &kinds[DeclarationKind::B04]};
    }

    // The import: the tab's select that selects nothing, the stored rows of an
    // institution and month, the key within a file, what a repeated key means and
    // the fields added to each row read.
    void setImportRules()
    {
        using Repeats = DeclarationImport::Repeats;
        using Bills = BillsCodes::List;
        auto rule = [this](DeclarationKind::Id id, const char *target, const char *stored, const char *year,
                           const char *month, const QStringList &key, Repeats repeats,
                           const QList<AddedField> &added) {
            DeclarationImport &r = kinds[id].m_import;
            r.targetStatement = QString::fromUtf8(target);
            r.storedStatement = QString::fromUtf8(stored);
            r.institutionParam = QStringLiteral("BANK_CODE");
            r.yearParam = QString::fromLatin1(year);
            r.monthParam = QString::fromLatin1(month);
            r.keyFields = names({"BANK_CODE", "M_YEAR", "M_MONTH"}) + key;
            r.repeats = repeats;
            r.addedFields = added;
        };

        rule(DeclarationKind::B01,
             "select A.M_YEAR,A.M_MONTH,A.BANK_CODE,A.ACC_CODE,A.AMT ,(A.ACC_CODE || '  ' || B.ACC_NAME) AS ACCNAME,"
             "A.SERIAL from mpbank A,CACNO B WHERE B.ACC_CODE=A.ACC_CODE and BANK_CODE=:BANK_CODE "
             "order by a.m_year,a.m_month,a.bank_code,a.acc_code ",
             "Select a.m_year, a.m_month, a.bank_code, a.acc_code, a.amt From MPBANK a "
             "Where a.bank_code = :BANK_CODE and a.m_year = :seYYY and a.m_month = :seMM "
             "order by a.m_year, a.m_month, a.bank_code, a.acc_code",
             "seYYY", "seMM", names({"ACC_CODE"}), Repeats::FirstLineWins,
             {lineNumber("SERIAL"), referenceName("ACCNAME", "ACC_CODE", NameList::Accounts)});
        // No institution has this code: the operating data select yields no rows.
        kinds[DeclarationKind::B01].m_import.targetParams.insert(QStringLiteral("BANK_CODE"),
                                                                 QStringLiteral("ZZZZZZZ"));

        rule(DeclarationKind::B02,
             "SELECT EM03.M_YEAR, EM03.M_MONTH, EM03.BANK_CODE, EM03.BANK_CODE1, EM03.M_RATE, "
             "(EM03.BANK_CODE1 || '  ' || Bn01.BANK_NAME) AS BANK_NAME "
             "FROM EM03, BN01 Bn01 WHERE EM03.BANK_CODE1 = Bn01.BANK_NO AND 1<>1 "
             "ORDER BY EM03.M_YEAR, EM03.M_MONTH, EM03.BANK_CODE1, EM03.M_RATE",
             "select * FROM EM03 A Where a.bank_code = :BANK_CODE and a.m_year = :seYYY4  "
             "and a.m_month = :seMM4 order by a.m_year, a.m_month, a.bank_code,A.BANK_CODE1",
             "seYYY4", "seMM4", names({"BANK_CODE1"}), Repeats::Refused,
             {referenceName("BANK_NAME", "BANK_CODE1", NameList::Institutions)});

        rule(DeclarationKind::B03,
             "SELECT BANK_CODE,M_YEAR,M_MONTH,FLAG1,FLAG2,FLAG3,FLAG4,RATE, (FLAG1 || '  ' || '        ') AS MFLAG1,"
             "(FLAG2 || '  ' || '          ') AS MFLAG2, (FLAG3 || '  ' || '                  ') AS MFLAG3,"
             "(FLAG4 || '  ' || '    ') AS MFLAG4 FROM EM08  WHERE  1<>1 ORDER BY EM08.M_YEAR, EM08.M_MONTH, "
             "EM08.BANK_CODE",
             "select * FROM EM08 A Where a.bank_code = :BANK_CODE and a.m_year = :seYYY9  "
             "and a.m_month = :seMM9 order by a.m_year, a.m_month, a.bank_code",
             "seYYY9", "seMM9", names({"FLAG1", "FLAG2", "FLAG3", "FLAG4"}), Repeats::Refused,
             {billsCodeLabel("MFLAG1", "FLAG1", Bills::RateMarket), billsCodeLabel("MFLAG2", "FLAG2", Bills::RateTerm),
              billsCodeLabel("MFLAG3", "FLAG3", Bills::BillKind), billsCodeLabel("MFLAG4", "FLAG4", Bills::RateKind)});

        rule(DeclarationKind::B04,
             "SELECT BANK_CODE,M_YEAR,M_MONTH,FLAG1,FLAG2,FLAG3,AMT,AMT1 , (FLAG1 || '  ' || '                 ') "
             "AS MFLAG1,(FLAG2 || '  ' || '     ') AS MFLAG2, (FLAG3 || '  ' || '                  ') AS MFLAG3 "
             "FROM EM09 WHERE  1<>1 ORDER BY EM09.M_YEAR, EM09.M_MONTH, EM09.BANK_CODE",
             "select * FROM EM09 A Where a.bank_code = :BANK_CODE and a.m_year = :seYYY2  "
             "and a.m_month = :seMM2 order by a.m_year, a.m_month, a.bank_code",
             "seYYY2", "seMM2", names({"FLAG1", "FLAG2", "FLAG3"}), Repeats::Refused,
             {billsCodeLabel("MFLAG1", "FLAG1", Bills::TradeRange),
              billsCodeLabel("MFLAG2", "FLAG2", Bills::TradeDirection),
              billsCodeLabel("MFLAG3", "FLAG3", Bills::BillKind)});

        rule(DeclarationKind::B05,
             "select A.BANK_CODE,A.M_YEAR,A.M_MONTH,A.HSIEN_ID,A.ACC_CODE,A.AMT,(A.HSIEN_ID || '  ' || B.HSIEN_NAME) "
             "AS HSIENNAME,(A.ACC_CODE || '  ' || C.ACC_NAME) AS ACCNAME from HMPBANK A,CD01 B,HCACNO C "
             "where b.HSIEN_ID=a.HSIEN_ID and C.ACC_CODE=A.ACC_CODE and 1<>1 "
             "order by a.m_year,a.m_month,a.bank_code,A.HSIEN_ID,A.ACC_CODE",
             "Select a.m_year, a.m_month, a.bank_code, A.HSIEN_ID,a.acc_code,  a.amt  "
             "From HMPBANK a Where a.bank_code = :BANK_CODE and a.m_year = :seYYY "
             "and a.m_month = :seMM "
             "order by a.m_year, a.m_month, a.bank_code,A.HSIEN_ID, a.acc_code",
             "seYYY", "seMM", names({"HSIEN_ID", "ACC_CODE"}), Repeats::FirstLineWins,
             {referenceName("HSIENNAME", "HSIEN_ID", NameList::Counties),
              referenceName("ACCNAME", "ACC_CODE", NameList::CountyAccounts)});
    }
};

const DeclarationKind &DeclarationKind::get(Id id)
{
    return DeclarationKindTable::instance().kinds[id];
}

const DeclarationKind *DeclarationKind::find(QStringView code)
{
    for (const DeclarationKind *k : all()) {
        if (k->m_code == code)
            return k;
    }
    return nullptr;
}

const QList<const DeclarationKind *> &DeclarationKind::all()
{
    return DeclarationKindTable::instance().all;
}

const DeclarationKind *DeclarationKind::fromImportNumber(int number)
{
    return number >= 1 && number <= 5 ? &get(Id(number - 1)) : nullptr;
}


const QList<const DeclarationKind *> &DeclarationKind::exportOrder()
{
    return DeclarationKindTable::instance().exportOrder;
}

int DeclarationKind::fieldIndex(QStringView name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (QStringView(m_fields.at(i).name).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const DeclarationField *DeclarationKind::field(QStringView name) const
{
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : &m_fields.at(i);
}
