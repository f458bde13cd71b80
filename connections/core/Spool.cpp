#include "connections/core/Spool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <variant>

#include "connections/core/Error.h"

namespace Db {

namespace {

constexpr long long DefaultBudget = 8LL << 20;
// Blocks of the memory part double from small, so that the many small
// recordsets (table lists) take little.
constexpr std::size_t FirstBlock = 4 << 10;
constexpr std::size_t LargestBlock = 1 << 20;
constexpr std::size_t BufferSize = 256 << 10;

// Each value is its kind (the index of its alternative in Value, or Utf8),
// then the alternative's bytes: fixed-size ones as they lie in memory, the
// others as a length and their bytes.
template <typename T, std::size_t I = 0>
constexpr unsigned char tagOf() {
    if constexpr (std::is_same_v<std::variant_alternative_t<I, Value>, T>)
        return I;
    else
        return tagOf<T, I + 1>();
}
// Text as the driver delivered it, in UTF-8; it becomes a QString only when
// handed out.
constexpr unsigned char Utf8 = std::variant_size_v<Value>;
// Marks the length of a value that arrived in pieces and turned out NULL.
constexpr std::uint64_t Absent = std::uint64_t(1) << 63;

Error fileError(const char* what, const QByteArray& folder, int error) {
    return Error(QStringLiteral("The rows of the table are more than Velmarch keeps in memory, and the "
                                "temporary file for the rest could not be %1 in \"%2\" (the folder "
                                "TMPDIR names, otherwise /tmp): %3.")
                     .arg(QLatin1String(what), QString::fromLocal8Bit(folder), qt_error_string(error)),
                 {});
}

}  // namespace

long long Spool::budgetFromEnvironment() {
    bool ok = false;
    const long long bytes = qEnvironmentVariable("VELMARCH_SPOOL_BUDGET").trimmed().toLongLong(&ok);
    return ok && bytes >= 0 ? bytes : DefaultBudget;
}

Spool::Spool(int columns, long long budget) : columns_(columns), budget_(std::max(0LL, budget)) {}

Spool::~Spool() {
    if (fd_ >= 0) ::close(fd_);
}

void Spool::add(const Value& value) {
    const unsigned char tag = static_cast<unsigned char>(value.index());
    put(&tag, 1);
    const auto bytes = [this](const void* data, std::size_t size) {
        const std::uint64_t length = size;
        put(&length, sizeof length);
        put(data, size);
    };
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Null>) {
            } else if constexpr (std::is_same_v<T, Decimal>) {
                bytes(v.digits.data(), v.digits.size());
            } else if constexpr (std::is_same_v<T, QString>) {
                bytes(v.constData(), v.size() * sizeof(QChar));
            } else if constexpr (std::is_same_v<T, Guid>) {
                bytes(v.text.constData(), v.text.size() * sizeof(QChar));
            } else if constexpr (std::is_same_v<T, QByteArray>) {
                bytes(v.constData(), v.size());
            } else {
                static_assert(std::is_trivially_copyable_v<T>);
                put(&v, sizeof v);
            }
        },
        value);
}

void Spool::beginPieces(Pieces kind) {
    const unsigned char tag = kind == Pieces::Utf8Text ? Utf8 : tagOf<QByteArray>();
    put(&tag, 1);
    // The length is known only at the end; its place is kept.
    piecesAt_ = written();
    const std::uint64_t unknown = 0;
    put(&unknown, sizeof unknown);
}

void Spool::addPiece(const char* data, std::size_t size) { put(data, size); }

void Spool::endPieces(bool present) {
    std::uint64_t length = static_cast<std::uint64_t>(written() - piecesAt_) - sizeof length;
    if (!present) length |= Absent;
    overwrite(piecesAt_, &length, sizeof length);
    piecesAt_ = -1;
}

