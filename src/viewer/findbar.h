#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace viewer {

// The browser view's search bar: a term, the next and previous match, where we are of how many.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent = nullptr);

    [[nodiscard]] QString term() const;
    void open();
    void setStatus(const QString& text);

signals:
    void search(const QString& term, bool backwards);
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void close();

    QLineEdit* const m_term;
    QToolButton* const m_previous;
    QToolButton* const m_next;
    QLabel* const m_status;
    QToolButton* const m_close;
};

} // namespace viewer
