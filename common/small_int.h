#pragma once

#include <QtGlobal>

// The range of the tables' small integer fields (SMALLINT: SERIAL, nserial,
// the counts of the side tables): a 16-bit signed whole number. The schema's
// checks, the editing, the loading of shipped data, the formula files, the
// migration and the import's line numbers all hold to it.
namespace SmallInt {

constexpr int Min = -32768;
constexpr int Max = 32767;

constexpr bool contains(double value) { return value >= Min && value <= Max; }

} // namespace SmallInt
