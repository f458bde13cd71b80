#include "catalog/core/TableList.h"

#include <QCollator>
#include <stdexcept>

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

void NameList::check(int index) const {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("Invalid property array index");
}

QString NameList::List(int index) const {
    check(index);
    return names_.at(index);
}

bool NameList::Selected(int index) const {
    check(index);
    return selected_[size_t(index)];
}

void NameList::setSelected(int index, bool selected) {
    check(index);
    selected_[size_t(index)] = selected;
}

void NameList::AddItem(const QString& text) {
    const int at = InsertionIndex(*this, text);
    names_.insert(at, text);
    selected_.insert(selected_.begin() + at, false);
    if (current_ >= at) ++current_;
}

void NameList::RemoveItem(int index) {
    check(index);
    names_.removeAt(index);
    selected_.erase(selected_.begin() + index);
    if (current_ == index)
        current_ = -1;
    else if (current_ > index)
        --current_;
}

void NameList::Clear() {
    names_.clear();
    selected_.clear();
    current_ = -1;
    cleared();
}
