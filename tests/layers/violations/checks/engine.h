#include <QtGui/QColor>
#include "ui/messages.h"
