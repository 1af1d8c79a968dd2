#include "db/packed_values.h"

#include <QVarLengthArray>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
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

// A value's tag, one byte: the kind of the value, and flags for a typed null
// and a null text (QString(), which hashes and compares equal to "" but binds
// NULL) and for a number held in four bytes. A cell is as wide as its value
// needs: nothing for a null, four bytes for a text (its index in the pool), an
// int, or a 64-bit integer or a double that an int holds exactly (most amounts
// are whole), eight bytes otherwise.
enum Kind : quint8 { Invalid, Bool, Int, UInt, LongLong, ULongLong, Double, Text };
constexpr quint8 KindMask = 0x0f;
constexpr quint8 NullFlag = 0x10;
constexpr quint8 NullTextFlag = 0x20;
constexpr quint8 NarrowFlag = 0x40;

int kindOf(int type)
{
    switch (type) {
    case QMetaType::UnknownType: return Invalid;
    case QMetaType::Bool: return Bool;
    case QMetaType::Int: return Int;
    case QMetaType::UInt: return UInt;
    case QMetaType::LongLong: return LongLong;
    case QMetaType::ULongLong: return ULongLong;
    case QMetaType::Double: return Double;
    case QMetaType::QString: return Text;
    default: return -1;
    }
}

QMetaType typeOf(quint8 kind)
{
    switch (kind) {
    case Bool: return QMetaType::fromType<bool>();
    case Int: return QMetaType::fromType<int>();
    case UInt: return QMetaType::fromType<uint>();
    case LongLong: return QMetaType::fromType<qlonglong>();
    case ULongLong: return QMetaType::fromType<qulonglong>();
    case Double: return QMetaType::fromType<double>();
    case Text: return QMetaType::fromType<QString>();
    default: return {};
    }
}

int widthOf(quint8 tag)
{
    if (tag & (NullFlag | NullTextFlag))
        return 0;
    switch (tag & KindMask) {
    case Invalid: return 0;
    case LongLong:
    case ULongLong:
    case Double: return (tag & NarrowFlag) ? 4 : 8;
    default: return 4;
    }
}

bool fitsInt(qlonglong n)
{
    return n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max();
}

// The tag of a value and its cell (the low `widthOf(tag)` bytes of `cell`).
quint8 encode(const QVariant &v, TextPool &pool, qint64 *cell)
{
    const auto kind = quint8(kindOf(v.metaType().id()));
    *cell = 0;
    if (kind != Invalid && v.isNull())
        return kind | NullFlag;
    switch (kind) {
    case Bool: *cell = v.toBool() ? 1 : 0; return kind;
    case Int: *cell = v.toInt(); return kind;
    case UInt: *cell = qint64(v.toUInt()); return kind;
    case LongLong: {
        const qlonglong n = v.toLongLong();
        *cell = n;
        return fitsInt(n) ? kind | NarrowFlag : kind;
    }
    case ULongLong: {
        const qulonglong n = v.toULongLong();
        std::memcpy(cell, &n, sizeof n);
        return n <= qulonglong(std::numeric_limits<qint32>::max()) ? kind | NarrowFlag : kind;
    }
    case Double: {
        const double n = v.toDouble();
        // A whole number an int holds, but not -0.0, whose sign an int loses.
        if (n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max()
            && n == double(qint32(n)) && !(n == 0 && std::signbit(n))) {
            *cell = qint32(n);
            return kind | NarrowFlag;
        }
        std::memcpy(cell, &n, sizeof n);
        return kind;
    }
    case Text: {
        const QString text = v.toString();
        if (text.isNull())
            return kind | NullTextFlag;
        *cell = qint64(pool.intern(text));
        return kind;
    }
    default: return kind;
    }
}

qint64 readCell(const uchar *at, int width)
{
    if (width == 8) {
        qint64 n;
        std::memcpy(&n, at, sizeof n);
        return n;
    }
    qint32 n = 0;
    if (width == 4)
        std::memcpy(&n, at, sizeof n);
    return n;   // a narrow cell widens with its sign
}

} // namespace

