#pragma once

#include <QString>
#include <QStringList>

// What Velmarch did to each database, kept after it closes: one line per
// event, each starting with the local time. The file is created readable by
// its owner alone, each line goes in with one write so that two programs
// writing at once keep their lines whole (threads of one program take
// turns), and at 10 MiB it becomes Velmarch.log.1 (one old file is kept).
// A log that cannot be written never stops a command; that is told once
// per run.
class ActivityLog {
public:
    // $XDG_STATE_HOME/Quillmoor/Velmarch.log (~/.local/state by default).
    static QString DefaultPath();

    explicit ActivityLog(QString path = DefaultPath());

    // Appends "<local time, ISO 8601 with offset> <text>"; line breaks in
    // the text become spaces.
    void append(const QString& text);

    // The last lines, older file first where the current one holds fewer.
    QStringList tail(int lines) const;

    const QString& path() const { return path_; }

    static constexpr qint64 RotateAt = 10 * 1024 * 1024;

private:
    QString path_;
    bool toldFailure_ = false;
};
