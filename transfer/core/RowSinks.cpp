#include <deque>
#include <exception>

#include "connections/core/BatchInsert.h"
#include "transfer/core/CopyRun.h"
#include "transfer/core/CopyStatements.h"
#include "transfer/core/ValueText.h"

CopyRun::CopyRun(Procedure& p, RunReporter& reporter, const CommandRun& run, Datatype::Direction d,
                 const CopyLines& at, const Send::Options& options, CommandHost& host, Db::Recordset& rs,
                 Db::Connection& target, TableCopy& copy)
    : p(p), reporter(reporter), run(run), d(d), at(at), options(options), host(host), rs(rs), target(target),
      o(copy), columns(rs.FieldCount()) {
    // Worked out once per table rather than for every value.
    for (int j = 0; j < columns; ++j) db2Dates.push_back(Transfer::TakesDb2Date(d, rs.Fields(j).Type));
    if (options.verify) verify.emplace(columns);
    if (!options.rejects.isEmpty()) {
        QStringList names;
        for (int j = 0; j < columns; ++j) names << rs.Fields(j).Name;
        rejects = std::make_unique<Rejects::File>(options.rejects, copy.table, names);
    }
}

bool CopyRun::lost() const { return Db::ConnectionLost(p.lastFailure().error); }

QString CopyRun::text(int j, const Db::Value& v) const {
    static const Db::Value empty = QString();
    const Db::Value& w = Transfer::ValueOrDefault(v, empty);
    return db2Dates[size_t(j)] ? Db2DateText(w, locale) : ValueText(w, locale);
}

void CopyRun::stored(const std::vector<Db::Value>& values) {
    ++o.copied;
    repeated_.succeeded();
    if (verify) verify->sent(values);
}

Rejects::Field CopyRun::rejectField(const Db::Value& v, const QString& text) {
    return Db::isNull(v) ? Rejects::Field() : Rejects::Field(text);
}

void CopyRun::keepRejected(const Rejects::Row& values, const QString& error) {
    if (rejects->write(values, error)) {
        o.rejectsFile = rejects->path();
        o.rejected = rejects->rows();
    } else if (!rejectsFailed_) {
        rejectsFailed_ = true;
        host.message(QStringLiteral("%1: the refused rows cannot be written to %2.").arg(o.table, options.rejects));
    }
}

bool CopyRun::refused(const QString& kind, long long row, bool connectionLost, const Rejects::Row* values,
                      const QString& error) {
    if (connectionLost) {
        o.lost = true;
        return false;
    }
    if (rejects && values) keepRejected(*values, error);
    if (repeated_.failed(kind, row)) o.stopped = true;
    return !o.stopped;
}

namespace {

// Every row's statement is built in the one buffer, which keeps the room
// the longest row needed.
void Restart(QString& statement, const QString& start) {
    statement.resize(0);
    statement += start;
}

// One literal INSERT per row, as the window sends them.
class LiteralInserts : public RowSink {
public:
    LiteralInserts(CopyRun& c, const QString& table)
        : c_(c), start_(Transfer::InsertStart(c.d, table)), values_(size_t(c.columns)), fields_(size_t(c.columns)) {}

    void startRow() override {
        c_.p(c_.at.startInsert, [&] { Restart(statement_, start_); });
    }
    void read(int j, const Db::Value& v) override {
        text_ = c_.text(j, v);
        if (c_.verify) values_[size_t(j)] = Transfer::BoundText(c_.d, text_);
        if (c_.rejects) fields_[size_t(j)] = CopyRun::rejectField(v, text_);
    }
    void append(int) override {
        c_.p(c_.at.appendValue, [&] { Transfer::AppendValue(c_.d, statement_, text_); });
    }
    bool send(long long row) override {
        c_.p(c_.at.endInsert, [&] { Transfer::EndInsert(statement_); });
        if (c_.p(c_.at.insert, [&] { c_.target.Execute(statement_); })) {
            c_.stored(values_);
            return true;
        }
        return c_.refused(Db::FailureKind(c_.p.lastFailure().error), row, c_.lost(), &fields_,
                          c_.p.lastFailure().description);
    }

private:
    CopyRun& c_;
    const QString start_;
    QString statement_, text_;
    std::vector<Db::Value> values_;
    Rejects::Row fields_;
};

// Rows bound to one prepared INSERT, a batch of them per execution and per
// transaction: the texts the literals would carry, or the values in their
// kept types.
class BoundBatches : public RowSink {
public:
    BoundBatches(CopyRun& c, std::unique_ptr<Db::BatchInsert> batch)
        : c_(c), batch_(std::move(batch)), values_(size_t(c.columns)), fields_(size_t(c.columns)) {}