void Spool::put(const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    if (fd_ < 0) {
        while (size > 0 && inMemory_ < budget_) {
            if (blocks_.empty() || blocks_.back().used == blocks_.back().capacity) {
                const std::size_t want =
                    blocks_.empty() ? FirstBlock : std::min(blocks_.back().capacity * 2, LargestBlock);
                const auto capacity =
                    static_cast<std::size_t>(std::min<long long>(want, budget_ - inMemory_));
                blocks_.push_back({std::make_unique_for_overwrite<char[]>(capacity), capacity, 0});
            }
            Block& b = blocks_.back();
            const std::size_t n = std::min(size, b.capacity - b.used);
            std::memcpy(b.data.get() + b.used, p, n);
            b.used += n;
            inMemory_ += static_cast<long long>(n);
            p += n;
            size -= n;
        }
        if (size == 0) return;
        openFile();
    }
    while (size > 0) {
        if (bufferUsed_ == BufferSize) flush();
        const std::size_t n = std::min(size, BufferSize - bufferUsed_);
        std::memcpy(buffer_.get() + bufferUsed_, p, n);
        bufferUsed_ += n;
        p += n;
        size -= n;
    }
}

// Writes over bytes already put, wherever they now are: in memory, in the
// buffer, or in the file.
void Spool::overwrite(long long at, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        std::size_t n = size;
        if (at < inMemory_) {
            // Mostly the last block; else counted from the first.
            long long start = inMemory_ - static_cast<long long>(blocks_.back().used);
            std::size_t i = blocks_.size() - 1;
            if (at < start) {
                start = 0;
                for (i = 0; start + static_cast<long long>(blocks_[i].used) <= at; ++i)
                    start += static_cast<long long>(blocks_[i].used);
            }
            const auto offset = static_cast<std::size_t>(at - start);
            n = std::min(n, blocks_[i].used - offset);
            std::memcpy(blocks_[i].data.get() + offset, p, n);
        } else if (at - inMemory_ >= flushed_) {
            std::memcpy(buffer_.get() + (at - inMemory_ - flushed_), p, n);
        } else {
            const long long offset = at - inMemory_;
            n = static_cast<std::size_t>(std::min<long long>(static_cast<long long>(n), flushed_ - offset));
            for (std::size_t done = 0; done < n;) {
                const ssize_t w = ::pwrite(fd_, p + done, n - done, offset + static_cast<long long>(done));
                if (w < 0 && errno == EINTR) continue;
                if (w < 0) throw fileError("written", folder_, errno);
                done += static_cast<std::size_t>(w);
            }
        }
        at += static_cast<long long>(n);
        p += n;
        size -= n;
    }
}

void Spool::openFile() {
    folder_ = qgetenv("TMPDIR");
    if (folder_.isEmpty()) folder_ = "/tmp";
    int fd = -1;
    errno = EOPNOTSUPP;
#ifdef O_TMPFILE
    // A file without a name, which O_EXCL keeps from ever being given one.
    fd = ::open(folder_.constData(), O_TMPFILE | O_EXCL | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
#endif
    // Where the kernel or the file system has no such files, one that has a
    // name only until it is open.
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        QByteArray path = folder_ + "/velmarch-spool-XXXXXX";
        fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd >= 0) ::unlink(path.constData());
    }
    if (fd < 0) throw fileError("created", folder_, errno);
    fd_ = fd;
    buffer_ = std::make_unique_for_overwrite<char[]>(BufferSize);
}

void Spool::flush() {
    for (std::size_t done = 0; done < bufferUsed_;) {
        const ssize_t w =
            ::pwrite(fd_, buffer_.get() + done, bufferUsed_ - done, flushed_ + static_cast<long long>(done));
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) throw fileError("written", folder_, errno);
        done += static_cast<std::size_t>(w);
    }
    flushed_ += static_cast<long long>(bufferUsed_);
    bufferUsed_ = 0;
}

bool Spool::next(std::vector<Value>& row) {
    if (!reading_) {
        if (fd_ >= 0) flush();
        reading_ = true;
    }
    if (delivered_ == rows_) {
        release();
        return false;
    }
    row.resize(static_cast<std::size_t>(columns_));
    for (Value& v : row) v = takeValue();
    ++delivered_;
    return true;
}

// Once every row is handed out, the memory and the file go at once.
void Spool::release() {
    blocks_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    buffer_.reset();
    bufferUsed_ = bufferAt_ = 0;
}

// Bytes read from the buffer stay where they are until the next read.
void Spool::refill() {
    const std::size_t left = bufferUsed_ - bufferAt_;
    std::memmove(buffer_.get(), buffer_.get() + bufferAt_, left);
    bufferUsed_ = left;
    bufferAt_ = 0;
    while (bufferUsed_ < BufferSize && fileAt_ < flushed_) {
        const auto want = static_cast<std::size_t>(
            std::min<long long>(static_cast<long long>(BufferSize - bufferUsed_), flushed_ - fileAt_));
        const ssize_t r = ::pread(fd_, buffer_.get() + bufferUsed_, want, fileAt_);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw fileError("read back", folder_, errno);
        if (r == 0) break;
        bufferUsed_ += static_cast<std::size_t>(r);
        fileAt_ += r;
    }
}

