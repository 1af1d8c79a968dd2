#include "db/packed_values.h"

#include <cstdlib>
#include <cstring>
#include <new>

quint32 TextPool::intern(const QString &text)
{
    const auto it = m_indexes.constFind(text);
    if (it != m_indexes.constEnd())
        return it.value();
    const auto index = quint32(m_texts.size());
    m_texts.append(text);
    m_indexes.insert(text, index);
    return index;
}

// ---------------------------------------------------------------------------------

namespace {

// A cell's tag: the QMetaType id of the value, with flags for a typed null and
// a null text (QString()), which hash and compare equal to "" but bind NULL.
constexpr quint16 NullFlag = 0x8000;
constexpr quint16 NullTextFlag = 0x4000;
constexpr quint16 TypeMask = 0x3fff;

bool packable(const QVariant &v)
{
    const int type = v.metaType().id();
    if (type > TypeMask)
        return false;
    if (v.isNull())
        return true;   // a typed null keeps only its type
    switch (type) {
    case QMetaType::UnknownType:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::QString:
        return true;
    default:
        return false;
    }
}

} // namespace

// One allocation: the header, then `count` cells, then `count` tags (compact),
// or the header and a QVariantList (list form).
struct PackedValues::Block
{
    QAtomicInt ref;
    quint16 count = 0;
    bool compact = false;
    TextPool *pool = nullptr;   // holds a reference while the block lives

    qint64 *cells() { return reinterpret_cast<qint64 *>(this + 1); }
    const qint64 *cells() const { return reinterpret_cast<const qint64 *>(this + 1); }
    quint16 *tags() { return reinterpret_cast<quint16 *>(cells() + count); }
    const quint16 *tags() const { return reinterpret_cast<const quint16 *>(cells() + count); }
    QVariantList *list() { return reinterpret_cast<QVariantList *>(this + 1); }
    const QVariantList *list() const { return reinterpret_cast<const QVariantList *>(this + 1); }

    static Block *allocate(std::size_t extra)
    {
        static_assert(sizeof(Block) % alignof(QVariantList) == 0 && sizeof(Block) % alignof(qint64) == 0);
        void *memory = std::malloc(sizeof(Block) + extra);
        if (!memory)
            throw std::bad_alloc();
        return new (memory) Block;
    }

    void release()
    {
        if (compact) {
            if (pool && !pool->ref.deref())
                delete pool;
        } else {
            list()->~QVariantList();
        }
        this->~Block();
        std::free(this);
    }
};

PackedValues::PackedValues(const QVariantList &values, TextPool *pool)
{
    bool compact = pool && values.size() <= TypeMask;
    for (int i = 0; compact && i < values.size(); ++i)
        compact = packable(values.at(i));
    if (!compact) {
        d = Block::allocate(sizeof(QVariantList));
        new (d->list()) QVariantList(values);
        d->count = quint16(qMin<qsizetype>(values.size(), 0xffff));
        d->ref.storeRelaxed(1);
        return;
    }
    const auto count = std::size_t(values.size());
    d = Block::allocate(count * (sizeof(qint64) + sizeof(quint16)));
    d->compact = true;
    d->count = quint16(count);
    d->pool = pool;
    pool->ref.ref();
    d->ref.storeRelaxed(1);
    qint64 *cells = d->cells();
    quint16 *tags = d->tags();
    for (std::size_t i = 0; i < count; ++i) {
        const QVariant &v = values.at(qsizetype(i));
        const int type = v.metaType().id();
        quint16 tag = quint16(type);
        qint64 cell = 0;
        if (v.isNull()) {
            tag |= NullFlag;
        } else if (type == QMetaType::Double) {
            const double number = v.toDouble();
            std::memcpy(&cell, &number, sizeof cell);
        } else if (type == QMetaType::QString) {
            const QString text = v.toString();
            if (text.isNull())
                tag |= NullTextFlag;
            else
                cell = qint64(pool->intern(text));
        } else if (type == QMetaType::ULongLong) {
            const qulonglong number = v.toULongLong();
            std::memcpy(&cell, &number, sizeof cell);
        } else if (type != QMetaType::UnknownType) {
            cell = v.toLongLong();
        }
        cells[i] = cell;
        tags[i] = tag;
    }
}

PackedValues::PackedValues(const PackedValues &other) : d(other.d)
{
    if (d)
        d->ref.ref();
}

PackedValues &PackedValues::operator=(const PackedValues &other)
{
    if (other.d)
        other.d->ref.ref();
    if (d && !d->ref.deref())
        d->release();
    d = other.d;
    return *this;
}

PackedValues::~PackedValues()
{
    if (d && !d->ref.deref())
        d->release();
}

int PackedValues::size() const
{
    if (!d)
        return 0;
    return d->compact ? d->count : int(d->list()->size());
}

bool PackedValues::isCompact() const
{
    return d && d->compact;
}

QVariant PackedValues::at(int index) const
{
    if (index < 0 || index >= size())
        return {};
    if (!d->compact)
        return d->list()->at(index);
    const quint16 tag = d->tags()[index];
    const qint64 cell = d->cells()[index];
    const int type = tag & TypeMask;
    if (tag & NullFlag)
        return QVariant(QMetaType(type));
    switch (type) {
    case QMetaType::UnknownType: return {};
    case QMetaType::Bool: return QVariant(cell != 0);
    case QMetaType::Int: return QVariant(int(cell));
    case QMetaType::UInt: return QVariant(uint(cell));
    case QMetaType::LongLong: return QVariant(qlonglong(cell));
    case QMetaType::ULongLong: {
        qulonglong number;
        std::memcpy(&number, &cell, sizeof number);
        return QVariant(number);
    }
    case QMetaType::Double: {
        double number;
        std::memcpy(&number, &cell, sizeof number);
        return QVariant(number);
    }
    case QMetaType::QString:
        return (tag & NullTextFlag) ? QVariant(QString()) : QVariant(d->pool->at(quint32(cell)));
    default: return {};
    }
}

QVariantList PackedValues::toList() const
{
    if (!d)
        return {};
    if (!d->compact)
        return *d->list();
    QVariantList out;
    out.reserve(d->count);
    for (int i = 0; i < d->count; ++i)
        out << at(i);
    return out;
}

bool PackedValues::operator==(const PackedValues &other) const
{
    if (d == other.d)
        return true;
    if (size() != other.size())
        return false;
    for (int i = 0; i < size(); ++i) {
        if (at(i) != other.at(i))
            return false;
    }
    return true;
}
