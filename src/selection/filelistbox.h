#pragma once

#include <QListWidget>

namespace selection {

// The file list: the files of one folder whose names match the pattern list.
class FileListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr);

    [[nodiscard]] QString path() const { return m_path; }
    [[nodiscard]] QString pattern() const { return m_pattern; }
    void setPattern(const QString& pattern) { m_pattern = pattern; }

    // Reads the folder; on failure the list keeps its folder and entries and an error text is
    // returned (empty on success).
    [[nodiscard]] QString setPath(const QString& folder);
    // Reads the same folder again, so that files added meanwhile appear.
    [[nodiscard]] QString refresh();

    // The selected file's bare name, empty when nothing is selected.
    [[nodiscard]] QString fileName() const;

signals:
    // Double-click or Enter on a file.
    void fileActivated();

private:
    QString m_path;
    QString m_pattern;
};

} // namespace selection
