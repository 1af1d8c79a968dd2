#pragma once

#include "interchange/record_reader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

class DeclarationKind;

// The schema file that describes a declaration file while it is read: plain
// ASCII, lines ended by CR LF,
//
//   [B01ABC000008805]
//   FILETYPE=FIXED
//   CHARSET=ASCII
//   FIELD1=M_YEAR,CHAR,03,00,00
//   ...
//
// one FIELDn line per field: name, type, width, decimals, 0-based offset.
namespace SchemaFile {

// The text for a data file of the kind whose base name is given.
QByteArray text(const QString &baseName, const DeclarationKind &kind);

// The schema beside a data file: same folder and base name, extension ".SCH"
// ("/in/B01ABC000008805.TXT" -> "/in/B01ABC000008805.SCH").
QString pathFor(const QString &dataFile);

// Writes the schema beside the data file (complete or not at all).
bool write(const QString &dataFile, const DeclarationKind &kind, QString *error);

// The field layout a schema text gives for the kind. Refused (nothing, *error
// naming the line) unless it has the heading, FILETYPE=FIXED, CHARSET=ASCII and
// FIELD1, FIELD2, ... lines of type CHAR that name every field of the kind
// exactly once, with whole-number widths (at least 1) and offsets.
std::optional<QList<FieldLayout>> parse(QByteArrayView text, const DeclarationKind &kind, QString *error);
// The same, from a file.
std::optional<QList<FieldLayout>> read(const QString &schemaFile, const DeclarationKind &kind, QString *error);

} // namespace SchemaFile