    void read(int j, const Db::Value& v) override {
        const bool keep = c_.options.keepTypes &&
                          c_.kept[size_t(j)].conversion != KeptTypes::Conversion::DefaultText;
        if (keep) values_[size_t(j)] = KeptTypes::Convert(c_.kept[size_t(j)], v);
        if (keep && !c_.rejects) return;
        // The literal's text, made once for the value and for the rejects.
        const QString text = c_.text(j, v);
        if (!keep) values_[size_t(j)] = Transfer::BoundText(c_.d, text);
        if (c_.rejects) fields_[size_t(j)] = CopyRun::rejectField(v, text);
    }
    bool send(long long row) override;
    void finish() override {
        std::vector<Db::RowFailure> failures;
        if (c_.p(c_.at.insert, [&] { failures = batch_->flush(); }))
            settle(failures);
        else
            c_.o.lost = c_.lost();
    }

private:
    // Rows given to the batch and not yet stored or refused: their row
    // numbers in the table, their values for the check after the copy, and
    // their texts for the rejects file.
    struct Waiting {
        long long row;
        std::vector<Db::Value> values;
        Rejects::Row fields;
    };
    bool settle(const std::vector<Db::RowFailure>& failures);

    CopyRun& c_;
    std::unique_ptr<Db::BatchInsert> batch_;
    std::vector<Db::Value> values_;
    Rejects::Row fields_;
    std::deque<Waiting> waiting_;
    long long decided_ = 0;  // rows of the batch stored or refused so far
};

bool BoundBatches::send(long long row) {
    waiting_.push_back({row, c_.verify ? values_ : std::vector<Db::Value>(), c_.rejects ? fields_ : Rejects::Row()});
    const long long taken = batch_->rowsTaken();
    std::vector<Db::RowFailure> failures;
    if (c_.p(c_.at.insert, [&] { failures = batch_->add(values_); })) return settle(failures);
    // What became of the batch's rows is not known.
    if (batch_->rowsTaken() != taken) return false;
    // A row the batch could not take is refused like a row the target
    // refused.
    waiting_.pop_back();
    return c_.refused(Db::FailureKind(c_.p.lastFailure().error), row, c_.lost(), &fields_,
                      c_.p.lastFailure().description);
}

// What a batch says of its rows once it has sent them: each refusal
// reported, the rows stored counted (and kept for the check); false when
// the table stops here.
bool BoundBatches::settle(const std::vector<Db::RowFailure>& failures) {
    const long long sent = batch_->rowsSent();
    size_t next = 0;
    bool goOn = true;
    while (decided_ < sent && !waiting_.empty()) {
        Waiting w = std::move(waiting_.front());
        waiting_.pop_front();
        ++decided_;
        if (next == failures.size() || failures[next].row != decided_) {
            c_.stored(w.values);
            continue;
        }
        const Db::RowFailure& f = failures[next++];
        c_.reporter.atRow(w.row);
        c_.reporter.report(
            Failure{c_.p.name(), c_.at.insert, f.error.description(), std::make_exception_ptr(f.error), {}, 0});
        goOn = c_.refused(f.error.kind(), w.row, f.error.connectionLost(), &w.fields, f.error.description()) && goOn;
        // Over a lost connection the rest of the batch went nowhere.
        if (c_.o.lost) return false;
    }
    return goOn;
}

}  // namespace

std::unique_ptr<RowSink> MakeRowSink(CopyRun& c, const QString& table) {
    if (!c.options.keepTypes && c.options.batch == 0) return std::make_unique<LiteralInserts>(c, table);
    std::vector<Db::Parameter> parameters(size_t(c.columns), Db::TextParameter());
    for (size_t j = 0; j < c.kept.size(); ++j) parameters[j] = c.kept[j].parameter;
    std::unique_ptr<Db::BatchInsert> batch;
    if (!c.p(c.at.insert, [&] {
            batch = std::make_unique<Db::BatchInsert>(c.target, Transfer::PreparedInsert(c.d, table, c.columns),
                                                      parameters, std::max(c.options.batch, 1));
        })) {
        c.o.lost = c.lost();
        return nullptr;
    }
    return std::make_unique<BoundBatches>(c, std::move(batch));
}
