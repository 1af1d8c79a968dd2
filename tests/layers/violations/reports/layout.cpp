#include <QtGui/QFontMetricsF>
#include <QtPrintSupport/QPrinter>
