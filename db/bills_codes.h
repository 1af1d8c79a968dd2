#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The code lists of the short-term bills business: the labels shown beside a
// flag ("1-初級市場") and offered to pick from. The interest-rate statistics
// (EM08) use the market, term, kind of bill and kind of rate; the trading
// statistics (EM09) the range, direction and kind of bill.
class BillsCodes
{
public:
    enum class List {
        RateMarket,      // EM08 FLAG1
        RateTerm,        // EM08 FLAG2
        BillKind,        // EM08 and EM09 FLAG3
        RateKind,        // EM08 FLAG4
        TradeRange,      // EM09 FLAG1
        TradeDirection,  // EM09 FLAG2
    };

    struct Entry
    {
        int number = 0;
        QString label;   // "01-商業本票"
    };

    // Every entry of a list, in order, labelled as the rows read back show them
    // (the import and the tabs after a query: "09-金融俵券").
    static const QList<Entry> &entries(List list);
    // The same entries as a pick list offers them and a code keyed into a grid
    // shows: the kind of bill 09 reads "09-金融債券" there.
    static const QList<Entry> &pickEntries(List list);
    // The code of an entry as it is stored and typed: its label before the
    // hyphen ("01", "1", "0").
    static QString code(const Entry &entry);
    // The label of a stored flag read as a number ("01" and "1" are 1); empty for
    // a number the list does not hold or a flag that is not a number.
    static QString label(List list, QStringView flag);
};
