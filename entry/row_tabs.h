#pragma once

#include "db/declaration_kind.h"

class QWidget;
class RowTab;
class Shell;

// The three row tabs by kind: B02 the overdue ratios (with its unit selector),
// B03 the bills interest rates, B04 the bills trading; nullptr for a kind kept
// by a month tab.
namespace RowTabs {

RowTab *create(Shell &shell, DeclarationKind::Id kind, QWidget *parent = nullptr);

} // namespace RowTabs
