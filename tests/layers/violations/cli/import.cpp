#include "interchange/ui/import_dialog.h"
#include "interchange/import_engine.h"
