#include "db/stored_rows.h"

// Asks the core: no breach (the statement is the tab's description).
bool Tab::stored() { QString error; return StoredRows::any(QStringLiteral("select 1"), {}, &error).value_or(false); }
