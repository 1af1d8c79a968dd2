#include "ui/fonts.h"
#include "app/main_window.h"
#include "ui/messages.h"
#include "app/qt_translations.h"
#include "app/splash_window.h"
#include "ui/window_placement.h"
#include "db/database.h"

#include <QApplication>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velqora"));
    QApplication::setApplicationName(QStringLiteral("velq8"));
    AppFonts::install();
    // Without the file Qt's dialogs stay in English; nothing else depends on it.
    QtTranslations::install(app);

    auto splash = std::make_unique<TfmSplash>();
    splash->showFor(TfmSplash::IntervalMs);

    // The database the alias resolves to; created with the reference data on the
    // first start. A file that cannot be opened is never touched: the program ends.
    const QString file = Database::defaultFile();
    QString error;
    if (!Database::openOrCreate(file, &error)) {
        splash.reset();
        // The message names the file and why; the program ends without touching it.
        Messages::current().error(error + QStringLiteral("\n\n系統結束。"), nullptr);
        return 1;
    }

    TfmVELQ8MAIN window;
    splash.reset();
    WindowPlacement::maximise(&window);
    window.show();
    const int status = app.exec();
    Database::close();
    return status;
}
