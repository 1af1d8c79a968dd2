#include "db/bills_codes.h"

namespace {

using Entries = QList<BillsCodes::Entry>;

const Entries &billKinds()
{
    static const Entries list{
        {1, QStringLiteral("01-商業本票")},     {2, QStringLiteral("02-融資性本票")},
        {3, QStringLiteral("03-交易性本票")},   {4, QStringLiteral("04-銀行承兌匯票")},
        {5, QStringLiteral("05-商業承兌匯票")}, {6, QStringLiteral("06-銀行可轉讓定期存單")},
        {7, QStringLiteral("07-國庫券")},       {8, QStringLiteral("08-公債")},
        {9, QStringLiteral("09-金融俵券")},     {10, QStringLiteral("10-公司債")},
    };
    return list;
}

// Digits only, leading zeros allowed, surrounding blanks ignored; -1 otherwise.
int flagNumber(QStringView flag)
{
    flag = flag.trimmed();
    if (flag.isEmpty() || flag.size() > 9)
        return -1;
    int value = 0;
    for (QChar c : flag) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

const QList<BillsCodes::Entry> &BillsCodes::entries(List list)
{
    static const Entries rateMarkets{{1, QStringLiteral("1-初級市場")}, {2, QStringLiteral("2-次級市場")}};
    static const Entries rateTerms{
        {1, QStringLiteral("1-一個月期")}, {2, QStringLiteral("2-三個月期")}, {3, QStringLiteral("3-六個月期")},
        {4, QStringLiteral("4-九個月期")}, {5, QStringLiteral("5-十二個月期")}};
    static const Entries rateKinds{
        {1, QStringLiteral("1-最高")}, {2, QStringLiteral("2-平均")}, {3, QStringLiteral("3-最低")}};
    static const Entries tradeRanges{
        {0, QStringLiteral("0-初級市場")}, {1, QStringLiteral("1-次級市場")},
        {2, QStringLiteral("2-次級市場(附條件)")}, {3, QStringLiteral("3-餘額(公司持有數)")}};
    static const Entries tradeDirections{
        {0, QStringLiteral("0-買入")}, {1, QStringLiteral("1-賣出")}, {2, QStringLiteral("2-其他")}};

    switch (list) {
    case List::RateMarket: return rateMarkets;
    case List::RateTerm: return rateTerms;
    case List::BillKind: return billKinds();
    case List::RateKind: return rateKinds;
    case List::TradeRange: return tradeRanges;
    case List::TradeDirection: return tradeDirections;
    }
    static const Entries none;
    return none;
}

const QList<BillsCodes::Entry> &BillsCodes::pickEntries(List list)
{
    if (list != List::BillKind)
        return entries(list);
    static const Entries picked = [] {
        Entries kinds = billKinds();
        for (Entry &e : kinds) {
            if (e.number == 9)
                e.label = QStringLiteral("09-金融債券");
        }
        return kinds;
    }();
    return picked;
}

QString BillsCodes::code(const Entry &entry)
{
    return entry.label.section(u'-', 0, 0);
}

QString BillsCodes::label(List list, QStringView flag)
{
    const int number = flagNumber(flag);
    for (const Entry &e : entries(list)) {
        if (e.number == number)
            return e.label;
    }
    return {};
}
