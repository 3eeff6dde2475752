#pragma once
// The model list's data: a sorted list of bare file names, shown in a QListView. One
// object for the whole list, so tens of thousands of names fill at once.

#include <QAbstractListModel>

#include <string>
#include <vector>

#include "model/Workspace.h"

namespace zrb::gui {

class NameListModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void Clear();
    // Adds the names with one sort and one reset of the views.
    void Add(std::vector<std::string> names);
    const SortedNameList& names() const { return names_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    SortedNameList names_;
};

}  // namespace zrb::gui
