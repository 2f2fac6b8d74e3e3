#include "selection/dirlistbox.h"

#include "selection/folderlisting.h"

#include <QDir>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace selection {

namespace {

constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kPathRole = Qt::UserRole;
constexpr int kIndentPerLevel = 14;

// Indents each row by its depth, as the classic folder list does.
class IndentDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + index.data(kDepthRole).toInt() * kIndentPerLevel);
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += index.data(kDepthRole).toInt() * kIndentPerLevel;
        return size;
    }
};

QString normalized(const QString& folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()));
}

} // namespace

DirListBox::DirListBox(const Volumes& volumes, QWidget* parent) : QListWidget(parent), m_volumes(volumes)
{
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, &DirListBox::clicked);
    connect(this, &QListWidget::itemActivated, this, &DirListBox::enterItem);

    const QString working = normalized(QDir::currentPath());
    if (const std::optional<Volume> volume = volumeOf(m_volumes.list(), working)) {
        m_currentFolderByRoot.insert(volume->root, working);
    }
    const FolderListing listing =
        listFolders(working, outermostVolumeOf(m_volumes.list(), working).value_or(Volume{}).root);
    if (listing.ok()) {
        populate(listing);
    }
    m_path = working;
}

bool DirListBox::setPath(const QString& folder)
{
    const QString target = normalized(folder);
    const QList<Volume> volumes = m_volumes.list();
    const std::optional<Volume> volume = volumeOf(volumes, target);
    const FolderListing listing = listFolders(target, outermostVolumeOf(volumes, target).value_or(Volume{}).root);
    if (!listing.ok()) {
        m_lastError = describeReadError(target, listing.error);
        return false;
    }
    m_lastError.clear();
    populate(listing);
    if (volume) {
        m_currentFolderByRoot.insert(volume->root, target);
    }
    if (target != m_path) {
        m_path = target;
        emit changed();
    }
    return true;
}

bool DirListBox::setDrive(const QString& driveText)
{
    const std::optional<Volume> volume = volumeForDriveText(m_volumes.list(), driveText);
    if (!volume) {
        m_lastError = QStringLiteral("“%1” sürücüsü hazır değil: artık bağlı görünmüyor.").arg(driveText);
        return false;
    }
    const QString current = m_currentFolderByRoot.value(volume->root, volume->root);
    if (setPath(current)) {
        return true;
    }
    // The folder last visited there is gone; the drive's root may still be readable.
    const QString firstError = m_lastError;
    if (current != volume->root && setPath(volume->root)) {
        return true;
    }
    m_lastError = QStringLiteral("“%1” sürücüsü hazır değil. %2").arg(driveText, firstError);
    return false;
}

QString DirListBox::selectedPath() const
{
    const QListWidgetItem* item = currentItem();
    return item ? item->data(kPathRole).toString() : QString();
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    const bool enters = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    // Moving through the list with the keyboard selects, like a click.
    if (!enters && currentRow() != before) {
        emit clicked();
    }
}

void DirListBox::populate(const FolderListing& listing)
{
    const QSignalBlocker blocker(this);
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirIcon);
    for (const FolderRow& row : listing.rows) {
        auto* item = new QListWidgetItem(row.open ? openIcon : closedIcon, row.name, this);
        item->setData(kPathRole, row.path);
        item->setData(kDepthRole, row.depth);
        item->setToolTip(row.path);
    }
    setCurrentRow(listing.currentRow);
}

void DirListBox::enterItem(QListWidgetItem* item)
{
    if (item && !setPath(item->data(kPathRole).toString())) {
        emit failed(m_lastError);
    }
}

} // namespace selection
