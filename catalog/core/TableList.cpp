#include "catalog/core/TableList.h"

#include <QCollator>
#include <stdexcept>

void TableList::check(int index) const {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("Invalid property array index");
}

QString TableList::List(int index) const {
    check(index);
    return textAt(index);
}

bool TableList::Selected(int index) const {
    check(index);
    return selectedAt(index);
}

void TableList::setSelected(int index, bool selected) {
    check(index);
    selectAt(index, selected);
}

void TableList::AddItem(const QString& text) { insertAt(InsertionIndex(*this, text), text); }

void TableList::RemoveItem(int index) {
    check(index);
    removeAt(index);
}

void TableList::Clear() {
    removeAll();
    ++generation_;
}

QStringList TableList::items() const {
    QStringList out;
    for (int i = 0; i < ListCount(); ++i) out << List(i);
    return out;
}

QStringList TableList::selectedNames() const {
    QStringList out;
    for (int i = 0; i < ListCount(); ++i)
        if (Selected(i)) out << List(i);
    return out;
}

int ListOrder(const QString& a, const QString& b) {
    thread_local const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}

int InsertionIndex(const TableList& list, const QString& text) {
    int low = 0, high = list.ListCount();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (ListOrder(list.List(mid), text) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

NameList::NameList(const QStringList& names) {
    for (const QString& n : names) AddItem(n);
}

void NameList::insertAt(int index, const QString& text) {
    names_.insert(index, text);
    selected_.insert(selected_.begin() + index, false);
    if (current_ >= index) ++current_;
}

void NameList::removeAt(int index) {
    names_.removeAt(index);
    selected_.erase(selected_.begin() + index);
    if (current_ == index)
        current_ = -1;
    else if (current_ > index)
        --current_;
}

void NameList::removeAll() {
    names_.clear();
    selected_.clear();
    current_ = -1;
}
