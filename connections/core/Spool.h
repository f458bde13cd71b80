#pragma once

#include <QByteArray>
#include <cstddef>
#include <memory>
#include <vector>

#include "connections/core/Value.h"

namespace Db {

// The rows of a client-side recordset, from the first read to the last
// handed out. A table can be far larger than memory, so past a budget the
// rows go to a file in the temp folder (TMPDIR, otherwise /tmp). The file
// has no name from the moment it is open, so nothing is left behind however
// the program ends, and only the user can read it; closing it frees its
// space. The rows are kept as a compact copy of their values, a few times
// smaller than the values themselves.
class Spool {
public:
    // The budget in bytes: VELMARCH_SPOOL_BUDGET when it holds a whole
    // number, otherwise 8 MiB.
    static long long budgetFromEnvironment();

    explicit Spool(int columns, long long budget = budgetFromEnvironment());
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // Writing: each row's values in column order, then endRow. A file that
    // cannot be made or written raises Db::Error.
    void add(const Value& value);
    // A text (as UTF-8) or binary value as the driver hands it over, piece
    // by piece, so that a large one is never held whole on the way.
    enum class Pieces { Utf8Text, Binary };
    void beginPieces(Pieces kind);
    void addPiece(const char* data, std::size_t size);
    // The value ends; a missing one is NULL.
    void endPieces(bool present);
    void endRow() { ++rows_; }

    long long rowCount() const { return rows_; }

    // Reading, once the last row is written: the next row, each row once;
    // false after the last.
    bool next(std::vector<Value>& row);

private:
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };

    void put(const void* data, std::size_t size);
    void overwrite(long long at, const void* data, std::size_t size);
    long long written() const { return inMemory_ + flushed_ + static_cast<long long>(bufferUsed_); }
    void openFile();
    void flush();
    void get(void* data, std::size_t size);
    const char* contiguous(std::size_t size);
    void refill();
    template <typename T>
    T take();
    Value takeValue();
    template <std::size_t I = 0>
    Value takeFixed(unsigned char tag);
    Value takeBytes(unsigned char tag);
    void release();

    int columns_;
    long long budget_;
    long long rows_ = 0;
    long long delivered_ = 0;

    // The part in memory, at most the budget.
    std::vector<Block> blocks_;
    long long inMemory_ = 0;

    // The part in the file, through one buffer: for writing, then for reading.
    int fd_ = -1;
    QByteArray folder_;
    std::unique_ptr<char[]> buffer_;
    std::size_t bufferUsed_ = 0;
    long long flushed_ = 0;

    // Where the length of the value arriving in pieces goes.
    long long piecesAt_ = -1;

    // Reading.
    bool reading_ = false;
    std::size_t block_ = 0;
    std::size_t blockAt_ = 0;
    std::size_t bufferAt_ = 0;
    long long fileAt_ = 0;
};

}  // namespace Db
