#include "db/schema.h"
#include <QtWidgets/QWidget>
#include <QSqlQuery>
