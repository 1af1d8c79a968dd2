#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// velq8-cli: the engines of the windows for batch work. Each subcommand lives in
// its own file and registers itself with a static CliCommand::Registrar.
//
// Exit status convention: 0 done, 1 nothing done (a refusal the user can mend),
// 2 failure or wrong input.
struct CliContext
{
    QString databaseFile;      // --database FILE, else the file the alias resolves to
    QTextStream &out;          // standard output, UTF-8
    QTextStream &err;          // standard error, UTF-8

    // Opens the declaration database as the application connection; on failure prints
    // the message to err and returns false.
    bool openDatabase();

    // The declaring institution's BANK_NO, as the windows take it: the first BN01
    // record in stored order (only the institutions are read). On failure prints
    // the engine's message, or `noInstitution` when BN01 is empty, to err and
    // returns false.
    bool declaringBankCode(QString *code, const QString &noInstitution);
};

struct CliCommand
{
    using Run = int (*)(CliContext &context, const QStringList &args);

    QString name;
    QString usage;     // "export --year Y --month M [--kinds ...] --dir DIR [--overwrite]"
    QString summary;   // one paragraph for --help
    Run run;
    // Whether the command draws text (the reports measure and embed fonts): it then
    // runs under a QGuiApplication on the offscreen platform, where the other
    // commands run under a QCoreApplication and need no platform at all.
    bool needsGui = false;

    static const QList<CliCommand> &all();

    struct Registrar
    {
        explicit Registrar(CliCommand command);
    };
};

// Small argument helper: "--name value" pairs and flags.
class CliArgs
{
public:
    explicit CliArgs(const QStringList &args) : m_args(args) {}
    bool flag(const QString &name);                 // removes it
    bool value(const QString &name, QString *out);  // removes both; false if absent
    // Removes "--name N" and parses it as an integer in [min, max]; false and
    // *error set when present but wrong; absent leaves *out unchanged and returns true.
    bool intValue(const QString &name, int min, int max, int *out, bool *present, QString *error);
    // "--year Y" and "--month M" as intValue() reads them, a year from `minimum`
    // to Period::MaxYear and a month from `minimum` to 12 (0: every year or month).
    bool period(int minimum, int *year, int *month, bool *hasYear, bool *hasMonth, QString *error);
    QStringList rest() const { return m_args; }     // what is left
private:
    QStringList m_args;
};
