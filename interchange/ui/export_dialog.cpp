#include "interchange/ui/export_dialog.h"
#include "ui/window_placement.h"

#include "ui/messages.h"
#include "db/declaration_kind.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int KindRole = Qt::UserRole;

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel *label(const QString &text, const char *name, QWidget *parent)
{
    return named(new QLabel(text, parent), name);
}

} // namespace

TfmVELQ8EXIT::TfmVELQ8EXIT(const QString &institutionCode, QWidget *parent)
    : QDialog(parent), m_institutionCode(institutionCode.trimmed())
{
    setObjectName(QStringLiteral("TfmVELQ8EXIT"));
    setWindowTitle(QStringLiteral("資料匯出"));
    buildUi();
    WindowPlacement::maximise(this);
    // The directory a new dialog starts in: the current directory, as the
    // drive's current directory was. It is set once, not on every activation,
    // so the message boxes of OK never reset the user's choice.
    setDirectory(QDir::currentPath());
}

TfmVELQ8EXIT::~TfmVELQ8EXIT() = default;

void TfmVELQ8EXIT::buildUi()
{
    seYYY = named(new QSpinBox(this), "seYYY");
    seYYY->setRange(0, Period::MaxYear);
    seYYY->setValue(88);
    seMM = named(new QSpinBox(this), "seMM");
    seMM->setRange(0, Period::MaxMonth);
    seMM->setValue(0);

    edDIRECT = named(new QLineEdit(this), "edDIRECT");
    sbDIRECT = named(new QPushButton(QStringLiteral("..."), this), "sbDIRECT");
    sbDIRECT->setToolTip(QStringLiteral("選擇輸出目錄:"));

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setObjectName(QStringLiteral("dirModel"));
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirModel->setReadOnly(true);
    m_dirModel->setRootPath(QDir::rootPath());
    dlbDIRECT = named(new QTreeView(this), "dlbDIRECT");
    dlbDIRECT->setModel(m_dirModel);
    for (int c = 1; c < m_dirModel->columnCount(); ++c)
        dlbDIRECT->hideColumn(c);
    dlbDIRECT->setHeaderHidden(true);

    lbFile = named(new QListWidget(this), "lbFile");
    lbDesir = named(new QListWidget(this), "lbDesir");
    Button1 = named(new QPushButton(QStringLiteral(">"), this), "Button1");
    Button2 = named(new QPushButton(QStringLiteral(">>"), this), "Button2");
    Button3 = named(new QPushButton(QStringLiteral("<"), this), "Button3");
    Button4 = named(new QPushButton(QStringLiteral("<<"), this), "Button4");
    sbOK = named(new QPushButton(QStringLiteral("確定"), this), "sbOK");
    BitBtn2 = named(new QPushButton(QStringLiteral("離開"), this), "BitBtn2");
    for (QPushButton *b : {Button1, Button2, Button3, Button4, sbOK, BitBtn2, sbDIRECT})
        b->setAutoDefault(false);

    // Layout: period, directory chooser, then the two lists with the move buttons.
    auto *periodRow = new QHBoxLayout;
    periodRow->addWidget(label(QStringLiteral("年  "), "labYYY", this));
    periodRow->addWidget(seYYY);
    periodRow->addSpacing(16);
    periodRow->addWidget(label(QStringLiteral("月  "), "labMM", this));
    periodRow->addWidget(seMM);
    periodRow->addStretch();

    auto *dirRow = new QHBoxLayout;
    dirRow->addWidget(label(QStringLiteral("輸出目錄:"), "labDIRECT", this));
    dirRow->addWidget(edDIRECT, 1);
    dirRow->addWidget(sbDIRECT);

    auto *moveColumn = new QVBoxLayout;
    moveColumn->addStretch();
    for (QPushButton *b : {Button1, Button2, Button3, Button4})
        moveColumn->addWidget(b);
    moveColumn->addStretch();

    auto *lists = new QGridLayout;
    lists->addWidget(label(QStringLiteral("檔名:"), "labFile", this), 0, 0);
    lists->addWidget(label(QStringLiteral("欲匯出之檔案名稱:"), "labDesir", this), 0, 2);
    lists->addWidget(lbFile, 1, 0);
    lists->addLayout(moveColumn, 1, 1);
    lists->addWidget(lbDesir, 1, 2);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sbOK);
    buttons->addWidget(BitBtn2);

    auto *main = new QVBoxLayout(this);
    main->addLayout(periodRow);
    main->addWidget(label(QStringLiteral("選擇輸出目錄:"), "labHeading", this));
    main->addLayout(dirRow);
    main->addWidget(dlbDIRECT, 1);
    main->addLayout(lists, 1);
    main->addLayout(buttons);

    connect(seYYY, &QSpinBox::valueChanged, this, [this] { rebuildLists(); });
    connect(seMM, &QSpinBox::valueChanged, this, [this] { rebuildLists(); });
    connect(edDIRECT, &QLineEdit::editingFinished, this, [this] { setDirectory(edDIRECT->text()); });
    connect(sbDIRECT, &QPushButton::clicked, this, &TfmVELQ8EXIT::browseDirectory);
    connect(dlbDIRECT->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    setDirectory(m_dirModel->filePath(current));
            });
    connect(Button1, &QPushButton::clicked, this, &TfmVELQ8EXIT::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfmVELQ8EXIT::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfmVELQ8EXIT::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TfmVELQ8EXIT::Button4Click);
    connect(sbOK, &QPushButton::clicked, this, &TfmVELQ8EXIT::sbOKClick);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

