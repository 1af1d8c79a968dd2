#pragma once

#include "db/declaration_kind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class DataTab;
class QWidget;
class TfmVELQ8MAIN;

// The one place where the main window meets the tabs and dialogs of the other
// folders: which page stands on which tab and which dialog a button opens. A
// dialog missing from the list leaves its button disabled.
namespace MainWindowPages {

struct DataPage
{
    QWidget *widget = nullptr;
    QString caption;
    DataTab *tab = nullptr;
    DeclarationKind::Id kind = DeclarationKind::B01;
};
using DataPages = QList<DataPage>;

// The five data tabs in order, parented to `parent`.
DataPages createDataPages(TfmVELQ8MAIN &window, QWidget *parent);

// Dialog class name -> what its button does.
using Dialogs = QHash<QString, std::function<void()>>;
Dialogs dialogs(TfmVELQ8MAIN &window);

} // namespace MainWindowPages
