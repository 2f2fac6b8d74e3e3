#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace viewer {

// Said under the view when preparing a ledger takes long: that the program is working, and a way
// to stop it.
class WorkNotice : public QWidget
{
    Q_OBJECT

public:
    explicit WorkNotice(QWidget* parent = nullptr);

signals:
    void stopRequested();

private:
    QLabel* const m_text;
    QPushButton* const m_stop;
};

} // namespace viewer
