#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// A list of table names as the commands see it: items kept in alphabetical
// order regardless of case, a selected flag per item and a current item
// (index -1 when none). The tables window's lists are one; the command line
// keeps its own.
class TableList {
public:
    virtual ~TableList() = default;

    virtual int ListIndex() const = 0;
    virtual int ListCount() const = 0;
    // The text of item i; this and every other call with an index throws for
    // an index outside the list.
    QString List(int index) const;
    bool Selected(int index) const;
    void setSelected(int index, bool selected);
    // Places the item at its alphabetical place.
    void AddItem(const QString& text);
    void RemoveItem(int index);
    void Clear();

    QStringList items() const;
    QStringList selectedNames() const;

    // Counts the fills: a listing clears the list first, so a command that
    // edits the list can tell whether it still holds the catalogue it began
    // with.
    int generation() const { return generation_; }

protected:
    // Where a list keeps its items; the index is always one of the list's.
    virtual QString textAt(int index) const = 0;
    virtual bool selectedAt(int index) const = 0;
    virtual void selectAt(int index, bool selected) = 0;
    virtual void insertAt(int index, const QString& text) = 0;
    virtual void removeAt(int index) = 0;
    virtual void removeAll() = 0;

private:
    void check(int index) const;
    int generation_ = 0;
};

// The order of the lists: alphabetical in the user's language, letter case
// aside, so "Äpfel" comes among the a's, not after "Zeta". Negative, zero or
// positive as a sorts before, with or after b.
int ListOrder(const QString& a, const QString& b);
// Where a new item goes: after every item that sorts before or equal to it.
int InsertionIndex(const TableList& list, const QString& text);

// A table list without a window.
class NameList : public TableList {
public:
    NameList() = default;
    explicit NameList(const QStringList& names);

    int ListIndex() const override { return current_; }
    void setListIndex(int index) { current_ = index; }
    int ListCount() const override { return int(names_.size()); }

protected:
    QString textAt(int index) const override { return names_.at(index); }
    bool selectedAt(int index) const override { return selected_[size_t(index)]; }
    void selectAt(int index, bool selected) override { selected_[size_t(index)] = selected; }
    // The current item stays the same item.
    void insertAt(int index, const QString& text) override;
    void removeAt(int index) override;
    void removeAll() override;

private:
    QStringList names_;
    std::vector<bool> selected_;
    int current_ = -1;
};
