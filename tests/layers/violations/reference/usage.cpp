#include "reference/reference_usage.h"
#include "reference/ui/maintenance_window.h"
#include <QtWidgets/QMessageBox>
