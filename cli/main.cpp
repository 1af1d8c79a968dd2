#include "cli/cli_command.h"
#include "common/period.h"
#include "db/database.h"
#include "db/reference_lists.h"
#include "db/table_cursor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <cstdio>
#include <memory>

namespace {

QList<CliCommand> &registry()
{
    static QList<CliCommand> commands;
    return commands;
}

// Each command's summary in Traditional Chinese, printed before the English one
// the command registers. Keyed by the command's name; tests/packaging fails for a
// command listed in the help without one here.
const QHash<QString, QString> &chineseSummaries()
{
    static const QHash<QString, QString> texts{
        {QStringLiteral("init"),
         QStringLiteral("建立新資料庫，含所有資料表及隨附的參考資料（縣市、科目代號、\n"
                        "平衡公式、範例機構及範例月份）。檔案已存在時拒絕，結束狀態 2。")},
        {QStringLiteral("migrate"),
         QStringLiteral("自 DIR 中的舊 dBASE 資料表（.dbf，Big5 文字）建立新資料庫，\n"
                        "每個資料表一個檔案，與資料表同名（大小寫不拘）。資料只取自檔案\n"
                        "（不載入隨附的參考資料）；沒有檔案的資料表建立為空表。每個資料表\n"
                        "印出讀入、拒絕及已刪除的筆數，以及每筆被拒絕紀錄的序號與原因。\n"
                        "結束狀態 0：全部讀入；1：已建立，有紀錄被拒絕；\n"
                        "2：未建立任何檔案（已存在的檔案會被拒絕）。")},
        {QStringLiteral("export"),
         QStringLiteral("將該月份申報機構（BN01 第一筆）的申報檔寫入 DIR，依序為\n"
                        "B01、B02、B05、B03、B04（未指定 --kinds 時五種全部）。已存在的\n"
                        "檔案保留並報告，除非指定 --overwrite。每個檔案自磁碟讀回並與其\n"
                        "資料比對後才取得檔名。訊息寫在標準錯誤輸出；標準輸出先列出寫入\n"
                        "的檔案路徑，再每個檔案一行，與 verify 所印相同（路徑、種類、機構、\n"
                        "期間、筆數、SHA-256，以 TAB 分隔）。結束狀態 0：有檔案寫入；\n"
                        "1：沒有檔案寫入；2：失敗（不留下寫了一半或不相符的檔案）。")},
        {QStringLiteral("verify"),
         QStringLiteral("不需資料庫，以匯入的讀法讀申報檔：種類取自檔名前三個字元\n"
                        "（B01 至 B05），年月取自第 11 至 15 個字元；每一行必須恰為該種類\n"
                        "的一筆紀錄。每個格式正確的檔案在標準輸出印一行（路徑、種類、機構、\n"
                        "期間、筆數、SHA-256，以 TAB 分隔，與 export 所印相同）；其他檔案\n"
                        "在標準錯誤輸出印出匯入的訊息及第一個錯誤的行與欄位。有資料庫時\n"
                        "（--database 或別名），格式正確的檔案再印一行：路徑、TAB、紀錄中\n"
                        "相同 SHA-256 的匯出日期與匯出者，或查無相符的匯出紀錄。\n"
                        "結束狀態 0：每個檔案都正確；否則 2。")},
        {QStringLiteral("history"),
         QStringLiteral("列出資料庫對自身作業的紀錄，每筆一行，以 TAB 分隔。exports：寫出\n"
                        "的每個申報檔，新者在前：時間、匯出者、種類、機構、期間、筆數、\n"
                        "SHA-256、檔案。changes：該月份每一筆異動的申報資料，依作業先後：\n"
                        "作業編號、時間、異動者、作業（鍵入、匯入、刪除整月）、種類、機構、\n"
                        "資料列鍵值、異動前與異動後的值（空白表示該列不存在）；--kind 只列\n"
                        "一個種類，--account 只列一個科目。結束狀態 0；用法錯誤或資料庫\n"
                        "失敗為 2。")},
        {QStringLiteral("import"),
         QStringLiteral("將一個申報檔讀入其種類的資料表，機構與月份取自檔案；檔案就地\n"
                        "讀取，不被更改。已存在的月份只有指定 --replace 時才取代（否則\n"
                        "結束狀態 1，不寫入任何資料）；無法讀取的檔案結束狀態 2，並指出\n"
                        "行與欄位。")},
        {QStringLiteral("check"),
         QStringLiteral("依平衡公式檢核申報機構該月份的營運資料；指定 --county 時依縣市\n"
                        "公式檢核該月份的縣市資料（所有機構的資料列），逐一縣市。每個不成立\n"
                        "的公式及每個無金額的科目印一行：公式、TAB、左式值、TAB、右式值\n"
                        "（缺少科目時兩者皆空白）；全部成立時印「資料完全符合!!!」。\n"
                        "指定 --explain 時，每個不成立公式的行下逐行列出其步驟，縮排兩格：\n"
                        "左式或右式、科目代號、名稱、期間、運算符號、金額（或「缺少」）、\n"
                        "累計值及附註，以 TAB 分隔；最後為「比較」、左式值、比較符號、\n"
                        "右式值及「不成立」。")},
        {QStringLiteral("report"),
         QStringLiteral("將該月份的報表以報表對話框列印的樣子寫成 PDF（--pdf），或寫成\n"
                        "Excel 活頁簿（--xlsx：金額為數值，格式依報表的數字格式，\n"
                        "county-detail 每個縣市一個工作表），兩者可同時指定。KIND 為\n"
                        "operating-detail（營運資料明細表）、operating-check（營運資料明細\n"
                        "檢核表）、overdue-ratio（各營業單位逾期放款超過 3%  明細表）、\n"
                        "bills-rate（兼營票券利率業務統計表）、bills-trading（兼營票券交易\n"
                        "業務統計表）、county-detail（銀行縣市別營運資料明細表）或\n"
                        "county-check（銀行縣市別營運資料檢核表）。overdue-ratio、bills-rate\n"
                        "及 bills-trading 的年或月為 0 時該部分期間不限。--unit 為金額單位\n"
                        "（預設 元）：operating-detail 及 county-detail 以之換算金額，\n"
                        "county-check 不接受，其他報表只印出；--county 為 county-detail\n"
                        "的縣市代號（0 或未指定：每個縣市）；--date 為列印日期（預設今天）。\n"
                        "印出檔案及頁數（活頁簿：工作表數）。結束狀態 0：檔案已寫入；\n"
                        "1：沒有可列印的資料\n"
                        "（報表的訊息，不寫檔案）；2：輸入有誤或失敗（不留下不完整的檔案）。")},
        {QStringLiteral("formulas"),
         QStringLiteral("將一組平衡公式（operating：RuleNo1、RuleNo2；county：HRuleNo1、\n"
                        "HRuleNo2）寫成一個 UTF-8、以 TAB 分隔的檔案，或讀入這樣的檔案\n"
                        "取代之。每行一筆資料列：資料表名稱，再依序為其欄位（「#」開頭的\n"
                        "行為註解）。讀入時先檢查每一行（比較符號、運算符號、科目存在於\n"
                        "CACNO/HCACNO、左式項目、重複的鍵值），逐行指出錯誤；檔案完全\n"
                        "正確時才在一個交易中取代整組公式。\n"
                        "結束狀態 0：已寫出或已取代；2：拒絕或失敗（未做任何更改）。")},
        {QStringLiteral("copy"),
         QStringLiteral("將資料庫（--database 檔案，或別名所指的）移入 LOCATION 的新空白\n"
                        "資料庫：伺服器資料庫 postgresql://...（或尚不存在的檔案），在一個\n"
                        "交易中建立資料表（不含參考資料），依儲存順序複製每個資料表的每一筆，\n"
                        "再逐表讀回，核對筆數及資料列的 SHA-256。每個資料表印一行（資料表、\n"
                        "筆數、寫入敘述數、SHA-256，以 TAB 分隔），最後印「複製並核對完成」。\n"
                        "結束狀態 0：已複製並核對；2：拒絕（目的已有資料表或無法連線、\n"
                        "來源不是資料庫）或失敗，目的資料庫維持原狀。")},
    };
    return texts;
}

// The help: Traditional Chinese first, the English after it. The command lines
// (usage) stay one a line, indented by two blanks, as scripts and tests find them.
void printHelp(QTextStream &out)
{
    out << "velq8-cli：Velqora<VELQ8> 申報資料庫的批次作業。\n"
        << "velq8-cli: batch work on the Velqora<VELQ8> declaration database.\n\n"
        << "用法：velq8-cli [--database 檔案] 命令 [選項]\n"
        << "Usage: velq8-cli [--database FILE] COMMAND [options]\n\n"
        << "  --database FILE  要處理的資料庫檔案；未指定時為引擎別名 CLIENT8 所指的\n"
        << "                   檔案（即視窗程式開啟的那一個）：\n"
        << "                   the database file to work on; without it, the file the\n"
        << "                   engine alias CLIENT8 resolves to (the one the window opens):\n"
        << "                   " << Database::defaultFile() << "\n"
        << "  --help           顯示本說明\n"
        << "                   this text\n\n"
        << "命令 Commands:\n";
    for (const CliCommand &c : CliCommand::all()) {
        out << "  " << c.usage << "\n";
        const QString chinese = chineseSummaries().value(c.name);
        QStringList lines = chinese.isEmpty() ? QStringList() : chinese.split(u'\n');
        lines += c.summary.split(u'\n');
        for (const QString &line : lines)
            out << "      " << line << "\n";
        out << "\n";
    }
    out << "結束狀態：0 完成，1 未做任何事，2 失敗或輸入有誤。\n"
        << "Exit status: 0 done, 1 nothing done, 2 failure or wrong input.\n";
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
                            QStringLiteral("report"), QStringLiteral("formulas"), QStringLiteral("history"),
                            QStringLiteral("copy")};
    auto rank = [&](const QString &n) { const auto i = order.indexOf(n); return i < 0 ? 100 : int(i); };
    auto it = list.begin();
    while (it != list.end() && rank(it->name) <= rank(command.name))
        ++it;
    list.insert(it, std::move(command));
}

bool CliContext::openDatabase()
{
    QString error;
    if (!Database::isServer(databaseFile) && !QFileInfo::exists(databaseFile)) {
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

bool CliArgs::period(int minimum, int *year, int *month, bool *hasYear, bool *hasMonth, QString *error)
{
    return intValue(QStringLiteral("--year"), minimum, Period::MaxYear, year, hasYear, error)
        && intValue(QStringLiteral("--month"), minimum, Period::MaxMonth, month, hasMonth, error);
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
