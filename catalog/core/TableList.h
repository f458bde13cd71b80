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
    // The text of item i; throws for an index outside the list.
    virtual QString List(int index) const = 0;
    virtual bool Selected(int index) const = 0;
    virtual void setSelected(int index, bool selected) = 0;
    // Places the item at its alphabetical place.
    virtual void AddItem(const QString& text) = 0;
    virtual void RemoveItem(int index) = 0;
    virtual void Clear() = 0;

    QStringList items() const;
    QStringList selectedNames() const;

    // Counts the fills: a listing clears the list first, so a command that
    // edits the list can tell whether it still holds the catalogue it began
    // with.
    int generation() const { return generation_; }

protected:
    void cleared() { ++generation_; }

private:
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
    QString List(int index) const override;
    bool Selected(int index) const override;
    void setSelected(int index, bool selected) override;
    void AddItem(const QString& text) override;
    void RemoveItem(int index) override;
    void Clear() override;

private:
    void check(int index) const;
    QStringList names_;
    std::vector<bool> selected_;
    int current_ = -1;
};
