#pragma once

#include "interchange/record_reader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

class DeclarationKind;

// The schema that describes a declaration file while it is read: plain ASCII,
// lines ended by CR LF,
//
//   [B01ABC000008805]
//   FILETYPE=FIXED
//   CHARSET=ASCII
//   FIELD1=M_YEAR,CHAR,03,00,00
//   ...
//
// one FIELDn line per field: name, type, width, decimals, 0-based offset. It
// says in text what the kind's fields say (DeclarationKind); the import reads
// the layout from the kind and never writes a schema beside the data file.
namespace SchemaFile {

// The text for a data file of the kind whose base name is given.
QByteArray text(const QString &baseName, const DeclarationKind &kind);

// The field layout a schema text gives for the kind. Refused (nothing, *error
// naming the line) unless it has the heading, FILETYPE=FIXED, CHARSET=ASCII and
// FIELD1, FIELD2, ... lines of type CHAR that name every field of the kind
// exactly once, with whole-number widths (at least 1) and offsets.
std::optional<QList<FieldLayout>> parse(QByteArrayView text, const DeclarationKind &kind, QString *error);

} // namespace SchemaFile
