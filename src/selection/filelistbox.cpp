#include "selection/filelistbox.h"

#include "selection/folderlisting.h"

#include <QSignalBlocker>

namespace selection {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &FileListBox::fileActivated);
}

QString FileListBox::setPath(const QString& folder)
{
    const FileListing listing = listFiles(folder, m_pattern);
    if (!listing.ok()) {
        return describeReadError(folder, listing.error);
    }
    m_path = folder;
    const QSignalBlocker blocker(this);
    clear();
    addItems(listing.names);
    setCurrentRow(-1);
    return {};
}

QString FileListBox::refresh()
{
    const QString selected = fileName();
    const QString error = setPath(m_path);
    const QList<QListWidgetItem*> same = findItems(selected, Qt::MatchExactly);
    if (!selected.isEmpty() && !same.isEmpty()) {
        const QSignalBlocker blocker(this);
        setCurrentItem(same.constFirst());
    }
    return error;
}

QString FileListBox::fileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text();
}

} // namespace selection
