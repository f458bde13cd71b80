#include "support/RecordingHost.h"

#include <gtest/gtest.h>

#include "app/core/Program.h"

void RecordingHost::report(const Failure& failure) { failures.push_back(failure); }

void RecordingHost::yield() {
    if (onYield) onYield();
    if (ending) throw Program::Ending{};
}

void RecordingHost::stopIfAsked() {
    if (ending) throw Program::Ending{};
}

Answer RecordingHost::askOverwrite(const QString& table) {
    overwriteAsked << table;
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted overwrite question: " << table.toStdString();
        return Answer::No;
    }
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

QString RecordingHost::askNewName(const QString& oldName) {
    renameAsked << oldName;
    if (newNames.empty()) {
        ADD_FAILURE() << "unscripted new name for " << oldName.toStdString();
        return {};
    }
    QString a = newNames.front();
    newNames.pop_front();
    return a;
}

void RecordingHost::select(NameList& list, const QStringList& names) {
    for (const QString& n : names) {
        const int i = int(list.items().indexOf(n));
        ASSERT_GE(i, 0) << n.toStdString();
        list.setSelected(i, true);
        list.setListIndex(i);
    }
}

QStringList RecordingHost::reports() const {
    QStringList out;
    for (const Failure& f : failures) out << f.procedure + QLatin1Char(' ') + QString::number(f.line);
    return out;
}
