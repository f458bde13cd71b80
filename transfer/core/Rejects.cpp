#include "transfer/core/Rejects.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>

namespace Rejects {

namespace {

// Quoted when it holds a comma, a quote or a line break, or is empty text;
// its quotes doubled.
QString Csv(const Field& field) {
    if (!field) return {};
    const QString& text = *field;
    if (!text.isEmpty() && !text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A table name as a file name: no folder separator in it.
QString FileStem(QString table) { return table.replace(QLatin1Char('/'), QLatin1Char('_')); }

}  // namespace

QString Record(const Row& fields, const QString& error) {
    QStringList record;
    for (const Field& f : fields) record << Csv(f);
    record << Csv(error);
    return record.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QString FolderProblem(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir()) return QStringLiteral("%1 is no folder").arg(folder);
    if (access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("%1 cannot be written").arg(folder);
    return {};
}

File::File(QString folder, QString table, QStringList columns)
    : folder_(std::move(folder)), table_(std::move(table)), columns_(std::move(columns)) {}

File::~File() = default;

// O_EXCL: a file that is there already, or appears meanwhile, is left alone.
bool File::create() {
    for (int n = 0; n < 10000; ++n) {
        const QString name = FileStem(table_) + (n == 0 ? QString() : QStringLiteral(".%1").arg(n));
        const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".csv");
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return false;
        file_ = std::make_unique<QFile>();
        if (!file_->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) return false;
        path_ = path;
        Row header(columns_.begin(), columns_.end());
        return file_->write(Record(header, QStringLiteral("error")).toUtf8()) >= 0;
    }
    return false;
}

bool File::write(const Row& fields, const QString& error) {
    if (!file_ && !create()) return false;
    if (file_->write(Record(fields, error).toUtf8()) < 0 || !file_->flush()) return false;
    ++rows_;
    return true;
}

}  // namespace Rejects
