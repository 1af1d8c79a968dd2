#include "reports/band_layout.h"
#include "reports/reference_widths.h"
#include "reports/report_painter.h"
#include "reports/text_widths.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTest>

// The painter draws each line at the place it works out from the line's
// measured width; Qt's layout of the line in its box is the yardstick. Both are
// written as PDFs in this process and their text operators compared: the
// glyphs, their positions and any clip must be the same.
class TstReportPainter : public QObject
{
    Q_OBJECT
private slots:
    void linesLandWhereTheirBoxPutsThem_data();
    void linesLandWhereTheirBoxPutsThem();
    void measuresStayBounded_data();
    void measuresStayBounded();
    void laidOutPagesPaintAlikeFromTheLayoutsWidths_data();
    void laidOutPagesPaintAlikeFromTheLayoutsWidths();
};

namespace {

using Face = ReportFonts::Face;

// The page drawn by `paint` on a 1200 dpi PDF writer, as the operators of its
// content streams that place text (BT..ET) or clip (W, W*), one per line.
QStringList textOperators(const std::function<void(QPdfWriter &)> &paint)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(1200);
        pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(210, 297), QPageSize::Millimeter), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
        paint(pdf);
    }
    QStringList out;

    qsizetype from = 0;
    while (true) {
        const qsizetype start = bytes.indexOf("stream\n", from);
        if (start < 0)
            break;
        const qsizetype end = bytes.indexOf("endstream", start);
        from = end;
        if (bytes.at(start + 7) != '\x78')   // not deflated: a font or an image
            continue;
        // qUncompress wants the size first; it grows the buffer when the guess is short.
        QByteArray packed("\x00\x10\x00\x00", 4);
        packed += bytes.mid(start + 7, end - start - 7);
        const QString content = QString::fromLatin1(qUncompress(packed));
        bool inText = false;
        for (const QString &line : content.split(u'\n')) {
            if (line == QLatin1String("BT"))
                inText = true;
            if (inText || line.endsWith(QLatin1String(" W")) || line.endsWith(QLatin1String("W* n")))
                out << line;
            if (line == QLatin1String("ET"))
                inText = false;
        }
    }
    return out;
}

} // namespace

void TstReportPainter::linesLandWhereTheirBoxPutsThem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<double>("widthMm");   // of the box
    QTest::addColumn<int>("face");
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("measured");   // the document carries the layout's widths
    const int left = Qt::AlignLeft, right = Qt::AlignRight, centre = Qt::AlignHCenter;
    const int ming = int(Face::Ming);
    // Each row twice: painted from the painter's own measures, and from the
    // widths the layout measured (a line drawn once is then written as text).
    for (const bool measured : {false, true}) {
        auto row = [measured](const char *name) -> QTestData & {
            return QTest::newRow(measured ? qPrintable(QStringLiteral("%1, measured").arg(QLatin1String(name)))
                                          : name);
        };
        row("label on the left") << "1-初級市場" << left << 23.0 << ming << 10.0 << measured;
        // Right-aligned texts are where the box's own rounding clips them.
        row("amount on the right") << "2,600,000" << right << 23.0 << ming << 10.0 << measured;
        row("rate on the right") << "1.3125" << right << 23.0 << ming << 10.0 << measured;
        row("heading in the middle, blanks inside") << "科      目      名      稱" << centre << 97.0 << ming
                                                              << 10.0 << measured;
        row("shrunk amount") << "123,456,789,012,345.123" << right << 32.0 << ming << 8.3 << measured;
        row("title in the Kai face") << "兼營票券利率業務統計表" << centre << 190.0 << int(Face::Kai) << 20.0 << measured;
        row("wider than its box") << "透過損益按公允價值衡量之金融資產" << right << 20.0 << ming << 10.0 << measured;
        row("blanks at both ends") << " 前導與尾端 " << right << 40.0 << ming << 10.0 << measured;
        row("a tab inside") << "A\tB" << left << 40.0 << ming << 10.0 << measured;
        row("a sign from another font") << "雪☃人" << centre << 40.0 << ming << 10.0 << measured;
    }
}

void TstReportPainter::linesLandWhereTheirBoxPutsThem()
{
    QFETCH(QString, text);
    QFETCH(int, alignment);
    QFETCH(double, widthMm);
    QFETCH(int, face);
    QFETCH(double, pointSize);
    QFETCH(bool, measured);
    // The same text twice: the second is drawn from what the first measured.
    ReportDocument document;
    document.pages.append(ReportDocument::Page{});
    if (measured)
        document.measured = std::make_shared<ReferenceWidths>();
    for (double top : {20.0, 40.0}) {
        ReportItem item;
        item.rect = QRectF(10, top, widthMm, 5);
        item.lines = {text};
        item.alignment = Qt::Alignment(alignment);
        item.face = Face(face);
        item.pointSize = pointSize;
        document.pages[0].items.append(item);
    }
    QString error;
    const QStringList painted = textOperators([&](QPdfWriter &pdf) {
        QVERIFY2(ReportPainter::paint(pdf, document, {}, &error), qPrintable(error));
    });
    const QStringList inBoxes = textOperators([&](QPdfWriter &pdf) {
        QPainter painter(&pdf);
        const double pixels = pdf.logicalDpiX() / 25.4;
        painter.setFont(ReportFonts::font(Face(face), pointSize));
        for (const ReportItem &item : std::as_const(document.pages.first().items)) {
            const QRectF box(item.rect.x() * pixels, item.rect.y() * pixels, item.rect.width() * pixels,
                             item.rect.height() * pixels);
            painter.drawText(box, alignment | Qt::AlignVCenter | Qt::TextSingleLine, text);
        }
    });
    QVERIFY(painted.count(QStringLiteral("BT")) >= 2);
    QCOMPARE(painted.join(u'\n'), inBoxes.join(u'\n'));
}

