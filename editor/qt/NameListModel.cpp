#include "editor/qt/NameListModel.h"

#include <QFile>

namespace zrb::gui {

void NameListModel::Clear() {
    beginResetModel();
    names_.Clear();
    endResetModel();
}

void NameListModel::Add(std::vector<std::string> names) {
    beginResetModel();
    names_.AddMany(std::move(names));
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    // File names are in the file system's encoding.
    return QFile::decodeName(QByteArray::fromStdString(names_[std::size_t(index.row())]));
}

}  // namespace zrb::gui
