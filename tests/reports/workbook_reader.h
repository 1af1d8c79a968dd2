#pragma once

#include "tests/support/cli_process.h"

#include <QHash>
#include <QMap>
#include <QStringList>
#include <QXmlStreamReader>

// A workbook (.xlsx) read back as a spreadsheet reads it: it is a zip of XML
// files, unpacked here with the `unzip` command. Each cell comes with its kind
// (a number, or a text of the shared strings), its value as written and the
// number format its style names.
class WorkbookReader
{
public:
    struct Cell
    {
        bool number = false;
        QString value;    // the number as written, or the text
        QString format;   // the number format; empty: the general format
    };

    explicit WorkbookReader(const QString &file) : m_file(file)
    {
        m_sheetNames = attributes(part(QStringLiteral("xl/workbook.xml")), QLatin1String("sheet"), QLatin1String("name"));
        readStrings();
        readStyles();
    }

    // True when `unzip` could read the workbook's list of sheets.
    bool isValid() const { return !m_sheetNames.isEmpty(); }
    QStringList sheetNames() const { return m_sheetNames; }

    // The cells of the sheet at `index` (0: the first) by reference ("C6").
    QMap<QString, Cell> cells(int index) const
    {
        QMap<QString, Cell> cells;
        QXmlStreamReader xml(part(QStringLiteral("xl/worksheets/sheet%1.xml").arg(index + 1)));
        QString ref;
        Cell cell;
        bool shared = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"c") {
                ref = xml.attributes().value(QLatin1String("r")).toString();
                shared = xml.attributes().value(QLatin1String("t")) == u"s";
                cell = {!xml.attributes().hasAttribute(QLatin1String("t")), {},
                        m_formats.value(xml.attributes().value(QLatin1String("s")).toInt())};
            } else if (xml.isStartElement() && xml.name() == u"v") {
                const QString v = xml.readElementText();
                cell.value = shared ? m_strings.value(v.toInt()) : v;
                cells.insert(ref, cell);
            }
        }
        return cells;
    }

private:
    QString part(const QString &name) const
    {
        return CliProcess::run(QStringLiteral("unzip"), {QStringLiteral("-p"), m_file, name}).out;
    }

    static QStringList attributes(const QString &xmlText, QLatin1String element, QLatin1String attribute)
    {
        QStringList values;
        QXmlStreamReader xml(xmlText);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element)
                values << xml.attributes().value(attribute).toString();
        }
        return values;
    }

    void readStrings()
    {
        QXmlStreamReader xml(part(QStringLiteral("xl/sharedStrings.xml")));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"si")
                m_strings << QString();
            else if (xml.isStartElement() && xml.name() == u"t")
                m_strings.last() += xml.readElementText();
        }
    }

    // The number format of each cell style, the built-in ones by their numbers.
    void readStyles()
    {
        QHash<int, QString> codes{{0, {}}, {1, "0"}, {2, "0.00"}, {3, "#,##0"}, {4, "#,##0.00"}};
        QXmlStreamReader xml(part(QStringLiteral("xl/styles.xml")));
        bool inCellStyles = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"numFmt")
                codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                             xml.attributes().value(QLatin1String("formatCode")).toString());
            else if (xml.isStartElement() && xml.name() == u"cellXfs")
                inCellStyles = true;
            else if (xml.isEndElement() && xml.name() == u"cellXfs")
                inCellStyles = false;
            else if (inCellStyles && xml.isStartElement() && xml.name() == u"xf")
                m_formats << codes.value(xml.attributes().value(QLatin1String("numFmtId")).toInt(), QStringLiteral("?"));
        }
    }

    QString m_file;
    QStringList m_sheetNames;
    QStringList m_strings;
    QStringList m_formats;
};