void TstReportPainter::measuresStayBounded_data()
{
    QTest::addColumn<bool>("shapes");   // the painter's shapes, else the fitter's widths
    QTest::newRow("widths") << false;
    QTest::newRow("shapes") << true;
}

// More distinct texts than are kept: the cache starts over rather than grow,
// and a text measured again after that measures the same.
void TstReportPainter::measuresStayBounded()
{
    QFETCH(bool, shapes);
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(47244);   // 1200 dots per inch
    device.setDotsPerMeterY(47244);
    ShapedTexts shaped(&device);
    TextWidths widths(&device);
    const qsizetype limit = shapes ? ShapedTexts::MaxTexts : TextWidths::MaxTexts;
    auto measure = [&](const QString &text) {
        return shapes ? shaped.shape(text, Face::Ming, 10).width : widths.width(text, Face::Ming, 10);
    };
    auto kept = [&] { return shapes ? shaped.cachedTexts() : widths.cachedTexts(); };
    const double first = measure(QStringLiteral("1,234"));
    QVERIFY(first > 0);
    for (qsizetype i = 0; i < limit + 10; ++i) {
        measure(QString::number(i));
        QVERIFY(kept() <= limit);
    }
    QVERIFY(kept() < limit);   // it started over
    QCOMPARE(measure(QStringLiteral("1,234")), first);
    QCOMPARE(measure(QStringLiteral("1,234")), first);
}

void TstReportPainter::laidOutPagesPaintAlikeFromTheLayoutsWidths_data()
{
    QTest::addColumn<QList<QStringList>>("rows");   // code, name, amount
    QTest::newRow("every text once") << QList<QStringList>{{"A0001", "現金", "1,082,257"},
                                                            {"A0002", "存放央行", "-44.43"}};
    QTest::newRow("texts printed again")
        << QList<QStringList>{{"A0001", "現金", "0"}, {"A0001", "現金", "0"}, {"A0001", "現金", "0"}};
    QTest::newRow("a sign from another font") << QList<QStringList>{{"A☃", "雪☃人", "1☃"}};
    QTest::newRow("a name wrapped, an amount shrunk")
        << QList<QStringList>{{"A0003", "透過損益按公允價值衡量之金融資產透過損益按公允價值衡量之金融資產",
                               "123,456,789,012,345.123"}};
    QTest::newRow("blanks at the ends") << QList<QStringList>{{" A1", "名稱 ", " 12 "}};
}

// The widths a layout hands on with its document give the same page on a device
// of the layout's resolution as the painter's own measures do.
void TstReportPainter::laidOutPagesPaintAlikeFromTheLayoutsWidths()
{
    QFETCH(QList<QStringList>, rows);
    ReportDefinition d;
    d.title = QStringLiteral("測試報表");
    d.titleFields = {QStringLiteral("製表日期:2026/03/05")};
    d.columns = {{QStringLiteral("代碼"), 14, Qt::AlignLeft, ReportDefinition::Fit::Wrap},
                 {QStringLiteral("名    稱"), 40, Qt::AlignLeft, ReportDefinition::Fit::Wrap},
                 {QStringLiteral("金額"), 26, Qt::AlignRight, ReportDefinition::Fit::Shrink}};
    QList<ReportRow> reportRows;
    for (const QStringList &cells : std::as_const(rows))
        reportRows.append({cells});
    BandLayout::Geometry g;
    g.paperWidth = 90;
    g.paperHeight = 70;
    g.margin = 4;
    const ReportDocument document = BandLayout(g).layout(d, reportRows);
    QVERIFY(document.measured);
    auto painted = [&](const std::shared_ptr<ReferenceWidths> &measured, bool blank = false) {
        QImage page(qRound(g.paperWidth / 25.4 * ReferenceWidths::Dpi),
                    qRound(g.paperHeight / 25.4 * ReferenceWidths::Dpi), QImage::Format_Grayscale8);
        page.setDotsPerMeterX(47244);   // 1200 dots per inch
        page.setDotsPerMeterY(47244);
        page.fill(Qt::white);
        if (blank)
            return page;
        QPainter painter(&page);
        ShapedTexts shapes(&page, measured);
        ReportPainter::paintPage(painter, document.pages.first(), shapes);
        return page;
    };
    const QImage fromLayout = painted(document.measured);
    const QImage ownMeasures = painted({});
    QVERIFY(fromLayout != painted({}, true));
    QVERIFY(fromLayout == ownMeasures);
}

QTEST_MAIN(TstReportPainter)
#include "tst_report_painter.moc"
