#include "cli/cli_command.h"
#include "db/database.h"
#include "db/reference_lists.h"
#include "db/table_cursor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {

QList<CliCommand> &registry()
{
    static QList<CliCommand> commands;
    return commands;
}

void printHelp(QTextStream &out)
{
    out << "velq8-cli: batch work on the Velqora<VELQ8> declaration database.\n\n"
        << "Usage: velq8-cli [--database FILE] COMMAND [options]\n\n"
        << "  --database FILE  the database file to work on; without it, the file the\n"
        << "                   engine alias CLIENT8 resolves to (the one the window opens):\n"
        << "                   " << Database::defaultFile() << "\n"
        << "  --help           this text\n\n"
        << "Commands:\n";
    for (const CliCommand &c : CliCommand::all()) {
        out << "  " << c.usage << "\n";
        for (const QString &line : c.summary.split(u'\n'))
            out << "      " << line << "\n";
        out << "\n";
    }
    out << "Exit status: 0 done, 1 nothing done, 2 failure or wrong input.\n";
}

// The command a command line names: its first word that is neither an option
// nor the file of "--database". Read before the application object exists,
// since the command decides which one that is.
const CliCommand *namedCommand(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--database")) {
            ++i;
            continue;
        }
        if (arg.startsWith(u'-'))
            continue;
        for (const CliCommand &c : registry()) {
            if (c.name == arg)
                return &c;
        }
        return nullptr;
    }
    return nullptr;
}

std::unique_ptr<QCoreApplication> makeApplication(int &argc, char *argv[])
{
    const CliCommand *command = namedCommand(argc, argv);
    if (command && command->needsGui) {
        // Always offscreen: the command only draws into files, so a display adds
        // nothing, and a platform named for the windows (xcb) aborts the program
        // where there is no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

const QList<CliCommand> &CliCommand::all() { return registry(); }

CliCommand::Registrar::Registrar(CliCommand command)
{
    auto &list = registry();
    // Keep the help in a stable order whatever the link order.
    const QStringList order{QStringLiteral("init"), QStringLiteral("migrate"), QStringLiteral("export"),
                            QStringLiteral("verify"), QStringLiteral("import"), QStringLiteral("check"),
                            QStringLiteral("report"), QStringLiteral("formulas")};
    auto rank = [&](const QString &n) { const auto i = order.indexOf(n); return i < 0 ? 100 : int(i); };
    auto it = list.begin();
    while (it != list.end() && rank(it->name) <= rank(command.name))
        ++it;
    list.insert(it, std::move(command));
}

bool CliContext::openDatabase()
{
    QString error;
    if (!QFileInfo::exists(databaseFile)) {
        err << "找不到資料庫檔案: " << databaseFile << "\n"
            << "(velq8-cli init creates a new database)\n";
        return false;
    }
    if (!Database::open(databaseFile, &error)) {
        err << error << "\n";
        return false;
    }
    return true;
}

bool CliContext::declaringBankCode(QString *code, const QString &noInstitution)
{
    ReferenceLists references;
    if (!references.tblBN01().open()) {
        err << references.tblBN01().lastError() << "\n";
        return false;
    }
    if (references.tblBN01().isEmpty()) {
        err << noInstitution << "\n";
        return false;
    }
    *code = references.declaringBankCode();
    return true;
}

bool CliArgs::flag(const QString &name)
{
    return m_args.removeAll(name) > 0;
}

bool CliArgs::value(const QString &name, QString *out)
{
    const auto i = m_args.indexOf(name);
    if (i < 0 || i + 1 >= m_args.size())
        return false;
    *out = m_args.at(i + 1);
    m_args.remove(i, 2);
    return true;
}

bool CliArgs::intValue(const QString &name, int min, int max, int *out, bool *present, QString *error)
{
    *present = m_args.contains(name);
    if (!*present)
        return true;
    QString text;
    if (!value(name, &text)) {
        *error = name + " needs a value";
        return false;
    }
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max) {
        *error = QStringLiteral("%1 must be a whole number from %2 to %3: %4").arg(name).arg(min).arg(max).arg(text);
        return false;
    }
    *out = v;
    return true;
}

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velqora"));
    QCoreApplication::setApplicationName(QStringLiteral("velq8"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    QStringList args = QCoreApplication::arguments().mid(1);
    CliContext context{Database::defaultFile(), out, err};
    if (args.isEmpty() || args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        printHelp(args.isEmpty() ? err : out);
        return args.isEmpty() ? 2 : 0;
    }
    const auto dbAt = args.indexOf(QStringLiteral("--database"));
    if (dbAt >= 0) {
        if (dbAt + 1 >= args.size()) {
            err << "--database needs a file\n";
            return 2;
        }
        context.databaseFile = args.at(dbAt + 1);
        args.remove(dbAt, 2);
    }
    if (args.isEmpty()) {
        printHelp(err);
        return 2;
    }
    const QString name = args.takeFirst();
    for (const CliCommand &c : CliCommand::all()) {
        if (c.name == name) {
            const int status = c.run(context, args);
            out.flush();
            err.flush();
            Database::close();
            return status;
        }
    }
    err << "unknown command: " << name << "\n\n";
    printHelp(err);
    return 2;
}
