#pragma once

#include "reports/report_outcome.h"
#include "reports/report_request.h"

#include <QList>
#include <QString>
#include <QStringView>

// The seven reports of the system: the name velq8-cli knows a report by, its
// parameter dialog and what that dialog asks for, and how the report is built.
// The dialogs, velq8-cli and the main window's report buttons all read this
// list; a report whose `build` is empty is not available yet.
struct ReportKind
{
    using Build = ReportOutcome (*)(const ReportRequest &);

    QString name;          // "operating-detail"
    QString dialogName;    // "TfmVELQ8REPA"
    QString caption;       // the dialog's caption
    bool asksUnit = true;
    bool asksCounty = false;
    Build build = nullptr;

    bool isAvailable() const { return build != nullptr; }

    static const QList<ReportKind> &all();
    static const ReportKind *byName(QStringView name);
    static const ReportKind *byDialogName(QStringView dialogName);
};
