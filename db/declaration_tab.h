#pragma once

#include <QString>

// Where the data tabs of the kinds differ, said once in the kind registry: the
// tab's caption and names, its form, its toolbar and what an import does to it.
// The tab page, the main window and the import dialog read it and never ask
// which kind they have.
struct DeclarationTab
{
    // A month tab keeps a month of rows in one grid saved whole (operating and
    // county data); a row tab edits its rows one by one.
    enum class Form { Month, Row };
    // The editing state the import dialog leaves the tab's window in.
    enum class Mode { Unchanged, Browse, Add };

    Form form = Form::Row;
    QString caption;                // on the main window's tab
    QString suffix;                 // of the controls' names: "", "4", "9", "2", "3"
    QString datasetName;            // "qryMPBANK", ...
    int bankLabelNumber = 0;        // labBANKNAME<n>
    QString yearCaption;            // the label after the year field; empty: none
    QString monthCaption;           // the label after the month field; empty: none

    // The record toolbar: empty names are the toolbar's own (sbDel, sbENTERY).
    bool hasCheck = false;          // 檢核 (sbCheck)
    QString deleteName;
    bool deleteHint = true;
    QString importName;
    bool importHint = true;

    // The import of the tab's kind marks itself in progress on the shell while
    // it runs (the operating data's does not).
    bool importMarksProgress = true;
    // An import that stored nothing and found no line says so (Outcome ImportedEmpty).
    bool importReportsEmpty = false;
    Mode modeAfterImport = Mode::Unchanged;
    Mode modeAfterDecline = Mode::Unchanged;
};
