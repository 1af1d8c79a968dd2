#pragma once

#include "reports/report_definition.h"
#include "reports/report_row.h"

#include <QList>
#include <QString>

// What building a report gave: its definition and rows, ready to be laid out;
// or the message a user gets instead of a preview (nothing to print, every
// formula holds, an engine error), with how the windows show it.
struct ReportOutcome
{
    enum class Status { Ready, NothingToPrint, Failed };
    // Silent: the windows say nothing (the county check of a month without
    // county data); velq8-cli still prints the message.
    enum class Notice { Plain, Warning, Error, Silent };

    Status status = Status::Failed;
    QString message;
    Notice notice = Notice::Error;
    ReportDefinition definition;
    QList<ReportRow> rows;

    bool isReady() const { return status == Status::Ready; }

    static ReportOutcome ready(ReportDefinition definition, QList<ReportRow> rows)
    {
        return {Status::Ready, {}, Notice::Plain, std::move(definition), std::move(rows)};
    }
    static ReportOutcome nothingToPrint(const QString &message, Notice notice)
    {
        return {Status::NothingToPrint, message, notice, {}, {}};
    }
    static ReportOutcome failed(const QString &message)
    {
        return {Status::Failed, message, Notice::Error, {}, {}};
    }
};
