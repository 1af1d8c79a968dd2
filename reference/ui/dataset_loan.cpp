#include "reference/ui/dataset_loan.h"

#include "db/cached_dataset.h"

DatasetLoan::DatasetLoan(CachedDataset &dataset)
    : m_dataset(dataset)
    , m_columns(dataset.columns())
    , m_allColumns(dataset.columns() == dataset.fieldNames())
    , m_beforePost(dataset.beforePost)
{
}

DatasetLoan::~DatasetLoan()
{
    m_dataset.beforePost = m_beforePost;
    for (const auto &[field, readOnly] : std::as_const(m_readOnly))
        m_dataset.setColumnReadOnly(field, readOnly);
    for (const auto &[field, title] : std::as_const(m_titles))
        m_dataset.setColumnTitle(field, title);
    m_dataset.setColumns(m_allColumns ? QStringList() : m_columns);
}

void DatasetLoan::show(const QStringList &fields, const QStringList &titles)
{
    for (int i = 0; i < fields.size(); ++i) {
        const QString &field = fields.at(i);
        const int column = m_dataset.columns().indexOf(field);
        m_titles.append({field, column >= 0 ? m_dataset.headerData(column, Qt::Horizontal).toString() : field});
        m_readOnly.append({field, m_dataset.isColumnReadOnly(field)});
        m_dataset.setColumnTitle(field, titles.value(i));
    }
    m_dataset.setColumns(fields);
}

void DatasetLoan::setPostGuard(std::function<bool()> guard)
{
    m_dataset.beforePost = std::move(guard);
}