void Spool::get(void* data, std::size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        if (block_ < blocks_.size()) {
            Block& b = blocks_[block_];
            if (blockAt_ == b.used) {
                b.data.reset();
                ++block_;
                blockAt_ = 0;
                continue;
            }
            const std::size_t n = std::min(size, b.used - blockAt_);
            std::memcpy(p, b.data.get() + blockAt_, n);
            blockAt_ += n;
            p += n;
            size -= n;
            continue;
        }
        if (bufferAt_ == bufferUsed_) {
            if (fd_ >= 0) refill();
            // A file shorter than what was written to it.
            if (bufferAt_ == bufferUsed_) throw fileError("read back", folder_, EIO);
        }
        const std::size_t n = std::min(size, bufferUsed_ - bufferAt_);
        std::memcpy(p, buffer_.get() + bufferAt_, n);
        bufferAt_ += n;
        p += n;
        size -= n;
    }
}

// The next size bytes where they lie, when they lie in one piece; nullptr
// when they do not, and nothing is read then.
const char* Spool::contiguous(std::size_t size) {
    while (block_ < blocks_.size() && blockAt_ == blocks_[block_].used) {
        blocks_[block_].data.reset();
        ++block_;
        blockAt_ = 0;
    }
    if (block_ < blocks_.size()) {
        const Block& b = blocks_[block_];
        if (b.used - blockAt_ < size) return nullptr;
        blockAt_ += size;
        return b.data.get() + blockAt_ - size;
    }
    if (bufferUsed_ - bufferAt_ < size && size <= BufferSize && fd_ >= 0) refill();
    if (bufferUsed_ - bufferAt_ < size) return nullptr;
    bufferAt_ += size;
    return buffer_.get() + bufferAt_ - size;
}

template <typename T>
T Spool::take() {
    T v;
    get(&v, sizeof v);
    return v;
}

// A value of a fixed size, as add wrote it: the alternative I of Value as it
// lay in memory.
template <std::size_t I>
Value Spool::takeFixed(unsigned char tag) {
    if constexpr (I == std::variant_size_v<Value>) {
        throw fileError("read back", folder_, EILSEQ);
    } else {
        using T = std::variant_alternative_t<I, Value>;
        if constexpr (std::is_trivially_copyable_v<T> && !std::is_same_v<T, Null>)
            if (tag == I) return Value(std::in_place_index<I>, take<T>());
        return takeFixed<I + 1>(tag);
    }
}

Value Spool::takeValue() {
    const auto tag = take<unsigned char>();
    switch (tag) {
        case tagOf<Null>():
            return Null{};
        case tagOf<Decimal>(): {
            std::string digits(take<std::uint64_t>(), '\0');
            get(digits.data(), digits.size());
            return Decimal{std::move(digits)};
        }
        case tagOf<QString>():
        case tagOf<Guid>(): {
            QString text(static_cast<qsizetype>(take<std::uint64_t>() / sizeof(QChar)), Qt::Uninitialized);
            get(text.data(), text.size() * sizeof(QChar));
            if (tag == tagOf<Guid>()) return Guid{text};
            return text;
        }
        case tagOf<QByteArray>():
        case Utf8:
            return takeBytes(tag);
    }
    return takeFixed(tag);
}

// Bytes, or text in UTF-8, with a length that marks a value that arrived in
// pieces and turned out NULL.
Value Spool::takeBytes(unsigned char tag) {
    const auto length = take<std::uint64_t>();
    const auto size = static_cast<std::size_t>(length & ~Absent);
    if (tag == Utf8) {
        if (const char* bytes = contiguous(size))
            return (length & Absent) ? Value(Null{})
                                     : Value(QString::fromUtf8(bytes, static_cast<qsizetype>(size)));
    }
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    get(bytes.data(), size);
    if (length & Absent) return Null{};
    if (tag == Utf8) return QString::fromUtf8(bytes);
    return bytes;
}

}  // namespace Db
