#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// The rows a target refused, kept in a file per table so the user can load
// them again: RFC 4180 CSV, a header of the column names and a last column
// "error" with the driver's text. Each value is the text the row-by-row
// INSERT sends for it; NULL is an empty field, empty text a quoted "".
namespace Rejects {

// A value's text, none for NULL.
using Field = std::optional<QString>;
using Row = std::vector<Field>;

// One CSV record, CRLF at its end: the fields, then the error.
QString Record(const Row& fields, const QString& error);

// Why the folder cannot take the files, or the empty text when it can.
QString FolderProblem(const QString& folder);

// DIR/<table>.csv, created 0600 with the first row it is given. A file of
// that name is never overwritten: the new one is <table>.1.csv, .2, ...
class File {
public:
    File(QString folder, QString table, QStringList columns);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // False when the row could not be written.
    bool write(const Row& fields, const QString& error);
    const QString& path() const { return path_; }
    long long rows() const { return rows_; }

private:
    bool create();

    QString folder_, table_;
    QStringList columns_;
    QString path_;
    std::unique_ptr<QFile> file_;
    long long rows_ = 0;
};

}  // namespace Rejects
