#include <QtGui/QFont>
#include "interchange/import_engine.h"
#include "db/schema.h"