// One allocation: the header, then `count` tags and the cells one after another
// (compact), or the header and a QVariantList (list form).
struct PackedValues::Block
{
    QAtomicInt ref;
    quint16 count = 0;
    bool compact = false;
    TextPool *pool = nullptr;   // holds a reference while the block lives

    quint8 *tags() { return reinterpret_cast<quint8 *>(this + 1); }
    const quint8 *tags() const { return reinterpret_cast<const quint8 *>(this + 1); }
    uchar *cells() { return tags() + count; }
    const uchar *cells() const { return tags() + count; }
    QVariantList *list() { return reinterpret_cast<QVariantList *>(this + 1); }
    const QVariantList *list() const { return reinterpret_cast<const QVariantList *>(this + 1); }

    // The value of a compact cell at `at` with its tag.
    QVariant decode(quint8 tag, const uchar *at) const
    {
        const quint8 kind = tag & KindMask;
        if (tag & NullFlag)
            return QVariant(typeOf(kind));
        const qint64 cell = readCell(at, widthOf(tag));
        switch (kind) {
        case Bool: return QVariant(cell != 0);
        case Int: return QVariant(int(cell));
        case UInt: return QVariant(uint(quint32(cell)));
        case LongLong: return QVariant(qlonglong(cell));
        case ULongLong: {
            if (tag & NarrowFlag)
                return QVariant(qulonglong(cell));
            qulonglong number;
            std::memcpy(&number, &cell, sizeof number);
            return QVariant(number);
        }
        case Double: {
            if (tag & NarrowFlag)
                return QVariant(double(cell));
            double number;
            std::memcpy(&number, &cell, sizeof number);
            return QVariant(number);
        }
        case Text: return (tag & NullTextFlag) ? QVariant(QString()) : QVariant(pool->at(quint32(cell)));
        default: return {};
        }
    }

    static Block *allocate(std::size_t extra)
    {
        static_assert(sizeof(Block) % alignof(QVariantList) == 0);
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
    bool compact = pool && values.size() <= 0xffff;
    for (int i = 0; compact && i < values.size(); ++i)
        compact = kindOf(values.at(i).metaType().id()) >= 0;
    if (!compact) {
        d = Block::allocate(sizeof(QVariantList));
        new (d->list()) QVariantList(values);
        d->count = quint16(qMin<qsizetype>(values.size(), 0xffff));
        d->ref.storeRelaxed(1);
        return;
    }
    // Tags and cells are worked out first: the block is allocated at its size.
    const auto count = std::size_t(values.size());
    QVarLengthArray<quint8, 32> tags(static_cast<qsizetype>(count));
    QVarLengthArray<qint64, 32> cells(static_cast<qsizetype>(count));
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i) {
        tags[i] = encode(values.at(qsizetype(i)), *pool, &cells[i]);
        bytes += std::size_t(widthOf(tags[i]));
    }
    d = Block::allocate(count + bytes);
    d->compact = true;
    d->count = quint16(count);
    d->pool = pool;
    pool->ref.ref();
    d->ref.storeRelaxed(1);
    std::memcpy(d->tags(), tags.data(), count);
    uchar *at = d->cells();
    for (std::size_t i = 0; i < count; ++i) {
        const int width = widthOf(tags[i]);
        if (width == 4) {
            const auto narrow = qint32(cells[i]);
            std::memcpy(at, &narrow, sizeof narrow);
        } else if (width == 8) {
            std::memcpy(at, &cells[i], sizeof cells[i]);
        }
        at += width;
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
    const quint8 *tags = d->tags();
    const uchar *at = d->cells();
    for (int i = 0; i < index; ++i)
        at += widthOf(tags[i]);
    return d->decode(tags[index], at);
}

const QVariant *PackedValues::held(int index) const
{
    if (index < 0 || index >= size() || d->compact)
        return nullptr;
    return &d->list()->at(index);
}

QVariantList PackedValues::toList() const
{
    if (!d)
        return {};
    if (!d->compact)
        return *d->list();
    QVariantList out;
    out.reserve(d->count);
    const uchar *at = d->cells();
    for (int i = 0; i < d->count; ++i) {
        const quint8 tag = d->tags()[i];
        out << d->decode(tag, at);
        at += widthOf(tag);
    }
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
