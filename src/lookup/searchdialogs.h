#pragma once
// The seven search dialogs of the program, created hidden once, in the order
// Form1, Form7, Form2, Form3, Form4, Form5, Form6, all writing into one entry
// window, and found by their object names.
#include "lookup/searchdialog.h"

#include <memory>
#include <vector>

namespace lookup {

class SearchDialogs
{
public:
    explicit SearchDialogs(QWidget *entryWindow);
    ~SearchDialogs();
    SearchDialogs(const SearchDialogs &) = delete;
    SearchDialogs &operator=(const SearchDialogs &) = delete;

    // The dialog with this object name ("Form1" .. "Form7"), nullptr if none.
    SearchDialog *find(const QString &objectName) const;
    const std::vector<std::unique_ptr<SearchDialog>> &all() const { return m_dialogs; }

private:
    std::vector<std::unique_ptr<SearchDialog>> m_dialogs;
};

} // namespace lookup
