#pragma once

#include <QString>

// One text field of a declaration record: where it stands in the line and how a
// table value is rendered into it and read back.
struct DeclarationField
{
    enum class Rendering {
        Year,             // decimal, zero-padded on the left ("088")
        Month,            // decimal, zero-padded on the left ("05")
        InstitutionCode,  // right-padded with "0" to 7 ("ABC" -> "ABC0000")
        AccountCode,      // left-padded with "0" to the width ("1234" -> "01234")
        AsStored,         // the stored text (flags, county code)
        Number,           // Decimal4 value times the factor, left-padded with "0"
    };

    QString name;          // field name in the table (and in the schema file)
    int offset = 0;        // 0-based position in the line
    int width = 0;         // characters in the line
    Rendering rendering = Rendering::AsStored;
    int factor = 1;        // Number: fixed factor (1, 100, 1000)
    bool accountFactor = false; // Number: factor 1000 for a "p" account, else 1
    int columnWidth = 0;   // text fields: width of the table column in Big5 bytes
    QString schemaWidth;   // the width as the schema file writes it ("03", "1", ...)

    int end() const { return offset + width; }
    bool isNumber() const { return rendering == Rendering::Number; }
    bool isText() const
    {
        return rendering == Rendering::InstitutionCode || rendering == Rendering::AccountCode
            || rendering == Rendering::AsStored;
    }
};
