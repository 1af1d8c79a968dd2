#include "interchange/ui/import_dialog.h"
#include "ui/window_placement.h"

#include "ui/messages.h"
#include "ui/shell.h"
#include "db/cached_dataset.h"
#include "db/table_cursor.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The directory shown when the dialog opens: the one of the last import, at
// first the program's current directory.
QString &lastDirectory()
{
    static QString directory = QDir::currentPath();
    return directory;
}

} // namespace

TfmENTERY::TfmENTERY(DeclarationKind::Id kind, CachedDataset &target, Shell &shell, QWidget *parent)
    : QDialog(parent), m_kind(kind), m_target(target), m_shell(shell)
{
    setObjectName(QStringLiteral("TfmENTERY"));
    setWindowTitle(QStringLiteral("匯入作業"));
    setModal(true);
    WindowPlacement::maximise(this);
    buildControls();

    m_shell.setImportKind(kind);
    if (DeclarationKind::get(kind).tab().importMarksProgress) {
        m_shell.setImportInProgress(true);
        m_markSet = true;
    }
    setDirectory(lastDirectory());
}

TfmENTERY::~TfmENTERY()
{
    if (m_markSet)
        m_shell.setImportInProgress(false);
}

void TfmENTERY::buildControls()
{
    auto *heading = new QLabel(QStringLiteral("選擇輸入目錄:"), this);
    heading->setObjectName(QStringLiteral("labHEADING"));
    auto *labDirect = new QLabel(QStringLiteral("輸入目錄:"), this);
    labDirect->setObjectName(QStringLiteral("labDIRECT"));
    auto *labFile = new QLabel(QStringLiteral("檔名:"), this);
    labFile->setObjectName(QStringLiteral("labENTERFILE"));

    edtDIRECT = new QLineEdit(this);
    edtDIRECT->setObjectName(QStringLiteral("edtDIRECT"));
    labDirect->setBuddy(edtDIRECT);
    connect(edtDIRECT, &QLineEdit::editingFinished, this, [this] {
        const QString typed = edtDIRECT->text().trimmed();
        if (QFileInfo(typed).isDir())
            setDirectory(typed);
    });

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setObjectName(QStringLiteral("dirModel"));
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirModel->setRootPath(QDir::rootPath());
    dlbDIRECT = new QTreeView(this);
    dlbDIRECT->setObjectName(QStringLiteral("dlbDIRECT"));
    dlbDIRECT->setModel(m_dirModel);
    for (int c = 1; c < m_dirModel->columnCount(); ++c)
        dlbDIRECT->hideColumn(c);
    dlbDIRECT->header()->hide();
    connect(dlbDIRECT, &QTreeView::clicked, this, &TfmENTERY::dlbDIRECTClick);
    connect(dlbDIRECT, &QTreeView::activated, this, &TfmENTERY::dlbDIRECTClick);

    // Every file of the directory: the kind is not judged by the name.
    m_fileModel = new QFileSystemModel(this);
    m_fileModel->setObjectName(QStringLiteral("fileModel"));
    m_fileModel->setFilter(QDir::Files | QDir::Hidden | QDir::System);
    fbENTERFILE = new QListView(this);
    fbENTERFILE->setObjectName(QStringLiteral("fbENTERFILE"));
    fbENTERFILE->setModel(m_fileModel);
    connect(fbENTERFILE, &QListView::clicked, this, &TfmENTERY::fbENTERFILEClick);
    connect(fbENTERFILE, &QListView::activated, this, &TfmENTERY::fbENTERFILEClick);

    edtFILENAME = new QLineEdit(this);
    edtFILENAME->setObjectName(QStringLiteral("edtFILENAME"));
    labFile->setBuddy(edtFILENAME);

    // Enter imports only from the file name field: in the directory field it
    // moves to the typed directory and must not start an import of nothing.
    connect(edtFILENAME, &QLineEdit::returnPressed, this, &TfmENTERY::sbOKClick);

    sbOK = new QPushButton(QStringLiteral("確定"), this);
    sbOK->setObjectName(QStringLiteral("sbOK"));
    sbOK->setAutoDefault(false);
    connect(sbOK, &QPushButton::clicked, this, &TfmENTERY::sbOKClick);
    sbExit = new QPushButton(QStringLiteral("離開"), this);
    sbExit->setObjectName(QStringLiteral("sbExit"));
    sbExit->setAutoDefault(false);
    connect(sbExit, &QPushButton::clicked, this, &TfmENTERY::sbExitClick);

    auto *grid = new QGridLayout;
    grid->addWidget(labDirect, 0, 0);
    grid->addWidget(edtDIRECT, 0, 1);
    grid->addWidget(dlbDIRECT, 1, 0, 1, 2);
    grid->addWidget(labFile, 0, 2);
    grid->addWidget(edtFILENAME, 0, 3);
    grid->addWidget(fbENTERFILE, 1, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sbOK);
    buttons->addWidget(sbExit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
}

void TfmENTERY::setDirectory(const QString &directory)
{
    const QString path = QDir(directory).absolutePath();
    edtDIRECT->setText(QDir::toNativeSeparators(path));
    const QModelIndex dirIndex = m_dirModel->index(path);
    if (dirIndex.isValid()) {
        dlbDIRECT->setCurrentIndex(dirIndex);
        dlbDIRECT->scrollTo(dirIndex);
    }
    fbENTERFILE->setRootIndex(m_fileModel->setRootPath(path));
}

QString TfmENTERY::directory() const
{
    return QDir::fromNativeSeparators(edtDIRECT->text());
}

void TfmENTERY::setFilePath(const QString &path)
{
    edtFILENAME->setText(QDir::toNativeSeparators(path));
    const QFileInfo info(path);
    if (info.isFile() && info.absolutePath() != QDir(directory()).absolutePath())
        setDirectory(info.absolutePath());
    const QModelIndex fileIndex = m_fileModel->index(info.absoluteFilePath());
    if (fileIndex.isValid())
        fbENTERFILE->setCurrentIndex(fileIndex);
}

QString TfmENTERY::filePath() const
{
    const QString typed = QDir::fromNativeSeparators(edtFILENAME->text().trimmed());
    if (typed.isEmpty() || QDir::isAbsolutePath(typed))
        return typed;
    return QDir(directory()).absoluteFilePath(typed);
}

void TfmENTERY::dlbDIRECTClick(const QModelIndex &index)
{
    if (index.isValid())
        setDirectory(m_dirModel->filePath(index));
}

void TfmENTERY::fbENTERFILEClick(const QModelIndex &index)
{
    if (index.isValid())
        edtFILENAME->setText(QDir::toNativeSeparators(m_fileModel->filePath(index)));
}

void TfmENTERY::sbOKClick()
{
    Messages &messages = Messages::current();
    const QString path = filePath();
    if (!path.isEmpty() && QFileInfo(path).isFile())
        lastDirectory() = QFileInfo(path).absolutePath();

    ImportEngine::Request request;
    request.file = path;
    request.kind = &DeclarationKind::get(m_kind);
    request.target = &m_target;
    request.confirmReplace = [this] { return Messages::current().question(ImportEngine::replaceQuestion(), this); };
    request.busy = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    // The main window's lists, as the tabs show them.
    ImportEngine::Lookups lookups;
    QString lookupError;
    if (!ImportEngine::Lookups::load(*request.kind, m_shell.references(), &lookups, &lookupError)) {
        messages.error(lookupError, this);
        return;
    }
    request.lookups = &lookups;

    m_result = ImportEngine::run(request);
    switch (m_result.status) {
    case ImportEngine::Status::OpenFailed:
        messages.warning(ImportEngine::openFailedMessage(), this, m_result.detail);
        return;   // the dialog stays open
    case ImportEngine::Status::FormatError:
        messages.warning(ImportEngine::formatErrorMessage(), this, m_result.detail);
        return;   // the dialog stays open
    case ImportEngine::Status::DatabaseError:
        messages.error(m_result.detail, this);
        return;   // the dialog stays open
    case ImportEngine::Status::MonthMismatch:
        m_outcome = Outcome::Mismatch;
        messages.information(ImportEngine::monthMismatchMessage(), this, m_result.detail);
        reject();
        return;
    case ImportEngine::Status::Declined:
        m_outcome = Outcome::Declined;
        setModeAfter(DeclarationKind::get(m_kind).tab().modeAfterDecline);
        reject();
        return;
    case ImportEngine::Status::Done:
        break;
    }

    const DeclarationTab &tab = DeclarationKind::get(m_kind).tab();
    m_outcome = tab.importReportsEmpty && m_result.nothingImported() ? Outcome::ImportedEmpty : Outcome::Imported;
    setModeAfter(tab.modeAfterImport);
    if (m_applied)
        m_applied(m_outcome);
    if (m_outcome == Outcome::ImportedEmpty)
        messages.warning(ImportEngine::nothingFoundMessage(), this);
    messages.information(ImportEngine::completedMessage(), this);
    accept();
}

void TfmENTERY::setModeAfter(DeclarationTab::Mode mode)
{
    switch (mode) {
    case DeclarationTab::Mode::Unchanged:
        break;
    case DeclarationTab::Mode::Browse:
        m_shell.setEditMode(EditMode::Browse);
        break;
    case DeclarationTab::Mode::Add:
        m_shell.setEditMode(EditMode::Add);
        break;
    }
}

void TfmENTERY::sbExitClick()
{
    reject();
}
