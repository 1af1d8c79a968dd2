#pragma once

#include "common/period.h"
#include "interchange/export_engine.h"

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTreeView;

// "資料匯出": the user picks a month, an output directory and the kinds to
// write; OK writes one declaration file per chosen kind through ExportEngine.
//
// The offered list lbFile holds the entries (directory + base name) of the five
// kinds; the move buttons carry them to the chosen list lbDesir and back. Any
// change of year, month or directory rebuilds both lists. OK writes the chosen
// kinds in the fixed order; a kind with no rows or a failure goes back to the
// offered list. Every message goes through Messages::current().
class TfmVELQ8EXIT : public QDialog
{
    Q_OBJECT
public:
    // institutionCode: BANK_NO of the declaring institution (first BN01 record).
    explicit TfmVELQ8EXIT(const QString &institutionCode, QWidget *parent = nullptr);
    ~TfmVELQ8EXIT() override;

    QString institutionCode() const { return m_institutionCode; }
    Period period() const;
    QString directory() const { return m_directory; }
    // Sets the output directory (as the chooser does) and rebuilds the lists.
    void setDirectory(const QString &directory);
    // The result of the last OK.
    const ExportEngine::Result &lastResult() const { return m_lastResult; }

public slots:
    void Button1Click();   // ">"
    void Button2Click();   // ">>"
    void Button3Click();   // "<"
    void Button4Click();   // "<<"
    void sbOKClick();

private:
    void buildUi();
    void rebuildLists();
    void refreshMoveButtons();
    // The current entry of `from`, or all of its entries, to the end of `to`.
    void moveCurrent(QListWidget *from, QListWidget *to);
    void moveAll(QListWidget *from, QListWidget *to);
    void browseDirectory();
    void returnEntry(const QString &entryPath);
    void showMessage(const ExportEngine::Message &message);

    QString m_institutionCode;
    QString m_directory;
    ExportEngine::Result m_lastResult;

    QSpinBox *seYYY = nullptr;
    QSpinBox *seMM = nullptr;
    QLineEdit *edDIRECT = nullptr;
    QPushButton *sbDIRECT = nullptr;
    QTreeView *dlbDIRECT = nullptr;
    QFileSystemModel *m_dirModel = nullptr;
    QListWidget *lbFile = nullptr;
    QListWidget *lbDesir = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button4 = nullptr;
    QPushButton *sbOK = nullptr;
    QPushButton *BitBtn2 = nullptr;
};
