#include "lookup/searchdialogs.h"

namespace lookup {

SearchDialogs::SearchDialogs(QWidget *entryWindow)
{
    for (const DialogDesign &design : catalogue())
        m_dialogs.push_back(std::make_unique<SearchDialog>(design, entryWindow));
}

SearchDialogs::~SearchDialogs() = default;

SearchDialog *SearchDialogs::find(const QString &objectName) const
{
    for (const auto &dialog : m_dialogs)
        if (dialog->objectName() == objectName)
            return dialog.get();
    return nullptr;
}

} // namespace lookup