Period TfmVELQ8EXIT::period() const
{
    return Period{seYYY->value(), seMM->value()};
}

void TfmVELQ8EXIT::setDirectory(const QString &directory)
{
    const QString clean = directory.trimmed().isEmpty()
        ? QDir::currentPath()
        : QDir::cleanPath(QDir::fromNativeSeparators(directory.trimmed()));
    const bool changed = clean != m_directory;
    m_directory = clean;
    if (edDIRECT->text() != clean)
        edDIRECT->setText(clean);
    const QModelIndex index = m_dirModel->index(clean);
    if (index.isValid() && dlbDIRECT->currentIndex() != index) {
        const QSignalBlocker block(dlbDIRECT->selectionModel());
        dlbDIRECT->setCurrentIndex(index);
        dlbDIRECT->scrollTo(index);
    }
    if (changed || lbFile->count() + lbDesir->count() == 0)
        rebuildLists();
}

void TfmVELQ8EXIT::browseDirectory()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("選擇輸出目錄:"), m_directory);
    if (!chosen.isEmpty())
        setDirectory(chosen);
}

void TfmVELQ8EXIT::rebuildLists()
{
    lbFile->clear();
    lbDesir->clear();
    for (const DeclarationKind *kind : DeclarationKind::all()) {
        auto *item = new QListWidgetItem(
            ExportEngine::entryPath(m_directory, *kind, m_institutionCode, period()), lbFile);
        item->setData(KindRole, kind->code());
    }
    lbFile->setCurrentRow(0);
    refreshMoveButtons();
}

void TfmVELQ8EXIT::refreshMoveButtons()
{
    Button1->setEnabled(lbFile->count() > 0);
    Button2->setEnabled(lbFile->count() > 0);
    Button3->setEnabled(lbDesir->count() > 0);
    Button4->setEnabled(lbDesir->count() > 0);
}

void TfmVELQ8EXIT::moveCurrent(QListWidget *from, QListWidget *to)
{
    const int row = from->currentRow();
    if (from->count() == 0 || row < 0)
        return;
    to->addItem(from->takeItem(row));
    if (from->count() > 0)
        from->setCurrentRow(qMin(row, from->count() - 1));
    to->setCurrentRow(to->count() - 1);
    refreshMoveButtons();
}

void TfmVELQ8EXIT::moveAll(QListWidget *from, QListWidget *to)
{
    while (from->count() > 0)
        to->addItem(from->takeItem(0));
    if (to->count() > 0)
        to->setCurrentRow(0);
    refreshMoveButtons();
}

void TfmVELQ8EXIT::Button1Click() { moveCurrent(lbFile, lbDesir); }
void TfmVELQ8EXIT::Button2Click() { moveAll(lbFile, lbDesir); }
void TfmVELQ8EXIT::Button3Click() { moveCurrent(lbDesir, lbFile); }
void TfmVELQ8EXIT::Button4Click() { moveAll(lbDesir, lbFile); }

void TfmVELQ8EXIT::returnEntry(const QString &entryPath)
{
    for (int i = 0; i < lbDesir->count(); ++i) {
        if (lbDesir->item(i)->text().trimmed() == entryPath) {
            lbFile->addItem(lbDesir->takeItem(i));
            refreshMoveButtons();
            return;
        }
    }
}

void TfmVELQ8EXIT::showMessage(const ExportEngine::Message &message)
{
    using Icon = ExportEngine::Message::Icon;
    Messages &messages = Messages::current();
    switch (message.icon) {
    case Icon::None: messages.plain(message.text, this, message.detail); break;
    case Icon::Information: messages.information(message.text, this, message.detail); break;
    case Icon::Warning: messages.warning(message.text, this, message.detail); break;
    }
}

void TfmVELQ8EXIT::sbOKClick()
{
    if (lbDesir->count() == 0) {
        Messages::current().warning(ExportEngine::nothingChosenMessage(), this);
        return;
    }

    ExportEngine::Request request;
    for (int i = 0; i < lbDesir->count(); ++i) {
        const DeclarationKind *kind = DeclarationKind::find(lbDesir->item(i)->data(KindRole).toString());
        if (kind && !request.kinds.contains(kind))
            request.kinds.append(kind);
    }
    request.period = period();
    request.directory = m_directory;
    request.institutionCode = m_institutionCode;
    request.confirmOverwrite = [this](const QString &entry) {
        return Messages::current().question(ExportEngine::overwriteQuestion(entry), this);
    };
    request.report = [this](const ExportEngine::Message &message) {
        using Outcome = ExportEngine::Outcome;
        if (message.kind && (message.outcome == Outcome::NoRows || message.outcome == Outcome::Failed))
            returnEntry(message.entryPath);
        showMessage(message);
    };
    m_lastResult = ExportEngine::run(request);
}
